#!/usr/bin/env python3
"""Checks the committed skin images, icons and their resource listing.

Every drawing of every image of the table, at each scale it is drawn for:
the size and cell layout the program relies on;
no visible pixel in the key colour (magenta would turn transparent); binary
alpha except in the login artwork (the loader blends any other alpha over
white); frames transparent exactly in their corner cut, so that the
window shape cut from the 9 x 9 (at 100 %) corner squares is right; stretched frames
uniform where they are stretched; button and tab cells distinct per state.
Also the two icons (16/32/48/256), res/skins.rc and res/skin_ids.h.

Before looking at the files it checks itself: each rule is run against a
broken copy of a good image and must report it.

Standard library only. Usage: check.py [--res DIR]; exit status 0 when all is well.
"""

import argparse
import os
import re
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skintable  # noqa: E402

REPO = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
PNG_SIG = b'\x89PNG\r\n\x1a\n'


class Img:
    """Decoded image: width, height and RGBA bytes, row-major, top row first."""

    def __init__(self, w, h, rgba):
        self.w, self.h, self.px = w, h, rgba

    def at(self, x, y):
        i = (y * self.w + x) * 4
        return tuple(self.px[i:i + 4])

    def alpha(self, x, y):
        return self.px[(y * self.w + x) * 4 + 3]

    def copy(self):
        return Img(self.w, self.h, bytearray(self.px))

    def set(self, x, y, rgba):
        i = (y * self.w + x) * 4
        self.px[i:i + 4] = bytes(rgba)

    def crop_bytes(self, x0, y0, x1, y1):
        return b''.join(bytes(self.px[(y * self.w + x0) * 4:(y * self.w + x1) * 4]) for y in range(y0, y1))


def decode_png(data):
    """8-bit non-interlaced greyscale, RGB, palette (with tRNS), grey+alpha or RGBA."""
    if data[:8] != PNG_SIG:
        raise ValueError('not a PNG file')
    pos, idat, plte, trns, ihdr = 8, b'', None, None, None
    while pos < len(data):
        length, ctype = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack('>I', data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(ctype + body) & 0xffffffff != crc:
            raise ValueError('bad CRC in chunk %r' % ctype)
        if ctype == b'IHDR':
            ihdr = struct.unpack('>IIBBBBB', body)
        elif ctype == b'PLTE':
            plte = body
        elif ctype == b'tRNS':
            trns = body
        elif ctype == b'IDAT':
            idat += body
        elif ctype == b'IEND':
            break
        pos += 12 + length
    if ihdr is None:
        raise ValueError('no IHDR')
    w, h, depth, ctype, _, _, interlace = ihdr
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}.get(ctype)
    if depth != 8 or channels is None or interlace:
        raise ValueError('unsupported PNG form (depth %d, colour type %d, interlace %d)' % (depth, ctype, interlace))
    raw = zlib.decompress(idat)
    stride = w * channels
    out = bytearray()
    prev = bytearray(stride)
    pos = 0
    for _ in range(h):
        ftype = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 255
            elif ftype == 2:
                line[i] = (line[i] + b) & 255
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
            elif ftype != 0:
                raise ValueError('bad filter type %d' % ftype)
        out += line
        prev = line
    if ctype == 6:
        return Img(w, h, out)
    rgba = bytearray()
    for i in range(w * h):
        if ctype == 2:
            rgba += out[i * 3:i * 3 + 3] + b'\xff'
        elif ctype == 0:
            rgba += bytes((out[i],) * 3) + b'\xff'
        elif ctype == 4:
            rgba += bytes((out[i * 2],) * 3) + out[i * 2 + 1:i * 2 + 2]
        else:
            k = out[i]
            a = trns[k] if trns is not None and k < len(trns) else 255
            rgba += plte[k * 3:k * 3 + 3] + bytes((a,))
    return Img(w, h, rgba)


# ------------------------------------------------------------------ rules --
def rule_size(img, entry, dpi):
    cells = entry[4]
    w, h = skintable.scaled_size(entry, dpi)
    errs = []
    if (img.w, img.h) != (w, h):
        errs.append('size %dx%d, expected %dx%d' % (img.w, img.h, w, h))
    if cells > 1 and img.w % cells:
        errs.append('width %d is not %d equal cells' % (img.w, cells))
    return errs


