#!/usr/bin/env bash
# Pictures for the Windows tests, in kinds our own encoder does not write.
# Plain colours, so that decoded pixels can be checked exactly or nearly.
set -euo pipefail
out=$1
mkdir -p "$out"
convert -size 64x48 xc:'#FF0000' "$out/red_64x48.gif"
convert -size 320x240 xc:'#00A000' -quality 95 "$out/green_320x240.jpg"
convert -size 32x32 xc:'#0000FF' "$out/blue_32.ico"
convert -size 200x100 xc:'#FFFF00' "$out/yellow_200x100.JPEG"
printf 'this is no picture\n' > "$out/not_a_picture.jpg"
: > "$out/empty.gif"
# An archive source: a picture inside a sub-folder, and a file that is none.
rm -rf "$out/zipsrc" "$out/pics.zip"
mkdir -p "$out/zipsrc/photos"
convert -size 30x20 xc:'#FF00FF' "$out/zipsrc/photos/m.bmp"
printf 'notes\n' > "$out/zipsrc/readme.txt"
(cd "$out/zipsrc" && zip -q -r ../pics.zip photos readme.txt)
touch "$out/stamp"
