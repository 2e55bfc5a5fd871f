# Sourced by the test steps: a throwaway Wine prefix under build/, and a warm wineserver so that
# each test program starts in a fraction of a second.
export WINEDEBUG=-all
export WINEPREFIX="$PWD/build/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
wine_prepare() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1
  fi
  # A server left from an earlier step (or still shutting down) would make the new one fail:
  # end it and wait for it first.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  # Its output goes to /dev/null, or ctest would wait on the inherited pipe forever. The same
  # holds for the prefix's services, which the first program started under the server brings up:
  # start them here, away from ctest's pipes.
  wineserver -p >/dev/null 2>&1 </dev/null
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}
wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}
