#!/usr/bin/env python3
"""Draws the tool palette's button strips (22 x 22 images side by side).

TOOL1/TOOL2 are the normal images, TOOL5/TOOL6 the same images greyed for
inactive buttons. Run from this folder to redraw the .bmp files.
"""
import struct

W = H = 22
FACE, BLACK, DARK, WHITE, RED, BLUE, GREEN, YELLOW, GREY = range(9)
PALETTE = [(192, 192, 192), (0, 0, 0), (128, 128, 128), (255, 255, 255),
           (200, 0, 0), (0, 0, 160), (0, 128, 0), (255, 255, 0), (160, 160, 160)]
PALETTE += [(0, 0, 0)] * (16 - len(PALETTE))


class Image:
    def __init__(self):
        self.px = [[FACE] * W for _ in range(H)]

    def set(self, x, y, c):
        if 0 <= x < W and 0 <= y < H:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, fill=None, edge=BLACK):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                border = x in (x0, x1) or y in (y0, y1)
                if border and edge is not None:
                    self.set(x, y, edge)
                elif not border and fill is not None:
                    self.set(x, y, fill)

    def line(self, x0, y0, x1, y1, c=BLACK):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def circle(self, cx, cy, r, c=BLACK, fill=None):
        for y in range(H):
            for x in range(W):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if fill is not None and d < r - 0.5:
                    self.set(x, y, fill)
                if abs(d - r) < 0.75:
                    self.set(x, y, c)

    def text(self, x, y, s, c=BLACK, scale=1):
        for ch in s:
            rows = FONT[ch]
            for dy, row in enumerate(rows):
                for dx, bit in enumerate(row):
                    if bit == '#':
                        for sy in range(scale):
                            for sx in range(scale):
                                self.set(x + dx * scale + sx, y + dy * scale + sy, c)
            x += (len(rows[0]) + 1) * scale


FONT = {
    'C': [".##", "#..", "#..", "#..", ".##"],
    'R': ["##.", "#.#", "##.", "#.#", "#.#"],
    'T': ["###", ".#.", ".#.", ".#.", ".#."],
    'N': ["#..#", "##.#", "#.##", "#..#", "#..#"],
    'J': ["..#", "..#", "..#", "#.#", ".#."],
    'A': [".#.", "#.#", "###", "#.#", "#.#"],
    'P': ["##.", "#.#", "##.", "#..", "#.."],
    '!': ["#", "#", "#", ".", "#"],
}


def open_icon(im):
    im.rect(2, 6, 16, 17, YELLOW)
    im.rect(2, 4, 8, 6, YELLOW)
    im.line(5, 17, 9, 10); im.line(9, 10, 20, 10); im.line(20, 10, 16, 17)


def save_icon(im):
    im.rect(3, 3, 18, 18, BLUE)
    im.rect(6, 3, 15, 9, WHITE)
    im.rect(6, 12, 15, 18, DARK)


def cut_icon(im):
    im.line(6, 3, 13, 13); im.line(15, 3, 8, 13)
    im.circle(6, 16, 3, RED); im.circle(15, 16, 3, RED)


def paste_icon(im):
    im.rect(3, 4, 14, 18, YELLOW)
    im.rect(6, 2, 11, 5, DARK)
    im.rect(9, 9, 19, 20, WHITE)
    for y in (12, 14, 16):
        im.line(11, y, 17, y, DARK)


def copy_icon(im):
    im.rect(3, 3, 12, 14, WHITE)
    im.rect(9, 8, 18, 19, WHITE)
    for y in (11, 13, 15):
        im.line(11, y, 16, y, DARK)


def undo_icon(im):
    im.circle(11, 12, 6, BLUE)
    for y in range(4, 12):
        for x in range(12, 19):
            im.set(x, y, FACE)
    im.line(5, 12, 2, 9, BLUE); im.line(5, 12, 8, 9, BLUE)


def letters(s, colour):
    def draw(im):
        im.rect(2, 2, 19, 19, WHITE)
        width = sum(len(FONT[ch][0]) + 1 for ch in s) - 1
        im.text(11 - width, 6, s, colour, 2)
    return draw


def plus_icon(im):
    im.rect(9, 4, 12, 17, GREEN); im.rect(4, 9, 17, 12, GREEN)


def minus_icon(im):
    im.rect(4, 9, 17, 12, RED)


def record_icon(im):
    im.circle(11, 11, 6, BLACK, RED)


def jump_icon(im):
    im.line(3, 11, 17, 11, BLUE); im.line(17, 11, 12, 6, BLUE); im.line(17, 11, 12, 16, BLUE)
    im.line(19, 4, 19, 18)


def tune_icon(im):
    im.line(9, 3, 9, 15); im.line(13, 3, 13, 15); im.line(9, 3, 13, 3)
    im.circle(11, 17, 3, BLACK, DARK)


def panic_icon(im):
    im.circle(11, 11, 8, RED, YELLOW)
    im.text(11, 8, '!', BLACK)


TOOL2 = [open_icon, save_icon, cut_icon, paste_icon, copy_icon, undo_icon, plus_icon, minus_icon]
TOOL1 = [letters('C', BLUE), record_icon, letters('T', BLACK), letters('N', GREEN), jump_icon,
         tune_icon, panic_icon]


def grey(c):
    return FACE if c == FACE else (WHITE if c == WHITE else DARK)


def write_strip(name, icons, inactive):
    images = []
    for draw in icons:
        im = Image()
        draw(im)
        images.append(im)
    width = W * 8
    rows = []
    for y in range(H):
        row = []
        for x in range(width):
            n = x // W
            c = images[n].px[y][x % W] if n < len(images) else FACE
            row.append(grey(c) if inactive else c)
        rows.append(row)
    stride = (width * 4 + 31) // 32 * 4
    data = b''
    for row in reversed(rows):
        packed = bytes((row[i] << 4) | row[i + 1] for i in range(0, width, 2))
        data += packed + b'\0' * (stride - len(packed))
    header = struct.pack('<IiiHHIIiiII', 40, width, H, 1, 4, 0, len(data), 2835, 2835, 16, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + len(header) + len(pal)
    with open(name, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', offset + len(data), 0, 0, offset))
        f.write(header + pal + data)


write_strip('tool1.bmp', TOOL1, False)
write_strip('tool2.bmp', TOOL2, False)
write_strip('tool5.bmp', TOOL1, True)
write_strip('tool6.bmp', TOOL2, True)
