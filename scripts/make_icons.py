#!/usr/bin/env python3
"""Draws Velmo Clipboard's icons and writes them as .ico files into res/icons/.

Everything is drawn here from simple shapes (rectangles, circles, strokes, polygons),
anti-aliased by 4x4 supersampling, so the output is the same on every run and machine.

    make_icons.py                 write res/icons/*.ico
    make_icons.py --check         re-read the .ico files and verify their layout
    make_icons.py --preview DIR   write enlarged PNG previews of every image into DIR

Only the standard library is used. The .ico files are classic BMP-in-ICO: every entry is a
BITMAPINFOHEADER with doubled height, the colour (XOR) bits and a 1-bit AND mask.
"""

import math
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ICON_DIR = os.path.join(ROOT, "res", "icons")

# The program icon: every size at 16 colours, 256 colours and 32 bpp with alpha.
PROGRAM_ICON = "VelmoClipboard.ico"
PROGRAM_FORMATS = [(s, b) for s in (48, 32, 16) for b in (4, 8, 32)]
# Menu icons: 16x16 with alpha, plus a 256-colour fallback.
MENU_FORMATS = [(16, 32), (16, 8)]

# The standard 16-colour VGA palette in its usual order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

SS = 4  # samples per pixel along each axis
SAMPLE_OFFSETS = [(k + 0.5) / SS for k in range(SS)]


def hex_rgb(text):
    text = text.lstrip("#")
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16))


# ---------------------------------------------------------------------------------------------
# Shapes. Coordinates are in pixels: pixel (i, j) covers [i, i+1) x [j, j+1).


class Shape:
    bbox = (0.0, 0.0, 0.0, 0.0)

    def contains(self, x, y):
        raise NotImplementedError


class RRect(Shape):
    """Axis-aligned rectangle with optionally rounded corners."""

    def __init__(self, x0, y0, x1, y1, r=0.0):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1
        self.r = max(0.0, min(r, (x1 - x0) / 2, (y1 - y0) / 2))
        self.bbox = (x0, y0, x1, y1)

    def contains(self, x, y):
        if x < self.x0 or x >= self.x1 or y < self.y0 or y >= self.y1:
            return False
        r = self.r
        if r <= 0:
            return True
        dx = max(self.x0 + r - x, 0.0, x - (self.x1 - r))
        dy = max(self.y0 + r - y, 0.0, y - (self.y1 - r))
        return dx * dx + dy * dy <= r * r

    def inset(self, d):
        return RRect(self.x0 + d, self.y0 + d, self.x1 - d, self.y1 - d, self.r - d)


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r
        self.bbox = (cx - r, cy - r, cx + r, cy + r)

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        return dx * dx + dy * dy <= self.r * self.r

    def inset(self, d):
        return Circle(self.cx, self.cy, self.r - d)


class Ring(Shape):
    """Annulus, optionally with a gap: the angles in (gap_from, gap_to), degrees measured
    clockwise from straight up, are left out."""

    def __init__(self, cx, cy, r_out, r_in, gap=None):
        self.cx, self.cy, self.r_out, self.r_in, self.gap = cx, cy, r_out, r_in, gap
        self.bbox = (cx - r_out, cy - r_out, cx + r_out, cy + r_out)

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        d2 = dx * dx + dy * dy
        if d2 > self.r_out * self.r_out or d2 < self.r_in * self.r_in:
            return False
        if self.gap is not None:
            ang = math.degrees(math.atan2(dx, -dy))  # 0 = up, 90 = right
            lo, hi = self.gap
            if lo < ang < hi:
                return False
        return True


class Stroke(Shape):
    """A polyline drawn with a round pen of the given width."""

    def __init__(self, points, width):
        self.points, self.hw = points, width / 2.0
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.bbox = (min(xs) - self.hw, min(ys) - self.hw, max(xs) + self.hw, max(ys) + self.hw)

    def contains(self, x, y):
        hw2 = self.hw * self.hw
        pts = self.points
        for (ax, ay), (bx, by) in zip(pts, pts[1:]):
            vx, vy = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            ll = vx * vx + vy * vy
            t = 0.0 if ll == 0 else max(0.0, min(1.0, (wx * vx + wy * vy) / ll))
            px, py = wx - t * vx, wy - t * vy
            if px * px + py * py <= hw2:
                return True
        return False


class Polygon(Shape):
    def __init__(self, points):
        self.points = points
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.bbox = (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y):
                if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    inside = not inside
            j = i
        return inside


