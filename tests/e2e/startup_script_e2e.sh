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
reg_value() { wine reg query "$version_key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { print $3 }'; }
old_version=$(reg_value CurrentVersion)
old_build=$(reg_value CurrentBuildNumber)
old_major=$(reg_value CurrentMajorVersionNumber)
old_minor=$(reg_value CurrentMinorVersionNumber)
cleanup() {
  for f in "${sys_folders[@]}"; do
    rm -f "$f/fltmc.exe"
    [ -e "$f/netsh.exe.iz-aside" ] && mv -f "$f/netsh.exe.iz-aside" "$f/netsh.exe"
  done
  wine reg add "$version_key" /v CurrentVersion /d "$old_version" /f >/dev/null 2>&1
  wine reg add "$version_key" /v CurrentBuildNumber /d "$old_build" /f >/dev/null 2>&1
  [ -n "$old_major" ] && wine reg add "$version_key" /v CurrentMajorVersionNumber /t REG_DWORD \
    /d "$old_major" /f >/dev/null 2>&1
  [ -n "$old_minor" ] && wine reg add "$version_key" /v CurrentMinorVersionNumber /t REG_DWORD \
    /d "$old_minor" /f >/dev/null 2>&1
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
wine reg add "$version_key" /v CurrentVersion /d 6.1 /f >/dev/null 2>&1
wine reg add "$version_key" /v CurrentBuildNumber /d 7601 /f >/dev/null 2>&1
wine reg delete "$version_key" /v CurrentMajorVersionNumber /f >/dev/null 2>&1
wine reg delete "$version_key" /v CurrentMinorVersionNumber /f >/dev/null 2>&1
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

# The undo script puts back the settings from before the first run.
run undo.cmd "$(state)" || fail "undo: exit code $? ($(cat "$scratch/run.out"))"
[ "$(state)" = "$fresh" ] || fail "undo left: $(state)"
run undo.cmd "$fresh"
code=$?
[ $code -eq 6 ] || fail "a second undo: exit code $code, not 6"
echo "PASS: the undo script put back the first run's settings"

# All or nothing with an MTU: the refused last line puts back the first two.
run mtu.cmd "refuse=timestamps"$'\n'"$fresh"
code=$?
[ $code -eq 1 ] || fail "MTU script refused: exit code $code, not 1 ($(cat "$scratch/run.out"))"
[ "$(state)" = "refuse=timestamps"$'\n'"$fresh" ] || fail "not all put back: $(state)"
run mtu.cmd "$fresh" || fail "MTU script: exit code $? ($(cat "$scratch/run.out"))"
want=${fresh/congestionprovider=none/congestionprovider=ctcp}
want=${want/timestamps=disabled/timestamps=enabled}
[ "$(state)" = "${want/more!=1500/more!=1400}" ] || fail "MTU state: $(state)"
grep -q 'absent: no connection "Absent" on this machine' "$log" || fail "the absent one not logged"
echo "PASS: the MTU script all or nothing, the absent connection logged"

