"""The launcher's skin images: ids, names, sizes and cell layouts.

Shared by the generator (skingen.py), the contact sheet (preview.py) and the
checker (check.py). Standard library only, so that the checker runs anywhere.
"""

# Where the program shapes a window from the key-coloured pixels of its frame
# bitmap, only the 9 x 9 corner squares (at 100 %) are looked at, mapped 1:1
# onto the window's corners. Our frames cut a small diagonal there: 3, 2 and 1
# pixels from the outer edge in the three outermost rows at 100 %, the same
# 45-degree cut of px(3) pixels at every other scale.
CORNER_SCAN = 9
CORNER_CUT = 3

# The scales the skins are drawn for, as DPIs (96 is 100 %). Shapes are drawn
# at each, so their edges stay one pixel sharp; the soft login artwork only at
# 100 and 200 %: the program shrinks the 200 % drawing smoothly for 125 and
# 150 %, which a soft picture takes without harm, and saves the most bytes.
DPIS = (96, 120, 144, 192)
ART_DPIS = (96, 192)
BASE_DPI = 96

# kind:
#   'frame-top'   stretched frame; only the two top corners are rounded
#   'frame-round' unscaled frame; all four corners are rounded
#   'strip'       button/tab strip of `cells` equal cells side by side
#   'image'       single opaque-or-keyed image
#   'art'         the login artwork: real per-pixel alpha
SKINS = [
    # id,  macro name,               w,   h,  cells, kind
    (129, 'IDB_LOGIN_BK',          888, 518, 1, 'art'),
    (131, 'IDB_DLG_FRAME',          30,  51, 1, 'frame-top'),
    (132, 'IDB_BTN_CLOSE',         132,  28, 4, 'strip'),
    (133, 'IDB_BTN_TEXT',          228,  23, 4, 'strip'),
    (134, 'IDB_MAIN_FRAME',         30,  51, 1, 'frame-top'),
    (135, 'IDB_BTN_MAX',           108,  28, 4, 'strip'),
    (136, 'IDB_BTN_MIN',           108,  28, 4, 'strip'),
    (137, 'IDB_BTN_RESTORE',       108,  28, 4, 'strip'),
    (138, 'IDB_BTN_HIDE',          108,  27, 4, 'strip'),
    (139, 'IDB_BTN_MENU',          176,  28, 4, 'strip'),
    (140, 'IDB_TABS',              567,  22, 3, 'strip'),
    (141, 'IDB_TAB_CLOSE',          39,  13, 3, 'strip'),
    (142, 'IDB_LINK_ACCOUNT',       14,  16, 1, 'image'),
    (143, 'IDB_NOTICE_FRAME',      250, 191, 1, 'frame-round'),
    (144, 'IDB_NOTICE_CLOSE',      144,  14, 4, 'strip'),
    (145, 'IDB_NOTICE_CLOSE_PIC',  216,  22, 4, 'strip'),
    (146, 'IDB_NOTICE_FRAME_PIC',  160, 212, 1, 'frame-round'),
    (147, 'IDB_NOTICE_FRAME_TEXT', 250, 167, 1, 'frame-round'),
    (148, 'IDB_BTN_SOUND_OFF',     108,  27, 4, 'strip'),
    (149, 'IDB_BTN_SOUND_ON',      108,  27, 4, 'strip'),
    (150, 'IDB_BTN_HALL_HIDDEN',   316,  28, 4, 'strip'),
    (151, 'IDB_BTN_HALL_SHOWN',    316,  28, 4, 'strip'),
    (152, 'IDB_PROGRESS_BK',       390,  21, 1, 'image'),
    (153, 'IDB_PROGRESS_BAR',      390,  21, 1, 'image'),
    (162, 'IDB_ADDACC_FRAME',      284, 150, 1, 'frame-round'),
]

