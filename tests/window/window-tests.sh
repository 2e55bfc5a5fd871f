#!/usr/bin/env bash
# The desktop program (x86_64 build) under Xvfb and wine64, seen from outside: window geometry
# and texts through the probe (tests/window/probe), keys through xdotool, screenshots under
# <build>/window-screenshots (never committed). The last test writes the built-in firmware into
# mtr508-sim through the real window, over a pseudo-terminal mapped as COM5 (never COM1, which is
# this machine's console).
#
#   tests/window/window-tests.sh [x86_64 build dir] [native build dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/windows-x64}" && pwd)
native=$(cd "${2:-$root/build/native}" && pwd)
exe="$build/app/MTR508Bootloader.exe"
probe_exe="$build/app/mtr508-window-probe.exe"
sim="$native/tools/mtr508-sim"
shots="$build/window-screenshots"
work="$build/window-tests"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$build/wineprefix-window"
mkdir -p "$shots" "$work"

failures=0
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

# ---- The prefix: created once; Wine's own fonts (Tahoma with Cyrillic, Marlett for the title
# bar buttons) copied in, since Debian's wine does not find fonts-wine's folder by itself; Wine
# draws the window frames itself (no window manager runs under Xvfb).
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver -w
fi
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1

# ---- The COM5 line for the write test: the simulator's pty, and the rig that gives pty slaves
# the modem lines Wine asks for.
rig="$work/libptymodemlines.so"
cc -shared -fPIC -O2 -Wall -Wextra -Werror -o "$rig" "$root/tests/serial-pty/rig/PtyModemLines.c" -ldl
link="$work/com5"
rm -f "$link" "$work/flash.bin"
"$sim" --link "$link" --flash-out "$work/flash.bin" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
pids+=("$sim_pid")
for _ in $(seq 100); do grep -q '^ready' "$work/sim.out" 2>/dev/null && break; sleep 0.05; done
wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$link" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true   # the port mapping is read when the server starts
wineserver -w 2>/dev/null || true

# ---- A screen of our own.
exec 9> "$work/display"
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"
screen_w=1024
screen_h=768

