#!/usr/bin/python3
"""Contact sheet of the skin images, for looking at them the way a player will.

Top: every image as it is, on grey, each labelled. Below: the images put
together the way the program draws them (nine-slice frames with their corners
cut, buttons at their places in the caption band, the program's own captions
and texts), and the login artwork on a desktop. Everything is scaled 2x.

Usage: preview.py [--res DIR] [--out FILE]   (default: <repo>/res, <repo>/out/skins_preview.png)
"""

import argparse
import os
import sys

from PIL import Image, ImageDraw, ImageFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import skintable  # noqa: E402

REPO = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
FONT = '/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf'  # CJK only
FONT_LATIN = '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'
GREY = (128, 134, 140)
DESKTOP = (58, 84, 110)


class MixedFont:
    """CJK from the fallback font, Latin from DejaVu (the CJK font has none)."""

    def __init__(self, size):
        self.size = size
        self.cjk = ImageFont.truetype(FONT, size)
        self.latin = ImageFont.truetype(FONT_LATIN, size - 1)

    def pick(self, ch):
        return self.latin if ord(ch) < 0x2000 else self.cjk

    def getlength(self, s):
        return sum(self.pick(c).getlength(c) for c in s)


def load_font(size):
    return MixedFont(size)


F12 = load_font(12)
F11 = load_font(11)


