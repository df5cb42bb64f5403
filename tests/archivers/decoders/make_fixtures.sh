#!/usr/bin/env bash
# Builds the archives the decoder tests read, with Debian's own archivers,
# from inputs made here. Usage: make_fixtures.sh OUTDIR
set -euo pipefail
out=$1
rm -rf "$out.tmp"
mkdir -p "$out.tmp/in"
cd "$out.tmp/in"

# Inputs: text that compresses well, noise that does not, long runs (the
# bzip2 run-length stage), an empty file, folders and Shift_JIS names.
seq 1 8000 | sed 's/$/ rivano wallpaper line/' > text.txt
head -c 40000 /dev/urandom > noise.bin
{ head -c 70000 /dev/zero; printf 'abcd%.0s' $(seq 1 3000); head -c 300 /dev/zero | tr '\0' 'x'; } > runs.bin
: > empty.txt
mkdir -p photos/old
cp noise.bin photos/a.JPG
cp text.txt photos/old/c.BMP
# 写真.jpg in Shift_JIS; the second name's trail byte is 0x5C, a backslash.
sjis1=$(printf '\x8e\xca\x90\x5e.jpg')
sjis2=$(printf '\x95\x5c\x8e\x86.bmp')
cp text.txt "$sjis1"
cp noise.bin "$sjis2"
flat="text.txt noise.bin runs.bin empty.txt"
tree="$flat photos/a.JPG photos/old/c.BMP"

# ARJ: every method; a folder tree with raw Shift_JIS names.
for m in 0 1 2 3 4; do arj a -m$m -y "../m$m.arj" $flat > /dev/null; done
# arj takes a backslash in a name it is given for a separator, so the
# names come from its own wildcard walk.
arj a -m1 -r -y ../tree.arj '*' > /dev/null

# bzip2: single files, two streams back to back, tar inside.
bzip2 -9 -c text.txt > ../text.txt.bz2
bzip2 -1 -c runs.bin > ../runs.bin.bz2
bzip2 -c empty.txt > ../empty.txt.bz2
{ head -c 20000 text.txt | bzip2 -c; tail -c +20001 text.txt | bzip2 -c; } > ../multi.txt.bz2
tar cf ../tree.tar $tree
bzip2 -c ../tree.tar > ../tree.tar.bz2
# 200 MB of zeros shrink to a few hundred bytes: a decompression bomb.
head -c 200000000 /dev/zero | bzip2 -9 -c > ../bomb.bz2

# LZH: each method at each header level jlha writes, plus stored and folders.
if command -v jlha > /dev/null; then
  # jlha writes UTF-8 names as Shift_JIS with "y"; it needs UTF-8 ones.
  mkdir -p ../lzhin/photos/old
  cp $flat ../lzhin/
  cp photos/a.JPG ../lzhin/photos/
  cp photos/old/c.BMP ../lzhin/photos/old/
  cp text.txt "../lzhin/写真.jpg"
  cp noise.bin "../lzhin/表紙.bmp"
  cd ../lzhin
  export LC_ALL=C.UTF-8
  for lvl in 0 1 2; do
    for m in 5 6 7; do jlha "c${lvl}o${m}q" "../lh${m}_h${lvl}.lzh" $flat > /dev/null; done
    jlha "c${lvl}zq" "../lh0_h${lvl}.lzh" $flat > /dev/null
    jlha "c${lvl}o5yq" "../tree_h${lvl}.lzh" $tree 写真.jpg 表紙.bmp > /dev/null
  done
  cd ../in
fi

cp -r . ../originals
cd ..
rm -rf in lzhin
cd ..
rm -rf "$out"
mv "$out.tmp" "$out"