probe() { wine "$probe_exe" 2>/dev/null | tr -d '\r'; }
# Waits up to $2 seconds (default 20) until the probe's output matches the extended regex $1.
wait_for() {
  local deadline=$((SECONDS + ${2:-20}))
  while [ $SECONDS -lt $deadline ]; do
    probe | grep -Eq -- "$1" && return 0
    sleep 0.2
  done
  return 1
}
line_of() { probe | grep -E -- "$1" | head -1; }
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
shot() { import -window root "$shots/$1.png"; }
# Brightness 0..255 of the screen pixel ($1, $2).
brightness() {
  import -window root "$work/pixel.png"
  convert "$work/pixel.png" -crop "1x1+$1+$2" -format '%[fx:int(255*luminance)]' info:
}
# A pixel of the penguin's dark body in ButtonWrite: its 48 x 48 picture is centred in the
# 73 x 57 button, and (10, 29) of the picture is body.
penguin_pixel() {
  local centre
  centre=$(field centre "$(line_of '^control ButtonWrite ')")
  echo $((${centre%,*} - 36 + 12 + 10)) $((${centre#*,} - 28 + 4 + 29))
}
main_window() { xdotool search --name '^MT-R508 Bootloader' | head -1; }
# Activates the main window by a click on its bare background right of the status line (client
# point 250, 92). Not on the title bar: a press there starts Wine's move loop, which takes keys.
# X focus alone does not activate a Wine window while another of its windows is active.
activate_main() {
  local cx cy
  IFS=, read -r cx cy <<<"$(field centre "$(line_of '^control ProgressbarReadWrite ')")"
  xdotool mousemove $((cx - 144 - 6 + 250)) $((cy - 8 - 104 + 92)) click 1
  sleep 0.3
}
# Drags with the left button from ($1, $2) to ($3, $4), in steps, as a hand would.
drag() {
  xdotool mousemove "$1" "$2" mousedown 1
  sleep 0.3
  xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2))
  sleep 0.3
  xdotool mousemove $(($3 + 2)) $(($4 + 2))
  sleep 0.3
  xdotool mousemove "$3" "$4"
  sleep 0.3
  xdotool mouseup 1
  sleep 0.5
}

# ---- Start-up: the compact layout, centred, with the status of a prepared image.
LD_PRELOAD="$rig" wine "$exe" >/dev/null 2>&1 &
pids+=("$!")
if wait_for '^form MainForm ' 60; then pass "the main window comes up"; else fail "no main window"; exit 1; fi
xdotool mousemove 1 $((screen_h - 1))   # no tooltip in the screenshots
sleep 1
main=$(line_of '^form MainForm ')
outer=$(field outer "$main")
IFS=, read -r mx my mw mh <<<"$outer"
[ "$(field client "$main")" = "302,130" ] && pass "client area 302 x 130" || fail "client area: $main"
grep -q 'caption=MT-R508 Bootloader (від 15.11.17)$' <<<"$main" && pass "caption" || fail "caption: $main"
[ "$mx" -eq $(((screen_w - mw) / 2)) ] && [ "$my" -eq $(((screen_h - mh) / 2)) ] \
  && pass "centred on the screen" || fail "not centred: $outer"
xwin=$(main_window)
read -r xw xh < <(xwininfo -id "$xwin" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
[ "$xw" = "$mw" ] && [ "$xh" = "$mh" ] && pass "X sees the same outer size ${xw}x${xh}" || fail "X size ${xw}x${xh} vs $outer"
probe | grep -q 'control LabelNameOfHex .* text=Мікропрограма готова до запису$' \
  && pass "status: Мікропрограма готова до запису" || fail "status line: $(line_of 'LabelNameOfHex')"
probe | grep -q 'control ProgressbarReadWrite .* text=0%$' && pass "gauge at 0%" || fail "gauge: $(line_of 'ProgressbarReadWrite')"
probe | grep -q 'control cbBaudRate .* text=115200$' && pass "rate 115200" || fail "rate: $(line_of cbBaudRate)"
probe | grep -q 'control cbPort .* items=COM1;COM5 text=COM1$' && pass "ports COM1, COM5; first selected" \
  || fail "port list: $(line_of cbPort)"
# Every control at its place in its parent's client area: name, left, top, width, height.
while read -r name x y w h; do
  l=$(line_of "^control $name ")
  at=$(field at "$l")
  [ "$at" = "$x,$y,$w,$h" ] || fail "$name at $at, not $x,$y,$w,$h"
done <<'TABLE'
sPanel1 7 8 289 73
cbPort 30 37 73 21
ButtonWrite 128 8 73 57
PNGButton6 224 15 41 42
ProgressbarReadWrite 6 104 289 17
ProgressbarWrite 8 167 265 9
cbBaudRate 16 190 81 21
sPanel3 248 200 41 153
sButton2 8 12 25 57
sButton3 8 84 25 57
sPanel2 8 224 265 81
ButtonConect 31 16 81 57
ButtonOpenHex 152 16 81 57
TABLE
# Labels are sized to their text: only their place is fixed.
for label in "Label1 49,17" "LabelNameOfHex 10,87" "Label3 12,149"; do
  read -r name place <<<"$label"
  at=$(field at "$(line_of "^control $name ")")
  [ "${at%,*,*}" = "$place" ] || fail "$name at $at, not at $place"
done
pass "controls at their places (checked above)"
shot compact
# The multi-line hint of ButtonWrite, for the eye.
IFS=, read -r wx wy <<<"$(field centre "$(line_of '^control ButtonWrite ')")"
xdotool mousemove "$wx" "$wy"
sleep 2
shot hint
# A picture button pressed: its picture 2 pixels right and down. (14, 8) of the information sign
# is blue; (12, 6), inside the white dot of the i, lands there while pressed. Released away from
# the button, the press clicks nothing.
IFS=, read -r ix iy <<<"$(field centre "$(line_of '^control PNGButton6 ')")"
sx=$((ix - 20 + 8 + 14))
sy=$((iy - 21 + 9 + 8))
released=$(brightness "$sx" "$sy")
xdotool mousemove "$ix" "$iy" mousedown 1
sleep 0.5
pressed=$(brightness "$sx" "$sy")
xdotool mousemove 1 $((screen_h - 1))
sleep 0.3
xdotool mouseup 1
sleep 0.3
[ "$released" -lt 150 ] && [ "$pressed" -gt 200 ] && pass "pressed picture moves 2 px right and down" \
  || fail "picture pixel $released released, $pressed pressed"
probe | grep -q '^form FormHelp ' && fail "a press released off the button showed the About window"
xdotool mousemove "$ix" "$iy" click 1
if wait_for '^form FormHelp ' 5; then pass "the About button shows the About window"; else fail "About button: no About window"; fi
xdotool key F1
wait_for '^form MainForm .* front=1 ' 5 || fail "About window not hidden by F1"

# ---- The user picks COM5 in the compact layout: the focus goes to ButtonConect, outside the
# client area.
port=$(line_of '^control cbPort ')
IFS=, read -r px py <<<"$(field centre "$port")"
# Open the list and click its second item: a pick by mouse (Enter would then click ButtonConect,
# which the pick has focused).
IFS=, read -r _ _ _ ph <<<"$(field at "$port")"
xdotool mousemove "$px" "$py" click 1
sleep 0.5
xdotool mousemove "$px" $((py + (ph + 1) / 2 + 15 + 7)) click 1
if wait_for '^control cbPort .* text=COM5$' 5; then pass "COM5 picked"; else fail "port: $(line_of cbPort)"; fi
probe | grep -q '^control ButtonConect .* focused=1 ' && pass "the pick focuses ButtonConect (outside the client area)" \
  || fail "focus after the pick: $(probe | grep 'focused=1' || echo none)"

# ---- Keys: Ctrl+E alone does nothing; Ctrl+Shift+E gives the expanded layout.
xdotool windowfocus --sync "$xwin"
xdotool key ctrl+e
sleep 0.5
[ "$(field outer "$(line_of '^form MainForm ')")" = "$outer" ] && pass "Ctrl+E leaves the layout" || fail "Ctrl+E changed it"
xdotool key ctrl+shift+e
if wait_for "^form MainForm outer=$mx,$my,$mw,340 " 5; then pass "Ctrl+Shift+E: outer height 340, same place and width"
else fail "expanded: $(line_of '^form MainForm ')"; fi
sleep 0.5
shot expanded

# ---- F1 toggles the About window; Esc leaves it open.
xdotool key F1
if wait_for '^form FormHelp outer=616,197,' 5; then pass "F1: About window at 616, 197"; else fail "About: $(probe | grep FormHelp)"; fi
help=$(line_of '^form FormHelp ')
[ "$(field client "$help")" = "154,193" ] && pass "About client area 154 x 193" || fail "About client: $help"
grep -q 'caption=Про програму$' <<<"$help" && pass "About caption" || fail "About caption: $help"
probe | grep -q 'control Image_Emblem MtrSurface at=16,16,121,89 ' && pass "emblem box" || fail "emblem: $(line_of Image_Emblem)"
probe | grep -q 'control sWebLabel1 .* text=yarvex.example$' && pass "link label" || fail "link: $(line_of sWebLabel1)"
probe | grep -q 'control Button1 Button at=35,145,81,33 .* text=ОК$' && pass "OK button (Cyrillic)" || fail "OK: $(line_of Button1)"
sleep 0.5
shot about
xdotool key Escape
sleep 0.5
probe | grep -q '^form FormHelp ' && pass "Esc leaves the About window open" || fail "Esc closed the About window"
# F1 in the main window while the About window is open brings it to the front.
activate_main
wait_for '^form MainForm .* front=1 ' 5 || fail "main window not in front"
xdotool key F1
if wait_for '^form FormHelp .* front=1 ' 5; then pass "F1 brings the open About window to the front"
else fail "About window not in front: $(probe | grep '^form')"; fi
xdotool key F1
if wait_for '^form MainForm ' 5 && ! probe | grep -q '^form FormHelp '; then pass "F1 in the About window hides it"
else fail "About window still shown"; fi

# Enter and Space press the About window's OK button, which has the focus: the window hides.
for key in Return space; do
  xdotool key F1
  wait_for '^form FormHelp .* front=1 ' 5 || fail "About window not shown for $key"
  xdotool key "$key"
  if wait_for '^form MainForm .* front=1 ' 5 && ! probe | grep -q '^form FormHelp '; then pass "$key on OK closes the About window"
  else fail "$key on OK: $(probe | grep '^form')"; fi
done

# ---- Moving: the About window comes back where it was left; the main window snaps to a screen
# edge it comes within 10 pixels of, and not from farther.
xdotool key F1
wait_for '^form FormHelp outer=616,197,' 5 || fail "About window not shown again"
drag 680 205 580 305
moved=$(field outer "$(line_of '^form FormHelp ')")
[ "${moved%,*,*}" = "516,297" ] && pass "About window dragged to 516, 297" || fail "About window dragged to $moved"
xdotool key F1
sleep 0.5
activate_main
xdotool key F1
if wait_for '^form FormHelp outer=516,297,' 5; then pass "About window shown again where it was left"
else fail "About window shown at $(field outer "$(line_of '^form FormHelp ')")"; fi
xdotool key F1
sleep 0.5
# The caption is grabbed 90 pixels right of the window's left edge and 9 below its top.
drag $((mx + 90)) $((my + 9)) $((11 + 90)) $((12 + 9))
[ "$(field outer "$(line_of '^form MainForm ')")" = "11,12,$mw,340" ] && pass "11 pixels from the edges: no snap" \
  || fail "moved to $(field outer "$(line_of '^form MainForm ')"), not 11,12"
drag $((11 + 90)) $((12 + 9)) $((6 + 90)) $((8 + 9))
[ "$(field outer "$(line_of '^form MainForm ')")" = "0,0,$mw,340" ] && pass "within 10 pixels: snapped to the corner" \
  || fail "moved to $(field outer "$(line_of '^form MainForm ')"), not snapped to 0,0"
drag $((90)) $((9)) $((screen_w - mw - 7 + 90)) $((200 + 9))
[ "$(field outer "$(line_of '^form MainForm ')")" = "$((screen_w - mw)),200,$mw,340" ] \
  && pass "within 10 pixels of the right edge: snapped" || fail "right edge: $(field outer "$(line_of '^form MainForm ')")"

# ---- Open: the real file dialog, a file typed in, the file's name in the status line.
cp "$root/resources/firmware/mt-r508-171115.hex" "$work/dev.hex"
# A typed name of a file that does not exist: the default error handler names it in a message box.
IFS=, read -r ox oy <<<"$(field centre "$(line_of '^control ButtonOpenHex ')")"
xdotool mousemove "$ox" "$oy" click 1
wait_for '^box ' 10 || fail "no file dialog"
sleep 1
xdotool type --delay 20 "Z:$(tr / '\\' <<<"$work/missing.hex")"
xdotool key Return
if wait_for '^box .*missing\.hex' 15; then pass "a missing file is reported: $(line_of '^box ' | sed 's/.*text=//')"
else fail "missing file: $(probe | grep '^box' || echo no message)"; fi
shot open-error
xdotool key Return
sleep 0.5
probe | grep -q '^control LabelNameOfHex .* text=Мікропрограма готова до запису$' && pass "status unchanged" \
  || fail "status after the failed Open: $(line_of LabelNameOfHex)"
IFS=, read -r ox oy <<<"$(field centre "$(line_of '^control ButtonOpenHex ')")"
xdotool mousemove "$ox" "$oy" click 1
if wait_for '^box ' 10; then pass "Open shows the file dialog"; else fail "no file dialog"; fi
sleep 1
shot open-dialog
xdotool type --delay 20 "Z:$(tr / '\\' <<<"$work/dev.hex")"
xdotool key Return
if wait_for '^box .*text=Мікропрограма відкрита,\\r\\n   запишіть її в прилад' 30; then pass "the opened file is reported"
else fail "after Open: $(probe | grep '^box' || true)"; fi
xdotool key Return
sleep 0.5
probe | grep -q '^control LabelNameOfHex .* text=Мікропрограма : dev.hex - відкрита. Запишіть в прилад$' \
  && pass "status names dev.hex" || fail "status: $(line_of LabelNameOfHex)"

# ---- One write through the window: COM5 picked above, Write clicked, the success message, the flash.
# Never with another port: COM1 is this machine's console.
if ! probe | grep -q '^control cbPort .* text=COM5$'; then
  fail "COM5 is not the chosen port: no write attempted"
  exit 1
fi
xdotool windowfocus --sync "$xwin"
read -r bx by < <(penguin_pixel)
enabled_body=$(brightness "$bx" "$by")
IFS=, read -r wx wy <<<"$(field centre "$(line_of '^control ButtonWrite ')")"
xdotool mousemove "$wx" "$wy" click 1
xdotool mousemove 1 $((screen_h - 1))
# Each message box is answered with Enter until the outcome.
outcome=""
deadline=$((SECONDS + 180))
while [ $SECONDS -lt $deadline ]; do
  box=$(line_of '^box ' || true)
  if [ -z "${writing:-}" ] && probe | grep -Eq '^control ProgressbarReadWrite .* text=([1-9][0-9]?)%$'; then
    writing=$(field text "$(line_of '^control ProgressbarReadWrite ')")
    pass "the gauge moves during the write ($writing)"
    shot writing
  fi
  if [ -n "$box" ]; then
    echo "     message: ${box#*text=}"
    if grep -q 'Мікропрограма успішно завантажена' <<<"$box"; then outcome=success; shot written; fi
    grep -q 'Помилка\|Увага\|призупинена' <<<"$box" && outcome=${outcome:-failure}
    xdotool key Return
    sleep 0.5
    [ -n "$outcome" ] && break
  fi
  sleep 0.3
done
[ "$outcome" = success ] && pass "the write reports success" || fail "write outcome: ${outcome:-none in time}"
# After a successful write ButtonWrite is disabled: its picture at a third of its opacity.
sleep 0.5
probe | grep -q '^control ButtonWrite .* enabled=0 ' && probe | grep -q '^control ButtonConect .* enabled=1 visible=1 focused=1 ' \
  && pass "after the write: Write disabled, Identify enabled and focused" \
  || fail "after the write: $(line_of ButtonWrite); $(line_of ButtonConect); focus: $(probe | grep 'focused=1' || echo none)"
shot after-write
read -r bx by < <(penguin_pixel)
disabled_body=$(brightness "$bx" "$by")
[ "$enabled_body" -lt 70 ] && [ "$disabled_body" -gt 120 ] \
  && pass "disabled Write picture faded (body brightness $enabled_body -> $disabled_body)" \
  || fail "Write picture body brightness $enabled_body enabled, $disabled_body disabled"
kill -TERM "$sim_pid"
wait "$sim_pid" 2>/dev/null || true
srec_cat "$root/resources/firmware/mt-r508-171115.hex" -intel -fill 0xFF 0 0x10000 -o "$work/image.bin" -binary
if [ -f "$work/flash.bin" ] && cmp -n 65536 "$work/flash.bin" "$work/image.bin"; then
  pass "the simulator's flash equals the image"
else
  fail "flash differs from the image"
fi

# ---- Ctrl+R refreshes the port list: the first port selected anew, "Порти оновлено!" shown.
activate_main
xdotool key ctrl+r
if wait_for '^box .*text=Порти оновлено!$' 10; then pass "Ctrl+R: Порти оновлено!"; else fail "Ctrl+R: $(probe | grep '^box' || echo no message)"; fi
xdotool key Return
sleep 0.5
probe | grep -q '^control cbPort .* items=COM1;COM5 text=COM1$' && pass "Ctrl+R selects the first port" \
  || fail "after Ctrl+R: $(line_of cbPort)"

echo "screenshots in $shots"
[ "$failures" -eq 0 ] || { echo "$failures window test(s) failed"; exit 1; }