# One-line descriptions for the id header and the contact sheet.
DESCRIPTIONS = {
    129: 'login background, 888 x 518 RGBA',
    131: 'frame of the small dialogs',
    132: 'close button strip, 4 x 33 x 28',
    133: 'text button strip, 4 x 57 x 23',
    134: 'frame of the launcher and the external-login window',
    135: 'maximise button strip, 4 x 27 x 28',
    136: 'minimise button strip, 4 x 27 x 28',
    137: 'restore button strip, 4 x 27 x 28',
    138: 'hide-everything button strip, 4 x 27 x 27',
    139: 'system-menu button strip (text area), 4 x 44 x 28',
    140: 'page tabs: normal, hover, current, 3 x 189 x 22',
    141: 'tab close marks: normal, hot, pressed, 3 x 13 x 13',
    142: 'image of the other-account link',
    143: 'notice frame, picture and text',
    144: 'notice close strip, 4 x 36 x 14',
    145: 'notice close strip of the picture-only notice, 4 x 54 x 22',
    146: 'notice frame, picture only',
    147: 'notice frame, text only',
    148: 'sound button strip, sound off',
    149: 'sound button strip, sound on',
    150: 'game-hall button strip, hall hidden',
    151: 'game-hall button strip, hall shown',
    152: 'progress bar background',
    153: 'progress bar fill',
    162: 'frame of the add-account prompt',
}

# Icon files written beside the PNGs: the program's icon and the portal
# shortcut's icon. (Their resource ids live with the resource script. A
# shortcut names an icon by its index in the executable, and icon groups are
# indexed in ascending id order, so the portal icon needs the larger id.)
ICONS = ['Ovn.ico', 'Portal.ico']
ICON_SIZES = (16, 32, 48, 256)

KEY_COLOR = (255, 0, 255)

# The notice's picture label in its picture-and-text frame: left, top, width,
# height. The frame draws a sunken slot there and the program lays the picture
# into it; skin_ids.h carries it to the program.
NOTICE_PICTURE_SLOT = (15, 67, 75, 80)


def px(v, dpi):
    """A length at 100 % in the pixels of dpi, rounded half away from zero:
    the program's one rounding rule (DisplayScale::Px)."""
    n = v * dpi
    return int((n + 48) // 96) if n >= 0 else -int((-n + 48) // 96)


def times(v, u):
    """v times the scale factor u, kept an int where it is one, so that at
    100 % a drawing call gets exactly the number it was written with."""
    r = v * u
    return int(r) if r == int(r) else r


def drawn_dpis(kind):
    return ART_DPIS if kind == 'art' else DPIS


def scaled_size(entry, dpi):
    """An image's size drawn for dpi: strips keep equal cells of the scaled
    cell size, so the program's cell arithmetic (width / cells) still holds."""
    _, _, w, h, cells, _ = entry
    return cells * px(w // cells, dpi), px(h, dpi)


def resource_id(sid, dpi):
    """The resource id of image sid drawn for dpi: the id itself at 100 %,
    else the id plus 100 times the percent (200 % of 129 is 20129)."""
    return sid if dpi == BASE_DPI else sid + 100 * px(100, dpi)


def png_name(sid, dpi):
    return '%d.png' % sid if dpi == BASE_DPI else '%d_%d.png' % (sid, px(100, dpi))


def drawings():
    """Every drawing: (entry, dpi), the 100 % ones first, in table order."""
    return [(e, dpi) for dpi in DPIS for e in SKINS if dpi in drawn_dpis(e[5])]


def corner_cut(w, h, bottom, dpi=BASE_DPI):
    """The set of (x, y) pixels that a frame leaves transparent."""
    cut = set()
    n0 = px(CORNER_CUT, dpi)
    for row in range(n0):
        for j in range(n0 - row):
            cut.add((j, row))
            cut.add((w - 1 - j, row))
            if bottom:
                cut.add((j, h - 1 - row))
                cut.add((w - 1 - j, h - 1 - row))
    return cut


def expected_cut(kind, w, h, dpi=BASE_DPI):
    if kind == 'frame-top':
        return corner_cut(w, h, False, dpi)
    if kind == 'frame-round':
        return corner_cut(w, h, True, dpi)
    return None