class Gear(Shape):
    def __init__(self, cx, cy, r_tip, r_root, r_hole, teeth, tooth=0.5):
        self.cx, self.cy = cx, cy
        self.r_tip, self.r_root, self.r_hole = r_tip, r_root, r_hole
        self.teeth, self.tooth = teeth, tooth
        self.bbox = (cx - r_tip, cy - r_tip, cx + r_tip, cy + r_tip)

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        r = math.hypot(dx, dy)
        if r > self.r_tip or r < self.r_hole:
            return False
        if r <= self.r_root:
            return True
        # Teeth taper slightly towards the tip.
        pos = (math.atan2(dy, dx) / (2 * math.pi) * self.teeth + 0.25) % 1.0
        taper = 1.0 - 0.35 * (r - self.r_root) / (self.r_tip - self.r_root)
        return abs(pos - 0.5) < self.tooth * taper / 2


class Union(Shape):
    def __init__(self, *parts):
        self.parts = parts
        self.bbox = (min(p.bbox[0] for p in parts), min(p.bbox[1] for p in parts),
                     max(p.bbox[2] for p in parts), max(p.bbox[3] for p in parts))

    def contains(self, x, y):
        return any(p.contains(x, y) for p in self.parts)


class Minus(Shape):
    def __init__(self, shape, cut):
        self.shape, self.cut = shape, cut
        self.bbox = shape.bbox

    def contains(self, x, y):
        return self.shape.contains(x, y) and not self.cut.contains(x, y)


class Intersect(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = (max(a.bbox[0], b.bbox[0]), max(a.bbox[1], b.bbox[1]),
                     min(a.bbox[2], b.bbox[2]), min(a.bbox[3], b.bbox[3]))

    def contains(self, x, y):
        return self.a.contains(x, y) and self.b.contains(x, y)


class Eroded(Shape):
    """Any shape shrunk by d pixels (erosion with a 16-point disc)."""

    DIRS = [(math.cos(k * math.pi / 8), math.sin(k * math.pi / 8)) for k in range(16)]

    def __init__(self, shape, d):
        self.shape, self.d = shape, d
        self.bbox = shape.bbox

    def contains(self, x, y):
        s, d = self.shape, self.d
        if not s.contains(x, y):
            return False
        return all(s.contains(x + d * cx, y + d * cy) for cx, cy in self.DIRS)


class Moved(Shape):
    def __init__(self, shape, dx, dy):
        self.shape, self.dx, self.dy = shape, dx, dy
        b = shape.bbox
        self.bbox = (b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy)

    def contains(self, x, y):
        return self.shape.contains(x - self.dx, y - self.dy)


def shrink(shape, d):
    if isinstance(shape, (RRect, Circle)):
        return shape.inset(d)
    return Eroded(shape, d)


# ---------------------------------------------------------------------------------------------
# Paints


def vgradient(y0, y1, top, bottom):
    top, bottom = hex_rgb(top), hex_rgb(bottom)

    def paint(_x, y):
        t = 0.0 if y1 == y0 else max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return paint


def dgradient(x0, y0, x1, y1, a, b):
    """Gradient along the direction (x0, y0) -> (x1, y1)."""
    a, b = hex_rgb(a), hex_rgb(b)
    vx, vy = x1 - x0, y1 - y0
    ll = vx * vx + vy * vy

    def paint(x, y):
        t = max(0.0, min(1.0, ((x - x0) * vx + (y - y0) * vy) / ll))
        return tuple(p + (q - p) * t for p, q in zip(a, b))
    return paint


# ---------------------------------------------------------------------------------------------
# Canvas


class Canvas:
    """Straight (not premultiplied) RGBA, colour 0..255, alpha 0..1.

    A hard canvas draws without anti-aliasing and without translucent details: it is meant for
    the palette images, which have only a 1-bit mask."""

    def __init__(self, size, hard=False):
        self.n = size
        self.hard = hard
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, shape, paint, alpha=1.0, hard_too=True):
        if self.hard and (alpha < 1.0 or not hard_too):
            return
        if isinstance(paint, str):
            paint = hex_rgb(paint)
        n = self.n
        x0, y0, x1, y1 = shape.bbox
        i0, j0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        i1, j1 = min(n, int(math.ceil(x1))), min(n, int(math.ceil(y1)))
        contains = shape.contains
        total = SS * SS
        for j in range(j0, j1):
            for i in range(i0, i1):
                hits = 0
                for oy in SAMPLE_OFFSETS:
                    for ox in SAMPLE_OFFSETS:
                        if contains(i + ox, j + oy):
                            hits += 1
                if hits == 0:
                    continue
                cov = hits / total
                if self.hard:
                    if cov < 0.5:
                        continue
                    cov = 1.0
                a = cov * alpha
                col = paint(i + 0.5, j + 0.5) if callable(paint) else paint
                p = self.px[j * n + i]
                da = p[3]
                out_a = a + da * (1.0 - a)
                if out_a <= 0:
                    continue
                k = da * (1.0 - a)
                p[0] = (col[0] * a + p[0] * k) / out_a
                p[1] = (col[1] * a + p[1] * k) / out_a
                p[2] = (col[2] * a + p[2] * k) / out_a
                p[3] = out_a

    def outlined(self, shape, outline, paint, width=1.0):
        """Fills the shape with the outline colour, then its inside with the paint."""
        self.fill(shape, outline)
        self.fill(shrink(shape, width), paint)

    def rgba8(self):
        out = []
        for r, g, b, a in self.px:
            a8 = int(round(a * 255))
            if a8 == 0:
                out.append((0, 0, 0, 0))
            else:
                out.append((int(round(r)), int(round(g)), int(round(b)), a8))
        return out


