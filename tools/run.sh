#!/usr/bin/env bash
# Starts the program under Wine (called through with-wine.sh). With a real
# display it runs until the user closes it; on Xvfb it takes a screenshot of
# the main window once it is up, then ends the program.
set -uo pipefail
exe=$1
if [ -z "${IZ_HEADLESS:-}" ]; then
  exec wine "$exe"
fi
# Run as Wine's default Windows, whatever version a test left set.
wine reg delete 'HKCU\Software\Wine\AppDefaults\InternetZelvora.exe' /v Version /f >/dev/null 2>&1
# Nobody can answer the first-run notice on Xvfb: mark it as shown.
wine reg add 'HKCU\SOFTWARE\Internet Zelvora' /v FirstUse /d 0 /f >/dev/null 2>&1
wine "$exe" &
pid=$!
shot=$(cd "$(dirname "$exe")/.." && pwd)/screenshot.png
up=""
for _ in $(seq 100); do
  sleep 0.3
  if xwininfo -root -tree 2>/dev/null | grep -q '"Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)".*[0-9]x[0-9]' &&
     xwininfo -name 'Internet Zelvora 2.19 (Win9x/ME/NT/XP/7/8)' 2>/dev/null | grep -q 'IsViewable'; then
    up=1
    break
  fi
done
sleep 1
if [ -n "$up" ] && import -display "$DISPLAY" -window root "$shot"; then
  echo "Screenshot of the main window: $shot"
else
  echo "The main window did not come up" >&2
fi
wineserver -k >/dev/null 2>&1
wait $pid 2>/dev/null
[ -n "$up" ]
