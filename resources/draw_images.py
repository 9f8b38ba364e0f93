#!/usr/bin/env python3
"""Draws the program's icons and the restart picture and writes them as
brelvane.ico, ieoe.ico, tcpip.ico and restart.bmp beside this script.

Usage: draw_images.py [--out DIR] [--preview DIR]
  --out      write the images there instead of beside this script
  --preview  also write enlarged PNGs to look at

Shapes are described on a 32-unit grid and rasterised at every size. The
16-colour images use the standard Windows palette without anti-aliasing (one
sample per pixel, flat colours), as icon editors of the time produced them;
the 32-bit images are the same drawings with 4x4 anti-aliasing, soft
gradients and an alpha channel. Only the standard library is needed.
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# The standard 16-colour palette, in the order Windows gives its entries.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = PALETTE[0:8]
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = PALETTE[8:16]


# --- shapes: each answers whether a point (in grid units) lies inside --------

class Rect:
    def __init__(self, x0, y0, x1, y1):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1

    def __contains__(self, p):
        return self.x0 <= p[0] < self.x1 and self.y0 <= p[1] < self.y1


class RoundRect(Rect):
    def __init__(self, x0, y0, x1, y1, r):
        super().__init__(x0, y0, x1, y1)
        self.r = r

    def __contains__(self, p):
        if not Rect.__contains__(self, p):
            return False
        cx = min(max(p[0], self.x0 + self.r), self.x1 - self.r)
        cy = min(max(p[1], self.y0 + self.r), self.y1 - self.r)
        return (p[0] - cx) ** 2 + (p[1] - cy) ** 2 <= self.r ** 2


class Ellipse:
    def __init__(self, cx, cy, rx, ry=None):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry if ry is not None else rx

    def __contains__(self, p):
        return ((p[0] - self.cx) / self.rx) ** 2 + ((p[1] - self.cy) / self.ry) ** 2 <= 1.0


class Polygon:
    def __init__(self, *points):
        self.points = points

    def __contains__(self, p):
        x, y = p
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


class Line:
    """A straight stroke of the given width between two points."""

    def __init__(self, x0, y0, x1, y1, width):
        self.a, self.b, self.w = (x0, y0), (x1, y1), width / 2.0

    def __contains__(self, p):
        ax, ay = self.a
        bx, by = self.b
        dx, dy = bx - ax, by - ay
        t = ((p[0] - ax) * dx + (p[1] - ay) * dy) / float(dx * dx + dy * dy)
        t = min(max(t, 0.0), 1.0)
        return (p[0] - ax - t * dx) ** 2 + (p[1] - ay - t * dy) ** 2 <= self.w ** 2


class Arc:
    """Part of a ring between radii r0 and r1, from angle a0 to a1 (degrees,
    clockwise on screen from three o'clock)."""

    def __init__(self, cx, cy, r0, r1, a0, a1):
        self.cx, self.cy, self.r0, self.r1, self.a0, self.a1 = cx, cy, r0, r1, a0, a1

    def __contains__(self, p):
        dx, dy = p[0] - self.cx, p[1] - self.cy
        d = math.hypot(dx, dy)
        if not self.r0 <= d <= self.r1:
            return False
        a = math.degrees(math.atan2(dy, dx)) % 360.0
        return (a - self.a0) % 360.0 <= (self.a1 - self.a0) % 360.0


class Both:
    def __init__(self, a, b):
        self.a, self.b = a, b

    def __contains__(self, p):
        return p in self.a and p in self.b


class Either:
    def __init__(self, *shapes):
        self.shapes = shapes

    def __contains__(self, p):
        return any(p in s for s in self.shapes)


# --- paint: a flat palette colour, shaded in the 32-bit images ---------------

class Paint:
    """`flat` is the palette colour of the 16-colour images; the 32-bit ones
    blend from `light` (top left) to `dark` (bottom right) over the shape's
    box `box` (x0, y0, x1, y1 in grid units)."""

    def __init__(self, flat, light=None, dark=None, box=(0, 0, 32, 32)):
        self.flat = flat
        self.light = light or flat
        self.dark = dark or flat
        self.box = box

    def at(self, x, y, rich):
        if not rich:
            return self.flat
        x0, y0, x1, y1 = self.box
        t = ((x - x0) / max(x1 - x0, 1e-6) + (y - y0) / max(y1 - y0, 1e-6)) / 2.0
        t = min(max(t, 0.0), 1.0)
        return tuple(int(round(l + (d - l) * t)) for l, d in zip(self.light, self.dark))


def solid(c):
    return Paint(c)


class Canvas:
    """RGBA pixels; `unit` pixels per grid unit."""

    def __init__(self, width, height, unit, rich):
        self.w, self.h, self.unit, self.rich = width, height, unit, rich
        self.px = [[(0, 0, 0, 0.0)] * width for _ in range(height)]

    def samples(self):
        if not self.rich:
            return [(0.5, 0.5)]
        n = 4
        return [((i + 0.5) / n, (j + 0.5) / n) for j in range(n) for i in range(n)]

    def fill(self, shape, paint, bounds=None):
        offsets = self.samples()
        u = self.unit
        if bounds is None:
            y_range, x_range = range(self.h), range(self.w)
        else:
            x0, y0, x1, y1 = bounds
            x_range = range(max(0, int(x0 * u) - 1), min(self.w, int(math.ceil(x1 * u)) + 1))
            y_range = range(max(0, int(y0 * u) - 1), min(self.h, int(math.ceil(y1 * u)) + 1))
        for py in y_range:
            row = self.px[py]
            for px in x_range:
                hit = 0
                for ox, oy in offsets:
                    if ((px + ox) / u, (py + oy) / u) in shape:
                        hit += 1
                if not hit:
                    continue
                cov = hit / float(len(offsets))
                c = paint.at((px + 0.5) / u, (py + 0.5) / u, self.rich)
                r0, g0, b0, a0 = row[px]
                a = cov + a0 * (1 - cov)
                mix = [(c[k] * cov + (r0, g0, b0)[k] * a0 * (1 - cov)) / a for k in range(3)]
                row[px] = (mix[0], mix[1], mix[2], a)

    def outlined(self, outer, inner, edge, body, bounds=None):
        """The usual icon look: a dark edge one pixel wide around the body.
        `inner` is the same shape drawn one pixel smaller."""
        self.fill(outer, edge, bounds)
        self.fill(inner, body, bounds)


# --- the drawings ------------------------------------------------------------
# Every drawing takes the canvas; `p` is one pixel in grid units, used so that
# edges stay one pixel wide at every size.

def draw_briefcase(cv):
    """107: a briefcase (carrying settings from one machine to another) with a
    small globe for the network."""
    p = 1.0 / cv.unit
    # the handle: a half ring on two feet, outlined one pixel wider
    handle = Arc(16, 10, 3.5, 6.0, 180, 360)
    cv.fill(Either(Both(Arc(16, 10.2, 3.5 - p, 6.0 + p, 180, 360), Rect(0, 0, 32, 10.5)),
                   Rect(9.0 - p, 9, 12.5 + p, 11), Rect(19.5 - p, 9, 23.0 + p, 11)),
            solid(BLACK))
    cv.fill(Both(handle, Rect(0, 0, 32, 10)), Paint(GREY, (150, 110, 70), (90, 60, 30)))
    body = lambda d: RoundRect(2 + d, 10 + d, 30 - d, 28 - d, 2.5)
    cv.outlined(body(0), body(p), solid(BLACK),
                Paint(OLIVE, (214, 160, 92), (130, 84, 38), (2, 10, 30, 28)))
    # lid seam and the strap
    cv.fill(Rect(2 + p, 16, 30 - p, 16 + max(p, 1.0)), Paint(BLACK, (96, 60, 24)))
    cv.fill(Rect(2 + p, 16 + max(p, 1.0), 30 - p, 16 + 2 * max(p, 1.0)),
            Paint(OLIVE, (236, 190, 120)))
    # latches
    for x in (8, 21):
        latch = lambda d, x=x: Rect(x + d, 14 + d, x + 3 - d, 19 - d)
        cv.outlined(latch(0), latch(p), solid(BLACK), Paint(SILVER, (250, 250, 240), (150, 150, 150)))
    draw_globe(cv, 23.5, 23.0, 7.0)


def draw_globe(cv, cx, cy, r):
    p = 1.0 / cv.unit
    box = (cx - r, cy - r, cx + r, cy + r)
    cv.fill(Ellipse(cx, cy, r), solid(BLACK), box)
    sea = Ellipse(cx, cy, r - p)
    cv.fill(sea, Paint(BLUE, (110, 170, 255), (0, 30, 150), box), box)
    land = Either(
        Polygon((cx - 0.75 * r, cy - 0.55 * r), (cx - 0.1 * r, cy - 0.85 * r),
                (cx + 0.15 * r, cy - 0.35 * r), (cx - 0.25 * r, cy + 0.05 * r),
                (cx - 0.15 * r, cy + 0.55 * r), (cx - 0.55 * r, cy + 0.25 * r),
                (cx - 0.85 * r, cy - 0.15 * r)),
        Polygon((cx + 0.3 * r, cy - 0.05 * r), (cx + 0.85 * r, cy - 0.2 * r),
                (cx + 0.8 * r, cy + 0.45 * r), (cx + 0.35 * r, cy + 0.85 * r),
                (cx + 0.15 * r, cy + 0.35 * r)))
    cv.fill(Both(sea, land), Paint(GREEN, (90, 200, 70), (0, 100, 20), box), box)
    if cv.rich:
        # a soft highlight, as the 32-bit icons of the time had
        cv.fill(Ellipse(cx - 0.35 * r, cy - 0.4 * r, 0.3 * r, 0.2 * r),
                Paint(WHITE, (235, 245, 255)), box)


def draw_ieoe(cv):
    """108: the globe of the browser and the envelope of the mail client."""
    draw_globe(cv, 13, 13, 11.5)
    p = 1.0 / cv.unit
    env = lambda d: Rect(12 + d, 17 + d, 31 - d, 30 - d)
    cv.outlined(env(0), env(p), solid(BLACK), Paint(WHITE, (255, 255, 255), (215, 215, 205)))
    w = max(p, 1.0)
    cv.fill(Either(Line(12.5, 17.5, 21.5, 24.5, w), Line(30.5, 17.5, 21.5, 24.5, w)),
            Paint(GREY, (110, 110, 110)), (12, 17, 31, 30))
    if cv.unit >= 1.0:
        cv.fill(Either(Line(12.5, 29.5, 18.5, 24.0, w * 0.8), Line(30.5, 29.5, 24.5, 24.0, w * 0.8)),
                Paint(SILVER, (170, 170, 170)), (12, 17, 31, 30))


def draw_monitor(cv, x0, y0, x1, y1, screen):
    """A monitor whose case spans (x0, y0)-(x1, y1) and its foot below."""
    p = 1.0 / cv.unit
    box = (x0, y0, x1, y1)
    case = lambda d: RoundRect(x0 + d, y0 + d, x1 - d, y1 - d, 1.0)
    cv.outlined(case(0), case(p), solid(BLACK), Paint(SILVER, (245, 245, 240), (150, 150, 145), box))
    m = (x1 - x0) * 0.14
    scr = lambda d: Rect(x0 + m + d, y0 + m + d, x1 - m - d, y1 - m - d)
    cv.fill(scr(0), Paint(GREY, (90, 90, 90)))
    cv.fill(scr(p), screen)
    cx = (x0 + x1) / 2.0
    neck = lambda d: Rect(cx - 2 + d, y1 - p, cx + 2 - d, y1 + 2)
    cv.outlined(neck(0), neck(p), solid(BLACK), Paint(GREY, (150, 150, 145)))
    foot = lambda d: RoundRect(cx - 5.5 + d, y1 + 2 - p + d, cx + 5.5 - d, y1 + 4.5 - d, 0.8)
    cv.outlined(foot(0), foot(p), solid(BLACK), Paint(SILVER, (225, 225, 220), (150, 150, 145)))


def draw_tcpip(cv):
    """109: two connected computers."""
    p = 1.0 / cv.unit
    w = max(2.0, 2 * p)
    # the cable first, so the monitors cover its ends
    cable = Either(Line(22, 14, 22, 28.0, w), Line(22, 28.0, 12, 28.0, w))
    cv.fill(Either(Line(22, 14, 22, 28.0, w + 2 * p), Line(22, 28.0, 12, 28.0, w + 2 * p)),
            solid(BLACK))
    cv.fill(cable, Paint(YELLOW, (255, 230, 60), (220, 170, 0), (10, 14, 24, 30)))
    screen_back = Paint(TEAL, (40, 170, 170), (0, 90, 100), (13, 2, 30, 14))
    draw_monitor(cv, 13, 1, 31, 14, screen_back)
    screen_front = Paint(NAVY, (60, 110, 220), (0, 20, 110), (1, 12, 19, 25))
    draw_monitor(cv, 1, 11, 19, 24, screen_front)
    if cv.rich or cv.unit >= 1.0:
        # a line of text on each screen, so they read as working machines
        for (x, y, l) in ((16.5, 5, 9), (16.5, 7.5, 6), (4.5, 15, 9), (4.5, 17.5, 6)):
            cv.fill(Rect(x, y, x + l, y + max(p, 1.0)), Paint(AQUA if y < 10 else WHITE))


def draw_restart(cv):
    """117: a desktop computer whose screen shows the restart arrow."""
    # backdrop: the wall and the desk
    cv.fill(Rect(0, 0, 144, 94), solid(TEAL))
    cv.fill(Rect(0, 94, 144, 120), solid(OLIVE))
    cv.fill(Rect(0, 94, 144, 96), solid(BLACK))
    cv.fill(Rect(0, 96, 144, 97), solid(WHITE))
    for y in range(100, 120, 6):
        cv.fill(Rect(0, y, 144, y + 1), solid(MAROON))

    # the system unit, behind the monitor on the right
    bevel_box(cv, 100, 24, 134, 98)
    for y in (32, 42):
        cv.fill(Rect(105, y, 129, y + 5), solid(GREY))
        cv.fill(Rect(106, y + 1, 128, y + 4), solid(BLACK))
    cv.fill(Rect(105, 54, 120, 57), solid(BLACK))
    cv.fill(Rect(106, 86, 110, 89), solid(LIME))
    cv.fill(Ellipse(124, 87.5, 3.5), solid(GREY))
    cv.fill(Ellipse(124, 87.5, 2.5), solid(SILVER))

    # the monitor
    bevel_box(cv, 10, 10, 94, 80)
    cv.fill(Rect(18, 17, 86, 72), solid(GREY))
    cv.fill(Rect(19, 18, 86, 72), solid(BLACK))
    cv.fill(Rect(20, 19, 85, 71), solid(NAVY))
    # the restart arrow: most of a circle and its head
    cx, cy = 52.5, 45
    cv.fill(Arc(cx, cy, 11, 18, 300, 240), solid(BLACK))
    cv.fill(Arc(cx, cy, 12, 17, 302, 238), solid(YELLOW))
    a = math.radians(240)
    hx, hy = cx + 14.5 * math.cos(a), cy + 14.5 * math.sin(a)
    head = Polygon((hx - 9, hy - 6), (hx + 3, hy - 9.5), (hx + 2, hy + 4.5))
    cv.fill(Polygon((hx - 11, hy - 7), (hx + 4.5, hy - 11.5), (hx + 3, hy + 6.5)), solid(BLACK))
    cv.fill(head, solid(YELLOW))
    # stand
    bevel_box(cv, 43, 80, 62, 86)
    bevel_box(cv, 30, 86, 75, 92)

    # the keyboard on the desk
    cv.fill(Polygon((22, 101), (88, 101), (94, 115), (16, 115)), solid(BLACK))
    cv.fill(Polygon((23, 102), (87, 102), (92, 114), (18, 114)), solid(SILVER))
    for row, y in enumerate((104, 107, 110)):
        x = 25 - row * 2
        while x < 84 + row * 2:
            cv.fill(Rect(x, y, x + 3, y + 2), solid(GREY))
            x += 5
    # the mouse
    cv.fill(Ellipse(110, 107, 6, 4.5), solid(BLACK))
    cv.fill(Ellipse(110, 107, 5, 3.5), solid(SILVER))
    # its cord, along the desk to the back of the system unit
    cv.fill(Rect(115, 106, 128, 107), solid(BLACK))
    cv.fill(Rect(127, 98, 128, 107), solid(BLACK))


def bevel_box(cv, x0, y0, x1, y1):
    """A light grey box with the raised 3-D edge of the period."""
    cv.fill(Rect(x0, y0, x1, y1), solid(BLACK))
    cv.fill(Rect(x0, y0, x1 - 1, y1 - 1), solid(WHITE))
    cv.fill(Rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1), solid(GREY))
    cv.fill(Rect(x0 + 1, y0 + 1, x1 - 2, y1 - 2), solid(SILVER))


