#!/usr/bin/python3
"""Draws the launcher's skin images and icons.

Writes res/png/<id>.png for every image of skintable.SKINS, res/Ovn.ico and
res/Portal.ico, res/skins.rc and res/skin_ids.h. Everything is drawn from code,
so a palette or size change is one edit here and a re-run. The output is
reproducible byte for byte: fixed random seeds, no timestamps in the PNGs.

How the images are used decides how they are drawn:
  * The program turns alpha 0 into the key colour (magenta = transparent) and
    blends any other alpha over white. Over our dark caption band a
    half-transparent pixel would therefore come out as a light fringe, so
    every image except the login artwork has binary alpha: edges are smoothed
    by supersampling and then pre-blended, opaque, against the colour that
    lies behind the image where the program places it (the caption band, the
    dialog body, the tab, the progress track).
  * Frames: only the 9 x 9 corner squares are searched for key-coloured
    pixels when the window shape is cut, so a frame has no other transparent
    pixel; the stretched frames keep their middle rows and columns uniform
    horizontally so that stretching them shows no seams.
  * The login artwork (129) is shown as a layered window with real per-pixel
    alpha, so there the soft edge and shadow are genuine alpha.

Needs Python 3 with Pillow (Debian: python3-pil) and the fonts of the Debian
packages fonts-droid-fallback (CJK), fonts-urw-base35 and fonts-dejavu-core.

Usage: skingen.py [--res DIR]      (default: <repo>/res)
"""

import argparse
import io
import math
import os
import random
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skintable  # noqa: E402

REPO = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
SS = 4  # supersampling factor for smooth edges

FONT_CJK = '/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf'
FONT_LOGO = '/usr/share/fonts/opentype/urw-base35/P052-Bold.otf'
FONT_SANS_BOLD = '/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf'

# ---------------------------------------------------------------- palette --
OUTLINE = (6, 16, 25)
CAP_GLOSS = (74, 138, 168)     # the bright line under the top outline
CAP_TOP = (35, 83, 111)
CAP_BOT = (15, 41, 61)
CAP_RULE = (200, 138, 52)      # warm rule between caption and body
SIDE = (16, 43, 63)            # side and bottom borders
BODY = (236, 241, 245)         # light body of the dialogs (black text on it)
MAIN_BODY = (11, 27, 40)       # launcher body, normally hidden by the page
GLYPH = (224, 236, 244)
GLYPH_DIM = (98, 122, 141)
AMBER = (244, 170, 62)
AMBER_HI = (255, 212, 128)
AMBER_DK = (176, 112, 26)
RED = (214, 68, 58)
RED_DK = (160, 42, 36)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

