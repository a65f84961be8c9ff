#!/usr/bin/env python3
"""Writes the program icon for Windows from res/legwise.xpm: one 16-colour image (4 bits per pixel)
with a transparency mask, the XPM's size and colours kept.

Usage: tools/xpm-to-ico.py res/legwise.xpm res/legwise.ico
"""
import re
import struct
import sys


def read_xpm(path):
    rows = re.findall(r'"([^"]*)"', open(path, encoding="ascii").read())
    width, height, count, per_pixel = (int(v) for v in rows[0].split()[:4])
    colours = {}
    for line in rows[1:1 + count]:
        key, fields = line[:per_pixel], line[per_pixel:].split()
        value = fields[fields.index("c") + 1]
        colours[key] = None if value.lower() == "none" else int(value.lstrip("#"), 16)
    pixels = [[row[x:x + per_pixel] for x in range(0, width * per_pixel, per_pixel)]
              for row in rows[1 + count:1 + count + height]]
    if len(pixels) != height or any(len(row) != width for row in pixels):
        sys.exit(f"{path}: the image is not {width} by {height}")
    return width, height, colours, pixels


def ico(width, height, colours, pixels):
    palette = sorted({c for c in colours.values() if c is not None})
    if len(palette) > 16:
        sys.exit("more than 16 colours")
    palette += [0] * (16 - len(palette))
    index = {key: palette.index(c) if c is not None else 0 for key, c in colours.items()}

    def padded(row):
        return row + b"\0" * (-len(row) % 4)

    colour_rows, mask_rows = [], []
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        nibbles = [index[p] for p in row] + [0] * (width % 2)
        colour_rows.append(padded(bytes(a << 4 | b for a, b in zip(nibbles[::2], nibbles[1::2]))))
        bits = "".join("1" if colours[p] is None else "0" for p in row)
        bits += "0" * (-len(bits) % 8)
        mask_rows.append(padded(bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))))
    image = (struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 4, 0, 0, 0, 0, 16, 0)
             + b"".join(struct.pack("<I", c) for c in palette)  # 0x00RRGGBB is B, G, R, 0 in the file
             + b"".join(colour_rows) + b"".join(mask_rows))
    return (struct.pack("<HHH", 0, 1, 1)
            + struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, 1, 4, len(image), 6 + 16)
            + image)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[2], "wb") as out:
        out.write(ico(*read_xpm(sys.argv[1])))
