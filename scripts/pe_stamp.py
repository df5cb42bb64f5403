#!/usr/bin/env python3
"""Sets the link time of a Windows program file or library to the given
Unix time and writes its checksum again, so that stripping the same build
twice gives the same bytes (strip stamps the file with the current time)."""
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
    at = pe + 24 + 64
    struct.pack_into("<I", data, at, checksum(bytes(data), at))
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