# --- 16 x 16: drawn pixel by pixel ------------------------------------------
# Vector shapes turn to mush at this size, so the small images are pixelled
# by hand, as they were at the time. Letters: palette colours; "." clear.

SMALL_FLAT = {"K": BLACK, "M": MAROON, "g": GREEN, "O": OLIVE, "N": NAVY, "T": TEAL,
              "S": SILVER, "G": GREY, "R": RED, "L": LIME, "Y": YELLOW, "B": BLUE,
              "A": AQUA, "W": WHITE}
# The 32-bit images use the same pixels in the softer tones of the large ones.
SMALL_RICH = dict(SMALL_FLAT, K=(24, 24, 24), O=(190, 132, 62), g=(46, 150, 50),
                  B=(52, 110, 230), N=(24, 48, 150), T=(28, 140, 150),
                  A=(130, 225, 235), Y=(248, 208, 40), S=(218, 216, 208), G=(134, 134, 128))

SMALL = {
    "brelvane": """
        ................
        .....KKKKKK.....
        ....KSSSSSSK....
        ....KSK..KSK....
        .KKKKKKKKKKKKKK.
        KOOOOOOOOOOOOOOK
        KOSSOOOOOOSSOOOK
        KOKKOOOOOOKKOOOK
        KKKKKKKKKKKKKKKK
        KOOOOOOOOOOKKKOK
        KOOOOOOOOOKBgBKK
        KOOOOOOOOKBggBBK
        KOOOOOOOOKggBBgK
        KOOOOOOOOKBgBBgK
        .KKKKKKKKKKBBgK.
        ...........KKK..""",
    "ieoe": """
        ...KKKKK........
        .KKBBgBBKK......
        .KgggBBgBK......
        KBgggBBggBK.....
        KBBggBBgggK.....
        KBBBgBBBggK.....
        KBBBggBBBgK.....
        KBBBgBBBBBK.....
        .KBBBKKKKKKKKKKK
        .KKBBKWGWWWWWGWK
        ...KKKWWGWWWGWWK
        .....KWWWGWGWWWK
        .....KWWWWGWWWWK
        .....KWWWWWWWWWK
        .....KWWWWWWWWWK
        .....KKKKKKKKKKK""",
    "tcpip": """
        ......KKKKKKKKKK
        ......KSSSSSSSSK
        ......KSTTTTTTSK
        ......KSTAAAATSK
        ......KSTTTTTTSK
        ......KSSSSSSSSK
        KKKKKKKKKKKKKKKK
        KSSSSSSSSK..KGK.
        KSNNNNNNSK..KYK.
        KSNWWWWNSK..KYK.
        KSNNNNNNSK..KYK.
        KSNWWWNNSK..KYK.
        KSSSSSSSSK..KYK.
        KKKKKKKKKK..KYK.
        ...KGGGK.KKKKYK.
        ..KSSSSSKYYYYYK.""",
}


