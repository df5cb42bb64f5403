#!/usr/bin/env python3
"""Sets the link time of a Windows program file or library to the given
Unix time, in its header and in its export table, and writes its checksum
again, so that the same commit gives the same bytes (strip stamps the file
with the current time, the linker the export table of a library)."""
import struct
import sys


def checksum(data, at):
    total = 0
    padded = data + b"\0" * (len(data) % 2)
    for i in range(0, len(padded), 2):
        if at <= i < at + 4:
            continue  # the checksum field itself counts as zero
        total += padded[i] | padded[i + 1] << 8
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def export_table(data, pe):
    """File offset of the export directory, or None without one."""
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    directories = pe + 24 + (96 if magic == 0x10B else 112)
    rva, size = struct.unpack_from("<II", data, directories)
    if not size:
        return None
    table = pe + 24 + optional_size
    for i in range(struct.unpack_from("<H", data, pe + 6)[0]):
        vsize, start, raw_size, raw_at = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        if start <= rva < start + max(vsize, raw_size):
            return raw_at + rva - start
    return None


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: pe_stamp.py <file> <unix time>")
    path, stamp = sys.argv[1], int(sys.argv[2])
    with open(path, "rb") as f:
        data = bytearray(f.read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"pe_stamp: {path} is not a PE file")
    struct.pack_into("<I", data, pe + 8, stamp)
    exports = export_table(data, pe)
    if exports is not None:
        struct.pack_into("<I", data, exports + 4, stamp)
    at = pe + 24 + 64
    struct.pack_into("<I", data, at, checksum(bytes(data), at))
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