# ---------------------------------------------------------------------------------------------
# The program icon: a clipboard with a metal clip holding a written sheet.

# Colours for the full-colour drawing and their counterparts in the VGA palette.
CLIP_COLOURS = {
    "full": {
        "board_out": "6b3e14", "board_top": "d9a253", "board_bottom": "a9662a",
        "board_hi": "ecc07e", "sheet": "ffffff", "sheet_shade": "e9edf2", "sheet_out": "b9c0c9",
        "title": "2f6bc8", "text": "6b7686", "clip_out": "474b52",
        "clip_top": "f6f7f9", "clip_bottom": "9aa1ab", "clip_slot": "5d636c", "shadow": "000000",
    },
    "vga": {
        "board_out": "000000", "board_top": "808000", "board_bottom": "808000",
        "board_hi": "ffff00", "sheet": "ffffff", "sheet_shade": "ffffff", "sheet_out": "808080",
        "title": "000080", "text": "808080", "clip_out": "000000",
        "clip_top": "c0c0c0", "clip_bottom": "c0c0c0", "clip_slot": "808080", "shadow": "000000",
    },
}

# Layout per size, in pixels: (x0, y0, x1, y1[, radius]).
CLIP_LAYOUT = {
    48: {
        "board": (6, 5, 42, 47, 3.5), "sheet": (10, 12, 38, 43),
        "plate": (15, 8, 33, 16, 2.5), "loop": ((17, 3, 31, 12, 4), (20, 5.5, 28, 12, 1.5)),
        "slot": (19, 11, 29, 13),
        "lines": [(14, 20, 29, 2), (14, 25, 34, 2), (14, 29, 32, 2), (14, 33, 34, 2), (14, 37, 26, 2)],
        "shadow": 1.5,
    },
    32: {
        "board": (4, 3, 28, 31, 2.5), "sheet": (7, 8, 25, 28),
        "plate": (10, 5, 22, 10, 1.5), "loop": ((11, 2, 21, 8, 2.5), (13, 4, 19, 8, 1)),
        "slot": None,
        "lines": [(9, 13, 19, 1), (9, 16, 23, 1), (9, 19, 22, 1), (9, 22, 23, 1), (9, 25, 18, 1)],
        "shadow": 1.0,
    },
    16: {
        "board": (2, 1, 14, 16, 1.2), "sheet": (4, 4, 12, 14),
        "plate": (5, 2, 11, 5, 0.0), "loop": None, "slot": None,
        "lines": [(5, 6, 10, 1), (5, 8, 11, 1), (5, 10, 11, 1), (5, 12, 9, 1)],
        "shadow": 0.0,
    },
}


def draw_clipboard(size, hard):
    c = Canvas(size, hard)
    col = CLIP_COLOURS["vga" if hard else "full"]
    lay = CLIP_LAYOUT[size]

    bx0, by0, bx1, by1, br = lay["board"]
    board = RRect(bx0, by0, bx1, by1, br)
    if lay["shadow"]:
        sh = lay["shadow"]
        c.fill(Moved(board, sh, sh), col["shadow"], alpha=0.22)
        c.fill(Moved(board, sh * 0.5, sh * 0.5), col["shadow"], alpha=0.15)
    c.outlined(board, col["board_out"], vgradient(by0, by1, col["board_top"], col["board_bottom"]))
    if size >= 32:
        # A lighter bevel along the top and left edge of the board.
        inner = board.inset(1)
        c.fill(Minus(inner, Moved(inner, 1, 1)), col["board_hi"], alpha=0.7)

    sx0, sy0, sx1, sy1 = lay["sheet"]
    sheet = RRect(sx0, sy0, sx1, sy1)
    if size >= 32:
        c.fill(Moved(sheet, 1, 1), col["board_out"], alpha=0.35)
        c.outlined(sheet, col["sheet_out"], vgradient(sy0, sy1, col["sheet"], col["sheet_shade"]))
    else:
        c.fill(sheet, col["sheet"])
    for k, (x0, y, x1, h) in enumerate(lay["lines"]):
        c.fill(RRect(x0, y, x1, y + h), col["title"] if k == 0 else col["text"])

    # The clip: a loop on top and a plate that holds the sheet.
    px0, py0, px1, py1, pr = lay["plate"]
    plate = RRect(px0, py0, px1, py1, pr)
    if size >= 32:
        outer, hole = RRect(*lay["loop"][0]), RRect(*lay["loop"][1])
        metal = vgradient(outer.y0, py1, col["clip_top"], col["clip_bottom"])
        c.fill(Moved(plate, 1, 1), col["shadow"], alpha=0.3)
        c.fill(Minus(outer, hole), col["clip_out"])
        c.fill(Minus(outer.inset(1), RRect(hole.x0 - 1, hole.y0 - 1, hole.x1 + 1, hole.y1, hole.r + 1)),
               metal)
        c.outlined(plate, col["clip_out"], metal)
        if lay["slot"]:
            c.fill(RRect(*lay["slot"], 1.0), col["clip_slot"])
        # Highlight along the top of the plate.
        c.fill(RRect(px0 + 2, py0 + 1, px1 - 2, py0 + 2), "ffffff", alpha=0.8)
    else:
        metal = vgradient(0, py1, col["clip_top"], col["clip_bottom"])
        c.fill(RRect(6, 0, 10, 2), col["clip_out"])
        c.fill(RRect(7, 1, 9, 2), col["sheet_out"] if hard else "c9ced6")
        c.outlined(plate, col["clip_out"], metal)
    return c


