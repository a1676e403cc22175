#!/usr/bin/env python3
"""Draws the program's bitmaps, icons and sounds into res/.

Every picture is painted here, pixel by pixel, from a handful of shapes and
colours; ImageMagick only rasterises the Korean text (Nanum fonts) into
grey-level masks that this script lays onto its own canvases. The files are
written by this script's own BMP, ICO and WAV writers, so the output is the
same from run to run on the same tools.

    python3 res/make_resources.py                  write everything into res/
    python3 res/make_resources.py --check          fail if res/ is out of date
    python3 res/make_resources.py --preview X.png  also draw a contact sheet:
        every face, a copy with the program's areas outlined in red, the main
        face with sample text, and the small pieces enlarged

Each face is checked before it is written: the areas the program writes text
into must be one plain colour.

Needs python3, ImageMagick (convert or magick) and fonts-nanum. Run it again
after changing a drawing; never edit the generated files by hand. The .rc file,
resource_ids.h and manifest.xml beside it are written by hand, not here.
"""
import argparse
import io
import math
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import wave

RES = pathlib.Path(__file__).resolve().parent
FONT_DIR = pathlib.Path("/usr/share/fonts/truetype/nanum")
FONT = FONT_DIR / "NanumBarunGothic.ttf"
FONT_BOLD = FONT_DIR / "NanumGothicBold.ttf"

# Palette shared by every face.
WHITE = (255, 255, 255)
BAND_TOP = (0x2C, 0x62, 0xB2)
BAND_BOTTOM = (0x1C, 0x47, 0x87)
BAND_EDGE = (0x15, 0x37, 0x6B)
FRAME = (0x17, 0x3A, 0x6E)
BODY = WHITE
FOOTER = (0xF2, 0xF4, 0xF8)
RULE = (0xDC, 0xE2, 0xEA)
HEADING = (0x1F, 0x4E, 0x8C)
TEXT = (0x2B, 0x33, 0x3D)
MUTED = (0x8A, 0x94, 0xA3)
LIST_EDGE = (0xC3, 0xCD, 0xD9)
GROOVE_EDGE = (0xBF, 0xC8, 0xD4)
ACCENT = (0x2F, 0x6F, 0xD0)
AMBER_TOP = (0xF4, 0xB3, 0x3A)
AMBER_BOTTOM = (0xE0, 0x8E, 0x12)

BUTTON_STYLES = {
    # name: (gradient top, gradient bottom, edge, inner highlight, label)
    "primary": ((0x40, 0x80, 0xDA), (0x24, 0x5C, 0xB2), (0x1B, 0x4A, 0x92),
                (0x6E, 0xA2, 0xE6), WHITE),
    "danger": ((0xDE, 0x64, 0x55), (0xB8, 0x3D, 0x31), (0x92, 0x2D, 0x24),
               (0xEC, 0x8E, 0x82), WHITE),
    "plain": ((0xFF, 0xFF, 0xFF), (0xE6, 0xEA, 0xF0), (0xA4, 0xB0, 0xBF),
              (0xFF, 0xFF, 0xFF), (0x1F, 0x3A, 0x5F)),
}


def find_magick():
    for name in ("magick", "convert"):
        path = shutil.which(name)
        if not path:
            continue
        try:
            out = subprocess.run([path, "-version"], capture_output=True,
                                 text=True, check=False).stdout
        except OSError:
            continue
        if "ImageMagick" in out:
            return path
    sys.exit("make_resources: ImageMagick is needed "
             "(apt-get install imagemagick fonts-nanum)")


MAGICK = None
_mask_cache = {}


class Mask:
    """Grey-level coverage, 0..255, row by row."""

    def __init__(self, w, h, data):
        self.w, self.h, self.data = w, h, data

    def ink_box(self):
        """Left, top, right, bottom (exclusive) of the pixels with any ink."""
        xs, ys = [], []
        for y in range(self.h):
            row = self.data[y * self.w:(y + 1) * self.w]
            for x, v in enumerate(row):
                if v:
                    xs.append(x)
                    ys.append(y)
        if not xs:
            return 0, 0, 0, 0
        return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def parse_pgm(blob):
    tokens, pos = [], 0
    while len(tokens) < 4:
        while blob[pos:pos + 1].isspace():
            pos += 1
        if blob[pos:pos + 1] == b"#":
            while blob[pos:pos + 1] not in (b"\n", b""):
                pos += 1
            continue
        start = pos
        while not blob[pos:pos + 1].isspace():
            pos += 1
        tokens.append(blob[start:pos])
    pos += 1
    if tokens[0] != b"P5" or tokens[3] != b"255":
        raise ValueError("unexpected text raster from ImageMagick")
    w, h = int(tokens[1]), int(tokens[2])
    return Mask(w, h, blob[pos:pos + w * h])


