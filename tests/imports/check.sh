#!/bin/sh
# Fails when the program imports a function that Windows 95 or Windows NT 4.0
# (each with Internet Explorer 4) lacks: Windows refuses to start a program
# whose import table names a function that its DLLs do not export, and Wine
# resolves every import whatever version it reports, so no other test sees it.
# Each DLL the program may import has a list here, <dll>.txt, one exported
# name a line; an import missing from its list fails, naming DLL and function.
# The program must also stay within 480 KiB (README, "Quality"), and keep
# the marks that let Windows load it anywhere and refuse to run its data;
# `make bench` asks this script for the limit, so that both hold the program
# to one figure.
#   check.sh OBJDUMP PROGRAM.exe
#   check.sh --size-limit     prints the limit in bytes
set -u
maxBytes=491520
[ "${1:-}" = --size-limit ] && { echo "$maxBytes"; exit 0; }
objdump=$1 exe=$2
lists=$(cd "$(dirname "$0")" && pwd)
[ -f "$exe" ] || { echo "no $exe" >&2; exit 1; }
size=$(wc -c <"$exe")
[ "$size" -le "$maxBytes" ] || { echo "$exe: $size bytes, more than $maxBytes ($((maxBytes / 1024)) KiB)"; exit 1; }
"$objdump" -p "$exe" | awk -v lists="$lists" '
  function fail(text) { print text; failed = 1 }
  # The PE header: Windows 95 and NT 4.0 refuse a subsystem newer than 4.0.
  $1 ~ /^Major(Subsystem|OSystem)Version$/ && $2 != 4 { fail($1 " is " $2 ", not 4") }
  $1 ~ /^Minor(Subsystem|OSystem)Version$/ && $2 != 0 { fail($1 " is " $2 ", not 0") }
  $1 == "DYNAMIC_BASE" || $1 == "NX_COMPAT" { marked[$1] = 1 }
  $1 == "Entry" && $2 == 5 && $4 !~ /^0+$/ { relocations = 1 }
  /^\tDLL Name: / {
    dll = $3; entries = 0
    name = tolower(dll); sub(/\.dll$/, "", name); list = lists "/" name ".txt"
    if (!(list in allowed)) {
      allowed[list] = 0
      while ((getline line < list) > 0) {
        allowed[list] = 1
        if (line !~ /^#/ && line != "") exported[list, line] = 1
      }
      close(list)
    }
    if (!allowed[list]) fail(dll ": not a DLL the program may import")
    next
  }
  # An imported entry: address, hint and name; by ordinal it has no name.
  dll != "" && /^\t[0-9a-f]+\t/ {
    ++entries; ++imports
    if (NF < 3 || $3 == "<none>") fail(dll " ordinal " $2 ": imported by ordinal")
    else if (!((list, $3) in exported))
      fail(dll " " $3 ": lacking on Windows 95 or NT 4.0, or not checked yet (" name ".txt)")
  }
  /^$/ && entries > 0 { dll = ""; entries = 0 }
  END {
    if (imports == 0) fail("no imports read: the objdump output was not understood")
    if (!marked["DYNAMIC_BASE"] || !marked["NX_COMPAT"] || !relocations)
      fail("not marked DYNAMIC_BASE and NX_COMPAT with its relocations kept")
    exit failed
  }'
