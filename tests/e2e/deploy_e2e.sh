#!/usr/bin/env bash
# Tuning many machines, end to end under Wine: the file that `/export` writes
# in one prefix, imported with `regedit /S` into a fresh prefix, gives every
# value exactly as `/optimize` with the same profile gives it in another
# fresh prefix, and `/undo` there puts back what was before. Bad arguments
# give exit code 2 and write nothing.
#
# Usage: deploy_e2e.sh PROGRAM.exe SCRATCH_DIR (run inside tools/with-wine.sh,
# whose prefix is the exporting one). IZ_KEEP=1 keeps SCRATCH_DIR to look at.
set -uo pipefail
program=$1
scratch=$2
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
# Run from the scratch folder, so that the journal's Backup folder beside the
# program goes with it.
cp "$program" "$scratch/" || fail "cannot copy $program"
program=$scratch/$(basename "$program")
export_prefix=$WINEPREFIX
fresh_prefixes=("$scratch/imported" "$scratch/optimized")
cleanup() {
  for p in "${fresh_prefixes[@]}"; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1; done
  [ -n "${IZ_KEEP:-}" ] || rm -rf "$scratch"
}
trap cleanup EXIT

# --- export in the test prefix
file='C:\iz-deploy.reg'
rm -f "$export_prefix/drive_c/iz-deploy.reg" "$export_prefix/drive_c/iz-bad.reg"
wine "$program" /export 'C:\iz-bad.reg' /type cable /method 4 >/dev/null 2>&1
[ $? -eq 2 ] || fail "a bad /method did not give exit code 2"
[ ! -e "$export_prefix/drive_c/iz-bad.reg" ] || fail "bad arguments wrote a file"
wine "$program" /export "$file" /type pppoe /method 2 /family nt >"$scratch/export.out" 2>&1 ||
  fail "/export: exit code $? ($(cat "$scratch/export.out"))"
reg_file=$export_prefix/drive_c/iz-deploy.reg
[ -s "$reg_file" ] || fail "/export wrote no file"

# --- a fresh prefix that imports the file, and its twin, as fresh, that
# optimizes. The twin shares the unchanging files (hard links) and copies
# those that Windows rewrites in place; one wineboot instead of two.
imported=${fresh_prefixes[0]}
optimized=${fresh_prefixes[1]}
WINEPREFIX=$imported wineboot -i >/dev/null 2>&1 || fail "cannot create $imported"
# A key every real Windows XP has and a fresh prefix lacks (as tools/with-wine.sh).
WINEPREFIX=$imported wine reg add 'HKLM\System\CurrentControlSet\Services\Netbt\Parameters' \
  /f >/dev/null 2>&1
WINEPREFIX=$imported wineserver -w
cp -al "$imported" "$optimized" || fail "cannot copy $imported"
find "$imported" -type f \( -name '*.reg' -o -iname '*.ini' -o -path "$imported/.*" \) -print |
  while IFS= read -r f; do cp --remove-destination "$f" "$optimized${f#"$imported"}"; done
for p in "${fresh_prefixes[@]}"; do WINEPREFIX=$p wineserver -p >/dev/null 2>&1; done

# --- the whole of both subtrees Optimize writes to, compared: a value that
# Optimize writes and the file lacks shows as well as a different one.
dump() {
  local out=$2 key
  : >"$out"
  for key in 'HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services' \
    'HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings'; do
    WINEPREFIX=$1 wine regedit /E 'C:\iz-dump.reg' "$key" >/dev/null 2>&1 || fail "cannot export $key"
    iconv -f UTF-16 -t UTF-8 "$1/drive_c/iz-dump.reg" | tr -d '\r' >>"$out"
  done
}
# Every value with its key, the keys without values left out: Undo puts
# values back, the keys Optimize created stay.
values_of() { awk '/^\[/ { key = $0; next } NF { print key " " $0 }' "$1"; }
dump "$optimized" "$scratch/before.txt"

cp "$reg_file" "$imported/drive_c/iz-deploy.reg"
WINEPREFIX=$imported wine regedit /S "$file" >/dev/null 2>&1 || fail "regedit /S refused the file"
WINEPREFIX=$optimized wine "$program" /optimize /type pppoe /method 2 >"$scratch/optimize.out" \
  2>&1 || fail "/optimize: exit code $? ($(cat "$scratch/optimize.out"))"
grep -q "Restart the computer" "$scratch/optimize.out" || fail "/optimize did not ask for a restart"

dump "$imported" "$scratch/imported.txt"
dump "$optimized" "$scratch/optimized.txt"
diff "$scratch/imported.txt" "$scratch/optimized.txt" ||
  fail "the registry after regedit /S differs from the one after /optimize"
values=$(grep -c '^\("\|@=\)' "$reg_file")
[ "$values" -eq 22 ] || fail "the file holds $values values, not 22"
grep -qi '"SessionKeepAlive"=dword:000927c0' "$scratch/optimized.txt" ||
  fail "the compared subtrees miss what Optimize wrote"
echo "PASS: the $values values of the file give the registry that /optimize gives"

WINEPREFIX=$optimized wine "$program" /undo >"$scratch/undo.out" 2>&1 ||
  fail "/undo: exit code $? ($(cat "$scratch/undo.out"))"
dump "$optimized" "$scratch/undone.txt"
diff <(values_of "$scratch/before.txt") <(values_of "$scratch/undone.txt") ||
  fail "/undo did not put back the values from before /optimize"
echo "PASS: /undo put back every value"