def text_mask(text, size, bold=False):
    """Antialiased text as a mask the size of ImageMagick's label box."""
    key = (text, size, bold)
    if key not in _mask_cache:
        font = FONT_BOLD if bold else FONT
        if not font.is_file():
            sys.exit(f"make_resources: missing font {font} "
                     "(apt-get install fonts-nanum)")
        # label: reads backslash and percent escapes; keep both literal.
        literal = text.replace("\\", "\\\\").replace("%", "%%")
        cmd = [MAGICK, "-background", "black", "-fill", "white",
               "-font", str(font), "-pointsize", str(size),
               "label:" + literal, "-colorspace", "Gray", "-depth", "8",
               "pgm:-"]
        blob = subprocess.run(cmd, capture_output=True, check=True).stdout
        _mask_cache[key] = parse_pgm(blob)
    return _mask_cache[key]


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


class Canvas:
    """RGBA picture with float channels; colour straight, alpha 0..1."""

    def __init__(self, w, h, color=None):
        self.w, self.h = w, h
        if color is None:
            self.px = [(0.0, 0.0, 0.0, 0.0)] * (w * h)
        else:
            self.px = [(float(color[0]), float(color[1]), float(color[2]),
                        1.0)] * (w * h)

    def blend(self, x, y, color, a):
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        a = min(a, 1.0)
        i = y * self.w + x
        r, g, b, da = self.px[i]
        oa = a + da * (1 - a)
        k = da * (1 - a)
        self.px[i] = ((color[0] * a + r * k) / oa, (color[1] * a + g * k) / oa,
                      (color[2] * a + b * k) / oa, oa)

    def fill(self, l, t, r, b, color):
        for y in range(max(t, 0), min(b, self.h)):
            for x in range(max(l, 0), min(r, self.w)):
                self.px[y * self.w + x] = (float(color[0]), float(color[1]),
                                           float(color[2]), 1.0)

    def vgradient(self, l, t, r, b, top, bottom):
        for y in range(t, b):
            c = mix(top, bottom, (y - t) / max(b - t - 1, 1))
            self.fill(l, y, r, y + 1, c)

    def frame(self, l, t, r, b, color):
        """One-pixel outline of the rectangle l <= x < r, t <= y < b."""
        self.fill(l, t, r, t + 1, color)
        self.fill(l, b - 1, r, b, color)
        self.fill(l, t, l + 1, b, color)
        self.fill(r - 1, t, r, b, color)

    def shape(self, l, t, r, b, inside, color, ss=4):
        """Blends colour by the share of sample points where inside(x, y)."""
        for y in range(t, b):
            for x in range(l, r):
                hits = 0
                for j in range(ss):
                    for i in range(ss):
                        if inside(x + (i + 0.5) / ss, y + (j + 0.5) / ss):
                            hits += 1
                if hits:
                    c = color(x + 0.5, y + 0.5) if callable(color) else color
                    self.blend(x, y, c, hits / (ss * ss))

    def paste(self, other, x0, y0):
        for y in range(other.h):
            for x in range(other.w):
                r, g, b, a = other.px[y * other.w + x]
                self.blend(x0 + x, y0 + y, (r, g, b), a)

    def mask(self, m, x0, y0, color, clip=None):
        for y in range(m.h):
            for x in range(m.w):
                v = m.data[y * m.w + x]
                if not v:
                    continue
                px, py = x0 + x, y0 + y
                if clip and not (clip[0] <= px < clip[2]
                                 and clip[1] <= py < clip[3]):
                    continue
                self.blend(px, py, color, v / 255)

    def text(self, x, y, text, size, color, bold=False):
        """Text whose label box has its top left corner at (x, y)."""
        m = text_mask(text, size, bold)
        self.mask(m, x, y, color)
        return m

    def text_centered(self, box, text, size, color, bold=False, dx=0):
        """Text with its inked part centred in box (l, t, r, b)."""
        m = text_mask(text, size, bold)
        il, it, ir, ib = m.ink_box()
        x = box[0] + (box[2] - box[0] - (ir - il)) // 2 - il + dx
        y = box[1] + (box[3] - box[1] - (ib - it) + 1) // 2 - it
        self.mask(m, x, y, color)
        return x + il, x + ir

    def text_middle(self, x, cy, text, size, color, bold=False):
        """Left-aligned text whose inked rows are centred on row cy."""
        m = text_mask(text, size, bold)
        _, it, ir, ib = m.ink_box()
        y = round(cy - (ib - it) / 2) - it
        self.mask(m, x, y, color)
        return x + ir

    def rgb_bytes(self):
        out = bytearray()
        for r, g, b, a in self.px:
            out += bytes((to8(r * a + 255 * (1 - a)), to8(g * a + 255 * (1 - a)),
                          to8(b * a + 255 * (1 - a))))
        return out


