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

# The scale being drawn, as a DPI. Every drawing function below is written in
# lengths at 100 %: shapes go through the Layer, which multiplies them out;
# pixel loops and backgrounds work in the scale's pixels and place their edges
# with px(), the program's own rounding, so a 150 % caption band meets a 150 %
# button where the program puts it.
_dpi = skintable.BASE_DPI


def px(v):
    return skintable.px(v, _dpi)


def unit():
    return _dpi / skintable.BASE_DPI


def k(v):
    """A coordinate at 100 % in the scale's pixels, unrounded (for polygons)."""
    return skintable.times(v, unit())


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
    """Colour of row y (in the scale's pixels) of a caption band `height` rows
    high at 100 % (outline, gloss, gradient, rule). Uniform along x so that
    stretching keeps it seamless."""
    if y < px(1):
        return OUTLINE
    if y < px(2):
        return CAP_GLOSS
    if y >= px(height - 1):
        return CAP_RULE
    t = (y - px(2)) / max(1, px(height - 2) - px(2))
    return ramp([(0.0, CAP_TOP), (0.45, mix(CAP_TOP, CAP_BOT, 0.62)), (1.0, CAP_BOT)], t)


def caption(y):
    return band(y, 30)


# ------------------------------------------------------- supersampled layer --
class Layer:
    """A transparent RGBA drawing surface of w x h at 100 % (in the scale's
    pixels: px(w) x px(h)), drawn SS times larger and reduced with
    premultiplied box filtering; text goes on afterwards at 1x so that the
    font's hinting keeps small CJK glyphs crisp. Shapes get `s`, the factor
    from their 100 % coordinates to the supersampled pixels."""

    def __init__(self, w, h, s=SS, scaled=True):
        u = unit() if scaled else 1
        self.u = u
        self.w, self.h = (px(w), px(h)) if scaled else (w, h)
        self.s = s if u == 1 else s * u
        self.img = Image.new('RGBA', (self.w * s, self.h * s), (0, 0, 0, 0))
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
            if self.u != 1:
                xy = (xy[0] * self.u, xy[1] * self.u)
                font = font.font_variant(size=int(round(font.size * self.u)))
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
    img = Image.new('RGBA', (px(cell_w) * len(states), px(cell_h)), (0, 0, 0, 0))
    for i, state in enumerate(states):
        layer = Layer(cell_w, cell_h)
        draw(layer, state, cell_w, cell_h)
        img.paste(flatten(layer.done(), bg, threshold), (i * px(cell_w), 0))
    return img


def font(path, size):
    if not os.path.exists(path):
        sys.exit('skingen: missing font %s (install the Debian font packages named in the header)' % path)
    return ImageFont.truetype(path, size)


# ------------------------------------------------------------------ frames --
def paint_frame(w, h, cap_h, border, bottom_round, body, side=SIDE, band_fn=None):
    """A frame of w x h at 100 %: an outline (px(1) thick) following the cut
    corners, a caption band of cap_h rows, side/bottom borders of `border`
    pixels, body(x, y) inside; drawn pixel by pixel at the scale."""
    w, h, cap, border = px(w), px(h), px(cap_h), px(border)
    cut = skintable.corner_cut(w, h, bottom_round, _dpi)
    band_fn = band_fn or (lambda y: band(y, cap_h))
    steps = [(d * dx, d * dy) for d in range(1, px(1) + 1) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]

    def inside(x, y):
        return 0 <= x < w and 0 <= y < h and (x, y) not in cut

    img = Image.new('RGBA', (w, h), (0, 0, 0, 0))
    pix = img.load()
    for y in range(h):
        for x in range(w):
            if not inside(x, y):
                continue
            if not all(inside(x + dx, y + dy) for dx, dy in steps):
                c = OUTLINE
            elif y < cap:
                c = band_fn(y)
            elif x < border or x >= w - border or y >= h - border:
                c = side
            else:
                c = body(x, y)
            pix[x, y] = tuple(c) + (255,)
    return img


def frame_dialog():
    # Stretched: the body must be one colour (rows and columns are replicated).
    return paint_frame(30, 51, 30, 4, False, lambda x, y: BODY)


def frame_main():
    return paint_frame(30, 51, 30, 4, False, lambda x, y: MAIN_BODY)


def light_body(y0, y1):
    """A light vertical ramp from row y0 to y1 (at 100 %)."""
    return lambda x, y: ramp([(0.0, (250, 252, 253)), (1.0, (229, 236, 242))],
                             (y - px(y0)) / max(1, px(y1) - px(y0)))


def rows(d, x0, x1, y0, y1, color):
    """Fills [x0, x1) x [y0, y1), given at 100 %, in the scale's pixels."""
    d.rectangle([px(x0), px(y0), px(x1) - 1, px(y1) - 1], fill=color)


def footer(img, y0, y1, border):
    """The footer band from row y0 to y1 (at 100 %): a rule, a light line and a ramp."""
    d = ImageDraw.Draw(img)
    w = img.size[0]
    x0, x1 = px(border), w - px(border) - 1
    d.rectangle([x0, px(y0), x1, px(y0 + 1) - 1], fill=(200, 212, 223, 255))
    d.rectangle([x0, px(y0 + 1), x1, px(y0 + 2) - 1], fill=(255, 255, 255, 255))
    for y in range(px(y0 + 2), px(y1)):
        d.line([(x0, y), (x1, y)], fill=mix((232, 238, 243), (221, 229, 236), (y - px(y0)) / max(1, px(y1) - px(y0))) + (255,))


NOTICE_HEADER = 22  # rows 0..20 dark header, row 21 the warm rule; the close strip sits at y 3


