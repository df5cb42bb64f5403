#!/usr/bin/env bash
# A folder of 10,000 small pictures, p0000.bmp to p9999.bmp, with p4321.bmp
# the one larger file. Made once at build time: under Wine, writing and
# removing that many files would take longer than the test itself.
set -euo pipefail
out=$1
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 2x2 xc:'#336699' "BMP3:$work/small.bmp"
size=$(stat -c %s "$work/small.bmp")
# 2^14 copies in one file by doubling, then cut into files of one each.
cp "$work/small.bmp" "$work/all"
for _ in $(seq 14); do cat "$work/all" "$work/all" > "$work/twice" && mv "$work/twice" "$work/all"; done
head -c $((size * 10000)) "$work/all" > "$work/ten"
(cd "$out" && split -b "$size" -d -a 4 --additional-suffix=.bmp "$work/ten" p)
convert -size 9x9 xc:'#336699' "BMP3:$out/p4321.bmp"
touch "$out/../many.stamp"
