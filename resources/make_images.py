#!/usr/bin/env python3
"""Draws the program's small pictures (icon, list icons, button faces, the
version dialog's picture and the link cursor) and writes them as Windows
BMP, ICO and CUR files. Run it again after changing a drawing; the output
is committed so that a build needs no Python."""
import struct
import sys
from pathlib import Path

GREEN = (0, 255, 0)  # the image lists' mask colour


def canvas(w, h, fill):
    return [[fill for _ in range(w)] for _ in range(h)]


def rect(img, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(len(img), y1)):
        for x in range(max(0, x0), min(len(img[0]), x1)):
            img[y][x] = colour


def frame(img, x0, y0, x1, y1, colour):
    rect(img, x0, y0, x1, y0 + 1, colour)
    rect(img, x0, y1 - 1, x1, y1, colour)
    rect(img, x0, y0, x0 + 1, y1, colour)
    rect(img, x1 - 1, y0, x1, y1, colour)


def scaled(img, size):
    """The picture at `size` pixels square, each pixel the average of the
    area it covers: whole multiples come out as the plain enlargement, the
    sizes between (125 %, 150 %) shade their edges instead of doubling
    every few rows. A pixel mostly on the mask colour stays the mask
    colour, and the mask never tints a pixel, so no green fringe shows."""
    n = len(img)
    out = canvas(size, size, GREEN)
    for y in range(size):
        for x in range(size):
            # The source area [x0, x1) x [y0, y1) in units of 1 / size.
            x0, x1, y0, y1 = x * n, (x + 1) * n, y * n, (y + 1) * n
            total = [0, 0, 0]
            weight = masked = 0
            for sy in range(y0 // size, (y1 - 1) // size + 1):
                h = min(y1, (sy + 1) * size) - max(y0, sy * size)
                for sx in range(x0 // size, (x1 - 1) // size + 1):
                    w = min(x1, (sx + 1) * size) - max(x0, sx * size)
                    p = img[sy][sx]
                    if p == GREEN:
                        masked += w * h
                        continue
                    weight += w * h
                    for i in range(3):
                        total[i] += p[i] * w * h
            if weight > masked:
                out[y][x] = tuple((t + weight // 2) // weight for t in total)
    return out


# The pictures are drawn at 100, 125, 150 and 200 %; a bitmap's larger
# drawings carry its resource number plus 1000, 2000 and 3000.
PERCENTS = (100, 125, 150, 200)


def at_percent(pixels, percent):
    return pixels * percent // 100


def bmp_bytes(img):
    h, w = len(img), len(img[0])
    stride = (w * 3 + 3) & ~3
    rows = b""
    for row in reversed(img):
        line = b"".join(bytes((b, g, r)) for (r, g, b) in row)
        rows += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 3780, 3780, 0, 0)
    return header + info + rows


def dib_with_mask(img, transparent):
    """32-bit colour rows plus a 1-bit AND mask, as icons and cursors store them."""
    h, w = len(img), len(img[0])
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b""
    for row in reversed(img):
        for p in row:
            alpha = 0 if p == transparent else 255
            colour += bytes((p[2], p[1], p[0], alpha))
    mask_stride = ((w + 31) // 32) * 4
    mask = b""
    for row in reversed(img):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p == transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return info + colour + mask


def icon_file(images, transparent, kind=1, hotspot=(0, 0)):
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for img in images:
        blob = dib_with_mask(img, transparent)
        w, h = len(img[0]), len(img)
        a, b = (1, 32) if kind == 1 else hotspot
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, a, b, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def picture_frame(size):
    """The program's icon: a framed landscape."""
    img = canvas(16, 16, GREEN)
    rect(img, 1, 2, 15, 14, (120, 72, 24))
    rect(img, 2, 3, 14, 13, (110, 180, 240))
    rect(img, 2, 9, 14, 13, (60, 150, 60))
    rect(img, 10, 4, 13, 7, (250, 220, 60))
    rect(img, 4, 7, 8, 9, (60, 150, 60))
    return scaled(img, size)


def folder(size):
    img = canvas(16, 16, GREEN)
    rect(img, 1, 3, 7, 5, (220, 170, 40))
    rect(img, 1, 5, 15, 14, (245, 200, 70))
    frame(img, 1, 5, 15, 14, (150, 110, 20))
    return scaled(img, size)


def archive(size, colour, stripe):
    img = canvas(16, 16, GREEN)
    rect(img, 2, 2, 14, 15, colour)
    frame(img, 2, 2, 14, 15, (60, 60, 60))
    rect(img, 7, 2, 9, 15, stripe)
    for y in range(3, 12, 2):
        rect(img, 7, y, 9, y + 1, (40, 40, 40))
    return scaled(img, size)


def arrow(pointing_right, size=16):
    face = (212, 208, 200)
    img = canvas(16, 16, face)
    for i in range(5):
        x = 5 + i if pointing_right else 10 - i
        rect(img, x, 3 + i, x + 1, 13 - i, (0, 0, 128))
    # The face is no mask colour: the arrow's edges shade into it.
    return scaled(img, size)


def about_picture(size=64):
    return scaled(picture_frame(16), size)


def hand_cursor():
    img = canvas(32, 32, GREEN)
    rect(img, 10, 2, 14, 16, (255, 255, 255))
    frame(img, 10, 2, 14, 16, (0, 0, 0))
    rect(img, 6, 14, 24, 28, (255, 255, 255))
    frame(img, 6, 14, 24, 28, (0, 0, 0))
    return img


def main(out):
    out.mkdir(parents=True, exist_ok=True)
    icon_sizes = (32, 16, 20, 24, 40, 48, 64)
    (out / "rivano.ico").write_bytes(icon_file([picture_frame(s) for s in icon_sizes], GREEN))
    (out / "link.cur").write_bytes(icon_file([hand_cursor()], GREEN, kind=2, hotspot=(11, 2)))
    for percent in PERCENTS:
        suffix = "" if percent == 100 else str(at_percent(16, percent))
        (out / f"about{'' if percent == 100 else at_percent(64, percent)}.bmp").write_bytes(
            bmp_bytes(about_picture(at_percent(64, percent))))
        (out / f"widen{suffix}.bmp").write_bytes(bmp_bytes(arrow(True, at_percent(16, percent))))
        (out / f"narrow{suffix}.bmp").write_bytes(bmp_bytes(arrow(False, at_percent(16, percent))))
    kinds = {
        "dir": lambda s: folder(s),
        "lzh": lambda s: archive(s, (200, 120, 200), (150, 60, 150)),
        "zip": lambda s: archive(s, (120, 160, 230), (40, 80, 160)),
        "cab": lambda s: archive(s, (170, 170, 170), (90, 90, 90)),
        "tar": lambda s: archive(s, (220, 190, 140), (140, 100, 50)),
        "rar": lambda s: archive(s, (230, 120, 120), (150, 40, 40)),
    }
    # The large list shows one archive picture for cabinets, tar and RAR alike.
    for name, draw in kinds.items():
        sizes = {at_percent(16, p) for p in PERCENTS}
        if name not in ("cab", "rar"):
            sizes |= {at_percent(32, p) for p in PERCENTS}
        for size in sorted(sizes):
            (out / f"{name}{size}.bmp").write_bytes(bmp_bytes(draw(size)))


if __name__ == "__main__":
    main(Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent / "images")
