"""The login artwork: a lakeside keep at sunset under an aurora, the game's
name in gold and a dark glass panel for the login form. Soft and real-alpha;
drawn for a scale given as a DPI, every length of the picture written at
100 % and multiplied out, so the 200 % drawing has twice the detail rather
than twice the pixels of the 100 % one. At 100 % every number is the one the
picture was first drawn with, so that drawing stays byte for byte the same.
"""

import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

import skintable
from paint import AMBER, FONT_LOGO, font, ramp

ART_W, ART_H, ART_MARGIN, ART_RADIUS = 888, 518, 6, 16
# Where the artwork leaves a calm panel for the login form (window pixels).
LOGIN_PANEL = (566, 64, 852, 476)


def _odd(n, u):
    """A filter size of n pixels at 100 %, odd at every scale."""
    return 2 * int(round((n // 2) * u)) + 1


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


def poly_mask(w, h, points, s=2):
    m = Image.new('L', (w * s, h * s), 0)
    ImageDraw.Draw(m).polygon([(x * s, y * s) for x, y in points], fill=255)
    return m.resize((w, h), Image.BOX)


def castle(w, h, base_x, ground, u=1):
    """Silhouette of a hilltop keep, with its lit windows as a second mask;
    base_x and ground are in the picture's pixels, the keep's own lengths are
    at 100 % and times u."""
    s = 4
    m = Image.new('L', (w * s, h * s), 0)
    lit = Image.new('L', (w * s, h * s), 0)
    d, dl = ImageDraw.Draw(m), ImageDraw.Draw(lit)

    def X(v):
        return base_x + skintable.times(v, u)

    def Y(v):
        return ground - skintable.times(v, u)

    def box(x0, y0, x1, y1):
        d.rectangle([X(x0) * s, Y(y1) * s, X(x1) * s, Y(y0) * s], fill=255)

    def roof(x0, x1, y, tip):
        d.polygon([(X(x0) * s, Y(y) * s), (X((x0 + x1) / 2) * s, Y(tip) * s), (X(x1) * s, Y(y) * s)], fill=255)

    def window(x, y, ww=2, hh=3):
        dl.rectangle([X(x) * s, Y(y + hh) * s, X(x + ww) * s - 1, Y(y) * s - 1], fill=255)

    box(-4, -10, 76, 20)                  # curtain wall
    for i in range(9):                     # crenellations
        box(-4 + i * 9, 20, -4 + i * 9 + 5, 24)
    box(4, -10, 18, 52); roof(2, 20, 52, 72)        # left tower
    box(24, -10, 46, 64); roof(22, 48, 64, 92)      # keep
    box(31, 64, 39, 80); roof(30, 40, 80, 100)      # keep's turret
    box(54, -10, 66, 44); roof(52, 68, 44, 60)      # right tower
    d.line([(X(35) * s, Y(100) * s), (X(35) * s, Y(110) * s)], fill=255, width=int(s * u))
    d.polygon([(X(35) * s, Y(110) * s), (X(43) * s, Y(107) * s), (X(35) * s, Y(104) * s)], fill=255)
    for x, y in ((9, 36), (13, 26), (30, 48), (38, 48), (34, 34), (58, 30), (29, 8), (40, 8)):
        window(x, y)
    return m.resize((w, h), Image.BOX), lit.resize((w, h), Image.BOX)


def smooth(points, passes=2):
    for _ in range(passes):
        points = [points[0]] + [(x, (points[i - 1][1] + 2 * y + points[i + 1][1]) / 4)
                                for i, (x, y) in enumerate(points[1:-1], 1)] + [points[-1]]
    return points


WATER = 436  # the lake's shore line, in card rows


def login_background(dpi=skintable.BASE_DPI):
    u = dpi / skintable.BASE_DPI

    def k(v):
        return skintable.times(v, u)

    def P(v):
        return skintable.px(v, dpi)

    def n(v):  # a whole number of pixels (offsets, grid steps)
        return max(1, int(round(v * u)))

    W, H, M, R = P(ART_W), P(ART_H), P(ART_MARGIN), ART_RADIUS
    cw, ch = W - 2 * M, H - 2 * M
    water = P(WATER)
    rng = random.Random(20140131)
    solid = lambda c: Image.new('RGB', (cw, ch), c)  # noqa: E731

    # Sky: night blue above, teal toward the horizon.
    scene = vertical(cw, ch, [(0.0, (6, 13, 27)), (0.30, (11, 30, 54)), (0.52, (22, 60, 86)),
                              (0.66, (48, 92, 112)), (1.0, (48, 92, 112))])

    # A veil of aurora across the upper sky, worked out at half resolution
    # (in lengths at 100 %).
    aur = Image.new('L', (cw // 2, ch // 2), 0)
    apx = aur.load()
    for x in range(cw // 2):
        X = x * 2 if u == 1 else x * 2 / u
        yc = 138 + 34 * math.sin(X / 190.0 + 2.2) + 9 * math.sin(X / 61.0 + 1.0)
        strength = 0.62 + 0.38 * math.sin(X / 130.0 + 1.2)
        strength *= 0.82 + 0.18 * math.sin(X / 13.0 + 2.5 * math.sin(X / 41.0))
        strength *= min(1.0, max(0.0, (X - 60) / 220.0)) * min(1.0, max(0.0, (ART_W - 2 * ART_MARGIN - 200 - X) / 220.0))
        for y in range(ch // 2):
            Y = y * 2 if u == 1 else y * 2 / u
            f = max(0.0, 1 - (yc - Y) / 120.0) ** 1.6 if Y < yc else max(0.0, 1 - (Y - yc) / 14.0)
            v = f * strength
            if v > 0:
                apx[x, y] = min(255, int(v * 255))
    aur = aur.resize((cw, ch), Image.BILINEAR).filter(ImageFilter.GaussianBlur(k(4)))
    scene = lerp_img(scene, solid((80, 226, 188)), aur.point(lambda v: v * 66 // 100))

    # Stars, thinning toward the horizon: a star is a pixel at 100 %, a square
    # of the scale's pixels elsewhere.
    stars = Image.new('L', (cw, ch), 0)
    sd = ImageDraw.Draw(stars)

    def dot(x, y, fill):
        if u == 1:
            sd.point((x, y), fill=fill)
        else:
            sd.rectangle([x, y, x + u - 1, y + u - 1], fill=fill)

    for _ in range(280):
        x = rng.uniform(0, cw)
        y = ch * 0.6 * rng.random() ** 1.5
        dot(x, y, int(255 * max(0.0, 1 - y / (ch * 0.62)) * rng.uniform(0.3, 1.0)))
    for _ in range(9):
        x, y = rng.uniform(k(30), cw - k(330)), rng.uniform(k(20), ch * 0.36)
        for j in range(1, 5):
            for dx, dy in ((j, 0), (-j, 0), (0, j), (0, -j)):
                dot(x + k(dx), y + k(dy), 200 - j * 45)
        dot(x, y, 255)
    stars = ImageChops.lighter(stars, stars.filter(ImageFilter.GaussianBlur(k(0.7))))
    scene = lerp_img(scene, solid((236, 244, 255)), stars)

    # The setting sun: a wide warm glow, a hot core and the disc itself.
    sun_x, sun_y = k(336), k(318)
    scene = lerp_img(scene, solid((238, 132, 62)),
                     radial_mask(cw, ch, sun_x, sun_y, k(470), k(210), power=1.7, peak=215, step=n(4)))
    scene = lerp_img(scene, solid((255, 196, 120)),
                     radial_mask(cw, ch, sun_x, sun_y, k(150), k(90), power=1.5, peak=235, step=n(2)))
    disc = Image.new('L', (cw * 4, ch * 4), 0)
    ImageDraw.Draw(disc).ellipse([(sun_x - k(24)) * 4, (sun_y - k(24)) * 4, (sun_x + k(24)) * 4, (sun_y + k(24)) * 4],
                                 fill=255)
    scene = lerp_img(scene, solid((255, 238, 204)), disc.resize((cw, ch), Image.BOX))

    # Mountain ranges, far to near, down to the lake; mist settles in front of each.
    ranges = [
        (326, 62, (46, 72, 98), (36, 60, 84)),
        (370, 40, (29, 51, 73), (24, 44, 64)),
        (408, 20, (17, 35, 52), (15, 31, 46)),
    ]
    for i, (base, amp, top_c, bot_c) in enumerate(ranges):
        pts = smooth(ridge(rng, cw, k(base), k(amp), rough=0.56, levels=8), 1)
        if i == 0:  # a saddle in the far range where the sun goes down
            pts = [(x, y + k(46) * math.exp(-((x - sun_x) / k(80.0)) ** 2)) for x, y in pts]
        mask = poly_mask(cw, ch, pts + [(cw, water + k(2)), (0, water + k(2))])
        top_y = min(y for _, y in pts)
        fill = vertical(cw, ch, [(0.0, top_c), (top_y / ch, top_c), (water / ch, bot_c), (1.0, bot_c)])
        # Warm rim light where the sun catches the ridge.
        rim = ImageChops.subtract(mask, poly_mask(cw, ch, [(x, y + k(2.5)) for x, y in pts] + [(cw, ch), (0, ch)]))
        rim = ImageChops.multiply(rim, radial_mask(cw, ch, sun_x, sun_y, k(320 - 90 * i), k(150 - 30 * i), power=1.3,
                                                   peak=255, step=n(4)))
        scene = lerp_img(scene, fill, mask)
        scene = lerp_img(scene, solid((255, 176, 96)), rim.point(lambda v: v * (80, 40, 25)[i] // 100))
        mist = vertical(cw, ch, [(0.0, (0, 0, 0)), (k(base + 6) / ch, (0, 0, 0)), (water / ch, (255, 255, 255)),
                                 (1.0, (255, 255, 255))]).convert('L')
        scene = lerp_img(scene, solid((120, 168, 184)), mist.point(lambda v: v * (16 + 6 * i) // 255))

    # The keep on its rock at the lake's edge, with lit windows.
    rock = [(56, WATER + 2), (74, 414), (96, 392), (118, 372), (140, 356), (158, 350), (226, 348), (246, 356),
            (262, 372), (276, 396), (292, 418), (310, WATER + 2)]
    rock_m = poly_mask(cw, ch, [(k(x), k(y)) for x, y in rock])
    keep, windows = castle(cw, ch, k(158), k(352), u)
    silhouette = ImageChops.lighter(rock_m, keep)
    scene = lerp_img(scene, vertical(cw, ch, [(0.0, (14, 28, 42)), (1.0, (10, 20, 31))]), silhouette)
    rim = ImageChops.subtract(silhouette, ImageChops.offset(silhouette, -n(2), n(1)))
    rim = ImageChops.multiply(rim, radial_mask(cw, ch, sun_x, sun_y, k(260), k(200), power=1.0, peak=255, step=n(4)))
    scene = lerp_img(scene, solid((255, 170, 90)), rim.point(lambda v: v * 70 // 100))
    scene = lerp_img(scene, solid((255, 200, 112)), windows)
    halo = windows.filter(ImageFilter.GaussianBlur(k(3))).point(lambda v: min(255, v * 3) * 40 // 100)
    scene = lerp_img(scene, solid((255, 170, 80)), halo)

    # The lake mirrors what stands above its shore, darker and broken by ripples.
    depth = ch - water
    mirror = scene.crop((0, water - depth, cw, water)).transpose(Image.FLIP_TOP_BOTTOM)
    rippled = Image.new('RGB', mirror.size)
    for r in range(depth):
        ru = r if u == 1 else r / u
        shift = int(round(k(2.2) * math.sin(ru * 0.9) * (0.3 + r / depth)))
        rippled.paste(mirror.crop((0, r, cw, r + 1)), (shift, r))
    rippled = rippled.filter(ImageFilter.GaussianBlur(k(0.8)))
    lake = lerp_img(rippled, vertical(cw, depth, [(0.0, (14, 34, 50)), (1.0, (6, 15, 25))]),
                    Image.new('L', (cw, depth), 120))
    scene.paste(lake, (0, water))
    glint = Image.new('L', (cw, ch), 0)
    gd = ImageDraw.Draw(glint)
    depth100 = ART_H - 2 * ART_MARGIN - WATER
    for r in range(0, depth100, 2):  # rows at 100 %, so every scale draws the same glints
        half = 10 + r * 0.9
        for _ in range(3):
            x0 = sun_x + k(rng.uniform(-half, half))
            length = k(rng.uniform(4, 16) * (1 - r / (depth100 * 1.3)))
            y = water + k(r)
            gd.line([(x0 - length / 2, y), (x0 + length / 2, y)],
                    fill=int(230 * (1 - r / (depth100 * 1.15)) * rng.uniform(0.5, 1.0)), width=max(1, int(u)))
    glint = glint.filter(ImageFilter.GaussianBlur(k(0.6)))
    scene = lerp_img(scene, solid((255, 198, 124)), glint)
    scene = lerp_img(scene, solid((170, 210, 220)),
                     poly_mask(cw, ch, [(0, water), (cw, water), (cw, water + k(1)), (0, water + k(1))])
                     .point(lambda v: v * 30 // 100))

    # Dark shores in the foreground frame the view.
    left = smooth([(0, k(452)), (k(40), k(458)), (k(90), k(470)), (k(150), k(482)), (k(210), k(494)), (k(260), ch)], 1)
    right = smooth([(k(440), ch), (k(520), k(494)), (k(620), k(482)), (k(740), k(474)), (cw, k(466))], 1)
    shore = ImageChops.lighter(poly_mask(cw, ch, left + [(0, ch)]), poly_mask(cw, ch, right + [(cw, ch)]))
    scene = lerp_img(scene, solid((5, 12, 20)), shore)

    # Drifting embers over the water.
    embers = Image.new('L', (cw, ch), 0)
    ed = ImageDraw.Draw(embers)
    for _ in range(10):
        x, y = k(rng.uniform(310, 540)), k(rng.uniform(392, 432))
        r = k(rng.uniform(0.6, 1.5))
        ed.ellipse([x - r, y - r, x + r, y + r], fill=int(rng.uniform(150, 255)))
    scene = lerp_img(scene, solid((255, 190, 100)),
                     embers.filter(ImageFilter.GaussianBlur(k(2.2))).point(lambda v: min(255, v * 2)))
    scene = lerp_img(scene, solid((255, 222, 160)), embers.filter(ImageFilter.GaussianBlur(k(0.5))))

    # The login panel: a dark glass plate with a warm top edge.
    px0, py0, px1, py1 = (P(v) - M for v in LOGIN_PANEL)
    s = 4
    pm = Image.new('L', (cw * s, ch * s), 0)
    ImageDraw.Draw(pm).rounded_rectangle([px0 * s, py0 * s, px1 * s - 1, py1 * s - 1], radius=k(12) * s, fill=255)
    pm = pm.resize((cw, ch), Image.BOX)
    shadow = pm.filter(ImageFilter.GaussianBlur(k(10))).point(lambda v: v * 55 // 100)
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (2, 6, 12)), shadow)
    glass = vertical(cw, ch, [(0.0, (14, 34, 52)), (py0 / ch, (14, 34, 52)), (py1 / ch, (8, 20, 32)), (1.0, (8, 20, 32))])
    scene = lerp_img(scene, glass, pm.point(lambda v: v * 84 // 100))
    edge = Image.new('L', (cw * s, ch * s), 0)
    ImageDraw.Draw(edge).rounded_rectangle([px0 * s, py0 * s, px1 * s - 1, py1 * s - 1], radius=k(12) * s,
                                           outline=255, width=int(s * u))
    edge = edge.resize((cw, ch), Image.BOX)
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (110, 170, 196)), edge.point(lambda v: v * 45 // 100))
    top = Image.new('L', (cw * s, ch * s), 0)
    ImageDraw.Draw(top).rounded_rectangle([(px0 + k(40)) * s, py0 * s, (px1 - k(40)) * s, (py0 + k(2)) * s],
                                          radius=int(s * u), fill=255)
    top = top.resize((cw, ch), Image.BOX)
    fade_mask = Image.new('L', (cw, ch), 0)
    row = Image.new('L', (px1 - px0, 1))
    fpx = row.load()
    for x in range(px1 - px0):
        t = x / (px1 - px0 - 1)
        fpx[x, 0] = int(255 * math.sin(math.pi * t) ** 0.7)
    fade_mask.paste(row.resize((px1 - px0, ch)), (px0, 0))
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), AMBER), ImageChops.multiply(top, fade_mask))

    # The game's name, in gold, with a warm glow.
    logo = font(FONT_LOGO, int(round(62 * u)))
    text = 'ORVANE'
    lx, ly = k(52), k(40)
    tm = Image.new('L', (cw, ch), 0)
    td = ImageDraw.Draw(tm)
    x = lx
    for c in text:  # letter-spaced by hand
        td.text((x, ly), c, font=logo, fill=255)
        x += td.textlength(c, font=logo) + k(7)
    logo_right = x - k(7)
    glow_m = tm.filter(ImageFilter.GaussianBlur(k(9))).point(lambda v: min(255, v * 2) * 45 // 100)
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (255, 160, 60)), glow_m)
    outline_m = tm.filter(ImageFilter.MaxFilter(_odd(5, u)))
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (20, 14, 8)), outline_m.point(lambda v: v * 80 // 100))
    gold = vertical(cw, ch, [(0.0, (255, 242, 196)), ((ly + k(14)) / ch, (255, 230, 160)),
                             ((ly + k(46)) / ch, (232, 160, 52)), ((ly + k(70)) / ch, (186, 112, 30)),
                             (1.0, (186, 112, 30))])
    scene = lerp_img(scene, gold, tm)
    # An ornament under the name: a fine rule with a diamond.
    orn = Image.new('L', (cw * s, ch * s), 0)
    od = ImageDraw.Draw(orn)
    mid = (lx + logo_right) / 2
    oy = ly + k(86)
    od.rectangle([(lx + k(4)) * s, oy * s, (logo_right - k(4)) * s, oy * s + int(s * u) - 1], fill=255)
    od.polygon([((mid - k(6)) * s, (oy + k(0.5)) * s), (mid * s, (oy - k(5.5)) * s), ((mid + k(6)) * s, (oy + k(0.5)) * s),
                (mid * s, (oy + k(6.5)) * s)], fill=255)
    orn = orn.resize((cw, ch), Image.BOX)
    ofade = Image.new('L', (cw, ch), 0)
    row = Image.new('L', (int(logo_right - lx), 1))
    rp = row.load()
    for i in range(row.size[0]):
        t = i / max(1, row.size[0] - 1)
        rp[i, 0] = int(255 * math.sin(math.pi * t) ** 0.8)
    ofade.paste(row.resize((row.size[0], ch)), (int(lx), 0))
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (240, 190, 100)), ImageChops.multiply(orn, ofade))

    # Vignette, to hold the eye in the middle.
    vig = radial_mask(cw, ch, cw / 2, ch / 2, cw * 0.78, ch * 0.95, power=1.0, peak=255, step=n(4))
    vig = vig.point(lambda v: (255 - v) * 70 // 100)
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (2, 6, 12)), vig)

    # The card: rounded, with a fine light inner edge and a dark outer edge.
    e = int(s * u)  # one pixel of the scale, supersampled
    card = Image.new('L', (cw * s, ch * s), 0)
    ImageDraw.Draw(card).rounded_rectangle([0, 0, cw * s - 1, ch * s - 1], radius=k(R) * s, fill=255)
    inner = Image.new('L', (cw * s, ch * s), 0)
    ImageDraw.Draw(inner).rounded_rectangle([e, e, cw * s - 1 - e, ch * s - 1 - e], radius=k(R - 1) * s,
                                            outline=255, width=e)
    card, inner = card.resize((cw, ch), Image.BOX), inner.resize((cw, ch), Image.BOX)
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (120, 176, 200)), inner.point(lambda v: v * 40 // 100))
    ring = ImageChops.subtract(card, card.filter(ImageFilter.MinFilter(_odd(3, u))))
    scene = lerp_img(scene, Image.new('RGB', (cw, ch), (4, 10, 18)), ring)

    out = Image.new('RGBA', (W, H), (0, 0, 0, 0))
    sh = Image.new('L', (W, H), 0)
    sh.paste(card, (M, M + n(2)))
    sh = sh.filter(ImageFilter.GaussianBlur(k(3))).point(lambda v: v * 60 // 100)
    shadow_rgba = Image.new('RGBA', (W, H), (3, 8, 14, 0))
    shadow_rgba.putalpha(sh)
    out.alpha_composite(shadow_rgba)
    layer = scene.convert('RGBA')
    layer.putalpha(card)
    out.alpha_composite(layer, (M, M))
    return out
