#!/bin/sh
# Makes a folder tree with folder links for the Windows tests: Wine reports each link as a folder
# with the reparse-point bit.
set -eu
root=$1
rm -rf "$root" "$root-elsewhere"
mkdir -p "$root/a" "$root-elsewhere"
echo top > "$root/top.txt"
echo x > "$root/a/x.txt"
echo out > "$root-elsewhere/out.txt"
ln -s . "$root/dot"
ln -s .. "$root/a/back"
ln -s "$root-elsewhere" "$root/ext"
ln -s "$root" "$root-elsewhere/loop"