def to8(v):
    return max(0, min(255, int(v + 0.5)))


# ----------------------------------------------------------------- shapes ---

def round_rect_inside(l, t, r, b, rad):
    def inside(x, y):
        if not (l <= x <= r and t <= y <= b):
            return False
        cx = min(max(x, l + rad), r - rad)
        cy = min(max(y, t + rad), b - rad)
        return (x - cx) ** 2 + (y - cy) ** 2 <= rad * rad
    return inside


def seg_dist(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - ax - t * vx, py - ay - t * vy)


def stroke_inside(points, width):
    half = width / 2

    def inside(x, y):
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            if seg_dist(x, y, ax, ay, bx, by) <= half:
                return True
        return False
    return inside


def shield_inside(l, t, size):
    """A shield whose box is size x size pixels at (l, t)."""
    def inside(x, y):
        u = (x - l) / size
        v = (y - t) / size
        du = u - 0.5
        top = 0.06 + 0.10 * (du / 0.42) ** 2
        if v < top or v > 0.97:
            return False
        if v <= 0.46:
            half = 0.42
        else:
            s = (v - 0.46) / 0.51
            half = 0.42 * math.cos(s * math.pi / 2) ** 0.75
        return abs(du) <= half
    return inside


def draw_shield(c, l, t, size, body_top, body_bottom, mark, edge=None):
    """Shield with a check mark; edge draws a darker rim first."""
    if edge is not None:
        c.shape(l, t, l + size, t + size, shield_inside(l, t, size), edge)
        inner = shield_inside(l + size * 0.06, t + size * 0.07, size * 0.88)
    else:
        inner = shield_inside(l, t, size)
    c.shape(l, t, l + size, t + size, inner,
            lambda x, y: mix(body_top, body_bottom, (y - t) / size))
    w = max(size * 0.12, 1.9)
    pts = [(l + size * 0.29, t + size * 0.49), (l + size * 0.45, t + size * 0.65),
           (l + size * 0.72, t + size * 0.35)]
    c.shape(l, t, l + size, t + size, stroke_inside(pts, w), mark)


# ------------------------------------------------------------------ marks ---

def mark_close(c, box, color):
    """An x drawn only inside box (l, t, r, b)."""
    l, t, r, b = box
    pts_a = [(l + 0.6, t + 0.6), (r - 0.6, b - 0.6)]
    pts_b = [(r - 0.6, t + 0.6), (l + 0.6, b - 0.6)]
    inside_a, inside_b = stroke_inside(pts_a, 1.5), stroke_inside(pts_b, 1.5)
    c.shape(l, t, r, b, lambda x, y: inside_a(x, y) or inside_b(x, y), color)


def mark_minimise(c, box, color):
    l, t, r, b = box
    c.fill(l, b - 2, r, b, color)


def mark_to_tray(c, box, color):
    """An arrow pointing down onto a line: hide to the tray."""
    l, t, r, b = box
    rows = ["...##...",
            "...##...",
            "...##...",
            ".######.",
            "..####..",
            "...##...",
            "........",
            "########"]
    for y, row in enumerate(rows):
        for x, bit in enumerate(row):
            if bit == "#" and l + x < r and t + y < b:
                c.fill(l + x, t + y, l + x + 1, t + y + 1, color)


# ----------------------------------------------------------- face pieces ---

def button(w, h, label, style, behind, arrow=False):
    top, bottom, edge, shine, ink = BUTTON_STYLES[style]
    c = Canvas(w, h, behind)
    c.shape(0, 0, w, h, round_rect_inside(0, 0, w, h, 3.5), edge)
    c.shape(1, 1, w - 1, h - 1, round_rect_inside(1, 1, w - 1, h - 1, 2.6),
            lambda x, y: mix(top, bottom, (y - 1) / (h - 2)))
    c.fill(3, 1, w - 3, 2, shine)
    if arrow:
        x0, x1 = c.text_centered((0, 0, w - 8, h), label, 12, ink, bold=True)
        ax, ay = x1 + 5, h / 2 - 1.2
        c.shape(x1 + 3, 0, x1 + 12, h,
                lambda x, y: ay <= y <= ay + 3.6 and abs(x - ax - 0.5)
                <= (ay + 3.6 - y) * 1.05, ink)
    else:
        c.text_centered((0, 0, w, h), label, 12, ink, bold=True)
    return c


def title_band(c, height, title, icon=True):
    c.vgradient(1, 1, c.w - 1, height, BAND_TOP, BAND_BOTTOM)
    c.fill(1, height - 1, c.w - 1, height, BAND_EDGE)
    x = 14
    if icon:
        draw_shield(c, 12, 8, 19, WHITE, (0xDD, 0xE8, 0xF7), BAND_BOTTOM)
        x = 38
    c.text_middle(x, (height - 1) / 2, title, 13, WHITE, bold=True)


