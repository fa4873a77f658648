#!/usr/bin/env bash
# The layering test's second half: a library may use only symbols that it
# or a library of a lower level defines. An #include can be avoided with a
# declaration written by hand; the linker's view cannot. Run as
#   check_links.sh NM LEVEL:LIBRARY:FILE ...
# A symbol no library of ours defines comes from the system or the C++
# runtime and is not ours to check.
set -euo pipefail
nm=$1
shift
declare -A level_of file_of
libs=()
for arg in "$@"; do
  IFS=: read -r level name file <<<"$arg"
  level_of[$name]=$level
  file_of[$name]=$file
  libs+=("$name")
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for name in "${libs[@]}"; do
  # "symbol type" per line; archive member headers have no type.
  "$nm" -P -g "${file_of[$name]}" | awk 'NF >= 2 && $2 != "" { print $1, $2 }' >"$scratch/$name.all"
  awk '$2 != "U" && $2 != "w" && $2 != "v" { print $1 }' "$scratch/$name.all" | sort -u >"$scratch/$name.def"
  awk '$2 == "U" { print $1 }' "$scratch/$name.all" | sort -u >"$scratch/$name.und"
  sed "s/\$/ $name/" "$scratch/$name.def" >>"$scratch/definers"
done
sort -u -o "$scratch/definers" "$scratch/definers"

failures=0
for name in "${libs[@]}"; do
  own=${level_of[$name]}
  # Each undefined symbol with every library of ours that defines it.
  while read -r symbol definers; do
    allowed=0
    for d in $definers; do
      if [ "$d" = "$name" ] || [ "${level_of[$d]}" -lt "$own" ]; then allowed=1; fi
    done
    if [ $allowed -eq 0 ]; then
      echo "$name (level $own) uses $symbol, defined only in: $definers (higher or beside it)"
      failures=$((failures + 1))
    fi
  done < <(join "$scratch/$name.und" <(awk '{ a[$1] = a[$1] " " $2 } END { for (s in a) print s a[s] }' "$scratch/definers" | sort))
done
if [ $failures -gt 0 ]; then
  echo "$failures symbol use(s) against cmake/layers.txt"
  exit 1
fi
echo "${#libs[@]} libraries use only their own symbols and those of lower levels"
