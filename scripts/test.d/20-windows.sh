# The Windows builds: i686 (the product, built and inspected, never run here: 32-bit code cannot
# run on these machines) and x86_64, whose suites run under wine64.
set -euo pipefail
jobs=$(nproc)
cmake --preset windows-i686 >/dev/null
cmake --build --preset windows-i686 -j "$jobs"
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 -j "$jobs"
source scripts/wine-env.sh
wine_prepare
ctest --preset windows-x64 -j "$jobs" --timeout 300
wine_stop
