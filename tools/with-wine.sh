#!/usr/bin/env bash
# Runs a command with Wine set up in a throwaway prefix under build/ (the
# Makefile gives each target its own: build/wineprefix-run, -test, -bench;
# WINEPREFIX unset means the tests' one): starts Xvfb on a free display when
# there is none, creates the prefix once, keeps a wineserver alive for the
# run, and stops everything it started on exit, also when the command fails.
# IZ_SCREEN (width x height) sizes the screen of the Xvfb it starts;
# 1280x1024 by default.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd -P)
export WINEPREFIX=${WINEPREFIX:-$top/build/wineprefix-test}
# As the file system names it, to tell whether it lies under build/.
mkdir -p "$(dirname "$WINEPREFIX")"
WINEPREFIX=$(cd "$(dirname "$WINEPREFIX")" && pwd -P)/$(basename "$WINEPREFIX")
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 && wait "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 130); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    # Large enough for the main window at 192 DPI (1184 x 646 client pixels).
    Xvfb :$n -screen 0 "${IZ_SCREEN:-1280x1024}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$n IZ_HEADLESS=1
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    break
  done
fi

# A prefix keeps the fonts it was made with: one made before fonts-wine was
# installed draws "MS Sans Serif" in a wider face for good, so it is made
# again. The marker, written once the prefix is complete, also redoes one
# whose making was cut short. Only prefixes under build/ are ours to remove.
fonts="no fonts-wine"
dpkg -s fonts-wine 2>/dev/null | grep -qx 'Status: install ok installed' && fonts="fonts-wine"
marker=$WINEPREFIX/iz-made-with
case "$WINEPREFIX" in
  "$top"/build/?*)
    if [ -e "$WINEPREFIX" ] && [ "$(cat "$marker" 2>/dev/null)" != "$fonts" ]; then
      [ -f "$marker" ] && echo "Making $WINEPREFIX again, now with $fonts" >&2
      wineserver -k >/dev/null 2>&1
      rm -rf "$WINEPREFIX"
    fi
    ;;
  *)
    [ -f "$marker" ] && [ "$(cat "$marker")" != "$fonts" ] &&
      echo "warning: $WINEPREFIX was made with $(cat "$marker"), now there is $fonts" >&2
    ;;
esac

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # Debian's Wine ships its fonts separately; without them "MS Sans Serif"
  # falls back to a wider face and captions get clipped.
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  # No window manager on Xvfb: without this Wine waits about 2 s per closed window.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # Keys that every real Windows XP has and a fresh prefix lacks.
  wine reg add 'HKLM\System\CurrentControlSet\Services\Netbt\Parameters' /f >/dev/null 2>&1
  wineserver -w
  echo "$fonts" >"$marker"
fi
wineserver -p >/dev/null 2>&1
# Start the session's services now, with no handles of ours: services started
# by a test program would inherit its output pipe and keep ctest waiting.
wine cmd /c exit </dev/null >/dev/null 2>&1
"$@"
