#!/usr/bin/env bash
# The journal records that the end-to-end Undo test kept beside the program
# (journal-<windows>.reg), imported with `regedit /S` into a fresh prefix,
# must give the values the program's prefix had before the change. Run by
# ctest after e2e_tests; the fresh prefix lives in the build folder and its
# wineserver is stopped at the end.
set -euo pipefail
build=$(cd "$1" && pwd)
export WINEPREFIX=$build/wineprefix-import
export WINEDEBUG=-all
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineboot -i >/dev/null 2>&1
for windows in winxp win98; do
  record=$build/journal-$windows.reg
  [ -f "$record" ] || { echo "missing $record: run e2e_tests first" >&2; exit 1; }
  wine regedit /S "$(winepath -w "$record")" >/dev/null 2>&1
  IZ_IMPORTED=$windows wine "$build/e2e_tests.exe" --gtest_filter='JournalImport.*' \
    --gtest_brief=1 || exit 1
done
