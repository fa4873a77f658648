#!/usr/bin/env bash
# Starts the program under Wine (called through with-wine.sh). With a real
# display it runs until the user closes it; on Xvfb it takes a screenshot of
# the main window once it is up, then ends the program.
set -uo pipefail
exe=$1
if [ -z "${IZ_HEADLESS:-}" ]; then
  exec wine "$exe"
fi
wine "$exe" &
pid=$!
shot=$(cd "$(dirname "$exe")/.." && pwd)/screenshot.png
for _ in $(seq 100); do
  sleep 0.3
  if xwininfo -root -tree 2>/dev/null | grep -q 'Internet Zelvora 2.19 (Win9x'; then break; fi
done
sleep 1
import -display "$DISPLAY" -window root "$shot" && echo "Screenshot of the main window: $shot"
wineserver -k >/dev/null 2>&1
wait $pid 2>/dev/null
exit 0
