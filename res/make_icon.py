#!/usr/bin/env python3
"""Writes res/morvane.ico: one 32 x 32 image, 24-bit colour, drawn here so it can be regenerated."""
import os
import struct

W = H = 32


def pixel(x, y):
    # Teal square with a dark border and a white bar chart: a task manager's mark.
    if x in (0, W - 1) or y in (0, H - 1):
        return (0, 0, 0)
    bars = [(5, 11, 18), (13, 19, 8), (21, 27, 13)]  # x from, x to, top
    for x0, x1, top in bars:
        if x0 <= x <= x1 and top <= y <= 26:
            return (255, 255, 255)
    shade = 90 + (y * 73) // (H - 1)
    return (0, shade, shade)


def main():
    rows = []
    for y in range(H - 1, -1, -1):  # bitmaps are stored bottom-up
        row = b"".join(struct.pack("<BBB", b, g, r) for (r, g, b) in (pixel(x, y) for x in range(W)))
        rows.append(row)
    xor = b"".join(rows)
    and_mask = b"\x00" * (4 * H)  # fully opaque; each row padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 24, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 0, 0, 1, 24, len(image), 22) + image
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "morvane.ico")
    with open(out, "wb") as f:
        f.write(icon)


if __name__ == "__main__":
    main()
