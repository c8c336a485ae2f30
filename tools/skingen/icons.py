"""The program's two icons, drawn at the icon sizes, and the .ico format."""

import struct

from PIL import ImageChops

from paint import Layer, WHITE, circle, ellipse, png_bytes, poly, rrect


def emblem_ovn(size):
    """The game's icon: a navy tile with a gold ring and a four-point star."""
    L = Layer(size, size, s=8 if size <= 48 else 4, scaled=False)
    u = size / 16.0
    r = 3.2 * u if size > 16 else 3.0
    L.fill(rrect(0.5 * u, 0.5 * u, 15.5 * u, 15.5 * u, r), (10, 30, 46))
    L.fill(rrect(0.5 * u + max(1, u * 0.6), 0.5 * u + max(1, u * 0.6), 15.5 * u - max(1, u * 0.6), 15.5 * u - max(1, u * 0.6), r * 0.8),
           (0, 0, 0), grad=((40, 104, 132), (12, 36, 56), 0, size))
    cx = cy = size / 2
    ring_w = max(1.4, 1.7 * u)
    ro = 5.4 * u
    ring = ImageChops.subtract(L.mask(circle(cx, cy, ro)), L.mask(circle(cx, cy, ro - ring_w)))
    L.fill(ring, (0, 0, 0), grad=((255, 226, 150), (222, 140, 40), cy - ro, cy + ro))
    if size >= 32:
        k, t = 3.6 * u, 0.9 * u
        star = L.mask(poly([(cx, cy - k), (cx + t, cy - t), (cx + k, cy), (cx + t, cy + t), (cx, cy + k),
                            (cx - t, cy + t), (cx - k, cy), (cx - t, cy - t)]))
        L.fill(star, (255, 244, 214))
    else:
        L.fill(circle(cx, cy, 1.3 * u), (255, 236, 190))
    if size >= 48:  # a soft sheen over the upper half
        sheen = ImageChops.multiply(L.mask(rrect(1.2 * u, 1.2 * u, 14.8 * u, 14.8 * u, r * 0.8)),
                                    L.mask(ellipse(-4 * u, -10 * u, 20 * u, 7.5 * u)))
        L.fill(sheen, WHITE, alpha=34)
    return L.done()


def emblem_portal(size):
    """The portal's icon: an amber tile holding four game tiles, the same
    mark as the launcher's game-hall button."""
    L = Layer(size, size, s=8 if size <= 48 else 4, scaled=False)
    u = size / 16.0
    r = 3.2 * u if size > 16 else 3.0
    L.fill(rrect(0.5 * u, 0.5 * u, 15.5 * u, 15.5 * u, r), (120, 70, 10))
    inset = max(1, u * 0.6)
    L.fill(rrect(0.5 * u + inset, 0.5 * u + inset, 15.5 * u - inset, 15.5 * u - inset, r * 0.8), (0, 0, 0),
           grad=((255, 214, 120), (232, 140, 36), 0, size))
    gap = 1.1 * u if size > 16 else 1.0
    side = (9.6 * u - gap) / 2
    x0 = y0 = (size - 2 * side - gap) / 2
    for i in range(2):
        for j in range(2):
            x, y = x0 + i * (side + gap), y0 + j * (side + gap)
            color = (20, 118, 138) if (i, j) == (1, 0) else (14, 38, 58)
            L.fill(rrect(x, y, x + side, y + side, max(0.8, 1.1 * u)), color)
    if size >= 48:
        sheen = ImageChops.multiply(L.mask(rrect(1.2 * u, 1.2 * u, 14.8 * u, 14.8 * u, r * 0.8)),
                                    L.mask(ellipse(-4 * u, -10 * u, 20 * u, 7.5 * u)))
        L.fill(sheen, WHITE, alpha=34)
    return L.done()


def ico_bytes(images):
    """An .ico file: small sizes as 32-bit DIBs with an AND mask (what every
    Windows version reads), 256 as PNG (as the system itself stores it)."""
    blobs = []
    for im in images:
        w, h = im.size
        if w >= 256:
            blobs.append((w, h, png_bytes(im)))
            continue
        px = im.load()
        header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                xor += bytes((b, g, r, a))
        stride = ((w + 31) // 32) * 4
        andm = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(stride)
            for x in range(w):
                if px[x, y][3] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            andm += row
        blobs.append((w, h, header + bytes(xor) + bytes(andm)))
    out = bytearray(struct.pack('<HHH', 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for w, h, data in blobs:
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in blobs:
        out += data
    return bytes(out)