STATES4 = ('normal', 'hover', 'pressed', 'disabled')


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def ramp(stops, t):
    """Piecewise linear colour ramp; stops are (position, colour)."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 1.0)
    return stops[-1][1]


def band(y, height):
    """Colour of row y of a caption band `height` rows high (outline, gloss,
    gradient, rule). Uniform along x so that stretching keeps it seamless."""
    if y <= 0:
        return OUTLINE
    if y == 1:
        return CAP_GLOSS
    if y >= height - 1:
        return CAP_RULE
    t = (y - 2) / max(1, height - 4)
    return ramp([(0.0, CAP_TOP), (0.45, mix(CAP_TOP, CAP_BOT, 0.62)), (1.0, CAP_BOT)], t)


def caption(y):
    return band(y, 30)


# ------------------------------------------------------- supersampled layer --
class Layer:
    """A transparent RGBA drawing surface, drawn SS times larger and reduced
    with premultiplied box filtering; text goes on afterwards at 1x so that
    the font's hinting keeps small CJK glyphs crisp."""

    def __init__(self, w, h, s=SS):
        self.w, self.h, self.s = w, h, s
        self.img = Image.new('RGBA', (w * s, h * s), (0, 0, 0, 0))
        self.texts = []

    def mask(self, *shapes):
        m = Image.new('L', self.img.size, 0)
        d = ImageDraw.Draw(m)
        for shape in shapes:
            shape(d, self.s)
        return m

    def fill(self, mask, color, alpha=255, grad=None):
        """Composite `color` (or a vertical gradient (c0, c1, y0, y1) in 1x
        rows) through `mask` (an L image or a shape)."""
        if callable(mask):
            mask = self.mask(mask)
        if grad is None:
            src = Image.new('RGBA', self.img.size, tuple(color) + (0,))
        else:
            c0, c1, y0, y1 = grad
            col = Image.new('RGBA', (1, self.img.size[1]))
            for yy in range(self.img.size[1]):
                t = ((yy + 0.5) / self.s - y0) / max(1e-6, (y1 - y0))
                col.putpixel((0, yy), mix(c0, c1, t) + (0,))
            src = col.resize(self.img.size, Image.NEAREST)
        if alpha != 255:
            mask = mask.point(lambda v: v * alpha // 255)
        src.putalpha(mask)
        self.img.alpha_composite(src)

    def text(self, xy, text, font, color, anchor='mm'):
        self.texts.append((xy, text, font, color, anchor))

    def done(self):
        small = self.img.convert('RGBa').resize((self.w, self.h), Image.BOX).convert('RGBA')
        for xy, text, font, color, anchor in self.texts:
            m = Image.new('L', (self.w, self.h), 0)
            ImageDraw.Draw(m).text(xy, text, font=font, fill=255, anchor=anchor)
            src = Image.new('RGBA', (self.w, self.h), tuple(color) + (0,))
            src.putalpha(m)
            small.alpha_composite(src)
        return small


# Shapes: functions (draw, scale) in 1x pixel-edge coordinates.
def rrect(x0, y0, x1, y1, r, corners=None):
    def f(d, s):
        box = [x0 * s, y0 * s, x1 * s - 1, y1 * s - 1]
        if r <= 0:
            d.rectangle(box, fill=255)
        elif corners is None:
            d.rounded_rectangle(box, radius=r * s, fill=255)
        else:  # (top-left, top-right, bottom-right, bottom-left); square where False
            d.rounded_rectangle(box, radius=r * s, fill=255)
            rr = int(math.ceil(r * s))
            spots = [(box[0], box[1]), (box[2] - rr, box[1]), (box[2] - rr, box[3] - rr), (box[0], box[3] - rr)]
            for rounded, (x, y) in zip(corners, spots):
                if not rounded:
                    d.rectangle([x, y, x + rr, y + rr], fill=255)
    return f


def ellipse(x0, y0, x1, y1):
    return lambda d, s: d.ellipse([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], fill=255)


def circle(cx, cy, r):
    return ellipse(cx - r, cy - r, cx + r, cy + r)


def poly(points):
    return lambda d, s: d.polygon([(x * s, y * s) for x, y in points], fill=255)


def line(points, width, caps=True):
    def f(d, s):
        pts = [(x * s, y * s) for x, y in points]
        d.line(pts, fill=255, width=max(1, int(round(width * s))), joint='curve')
        if caps:
            r = width * s / 2
            for x, y in (pts[0], pts[-1]):
                d.ellipse([x - r, y - r, x + r, y + r], fill=255)
    return f


def arc(cx, cy, r, a0, a1, width):
    def f(d, s):
        rr = r * s
        d.arc([cx * s - rr, cy * s - rr, cx * s + rr, cy * s + rr], a0, a1, fill=255,
              width=max(1, int(round(width * s))))
        cr = width * s / 2
        for a in (a0, a1):  # round caps on the stroke's centre line (arc strokes grow inwards)
            px = cx * s + (rr - width * s / 2) * math.cos(math.radians(a))
            py = cy * s + (rr - width * s / 2) * math.sin(math.radians(a))
            d.ellipse([px - cr, py - cr, px + cr, py + cr], fill=255)
    return f


def outline_rect(x0, y0, x1, y1, width, top=None):
    """A rectangle's outline as a shape (top edge optionally thicker)."""
    top = width if top is None else top

    def f(d, s):
        d.rectangle([x0 * s, y0 * s, x1 * s - 1, (y0 + top) * s - 1], fill=255)
        d.rectangle([x0 * s, (y1 - width) * s, x1 * s - 1, y1 * s - 1], fill=255)
        d.rectangle([x0 * s, y0 * s, (x0 + width) * s - 1, y1 * s - 1], fill=255)
        d.rectangle([(x1 - width) * s, y0 * s, x1 * s - 1, y1 * s - 1], fill=255)
    return f


# ----------------------------------------------------------- flattening --
def flatten(layer, bg, threshold=20):
    """Binary-alpha result: pixels the drawing covers (alpha >= threshold)
    become opaque, pre-blended over bg(x, y); the rest become transparent."""
    w, h = layer.size
    src = layer.load()
    out = Image.new('RGBA', (w, h), (0, 0, 0, 0))
    o = out.load()
    for y in range(h):
        for x in range(w):
            r, g, b, a = src[x, y]
            if a < threshold:
                continue
            br, bgg, bb = bg(x, y)[:3]
            t = a / 255.0
            o[x, y] = (int(round(r * t + br * (1 - t))), int(round(g * t + bgg * (1 - t))),
                       int(round(b * t + bb * (1 - t))), 255)
    return out


def no_magenta(img):
    """The key colour must never be a visible pixel: nudge any that is."""
    px = img.load()
    w, h = img.size
    for y in range(h):
        for x in range(w):
            p = px[x, y]
            if p[3] > 0 and p[:3] == skintable.KEY_COLOR:
                px[x, y] = (254, 0, 255, p[3])
    return img


def strip(cell_w, cell_h, states, draw, bg, threshold=20):
    img = Image.new('RGBA', (cell_w * len(states), cell_h), (0, 0, 0, 0))
    for i, state in enumerate(states):
        layer = Layer(cell_w, cell_h)
        draw(layer, state, cell_w, cell_h)
        img.paste(flatten(layer.done(), bg, threshold), (i * cell_w, 0))
    return img


def font(path, size):
    if not os.path.exists(path):
        sys.exit('skingen: missing font %s (install the Debian font packages named in the header)' % path)
    return ImageFont.truetype(path, size)


# ------------------------------------------------------------------ frames --
def paint_frame(w, h, cap_h, border, bottom_round, body, side=SIDE, band_fn=None):
    """A frame: outline following the rounded corners, a caption band of
    cap_h rows, side/bottom borders of `border` pixels, body(x, y) inside."""
    cut = skintable.corner_cut(w, h, bottom_round)
    band_fn = band_fn or (lambda y: band(y, cap_h))

    def inside(x, y):
        return 0 <= x < w and 0 <= y < h and (x, y) not in cut

    img = Image.new('RGBA', (w, h), (0, 0, 0, 0))
    px = img.load()
    for y in range(h):
        for x in range(w):
            if not inside(x, y):
                continue
            if not all(inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                c = OUTLINE
            elif y < cap_h:
                c = band_fn(y)
            elif x < border or x >= w - border or y >= h - border:
                c = side
            else:
                c = body(x, y)
            px[x, y] = tuple(c) + (255,)
    return img


def frame_dialog():
    # Stretched: the body must be one colour (rows and columns are replicated).
    return paint_frame(30, 51, 30, 4, False, lambda x, y: BODY)


def frame_main():
    return paint_frame(30, 51, 30, 4, False, lambda x, y: MAIN_BODY)


def light_body(y0, y1):
    return lambda x, y: ramp([(0.0, (250, 252, 253)), (1.0, (229, 236, 242))], (y - y0) / max(1, y1 - y0))


def footer(img, y0, y1, border):
    d = ImageDraw.Draw(img)
    w = img.size[0]
    d.line([(border, y0), (w - border - 1, y0)], fill=(200, 212, 223, 255))
    d.line([(border, y0 + 1), (w - border - 1, y0 + 1)], fill=(255, 255, 255, 255))
    for y in range(y0 + 2, y1):
        d.line([(border, y), (w - border - 1, y)], fill=mix((232, 238, 243), (221, 229, 236), (y - y0) / max(1, y1 - y0)) + (255,))


NOTICE_HEADER = 22  # rows 0..20 dark header, row 21 the warm rule; the close strip sits at y 3


def frame_notice(w, h, footer_top, picture_slot):
    img = paint_frame(w, h, NOTICE_HEADER, 3, True, light_body(NOTICE_HEADER, h))
    footer(img, footer_top, h - 3, 3)
    if picture_slot:
        x, y, pw, ph = picture_slot  # the picture label's rectangle
        d = ImageDraw.Draw(img)
        d.rectangle([x - 2, y - 2, x + pw + 1, y + ph + 1], fill=(255, 255, 255, 255))
        d.rectangle([x - 1, y - 1, x + pw, y + ph], outline=(176, 192, 206, 255))
        d.rectangle([x, y, x + pw - 1, y + ph - 1], fill=(221, 229, 236, 255))
        # A quiet placeholder picture, seen only until the notice's own picture arrives.
        cx, cy = x + pw // 2, y + ph // 2
        d.polygon([(cx - 22, cy + 14), (cx - 6, cy - 6), (cx + 4, cy + 6), (cx + 10, cy), (cx + 22, cy + 14)],
                  fill=(190, 204, 216, 255))
        d.ellipse([cx + 6, cy - 18, cx + 16, cy - 8], fill=(236, 206, 150, 255))
    return img


def frame_notice_text():
    return frame_notice(250, 167, 137, None)


def frame_notice_pic_text():
    return frame_notice(250, 191, 160, skintable.NOTICE_PICTURE_SLOT)


def frame_notice_pic():
    # The picture covers everything below row 22; the header is all that shows.
    header = 22
    w, h = 160, 212
    img = paint_frame(w, h, header, 3, True, light_body(header, h))
    d = ImageDraw.Draw(img)
    d.rectangle([3, header, w - 4, h - 4], fill=(221, 229, 236, 255))
    cx, cy = w // 2, (header + h) // 2
    d.polygon([(cx - 34, cy + 22), (cx - 10, cy - 10), (cx + 6, cy + 10), (cx + 16, cy), (cx + 34, cy + 22)],
              fill=(190, 204, 216, 255))
    d.ellipse([cx + 10, cy - 30, cx + 26, cy - 14], fill=(236, 206, 150, 255))
    return img


def frame_addacc():
    w, h = 284, 150
    return paint_frame(w, h, 30, 3, True, light_body(30, h))


# ----------------------------------------------------------- caption buttons --
def caption_bg(top):
    """Background function for a button placed at `top` in a 30-row caption."""
    return lambda x, y: caption(y + top)


def hover_plate(L, state, w, h, hot=None, hot_dk=None, inset=(1, 2, 1, 1), r=3):
    x0, y0, x1, y1 = inset[0], inset[1], w - inset[2], h - inset[3]
    if state == 'hover':
        if hot:
            L.fill(rrect(x0, y0, x1, y1, r), hot, grad=(mix(hot, WHITE, 0.12), hot, y0, y1))
        else:
            L.fill(rrect(x0, y0, x1, y1, r), WHITE, alpha=46)
            L.fill(rrect(x0, y0, x1, y0 + 1, 0), WHITE, alpha=40)
    elif state == 'pressed':
        if hot_dk:
            L.fill(rrect(x0, y0, x1, y1, r), hot_dk)
        else:
            L.fill(rrect(x0, y0, x1, y1, r), BLACK, alpha=80)
            L.fill(rrect(x0, y0, x1, y0 + 1, 0), BLACK, alpha=60)


def glyph_color(state):
    return GLYPH_DIM if state == 'disabled' else (WHITE if state in ('hover', 'pressed') else GLYPH)


def offset(state):
    return 1.0 if state == 'pressed' else 0.0


def btn_close(L, state, w, h):
    hover_plate(L, state, w, h, hot=RED, hot_dk=RED_DK)
    cx, cy = w / 2 + offset(state), h / 2 + offset(state)
    k = 4.6
    L.fill(L.mask(line([(cx - k, cy - k), (cx + k, cy + k)], 1.7),
                  line([(cx - k, cy + k), (cx + k, cy - k)], 1.7)), glyph_color(state))


def btn_min(L, state, w, h):
    hover_plate(L, state, w, h)
    cx, cy = w / 2 + offset(state), h / 2 + offset(state)
    L.fill(rrect(cx - 5.5, cy + 2.5, cx + 5.5, cy + 4.3, 0.6), glyph_color(state))


def btn_max(L, state, w, h):
    hover_plate(L, state, w, h)
    cx, cy = w / 2 + offset(state), h / 2 + offset(state)
    L.fill(outline_rect(cx - 5.5, cy - 5, cx + 5.5, cy + 5, 1.5, top=2.5), glyph_color(state))


def btn_restore(L, state, w, h):
    hover_plate(L, state, w, h)
    cx, cy = w / 2 + offset(state), h / 2 + offset(state)
    back = L.mask(outline_rect(cx - 2.5, cy - 6, cx + 6, cy + 2.5, 1.5, top=2.2))
    front_area = L.mask(rrect(cx - 6.5, cy - 3.5, cx + 3.5, cy + 6.5, 0))
    front = L.mask(outline_rect(cx - 6, cy - 3, cx + 3, cy + 6, 1.5, top=2.2))
    L.fill(ImageChops.add(ImageChops.subtract(back, front_area), front), glyph_color(state))


def btn_hide(L, state, w, h):
    """Hide everything: an eye with a slash through it."""
    hover_plate(L, state, w, h)
    cx, cy = w / 2 + offset(state), h / 2 + offset(state)
    col = glyph_color(state)
    # Lens-shaped eye: the intersection of two circles (radius R, centres
    # d above and below), outlined 1.5 px, with a round pupil.
    R, d, stroke = 9.4, 4.4, 1.5
    outer = ImageChops.multiply(L.mask(circle(cx, cy + d, R)), L.mask(circle(cx, cy - d, R)))
    inner = ImageChops.multiply(L.mask(circle(cx, cy + d, R - stroke)), L.mask(circle(cx, cy - d, R - stroke)))
    gap = L.mask(line([(cx - 7.2, cy + 7.2), (cx + 7.2, cy - 7.2)], 4.2))
    eye = ImageChops.subtract(ImageChops.subtract(outer, inner), gap)
    narrow = L.mask(line([(cx - 7.2, cy + 7.2), (cx + 7.2, cy - 7.2)], 3.0))
    eye = ImageChops.add(eye, ImageChops.subtract(L.mask(circle(cx, cy, 2.8)), narrow))
    eye = ImageChops.add(eye, L.mask(line([(cx - 6.4, cy + 6.4), (cx + 6.4, cy - 6.4)], 1.6)))
    L.fill(eye, col)


def speaker(L, cx, cy):
    return ImageChops.add(L.mask(rrect(cx - 7, cy - 2.4, cx - 3.5, cy + 2.4, 0.6)),
                          L.mask(poly([(cx - 4, cy - 2.4), (cx + 0.5, cy - 6), (cx + 0.5, cy + 6), (cx - 4, cy + 2.4)])))


def btn_sound_on(L, state, w, h):
    hover_plate(L, state, w, h)
    cx, cy = w / 2 - 0.5 + offset(state), h / 2 + offset(state)
    m = speaker(L, cx, cy)
    m = ImageChops.add(m, L.mask(arc(cx + 0.5, cy, 4.3, -48, 48, 1.5)))
    m = ImageChops.add(m, L.mask(arc(cx + 0.5, cy, 7.6, -50, 50, 1.5)))
    L.fill(m, glyph_color(state))


def btn_sound_off(L, state, w, h):
    hover_plate(L, state, w, h)
    cx, cy = w / 2 - 0.5 + offset(state), h / 2 + offset(state)
    L.fill(speaker(L, cx, cy), glyph_color(state))
    k = 2.6
    x0 = cx + 5.2
    cross = L.mask(line([(x0 - k, cy - k), (x0 + k, cy + k)], 1.6), line([(x0 - k, cy + k), (x0 + k, cy - k)], 1.6))
    L.fill(cross, GLYPH_DIM if state == 'disabled' else AMBER_HI)


def btn_menu(L, state, w, h):
    """The system-menu button: a pill that is the text area of its caption."""
    box = (2, 4, w - 2, h - 4)
    r = 4
    ring = ImageChops.subtract(L.mask(rrect(*box, r)), L.mask(rrect(box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1, r - 1)))
    if state == 'normal':
        L.fill(rrect(*box, r), WHITE, alpha=20)
        L.fill(ring, WHITE, alpha=70)
    elif state == 'hover':
        L.fill(rrect(*box, r), WHITE, alpha=52)
        L.fill(ring, WHITE, alpha=120)
    elif state == 'pressed':
        L.fill(rrect(*box, r), BLACK, alpha=90)
        L.fill(ring, WHITE, alpha=60)
    else:
        L.fill(ring, GLYPH_DIM, alpha=200)


def hall_grid(L, x, cy, col):
    m = Image.new('L', L.img.size, 0)
    for i in range(2):
        for j in range(2):
            x0, y0 = x + i * 6.5, cy - 6 + j * 6.5
            m = ImageChops.add(m, L.mask(rrect(x0, y0, x0 + 5.5, y0 + 5.5, 1.3)))
    L.fill(m, col)


def back_arrow(L, x, cy, col):
    m = L.mask(line([(x + 1.5, cy), (x + 12, cy)], 1.8),
               line([(x + 1.2, cy), (x + 5.6, cy - 4.4)], 1.8),
               line([(x + 1.2, cy), (x + 5.6, cy + 4.4)], 1.8))
    L.fill(m, col)


def hall_button(label, icon, active):
    cjk = font(FONT_CJK, 12)

    def draw(L, state, w, h):
        o = offset(state)
        box = (1, 3, w - 1, h - 3)
        if state == 'hover':
            L.fill(rrect(*box, 4), WHITE, alpha=46)
        elif state == 'pressed':
            L.fill(rrect(*box, 4), BLACK, alpha=85)
        if active and state != 'disabled':
            ring = ImageChops.subtract(L.mask(rrect(*box, 4)), L.mask(rrect(box[0] + 1, box[1] + 1, box[2] - 1, box[3] - 1, 3)))
            L.fill(ring, AMBER, alpha=150)
        if state == 'disabled':
            col = GLYPH_DIM
        elif active:
            col = AMBER_HI
        else:
            col = glyph_color(state)
        icon(L, 8 + o, h / 2 + o, col)
        L.text((48 + o, h / 2 + o), label, cjk, col)
    return draw


def link_image():
    """Image of the "other account" link: a person with a small plus."""
    L = Layer(14, 16)
    m = ImageChops.add(L.mask(circle(5.6, 4.6, 2.9)),
                       ImageChops.multiply(L.mask(ellipse(0.6, 8.6, 10.6, 19.5)), L.mask(rrect(0, 0, 14, 14.2, 0))))
    L.fill(m, GLYPH)
    # Clear a ring around the plus so that it reads apart from the figure.
    plus_area = L.mask(circle(11.0, 11.8, 3.6))
    L.img.putalpha(ImageChops.subtract(L.img.getchannel('A'), plus_area))
    L.fill(L.mask(rrect(9.6, 8.6, 12.4, 15.0, 0.5), rrect(7.8, 10.4, 14.2, 13.2, 0.5)), AMBER_HI)
    return flatten(L.done(), lambda x, y: caption(y + 7))


# ---------------------------------------------------------------- text button --
def btn_text(L, state, w, h):
    """The dialogs' push button; the program draws its caption in black."""
    palette = {
        'normal': ((255, 222, 150), (243, 176, 72), AMBER_DK, (255, 243, 214)),
        'hover': ((255, 236, 188), (250, 196, 104), (196, 128, 36), (255, 250, 232)),
        'pressed': ((232, 160, 58), (246, 186, 92), (150, 94, 20), None),
        'disabled': ((232, 236, 240), (206, 213, 220), (164, 174, 184), (246, 248, 250)),
    }
    top, bottom, edge, gloss = palette[state]
    L.fill(rrect(0, 0, w, h, 3.5), edge)
    L.fill(rrect(1, 1, w - 1, h - 1, 2.5), top, grad=(top, bottom, 1, h - 1))
    if gloss:
        L.fill(rrect(2, 1, w - 2, 2, 0), gloss, alpha=220)
    else:  # pressed: a shadow along the top edge, pushed in
        L.fill(rrect(1, 1, w - 1, 3, 1.5), (120, 72, 10), alpha=90)


# ----------------------------------------------------------------------- tabs --
TAB_W, TAB_H, TAB_TOP = 189, 22, 3


def tab_cell(L, state, w, h):
    colors = {
        'normal': ((156, 176, 193), (126, 148, 167)),
        'hover': ((200, 215, 228), (168, 190, 208)),
        'current': ((248, 250, 252), (222, 231, 239)),
    }
    top, bottom = colors[state]
    L.fill(rrect(0, 0, w, h + 6, 5, corners=(True, True, False, False)), (8, 22, 34))
    L.fill(rrect(1, 1, w - 1, h + 6, 4, corners=(True, True, False, False)), top, grad=(top, bottom, 1, h))
    if state == 'current':
        accent = ImageChops.multiply(L.mask(rrect(1, 1, w - 1, h + 6, 4, corners=(True, True, False, False))),
                                     L.mask(rrect(0, 0, w, 3, 0)))
        L.fill(accent, AMBER)
    else:
        L.fill(ImageChops.multiply(L.mask(rrect(1, 1, w - 1, h + 6, 4, corners=(True, True, False, False))),
                                   L.mask(rrect(0, 1, w, 2, 0))), WHITE, alpha=110)


def tabs():
    return strip(TAB_W, TAB_H, ('normal', 'hover', 'current'), tab_cell, lambda x, y: caption(y + TAB_TOP))


def tab_close():
    # Drawn over the hovered tab's right end: pre-blend against that tab.
    hover_tab = tabs().crop((TAB_W, 0, 2 * TAB_W, TAB_H))
    under = Image.new('RGBA', hover_tab.size, (0, 0, 0, 255))
    for y in range(TAB_H):
        ImageDraw.Draw(under).line([(0, y), (TAB_W, y)], fill=caption(y + TAB_TOP) + (255,))
    under.alpha_composite(hover_tab)
    upx = under.load()

    def draw(L, state, w, h):
        cx, cy = 6.2, 7.0  # clear of the tab's rounded corner and top edge
        if state == 'normal':
            col = (64, 82, 98)
        else:
            L.fill(circle(cx, cy, 5.2), RED if state == 'hot' else RED_DK)
            col = WHITE
        o = 0.5 if state == 'pressed' else 0.0
        k = 2.5
        L.fill(L.mask(line([(cx - k + o, cy - k + o), (cx + k + o, cy + k + o)], 1.5),
                      line([(cx - k + o, cy + k + o), (cx + k + o, cy - k + o)], 1.5)), col)

    return strip(13, 13, ('normal', 'hot', 'pressed'), draw, lambda x, y: upx[176 + x, y][:3])


# ----------------------------------------------------------- notice close --
def notice_close(cell_w, cell_h, top, header):
    def draw(L, state, w, h):
        box = (3, 1, w - 3, h - 1)
        r = (box[3] - box[1]) / 2
        if state == 'hover':
            L.fill(rrect(*box, r), RED)
        elif state == 'pressed':
            L.fill(rrect(*box, r), RED_DK)
        o = offset(state) * 0.5
        cx, cy = w / 2 + o, h / 2 + o
        k = 3.2 if h < 18 else 4.0
        L.fill(L.mask(line([(cx - k, cy - k), (cx + k, cy + k)], 1.6),
                      line([(cx - k, cy + k), (cx + k, cy - k)], 1.6)), glyph_color(state))

    def bg(x, y):
        return band(y + top, header) if y + top < header else (250, 252, 253)

    return strip(cell_w, cell_h, STATES4, draw, bg)


# ----------------------------------------------------------------- progress --
def progress_bk():
    w, h = 390, 21
    L = Layer(w, h)
    r = h / 2
    L.fill(rrect(0, 0, w, h, r), (150, 168, 184))
    L.fill(rrect(1, 1, w - 1, h - 1, r - 1), (20, 44, 62), grad=((12, 28, 42), (28, 58, 80), 1, h - 1))
    # Inner shadow at the top, a soft light edge at the bottom.
    L.fill(ImageChops.subtract(L.mask(rrect(1, 1, w - 1, h - 1, r - 1)), L.mask(rrect(1, 3, w - 1, h + 8, r - 1))),
           BLACK, alpha=70)
    return flatten(L.done(), lambda x, y: BODY)


def progress_fill():
    w, h = 390, 21
    track = progress_bk()
    tpx = track.load()
    L = Layer(w, h)
    r = (h - 4) / 2
    L.fill(rrect(2, 2, w - 2, h - 2, r), AMBER, grad=((255, 214, 128), (232, 146, 40), 2, h - 2))
    # Glassy highlight over the upper half (uniform along x: the bar is cut
    # from both ends, so it must look the same wherever the halves meet).
    L.fill(ImageChops.multiply(L.mask(rrect(2, 2, w - 2, h - 2, r)), L.mask(rrect(0, 0, w, h / 2, 0))), WHITE, alpha=70)
    L.fill(ImageChops.multiply(L.mask(rrect(2, 2, w - 2, h - 2, r)), L.mask(rrect(0, 2, w, 3, 0))), WHITE, alpha=120)
    return flatten(L.done(), lambda x, y: tpx[x, y][:3] if tpx[x, y][3] else BODY, threshold=30)


# ---------------------------------------------------------- login artwork --
ART_W, ART_H, ART_MARGIN, ART_RADIUS = 888, 518, 6, 16
# Where the artwork leaves a calm panel for the login form (window pixels).
LOGIN_PANEL = (566, 64, 852, 476)


def lerp_img(a, b, mask):
    return Image.composite(b, a, mask)


def radial_mask(w, h, cx, cy, rx, ry, power=2.0, peak=255, step=4):
    """L mask falling from `peak` at (cx, cy) to 0 at the ellipse (rx, ry);
    computed coarsely and smoothed up, which is plenty for glows."""
    sw, sh = (w + step - 1) // step, (h + step - 1) // step
    m = Image.new('L', (sw, sh), 0)
    px = m.load()
    for y in range(sh):
        for x in range(sw):
            dx = (x * step + step / 2 - cx) / rx
            dy = (y * step + step / 2 - cy) / ry
            d = math.sqrt(dx * dx + dy * dy)
            if d < 1:
                px[x, y] = int(peak * (1 - d) ** power)
    return m.resize((w, h), Image.BILINEAR)


def vertical(w, h, stops):
    col = Image.new('RGB', (1, h))
    for y in range(h):
        col.putpixel((0, y), ramp(stops, y / max(1, h - 1)))
    return col.resize((w, h), Image.NEAREST)


def ridge(rng, w, base, amp, rough=0.55, levels=9):
    n = 2 ** levels
    ys = [0.0] * (n + 1)
    ys[0] = base + rng.uniform(-amp, amp) * 0.5
    ys[n] = base + rng.uniform(-amp, amp) * 0.5
    step, scale = n, amp
    while step > 1:
        half = step // 2
        for i in range(half, n, step):
            ys[i] = (ys[i - half] + ys[i + half]) / 2 + rng.uniform(-scale, scale)
        step, scale = half, scale * rough
    return [(w * i / n, ys[i]) for i in range(n + 1)]


def ridge_y(points, x):
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        if x0 <= x <= x1:
            return y0 + (y1 - y0) * (x - x0) / (x1 - x0 or 1)
    return points[-1][1]


def poly_mask(w, h, points, s=2):
    m = Image.new('L', (w * s, h * s), 0)
    ImageDraw.Draw(m).polygon([(x * s, y * s) for x, y in points], fill=255)
    return m.resize((w, h), Image.BOX)


def castle(w, h, base_x, ground):
    """Silhouette of a hilltop keep, with its lit windows as a second mask."""
    s = 4
    m = Image.new('L', (w * s, h * s), 0)
    lit = Image.new('L', (w * s, h * s), 0)
    d, dl = ImageDraw.Draw(m), ImageDraw.Draw(lit)

    def box(x0, y0, x1, y1):
        d.rectangle([(base_x + x0) * s, (ground - y1) * s, (base_x + x1) * s, (ground - y0) * s], fill=255)

    def roof(x0, x1, y, tip):
        d.polygon([((base_x + x0) * s, (ground - y) * s), ((base_x + (x0 + x1) / 2) * s, (ground - tip) * s),
                   ((base_x + x1) * s, (ground - y) * s)], fill=255)

    def window(x, y, ww=2, hh=3):
        dl.rectangle([(base_x + x) * s, (ground - y - hh) * s, (base_x + x + ww) * s - 1, (ground - y) * s - 1], fill=255)

    box(-4, -10, 76, 20)                  # curtain wall
    for i in range(9):                     # crenellations
        box(-4 + i * 9, 20, -4 + i * 9 + 5, 24)
    box(4, -10, 18, 52); roof(2, 20, 52, 72)        # left tower
    box(24, -10, 46, 64); roof(22, 48, 64, 92)      # keep
    box(31, 64, 39, 80); roof(30, 40, 80, 100)      # keep's turret
    box(54, -10, 66, 44); roof(52, 68, 44, 60)      # right tower
    d.line([((base_x + 35) * s, (ground - 100) * s), ((base_x + 35) * s, (ground - 110) * s)], fill=255, width=s)
    d.polygon([((base_x + 35) * s, (ground - 110) * s), ((base_x + 43) * s, (ground - 107) * s),
               ((base_x + 35) * s, (ground - 104) * s)], fill=255)
    for x, y in ((9, 36), (13, 26), (30, 48), (38, 48), (34, 34), (58, 30), (29, 8), (40, 8)):
        window(x, y)
    return m.resize((w, h), Image.BOX), lit.resize((w, h), Image.BOX)


def smooth(points, passes=2):
    for _ in range(passes):
        points = [points[0]] + [(x, (points[i - 1][1] + 2 * y + points[i + 1][1]) / 4)
                                for i, (x, y) in enumerate(points[1:-1], 1)] + [points[-1]]
    return points


WATER = 436  # the lake's shore line, in card rows


def login_background():
    W, H, M, R = ART_W, ART_H, ART_MARGIN, ART_RADIUS
    cw, ch = W - 2 * M, H - 2 * M
    rng = random.Random(20140131)
    solid = lambda c: Image.new('RGB', (cw, ch), c)  # noqa: E731

    # Sky: night blue above, teal toward the horizon.
    scene = vertical(cw, ch, [(0.0, (6, 13, 27)), (0.30, (11, 30, 54)), (0.52, (22, 60, 86)),
                              (0.66, (48, 92, 112)), (1.0, (48, 92, 112))])

    # A veil of aurora across the upper sky.
    aur = Image.new('L', (cw // 2, ch // 2), 0)
    apx = aur.load()
    for x in range(cw // 2):
        X = x * 2
        yc = 138 + 34 * math.sin(X / 190.0 + 2.2) + 9 * math.sin(X / 61.0 + 1.0)
        strength = 0.62 + 0.38 * math.sin(X / 130.0 + 1.2)
        strength *= 0.82 + 0.18 * math.sin(X / 13.0 + 2.5 * math.sin(X / 41.0))
        strength *= min(1.0, max(0.0, (X - 60) / 220.0)) * min(1.0, max(0.0, (cw - 200 - X) / 220.0))
        for y in range(ch // 2):
            Y = y * 2
            f = max(0.0, 1 - (yc - Y) / 120.0) ** 1.6 if Y < yc else max(0.0, 1 - (Y - yc) / 14.0)
            v = f * strength
            if v > 0:
                apx[x, y] = min(255, int(v * 255))
    aur = aur.resize((cw, ch), Image.BILINEAR).filter(ImageFilter.GaussianBlur(4))
    scene = lerp_img(scene, solid((80, 226, 188)), aur.point(lambda v: v * 66 // 100))

    # Stars, thinning toward the horizon.
    stars = Image.new('L', (cw, ch), 0)
    sd = ImageDraw.Draw(stars)
    for _ in range(280):
        x = rng.uniform(0, cw)
        y = ch * 0.6 * rng.random() ** 1.5
        sd.point((x, y), fill=int(255 * max(0.0, 1 - y / (ch * 0.62)) * rng.uniform(0.3, 1.0)))
    for _ in range(9):
        x, y = rng.uniform(30, cw - 330), rng.uniform(20, ch * 0.36)
        for k in range(1, 5):
            for dx, dy in ((k, 0), (-k, 0), (0, k), (0, -k)):
                sd.point((x + dx, y + dy), fill=200 - k * 45)
        sd.point((x, y), fill=255)
    stars = ImageChops.lighter(stars, stars.filter(ImageFilter.GaussianBlur(0.7)))
    scene = lerp_img(scene, solid((236, 244, 255)), stars)

    # The setting sun: a wide warm glow, a hot core and the disc itself.
    sun_x, sun_y = 336, 318
    scene = lerp_img(scene, solid((238, 132, 62)), radial_mask(cw, ch, sun_x, sun_y, 470, 210, power=1.7, peak=215))
    scene = lerp_img(scene, solid((255, 196, 120)), radial_mask(cw, ch, sun_x, sun_y, 150, 90, power=1.5, peak=235, step=2))
    disc = Image.new('L', (cw * 4, ch * 4), 0)
    ImageDraw.Draw(disc).ellipse([(sun_x - 24) * 4, (sun_y - 24) * 4, (sun_x + 24) * 4, (sun_y + 24) * 4], fill=255)
    scene = lerp_img(scene, solid((255, 238, 204)), disc.resize((cw, ch), Image.BOX))

    # Mountain ranges, far to near, down to the lake; mist settles in front of each.
    ranges = [
        (326, 62, (46, 72, 98), (36, 60, 84)),
        (370, 40, (29, 51, 73), (24, 44, 64)),
        (408, 20, (17, 35, 52), (15, 31, 46)),
    ]
    for i, (base, amp, top_c, bot_c) in enumerate(ranges):
        pts = smooth(ridge(rng, cw, base, amp, rough=0.56, levels=8), 1)
        if i == 0:  # a saddle in the far range where the sun goes down
            pts = [(x, y + 46 * math.exp(-((x - sun_x) / 80.0) ** 2)) for x, y in pts]
        mask = poly_mask(cw, ch, pts + [(cw, WATER + 2), (0, WATER + 2)])
        top_y = min(y for _, y in pts)
        fill = vertical(cw, ch, [(0.0, top_c), (top_y / ch, top_c), (WATER / ch, bot_c), (1.0, bot_c)])
        # Warm rim light where the sun catches the ridge.
        rim = ImageChops.subtract(mask, poly_mask(cw, ch, [(x, y + 2.5) for x, y in pts] + [(cw, ch), (0, ch)]))
        rim = ImageChops.multiply(rim, radial_mask(cw, ch, sun_x, sun_y, 320 - 90 * i, 150 - 30 * i, power=1.3, peak=255))
        scene = lerp_img(scene, fill, mask)
        scene = lerp_img(scene, solid((255, 176, 96)), rim.point(lambda v: v * (80, 40, 25)[i] // 100))
        mist = vertical(cw, ch, [(0.0, (0, 0, 0)), ((base + 6) / ch, (0, 0, 0)), (WATER / ch, (255, 255, 255)),
                                 (1.0, (255, 255, 255))]).convert('L')
        scene = lerp_img(scene, solid((120, 168, 184)), mist.point(lambda v: v * (16 + 6 * i) // 255))

    # The keep on its rock at the lake's edge, with lit windows.
    rock = [(56, WATER + 2), (74, 414), (96, 392), (118, 372), (140, 356), (158, 350), (226, 348), (246, 356),
            (262, 372), (276, 396), (292, 418), (310, WATER + 2)]
    rock_m = poly_mask(cw, ch, rock)
    keep, windows = castle(cw, ch, 158, 352)
    silhouette = ImageChops.lighter(rock_m, keep)
    scene = lerp_img(scene, vertical(cw, ch, [(0.0, (14, 28, 42)), (1.0, (10, 20, 31))]), silhouette)
    rim = ImageChops.subtract(silhouette, ImageChops.offset(silhouette, -2, 1))
    rim = ImageChops.multiply(rim, radial_mask(cw, ch, sun_x, sun_y, 260, 200, power=1.0, peak=255))
    scene = lerp_img(scene, solid((255, 170, 90)), rim.point(lambda v: v * 70 // 100))
    scene = lerp_img(scene, solid((255, 200, 112)), windows)
    halo = windows.filter(ImageFilter.GaussianBlur(3)).point(lambda v: min(255, v * 3) * 40 // 100)
    scene = lerp_img(scene, solid((255, 170, 80)), halo)

    # The lake mirrors what stands above its shore, darker and broken by ripples.
    depth = ch - WATER
    mirror = scene.crop((0, WATER - depth, cw, WATER)).transpose(Image.FLIP_TOP_BOTTOM)
    rippled = Image.new('RGB', mirror.size)
    for r in range(depth):
        shift = int(round(2.2 * math.sin(r * 0.9) * (0.3 + r / depth)))
        rippled.paste(mirror.crop((0, r, cw, r + 1)), (shift, r))
    rippled = rippled.filter(ImageFilter.GaussianBlur(0.8))
    lake = lerp_img(rippled, vertical(cw, depth, [(0.0, (14, 34, 50)), (1.0, (6, 15, 25))]),
                    Image.new('L', (cw, depth), 120))
    scene.paste(lake, (0, WATER))
    glint = Image.new('L', (cw, ch), 0)
    gd = ImageDraw.Draw(glint)
    for r in range(0, depth, 2):
        half = 10 + r * 0.9
        for _ in range(3):
            x0 = sun_x + rng.uniform(-half, half)
            length = rng.uniform(4, 16) * (1 - r / (depth * 1.3))
            gd.line([(x0 - length / 2, WATER + r), (x0 + length / 2, WATER + r)],
                    fill=int(230 * (1 - r / (depth * 1.15)) * rng.uniform(0.5, 1.0)))
    glint = glint.filter(ImageFilter.GaussianBlur(0.6))
    scene = lerp_img(scene, solid((255, 198, 124)), glint)
    scene = lerp_img(scene, solid((170, 210, 220)), poly_mask(cw, ch, [(0, WATER), (cw, WATER), (cw, WATER + 1), (0, WATER + 1)]).point(lambda v: v * 30 // 100))

    # Dark shores in the foreground frame the view.
    left = smooth([(0, 452), (40, 458), (90, 470), (150, 482), (210, 494), (260, ch)], 1)
    right = smooth([(440, ch), (520, 494), (620, 482), (740, 474), (cw, 466)], 1)
    shore = ImageChops.lighter(poly_mask(cw, ch, left + [(0, ch)]), poly_mask(cw, ch, right + [(cw, ch)]))
    scene = lerp_img(scene, solid((5, 12, 20)), shore)

    # Drifting embers over the water.
    embers = Image.new('L', (cw, ch), 0)
    ed = ImageDraw.Draw(embers)
    for _ in range(10):
        x, y = rng.uniform(310, 540), rng.uniform(392, 432)
        r = rng.uniform(0.6, 1.5)
        ed.ellipse([x - r, y - r, x + r, y + r], fill=int(rng.uniform(150, 255)))
    scene = lerp_img(scene, solid((255, 190, 100)), embers.filter(ImageFilter.GaussianBlur(2.2)).point(lambda v: min(255, v * 2)))
    scene = lerp_img(scene, solid((255, 222, 160)), embers.filter(ImageFilter.GaussianBlur(0.5)))

    # The login panel: a dark glass plate with a warm top edge.
    px0, py0, px1, py1 = (v - M for v in LOGIN_PANEL)
    s = 4
    pm = Image.new('L', (cw * s, ch * s), 0)
    ImageDraw.Draw(pm).rounded_rectangle([px0 * s, py0 * s, px1 * s - 1, py1 * s - 1], radius=12 * s, fill=255)
    pm = pm.resize((cw, ch), Image.BOX)
    shadow = pm.filter(ImageFilter.GaussianBlur(10)).point(lambda v: v * 55 // 100)
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (2, 6, 12)), shadow)
    glass = vertical(cw, ch, [(0.0, (14, 34, 52)), (py0 / ch, (14, 34, 52)), (py1 / ch, (8, 20, 32)), (1.0, (8, 20, 32))])
    scene = lerp_img(scene, glass, pm.point(lambda v: v * 84 // 100))
    edge = Image.new('L', (cw * s, ch * s), 0)
    ImageDraw.Draw(edge).rounded_rectangle([px0 * s, py0 * s, px1 * s - 1, py1 * s - 1], radius=12 * s,
                                           outline=255, width=s)
    edge = edge.resize((cw, ch), Image.BOX)
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (110, 170, 196)), edge.point(lambda v: v * 45 // 100))
    top = Image.new('L', (cw * s, ch * s), 0)
    ImageDraw.Draw(top).rounded_rectangle([(px0 + 40) * s, py0 * s, (px1 - 40) * s, (py0 + 2) * s], radius=s, fill=255)
    top = top.resize((cw, ch), Image.BOX)
    fade = Image.linear_gradient('L').rotate(90).resize((px1 - px0, 1))
    fade_mask = Image.new('L', (cw, ch), 0)
    row = Image.new('L', (px1 - px0, 1))
    fpx = row.load()
    for x in range(px1 - px0):
        t = x / (px1 - px0 - 1)
        fpx[x, 0] = int(255 * math.sin(math.pi * t) ** 0.7)
    fade_mask.paste(row.resize((px1 - px0, ch)), (px0, 0))
    del fade
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), AMBER), ImageChops.multiply(top, fade_mask))

    # The game's name, in gold, with a warm glow.
    logo = font(FONT_LOGO, 62)
    text = 'ORVANE'
    lx, ly = 52, 40
    tm = Image.new('L', (cw, ch), 0)
    td = ImageDraw.Draw(tm)
    x = lx
    for c in text:  # letter-spaced by hand
        td.text((x, ly), c, font=logo, fill=255)
        x += td.textlength(c, font=logo) + 7
    logo_right = x - 7
    glow_m = tm.filter(ImageFilter.GaussianBlur(9)).point(lambda v: min(255, v * 2) * 45 // 100)
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (255, 160, 60)), glow_m)
    outline_m = tm.filter(ImageFilter.MaxFilter(5))
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (20, 14, 8)), outline_m.point(lambda v: v * 80 // 100))
    gold = vertical(cw, ch, [(0.0, (255, 242, 196)), ((ly + 14) / ch, (255, 230, 160)),
                             ((ly + 46) / ch, (232, 160, 52)), ((ly + 70) / ch, (186, 112, 30)), (1.0, (186, 112, 30))])
    scene = lerp_img(scene, gold, tm)
    # An ornament under the name: a fine rule with a diamond.
    orn = Image.new('L', (cw * s, ch * s), 0)
    od = ImageDraw.Draw(orn)
    mid = (lx + logo_right) / 2
    oy = ly + 86
    od.rectangle([(lx + 4) * s, oy * s, (logo_right - 4) * s, oy * s + s - 1], fill=255)
    od.polygon([((mid - 6) * s, (oy + 0.5) * s), (mid * s, (oy - 5.5) * s), ((mid + 6) * s, (oy + 0.5) * s),
                (mid * s, (oy + 6.5) * s)], fill=255)
    orn = orn.resize((cw, ch), Image.BOX)
    ofade = Image.new('L', (cw, ch), 0)
    row = Image.new('L', (int(logo_right - lx), 1))
    rp = row.load()
    for i in range(row.size[0]):
        t = i / max(1, row.size[0] - 1)
        rp[i, 0] = int(255 * math.sin(math.pi * t) ** 0.8)
    ofade.paste(row.resize((row.size[0], ch)), (lx, 0))
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (240, 190, 100)), ImageChops.multiply(orn, ofade))

    # Vignette, to hold the eye in the middle.
    vig = radial_mask(cw, ch, cw / 2, ch / 2, cw * 0.78, ch * 0.95, power=1.0, peak=255)
    vig = vig.point(lambda v: (255 - v) * 70 // 100)
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (2, 6, 12)), vig)

    # The card: rounded, with a fine light inner edge and a dark outer edge.
    card = Image.new('L', (cw * s, ch * s), 0)
    ImageDraw.Draw(card).rounded_rectangle([0, 0, cw * s - 1, ch * s - 1], radius=R * s, fill=255)
    inner = Image.new('L', (cw * s, ch * s), 0)
    ImageDraw.Draw(inner).rounded_rectangle([s, s, cw * s - 1 - s, ch * s - 1 - s], radius=(R - 1) * s,
                                            outline=255, width=s)
    card, inner = card.resize((cw, ch), Image.BOX), inner.resize((cw, ch), Image.BOX)
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (120, 176, 200)), inner.point(lambda v: v * 40 // 100))
    ring = ImageChops.subtract(card, card.filter(ImageFilter.MinFilter(3)))
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (4, 10, 18)), ring)

    out = Image.new('RGBA', (W, H), (0, 0, 0, 0))
    sh = Image.new('L', (W, H), 0)
    sh.paste(card, (M, M + 2))
    sh = sh.filter(ImageFilter.GaussianBlur(3)).point(lambda v: v * 60 // 100)
    shadow_rgba = Image.new('RGBA', (W, H), (3, 8, 14, 0))
    shadow_rgba.putalpha(sh)
    out.alpha_composite(shadow_rgba)
    layer = scene.convert('RGBA')
    layer.putalpha(card)
    out.alpha_composite(layer, (M, M))
    return out


# -------------------------------------------------------------------- icons --
def emblem_ovn(size):
    """The game's icon: a navy tile with a gold ring and a four-point star."""
    L = Layer(size, size, s=8 if size <= 48 else 4)
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
    L = Layer(size, size, s=8 if size <= 48 else 4)
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


def png_bytes(img):
    buf = io.BytesIO()
    img.save(buf, 'PNG', optimize=True)
    return buf.getvalue()


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


# -------------------------------------------------------------------- table --
def builders():
    caption0 = caption_bg(0)
    return {
        129: login_background,
        131: frame_dialog,
        132: lambda: strip(33, 28, STATES4, btn_close, caption0),
        133: lambda: strip(57, 23, STATES4, btn_text, lambda x, y: BODY),
        134: frame_main,
        135: lambda: strip(27, 28, STATES4, btn_max, caption0),
        136: lambda: strip(27, 28, STATES4, btn_min, caption0),
        137: lambda: strip(27, 28, STATES4, btn_restore, caption0),
        138: lambda: strip(27, 27, STATES4, btn_hide, caption0),
        139: lambda: strip(44, 28, STATES4, btn_menu, caption0),
        140: tabs,
        141: tab_close,
        142: link_image,
        143: frame_notice_pic_text,
        144: lambda: notice_close(36, 14, 3, NOTICE_HEADER),
        145: lambda: notice_close(54, 22, 1, 22),
        146: frame_notice_pic,
        147: frame_notice_text,
        148: lambda: strip(27, 27, STATES4, btn_sound_off, caption0),
        149: lambda: strip(27, 27, STATES4, btn_sound_on, caption0),
        150: lambda: strip(79, 28, STATES4, hall_button('游戏大厅', hall_grid, False), caption0),
        151: lambda: strip(79, 28, STATES4, hall_button('返回游戏', back_arrow, True), caption0),
        152: progress_bk,
        153: progress_fill,
        162: frame_addacc,
    }


def render(skin_id):
    img = builders()[skin_id]()
    return no_magenta(img.convert('RGBA'))


def write_if_changed(path, data):
    if os.path.exists(path):
        with open(path, 'rb') as f:
            if f.read() == data:
                return False
    with open(path, 'wb') as f:
        f.write(data)
    return True


def rc_text():
    lines = ['LANGUAGE 4, 2']
    lines += ['%d PNG "png/%d.png"' % (sid, sid) for sid, *_ in skintable.SKINS]
    return '\n'.join(lines) + '\n'


SLOT_PARTS = ('LEFT', 'TOP', 'WIDTH', 'HEIGHT')


def header_text():
    out = ['// Resource ids of the skin images (resource type "PNG").',
           '// Generated by tools/skingen/skingen.py; usable from C++ and from .rc files.',
           '#ifndef OVN_RES_SKIN_IDS_H',
           '#define OVN_RES_SKIN_IDS_H',
           '']
    for sid, name, *_ in skintable.SKINS:
        out.append('#define %-24s %d  // %s' % (name, sid, skintable.DESCRIPTIONS[sid]))
    out += ['', "// The notice's picture label, in the frame IDB_NOTICE_FRAME draws a slot for it."]
    for part, v in zip(SLOT_PARTS, skintable.NOTICE_PICTURE_SLOT):
        out.append('#define NOTICE_PICTURE_%-9s %d' % (part, v))
    out += ['', '#endif', '']
    return '\n'.join(out)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--res', default=os.path.join(REPO, 'res'), help='resource folder to write into')
    ap.add_argument('--only', type=int, action='append', help='render only these ids (for quick iterations)')
    args = ap.parse_args()

    png_dir = os.path.join(args.res, 'png')
    os.makedirs(png_dir, exist_ok=True)
    changed = []
    for sid, name, w, h, cells, kind in skintable.SKINS:
        if args.only and sid not in args.only:
            continue
        img = render(sid)
        if img.size != (w, h):
            sys.exit('skingen: %d drew %dx%d, the table says %dx%d' % (sid, img.size[0], img.size[1], w, h))
        if write_if_changed(os.path.join(png_dir, '%d.png' % sid), png_bytes(img)):
            changed.append('png/%d.png' % sid)
    if not args.only:
        for fname, emblem in zip(skintable.ICONS, (emblem_ovn, emblem_portal)):
            data = ico_bytes([emblem(sz) for sz in skintable.ICON_SIZES])
            if write_if_changed(os.path.join(args.res, fname), data):
                changed.append(fname)
        if write_if_changed(os.path.join(args.res, 'skins.rc'), rc_text().encode('ascii')):
            changed.append('skins.rc')
        if write_if_changed(os.path.join(args.res, 'skin_ids.h'), header_text().encode('ascii')):
            changed.append('skin_ids.h')
    print('skingen: %d file(s) written%s' % (len(changed), (': ' + ', '.join(changed)) if changed else ''))


if __name__ == '__main__':
    main()
