#!/usr/bin/env python3
"""Draws tolvik's icon, two folders joined by a chain link, and writes it as
resources/tolvik.ico (one 32 x 32 image, 16 colours, 4 bits per pixel) and
docs/icon.png (the same picture, four times larger, for the README).

Only the standard library is used, so the icon can be made again anywhere:
    python3 resources/make_icon.py
"""
import os
import struct
import zlib

SIZE = 32
# The 16 colours every Windows display has, as (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, OLIVE, NAVY, SILVER, YELLOW, BLUE, WHITE = 0, 3, 4, 7, 11, 12, 15
CLEAR = None


def draw():
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]

    def put(x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            pixels[y][x] = colour

    def folder(left, top, width, height):
        # The tab, then the body with a light top edge and a dark outline.
        for x in range(left, left + 8):
            for y in range(top, top + 3):
                put(x, y, YELLOW)
        for x in range(left, left + 8):
            put(x, top, OLIVE)
        put(left, top + 1, OLIVE)
        put(left + 7, top + 1, OLIVE)
        body_top = top + 2
        for y in range(body_top, top + height):
            for x in range(left, left + width):
                put(x, y, YELLOW)
        for x in range(left + 1, left + width - 1):
            put(x, body_top + 1, WHITE)
        for x in range(left, left + width):
            put(x, body_top, OLIVE)
            put(x, top + height - 1, BLACK)
        for y in range(top, top + height):
            put(left, y, OLIVE if y < top + height - 1 else BLACK)
        for y in range(body_top, top + height):
            put(left + width - 1, y, BLACK)

    def ring(left, top, right, bottom):
        # A rounded chain link, two pixels thick.
        for x in range(left + 1, right):
            for y in (top, top + 1, bottom - 1, bottom):
                put(x, y, BLUE if y in (top, bottom) else NAVY)
        for y in range(top + 1, bottom):
            for x in (left, left + 1, right - 1, right):
                put(x, y, BLUE if x in (left, right) else NAVY)

    folder(1, 2, 19, 14)
    folder(12, 16, 19, 14)
    ring(7, 11, 17, 18)
    ring(14, 14, 24, 21)
    # Let the first link pass over the second where they cross.
    for y in range(12, 18):
        put(16, y, NAVY)
        put(17, y, BLUE)
    return pixels


def ico(pixels):
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # bottom-up
        nibbles = [BLACK if p is CLEAR else p for p in row]
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        mask = 0
        for p in row:
            mask = (mask << 1) | (1 if p is CLEAR else 0)
        and_rows.append(struct.pack(">I", mask))
    xor_bits, and_bits = b"".join(xor_rows), b"".join(and_rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 16, 0)
    image = header + palette + xor_bits + and_bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def png(pixels, scale):
    raw = b""
    for row in pixels:
        line = b"".join(
            (bytes((0, 0, 0, 0)) if p is CLEAR else bytes(PALETTE[p] + (255,))) * scale
            for p in row)
        raw += (b"\x00" + line) * scale

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    side = SIZE * scale
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    pixels = draw()
    with open(os.path.join(top, "resources", "tolvik.ico"), "wb") as out:
        out.write(ico(pixels))
    os.makedirs(os.path.join(top, "docs"), exist_ok=True)
    with open(os.path.join(top, "docs", "icon.png"), "wb") as out:
        out.write(png(pixels, 4))


if __name__ == "__main__":
    main()