def window_frame(c):
    c.frame(0, 0, c.w, c.h, FRAME)


def heading(c, x, cy, text):
    c.fill(x, round(cy) - 6, x + 3, round(cy) + 7, ACCENT)
    return c.text_middle(x + 8, cy + 0.5, text, 12, HEADING, bold=True)


def info_glyph(c, cx, cy, rad):
    c.shape(int(cx - rad) - 1, int(cy - rad) - 1, int(cx + rad) + 2,
            int(cy + rad) + 2,
            lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= rad * rad,
            lambda x, y: mix((0x4A, 0x8A, 0xE0), (0x22, 0x58, 0xAC),
                             (y - cy + rad) / (2 * rad)))
    dot_r = rad * 0.16
    dot_y = cy - rad * 0.45
    c.shape(int(cx - rad), int(cy - rad), int(cx + rad) + 1, int(cy + rad) + 1,
            lambda x, y: (x - cx) ** 2 + (y - dot_y) ** 2 <= dot_r * dot_r, WHITE)
    c.shape(int(cx - rad), int(cy - rad), int(cx + rad) + 1, int(cy + rad) + 1,
            round_rect_inside(cx - rad * 0.13, cy - rad * 0.18, cx + rad * 0.13,
                              cy + rad * 0.58, rad * 0.06), WHITE)


def warning_glyph(c, l, t, size):
    """A rounded amber triangle with an exclamation mark."""
    ax, ay = l + size / 2, t + size * 0.08
    bx, by = l + size * 0.04, t + size * 0.90
    cx, cy = l + size * 0.96, t + size * 0.90

    def tri(x, y):
        def side(px, py, qx, qy):
            return (qx - px) * (y - py) - (qy - py) * (x - px)
        s1, s2, s3 = side(ax, ay, bx, by), side(bx, by, cx, cy), side(cx, cy, ax, ay)
        inside = (s1 <= 0 and s2 <= 0 and s3 <= 0) or (s1 >= 0 and s2 >= 0 and s3 >= 0)
        if inside:
            return True
        edge = min(seg_dist(x, y, ax, ay, bx, by), seg_dist(x, y, bx, by, cx, cy),
                   seg_dist(x, y, cx, cy, ax, ay))
        return edge <= size * 0.05
    c.shape(l - 3, t - 3, l + size + 3, t + size + 3, tri,
            lambda x, y: mix(AMBER_TOP, AMBER_BOTTOM, (y - t) / size))
    ink = (0x4A, 0x33, 0x08)
    c.shape(l, t, l + size, t + size,
            stroke_inside([(l + size / 2, t + size * 0.36),
                           (l + size / 2, t + size * 0.63)], size * 0.10), ink)
    c.shape(l, t, l + size, t + size,
            lambda x, y: (x - l - size / 2) ** 2 + (y - t - size * 0.77) ** 2
            <= (size * 0.06) ** 2, ink)


def download_glyph(c, cx, cy, rad):
    c.shape(int(cx - rad) - 1, int(cy - rad) - 1, int(cx + rad) + 2,
            int(cy + rad) + 2,
            lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= rad * rad,
            lambda x, y: mix((0x4A, 0x8A, 0xE0), (0x22, 0x58, 0xAC),
                             (y - cy + rad) / (2 * rad)))
    w = rad * 0.16
    shaft = stroke_inside([(cx, cy - rad * 0.50), (cx, cy + rad * 0.22)], w)
    head = stroke_inside([(cx - rad * 0.34, cy - rad * 0.02), (cx, cy + rad * 0.32),
                          (cx + rad * 0.34, cy - rad * 0.02)], w)
    tray = stroke_inside([(cx - rad * 0.42, cy + rad * 0.55),
                          (cx + rad * 0.42, cy + rad * 0.55)], w)
    c.shape(int(cx - rad), int(cy - rad), int(cx + rad) + 1, int(cy + rad) + 1,
            lambda x, y: shaft(x, y) or head(x, y) or tray(x, y), WHITE)


def paint_groove(c, l, t, r, b):
    """The bar's groove strip repeated over l..r, with an edge just outside."""
    strip = bar_groove()
    for y in range(t, b):
        c.fill(l, y, r, y + 1, strip.px[y - t][:3])
    c.frame(l - 1, t - 1, r + 1, b + 1, GROOVE_EDGE)


def footer(c, top):
    c.fill(1, top, c.w - 1, c.h - 1, FOOTER)
    c.fill(1, top, c.w - 1, top + 1, RULE)


# ------------------------------------------------------------------ faces ---

