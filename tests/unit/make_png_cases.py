#!/usr/bin/env python3
"""Writes PNGs of every colour type and bit depth, plain and interlaced, with
and without transparency, each row under one of the five filters, and beside
each the pixels a reader must give drawn over the background: NAME.png and
NAME.rgb (8-bit R, G, B, top row first). manifest.txt lists "NAME WIDTH
HEIGHT OPAQUE" and its first line is the background as RRGGBB.

Only zlib and struct: an encoder written apart from the decoder under test.
Usage: make_png_cases.py FOLDER
"""
import os
import random
import struct
import sys
import zlib

BACKGROUND = (0x33, 0x66, 0x99)
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack_row(samples, depth):
    """A row of samples (flat list) to bytes at the given depth."""
    if depth == 16:
        return b"".join(struct.pack(">H", v) for v in samples)
    if depth == 8:
        return bytes(samples)
    out, acc, bits = bytearray(), 0, 0
    for v in samples:
        acc = acc << depth | v
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filter_row(kind, row, above, step):
    out = bytearray()
    for i, x in enumerate(row):
        a = row[i - step] if i >= step else 0
        b = above[i]
        c = above[i - step] if i >= step else 0
        predictor = [0, a, b, (a + b) // 2, paeth(a, b, c)][kind]
        out.append((x - predictor) & 0xFF)
    return bytes([kind]) + bytes(out)


def scanlines(pixels, width, height, channels, depth, interlaced):
    """pixels[y][x] is a tuple of samples."""
    step = max(1, channels * depth // 8)
    passes = ADAM7 if interlaced else [(0, 0, 1, 1)]
    data, n = bytearray(), 0
    for x0, y0, dx, dy in passes:
        xs = list(range(x0, width, dx))
        ys = list(range(y0, height, dy))
        if not xs or not ys:
            continue
        above = None
        for y in ys:
            row = pack_row([s for x in xs for s in pixels[y][x]], depth)
            if above is None:
                above = bytes(len(row))
            data += filter_row(n % 5, row, above, step)
            n += 1
            above = row
    return bytes(data)


def to_eight(v, depth):
    if depth == 16:
        return (v + 128) // 257
    if depth == 8:
        return v
    return v * 255 // ((1 << depth) - 1)


def over(c, b, alpha):
    return (c * alpha + b * (255 - alpha) + 127) // 255


def expected(pixels, colour, depth, palette, alphas, key):
    out = bytearray()
    for row in pixels:
        for s in row:
            if colour == 3:
                r, g, b = palette[s[0]]
                a = alphas[s[0]] if s[0] < len(alphas) else 255
            elif colour in (0, 4):
                r = g = b = to_eight(s[0], depth)
                a = to_eight(s[1], depth) if colour == 4 else (0 if key == s else 255)
            else:
                r, g, b = (to_eight(v, depth) for v in s[:3])
                a = to_eight(s[3], depth) if colour == 6 else (0 if key == s else 255)
            out += bytes(over(c, bg, a) for c, bg in zip((r, g, b), BACKGROUND))
    return bytes(out)


def write_case(folder, manifest, name, width, height, colour, depth, interlaced, transparency, rng):
    channels = CHANNELS[colour]
    top = (1 << depth) - 1
    palette, alphas, key = [], [], None
    if colour == 3:
        entries = min(1 << depth, 200)
        palette = [(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(entries)]
        top = entries - 1
    pixels = [[tuple(rng.randint(0, top) for _ in range(channels)) for _ in range(width)] for _ in range(height)]
    extra = b""
    if transparency:
        if colour == 3:
            # Fewer alphas than entries: the rest stay opaque.
            alphas = [rng.randrange(256) for _ in range(max(1, len(palette) // 2))]
            alphas[0] = 0
            extra = chunk(b"tRNS", bytes(alphas))
        elif colour in (0, 2):
            key = pixels[0][0]
            # A few more pixels with the key's colour, wherever they fall.
            for _ in range(width * height // 7):
                pixels[rng.randrange(height)][rng.randrange(width)] = key
            extra = chunk(b"tRNS", b"".join(struct.pack(">H", v) for v in key + (0,) * (3 - len(key)))[: 2 * channels])
    header = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 1 if interlaced else 0)
    data = zlib.compress(scanlines(pixels, width, height, channels, depth, interlaced), 9)
    # The data split over several IDAT chunks, as encoders that stream do.
    idats = b"".join(chunk(b"IDAT", data[i : i + 97]) for i in range(0, len(data), 97))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
    png += chunk(b"tEXt", b"Comment\x00made by the test")
    if palette:
        png += chunk(b"PLTE", b"".join(bytes(p) for p in palette))
    png += extra + idats + chunk(b"IEND", b"")
    with open(os.path.join(folder, name + ".png"), "wb") as f:
        f.write(png)
    with open(os.path.join(folder, name + ".rgb"), "wb") as f:
        f.write(expected(pixels, colour, depth, palette, alphas, key))
    opaque = colour in (0, 2, 3) and not transparency
    manifest.append(f"{name} {width} {height} {1 if opaque else 0}")


def main():
    folder = sys.argv[1]
    rng = random.Random(20261208)
    manifest = ["%02X%02X%02X" % BACKGROUND]
    depths = {0: [1, 2, 4, 8, 16], 2: [8, 16], 3: [1, 2, 4, 8], 4: [8, 16], 6: [8, 16]}
    for colour, ds in depths.items():
        for depth in ds:
            for interlaced in (False, True):
                for transparency in (False, True) if colour in (0, 2, 3) else (False,):
                    name = f"c{colour}d{depth}{'i' if interlaced else 'p'}{'t' if transparency else ''}"
                    write_case(folder, manifest, name, 37, 23, colour, depth, interlaced, transparency, rng)
    # Pictures smaller than an interlace block leave passes empty.
    for w, h in ((1, 1), (3, 2), (9, 1), (1, 9)):
        write_case(folder, manifest, f"small{w}x{h}", w, h, 2, 8, True, False, rng)
    with open(os.path.join(folder, "manifest.txt"), "w") as f:
        f.write("\n".join(manifest) + "\n")


if __name__ == "__main__":
    main()