def keyed(img):
    """What the program's loader makes of a PNG: alpha 0 is transparent, any
    other alpha is blended over white and becomes opaque."""
    img = img.convert('RGBA')
    out = Image.new('RGBA', img.size, (0, 0, 0, 0))
    src, dst = img.load(), out.load()
    for y in range(img.size[1]):
        for x in range(img.size[0]):
            r, g, b, a = src[x, y]
            if a == 0:
                continue
            if a == 255:
                dst[x, y] = (r, g, b, 255)
            else:
                dst[x, y] = tuple((a * c + 255 * (255 - a)) // 255 for c in (r, g, b)) + (255,)
    return out


class Skins:
    def __init__(self, res):
        self.res = res
        self.cache = {}

    def raw(self, sid):
        return Image.open(os.path.join(self.res, 'png', '%d.png' % sid)).convert('RGBA')

    def __getitem__(self, sid):
        if sid not in self.cache:
            self.cache[sid] = keyed(self.raw(sid))
        return self.cache[sid]

    def cell(self, sid, i, n=4):
        img = self[sid]
        w = img.size[0] // n
        return img.crop((i * w, 0, (i + 1) * w, img.size[1]))


def stretch(img, box, size):
    piece = img.crop(box)
    if piece.size[0] <= 0 or piece.size[1] <= 0 or size[0] <= 0 or size[1] <= 0:
        return None
    return piece.resize(size, Image.NEAREST)


def paint_frame(frame, W, H, B, C, stretched=True):
    """The frame's painting and window shape, as the skinned dialog does it."""
    bw, bh = frame.size
    T = B if C == -1 else C
    out = Image.new('RGBA', (W, H), (0, 0, 0, 0))

    def put(img, xy):
        if img is not None:
            out.paste(img, xy)

    if stretched:
        put(frame.crop((0, 0, B, T)), (0, 0))
        put(stretch(frame, (B, 0, bw - B, T), (W - 2 * B, T)), (B, 0))
        put(frame.crop((bw - B, 0, bw, T)), (W - B, 0))
        put(stretch(frame, (0, T, B, bh - B), (B, H - T - B)), (0, T))
        put(stretch(frame, (bw - B, T, bw, bh - B), (B, H - T - B)), (W - B, T))
        put(stretch(frame, (B, T, bw - B, bh - B), (W - 2 * B, H - T - B)), (B, T))
    else:
        put(frame.crop((0, 0, W, H)), (0, 0))
        put(frame.crop((bw - B, 0, bw, T)), (W - B, 0))
        put(stretch(frame, (bw - B, T, bw, bh - B), (B, H - T - B)), (W - B, T))
    if B > 0:
        put(frame.crop((0, bh - B, B, bh)), (0, H - B))
        put(stretch(frame, (B, bh - B, bw - B, bh), (W - 2 * B, B)), (B, H - B))
        put(frame.crop((bw - B, bh - B, bw, bh)), (W - B, H - B))
    # Window shape: key-coloured pixels of the 9 x 9 corner squares are cut.
    fpx, opx = frame.load(), out.load()
    n = skintable.CORNER_SCAN
    for y in range(min(n, bh)):
        for j in range(min(n, bw)):
            if fpx[j, y][3] == 0:
                opx[j, y] = (0, 0, 0, 0)
            if fpx[bw - 1 - j, y][3] == 0:
                opx[W - 1 - j, y] = (0, 0, 0, 0)
    for y in range(max(0, bh - n), bh):
        wy = H - (bh - y)
        for j in range(min(n, bw)):
            if fpx[j, y][3] == 0:
                opx[j, wy] = (0, 0, 0, 0)
            if fpx[bw - 1 - j, y][3] == 0:
                opx[W - 1 - j, wy] = (0, 0, 0, 0)
    # Everything else that is key-coloured is painted as magenta on screen.
    for y in range(n, H - n):
        for x in range(W):
            if opx[x, y][3] == 0:
                opx[x, y] = (255, 0, 255, 255)
    return out


def over(dst, img, xy):
    dst.alpha_composite(img, (int(xy[0]), int(xy[1])))


def text(dst, xy, s, color, fnt=F12, anchor='la', underline=False):
    """Draws s with its top-left (anchor 'la'), top-centre ('ma') or centre
    ('mm') at xy, one font per character."""
    d = ImageDraw.Draw(dst)
    w = fnt.getlength(s)
    h = fnt.size
    x, y = xy
    if anchor[0] == 'm':
        x -= w / 2
    if anchor[1] == 'm':
        y -= h / 2 + 1
    for c in s:
        f = fnt.pick(c)
        d.text((x, y + fnt.size), c, font=f, fill=color, anchor='ls')
        x += f.getlength(c)
    if underline:
        d.line([(xy[0], y + h + 2), (x, y + h + 2)], fill=color)


def icon16(res):
    ico = Image.open(os.path.join(res, 'Ovn.ico'))
    ico.size = (16, 16)
    return ico.convert('RGBA').resize((16, 16))


def launcher(sk, res, W=900, H=150, hover=None, labels=('12服-青龙殿-orvane01', '7服-白虎岭-苍穹之翼'),
             muted=False, hall=False, tab_hover=1, close_state=1):
    win = paint_frame(sk[134], W, H, 4, 30)
    d = ImageDraw.Draw(win)
    # A stand-in for the game page in the page area.
    for y in range(30, H - 4):
        t = (y - 30) / (H - 34)
        d.line([(4, y), (W - 5, y)], fill=(int(40 + 30 * t), int(60 + 40 * t), int(48 + 20 * t), 255))
    text(win, ((W) / 2, (H + 30) / 2), '游戏页面', (200, 220, 200), anchor='mm')
    over(win, icon16(res), (4, 7))
    text(win, (25, 7), 'QuenraOrvane', (255, 255, 255), load_font(12))
    text(win, (26, 7), 'QuenraOrvane', (255, 255, 255), load_font(12))  # weight 600: drawn twice
    hover = hover or {}
    for i, label in enumerate(labels):
        state = 2 if i == 0 else (1 if i == tab_hover else 0)
        over(win, sk.cell(140, state, 3), (120 + 189 * i, 3))
        if i == tab_hover:
            over(win, sk.cell(141, close_state, 3), (296 + 189 * i, 3))
        clip = Image.new('RGBA', (160, 14), (0, 0, 0, 0))
        text(clip, (0, 0), label, (0, 0, 0))
        over(win, clip, (136 + 189 * i, 8))
    buttons = [(132, W - 33, 0), (135, W - 60, 0), (136, W - 87, 0), (138, W - 114, 0),
               (148 if muted else 149, W - 141, 0), (139, W - 185, 0), (151 if hall else 150, W - 264, 0)]
    for sid, x, y in buttons:
        over(win, sk.cell(sid, hover.get(sid, 0)), (x, y))
    menu_state = hover.get(139, 0)
    text(win, (W - 185 + 22, 14), '系统', (255, 255, 255) if menu_state != 3 else (109, 109, 109), anchor='mm')
    lx = W - 360
    over(win, sk[142], (lx + 3, 7))
    text(win, (lx + 20, 8), '登录其他账号', (255, 255, 255), underline=True)
    return win


def message_box(sk, caption, lines, buttons, states=(0, 0)):
    tw = max(int(F12.getlength(s)) for s in lines)
    th = 14 * len(lines)
    bw, bh = 57, 23
    W = tw + 60 if tw > 2 * bw + 60 else 2 * bw + 60
    H = th + 3 * len(lines) + 90 + bh
    win = paint_frame(sk[131], W, H, 4, 30)
    over(win, sk.cell(132, 0), (W - 33, 0))
    text(win, (9, 7), caption, (255, 255, 255))
    left = (W - tw) // 2
    for i, s in enumerate(lines):
        text(win, (left, 55 + i * 17), s, (0, 0, 0))
    if len(buttons) == 2:
        xs = [W // 2 - 10 - bw, W // 2 + 10]
    else:
        xs = [(W - bw) // 2]
    for x, label, st in zip(xs, buttons, states):
        over(win, sk.cell(133, st), (x, H - 30 - bh))
        text(win, (x + bw / 2, H - 30 - bh / 2), label, (109, 109, 109) if st == 3 else (0, 0, 0), anchor='mm')
    return win


def progress_dialog(sk, caption, pos):
    W, H = 422, 115
    win = paint_frame(sk[131], W, H, 4, 30)
    over(win, sk.cell(132, 0), (W - 33, 0))
    text(win, (9, 7), caption, (255, 255, 255))
    x0, y0 = 16, 54
    over(win, sk[152], (x0, y0))
    bar = sk[153]
    barW, barH = bar.size
    filled = int(barW / 100 * pos)
    half = filled // 2
    if half:
        over(win, bar.crop((0, 0, half, barH)), (x0, y0))
    if filled - half:
        over(win, bar.crop((barW - (filled - half), 0, barW, barH)), (x0 + half, y0))
    text(win, (W // 2, y0 + 32), '已下载 %d%%' % pos, (72, 81, 86), anchor='ma')
    return win


def add_account(sk):
    win = paint_frame(sk[162], 284, 150, 3, 30, stretched=False)
    text(win, (8, 7), '登录其他账号', (255, 255, 255))
    for i, s in enumerate(('在当前窗口新增标签页？', '点击"是"，在当前窗口登录(支持3个标签页)；', '点击"否"，在新窗口中登录。')):
        text(win, (16, 44 + i * 19), s, (0, 0, 0))
    for x, label, st in ((70, '是', 1), (157, '否', 0)):
        over(win, sk.cell(133, st), (x, 110))
        text(win, (x + 28.5, 121.5), label, (0, 0, 0), anchor='mm')
    return win


def notice(sk, kind):
    if kind == 'pictext':
        frame, close, (W, H) = sk[143], 144, sk[143].size
        win = paint_frame(frame, W, H, 3, 0, stretched=False)
        over(win, sk.cell(close, 1), (W - 3 - 36, 3))
        text(win, (8, 5), '公告', (255, 255, 255))
        text(win, (100, 48), '新服「星落海」开启', (19, 43, 67), load_font(12))
        text(win, (101, 48), '新服「星落海」开启', (19, 43, 67), load_font(12))
        for i, s in enumerate(('今晚20:00新服开启，首周登', '录即送坐骑礼包，等你来战...')):
            text(win, (100, 70 + i * 16), s, (30, 39, 46), F11)
        text(win, (195, 168), '详细>>', (22, 122, 235), F11)
    elif kind == 'text':
        frame, close, (W, H) = sk[147], 144, sk[147].size
        win = paint_frame(frame, W, H, 3, 0, stretched=False)
        over(win, sk.cell(close, 0), (W - 3 - 36, 3))
        text(win, (8, 5), '公告', (255, 255, 255))
        text(win, (W / 2, 45), '停服维护通知', (19, 43, 67), anchor='ma')
        text(win, (W / 2 + 1, 45), '停服维护通知', (19, 43, 67), anchor='ma')
        for i, s in enumerate(('各位玩家：本周四6:00-9:00停服维护，', '维护后将开放新副本与限时活动...')):
            text(win, (18, 67 + i * 16), s, (30, 39, 46), F11)
        text(win, (195, 145), '详细>>', (30, 39, 46), F11)
    else:
        frame, close, (W, H) = sk[146], 145, sk[146].size
        win = paint_frame(frame, W, H, 0, 0, stretched=False)
        # Layered with magenta as the colour key: key-coloured pixels vanish.
        px = win.load()
        for y in range(H):
            for x in range(W):
                if px[x, y][:3] == (255, 0, 255):
                    px[x, y] = (0, 0, 0, 0)
        over(win, sk.cell(close, 0), (W - 54, 1))
        text(win, (5, 4), '公告', (255, 255, 255))
    return win


def login(sk):
    art = sk.raw(129)
    W, H = art.size
    desk = Image.new('RGBA', (W + 60, H + 60), DESKTOP + (255,))
    over(desk, art, (30, 30))
    return desk


def mock_login_form(dst, origin):
    """A stand-in for the portal page's form, where the artwork leaves room."""
    ox, oy = origin
    x0, y0, x1, y1 = 566, 64, 852, 476
    d = ImageDraw.Draw(dst)
    cx = ox + (x0 + x1) // 2
    text(dst, (cx, oy + y0 + 34), '账号登录', (236, 242, 248), load_font(18), anchor='mm')
    for i, hint in enumerate(('请输入账号', '请输入密码')):
        y = oy + y0 + 80 + i * 52
        d.rounded_rectangle([ox + x0 + 30, y, ox + x1 - 30, y + 36], radius=4, fill=(246, 248, 250), outline=(120, 150, 170))
        text(dst, (ox + x0 + 42, y + 11), hint, (150, 160, 170))
    y = oy + y0 + 200
    d.rounded_rectangle([ox + x0 + 30, y, ox + x1 - 30, y + 40], radius=5, fill=(242, 162, 54))
    text(dst, (cx, y + 20), '登 录', (40, 24, 6), load_font(16), anchor='mm')
    text(dst, (cx, y + 70), 'QQ登录    微博登录', (170, 196, 214), anchor='mm')


def build(res):
    sk = Skins(res)
    blocks = []  # (title, image)

    # All images as they are.
    tiles = []
    for sid, name, w, h, cells, kind in skintable.SKINS:
        if sid == 129:
            continue
        tiles.append(('%d %s' % (sid, name), sk.raw(sid)))
    sheet_w = 980
    x, y, row_h = 10, 10, 0
    placed = []
    for label, img in tiles:
        tw = max(img.size[0], int(F11.getlength(label))) + 16
        if x + tw > sheet_w:
            x, y, row_h = 10, y + row_h + 24, 0
        placed.append((label, img, x, y))
        x += tw
        row_h = max(row_h, img.size[1])
    raw = Image.new('RGBA', (sheet_w, y + row_h + 30), GREY + (255,))
    for label, img, x, y in placed:
        text(raw, (x, y), label, (20, 20, 20), F11)
        over(raw, img, (x, y + 14))
    blocks.append(('The images as they are (transparent = grey)', raw))

    # The launcher's title strip, at rest and with states shown.
    l1 = launcher(sk, res)
    l2 = launcher(sk, res, hover={132: 1, 135: 2, 136: 1, 138: 1, 148: 0, 139: 1, 150: 2},
                  muted=True, hall=True, tab_hover=-1)
    l3 = launcher(sk, res, hover={132: 2, 135: 1, 136: 2, 138: 2, 148: 1, 139: 2, 151: 1},
                  muted=False, hall=False, tab_hover=0, close_state=2)
    l4 = launcher(sk, res, hover={132: 3, 135: 3, 136: 3, 138: 3, 149: 3, 139: 3, 150: 3}, tab_hover=1, close_state=0)
    strip_sheet = Image.new('RGBA', (920, 4 * 160 + 10), DESKTOP + (255,))
    for i, l in enumerate((l1, l2, l3, l4)):
        over(strip_sheet, l, (10, 10 + i * 160))
    blocks.append(('Launcher: at rest / hover+pressed, muted, hall shown / pressed / disabled', strip_sheet))

    dlg = Image.new('RGBA', (980, 420), DESKTOP + (255,))
    over(dlg, message_box(sk, 'QuenraOrvane', ['窗口即将关闭，确定要退出游戏？'], ['是', '否'], (1, 0)), (10, 10))
    over(dlg, message_box(sk, 'Quenra游戏大厅', ['您尚未安装该游戏，是否现在下载？', '下载完成后将自动安装。'], ['确定', '取消'], (2, 3)), (300, 10))
    over(dlg, message_box(sk, 'QuenraOrvane', ['当前窗体只支持3个游戏页'], ['确定']), (660, 10))
    over(dlg, progress_dialog(sk, '版本更新中...', 62), (10, 170))
    over(dlg, add_account(sk), (460, 170))
    blocks.append(('Dialogs: message boxes, update progress, add-account prompt', dlg))

    nt = Image.new('RGBA', (700, 240), DESKTOP + (255,))
    over(nt, notice(sk, 'pictext'), (10, 10))
    over(nt, notice(sk, 'text'), (280, 10))
    over(nt, notice(sk, 'pic'), (550, 10))
    blocks.append(('Notices: picture and text / text only / picture only (before its picture arrives)', nt))

    lg = login(sk)
    mock = lg.copy()
    mock_login_form(mock, (30, 30))
    blocks.append(('Login background (real alpha) on a desktop', lg))
    blocks.append(('Login background with a stand-in login form', mock))

    icons = Image.new('RGBA', (960, 300), DESKTOP + (255,))
    x = 10
    for fname in skintable.ICONS:
        ico = Image.open(os.path.join(res, fname))
        for size in skintable.ICON_SIZES:
            ico.size = (size, size)
            im = ico.convert('RGBA')
            over(icons, im, (x, 280 - size))
            x += size + 12
        x += 20
    blocks.append(('Icons: Ovn.ico and Portal.ico, 16/32/48/256', icons))

    width = max(b.size[0] for _, b in blocks) + 20
    height = sum(b.size[1] + 30 for _, b in blocks) + 10
    page = Image.new('RGBA', (width, height), (96, 100, 106, 255))
    y = 10
    for title, b in blocks:
        text(page, (10, y), title, (240, 240, 240), F12)
        over(page, b, (10, y + 18))
        y += b.size[1] + 30
    return page.resize((page.size[0] * 2, page.size[1] * 2), Image.NEAREST).convert('RGB')


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--res', default=os.path.join(REPO, 'res'))
    ap.add_argument('--out', default=os.path.join(REPO, 'out', 'skins_preview.png'))
    args = ap.parse_args()
    os.makedirs(os.path.dirname(args.out), exist_ok=True)
    build(args.res).save(args.out)
    print('preview: wrote %s' % args.out)


if __name__ == '__main__':
    main()