# Areas the program writes into; each must stay one plain colour.
MAIN_CLEAR = {
    "last scan": (400, 54, 550, 67),
    "status": (60, 97, 510, 110),
    "percent": (490, 131, 540, 144),
    "result": (38, 155, 522, 168),
    "database": (16, 374, 316, 387),
}
MAIN_MARKS = {
    "hide": (501, 13, 509, 21),
    "minimise": (520, 13, 529, 21),
    "hide (x)": (540, 13, 548, 21),
}
MAIN_CONTROLS = {
    "menu": (15, 47, 68, 72),
    "progress": (38, 133, 483, 140),
    "list": (16, 205, 545, 353),
    "scan": (392, 365, 467, 391),
    "cure": (471, 365, 546, 391),
}
CLOSE_MARK = (378, 14, 386, 22)
BAND = 35


def vertical_strip(colours):
    """A one-pixel-wide strip, one colour a row from the top."""
    c = Canvas(1, len(colours))
    for y, col in enumerate(colours):
        c.fill(0, y, 1, y + 1, col)
    return c


def bar_groove():
    return vertical_strip([(0xD5, 0xDB, 0xE3), (0xE2, 0xE6, 0xEC),
                           (0xE7, 0xEA, 0xEF), (0xEA, 0xED, 0xF1),
                           (0xEC, 0xEF, 0xF3), (0xEF, 0xF1, 0xF5),
                           (0xF2, 0xF4, 0xF7)])


def bar_fill():
    return vertical_strip([(0x7F, 0xB2, 0xEF), (0x5E, 0x9A, 0xE6),
                           (0x4A, 0x89, 0xDD), (0x3C, 0x7C, 0xD5),
                           (0x33, 0x71, 0xCB), (0x2C, 0x67, 0xC0),
                           (0x25, 0x5C, 0xB2)])


def face_main():
    c = Canvas(560, 440, BODY)
    window_frame(c)
    title_band(c, BAND, "탈보안티바이러스 3.0")
    mark_to_tray(c, MAIN_MARKS["hide"], WHITE)
    mark_minimise(c, MAIN_MARKS["minimise"], WHITE)
    mark_close(c, MAIN_MARKS["hide (x)"], WHITE)

    c.paste(button(53, 25, "메뉴", "plain", BODY, arrow=True), 15, 47)

    heading(c, 16, 85, "검사 현황")
    c.fill(16, 93, 545, 94, RULE)
    draw_shield(c, 40, 96, 14, (0x4A, 0x8A, 0xE0), (0x22, 0x58, 0xAC), WHITE)
    paint_groove(c, 38, 133, 483, 140)

    heading(c, 16, 192, "검사 결과")
    c.frame(15, 204, 546, 354, LIST_EDGE)

    c.fill(1, 359, c.w - 1, 360, RULE)
    c.paste(button(75, 26, "검사하기", "primary", BODY), 392, 365)
    c.paste(button(75, 26, "치료하기", "plain", BODY), 471, 365)

    c.fill(1, 405, c.w - 1, c.h - 1, FOOTER)
    c.fill(1, 405, c.w - 1, 406, RULE)
    m = text_mask("Talvo AntiVirus", 11)
    _, _, ir, _ = m.ink_box()
    c.text_middle(c.w - 16 - ir, 421.5, "Talvo AntiVirus", 11, MUTED)
    return c


def popup_face(width, height, title):
    """A popup window's body: frame, title band and close mark."""
    c = Canvas(width, height, BODY)
    window_frame(c)
    title_band(c, BAND, title)
    mark_close(c, CLOSE_MARK, WHITE)
    return c


def face_message():
    c = popup_face(400, 200, "탈보안티바이러스")
    info_glyph(c, 52, 102.5, 20.5)
    footer(c, 155)
    c.paste(button(75, 26, "확인", "primary", FOOTER), 163, 167)
    return c


def face_detail():
    c = popup_face(400, 300, "선택항목 자세히보기")
    heading(c, 30, 66, "선택한 항목의 정보")
    c.fill(30, 80, 370, 81, RULE)
    warning_glyph(c, 31, 115, 42)
    footer(c, 231)
    c.paste(button(75, 26, "확인", "primary", FOOTER), 163, 243)
    return c


def face_update():
    c = popup_face(400, 200, "탈보안티바이러스 업데이트")
    c.text_middle(40, 67, "새로운 버전(패턴DB)이 발견되었습니다.", 12, TEXT)
    c.text_middle(40, 88, "업데이트 하시겠습니까?", 12, TEXT)
    download_glyph(c, 347, 77.5, 20.5)
    paint_groove(c, 40, 117, 342, 124)
    footer(c, 155)
    c.paste(button(75, 26, "시작", "primary", FOOTER), 123, 167)
    c.paste(button(75, 26, "취소", "plain", FOOTER), 203, 167)
    return c


