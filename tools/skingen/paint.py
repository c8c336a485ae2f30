"""The skin generator's palette and drawing primitives: the supersampled
Layer, the shapes it fills, the flattening to binary alpha, button strips,
and the scale being drawn.

How the images are used decides how they are drawn:
  * The program turns alpha 0 into the key colour (magenta = transparent) and
    blends any other alpha over white. Over our dark caption band a
    half-transparent pixel would therefore come out as a light fringe, so
    every image except the login artwork has binary alpha: edges are smoothed
    by supersampling and then pre-blended, opaque, against the colour that
    lies behind the image where the program places it (the caption band, the
    dialog body, the tab, the progress track).
  * Frames: only the 9 x 9 corner squares (at 100 %) are searched for
    key-coloured pixels when the window shape is cut, so a frame has no other
    transparent pixel; the stretched frames keep their middle rows and
    columns uniform horizontally so that stretching them shows no seams.
  * The login artwork (129) is shown as a layered window with real per-pixel
    alpha, so there the soft edge and shadow are genuine alpha.
"""

import io
import math
import os
import sys

from PIL import Image, ImageDraw, ImageFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skintable  # noqa: E402

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


def set_dpi(dpi):
    global _dpi
    _dpi = dpi



def px(v):
    return skintable.px(v, _dpi)


def dpi():
    return _dpi


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


def png_bytes(img):
    buf = io.BytesIO()
    img.save(buf, 'PNG', optimize=True)
    return buf.getvalue()
