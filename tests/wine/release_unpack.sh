#!/usr/bin/env bash
# Makes the release zip from the build through scripts/release.sh, checks
# the package as a file (its list, checksum, stripped programs, the guides'
# encodings), and unpacks it into the test prefix as a user would, into
# "C:\Program Files\壁紙 Rivano", beside "C:\壁紙 素材" with one picture source
# of every kind the archiver libraries read. release_test.cpp takes it from
# there.
#
# Usage: release_unpack.sh <source folder> <bin folder> <output folder>
set -euo pipefail
root=$1
bin=$2
out=$3
if [ -z "${WINEPREFIX:-}" ] || [ "${WINEPREFIX%/}" = "$HOME/.wine" ]; then
  echo "release_unpack: WINEPREFIX must name a throwaway prefix (see scripts/test.sh)" >&2
  exit 2
fi
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

rm -rf "$out"
bash "$root/scripts/release.sh" --from "$bin" "$out"
zips=("$out"/Rivano-*.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || { echo "FAIL: no single zip in $out" >&2; exit 1; }
zip=${zips[0]}
version=$(python3 "$root/scripts/pe_version.py" "$bin/Rivano.exe")
[ "$(basename "$zip")" = "Rivano-$version.zip" ] || fail "zip named $(basename "$zip"), version is $version"
[ "$version" = 2.05.0269 ] || fail "the program reports version $version"

# Exactly what a user needs, at the top of the zip.
expected="Readme-en.txt Readme-ja.txt Rivano.exe cab32.dll tar32.dll unarj32j.dll unlha32.dll unrar32.dll unzip32.dll"
listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ' | sed 's/ $//')
[ "$listed" = "$expected" ] || fail "the zip holds: $listed"
unzip -tq "$zip" >/dev/null || fail "the zip does not test clean"
(cd "$out" && sha256sum --quiet -c "$(basename "$zip").sha256") || fail "the SHA-256 file does not match the zip"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked"
for file in "$unpacked"/*.exe "$unpacked"/*.dll; do
  name=$(basename "$file")
  i686-w64-mingw32-objdump -h "$file" | grep -q '\.debug' && fail "$name holds debug sections"
  [ -z "$(i686-w64-mingw32-nm "$file" 2>/dev/null | head -n 1)" ] || fail "$name keeps its symbol table"
  [ "$(stat -c %s "$file")" -lt "$(stat -c %s "$bin/$name")" ] || fail "$name is not smaller than the build's"
done

# The Japanese guide: Shift_JIS (code page 932) that decodes to the source
# text, every line ended by CR LF.
expected_text() { sed "s/@VERSION@/$version/g" "$root/release/guide-$1.txt"; }
check_crlf() {  # file: no LF without CR before it, no CR without LF after it
  python3 - "$1" <<'PY' || return 1
import sys
data = open(sys.argv[1], "rb").read()
lf = data.count(b"\n"); crlf = data.count(b"\r\n"); cr = data.count(b"\r")
sys.exit(0 if lf > 0 and lf == crlf == cr and data.endswith(b"\r\n") else 1)
PY
}
ja=$unpacked/Readme-ja.txt
check_crlf "$ja" || fail "Readme-ja.txt has line ends other than CR LF"
if decoded=$(iconv -f CP932 -t UTF-8 "$ja" | tr -d '\r'); then
  [ "$decoded" = "$(expected_text ja)" ] || fail "Readme-ja.txt does not decode to release/guide-ja.txt"
else
  fail "Readme-ja.txt is not valid Shift_JIS"
fi
# Only characters of the JIS standard itself, none of Microsoft's extras, so
# that any Shift_JIS reader shows it.
iconv -f SHIFT_JIS -t UTF-8 "$ja" >/dev/null 2>&1 || fail "Readme-ja.txt uses characters outside standard Shift_JIS"
LC_ALL=C grep -q -P '[\x81-\x9F\xE0-\xFC]' "$ja" || fail "Readme-ja.txt holds no Japanese"
iconv -f UTF-8 -t UTF-8 "$ja" >/dev/null 2>&1 && fail "Readme-ja.txt is UTF-8, not Shift_JIS"
grep -q "v$version" <(iconv -f CP932 -t UTF-8 "$ja") || fail "Readme-ja.txt does not name version $version"
en=$unpacked/Readme-en.txt
check_crlf "$en" || fail "Readme-en.txt has line ends other than CR LF"
[ "$(head -c 3 "$en" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "Readme-en.txt has no UTF-8 byte-order mark"
[ "$(tail -c +4 "$en" | tr -d '\r')" = "$(expected_text en)" ] || fail "Readme-en.txt differs from release/guide-en.txt"

# As a user unpacks it: into a folder whose path has a space and Japanese.
install="$WINEPREFIX/drive_c/Program Files/壁紙 Rivano"
rm -rf "$install"
mkdir -p "$install"
unzip -q "$zip" -d "$install"

# One picture source of each kind, each with its own picture: a size and a
# colour that tell which source the wallpaper came from.
sources="$WINEPREFIX/drive_c/壁紙 素材"
rm -rf "$sources"
mkdir -p "$sources/フォルダ"
work=$(mktemp -d)
trap 'rm -rf "$unpacked" "$work"' EXIT
convert -size 81x41 xc:'#FF8000' "BMP3:$sources/フォルダ/夕焼け.bmp"
cd "$work"
mkdir photos
convert -size 82x42 xc:'#0000FF' -quality 95 lzh.jpg
convert -size 83x43 xc:'#00FF00' photos/zip.gif
convert -size 84x44 xc:'#FF0000' BMP3:arj.bmp
convert -size 85x45 xc:'#FFFF00' BMP3:tar.bmp
convert -size 86x46 xc:'#00FFFF' tgz.gif
convert -size 87x47 xc:'#FF00FF' BMP3:tbz.bmp
convert -size 88x48 xc:'#808080' BMP3:single.bmp
convert -size 89x49 xc:'#800000' BMP3:cab.bmp
convert -size 90x50 xc:'#008000' BMP3:rar.bmp
printf 'not a picture\r\n' >readme.txt
jlha c2o5 "$sources/lzh 書庫.lzh" lzh.jpg readme.txt >/dev/null
zip -q -X "$sources/zip 書庫.zip" photos/zip.gif readme.txt
arj a -y "$sources/arj 書庫.arj" arj.bmp readme.txt >/dev/null
tar --format=gnu -cf "$sources/tar 書庫.tar" tar.bmp readme.txt
tar --format=gnu -czf "$sources/tgz 書庫.tgz" tgz.gif readme.txt
tar --format=gnu -cjf "$sources/tbz 書庫.tar.bz2" tbz.bmp readme.txt
bzip2 -c single.bmp >"$sources/single.bmp.bz2"
gcab -c "$sources/cab 書庫.cab" cab.bmp readme.txt
# A RAR archive as WinRAR writes one with "store": no RAR packer on Debian.
python3 - "$sources/rar 書庫.rar" rar.bmp readme.txt <<'PY'
import struct, sys, zlib
def block(kind, flags, body, extra=b""):
    head = struct.pack("<BHH", kind, flags, 7 + len(body)) + body
    return struct.pack("<H", zlib.crc32(head) & 0xFFFF) + head + extra
out = b"Rar!\x1a\x07\x00" + block(0x73, 0, b"\0" * 6)
for name in sys.argv[2:]:
    data = open(name, "rb").read()
    body = struct.pack("<IIBIIBBHI", len(data), len(data), 2, zlib.crc32(data),
                       (2024 - 1980) << 25 | 5 << 21 | 1 << 16 | 12 << 11, 20, 0x30,
                       len(name), 0x20) + name.encode()
    out += block(0x74, 0x8000, body, data)
out += block(0x7B, 0x4000, b"")
open(sys.argv[1], "wb").write(out)
PY
cd - >/dev/null
[ "$failures" -eq 0 ] || { echo "$failures check(s) of the package failed" >&2; exit 1; }
echo "unpacked $(basename "$zip") into $install"
