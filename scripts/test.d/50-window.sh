# The desktop program under Xvfb and wine64: the x86_64 build's window, its layouts, the About
# window, and one write into the simulated device through the window (tests/window/window-tests.sh).
# The i686 product is inspected: one PE32 GUI file that imports only Windows system DLLs.
set -euo pipefail
jobs=$(nproc)
cmake --build --preset windows-i686 --target MTR508Bootloader -j "$jobs"
product=build/windows-i686/app/MTR508Bootloader.exe
file "$product" | grep -q 'PE32 executable (GUI) Intel 80386' || { file "$product"; echo "not a PE32 GUI exe"; exit 1; }
imports=$(i686-w64-mingw32-objdump -p "$product" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
allowed='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msimg32|msvcrt|ole32|oleaut32|shell32|user32|windowscodecs)\.dll$'
if grep -Evq "$allowed" <<<"$imports"; then echo "unexpected imports:"; grep -Ev "$allowed" <<<"$imports"; exit 1; fi
echo "$product: PE32 GUI, imports: $(echo $imports)"

cmake --build --preset windows-x64 --target MTR508Bootloader mtr508-window-probe -j "$jobs"
cmake --build --preset native --target mtr508-sim -j "$jobs"
tests/window/window-tests.sh build/windows-x64 build/native