def face_notifier():
    c = popup_face(400, 300, "탈보안티바이러스")
    heading(c, 30, 66, "검사 결과 알림")
    c.fill(30, 80, 370, 81, RULE)
    warning_glyph(c, 31, 110, 42)
    footer(c, 231)
    c.paste(button(75, 26, "결과보기", "primary", FOOTER), 123, 243)
    c.paste(button(75, 26, "취소", "plain", FOOTER), 203, 243)
    return c


# The settings dialog's check boxes, top to bottom, with their labels; the
# program puts a 13 x 13 system check box on each spot.
SETTINGS_BOXES = {
    "box1": (71, 67, 84, 80),
    "box2": (71, 96, 84, 109),
    "box3": (71, 125, 84, 138),
    "box4": (71, 153, 84, 166),
    "box5": (71, 182, 84, 195),
}
SETTINGS_LABELS = ["윈도우 시작시 자동 실행 사용", "실시간 감시 사용하기",
                   "프로그램 자동 업데이트", "프로그램 시작시 자동검사 하기",
                   "검사후 자동치료 하기"]


def face_settings():
    c = popup_face(400, 300, "환경설정")
    for (l, t, r, b), label in zip(SETTINGS_BOXES.values(), SETTINGS_LABELS):
        c.text_middle(r + 8, (t + b) / 2, label, 12, TEXT)
    footer(c, 231)
    c.paste(button(75, 26, "설정", "primary", FOOTER), 123, 243)
    c.paste(button(75, 26, "취소", "plain", FOOTER), 203, 243)
    return c


def face_installer():
    """The left side of the installer's first and last pages, 164 x 314."""
    c = Canvas(164, 314, BAND_BOTTOM)
    c.vgradient(0, 0, 164, 314, BAND_TOP, BAND_BOTTOM)
    draw_shield(c, 42, 70, 80, (0x4A, 0x8C, 0xE4), (0x1E, 0x52, 0xA6), WHITE,
                edge=(0x14, 0x36, 0x6C))
    c.text_centered((0, 170, 164, 196), "탈보안티바이러스", 17, WHITE, bold=True)
    c.text_centered((0, 198, 164, 218), "3.0", 13, (0xC9, 0xDA, 0xF2))
    c.fill(0, 300, 164, 301, BAND_EDGE)
    c.text_centered((0, 301, 164, 314), "Talvo AntiVirus", 9, (0xA9, 0xC0, 0xE2))
    return c


BITMAPS = {
    # file: (drawing, areas the program writes into, painted marks)
    "main.bmp": (face_main, MAIN_CLEAR, MAIN_MARKS),
    "scan.bmp": (lambda: button(75, 26, "검사하기", "primary", BODY), {}, {}),
    "stop.bmp": (lambda: button(75, 26, "정지하기", "danger", BODY), {}, {}),
    "cure.bmp": (lambda: button(75, 26, "치료하기", "plain", BODY), {}, {}),
    "menu.bmp": (lambda: button(53, 25, "메뉴", "plain", BODY, arrow=True),
                 {}, {}),
    "bar_groove.bmp": (bar_groove, {}, {}),
    "bar_fill.bmp": (bar_fill, {}, {}),
    "message.bmp": (face_message, {"message": (90, 88, 370, 128)},
                    {"close": CLOSE_MARK}),
    "detail.bmp": (face_detail, {"text": (88, 115, 388, 215)},
                   {"close": CLOSE_MARK}),
    "update.bmp": (face_update, {"percent": (350, 115, 450, 128)},
                   {"close": CLOSE_MARK}),
    "notifier.bmp": (face_notifier, {"text": (92, 110, 372, 200)},
                     {"close": CLOSE_MARK}),
    "settings.bmp": (face_settings, SETTINGS_BOXES, {"close": CLOSE_MARK}),
    "installer.bmp": (face_installer, {}, {}),
}


def check_clear(name, c, areas):
    for what, (l, t, r, b) in areas.items():
        r, b = min(r, c.w - 1), min(b, c.h - 1)
        first = c.px[t * c.w + l]
        for y in range(t, b):
            for x in range(l, r):
                if c.px[y * c.w + x] != first:
                    sys.exit(f"make_resources: {name}: drawing at ({x},{y}) "
                             f"inside the {what} area")


# ------------------------------------------------------------------ icons ---

def icon_app(size):
    c = Canvas(size, size)
    inset = {16: 0, 32: 0, 48: 1}[size]
    draw_shield(c, inset, inset, size - 2 * inset, (0x4A, 0x8C, 0xE4),
                (0x1E, 0x52, 0xA6), WHITE, edge=(0x14, 0x36, 0x6C))
    return c


