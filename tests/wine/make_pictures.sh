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
convert -size 50x40 xc:'#20C0A0' png24:"$out/teal_50x40.png"
convert -size 30x20 xc:'#C02020' png8:"$out/red_palette_30x20.PNG"
convert -size 36x28 xc:'#404040' -define png:bit-depth=16 png48:"$out/grey_36x28_16bit.png"
printf 'this is no picture\n' > "$out/not_a_picture.jpg"
: > "$out/empty.gif"
# An archive source: a picture inside a sub-folder, and a file that is none.
# The same as RAR archives of both header layouts (stored: there is no RAR
# compressor here).
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out/zipsrc" "$out/pics.zip" "$out/pics.rar" "$out/pics5.rar"
mkdir -p "$out/zipsrc/photos"
convert -size 30x20 xc:'#FF00FF' "$out/zipsrc/photos/m.bmp"
printf 'notes\n' > "$out/zipsrc/readme.txt"
touch -d '2001-12-25 12:00' "$out/zipsrc/photos/m.bmp"
(cd "$out/zipsrc" && zip -q -r ../pics.zip photos readme.txt)
(cd "$out/zipsrc" && python3 "$here/../archivers/make_rar.py" 4 ../pics.rar photos readme.txt &&
  python3 "$here/../archivers/make_rar.py" 5 ../pics5.rar photos readme.txt)

# Damaged pictures, byte by byte: headers that declare a side of nothing,
# metafiles smaller than a pixel and far too large to draw.
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
bmp_declaring() {  # width height: 8 × 8 pixels of data under that header
  { printf 'BM'; le32 246; le32 0; le32 54
    le32 40; le32 "$1"; le32 "$2"; le16 1; le16 24; le32 0; le32 192; le32 2835; le32 2835; le32 0; le32 0
    head -c 192 /dev/zero | tr '\0' '\200'; }
}
gif_of() {  # screen width, height, image width, height; the image holds no pixel
  { printf 'GIF89a'; le16 "$1"; le16 "$2"; printf '\x80\x00\x00\xff\x00\x00\x00\x00\xff\x2c'
    le16 0; le16 0; le16 "$3"; le16 "$4"; printf '\x00\x02\x01\x2c\x00\x3b'; }
}
wmf_of() {  # frame right, bottom, units per inch; an empty drawing
  local sum=$((0xCDD7 ^ 0x9AC6 ^ $1 ^ $2 ^ $3))
  { le16 0xCDD7; le16 0x9AC6; le16 0; le16 0; le16 0; le16 "$1"; le16 "$2"; le16 "$3"; le32 0; le16 $sum
    le16 1; le16 9; le16 0x300; le32 12; le16 0; le32 3; le16 0
    le32 3; le16 0; }
}
bmp_declaring 8 8 > "$out/gray_8x8.bmp"
bmp_declaring 0 240 > "$out/zero_width.bmp"
bmp_declaring 320 0 > "$out/zero_height.bmp"
gif_of 10 10 0 10 > "$out/zero_width_image.gif"
gif_of 0 10 0 10 > "$out/zero_width_screen.gif"
wmf_of 2000 1000 30000 > "$out/small.wmf"      # 96 × 48 twips: 6 × 3 pixels
wmf_of 2000 100 30000 > "$out/sub_pixel.wmf"   # 4.8 twips high
wmf_of 32000 32000 1 > "$out/huge.wmf"         # 32000 inches square
# Two archives holding a member of the same name, each a different picture.
rm -rf "$out/same" "$out/same_a.zip" "$out/same_b.zip"
mkdir -p "$out/same"
convert -size 10x10 xc:'#00FFFF' "BMP3:$out/same/a.bmp"
(cd "$out/same" && zip -q -X ../same_a.zip a.bmp)
convert -size 20x20 xc:'#FFFF00' "BMP3:$out/same/a.bmp"
(cd "$out/same" && zip -q -X ../same_b.zip a.bmp)
# An archive of a PNG, and a text member beside it.
rm -rf "$out/pngzip" "$out/pngs.zip"
mkdir -p "$out/pngzip"
convert -size 24x16 xc:'#8040C0' png24:"$out/pngzip/violet.png"
printf 'notes\n' > "$out/pngzip/notes.txt"
(cd "$out/pngzip" && zip -q -X ../pngs.zip violet.png notes.txt)
# A large photograph's size: a column of one-pixel checks, which only an
# average over every pixel shrinks to an even grey, beside two plain colours.
convert -size 4000x3000 xc:'#2050C0' -fill '#C03020' -draw 'rectangle 1000,0 3999,1999' \
  \( -size 1000x3000 pattern:gray50 \) -geometry +0+0 -composite -quality 95 "$out/large_4000x3000.jpg"
# A photograph taken with the camera held upright: stored on its side (red
# left, blue right), with EXIF orientation 6 saying to turn it a quarter
# clockwise, so that it shows red above blue.
convert -size 1600x1200 xc:'#2050C0' -fill '#C03020' -draw 'rectangle 0,0 799,1199' -quality 95 \
  "$out/upright_stored.jpg"
python3 - "$out/upright_stored.jpg" "$out/upright_1600x1200.jpg" <<'PY'
import struct, sys
jpeg = open(sys.argv[1], 'rb').read()
tiff = b'MM' + struct.pack('>HI', 42, 8) + struct.pack('>H', 1) + struct.pack('>HHIHH', 0x0112, 3, 1, 6, 0) + b'\0' * 4
app1 = b'Exif\0\0' + tiff
open(sys.argv[2], 'wb').write(jpeg[:2] + b'\xff\xe1' + struct.pack('>H', len(app1) + 2) + app1 + jpeg[2:])
PY
rm "$out/upright_stored.jpg"
# JPEGs our decoder refuses: arithmetic coding (the system's loader reads
# it), and one cut off in its headers (no loader reads it).
convert -size 200x100 xc:'#3080E0' ppm:- | cjpeg -arithmetic > "$out/arithmetic_200x100.jpg"
head -c 120 "$out/green_320x240.jpg" > "$out/cut_short.jpg"
touch "$out/stamp"
