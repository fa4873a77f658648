#!/usr/bin/env bash
# `make bench`: the native benchmarks of the appliers, readers and restores
# (time and registry calls per run), then the Windows program against its
# floor under Wine: start to visible window and to ready for input, peak
# working set, the Optimize round, the size of the .exe and the DLLs it
# imports. Prints the medians and the ratios and fails when a target is
# missed. The floor (bench/floor/floor.c) is plain C on the C runtime alone;
# its Optimize round writes the same journal record, before it writes and
# again when it has written, and the two records are compared.
#   IZ_EXE    the program to measure (build/win32/InternetZelvora.exe); it
#             runs from its copy in the bench's own prefix (install.sh)
#   IZ_RUNS   measured starts of each program, after one warm-up (9); the
#             Optimize round, some 10 ms a time, is measured three times as often
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
exe=${IZ_EXE:-$top/build/win32/InternetZelvora.exe}
runs=${IZ_RUNS:-9}
floorDir=$top/build/bench-floor
nativeDir=$top/build/bench
prefix=$top/build/wineprefix-bench

# Targets: the program against the floor.
maxReadyRatio=1.2
maxPeakRatio=1.1
# The Optimize round's work: its requests to the Wine server, program against
# floor. A round's time scatters with the disk's flushes; this count does not.
maxRequestRatio=1.25
# The size limit is the imports test's, which `make test` holds the program to.
maxExeBytes=$(sh "$top/tests/imports/check.sh" --size-limit)
# DLLs that come with every Windows the program runs on.
systemDlls="advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 oleaut32 shell32 shlwapi user32 uxtheme version winmm"

# Both start with a full journal of twenty records, as a user's is after
# twenty changes, so that every measured Optimize round also removes the
# oldest record, in both. Only their names are read before a record is made.
floorHistory=$floorDir/Backup/History
programHistory="$prefix/drive_c/Program Files/Internet Zelvora/Backup/History"

