#!/usr/bin/env bash
# Archives for the Windows tests of archive listing and extraction, made
# with the system's own archivers from a small tree of files with known
# sizes and dates. The member files stay beside them in originals/ for
# byte-for-byte comparison after extraction.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath -m "$1")
# zip adds to an archive that is there already, so start from nothing.
mkdir -p "$out"
find "$out" -mindepth 1 -delete
mkdir -p "$out/originals/photos"
cd "$out/originals"
head -c 1234 /dev/urandom > photos/a.JPG
head -c 300 /dev/urandom > b.gif
printf 'not a picture\r\n' > readme.txt
touch -d '1999-03-07 12:00' photos/a.JPG
touch -d '2001-12-25 12:00' b.gif readme.txt
# Info-ZIP keeps the DOS read-only bit of a file that cannot be written.
chmod 0444 b.gif
members=(photos/a.JPG b.gif readme.txt)

zip -q -X -r "$out/pics.zip" photos b.gif readme.txt
zip -q -X "$out/nopics.zip" readme.txt
tar --format=gnu -cf "$out/pics.tar" "${members[@]}"
tar --format=gnu -czf "$out/pics.tgz" "${members[@]}"
tar --format=gnu -cjf "$out/pics.tar.bz2" "${members[@]}"
tar --format=gnu -czf "$out/nopics.tgz" readme.txt
arj a -r -y "$out/pics.arj" "${members[@]}" >/dev/null
jlha c2o5 "$out/pics.lzh" "${members[@]}" >/dev/null
gcab -c -z "$out/pics.cab" "${members[@]}"
# No RAR compressor here: stored members, in both header layouts.
python3 "$here/../archivers/make_rar.py" 4 "$out/pics.rar" photos b.gif readme.txt
python3 "$here/../archivers/make_rar.py" 5 "$out/pics5.rar" photos b.gif readme.txt

# A Japanese name in the system code page (Shift_JIS), whose second byte
# 0x5C is also the ASCII backslash. Its content is kept under an ASCII name,
# as Wine shows Linux file names as UTF-8.
mkdir -p "$out/sjis"
head -c 777 /dev/urandom > "$out/originals/sjis_member.bmp"
sjis=$(printf '\x95\x5c\x8e\x86.bmp')
cp "$out/originals/sjis_member.bmp" "$out/sjis/$sjis"
(cd "$out/sjis" && LC_ALL=C zip -q -X "$out/sjis.zip" "$sjis" &&
  LC_ALL=C tar --format=gnu -czf "$out/sjis.tgz" "$sjis")
rm -rf "$out/sjis"

# Member names that try to leave the extraction folder, and one that
# stays; and a member declaring a size too wide for the list's column.
python3 - "$out" <<'PY'
import io, struct, sys, tarfile, zipfile
out = sys.argv[1]
payload = open(out + "/originals/photos/a.JPG", "rb").read()
evil = ["../evil_dotdot.jpg", "..\\evil_backslash.jpg", "/evil_absolute.jpg",
        "C:\\evil_drive.jpg", "photos/../../evil_mid.jpg", "ok/normal.jpg"]
with zipfile.ZipFile(out + "/traversal.zip", "w") as z:
    for name in evil:
        z.writestr(zipfile.ZipInfo(name, (2001, 1, 1, 0, 0, 0)), payload)
with tarfile.open(out + "/traversal.tar", "w", format=tarfile.GNU_FORMAT) as t:
    for name in evil:
        info = tarfile.TarInfo(name)
        info.size = len(payload)
        t.addfile(info, io.BytesIO(payload))

buf = io.BytesIO()
with zipfile.ZipFile(buf, "w") as z:
    z.writestr(zipfile.ZipInfo("first.jpg", (2001, 1, 1, 0, 0, 0)), payload)
    z.writestr(zipfile.ZipInfo("huge.bmp", (2001, 1, 1, 0, 0, 0)), payload)
    z.writestr(zipfile.ZipInfo("after.gif", (2001, 1, 1, 0, 0, 0)), payload)
data = bytearray(buf.getvalue())
# Declare 1,500,000,000 unpacked bytes for huge.bmp in both of its headers.
name = b"huge.bmp"
for sig, size_at in ((b"PK\x03\x04", 22), (b"PK\x01\x02", 24)):
    at = 0
    while True:
        at = data.find(sig, at)
        if at < 0:
            break
        name_at = at + (30 if sig == b"PK\x03\x04" else 46)
        if data[name_at:name_at + len(name)] == name:
            struct.pack_into("<I", data, at + size_at, 1500000000)
        at += 4
open(out + "/huge.zip", "wb").write(bytes(data))
PY
# A single compressed picture: its one member has no date of its own.
head -c 500 /dev/urandom > "$out/cover.bmp"
bzip2 -f "$out/cover.bmp"
touch -d '2003-04-05 12:00' "$out/cover.bmp.bz2"
touch "$out/stamp"