# ---------------------------------------------------------------------------------------------
# Menu icons, 16x16, flat: solid fills with a one pixel darker outline.

BLUE, BLUE_OUT = "2d6cdf", "1a4aa6"
RED, RED_OUT = "e04343", "a32424"
GREEN, GREEN_OUT = "30a64f", "1b6f33"
GREY, GREY_OUT = "8a929d", "4a515b"
INK = "2b2f36"
WHITE = "ffffff"


def badge(c, fill, out):
    c.outlined(Circle(8, 8, 7.5), out, fill)


def letter_t(c, ox=0, oy=0):
    # A sans-serif "T" with small serifs at the foot.
    c.fill(RRect(2 + ox, 2 + oy, 12 + ox, 4 + oy), INK)
    c.fill(RRect(6 + ox, 4 + oy, 8 + ox, 13 + oy), INK)
    c.fill(RRect(5 + ox, 12 + oy, 9 + ox, 13 + oy), INK)


def menu_exit(c):
    badge(c, RED, RED_OUT)
    c.fill(Ring(8, 8.5, 4.6, 2.9, gap=(-42, 42)), WHITE)
    c.fill(Stroke([(8, 3.6), (8, 8.0)], 1.8), WHITE)


def menu_show(c):
    # The eye's outline is where two large circles overlap.
    eye = Intersect(Circle(8, 12.2, 8.2), Circle(8, 3.8, 8.2))
    c.outlined(eye, INK, WHITE)
    c.fill(Intersect(Circle(8, 8, 3.6), shrink(eye, 1.0)), BLUE)
    c.fill(Circle(8, 8, 1.7), INK)
    c.fill(Circle(6.9, 6.9, 0.9), WHITE)


def menu_remove_format(c):
    letter_t(c, ox=-1, oy=-1)
    # An eraser lying across the lower right corner.
    ang = math.radians(-45)
    ux, uy = math.cos(ang), math.sin(ang)
    vx, vy = -uy, ux
    cx, cy, half_l, half_w = 10.5, 11.0, 5.2, 2.6

    def quad(t0, t1):
        return Polygon([
            (cx + ux * t0 - vx * half_w, cy + uy * t0 - vy * half_w),
            (cx + ux * t1 - vx * half_w, cy + uy * t1 - vy * half_w),
            (cx + ux * t1 + vx * half_w, cy + uy * t1 + vy * half_w),
            (cx + ux * t0 + vx * half_w, cy + uy * t0 + vy * half_w),
        ])
    whole = quad(-half_l, half_l)
    c.fill(whole, "8c2f45")
    inner = shrink(whole, 1.0)
    c.fill(Intersect(inner, quad(-half_l, -0.6)), "f27d92")
    c.fill(Intersect(inner, quad(-0.6, half_l)), "8fb6ef")


def menu_shortcut(c):
    page = Polygon([(3, 1), (10, 1), (14, 5), (14, 15), (3, 15)])
    c.outlined(page, "6b7380", WHITE)
    c.fill(Polygon([(10, 1), (10, 5), (14, 5)]), "6b7380")
    c.fill(Polygon([(10.9, 3.0), (10.9, 4.1), (12.0, 4.1)]), "dde2e8")
    # The shortcut overlay: a small box with a bent arrow.
    c.outlined(RRect(1, 8, 9, 16), BLUE_OUT, WHITE)
    c.fill(Stroke([(3.6, 14.0), (3.6, 12.0), (6.0, 10.8)], 1.6), BLUE)
    c.fill(Polygon([(7.9, 9.7), (4.2, 9.4), (6.4, 12.8)]), BLUE)


