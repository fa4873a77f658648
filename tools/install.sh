#!/usr/bin/env bash
# Copies the program and its help file into the Wine prefix's own program
# folder, C:\Program Files\Internet Zelvora, and prints the copy's path. The
# journal lives in the Backup folder beside the program, so each prefix keeps
# its own, with the registry it records: an Undo under `make run` never finds
# a record that `make bench` made. Run inside with-wine.sh (WINEPREFIX set).
#   install.sh PROGRAM.exe
set -euo pipefail
exe=$1
dir="$WINEPREFIX/drive_c/Program Files/Internet Zelvora"
help="$(dirname "$exe")/Internet Zelvora.chm"
mkdir -p "$dir"
cp "$exe" "$dir/"
rm -f "$dir/Internet Zelvora.chm"
[ ! -f "$help" ] || cp "$help" "$dir/"
echo "$dir/$(basename "$exe")"
