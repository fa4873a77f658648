#!/usr/bin/env bash
# The startup script of `/tcp ... /script`, made on Windows 10 and run by
# Wine's cmd on a Windows 7 whose netsh is the stand-in: only the lines 7
# accepts run, all or none, the MTU of a connection the machine has is set
# and one it lacks is logged, the undo script puts back the first run's
# saved settings, and without administrator rights nothing runs.
#
# Usage: startup_script_e2e.sh PROGRAM.exe NETSH_STANDIN.exe SCRATCH_DIR (run
# inside tools/with-wine.sh). Changes to the prefix are put back on exit.
set -uo pipefail
program=$1
standin=$2
scratch=$3
fail() { echo "FAIL: $*"; exit 1; }

c=$WINEPREFIX/drive_c
sys_folders=("$c/windows/system32" "$c/windows/syswow64")
version_key='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion'
# The script reads the 64-bit view, as on 64-bit Windows; both are set alike.
reg_value() {
  wine reg query "$version_key" /v "$1" /reg:64 2>/dev/null | tr -d '\r' |
    awk -v n="$1" '$1 == n { print $3 }'
}
# NAME TYPE DATA; without DATA the value is deleted.
set_version() {
  for view in 32 64; do
    if [ -n "${3:-}" ]; then
      wine reg add "$version_key" /v "$1" /t "$2" /d "$3" /f /reg:$view >/dev/null 2>&1
    else
      wine reg delete "$version_key" /v "$1" /f /reg:$view >/dev/null 2>&1
    fi
  done
}
old_version=$(reg_value CurrentVersion)
old_build=$(reg_value CurrentBuildNumber)
old_major=$(reg_value CurrentMajorVersionNumber)
old_minor=$(reg_value CurrentMinorVersionNumber)
cleanup() {
  for f in "${sys_folders[@]}"; do
    rm -f "$f/fltmc.exe"
    [ -e "$f/netsh.exe.iz-aside" ] && mv -f "$f/netsh.exe.iz-aside" "$f/netsh.exe"
  done
  set_version CurrentVersion REG_SZ "$old_version"
  set_version CurrentBuildNumber REG_SZ "$old_build"
  set_version CurrentMajorVersionNumber REG_DWORD "$old_major"
  set_version CurrentMinorVersionNumber REG_DWORD "$old_minor"
  wine reg delete 'HKCU\Software\Wine\AppDefaults\InternetZelvora.exe' /f >/dev/null 2>&1
  [ -n "${IZ_KEEP:-}" ] && cp -r "$c/iz-script" "$c/windows/logs/InternetZelvora" "$scratch/" 2>/dev/null
  rm -rf "$c/iz-netsh" "$c/iz-script" "$c/windows/logs/InternetZelvora"
  [ -n "${IZ_KEEP:-}" ] || rm -rf "$scratch"
}
trap cleanup EXIT
rm -rf "$scratch" "$c/iz-script" "$c/iz-netsh" "$c/windows/logs/InternetZelvora"
mkdir -p "$scratch" "$c/iz-script" "$c/iz-netsh"

# --- the scripts, made on Windows 10; a value no Windows takes writes nothing
wine reg add 'HKCU\Software\Wine\AppDefaults\InternetZelvora.exe' /v Version /d win10 /f >/dev/null 2>&1
make() {
  wine "$program" "$@" >"$scratch/make.out" 2>&1
}
make /tcp rsc=fast /script 'C:\iz-script\bad.cmd'
[ $? -eq 2 ] || fail "rsc=fast did not give exit code 2 ($(cat "$scratch/make.out"))"
[ ! -e "$c/iz-script/bad.cmd" ] || fail "a refused value wrote a script"
make /tcp congestionprovider=ctcp rsc=disabled /script 'C:\iz-script\tcp.cmd' ||
  fail "/script: exit code $? ($(cat "$scratch/make.out"))"
# A connection name with each character a batch file treats specially but
# holds as it is between quotes.
make /tcp congestionprovider=ctcp 'mtu@Wi-Fi (2) & ^more!=1400' mtu@Absent=1300 timestamps=enabled \
  /script 'C:\iz-script\mtu.cmd' || fail "/script with MTUs: exit code $? ($(cat "$scratch/make.out"))"
make /undo /script 'C:\iz-script\undo.cmd' || fail "/undo /script: exit code $?"

# --- Windows 7, its netsh the stand-in (no templates: it refuses `set
# supplemental`, rsc and initialrto, as 7 does)
set_version CurrentVersion REG_SZ 6.1
set_version CurrentBuildNumber REG_SZ 7601
set_version CurrentMajorVersionNumber
set_version CurrentMinorVersionNumber
for f in "${sys_folders[@]}"; do
  [ -e "$f/netsh.exe" ] && mv -f "$f/netsh.exe" "$f/netsh.exe.iz-aside"
  cp "$standin" "$f/netsh.exe" || fail "cannot put the stand-in in $f"
