"""The keyed shapes of the skins: frames, caption buttons, the text button,
tabs, the notice's close strips and the progress bar, each drawn for the
scale paint.set_dpi chose, in lengths at 100 %.
"""

from PIL import Image, ImageChops, ImageDraw

import skintable
from paint import (AMBER, AMBER_DK, AMBER_HI, BLACK, BODY, FONT_CJK, GLYPH, GLYPH_DIM, MAIN_BODY, OUTLINE, RED,
                   RED_DK, SIDE, STATES4, WHITE, Layer, arc, band, caption, circle, dpi, ellipse, flatten, font, k,
                   line, mix, outline_rect, poly, px, ramp, rrect, strip)


# ------------------------------------------------------------------ frames --
def paint_frame(w, h, cap_h, border, bottom_round, body, side=SIDE, band_fn=None):
    """A frame of w x h at 100 %: an outline (px(1) thick) following the cut
    corners, a caption band of cap_h rows, side/bottom borders of `border`
    pixels, body(x, y) inside; drawn pixel by pixel at the scale."""
    w, h, cap, border = px(w), px(h), px(cap_h), px(border)
    cut = skintable.corner_cut(w, h, bottom_round, dpi())
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


def builders():
    """What draws each keyed image, by id."""
    caption0 = caption_bg(0)
    return {
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