def menu_options(c):
    gear = Gear(8, 8, 7.6, 5.4, 2.2, 8, tooth=0.5)
    c.outlined(gear, GREY_OUT, dgradient(3, 3, 13, 13, "b7bec8", "7b838f"))
    c.fill(Ring(8, 8, 3.2, 2.2), GREY_OUT)


def menu_keep_format(c):
    letter_t(c, ox=-1, oy=-1)
    check = [(7.6, 11.0), (10.0, 13.4), (14.4, 7.6)]
    c.fill(Stroke(check, 4.4), GREEN_OUT)
    c.fill(Stroke(check, 2.2), GREEN)


def menu_save(c):
    body = Polygon([(1, 1), (13, 1), (15, 3), (15, 15), (1, 15)])
    c.outlined(body, BLUE_OUT, BLUE)
    # Metal shutter with its window, then the label.
    c.fill(RRect(4, 1, 12, 6), "c3cad3")
    c.fill(RRect(4, 5, 12, 6), "8c96a3")
    c.fill(RRect(9, 2, 11, 5), "4a5563")
    c.fill(RRect(3, 8, 13, 15), WHITE)
    c.fill(RRect(4, 10, 12, 11), "a9b3c0")
    c.fill(RRect(4, 12, 12, 13), "a9b3c0")


def menu_about(c):
    badge(c, BLUE, BLUE_OUT)
    c.fill(RRect(7, 3.5, 9, 5.5, 1.0), WHITE)
    c.fill(RRect(7, 7, 9, 12.5), WHITE)
    c.fill(RRect(6, 7, 7, 8), WHITE)
    c.fill(RRect(6, 11.5, 10, 12.5), WHITE)


def menu_cancel(c):
    a = Stroke([(3.5, 3.5), (12.5, 12.5)], 3.0)
    b = Stroke([(12.5, 3.5), (3.5, 12.5)], 3.0)
    c.fill(Union(Stroke([(3.5, 3.5), (12.5, 12.5)], 5.0), Stroke([(12.5, 3.5), (3.5, 12.5)], 5.0)),
           RED_OUT)
    c.fill(Union(a, b), RED)


def flag_frame(c, bands):
    """Horizontal bands over a 16x12 field, then a soft edge so light colours stay visible."""
    y = 2
    for colour, h in bands:
        c.fill(RRect(0, y, 16, y + h), colour)
        y += h
    field = RRect(0, 2, 16, 14)
    c.fill(Minus(field, field.inset(1)), "000000", alpha=0.28)


def menu_flag_de(c):
    flag_frame(c, [("1a1a1a", 4), ("dd0000", 4), ("ffce00", 4)])


def menu_flag_pl(c):
    flag_frame(c, [(WHITE, 6), ("dc143c", 6)])


def menu_flag_en(c):
    field = RRect(0, 2, 16, 14)
    c.fill(field, "012169")
    diag_w = Union(Stroke([(0, 2), (16, 14)], 3.0), Stroke([(16, 2), (0, 14)], 3.0))
    diag_r = Union(Stroke([(0, 2), (16, 14)], 1.1), Stroke([(16, 2), (0, 14)], 1.1))
    c.fill(Intersect(diag_w, field), WHITE)
    c.fill(Intersect(diag_r, field), "c8102e")
    c.fill(RRect(6, 2, 10, 14), WHITE)
    c.fill(RRect(0, 6, 16, 10), WHITE)
    c.fill(RRect(7, 2, 9, 14), "c8102e")
    c.fill(RRect(0, 7, 16, 9), "c8102e")
    c.fill(Minus(field, field.inset(1)), "000000", alpha=0.28)


def menu_help(c):
    badge(c, BLUE, BLUE_OUT)
    # Question mark: a hook running over the top and down to a short stem, and a dot.
    hook = [(8 + 2.4 * math.sin(math.radians(a)), 6.2 - 2.4 * math.cos(math.radians(a)))
            for a in range(-80, 121, 20)]
    hook += [(8.0, 9.4), (8.0, 9.8)]
    c.fill(Stroke(hook, 2.0), WHITE)
    c.fill(RRect(7, 11.2, 9, 13.2, 0.7), WHITE)


MENU_ICONS = [
    (0, "exit", menu_exit),
    (1, "show", menu_show),
    (6, "remove_format", menu_remove_format),
    (7, "shortcut", menu_shortcut),
    (8, "options", menu_options),
    (9, "keep_format", menu_keep_format),
    (10, "save", menu_save),
    (11, "about", menu_about),
    (12, "cancel", menu_cancel),
    (13, "flag_de", menu_flag_de),
    (14, "flag_pl", menu_flag_pl),
    (15, "flag_en", menu_flag_en),
    (17, "help", menu_help),
]


