#!/usr/bin/env python3
"""Prints the version of a Windows program file as its version dialog shows
it (major.minor as two digits.revision as four digits, e.g. 2.05.0269),
read from the file's own version resource.

The numbers come from the fixed part of the resource (VS_FIXEDFILEINFO); the
text "FileVersion" of its string table must say the same, or the file is
refused, so a package is never named after a version the program does not
report."""
import struct
import sys

RT_VERSION = 16


def fail(message):
    sys.exit(f"pe_version: {message}")


def sections(data):
    if data[:2] != b"MZ":
        fail("not a program file (no MZ header)")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        fail("not a PE file")
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    directories = pe + 24 + (96 if magic == 0x10B else 112)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, directories + 2 * 8)
    table = pe + 24 + optional_size
    found = []
    for i in range(count):
        _, vsize, rva, raw_size, raw_at = struct.unpack_from("<8sIIII", data, table + 40 * i)
        found.append((rva, max(vsize, raw_size), raw_at))
    return found, rsrc_rva, rsrc_size


def file_offset(found, rva):
    for start, size, raw_at in found:
        if start <= rva < start + size:
            return raw_at + rva - start
    fail(f"address {rva:#x} lies in no section")


def version_block(data):
    found, rsrc_rva, rsrc_size = sections(data)
    if not rsrc_size:
        fail("the file has no resources")
    base = file_offset(found, rsrc_rva)

    def entries(at):
        named, ids = struct.unpack_from("<HH", data, base + at + 12)
        for i in range(named + ids):
            yield struct.unpack_from("<II", data, base + at + 16 + 8 * i)

    # Type, then name, then language: the first of each below RT_VERSION.
    level = None
    for ident, target in entries(0):
        if ident == RT_VERSION:
            level = target
    if level is None:
        fail("the file has no version resource")
    for _ in range(2):
        level = next(iter(entries(level & 0x7FFFFFFF)))[1]
    if level & 0x80000000:
        fail("malformed resource directory")
    rva, size = struct.unpack_from("<II", data, base + level)
    at = file_offset(found, rva)
    return data[at:at + size]


def parse_block(block, at):
    """One VS_VERSIONINFO-style node: (key, value bytes, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", block, at)
    end = at + length
    key_end = at + 6
    while block[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = block[at + 6:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    value_bytes = value_length * 2 if kind == 1 else value_length
    value = block[value_at:value_at + value_bytes]
    children = []
    child = (value_at + value_bytes + 3) & ~3
    while child < end:
        node = parse_block(block, child)
        children.append(node)
        child = (node[3] + 3) & ~3
    return key, value, children, end


def main():
    if len(sys.argv) != 2:
        fail("usage: pe_version.py <program file>")
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    key, value, children, _ = parse_block(version_block(data), 0)
    if key != "VS_VERSION_INFO" or len(value) < 52:
        fail("malformed version resource")
    signature, _, ms, ls = struct.unpack_from("<IIII", value, 0)
    if signature != 0xFEEF04BD:
        fail("version resource without fixed file information")
    major, minor, revision = ms >> 16, ms & 0xFFFF, ls & 0xFFFF
    shown = f"{major}.{minor:02d}.{revision:04d}"
    strings = {}
    for child_key, _, tables, _ in children:
        if child_key == "StringFileInfo":
            for _, _, pairs, _ in tables:
                for name, text, _, _ in pairs:
                    strings[name] = text.decode("utf-16-le").rstrip("\0")
    if strings.get("FileVersion") != shown:
        fail(f"FileVersion text {strings.get('FileVersion')!r} differs from the numbers {shown}")
    print(shown)


if __name__ == "__main__":
    main()
