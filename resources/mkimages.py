#!/usr/bin/env python3
"""Draws the program's icons and cursor and writes them as .ICO/.CUR files.

TAMSEL32.ICO  a list sheet with a drop arrow (32 x 32, 16 colours)
ORVANE.ICO    the maker's emblem, a vane in a ring (32 x 32, 16 colours)
TAMSEL32.CUR  an arrow with a small sheet, hot spot at its tip (0, 0),
              32 x 32 monochrome

Run it in resources/ to regenerate the committed files.
"""
import struct

# The standard 16-colour palette, as (r, g, b).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
           (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
           (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
           (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, NAVY, TEAL, SILVER, GRAY, RED, YELLOW, WHITE = 0, 4, 6, 7, 8, 9, 11, 15
N = 32


def blank():
    return [[None] * N for _ in range(N)]  # None: transparent


def rect(img, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = c


ARROW = """
B
BB
BWB
BWWB
BWWWB
BWWWWB
BWWWWWB
BWWWWWWB
BWWWWWWWB
BWWWWWWWWB
BWWWWWBBBBB
BWWBWWB
BWB BWWB
BB  BWWB
B    BWWB
     BWWB
      BB
""".strip('\n').split('\n')


def tamsel_icon():
    img = blank()
    # The sheet, with its top right corner folded down.
    rect(img, 8, 2, 27, 30, BLACK)
    rect(img, 9, 3, 26, 29, WHITE)
    for i in range(6):
        for x in range(22 + i, 28):
            img[2 + i][x] = None
        img[2 + i][21 + i] = BLACK
        rect(img, 21, 2 + i, 20 + i, 2 + i, SILVER)
        img[2 + i][21] = BLACK
    rect(img, 21, 8, 27, 8, BLACK)
    # Lines of names.
    for y, w in ((11, 13), (15, 9), (19, 12), (23, 7)):
        rect(img, 11, y, 11 + w, y + 1, NAVY)
    # The drop arrow, pointing down onto the sheet's left edge.
    for y in range(8, 26):
        half = 2 if y < 18 else 25 - y
        for x in range(5 - half - 1, 5 + half + 2):
            outline = x in (5 - half - 1, 5 + half + 1) or y == 8 or (y == 18 and abs(x - 5) > 2)
            img[y][x] = BLACK if outline else RED
    return img


def orvane_icon():
    img = blank()
    c = 15.5
    for y in range(N):
        for x in range(N):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            if d <= 15.5:
                img[y][x] = BLACK if d > 14.3 else (TEAL if d > 11.5 else WHITE)
    # The vane: a pointer from lower left to upper right, red head, gray tail.
    for t in range(-8, 7):
        for w in (-1, 0, 1):
            img[16 - t][15 + t + w] = RED if t > 0 else GRAY
    for i in range(6):
        rect(img, 24 - 5 + i, 6 + i, 24, 6 + i, RED)
    rect(img, 14, 15, 17, 18, BLACK)
    return img


def cursor():
    img = blank()
    for y, line in enumerate(ARROW):
        for x, ch in enumerate(line):
            if ch != ' ':
                img[y][x] = BLACK if ch == 'B' else WHITE
    # A small sheet beside the arrow.
    rect(img, 13, 14, 23, 27, BLACK)
    rect(img, 14, 15, 22, 26, WHITE)
    for y in (17, 19, 21, 23):
        rect(img, 15, y, 21, y, BLACK)
    return img


def ico(img):
    xor = bytearray()
    andm = bytearray()
    for row in reversed(img):          # bottom-up
        for x in range(0, N, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            xor.append(hi << 4 | lo)
        bits = 0
        for x in range(N):
            bits = bits << 1 | (row[x] is None)
        andm += struct.pack('>I', bits)
    pal = b''.join(struct.pack('<4B', b, g, r, 0) for r, g, b in PALETTE)
    bih = struct.pack('<IiiHHIIiiII', 40, N, 2 * N, 1, 4, 0, len(xor) + len(andm), 0, 0, 16, 0)
    data = bih + pal + bytes(xor) + bytes(andm)
    head = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', N, N, 16, 0, 1, 4, len(data), 6 + 16)
    return head + entry + data


def cur(img, hotx, hoty):
    xor = bytearray()
    andm = bytearray()
    for row in reversed(img):
        xbits = abits = 0
        for x in range(N):
            xbits = xbits << 1 | (row[x] == WHITE)
            abits = abits << 1 | (row[x] is None)
        xor += struct.pack('>I', xbits)
        andm += struct.pack('>I', abits)
    pal = struct.pack('<8B', 0, 0, 0, 0, 255, 255, 255, 0)
    bih = struct.pack('<IiiHHIIiiII', 40, N, 2 * N, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 0)
    data = bih + pal + bytes(xor) + bytes(andm)
    head = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', N, N, 2, 0, hotx, hoty, len(data), 6 + 16)
    return head + entry + data


if __name__ == '__main__':
    with open('TAMSEL32.ICO', 'wb') as f:
        f.write(ico(tamsel_icon()))
    with open('ORVANE.ICO', 'wb') as f:
        f.write(ico(orvane_icon()))
    with open('TAMSEL32.CUR', 'wb') as f:
        f.write(cur(cursor(), 0, 0))