def menu_file_name(index, name):
    return "menu_%02d_%s.ico" % (index, name)


def draw_menu(fn, hard):
    c = Canvas(16, hard)
    fn(c)
    return c


# ---------------------------------------------------------------------------------------------
# The folder picker field's button glyph: an open folder. The button is 21 x 17 pixels at 96
# dots per inch with a 2-pixel frame, so the drawing keeps to rows 3 to 13 of the 16-pixel
# grid; the larger sizes are the same drawing for 125 %, 150 % and 200 %.

GLYPH_ICON = "directory_glyph.ico"
GLYPH_FORMATS = [(16, 32), (20, 32), (24, 32), (32, 32), (16, 8)]
FOLDER_OUT = "8a5a0c"


def draw_folder_glyph(size, hard):
    c = Canvas(size, hard)
    k = size / 16.0

    def poly(points):
        return Polygon([(x * k, y * k) for x, y in points])

    back = poly([(1, 3), (6, 3), (7.5, 4.5), (14, 4.5), (14, 13.5), (1, 13.5)])
    c.outlined(back, FOLDER_OUT, vgradient(3 * k, 13.5 * k, "e9b949", "c98f22"), width=k)
    front = poly([(1, 13.5), (3.4, 7), (15.6, 7), (13.4, 13.5)])
    c.outlined(front, FOLDER_OUT, vgradient(7 * k, 13.5 * k, "fff0b0", "f3c552"), width=k)
    return c


def glyph_images():
    return [(size, bpp, draw_folder_glyph(size, hard=(bpp == 4)).rgba8()) for size, bpp in GLYPH_FORMATS]


# ---------------------------------------------------------------------------------------------
# Colour reduction for the palette images


def median_cut(counts, limit):
    """counts: {(r, g, b): n}. Returns at most `limit` colours, deterministic."""
    boxes = [sorted(counts.items())]
    while len(boxes) < limit:
        best, best_range, best_ch = None, 0, 0
        for bi, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c, _ in box]
                rng = max(vals) - min(vals)
                if rng > best_range:
                    best, best_range, best_ch = bi, rng, ch
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda e: (e[0][best_ch], e[0]))
        total = sum(n for _, n in box)
        acc, cut = 0, 1
        for k, (_, n) in enumerate(box):
            acc += n
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, k + 1))
                break
        boxes.insert(best, box[cut:])
        boxes.insert(best, box[:cut])
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[ch] * n for c, n in box) / total)) for ch in range(3)))
    return palette


def nearest(palette, rgb, cache):
    hit = cache.get(rgb)
    if hit is not None:
        return hit
    r, g, b = rgb
    best, best_d = 0, None
    for k, (pr, pg, pb) in enumerate(palette):
        # Weighted so that the eye's sensitivity to green counts.
        d = 3 * (r - pr) ** 2 + 4 * (g - pg) ** 2 + 2 * (b - pb) ** 2
        if best_d is None or d < best_d:
            best, best_d = k, d
    cache[rgb] = best
    return best


def to_indexed(rgba, bpp):
    """Opaque where alpha >= 128; returns (palette, indices, mask) with mask 1 = transparent."""
    mask = [1 if a < 128 else 0 for (_, _, _, a) in rgba]
    if bpp == 4:
        palette = list(VGA)
    else:
        counts = {}
        for (r, g, b, _), m in zip(rgba, mask):
            if not m:
                counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
        colours = sorted(counts) if len(counts) <= 255 else median_cut(counts, 255)
        # Index 0 stays black: the transparent pixels use it so that the AND/XOR pair leaves
        # the screen alone.
        palette = [(0, 0, 0)] + [c for c in colours if c != (0, 0, 0)]
        palette += [(0, 0, 0)] * (256 - len(palette))
    cache = {}
    indices = [0 if m else nearest(palette, (r, g, b), cache)
               for (r, g, b, _), m in zip(rgba, mask)]
    return palette, indices, mask


# ---------------------------------------------------------------------------------------------
# ICO writing and reading


def row_bytes(width, bpp):
    return ((width * bpp + 31) // 32) * 4


def pack_mask(mask, n):
    out = bytearray()
    stride = row_bytes(n, 1)
    for y in range(n - 1, -1, -1):
        row = bytearray(stride)
        for x in range(n):
            if mask[y * n + x]:
                row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


def bmp_entry(n, bpp, rgba):
    """One icon image: BITMAPINFOHEADER, palette, XOR bits bottom-up, AND mask bottom-up."""
    stride = row_bytes(n, bpp)
    xor = bytearray()
    palette = []
    if bpp == 32:
        mask = [1 if a < 128 else 0 for (_, _, _, a) in rgba]
        for y in range(n - 1, -1, -1):
            for x in range(n):
                r, g, b, a = rgba[y * n + x]
                xor += bytes((b, g, r, a))
    else:
        palette, indices, mask = to_indexed(rgba, bpp)
        for y in range(n - 1, -1, -1):
            row = bytearray(stride)
            for x in range(n):
                v = indices[y * n + x]
                if bpp == 8:
                    row[x] = v
                else:
                    row[x >> 1] |= v << 4 if x % 2 == 0 else v
            xor += row
    and_bits = pack_mask(mask, n)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, bpp, 0, len(xor) + len(and_bits),
                         0, 0, len(palette), 0)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + pal + bytes(xor) + and_bits