def small_canvas(name, rich):
    rows = [r.strip() for r in SMALL[name].strip().splitlines()]
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), name
    colours = SMALL_RICH if rich else SMALL_FLAT
    cv = Canvas(16, 16, 0.5, rich)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != ".":
                r, g, b = colours[ch]
                cv.px[y][x] = (r, g, b, 1.0)
    return cv


# --- output ------------------------------------------------------------------

def render_icon(draw, size, rich):
    if size == 16:
        return small_canvas(SMALL_NAMES[draw], rich)
    cv = Canvas(size, size, size / 32.0, rich)
    draw(cv)
    return cv


def nearest_index(rgb):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(rgb, PALETTE[i])))


def and_mask(cv, bottom_up=True):
    stride = ((cv.w + 31) // 32) * 4
    rows = []
    for y in range(cv.h):
        bits = bytearray(stride)
        for x in range(cv.w):
            if cv.px[y][x][3] < 0.5:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(bits))
    if bottom_up:
        rows.reverse()
    return b"".join(rows)


def dib_4bit(cv):
    stride = ((cv.w * 4 + 31) // 32) * 4
    rows = []
    for y in range(cv.h):
        row = bytearray(stride)
        for x in range(cv.w):
            r, g, b, a = cv.px[y][x]
            idx = nearest_index((r, g, b)) if a >= 0.5 else 0
            row[x // 2] |= idx << (4 if x % 2 == 0 else 0)
        rows.append(bytes(row))
    rows.reverse()
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return palette, b"".join(rows)


def icon_image(cv):
    """One icon image: BITMAPINFOHEADER (double height), colours, XOR, AND."""
    if cv.rich:
        rows = []
        for y in range(cv.h - 1, -1, -1):
            for x in range(cv.w):
                r, g, b, a = cv.px[y][x]
                rows.append(struct.pack("<BBBB", int(round(b)), int(round(g)), int(round(r)),
                                        int(round(a * 255))))
        palette, xor, bits = b"", b"".join(rows), 32
        # fully transparent pixels carry no colour
        xor = bytearray(xor)
        for i in range(0, len(xor), 4):
            if xor[i + 3] == 0:
                xor[i:i + 3] = b"\0\0\0"
        xor = bytes(xor)
    else:
        palette, xor = dib_4bit(cv)
        bits = 4
    mask = and_mask(cv)
    header = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h * 2, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, 16 if bits == 4 else 0, 0)
    return header + palette + xor + mask, bits


def write_ico(path, draw):
    images = []
    for rich in (False, True):
        for size in (16, 32, 48):
            data, bits = icon_image(render_icon(draw, size, rich))
            images.append((size, bits, data))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16 if bits == 4 else 0, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_bmp(path, cv):
    palette, pixels = dib_4bit(cv)
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, 4, 0, len(pixels), 3780, 3780, 16, 16)
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + palette + pixels)