def icon_box(kind):
    c = Canvas(16, 16)
    if kind == "third":
        edge, body = (0xA8, 0xB0, 0xBB), (0xE4, 0xE7, 0xEB)
    else:
        edge, body = (0x5A, 0x6E, 0x88), WHITE
    c.shape(1, 1, 15, 15, round_rect_inside(1, 1, 15, 15, 2.2), edge)
    c.shape(2, 2, 14, 14, round_rect_inside(2, 2, 14, 14, 1.3), body)
    if kind == "checked":
        c.shape(2, 2, 14, 14, round_rect_inside(2, 2, 14, 14, 1.3), ACCENT)
        c.shape(2, 2, 14, 14,
                stroke_inside([(4.6, 8.2), (7.0, 10.6), (11.5, 5.4)], 1.9), WHITE)
    elif kind == "third":
        c.fill(5, 7, 11, 9, (0x8C, 0x95, 0xA2))
    return c


ICONS = {
    "app.ico": lambda: [icon_app(s) for s in (16, 32, 48)],
    "row_checked.ico": lambda: [icon_box("checked")],
    "row_unchecked.ico": lambda: [icon_box("unchecked")],
    "row_third.ico": lambda: [icon_box("third")],
}


# ----------------------------------------------------------------- sounds ---

RATE = 22050


def tone(freq, start, length, level, attack=0.008, decay=None):
    """Sine with a touch of its octave; returns (start sample, samples)."""
    n = int(length * RATE)
    out = []
    for i in range(n):
        t = i / RATE
        env = min(1.0, t / attack, (length - t) / 0.04)
        if decay is not None:
            env *= math.exp(-t / decay)
        s = math.sin(2 * math.pi * freq * t) + 0.18 * math.sin(4 * math.pi * freq * t)
        out.append(level * env * s / 1.18)
    return int(start * RATE), out


def mixdown(parts, length):
    buf = [0.0] * int(length * RATE)
    for start, samples in parts:
        for i, v in enumerate(samples):
            if start + i < len(buf):
                buf[start + i] += v
    return b"".join(struct.pack("<h", max(-32767, min(32767, round(v * 32767))))
                    for v in buf)


def sound_alert():
    return mixdown([tone(784.0, 0.00, 0.19, 0.30),
                    tone(587.3, 0.20, 0.20, 0.30)], 0.42)


def sound_update():
    notes = [(523.25, 0.00), (659.26, 0.11), (783.99, 0.22), (1046.5, 0.33)]
    return mixdown([tone(f, s, 0.38, 0.20, decay=0.12) for f, s in notes], 0.74)


SOUNDS = {"sound.wav": sound_alert, "update.wav": sound_update}


# ---------------------------------------------------------------- writers ---

def bmp_bytes(c):
    """A 24-bit bottom-up BMP (BITMAPINFOHEADER, no alpha)."""
    rgb = c.rgb_bytes()
    stride = (c.w * 3 + 3) & ~3
    rows = bytearray()
    for y in range(c.h - 1, -1, -1):
        line = bytearray()
        for x in range(c.w):
            i = (y * c.w + x) * 3
            line += bytes((rgb[i + 2], rgb[i + 1], rgb[i]))
        line += b"\0" * (stride - len(line))
        rows += line
    header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 24, 0, len(rows),
                         2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(rows), 0, 0, 54)
    return file_header + header + bytes(rows)


