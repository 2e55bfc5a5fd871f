# The serial port on the x86_64 Windows build under wine64, over real pseudo-terminals: socat
# joins two ptys back to back, two Wine COM ports are mapped onto them, and the rig's LD_PRELOAD
# library gives the pty slaves the modem lines they lack. Never COM1 (this machine's console),
# never a real serial device.
set -euo pipefail
source scripts/wine-env.sh
rig="$PWD/build/serial-rig"
exe="$PWD/build/windows-x64/tests/test_serial-pty.exe"
host_com=COM27
device_com=COM28
mkdir -p "$rig"
cc -shared -fPIC -O2 -Wall -Wextra -Werror -o "$rig/libptymodemlines.so" tests/serial-pty/rig/PtyModemLines.c -ldl

rm -f "$rig/host" "$rig/device"
socat "pty,rawer,link=$rig/host" "pty,rawer,link=$rig/device" >/dev/null 2>&1 </dev/null &
socat_pid=$!
cleanup() {
  kill "$socat_pid" 2>/dev/null || true
  wait "$socat_pid" 2>/dev/null || true
  wine reg delete 'HKLM\Software\Wine\Ports' /v "$host_com" /f >/dev/null 2>&1 || true
  wine reg delete 'HKLM\Software\Wine\Ports' /v "$device_com" /f >/dev/null 2>&1 || true
  wine_stop
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e "$rig/host" ] && [ -e "$rig/device" ] && break; sleep 0.05; done

wine_prepare
wine reg add 'HKLM\Software\Wine\Ports' /v "$host_com" /t REG_SZ /d "$rig/host" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v "$device_com" /t REG_SZ /d "$rig/device" /f >/dev/null 2>&1
# The port mapping is read when the server starts: start a fresh one.
wine_prepare
MTR508_SERIAL_PAIR="$host_com,$device_com" LD_PRELOAD="$rig/libptymodemlines.so" wine "$exe"