def build_ico(images):
    """images: list of (size, bpp, rgba list)."""
    count = len(images)
    blobs = [bmp_entry(n, bpp, rgba) for n, bpp, rgba in images]
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    for (n, bpp, _), blob in zip(images, blobs):
        colours = 16 if bpp == 4 else 0
        out += struct.pack("<BBBBHHII", n % 256, n % 256, colours, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


class IcoError(Exception):
    pass


def read_ico(data):
    """Parses the file back. Returns a list of dicts with size, bpp and the decoded RGBA."""
    if len(data) < 6:
        raise IcoError("file too short")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        raise IcoError("not an icon directory")
    images = []
    for k in range(count):
        w, h, colours, res, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
        w, h = w or 256, h or 256
        if res != 0 or planes != 1:
            raise IcoError("entry %d: bad reserved/planes" % k)
        if offset + size > len(data):
            raise IcoError("entry %d: runs past the end of the file" % k)
        blob = data[offset:offset + size]
        (hsize, bw, bh, bplanes, bbits, comp, simg, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", blob, 0)
        if hsize != 40 or bw != w or bh != 2 * h or bplanes != 1 or bbits != bpp or comp != 0:
            raise IcoError("entry %d: header does not match the directory" % k)
        if colours != (16 if bpp == 4 else 0):
            raise IcoError("entry %d: colour count %d for %d bpp" % (k, colours, bpp))
        n_pal = (used or (1 << bpp)) if bpp <= 8 else 0
        pal_off = 40
        palette = [(blob[pal_off + 4 * i + 2], blob[pal_off + 4 * i + 1], blob[pal_off + 4 * i])
                   for i in range(n_pal)]
        xor_off = pal_off + 4 * n_pal
        xor_len = row_bytes(w, bpp) * h
        and_off = xor_off + xor_len
        and_len = row_bytes(w, 1) * h
        if and_off + and_len != size or simg != xor_len + and_len:
            raise IcoError("entry %d: size %d, expected %d" % (k, size, and_off + and_len))
        rgba = [None] * (w * h)
        xs, ms = row_bytes(w, bpp), row_bytes(w, 1)
        for row in range(h):
            y = h - 1 - row
            for x in range(w):
                masked = blob[and_off + row * ms + (x >> 3)] & (0x80 >> (x & 7))
                base = xor_off + row * xs
                if bpp == 32:
                    b, g, r, a = blob[base + 4 * x:base + 4 * x + 4]
                    rgba[y * w + x] = (r, g, b, a)
                else:
                    if bpp == 8:
                        v = blob[base + x]
                    else:
                        byte = blob[base + (x >> 1)]
                        v = byte >> 4 if x % 2 == 0 else byte & 15
                    if v >= len(palette):
                        raise IcoError("entry %d: palette index out of range" % k)
                    rgba[y * w + x] = (0, 0, 0, 0) if masked else palette[v] + (255,)
        images.append({"size": w, "bpp": bpp, "rgba": rgba})
    return images


# ---------------------------------------------------------------------------------------------
# Targets


def program_images():
    images = []
    for size, bpp in PROGRAM_FORMATS:
        canvas = draw_clipboard(size, hard=(bpp == 4))
        images.append((size, bpp, canvas.rgba8()))
    return images


def menu_images(fn):
    images = []
    for size, bpp in MENU_FORMATS:
        images.append((size, bpp, draw_menu(fn, hard=(bpp == 4)).rgba8()))
    return images


def targets():
    """(file name, expected formats, image builder)"""
    out = [(PROGRAM_ICON, PROGRAM_FORMATS, program_images)]
    for index, name, fn in MENU_ICONS:
        out.append((menu_file_name(index, name), MENU_FORMATS, lambda fn=fn: menu_images(fn)))
    out.append((GLYPH_ICON, GLYPH_FORMATS, glyph_images))
    return out


def write_all():
    os.makedirs(ICON_DIR, exist_ok=True)
    for name, _, build in targets():
        data = build_ico(build())
        path = os.path.join(ICON_DIR, name)
        with open(path, "wb") as f:
            f.write(data)
        print("wrote %s (%d bytes)" % (os.path.relpath(path, ROOT), len(data)))


def check_all():
    ok = True
    for name, formats, _ in targets():
        path = os.path.join(ICON_DIR, name)
        try:
            with open(path, "rb") as f:
                images = read_ico(f.read())
            got = [(im["size"], im["bpp"]) for im in images]
            if got != list(formats):
                raise IcoError("has %s, expected %s" % (got, list(formats)))
            for im in images:
                if all(p[3] == 0 for p in im["rgba"]):
                    raise IcoError("%dx%d %d bpp is empty" % (im["size"], im["size"], im["bpp"]))
            print("ok   %s: %s" % (name, ", ".join("%dx%d@%d" % (s, s, b) for s, b in got)))
        except (OSError, IcoError, struct.error) as e:
            ok = False
            print("FAIL %s: %s" % (name, e))
    return ok


# ---------------------------------------------------------------------------------------------
# Previews


def write_png(path, width, height, rgb_rows):
    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(row) for row in rgb_rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


class Sheet:
    """An RGB picture that previews are pasted into."""

    def __init__(self, width, height, bg=(255, 255, 255)):
        self.w, self.h = width, height
        self.px = [[bg[0], bg[1], bg[2]] * width for _ in range(height)]

    def backdrop(self, x0, y0, w, h, kind):
        for y in range(y0, y0 + h):
            row = self.px[y]
            for x in range(x0, x0 + w):
                if kind == "checker":
                    v = 204 if ((x - x0) // 8 + (y - y0) // 8) % 2 else 255
                    rgb = (v, v, v)
                elif kind == "dark":
                    rgb = (45, 45, 48)
                else:
                    rgb = (240, 240, 240)  # a menu's background
                row[3 * x:3 * x + 3] = rgb

    def paste(self, rgba, n, x0, y0, scale):
        for y in range(n * scale):
            row = self.px[y0 + y]
            for x in range(n * scale):
                r, g, b, a = rgba[(y // scale) * n + x // scale]
                if a == 0:
                    continue
                k = 3 * (x0 + x)
                t = a / 255.0
                row[k] = int(round(r * t + row[k] * (1 - t)))
                row[k + 1] = int(round(g * t + row[k + 1] * (1 - t)))
                row[k + 2] = int(round(b * t + row[k + 2] * (1 - t)))

    def save(self, path):
        write_png(path, self.w, self.h, self.px)


def preview(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    # The program icon: each image enlarged on a checkerboard, then at 1:1 on light and dark.
    with open(os.path.join(ICON_DIR, PROGRAM_ICON), "rb") as f:
        images = read_ico(f.read())
    scale = {48: 6, 32: 6, 16: 8}
    cell = 300
    sheet = Sheet(cell * 3 + 20, cell * 3 + 120)
    for k, im in enumerate(images):
        col, row = k % 3, k // 3
        n = im["size"]
        x0, y0 = 10 + col * cell, 10 + row * cell
        sheet.backdrop(x0, y0, n * scale[n], n * scale[n], "checker")
        sheet.paste(im["rgba"], n, x0, y0, scale[n])
    y = 10 + 3 * cell
    for k, im in enumerate(images):
        n = im["size"]
        for kind, dy in (("light", 0), ("dark", 52)):
            sheet.backdrop(10 + k * 56, y + dy, 52, 52, kind)
            sheet.paste(im["rgba"], n, 12 + k * 56, y + dy + 2, 1)
    sheet.save(os.path.join(out_dir, "program.png"))
    # The menu icons: enlarged, then at 1:1 next to each other as in a menu.
    count = len(MENU_ICONS)
    sheet = Sheet(count * 140 + 20, 2 * 140 + 80)
    for k, (index, name, _) in enumerate(MENU_ICONS):
        with open(os.path.join(ICON_DIR, menu_file_name(index, name)), "rb") as f:
            ims = read_ico(f.read())
        for r, im in enumerate(ims):
            x0, y0 = 10 + k * 140, 10 + r * 140
            sheet.backdrop(x0, y0, 128, 128, "checker")
            sheet.paste(im["rgba"], 16, x0, y0, 8)
            for kind, dy in (("light", 0), ("dark", 24)):
                sheet.backdrop(10 + k * 24, 2 * 140 + 20 + dy + r * 0, 24, 24, kind)
            sheet.paste(ims[0]["rgba"], 16, 14 + k * 24, 2 * 140 + 24, 1)
            sheet.paste(ims[0]["rgba"], 16, 14 + k * 24, 2 * 140 + 48, 1)
    sheet.save(os.path.join(out_dir, "menu.png"))
    print("previews in %s" % out_dir)


def main(argv):
    if len(argv) >= 2 and argv[1] == "--check":
        return 0 if check_all() else 1
    if len(argv) >= 3 and argv[1] == "--preview":
        preview(argv[2])
        return 0
    if len(argv) != 1:
        print(__doc__.strip())
        return 2
    write_all()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