def write_png(path, cv, scale, flat):
    """An enlarged preview on the dialog face colour."""
    face = (0xD4, 0xD0, 0xC8)
    raw = bytearray()
    for y in range(cv.h * scale):
        raw.append(0)
        for x in range(cv.w * scale):
            r, g, b, a = cv.px[y // scale][x // scale]
            if flat:
                if a >= 0.5:
                    r, g, b = PALETTE[nearest_index((r, g, b))]
                    a = 1.0
                else:
                    a = 0.0
            raw += bytes(int(round(c * a + f * (1 - a))) for c, f in zip((r, g, b), face))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(
        ">IIBBBBB", cv.w * scale, cv.h * scale, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


ICONS = (("brelvane.ico", draw_briefcase), ("ieoe.ico", draw_ieoe), ("tcpip.ico", draw_tcpip))
SMALL_NAMES = {draw: name[:-4] for name, draw in ICONS}


def main(argv):
    preview = argv[argv.index("--preview") + 1] if "--preview" in argv else None
    out = argv[argv.index("--out") + 1] if "--out" in argv else HERE
    os.makedirs(out, exist_ok=True)
    for name, draw in ICONS:
        write_ico(os.path.join(out, name), draw)
    restart = Canvas(144, 120, 1.0, False)
    draw_restart(restart)
    write_bmp(os.path.join(out, "restart.bmp"), restart)
    if preview:
        os.makedirs(preview, exist_ok=True)
        for name, draw in ICONS:
            for size in (16, 32, 48):
                for rich in (False, True):
                    cv = render_icon(draw, size, rich)
                    write_png(os.path.join(preview, "%s-%d-%s.png" % (
                        name[:-4], size, "32bit" if rich else "4bit")), cv, 96 // size * 2, not rich)
        write_png(os.path.join(preview, "restart.png"), restart, 3, True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
