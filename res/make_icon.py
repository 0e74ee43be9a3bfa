#!/usr/bin/env python3
"""Writes res/morvane.ico: the icon drawn here at every size Windows asks for, so it can be regenerated.

The 32 x 32 image is the drawing itself; the others scale it. Each is 24-bit colour, except the
256 x 256 one, which is stored as PNG (as Windows expects at that size).
"""
import os
import struct
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
DRAWING = 32
# The white bar chart of the drawing: columns from, to (inclusive), and top row; all end at row 26.
BARS = ((5, 11, 18), (13, 19, 8), (21, 27, 13))
BARS_BOTTOM = 27


def edge(cell, n):
    """A cell edge of the 32 x 32 drawing in an n x n image, halves rounded up."""
    return (2 * cell * n + DRAWING) // (2 * DRAWING)


def bars(n):
    """The bars as pixel ranges [left, right) and [top, bottom), one pixel apart at least."""
    spans = []
    for x0, x1, top in BARS:
        spans.append([edge(x0, n), edge(x1 + 1, n), edge(top, n), edge(BARS_BOTTOM, n)])
    for left, right in zip(spans, spans[1:]):
        left[1] = min(left[1], right[0] - 1)
    return spans


def pixels(n):
    """Rows of (r, g, b) from the top: a teal square with a dark border and a white bar chart."""
    border = max(1, edge(1, n))
    chart = bars(n)
    rows = []
    for y in range(n):
        row = []
        for x in range(n):
            if x < border or y < border or x >= n - border or y >= n - border:
                row.append((0, 0, 0))
            elif any(x0 <= x < x1 and y0 <= y < y1 for x0, x1, y0, y1 in chart):
                row.append((255, 255, 255))
            else:
                shade = 90 + (y * 73) // (n - 1)
                row.append((0, shade, shade))
        rows.append(row)
    return rows


def bitmap_image(n):
    """A 24-bit icon image: header, colour rows bottom-up, then an opaque mask."""
    xor = b"".join(
        b"".join(struct.pack("<BBB", b, g, r) for (r, g, b) in row).ljust((3 * n + 3) // 4 * 4, b"\0")
        for row in reversed(pixels(n))
    )
    and_mask = b"\x00" * ((n + 31) // 32 * 4 * n)  # fully opaque; each row padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 24, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def png_image(n):
    """An opaque RGBA PNG."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + b"".join(bytes((r, g, b, 255)) for (r, g, b) in row) for row in pixels(n))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    images = [(n, png_image(n) if n >= 256 else bitmap_image(n)) for n in SIZES]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for n, image in images:
        # A size of 256 is written as 0; the PNG image carries 32 bits per pixel.
        directory += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32 if n >= 256 else 24,
                                 len(image), offset)
        offset += len(image)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "morvane.ico")
    with open(out, "wb") as f:
        f.write(directory + b"".join(image for _, image in images))


if __name__ == "__main__":
    main()
