#!/usr/bin/env bash
# Makes the ZIP, TAR, TGZ, CAB and RAR archives the archiver tests read, with
# Debian's own tools, from inputs made here. Usage: make_fixtures.sh OUTDIR
# OUTDIR/in keeps the inputs, for comparing extracted bytes.
set -euo pipefail
out=$1
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out.tmp"
mkdir -p "$out.tmp/in"
cd "$out.tmp/in"
export TZ=UTC LC_ALL=C

# Deterministic inputs: a "picture" that does not compress, a member of
# exactly 1234 bytes, one dated 7 March 1999, a name without a dot, folders
# and Shift_JIS names (the second one's trail byte is 0x5C, a backslash).
seq 1 40000 | gzip -9 -n > noise.gz
head -c 9000 noise.gz > photo.JPG
seq 1 400 | sed 's/$/ rivano wallpaper/' > lines.txt
head -c 1234 lines.txt > size1234.txt
rm noise.gz lines.txt
seq 1 3000 | gzip -1 -n > old.jpg
touch -d '1999-03-07 12:00:00' old.jpg
printf 'no dot in this name\r\n' > README
mkdir -p photos/old
cp photo.JPG photos/a.JPG
seq 1 900 > photos/old/c.BMP
sjis1=$(printf '\x8e\xca\x90\x5e.jpg')
sjis2=$(printf '\x95\x5c\x8e\x86.bmp')
cp old.jpg "$sjis1"
seq 5 700 > "$sjis2"
# Wine cannot open a non-UTF-8 Unix name, so the tests compare with these.
seq 5 700 > ../hyoushi_original.bmp
cp old.jpg ../shashin_original.jpg
touch -d '2024-05-01 12:00:00' photo.JPG size1234.txt README photos/a.JPG photos/old/c.BMP "$sjis1" "$sjis2"
mkdir -p ../nopics && cp README size1234.txt ../nopics/
members=(photo.JPG size1234.txt old.jpg README photos "$sjis1" "$sjis2")

zip -q -X -9 -r ../pics.zip "${members[@]}"
zip -q -X -0 -r ../stored.zip "${members[@]}"
zip -q -X -9 -r - "${members[@]}" | cat > ../streamed.zip
zip -q -X -Z bzip2 -r ../bzip2.zip "${members[@]}"
(cd ../nopics && zip -q -X ../nopics.zip README size1234.txt)

tar --format=gnu -cf ../pics_gnu.tar "${members[@]}"
tar --format=ustar -cf ../pics_ustar.tar photo.JPG size1234.txt old.jpg README photos
tar --format=pax -cf ../pics_pax.tar "${members[@]}"
long=photos/a_rather_long_folder_name_for_the_tar_header_name_field_0123456789/and_another_level_abcdefghij
mkdir -p "$long" && cp photo.JPG "$long/long_named_picture.jpeg"
tar --format=gnu -cf ../longname_gnu.tar "$long/long_named_picture.jpeg"
tar --format=pax -cf ../longname_pax.tar "$long/long_named_picture.jpeg"
rm -rf photos/a_rather_long_folder_name_for_the_tar_header_name_field_0123456789

tar --format=gnu -czf ../pics.tgz "${members[@]}"
# Two gzip members, as a split and re-joined stream is.
head -c 10240 ../pics_gnu.tar | gzip -n > ../multi.tgz
tail -c +10241 ../pics_gnu.tar | gzip -n >> ../multi.tgz
gzip -n -c README > ../readme.gz
# 64 MiB of zeros in a few dozen KiB: the bomb the limits must stop.
dd if=/dev/zero bs=1M count=64 status=none | gzip -9 -n > ../bomb.tgz

# No RAR compressor here: stored members, in both header layouts.
python3 "$here/make_rar.py" 4 ../pics.rar "${members[@]}"
python3 "$here/make_rar.py" 5 ../pics5.rar "${members[@]}"

gcab -c -z ../pics.cab photo.JPG size1234.txt old.jpg README photos/a.JPG > /dev/null
gcab -c ../stored.cab photo.JPG size1234.txt photos/old/c.BMP > /dev/null

cd ../..
rm -rf "$out"
mv "$out.tmp" "$out"