def ico_bytes(images):
    """Icons as 32-bit BGRA images with an AND mask, smallest first."""
    blobs = []
    for c in images:
        xor = bytearray()
        mask = bytearray()
        mask_stride = ((c.w + 31) // 32) * 4
        for y in range(c.h - 1, -1, -1):
            bits = bytearray(mask_stride)
            for x in range(c.w):
                r, g, b, a = c.px[y * c.w + x]
                a8 = to8(a * 255)
                if a8 == 0:
                    r = g = b = 0
                    bits[x // 8] |= 0x80 >> (x % 8)
                xor += bytes((to8(b), to8(g), to8(r), a8))
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0,
                             len(xor) + len(mask), 0, 0, 0, 0)
        blobs.append(header + bytes(xor) + bytes(mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32,
                           len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def wav_bytes(frames):
    """Mono 16-bit PCM at RATE."""
    out = io.BytesIO()
    with wave.open(out, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)
    return out.getvalue()


# ---------------------------------------------------------------- preview ---

def scaled(c, k, behind=(0xC8, 0xCC, 0xD2)):
    """c enlarged k times over a checkerboard, for looking at."""
    big = Canvas(c.w * k, c.h * k, behind)
    for y in range(big.h):
        for x in range(big.w):
            if ((x // 8) + (y // 8)) % 2:
                big.px[y * big.w + x] = (0xEE, 0xEE, 0xEE, 1.0)
            r, g, b, a = c.px[(y // k) * c.w + x // k]
            big.blend(x, y, (r, g, b), a)
    return big


def mock_main(face, icons):
    """The main face with text of the kind the program writes, for looking at."""
    c = Canvas(face.w, face.h)
    c.px = list(face.px)
    c.text_middle(400, 60, "최근 검사 : 2026.12.10 14:30", 12, TEXT)
    c.text_middle(60, 103, "C:\\Windows\\System32 검사 중...", 12, TEXT)
    fill = bar_fill()
    for y in range(7):
        c.fill(38, 133 + y, 38 + 267, 134 + y, fill.px[y][:3])
    c.text_middle(490, 137, "60%", 12, TEXT)
    c.text_middle(38, 161, "검사한 파일 : 1,234개   발견된 악성코드 : 2개", 12, TEXT)
    c.text_middle(16, 380, "마지막 DB 업데이트 일자 : 2026.12.10", 12, TEXT)
    rows = [("row_checked.ico", "시험.트로이목마", "C:\\tvac-demo\\update.exe"),
            ("row_unchecked.ico", "시험.광고프로그램", "C:\\tvac-demo\\광고"),
            ("row_third.ico", "시험.트로이목마", "HKCU\\Software\\TvacDemo\\Run")]
    for k, (ico, name, where) in enumerate(rows):
        y = 207 + k * 18
        c.paste(icons[ico][0], 20, y + 1)
        c.text_middle(42, y + 9, name, 12, TEXT)
        c.text_middle(190, y + 9, where, 12, MUTED)
    return c


def preview(canvases, icons, out_path):
    """Contact sheet: each face, a copy with its areas outlined in red, the
    main face with sample text, and the small pieces enlarged."""
    grey = (0x9A, 0xA3, 0xAE)
    rows = []
    for name, (c, clear, marks) in canvases.items():
        if c.w < 100:
            continue
        boxed = Canvas(c.w, c.h)
        boxed.px = list(c.px)
        areas = list(clear.values()) + list(marks.values())
        if name == "main.bmp":
            areas += list(MAIN_CONTROLS.values())
        for l, t, r, b in areas:
            boxed.frame(l - 1, t - 1, r + 1, b + 1, (255, 0, 0))
        row = [(c, name), (boxed, name + ", program's areas in red")]
        if name == "main.bmp":
            row.append((mock_main(c, icons), "with sample text"))
        rows.append(row)
    pieces = []
    for name, (c, _, _) in canvases.items():
        if c.w < 100:
            pieces.append((scaled(c, 3 if c.w > 1 else 12), name))
    for name, imgs in icons.items():
        for c in imgs:
            pieces.append((scaled(c, 4), f"{name} {c.w}"))
    rows.append(pieces)

    gap, label_h = 12, 18
    width = max(sum(c.w + gap for c, _ in row) for row in rows) + gap
    height = sum(max(c.h for c, _ in row) + label_h + gap for row in rows) + gap
    sheet = Canvas(width, height, grey)
    y = gap
    for row in rows:
        x = gap
        for c, label in row:
            sheet.paste(c, x, y)
            m = text_mask(label, 11)
            sheet.mask(m, x, y + c.h + 2, (0x10, 0x18, 0x24),
                       clip=(x, 0, x + c.w + gap - 2, height))
            x += c.w + gap
        y += max(c.h for c, _ in row) + label_h + gap
    tmp = pathlib.Path(tempfile.mkdtemp(prefix="tvac_res_"))
    try:
        (tmp / "sheet.bmp").write_bytes(bmp_bytes(sheet))
        subprocess.run([MAGICK, str(tmp / "sheet.bmp"), str(out_path)], check=True)
    finally:
        shutil.rmtree(tmp)


# ------------------------------------------------------------------- main ---

def build():
    outputs, canvases, icons = {}, {}, {}
    for name, (draw, clear, marks) in BITMAPS.items():
        c = draw()
        check_clear(name, c, clear)
        canvases[name] = (c, clear, marks)
        outputs[name] = bmp_bytes(c)
    for name, draw in ICONS.items():
        icons[name] = draw()
        outputs[name] = ico_bytes(icons[name])
    for name, make in SOUNDS.items():
        outputs[name] = wav_bytes(make())
    return outputs, canvases, icons


def main():
    global MAGICK
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--check", action="store_true",
                    help="compare with the files in res/ and write nothing")
    ap.add_argument("--preview", metavar="PNG",
                    help="also write a contact sheet of every picture")
    args = ap.parse_args()
    MAGICK = find_magick()
    outputs, canvases, icons = build()
    if args.check:
        stale = [n for n, data in outputs.items()
                 if not (RES / n).is_file() or (RES / n).read_bytes() != data]
        if stale:
            print("out of date: " + ", ".join(stale), file=sys.stderr)
            return 1
        print(f"{len(outputs)} resource files up to date")
    else:
        for name, data in outputs.items():
            (RES / name).write_bytes(data)
        print(f"wrote {len(outputs)} files into {os.path.relpath(RES)}")
    if args.preview:
        preview(canvases, icons, pathlib.Path(args.preview))
        print(f"preview: {args.preview}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
