#!/usr/bin/env bash
# Starts the program under Wine (called through with-wine.sh), from its copy
# in the prefix (install.sh). With a real display it runs until the user
# closes it; on Xvfb it takes a screenshot of the main window once it is up,
# saves it as build/screenshot.png, then ends the program.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
exe=$("$top/tools/install.sh" "$1") || exit 1
if [ -z "${IZ_HEADLESS:-}" ]; then
  exec wine "$exe"
fi
# Run as Wine's default Windows, whatever version a test left set.
wine reg delete 'HKCU\Software\Wine\AppDefaults\InternetZelvora.exe' /v Version /f >/dev/null 2>&1
# Nobody can answer the first-run notice on Xvfb: mark it as shown.
wine reg add 'HKCU\SOFTWARE\Internet Zelvora' /v FirstUse /d 0 /f >/dev/null 2>&1
# IZ_DPI=144 shows the program at that DPI (and names the screenshot after
# it); the prefix goes back to 96 DPI afterwards.
dpi=${IZ_DPI:-96}
set_dpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
set_dpi "$dpi"
wine "$exe" &
pid=$!
shot=$top/build/screenshot.png
[ "$dpi" = 96 ] || shot=${shot%.png}-${dpi}dpi.png
up=""
for _ in $(seq 100); do
  sleep 0.3
  if xwininfo -root -tree 2>/dev/null | grep -q '"Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)".*[0-9]x[0-9]' &&
     xwininfo -name 'Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)' 2>/dev/null | grep -q 'IsViewable'; then
    up=1
    break
  fi
done
# Xvfb's pointer rests at the centre of the screen, over the centred window:
# a tooltip comes up there, and goes once its time is over.
sleep 6
# The main window alone, its frame included.
id=$(xwininfo -name 'Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)' 2>/dev/null | awk '/Window id:/ {print $4}')
if [ -n "$up" ] && [ -n "$id" ] && import -display "$DISPLAY" -window "$id" "$shot"; then
  echo "Screenshot of the main window: $shot"
else
  echo "The main window did not come up" >&2
fi
[ "$dpi" = 96 ] || set_dpi 96
wineserver -k >/dev/null 2>&1
wait $pid 2>/dev/null
[ -n "$up" ]