def rule_no_magenta(img, entry, dpi):
    px = img.px
    for i in range(0, len(px), 4):
        if px[i + 3] and px[i] == 255 and px[i + 1] == 0 and px[i + 2] == 255:
            n = i // 4
            return ['visible key-colour pixel at (%d, %d)' % (n % img.w, n // img.w)]
    return []


def rule_binary_alpha(img, entry, dpi):
    if entry[5] == 'art':
        return []
    px = img.px
    for i in range(3, len(px), 4):
        if px[i] not in (0, 255):
            n = i // 4
            return ['half-transparent pixel at (%d, %d) (alpha %d): it would be blended over white'
                    % (n % img.w, n // img.w, px[i])]
    return []


def rule_corners(img, entry, dpi):
    """Frames: transparent exactly where the corners are cut, nowhere else."""
    expected = skintable.expected_cut(entry[5], img.w, img.h, dpi)
    if expected is None:
        return []
    found = {(x, y) for y in range(img.h) for x in range(img.w) if img.alpha(x, y) == 0}
    errs = []
    if found - expected:
        errs.append('transparent outside the corner rounding: %s' % sorted(found - expected)[:6])
    if expected - found:
        errs.append('corner rounding not transparent: %s' % sorted(expected - found)[:6])
    return errs


def window_cut(img, ww, wh, dpi):
    """The pixels the window-shape algorithm removes from a ww x wh window
    (the loader turns exactly the alpha-0 pixels into the key colour)."""
    n, bw, bh = skintable.px(skintable.CORNER_SCAN, dpi), img.w, img.h
    cut = set()
    for y in range(min(n, bh)):
        for j in range(min(n, bw)):
            if img.alpha(j, y) == 0:
                cut.add((j, y))
            if img.alpha(bw - 1 - j, y) == 0:
                cut.add((ww - 1 - j, y))
    for y in range(max(0, bh - n), bh):
        wy = wh - (bh - y)
        for j in range(min(n, bw)):
            if img.alpha(j, y) == 0:
                cut.add((j, wy))
            if img.alpha(bw - 1 - j, y) == 0:
                cut.add((ww - 1 - j, wy))
    return cut


# The stretched frames over an 800 x 600 window: three, two and one pixels of
# the top rows at each side, square at the bottom.
CUT_800x600 = {(0, 0), (1, 0), (2, 0), (797, 0), (798, 0), (799, 0),
               (0, 1), (1, 1), (798, 1), (799, 1), (0, 2), (799, 2)}


def rule_window_shape(img, entry, dpi):
    """At other scales: the same 45-degree cut, px(3) pixels long."""
    if entry[5] != 'frame-top':
        return []
    cut = window_cut(img, 800, 600, dpi)
    expected = CUT_800x600 if dpi == skintable.BASE_DPI else skintable.corner_cut(800, 600, False, dpi)
    return [] if cut == expected else ['800 x 600 window shape cuts %s' % sorted(cut ^ expected)[:8]]


def rule_stretch_uniform(img, entry, dpi):
    """Stretched frames (border 4, caption 30 at 100 %): the pieces that are
    stretched must not vary along the stretch, or the window shows smeared bands."""
    if entry[5] != 'frame-top':
        return []
    B, T = skintable.px(4, dpi), skintable.px(30, dpi)
    errs = []
    for y in list(range(T)) + list(range(img.h - B, img.h)):
        row = {img.at(x, y) for x in range(B, img.w - B)}
        if len(row) != 1:
            errs.append('row %d varies across the stretched top/bottom edge' % y)
    for x in list(range(B)) + list(range(img.w - B, img.w)):
        col = {img.at(x, y) for y in range(T, img.h - B)}
        if len(col) != 1:
            errs.append('column %d varies along the stretched side' % x)
    centre = {img.at(x, y) for x in range(B, img.w - B) for y in range(T, img.h - B)}
    if len(centre) != 1:
        errs.append('body is not one colour')
    return errs[:3]


def rule_cells_distinct(img, entry, dpi):
    cells = entry[4]
    if cells < 2 or img.w % cells:
        return []
    cw = img.w // cells
    blobs = [img.crop_bytes(i * cw, 0, (i + 1) * cw, img.h) for i in range(cells)]
    errs = []
    for i in range(cells):
        if not any(blobs[i][k + 3] for k in range(0, len(blobs[i]), 4)):
            errs.append('cell %d is empty' % i)
        for j in range(i + 1, cells):
            if blobs[i] == blobs[j]:
                errs.append('cells %d and %d are identical' % (i, j))
    return errs


def rule_art(img, entry, dpi):
    """The login artwork: shaped by real alpha, opaque wherever the page may sit."""
    if entry[5] != 'art':
        return []
    errs = []
    for x, y in ((0, 0), (img.w - 1, 0), (0, img.h - 1), (img.w - 1, img.h - 1)):
        if img.alpha(x, y) != 0:
            errs.append('corner (%d, %d) is not transparent' % (x, y))
    m = skintable.px(24, dpi)
    for y in range(m, img.h - m):
        for x in range(m, img.w - m):
            if img.alpha(x, y) != 255:
                errs.append('not opaque at (%d, %d)' % (x, y))
                return errs
    return errs


RULES = [rule_size, rule_no_magenta, rule_binary_alpha, rule_corners, rule_window_shape,
         rule_stretch_uniform, rule_cells_distinct, rule_art]


def check_image(img, entry, dpi=skintable.BASE_DPI):
    errs = []
    for rule in RULES:
        errs += rule(img, entry, dpi)
        if rule is rule_size and errs:
            break  # the other rules assume the right size
    return errs


# ------------------------------------------------------------------ icons --
def check_icon(path):
    with open(path, 'rb') as f:
        data = f.read()
    reserved, kind, count = struct.unpack('<HHH', data[:6])
    if reserved != 0 or kind != 1:
        return ['not an icon file']
    sizes, errs = [], []
    for i in range(count):
        w, h, _, _, planes, bpp, size, offset = struct.unpack('<BBBBHHII', data[6 + 16 * i:22 + 16 * i])
        w, h = w or 256, h or 256
        blob = data[offset:offset + size]
        if len(blob) != size:
            errs.append('entry %d runs past the end of the file' % i)
            continue
        if blob[:8] == PNG_SIG:
            img = decode_png(blob)
            if (img.w, img.h) != (w, h):
                errs.append('entry %d: PNG is %dx%d, directory says %dx%d' % (i, img.w, img.h, w, h))
        else:
            hsize, bw, bh, bplanes, bbpp = struct.unpack('<IiiHH', blob[:16])
            if hsize != 40 or bw != w or bh != 2 * h or bbpp != 32:
                errs.append('entry %d: bad bitmap header' % i)
            stride = ((w + 31) // 32) * 4
            if len(blob) != 40 + w * h * 4 + stride * h:
                errs.append('entry %d: bitmap of the wrong length' % i)
            else:
                alphas = blob[40 + 3:40 + w * h * 4:4]
                if not any(alphas) or all(a == 255 for a in alphas):
                    errs.append('entry %d: no transparency shape' % i)
        sizes.append(w)
    if sorted(sizes) != sorted(skintable.ICON_SIZES):
        errs.append('sizes %s, expected %s' % (sorted(sizes), list(skintable.ICON_SIZES)))
    return errs


# ------------------------------------------------------- resource listing --
def check_rc(res):
    path = os.path.join(res, 'skins.rc')
    with open(path, encoding='ascii') as f:
        lines = [ln.strip() for ln in f.read().splitlines() if ln.strip()]
    expected = ['LANGUAGE 4, 2'] + ['%d PNG "png/%s"' % (skintable.resource_id(e[0], dpi), skintable.png_name(e[0], dpi))
                                    for e, dpi in skintable.drawings()]
    return [] if lines == expected else ['skins.rc does not list exactly the drawings (after LANGUAGE 4, 2)']


def check_header(res):
    with open(os.path.join(res, 'skin_ids.h'), encoding='ascii') as f:
        text = f.read()
    found = dict((name, int(v)) for name, v in re.findall(r'^#define\s+(\w+)\s+(\d+)', text, re.M))
    errs = []
    ids = {}
    for sid, name, *_ in skintable.SKINS:
        ids[name] = found.get(name)
        if found.get(name) != sid:
            errs.append('skin_ids.h: %s should be %d' % (name, sid))
    if len(set(ids.values())) != len(ids):
        errs.append('skin_ids.h: two names share an id')
    listed = [tuple(int(v) for v in m) for m in re.findall(r'SKIN_DRAWING\((\d+), (\d+), (\d+)\)', text)]
    drawn = sorted((e[0], dpi, skintable.resource_id(e[0], dpi)) for e, dpi in skintable.drawings())
    if listed != drawn:
        errs.append('skin_ids.h: SKIN_DRAWINGS does not list every drawing once, in order')
    if len({r for _, _, r in drawn} | set(ids.values())) != len(drawn):
        errs.append('skin_ids.h: two drawings share a resource id')
    for part, v in zip(('LEFT', 'TOP', 'WIDTH', 'HEIGHT'), skintable.NOTICE_PICTURE_SLOT):
        if found.get('NOTICE_PICTURE_' + part) != v:
            errs.append('skin_ids.h: NOTICE_PICTURE_%s should be %d' % (part, v))
    return errs


# -------------------------------------------------------------- self-test --
def self_test(images):
    """Each rule must catch a broken copy of a good image."""
    problems = []
    entry = {s[0]: s for s in skintable.SKINS}

    def expect_caught(what, sid, mutate, dpi=skintable.BASE_DPI):
        img = images[sid, dpi].copy()
        mutate(img)
        if not check_image(img, entry[sid], dpi):
            problems.append('self-test: a %s in %d at %d DPI went unnoticed' % (what, sid, dpi))

    expect_caught('magenta pixel', 133, lambda im: im.set(28, 11, (255, 0, 255, 255)))
    expect_caught('half-transparent pixel', 132, lambda im: im.set(10, 10, (40, 80, 100, 128)))
    expect_caught('filled corner', 131, lambda im: im.set(0, 0, (6, 16, 25, 255)))
    expect_caught('hole in a frame', 143, lambda im: im.set(100, 100, (0, 0, 0, 0)))
    expect_caught('transparent bottom corner', 134, lambda im: im.set(0, 50, (0, 0, 0, 0)))
    expect_caught('seam in a stretched edge', 131, lambda im: im.set(15, 12, (1, 2, 3, 255)))

    def same_cells(im):
        cw = im.w // 4
        for y in range(im.h):
            for x in range(cw):
                im.set(x + cw, y, im.at(x, y))
    expect_caught('repeated cell', 136, same_cells)
    expect_caught('hole in the artwork', 129, lambda im: im.set(444, 259, (0, 0, 0, 0)))
    # The scaled drawings, by the same rules at their own sizes.
    expect_caught('filled corner', 131, lambda im: im.set(4, 0, (6, 16, 25, 255)), 144)
    expect_caught('cut past the corner', 134, lambda im: im.set(6, 0, (0, 0, 0, 0)), 192)
    expect_caught('seam in a stretched edge', 131, lambda im: im.set(20, 40, (1, 2, 3, 255)), 120)
    expect_caught('blended edge', 141, lambda im: im.set(0, 0, (200, 90, 200, 128)), 144)
    expect_caught('hole in the artwork', 129, lambda im: im.set(888, 518, (0, 0, 0, 0)), 192)
    small = Img(10, 10, bytearray(400))
    if not check_image(small, entry[140]):
        problems.append('self-test: a wrong size went unnoticed')
    if not check_image(images[140, skintable.BASE_DPI], entry[140], 144):
        problems.append('self-test: a 100 % drawing passed for 150 %')
    return problems


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--res', default=os.path.join(REPO, 'res'))
    args = ap.parse_args()

    failures, images = [], {}
    drawings = skintable.drawings()
    for entry, dpi in drawings:
        name = skintable.png_name(entry[0], dpi)
        try:
            with open(os.path.join(args.res, 'png', name), 'rb') as f:
                images[entry[0], dpi] = decode_png(f.read())
        except (OSError, ValueError, zlib.error) as e:
            failures.append('%s: %s' % (name, e))
    if len(images) == len(drawings):
        failures += self_test(images)
    for entry, dpi in drawings:
        if (entry[0], dpi) in images:
            failures += ['%s: %s' % (skintable.png_name(entry[0], dpi), e)
                         for e in check_image(images[entry[0], dpi], entry, dpi)]
    for name in skintable.ICONS:
        try:
            failures += ['%s: %s' % (name, e) for e in check_icon(os.path.join(args.res, name))]
        except (OSError, ValueError, struct.error, zlib.error) as e:
            failures.append('%s: %s' % (name, e))
    for fn in (check_rc, check_header):
        try:
            failures += fn(args.res)
        except OSError as e:
            failures.append(str(e))

    for f in failures:
        print('FAIL', f)
    if failures:
        print('check: %d problem(s)' % len(failures))
        return 1
    print('check: %d skin images, %d icons, skins.rc and skin_ids.h OK' % (len(images), len(skintable.ICONS)))
    return 0


if __name__ == '__main__':
    sys.exit(main())
