#!/usr/bin/env python3
"""Draws the six browser-mode pictures of the mode dialog (res/browsermode/modeN.bmp): a small
browse window with its folder tree, preview pane and file list where each mode docks them.
Run it again after changing a layout; the pictures are committed."""
import os
import struct

W, H = 100, 76
PALETTE = {
    'back': (212, 208, 200), 'frame': (64, 64, 64), 'caption': (10, 36, 106), 'bar': (192, 192, 192),
    'tree': (255, 251, 220), 'treeline': (128, 110, 40), 'preview': (255, 255, 255),
    'ink': (20, 20, 120), 'list': (236, 236, 236), 'thumb': (150, 170, 200), 'status': (180, 180, 180),
}
NAMES = list(PALETTE)


def rect(pixels, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(H, y1)):
        for x in range(max(0, x0), min(W, x1)):
            pixels[y][x] = NAMES.index(colour)


def outline(pixels, x0, y0, x1, y1):
    rect(pixels, x0, y0, x1, y0 + 1, 'frame')
    rect(pixels, x0, y1 - 1, x1, y1, 'frame')
    rect(pixels, x0, y0, x0 + 1, y1, 'frame')
    rect(pixels, x1 - 1, y0, x1, y1, 'frame')


def tree(pixels, x0, y0, x1, y1):
    rect(pixels, x0, y0, x1, y1, 'tree')
    for i, y in enumerate(range(y0 + 3, y1 - 2, 4)):
        indent = 3 + 3 * (i % 3)
        rect(pixels, x0 + indent, y, min(x1 - 2, x0 + indent + 12), y + 1, 'treeline')
    outline(pixels, x0, y0, x1, y1)


def preview(pixels, x0, y0, x1, y1):
    rect(pixels, x0, y0, x1, y1, 'preview')
    cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
    w, h = max(4, (x1 - x0) // 3), max(3, (y1 - y0) // 3)
    rect(pixels, cx - w, cy - h, cx + w, cy - h + 1, 'ink')
    rect(pixels, cx - w, cy + h, cx + w, cy + h + 1, 'ink')
    rect(pixels, cx - w, cy - h, cx - w + 1, cy + h + 1, 'ink')
    rect(pixels, cx + w, cy - h, cx + w + 1, cy + h + 1, 'ink')
    rect(pixels, cx - w, cy, cx + w, cy + 1, 'ink')
    outline(pixels, x0, y0, x1, y1)


def file_list(pixels, x0, y0, x1, y1):
    rect(pixels, x0, y0, x1, y1, 'list')
    for y in range(y0 + 3, y1 - 8, 11):
        for x in range(x0 + 3, x1 - 9, 12):
            rect(pixels, x, y, x + 9, y + 8, 'thumb')
    outline(pixels, x0, y0, x1, y1)


def window(mode):
    pixels = [[NAMES.index('back')] * W for _ in range(H)]
    left, right = (0, W) if mode <= 4 else (14, W - 14)
    rect(pixels, left, 0, right, H, 'bar')
    rect(pixels, left, 0, right, 6, 'caption')
    rect(pixels, left, H - 5, right, H, 'status')
    outline(pixels, left, 0, right, H)
    top, bottom = 12, H - 5
    mid_x, mid_y = left + (right - left) * 36 // 100, top + (bottom - top) * 55 // 100
    if mode == 1:
        tree(pixels, left + 1, top, mid_x, mid_y)
        preview(pixels, left + 1, mid_y, mid_x, bottom)
        file_list(pixels, mid_x, top, right - 1, bottom)
    elif mode == 2:
        tree(pixels, left + 1, top, mid_x, mid_y)
        file_list(pixels, mid_x, top, right - 1, mid_y)
        preview(pixels, left + 1, mid_y, right - 1, bottom)
    elif mode in (3, 4):
        row = top + (bottom - top) * 45 // 100
        half = (left + right) // 2
        first, second = (tree, preview) if mode == 3 else (preview, tree)
        first(pixels, left + 1, top, half, row)
        second(pixels, half, top, right - 1, row)
        file_list(pixels, left + 1, row, right - 1, bottom)
    else:
        docked = preview if mode == 5 else tree
        file_list(pixels, left + 1, top, right - 1, mid_y)
        docked(pixels, left + 1, mid_y, right - 1, bottom)
    return pixels


def write_bmp(path, pixels):
    row_size = (W + 3) & ~3
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE.values())
    palette += b'\0' * (256 * 4 - len(palette))
    data = b''.join(bytes(row) + b'\0' * (row_size - W) for row in reversed(pixels))
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, W, H, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    with open(path, 'wb') as out:
        out.write(header + info + palette + data)


if __name__ == '__main__':
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res', 'browsermode')
    os.makedirs(folder, exist_ok=True)
    for mode in range(1, 7):
        write_bmp(os.path.join(folder, 'mode%d.bmp' % mode), window(mode))