# --- Under Wine (this script again, through with-wine.sh, which may have
# made the prefix anew: the program and its journal go in now).
if [ "${1:-}" = "--wine" ]; then
  installed=$("$top/tools/install.sh" "$exe")
  for history in "$floorHistory" "$programHistory"; do
    rm -rf "$history"
    mkdir -p "$history"
    for i in $(seq -w 1 20); do
      : >"$history/2000-01-01 00.00.$i #00$i Optimize.reg"
    done
  done
  # Two network adapters, as XP keeps them, for both to tune.
  for guid in '{4F4A7B52-1D3C-4E52-9C1B-2B6F8D3E0A11}' '{9B0C2D64-7E15-4A38-B2F7-5C4E1D9A3B22}'; do
    wine reg add "HKLM\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\$guid" /f >/dev/null 2>&1
  done
  # No first-run notice; the Optimize round is timed on Windows XP.
  wine reg add 'HKCU\Software\Internet Zelvora' /v FirstUse /d 0 /f >/dev/null 2>&1
  for program in InternetZelvora.exe floor.exe; do
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program" /v Version /d winxp /f >/dev/null 2>&1
  done
  floor=$(winepath -w "$floorDir/floor.exe")
  program=$(winepath -w "$installed")
  wine "$floorDir/launcher.exe" start "$runs" 1 "$floor" "$program"
  wine "$floorDir/launcher.exe" optimize "$((3 * runs))" "$floor" "$program"
  # One more round of each under a server that traces every request.
  trace=$floorDir/server-trace.txt
  wineserver -k
  wineserver -w
  (wineserver -f -p -d1 2>"$trace" &)
  sleep 1
  wine "$floorDir/launcher.exe" count "$floor" "$program" | tee "$floorDir/count.txt"
  wineserver -k
  wineserver -w
  for who in floor program; do
    tid=$(tr -d '\r' <"$floorDir/count.txt" | awk -v who="$who" '$1 == "counted" && $2 == who { print $4 }')
    # A request line is "0024: open_key( ... )"; its reply "0024: open_key() = 0 ...".
    # Each in its own round (the floor's first): what the other one does
    # meanwhile, as its window loses and regains the foreground, is not its
    # round's work.
    round=$([ "$who" = floor ] && echo 1 || echo 2)
    n=$(awk -v tid="$tid:" -v round="$round" '
      /add_atom\( .*IzRoundBegin/ { on = ++seen == round; next }
      /add_atom\( .*IzRoundEnd/ { on = 0 }
      on && $1 == tid && $2 ~ /^[a-z_]+\($/ { n++ }
      END { print n + 0 }' "$trace")
    echo "server requests of one optimize round, $who: $n"
  done
  exit 0
fi

[ -f "$exe" ] || { echo "no $exe: run make win first" >&2; exit 1; }

echo "== Native benchmarks (in-memory registry; calls per run as the steps imply)"
cmake -S "$top" -B "$nativeDir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$nativeDir" -j2 --target apply_bench current_bench restore_bench >/dev/null
for bench in "$nativeDir/bench/apply_bench" "$nativeDir/current_bench" "$nativeDir/restore_bench"; do
  "$bench" --benchmark_min_time=0.2 2>/dev/null | grep -E '^(BM_|-|Benchmark)' | grep -v '^-'
done

echo "== Floor and launcher"
mkdir -p "$floorDir"
i686-w64-mingw32-windres -I "$top" -I "$top/resources" "$top/bench/floor/floor.rc" -O coff \
  -o "$floorDir/floor.res"
i686-w64-mingw32-gcc -std=c99 -O2 -Wall -Wextra -s -mwindows -I "$top" "$top/bench/floor/floor.c" \
  "$floorDir/floor.res" -lcomctl32 -o "$floorDir/floor.exe"
i686-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -static -s \
  "$top/bench/floor/launcher.cpp" -lpsapi -o "$floorDir/launcher.exe"

# Other work on the machine shows in every figure: say how busy it was.
echo "== Under Wine: $runs runs of each after a warm-up, alternating (load $(cut -d' ' -f1-3 /proc/loadavg))"
log=$floorDir/wine.log
WINEPREFIX=$prefix "$top/tools/with-wine.sh" "$top/tools/bench.sh" --wine | tee "$log"

echo "== Results (load $(cut -d' ' -f1-3 /proc/loadavg))"
bytes=$(stat -c %s "$exe")
dlls=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
foreign=""
for dll in $dlls; do
  case " $systemDlls " in *" ${dll%.dll} "*) ;; *) foreign="$foreign $dll" ;; esac
done

failed=0
check() {  # what, value, limit, unit
  if awk -v v="$2" -v l="$3" 'BEGIN { exit !(v <= l) }'; then
    printf '  %-30s %10s %-4s (target <= %s)  ok\n' "$1" "$2" "$4" "$3"
  else
    printf '  %-30s %10s %-4s (target <= %s)  MISSED\n' "$1" "$2" "$4" "$3"
    failed=1
  fi
}
ratio() { awk -v what="$1" 'index($0, what) == 1 { print $NF }' "$log"; }
echo "  start to visible, ratio        $(ratio 'start to visible')  (shown, not a target)"
check "start to ready, ratio" "$(ratio 'start to ready')" "$maxReadyRatio" ""
check "peak working set, ratio" "$(ratio 'peak working set')" "$maxPeakRatio" ""
echo "  Optimize round, ratio          $(ratio 'optimize round')  (shown; the requests below are the measure)"
requests() { awk -v who="$1" '$0 ~ "optimize round, " who ":" { print $NF }' "$log"; }
floorRequests=$(requests floor) programRequests=$(requests program)
echo "  Optimize round, server requests floor / program: $floorRequests / $programRequests"
# No count (an empty trace) is a miss, not a ratio of nothing.
check "Optimize round requests, ratio" \
  "$(awk -v f="${floorRequests:-0}" -v p="${programRequests:-0}" 'BEGIN { printf "%.2f", (f > 0 && p > 0 ? p / f : 99) }')" \
  "$maxRequestRatio" ""
# The floor's record must be the program's, or the round compares unlike work.
# The newest is the one with the highest number.
newest() { ls -1 "$1" | grep ' #[0-9]* .*\.reg$' | sort -t'#' -k2 -n | tail -1; }
f=$(newest "$floorHistory") p=$(newest "$programHistory")
recordBytes() { wc -c <"$1/$2" 2>/dev/null || echo 0; }
sizes="$(recordBytes "$floorHistory" "$f") / $(recordBytes "$programHistory" "$p") B"
if [ -n "$f" ] && [ -n "$p" ] && cmp -s "$floorHistory/$f" "$programHistory/$p"; then
  echo "  journal record, floor / program $sizes, the same text  ok"
else
  echo "  journal record, floor / program $sizes, not the same text  MISSED"
  failed=1
fi
check "InternetZelvora.exe size" "$bytes" "$maxExeBytes" "B"
echo "  imports: $(echo $dlls)"
if [ -n "$foreign" ]; then
  echo "  DLLs beyond the system's:$foreign  MISSED"
  failed=1
fi
exit $failed
