#!/usr/bin/env python3
"""Writes a RAR archive of stored members, since no RAR compressor is at hand.

    make_rar.py 4|5 ARCHIVE MEMBER...

Run from the folder the member paths are relative to. Folders become folder
entries, followed by what they hold; files are stored with their modification time and the read-only
bit of their permissions, and a CRC-32 of their bytes. Layout 4 is the
RAR 1.5-4.x block format (Windows host, local DOS time); layout 5 is RAR 5
(Windows host, Unix time in UTC).
"""
import os
import stat
import struct
import sys
import time
import zlib


def dos_stamp(mtime):
    t = time.localtime(mtime)
    date = (max(t.tm_year, 1980) - 1980) << 9 | t.tm_mon << 5 | t.tm_mday
    clock = t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec // 2
    return date << 16 | clock


def attributes(path):
    st = os.stat(path)
    if stat.S_ISDIR(st.st_mode):
        return 0x10
    return 0x20 | (0 if st.st_mode & stat.S_IWUSR else 0x01)


def expand(members):
    """Folders with their contents, depth first, names sorted."""
    out = []
    for name in members:
        out.append(name)
        if os.path.isdir(name):
            out += expand([os.path.join(name, child) for child in sorted(os.listdir(name))])
    return out


def raw_name(name):
    """The name's bytes as the file system has them (Shift_JIS stays Shift_JIS)."""
    return os.fsencode(name)


def utf8_name(name):
    """RAR 5 names are UTF-8; bytes that are not are read as Shift_JIS."""
    raw = raw_name(name)
    try:
        raw.decode("utf-8")
        return raw
    except UnicodeDecodeError:
        return raw.decode("cp932").encode("utf-8")


def block4(kind, flags, body):
    header = struct.pack("<BHH", kind, flags, len(body) + 7) + body
    return struct.pack("<H", zlib.crc32(header) & 0xFFFF) + header


def rar4(members):
    out = bytearray(b"Rar!\x1a\x07\x00")
    out += block4(0x73, 0, struct.pack("<HI", 0, 0))
    for name in members:
        folder = os.path.isdir(name)
        data = b"" if folder else open(name, "rb").read()
        stored = raw_name(name).replace(b"/", b"\\")
        flags = 0x8000 | (0xE0 if folder else 0)
        body = struct.pack("<IIBIIBBHI", len(data), len(data), 2, zlib.crc32(data),
                           dos_stamp(os.stat(name).st_mtime), 29 if not folder else 20, 0x30,
                           len(stored), attributes(name)) + stored
        out += block4(0x74, flags, body) + data
    out += block4(0x7B, 0x4000, b"")
    return bytes(out)


def vint(value):
    out = bytearray()
    while value >= 0x80:
        out.append(value & 0x7F | 0x80)
        value >>= 7
    out.append(value)
    return bytes(out)


def header5(fields):
    sized = vint(len(fields)) + fields
    return struct.pack("<I", zlib.crc32(sized)) + sized


def rar5(members):
    out = bytearray(b"Rar!\x1a\x07\x01\x00")
    out += header5(vint(1) + vint(0) + vint(0))
    for name in members:
        folder = os.path.isdir(name)
        data = b"" if folder else open(name, "rb").read()
        stored = utf8_name(name)
        fields = (vint(2) + vint(0x0002) + vint(len(data)) +
                  vint(0x0001 | 0x0002 | 0x0004 if folder else 0x0002 | 0x0004) + vint(len(data)) +
                  vint(attributes(name)) + struct.pack("<II", int(os.stat(name).st_mtime), zlib.crc32(data)) +
                  vint(0) + vint(0) + vint(len(stored)) + stored)
        out += header5(fields) + data
    out += header5(vint(5) + vint(0) + vint(0))
    return bytes(out)


def main():
    layout, archive, members = sys.argv[1], sys.argv[2], sys.argv[3:]
    members = expand(members)
    data = rar4(members) if layout == "4" else rar5(members)
    with open(archive, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