def frame_notice(w, h, footer_top, picture_slot):
    img = paint_frame(w, h, NOTICE_HEADER, 3, True, light_body(NOTICE_HEADER, h))
    footer(img, footer_top, h - 3, 3)
    if picture_slot:
        x, y, pw, ph = picture_slot  # the picture label's rectangle
        d = ImageDraw.Draw(img)
        rows(d, x - 2, x + pw + 2, y - 2, y + ph + 2, (255, 255, 255, 255))
        rows(d, x - 1, x + pw + 1, y - 1, y + ph + 1, (176, 192, 206, 255))
        rows(d, x, x + pw, y, y + ph, (221, 229, 236, 255))
        placeholder(d, x + pw // 2, y + ph // 2, 22, 14, 6, 4, 10, (6, -18, 16, -8))
    return img


def placeholder(d, cx, cy, half, base, dip, mid, hill, sun):
    """A quiet placeholder picture (hills and a sun) round (cx, cy), at 100 %;
    seen only until the notice's own picture arrives."""
    d.polygon([(k(cx - half), k(cy + base)), (k(cx - dip), k(cy - dip)), (k(cx + mid), k(cy + dip)),
               (k(cx + hill), k(cy)), (k(cx + half), k(cy + base))], fill=(190, 204, 216, 255))
    d.ellipse([k(cx + sun[0]), k(cy + sun[1]), k(cx + sun[2]), k(cy + sun[3])], fill=(236, 206, 150, 255))


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
    rows(d, 3, w - 3, header, h - 3, (221, 229, 236, 255))
    placeholder(d, w // 2, (header + h) // 2, 34, 22, 10, 6, 16, (10, -30, 26, -14))
    return img


def frame_addacc():
    w, h = 284, 150
    return paint_frame(w, h, 30, 3, True, light_body(30, h))


# ----------------------------------------------------------- caption buttons --
def caption_bg(top):
    """Background function for a button placed at `top` in a 30-row caption."""
    return lambda x, y: caption(y + px(top))


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
    return flatten(L.done(), lambda x, y: caption(y + px(7)))


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
    return strip(TAB_W, TAB_H, ('normal', 'hover', 'current'), tab_cell, lambda x, y: caption(y + px(TAB_TOP)))


def tab_close():
    # Drawn over the hovered tab's right end: pre-blend against that tab.
    tab_w, tab_h = px(TAB_W), px(TAB_H)
    hover_tab = tabs().crop((tab_w, 0, 2 * tab_w, tab_h))
    under = Image.new('RGBA', hover_tab.size, (0, 0, 0, 255))
    for y in range(tab_h):
        ImageDraw.Draw(under).line([(0, y), (tab_w, y)], fill=caption(y + px(TAB_TOP)) + (255,))
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

    return strip(13, 13, ('normal', 'hot', 'pressed'), draw, lambda x, y: upx[px(176) + x, y][:3])


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
        return band(y + px(top), header) if y + px(top) < px(header) else (250, 252, 253)

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


# -------------------------------------------------------------------- icons --
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
    import artwork  # it draws with this module's palette and fonts
    caption0 = caption_bg(0)
    return {
        129: lambda: artwork.login_background(_dpi),
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


def render(skin_id, dpi=skintable.BASE_DPI):
    global _dpi
    _dpi = dpi
    try:
        img = builders()[skin_id]()
    finally:
        _dpi = skintable.BASE_DPI
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
    lines += ['%d PNG "png/%s"' % (skintable.resource_id(e[0], dpi), skintable.png_name(e[0], dpi))
              for e, dpi in skintable.drawings()]
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
    out += ['', '// Every drawing of those images, for SKIN_DRAWING entries: the image id, the',
            '// DPI it is drawn for (96 is 100 %) and its resource id (the id itself at 96,',
            '// else the id plus 100 times the percent). An image not drawn for a scale',
            '// is made from its nearest larger drawing.',
            '#define SKIN_DRAWINGS \\']
    table = ['    SKIN_DRAWING(%d, %d, %d)' % (e[0], dpi, skintable.resource_id(e[0], dpi))
             for e, dpi in sorted(skintable.drawings(), key=lambda d: (d[0][0], d[1]))]
    out += [line + ' \\' for line in table[:-1]] + [table[-1]]
    out += ['', "// The notice's picture label, in the frame IDB_NOTICE_FRAME draws a slot for it."]
    for part, v in zip(SLOT_PARTS, skintable.NOTICE_PICTURE_SLOT):
        out.append('#define NOTICE_PICTURE_%-9s %d' % (part, v))
    out += ['', '#endif', '']
    return '\n'.join(out)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--res', default=os.path.join(REPO, 'res'), help='resource folder to write into')
    ap.add_argument('--only', type=int, action='append', help='render only these ids (for quick iterations)')
    ap.add_argument('--dpi', type=int, action='append', help='render only these scales, as DPIs')
    args = ap.parse_args()

    png_dir = os.path.join(args.res, 'png')
    os.makedirs(png_dir, exist_ok=True)
    changed = []
    for entry, dpi in skintable.drawings():
        sid = entry[0]
        if args.only and sid not in args.only:
            continue
        if args.dpi and dpi not in args.dpi:
            continue
        img = render(sid, dpi)
        if img.size != skintable.scaled_size(entry, dpi):
            sys.exit('skingen: %d at %d DPI drew %dx%d, the table says %dx%d'
                     % ((sid, dpi) + img.size + skintable.scaled_size(entry, dpi)))
        name = skintable.png_name(sid, dpi)
        if write_if_changed(os.path.join(png_dir, name), png_bytes(img)):
            changed.append('png/' + name)
    if not args.only and not args.dpi:
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
