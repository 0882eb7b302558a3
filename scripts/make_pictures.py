#!/usr/bin/env python3
"""Draws the recoil editor's four gun pictures and the mouse pad's picture as PNG files
(skin/common/shoot_gun_N.png, skin/common/mousepad_picture.png). Plain Python: polygons filled
with 4x4 supersampling, written with zlib."""
import os
import struct
import sys
import zlib


def png(path, width, height, pixels):
    raw = b"".join(b"\x00" + bytes(pixels[y * width * 4:(y + 1) * width * 4]) for y in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


def inside(poly, x, y):
    hit = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [0] * (width * height * 4)

    def fill(self, poly, colour):
        xs = [p[0] for p in poly]
        ys = [p[1] for p in poly]
        for y in range(max(0, int(min(ys))), min(self.height, int(max(ys)) + 1)):
            for x in range(max(0, int(min(xs))), min(self.width, int(max(xs)) + 1)):
                cover = sum(inside(poly, x + (i + 0.5) / 4, y + (j + 0.5) / 4)
                            for i in range(4) for j in range(4)) / 16
                if cover:
                    self.blend(x, y, colour, cover)

    def blend(self, x, y, colour, cover):
        at = (y * self.width + x) * 4
        alpha = colour[3] / 255 * cover
        old_alpha = self.pixels[at + 3] / 255
        out_alpha = alpha + old_alpha * (1 - alpha)
        for c in range(3):
            old = self.pixels[at + c]
            self.pixels[at + c] = int(round((colour[c] * alpha + old * old_alpha * (1 - alpha)) / out_alpha)) if out_alpha else 0
        self.pixels[at + 3] = int(round(out_alpha * 255))

    def rect(self, x, y, w, h, colour):
        self.fill([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], colour)

    def rounded(self, x, y, w, h, r, colour, steps=8):
        import math
        pts = []
        for cx, cy, start in ((x + w - r, y + r, -90), (x + w - r, y + h - r, 0), (x + r, y + h - r, 90), (x + r, y + r, 180)):
            for s in range(steps + 1):
                a = math.radians(start + 90 * s / steps)
                pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        self.fill(pts, colour)


METAL = (0x9A, 0xA4, 0xB0, 255)
DARK = (0x4A, 0x52, 0x5C, 255)
ACCENT = (0x00, 0x99, 0xFF, 255)


def rifle(c):  # an assault rifle: stock, body, curved magazine, barrel
    c.fill([(8, 40), (52, 34), (56, 58), (14, 66)], DARK)
    c.rect(52, 30, 92, 20, METAL)
    c.rect(144, 35, 62, 7, METAL)
    c.rect(198, 31, 4, 6, METAL)
    c.fill([(96, 50), (112, 50), (122, 82), (106, 86)], DARK)
    c.fill([(66, 50), (80, 50), (76, 74), (62, 74)], DARK)
    c.rect(70, 24, 40, 6, ACCENT)


def smg(c):  # a compact submachine gun with a straight magazine
    c.rect(40, 30, 96, 22, METAL)
    c.rect(136, 36, 40, 8, METAL)
    c.rect(90, 52, 14, 36, DARK)
    c.fill([(52, 52), (68, 52), (62, 80), (46, 80)], DARK)
    c.fill([(16, 34), (40, 32), (40, 40), (20, 44)], DARK)
    c.rect(60, 24, 28, 6, ACCENT)


def sniper(c):  # a long rifle with a scope
    c.fill([(6, 44), (46, 36), (50, 56), (10, 62)], DARK)
    c.rect(46, 34, 70, 16, METAL)
    c.rect(116, 38, 98, 5, METAL)
    c.rounded(62, 16, 54, 12, 6, DARK)
    c.rect(72, 28, 6, 6, DARK)
    c.rect(98, 28, 6, 6, DARK)
    c.fill([(58, 50), (72, 50), (68, 72), (54, 72)], DARK)
    c.rect(88, 50, 12, 16, ACCENT)


def pistol(c):  # a pistol
    c.rect(70, 30, 90, 20, METAL)
    c.fill([(78, 50), (104, 50), (96, 92), (70, 92)], DARK)
    c.fill([(108, 50), (122, 50), (116, 62), (104, 62)], DARK)
    c.rect(150, 26, 6, 4, ACCENT)


def pad(c):  # a desk pad with a light strip round its edge
    c.rounded(2, 2, c.width - 4, c.height - 4, 14, (0x1E, 0x23, 0x2A, 255))
    c.rounded(10, 10, c.width - 20, c.height - 20, 10, (0x2C, 0x33, 0x3C, 255))
    c.rounded(c.width - 62, 16, 40, 12, 6, ACCENT)


def main(root):
    common = os.path.join(root, "skin", "common")
    for n, draw in enumerate((rifle, smg, sniper, pistol)):
        canvas = Canvas(220, 100)
        draw(canvas)
        png(os.path.join(common, "shoot_gun_%d.png" % n), canvas.width, canvas.height, canvas.pixels)
    canvas = Canvas(360, 180)
    pad(canvas)
    png(os.path.join(common, "mousepad_picture.png"), canvas.width, canvas.height, canvas.pixels)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