done
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};netsh.exe=native"
fresh=$'rss=enabled\nautotuninglevel=normal\ncongestionprovider=none\necncapability=disabled\ntimestamps=disabled\nmtu@Ethernet 2=1500\nmtu@Wi-Fi (2) & ^more!=1500'
state() { tr -d '\r' <"$c/iz-netsh/state.txt"; }
log=$c/windows/logs/InternetZelvora/tcp.log
# Runs a script in a given state; its exit code.
run() {
  printf '%s\n' "$2" >"$c/iz-netsh/state.txt"
  : >"$c/iz-netsh/log.txt"
  wine cmd /c "C:\\iz-script\\$1" >"$scratch/run.out" 2>&1
}

# Without administrator rights (fltmc fails, as it does then): nothing runs.
for f in "${sys_folders[@]}"; do cp "$standin" "$f/fltmc.exe"; done
run tcp.cmd "$fresh"
code=$?
[ $code -eq 3 ] || fail "not administrator: exit code $code, not 3 ($(cat "$scratch/run.out"))"
# (fltmc, being the stand-in too, logs an empty command line)
! grep -q interface "$c/iz-netsh/log.txt" || fail "netsh ran without administrator rights"
for f in "${sys_folders[@]}"; do rm -f "$f/fltmc.exe"; done
echo "PASS: without administrator rights exit code 3, netsh never ran"

# A refusal: every setting as before, exit code 1.
run tcp.cmd "refuse=congestionprovider"$'\n'"$fresh"
code=$?
[ $code -eq 1 ] || fail "a refused setting: exit code $code, not 1 ($(cat "$scratch/run.out"))"
[ "$(state)" = "refuse=congestionprovider"$'\n'"$fresh" ] || fail "the refusal changed: $(state)"
grep -q 'result: failed, every setting put back' "$log" || fail "the log misses the failure"

run tcp.cmd "$fresh" || fail "Windows 7: exit code $? ($(cat "$scratch/run.out"); $(cat "$log"))"
grep -q '^interface tcp set global congestionprovider=ctcp *$' "$c/iz-netsh/log.txt" ||
  fail "the provider was not set by set global: $(cat "$c/iz-netsh/log.txt")"
! grep -q 'supplemental\|rsc' "$c/iz-netsh/log.txt" || fail "7 was given a line it refuses"
[ "$(state)" = "${fresh/congestionprovider=none/congestionprovider=ctcp}" ] || fail "state: $(state)"
grep -q 'skipped "rsc=disabled": Windows 7 has no TCP setting "rsc"' "$log" || fail "rsc not skipped"
grep -q 'Windows found: 6.1 build 7601' "$log" || fail "the log misses the Windows"
grep -q 'result: done (exit code 0)' "$log" || fail "the log misses the result"
echo "PASS: on Windows 7 the provider set by set global, rsc skipped, logged"

# All or nothing with an MTU, in a later script: the refused last line puts
# back the first two.
after=$(state)
run mtu.cmd "refuse=timestamps"$'\n'"$after"
code=$?
[ $code -eq 1 ] || fail "MTU script refused: exit code $code, not 1 ($(cat "$scratch/run.out"))"
[ "$(state)" = "refuse=timestamps"$'\n'"$after" ] || fail "not all put back: $(state)"
run mtu.cmd "$after" || fail "MTU script: exit code $? ($(cat "$scratch/run.out"))"
want=${after/timestamps=disabled/timestamps=enabled}
[ "$(state)" = "${want/more!=1500/more!=1400}" ] || fail "MTU state: $(state)"
grep -q 'absent: no connection "Absent" on this machine' "$log" || fail "the absent one not logged"
echo "PASS: the MTU script all or nothing, the absent connection logged"

# The undo script puts back the settings from before the first run, the
# MTU the later script set first included.
run undo.cmd "$(state)" || fail "undo: exit code $? ($(cat "$scratch/run.out"))"
[ "$(state)" = "$fresh" ] || fail "undo left: $(state)"
run undo.cmd "$fresh"
code=$?
[ $code -eq 6 ] || fail "a second undo: exit code $code, not 6"
echo "PASS: the undo script put back the first run's settings"

# The same first script on Windows 10 (its stand-in with templates): the
# provider by set supplemental, rsc set and both found in the dump after.
set_version CurrentVersion REG_SZ 6.3
set_version CurrentMajorVersionNumber REG_DWORD 10
set_version CurrentMinorVersionNumber REG_DWORD 0
set_version CurrentBuildNumber REG_SZ 19045
ten=$'templates=yes\n'${fresh/congestionprovider=none/congestionprovider=cubic}$'\ninitialrto=1000\nrsc=enabled'
run tcp.cmd "$ten" || fail "Windows 10: exit code $? ($(cat "$scratch/run.out"))"
grep -q '^interface tcp set supplemental template=internet congestionprovider=ctcp *$' \
  "$c/iz-netsh/log.txt" || fail "10 was not given set supplemental: $(cat "$c/iz-netsh/log.txt")"
want=${ten/congestionprovider=cubic/congestionprovider=ctcp}
[ "$(state)" = "${want/rsc=enabled/rsc=disabled}" ] || fail "Windows 10 state: $(state)"
grep -q 'Windows found: 10.0 build 19045' "$log" || fail "the log misses Windows 10"
echo "PASS: on Windows 10 the provider set by set supplemental, rsc set"
