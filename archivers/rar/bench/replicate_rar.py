#!/usr/bin/env python3
"""Makes a large RAR archive (RAR 5 or 1.5-4.x) out of a small one, as
there is no RAR compressor here: every file member of SOURCE is written
COPIES times, each copy under its own name ("name.0001" ...) with its
header checksum made anew; the packed data stays as the archiver wrote it.
Solid archives are refused (their members depend on one another).

    replicate_rar.py SOURCE COPIES OUTPUT
"""
import struct
import sys
import zlib


def vint(data, at):
    value = shift = 0
    while True:
        b = data[at]
        at += 1
        value |= (b & 0x7F) << shift
        shift += 7
        if b < 0x80:
            return value, at


def put_vint(value):
    out = bytearray()
    while value >= 0x80:
        out.append(value & 0x7F | 0x80)
        value >>= 7
    out.append(value)
    return bytes(out)


def headers(data):
    at = 8
    while at < len(data):
        size, body = vint(data, at + 4)
        end = body + size
        kind, p = vint(data, body)
        flags, p = vint(data, p)
        extra = packed = 0
        if flags & 1:
            extra, p = vint(data, p)
        if flags & 2:
            packed, p = vint(data, p)
        yield kind, flags, at, body, p, end, extra, packed
        at = end + packed


def renamed(data, fields_at, end, extra, prefix, suffix):
    """The header with `suffix` appended to its name."""
    p = fields_at
    file_flags, p = vint(data, p)
    _, p = vint(data, p)  # unpacked size
    _, p = vint(data, p)  # attributes
    if file_flags & 2:
        p += 4
    if file_flags & 4:
        p += 4
    _, p = vint(data, p)  # compression
    _, p = vint(data, p)  # host
    length, name_at = vint(data, p)
    name = data[name_at:name_at + length] + suffix
    fields = prefix + data[fields_at:p] + put_vint(len(name)) + name + data[name_at + length:end]
    sized = put_vint(len(fields)) + fields
    return struct.pack("<I", zlib.crc32(sized)) + sized


def block4(kind, flags, body):
    header = struct.pack("<BHH", kind, flags, len(body) + 7) + body
    return struct.pack("<H", zlib.crc32(header) & 0xFFFF) + header


def rar4(data, copies):
    out = bytearray(data[:7])
    at = 7
    members = []
    while at + 7 <= len(data):
        kind, flags, size = struct.unpack_from("<BHH", data, at + 2)
        extra = struct.unpack_from("<I", data, at + 7)[0] if flags & 0x8000 else 0
        if kind == 0x73:
            assert not flags & 0x0008, "solid archives cannot be replicated"
            out += data[at:at + size]
        elif kind == 0x74:
            assert not flags & 0x0200, "packed Unicode names are not renamed here"
            large = 8 if flags & 0x0100 else 0
            name_size = struct.unpack_from("<H", data, at + 26)[0]
            name_at = at + 32 + large
            members.append((flags, data[at + 7:name_at], data[name_at:name_at + name_size],
                            data[name_at + name_size:at + size], data[at + size:at + size + extra]))
        elif kind == 0x7B:
            break
        at += size + extra
    for i in range(copies):
        for flags, fixed, name, rest, packed in members:
            name += b".%04d" % i
            fixed = fixed[:19] + struct.pack("<H", len(name)) + fixed[21:]
            out += block4(0x74, flags, fixed + name + rest) + packed
    out += block4(0x7B, 0x4000, b"")
    return bytes(out)


def main():
    source, copies, output = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    data = open(source, "rb").read()
    if data[:7] == b"Rar!\x1a\x07\x00":
        open(output, "wb").write(rar4(data, copies))
        return
    assert data[:8] == b"Rar!\x1a\x07\x01\x00", "not a RAR archive"
    out = bytearray(data[:8])
    members = []
    for kind, flags, at, body, fields_at, end, extra, packed in headers(data):
        if kind == 1:
            assert not (data[fields_at] & 4), "solid archives cannot be replicated"
            out += data[at:end]
        elif kind == 2:
            prefix_end = fields_at
            members.append((data[body:prefix_end], fields_at, end, extra, data[end:end + packed]))
    for i in range(copies):
        for prefix, fields_at, end, extra, packed in members:
            out += renamed(data, fields_at, end, extra, prefix, b".%04d" % i) + packed
    end_fields = put_vint(5) + put_vint(0) + put_vint(0)  # end of archive
    sized = put_vint(len(end_fields)) + end_fields
    out += struct.pack("<I", zlib.crc32(sized)) + sized
    open(output, "wb").write(bytes(out))


if __name__ == "__main__":
    main()
