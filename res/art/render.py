#!/usr/bin/env python3
"""Draws every picture resource of Nuntio.dll and writes the Windows files.

    python3 res/art/render.py

rewrites, next to this script, the icons (.ico) and bitmaps (.bmp) that the
resource script compiles in. Standard library only; the output is the same
byte for byte on every run.

The drawing works on floating-point RGBA canvases with a few primitives
(rectangles, rounded rectangles, circles, polygons, strokes, gradients),
anti-aliased by 4x4 supersampling. The 16-colour pictures (small icons,
toolbar strips) are pixel art laid out as character grids over the standard
16-colour Windows palette, so they stay crisp in 4-bit image lists.
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------------------
# The standard 16-colour Windows palette and the letters the grids use for it
# ---------------------------------------------------------------------------

VGA = [
    (0, 0, 0),        # 0 K black
    (128, 0, 0),      # 1 r maroon
    (0, 128, 0),      # 2 g green
    (128, 128, 0),    # 3 o olive
    (0, 0, 128),      # 4 n navy
    (128, 0, 128),    # 5 p purple
    (0, 128, 128),    # 6 t teal
    (192, 192, 192),  # 7 s silver
    (128, 128, 128),  # 8 d grey
    (255, 0, 0),      # 9 R red
    (0, 255, 0),      # 10 G lime
    (255, 255, 0),    # 11 Y yellow
    (0, 0, 255),      # 12 B blue
    (255, 0, 255),    # 13 M magenta
    (0, 255, 255),    # 14 C cyan
    (255, 255, 255),  # 15 W white
]
LETTER = {'K': 0, 'r': 1, 'g': 2, 'o': 3, 'n': 4, 'p': 5, 't': 6, 's': 7,
          'd': 8, 'R': 9, 'G': 10, 'Y': 11, 'B': 12, 'M': 13, 'C': 14, 'W': 15}

MAGENTA = (255, 0, 255)
TOOLBAR_FACE = 7          # RGB(192,192,192): the toolbar maps it to the button face

# ---------------------------------------------------------------------------
# Small colour helpers
# ---------------------------------------------------------------------------


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(lerp(c1[i], c2[i], t) for i in range(len(c1)))


def ramp(stops, t):
    """Colour at t in [0,1] along a list of (position, colour) stops."""
    t = max(0.0, min(1.0, t))
    for i in range(len(stops) - 1):
        p0, c0 = stops[i]
        p1, c1 = stops[i + 1]
        if t <= p1:
            return mix(c0, c1, 0.0 if p1 == p0 else (t - p0) / (p1 - p0))
    return stops[-1][1]


def vgrad(y0, y1, stops):
    return lambda x, y: ramp(stops, (y - y0) / float(y1 - y0))


def hgrad(x0, x1, stops):
    return lambda x, y: ramp(stops, (x - x0) / float(x1 - x0))


# ---------------------------------------------------------------------------
# Shapes: predicates inside(x, y) in pixel coordinates (pixel i spans i..i+1)
# ---------------------------------------------------------------------------


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rrect(x0, y0, x1, y1, r):
    def f(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return f


def circle(cx, cy, r):
    r2 = r * r
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def poly(pts):
    n = len(pts)

    def f(x, y):
        inside = False
        j = n - 1
        for i in range(n):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y):
                if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    inside = not inside
            j = i
        return inside
    return f


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    l2 = dx * dx + dy * dy
    t = 0.0 if l2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / l2))
    qx, qy = ax + t * dx, ay + t * dy
    return math.hypot(px - qx, py - qy)


def capsule(ax, ay, bx, by, width):
    h = width / 2.0
    return lambda x, y: seg_dist(x, y, ax, ay, bx, by) <= h


def polyline(pts, width):
    h = width / 2.0
    segs = list(zip(pts, pts[1:]))
    return lambda x, y: any(seg_dist(x, y, a[0], a[1], b[0], b[1]) <= h for a, b in segs)


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def minus(f, g):
    return lambda x, y: f(x, y) and not g(x, y)


def intersect(f, g):
    return lambda x, y: f(x, y) and g(x, y)


# ---------------------------------------------------------------------------
# Canvas
# ---------------------------------------------------------------------------


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        if len(bg) == 3:
            bg = tuple(bg) + (1.0,)
        self.px = [list(bg) for _ in range(w * h)]

    def get(self, x, y):
        return self.px[y * self.w + x]

    def put(self, x, y, c):
        if len(c) == 3:
            c = tuple(c) + (1.0,)
        self.px[y * self.w + x] = list(c)

    def blend(self, x, y, c, cov):
        if not (0 <= x < self.w and 0 <= y < self.h) or cov <= 0:
            return
        a = cov * (c[3] if len(c) > 3 else 1.0)
        p = self.px[y * self.w + x]
        oa = a + p[3] * (1 - a)
        if oa <= 0:
            return
        for i in range(3):
            p[i] = (c[i] * a + p[i] * p[3] * (1 - a)) / oa
        p[3] = oa

    def fill(self, inside, paint, box=None, ss=4):
        """Composite paint where inside() holds, anti-aliased by ss x ss samples."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        offs = [(i + 0.5) / ss for i in range(ss)]
        n = float(ss * ss)
        for y in range(y0, y1):
            for x in range(x0, x1):
                k = 0
                for oy in offs:
                    for ox in offs:
                        if inside(x + ox, y + oy):
                            k += 1
                if k:
                    c = paint(x + 0.5, y + 0.5) if callable(paint) else paint
                    self.blend(x, y, c, k / n)

    def rect(self, x0, y0, x1, y1, paint):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                c = paint(x + 0.5, y + 0.5) if callable(paint) else paint
                self.blend(x, y, c, 1.0)

    def hline(self, x0, x1, y, c):
        self.rect(x0, y, x1, y + 1, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, y0, x + 1, y1, c)

    def rgb_rows(self, matte=(255, 255, 255)):
        """Top-down rows of opaque (r,g,b) ints, composited over matte."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                row.append(tuple(int(round(lerp(matte[i], (r, g, b)[i], a))) for i in range(3)))
            rows.append(row)
        return rows


def downscale(src, w, h):
    """Area-average src (a Canvas) into a new w x h canvas, alpha-aware."""
    sx, sy = src.w / float(w), src.h / float(h)

    def spans(n, s, limit):
        out = []
        for i in range(n):
            a, b = i * s, (i + 1) * s
            parts = []
            j = int(math.floor(a))
            while j < b and j < limit:
                lo, hi = max(a, j), min(b, j + 1)
                if hi > lo:
                    parts.append((j, hi - lo))
                j += 1
            out.append(parts)
        return out

    xs, ys = spans(w, sx, src.w), spans(h, sy, src.h)
    dst = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            acc = [0.0, 0.0, 0.0, 0.0]
            tot = 0.0
            for j, wy in ys[y]:
                for i, wx in xs[x]:
                    p = src.px[j * src.w + i]
                    k = wx * wy
                    acc[0] += p[0] * p[3] * k
                    acc[1] += p[1] * p[3] * k
                    acc[2] += p[2] * p[3] * k
                    acc[3] += p[3] * k
                    tot += k
            a = acc[3] / tot
            if acc[3] > 0:
                dst.px[y * w + x] = [acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], a]
    return dst


# ---------------------------------------------------------------------------
# Pixel-art grids
# ---------------------------------------------------------------------------


def grid(rows, w=16, h=16):
    """Character grid -> list of rows of palette indexes (None = transparent)."""
    assert len(rows) == h, (len(rows), rows)
    out = []
    for r in rows:
        assert len(r) == w, (len(r), r)
        out.append([None if ch == '.' else LETTER[ch] for ch in r])
    return out


def overlay(base, top, dx=0, dy=0):
    out = [row[:] for row in base]
    for y, row in enumerate(top):
        for x, v in enumerate(row):
            if v is not None and 0 <= y + dy < len(out) and 0 <= x + dx < len(out[0]):
                out[y + dy][x + dx] = v
    return out


def blank(w=16, h=16):
    return [[None] * w for _ in range(h)]


def shift(g, dx, dy):
    return overlay(blank(len(g[0]), len(g)), g, dx, dy)


def recolour(g, mapping):
    m = {LETTER[a]: LETTER[b] for a, b in mapping.items()}
    return [[m.get(v, v) if v is not None else None for v in row] for row in g]


def flat_from_canvas(cv, threshold=0.5):
    """A canvas painted with palette colours only -> index grid (binary alpha)."""
    lookup = {c: i for i, c in enumerate(VGA)}
    out = []
    for y in range(cv.h):
        row = []
        for x in range(cv.w):
            r, g, b, a = cv.get(x, y)
            if a < threshold:
                row.append(None)
            else:
                c = (int(round(r)), int(round(g)), int(round(b)))
                if c not in lookup:
                    c = min(VGA, key=lambda p: sum((p[i] - c[i]) ** 2 for i in range(3)))
                row.append(lookup[c])
        out.append(row)
    return out


def canvas_from_grid(g):
    cv = Canvas(len(g[0]), len(g))
    for y, row in enumerate(g):
        for x, v in enumerate(row):
            if v is not None:
                cv.put(x, y, VGA[v] + (1.0,))
    return cv


# ---------------------------------------------------------------------------
# Windows file writers
# ---------------------------------------------------------------------------


def _pad4(b):
    return b + b'\0' * ((4 - len(b) % 4) % 4)


def _pack4(indexes):
    if len(indexes) % 2:
        indexes = indexes + [0]
    return bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, len(indexes), 2))


def _palette_bytes(pal, count):
    pal = list(pal) + [(0, 0, 0)] * (count - len(pal))
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in pal)


def bmp_file(w, h, bpp, rows, palette=None):
    """rows: top-down; for 4/8 bpp lists of indexes, for 24 bpp lists of (r,g,b)."""
    body = []
    for row in reversed(rows):
        if bpp == 4:
            raw = _pack4(list(row))
        elif bpp == 8:
            raw = bytes(row)
        else:
            raw = b''.join(struct.pack('<BBB', b, g, r) for (r, g, b) in row)
        body.append(_pad4(raw))
    pixels = b''.join(body)
    ncol = {4: 16, 8: 256}.get(bpp, 0)
    pal = _palette_bytes(palette, ncol) if ncol else b''
    offset = 14 + 40 + len(pal)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, 0, len(pixels), 2835, 2835, ncol, 0)
    head = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return head + info + pal + pixels


def _and_mask(w, h, transparent):
    rows = []
    for y in reversed(range(h)):
        bits = bytearray((w + 7) // 8)
        for x in range(w):
            if transparent(x, y):
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(_pad4(bytes(bits)))
    return b''.join(rows)


def ico_image_4bit(g):
    """Index grid (None = transparent) -> (w, h, bpp, colours, DIB bytes)."""
    h, w = len(g), len(g[0])
    xor = b''.join(_pad4(_pack4([0 if v is None else v for v in row])) for row in reversed(g))
    mask = _and_mask(w, h, lambda x, y: g[y][x] is None)
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return (w, h, 4, 16, info + _palette_bytes(VGA, 16) + xor + mask)


def ico_image_32bit(cv):
    w, h = cv.w, cv.h
    rows = []
    alpha = [[0] * w for _ in range(h)]
    for y in reversed(range(h)):
        raw = bytearray()
        for x in range(w):
            r, g, b, a = cv.get(x, y)
            A = int(round(a * 255))
            alpha[y][x] = A
            if A == 0:
                raw += b'\0\0\0\0'
            else:
                raw += struct.pack('<BBBB', int(round(b)), int(round(g)), int(round(r)), A)
        rows.append(bytes(raw))
    xor = b''.join(rows)
    mask = _and_mask(w, h, lambda x, y: alpha[y][x] == 0)
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return (w, h, 32, 0, info + xor + mask)


def ico_file(images):
    head = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, datas = [], []
    for (w, h, bpp, ncol, data) in images:
        entries.append(struct.pack('<BBBBHHII', w % 256, h % 256, ncol, 0, 1, bpp, len(data), offset))
        datas.append(data)
        offset += len(data)
    return head + b''.join(entries) + b''.join(datas)


def quantize(rows, fixed=()):
    """Median-cut palette of at most 256 colours for rows of (r,g,b).

    Each box is represented by its most frequent colour, so flat areas keep
    their exact colour; every pixel then takes the nearest palette entry."""
    counts = {}
    for row in rows:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    colours = sorted(counts)
    if len(colours) <= 256:
        palette = colours
    else:
        boxes = [colours]
        while len(boxes) < 256 - len(fixed):
            best, score, axis = None, -1, 0
            for bi, box in enumerate(boxes):
                if len(box) < 2:
                    continue
                for ax in range(3):
                    vals = [c[ax] for c in box]
                    rng = max(vals) - min(vals)
                    s = rng * rng * sum(counts[c] for c in box) ** 0.5
                    if s > score:
                        best, score, axis = bi, s, ax
            if best is None:
                break
            box = sorted(boxes[best], key=lambda c: (c[axis], c))
            total = sum(counts[c] for c in box)
            acc, cut = 0, 1
            for i, c in enumerate(box):
                acc += counts[c]
                if acc * 2 >= total:
                    cut = max(1, min(len(box) - 1, i + 1))
                    break
            boxes[best:best + 1] = [box[:cut], box[cut:]]
        palette = [max(box, key=lambda c: (counts[c], c)) for box in boxes]
        palette = sorted(set(palette) | set(fixed))
    index = {}
    for c in colours:
        if c in palette:
            index[c] = palette.index(c)
        else:
            index[c] = min(range(len(palette)),
                           key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))
    return palette, [[index[c] for c in row] for row in rows]


def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)


# ---------------------------------------------------------------------------
# Shared motifs drawn with the vector primitives
# ---------------------------------------------------------------------------


def bell_shapes(cx, top, w, h):
    """Bell of rim width w and height h (knob top to rim bottom):
    returns (body, clapper) predicates."""
    knob_r = 0.09 * w
    body_top = top + knob_r * 1.2
    rim_top = top + 0.80 * h
    rim_bot = top + 0.90 * h
    pts_r = []
    n = 24
    for i in range(n + 1):
        u = i / float(n)
        y = body_top + (rim_top - body_top) * u
        if u < 0.28:
            v = (0.28 - u) / 0.28
            hw = 0.29 * w * math.sqrt(max(0.0, 1 - v * v))
        else:
            hw = 0.29 * w + 0.15 * w * ((u - 0.28) / 0.72) ** 2.2
        pts_r.append((cx + hw, y))
    pts_r.append((cx + 0.5 * w, rim_top + 0.02 * h))
    pts_r.append((cx + 0.5 * w, rim_bot))
    pts_l = [(2 * cx - x, y) for (x, y) in reversed(pts_r)]
    body = union(poly(pts_r + pts_l), circle(cx, top + knob_r, knob_r))
    clapper = circle(cx, rim_bot + 0.02 * h, 0.12 * w)
    return body, clapper


def draw_bell(cv, cx, top, w, h, fill_stops, outline, clapper_col, ow=1.0, ss=4, shine=True):
    """Gold bell with an outline of width ow."""
    body, clap = bell_shapes(cx, top, w, h)
    inner, iclap = bell_shapes(cx, top + ow, w - 2 * ow, h - 2 * ow)
    box = (cx - w, top - 1, cx + w, top + h + 0.2 * w + 2)
    cv.fill(clap, outline, box, ss)
    cv.fill(iclap, clapper_col, box, ss)
    cv.fill(body, outline, box, ss)
    cv.fill(inner, hgrad(cx - w / 2.0, cx + w / 2.0, fill_stops), box, ss)
    if shine:
        cv.fill(ellipse(cx - 0.17 * w, top + 0.42 * h, 0.07 * w, 0.22 * h),
                (255, 255, 240, 0.55), box, ss)


GOLD_BELL = [(0.0, (196, 128, 10)), (0.3, (255, 222, 92)), (0.45, (255, 240, 160)),
             (0.75, (246, 186, 36)), (1.0, (180, 110, 8))]


def draw_close_x(cv, cx, cy, r, col, width, ss=4):
    box = (cx - r - width, cy - r - width, cx + r + width, cy + r + width)
    cv.fill(union(capsule(cx - r, cy - r, cx + r, cy + r, width),
                  capsule(cx - r, cy + r, cx + r, cy - r, width)), col, box, ss)


# ---------------------------------------------------------------------------
# Icons
# ---------------------------------------------------------------------------

# Envelope used by several row icons (14 x 10, navy outline, blue flap).
ENVELOPE_CLOSED = [
    "KKKKKKKKKKKKKK",
    "KoYYYYYYYYYYoK",
    "KYoYYYYYYYYoYK",
    "KYYoYYYYYYoYYK",
    "KYYYoYYYYoYYYK",
    "KYYYYoYYoYYYYK",
    "KYYYYYooYYYYYK",
    "KYYYYYYYYYYYYK",
    "KYYYYYYYYYYYYK",
    "KKKKKKKKKKKKKK",
]


def sub_grid(rows):
    return [[None if ch == '.' else LETTER[ch] for ch in r] for r in rows]


def icon_latest():
    env = sub_grid(ENVELOPE_CLOSED)
    g = overlay(blank(), env, 0, 6)
    badge = sub_grid([
        "..RRR..",
        ".RWRRR.",
        "RWRRRRr",
        "RRRRRRr",
        "RRRRRRr",
        ".RRRRr.",
        "..rrr..",
    ])
    return overlay(g, badge, 9, 0)


def icon_earlier():
    env = recolour(sub_grid(ENVELOPE_CLOSED), {'K': 'n', 'o': 'B', 'Y': 'W'})
    return overlay(blank(), env, 1, 4)


def icon_opened():
    return grid([
        "................",
        "................",
        ".......dd.......",
        "......dssd......",
        "....dddddddd....",
        "...ddWWWWWWdd...",
        "..dsdWddddWdsd..",
        ".dssdWWWWWWdssd.",
        ".ddddWddddWdddd.",
        ".dWWdWWWWWWdWWd.",
        ".dWWWddWWddWWWd.",
        ".dWWWWWddWWWWWd.",
        ".dWWWWWWWWWWWWd.",
        ".dWWWWWWWWWWWWd.",
        ".dddddddddddddd.",
        "................",
    ])


def icon_header():
    return grid([
        "................",
        "................",
        "................",
        "................",
        "...dddddddddd...",
        "...ddWWWWWWdd...",
        "...dWdWWWWdWd...",
        "...dWWdWWdWWd...",
        "...dWWWddWWWd...",
        "...dWWWWWWWWd...",
        "...dWWWWWWWWd...",
        "...dddddddddd...",
        "................",
        "................",
        "................",
        "................",
    ])


def icon_trade_rows():
    # Buy and sell: a red arrow to the right above a green arrow to the left.
    return grid([
        "................",
        ".........RR.....",
        ".........RRR....",
        ".RRRRRRRRRRRR...",
        ".RRRRRRRRRRRRR..",
        ".rrrrrrrrRRRr...",
        ".........RRr....",
        ".........rr.....",
        "................",
        ".....GG.........",
        "....GGg.........",
        "...GGGGGGGGGGGG.",
        "..ggggggggggggg.",
        "...gggggggggggg.",
        "....ggg.........",
        ".....gg.........",
    ])


def icon_spare():
    # Information notice: a blue disc with a white "i".
    cv = Canvas(16, 16)
    cv.fill(circle(8, 8, 7.4), VGA[4], ss=1)
    cv.fill(circle(8, 8, 6.4), VGA[12], ss=1)
    g = flat_from_canvas(cv)
    g = overlay(g, sub_grid(["WW", "WW", "..", "WW", "WW", "WW", "WW", "WW"]), 7, 3)
    g[11][6] = LETTER['W']
    g[11][9] = LETTER['W']
    return g


def icon_bell():
    return grid([
        "................",
        ".......oo.......",
        "......oYYo......",
        ".....oYYYYo.....",
        "....oYWYYYYo....",
        "....oYWYYYYo....",
        "....oYWYYYYo....",
        "....oYYYYYYo....",
        "...oYYYYYYYYo...",
        "...oYYYYYYYYo...",
        "..oYYYYYYYYYYo..",
        ".oYYYYYYYYYYYYo.",
        ".oooooooooooooo.",
        "......oKKo......",
        ".......oo.......",
        "................",
    ])


def icon_candles():
    # Three candlesticks rising to the right: green (down) then two red (up).
    g = blank()
    for x0, wick_top, body_top, body_bot, wick_bot, fill, shade in (
            (1, 7, 9, 13, 15, 'G', 'g'), (6, 3, 5, 11, 13, 'R', 'r'), (11, 0, 2, 8, 10, 'R', 'r')):
        for y in range(wick_top, wick_bot + 1):
            g[y][x0 + 1] = LETTER[shade]
        for y in range(body_top, body_bot + 1):
            g[y][x0] = LETTER[fill]
            g[y][x0 + 1] = LETTER[fill]
            g[y][x0 + 2] = LETTER[shade]
        g[body_bot][x0] = g[body_bot][x0 + 1] = LETTER[shade]
    return g


def msgcenter_16_flat():
    env = sub_grid([
        "nnnnnnnnnnnnn",
        "nBWWWWWWWWWBn",
        "nWBWWWWWWWBWn",
        "nWWBWWWWWBWWn",
        "nWWWBWWWBWWWn",
        "nWWWWBWBWWWWn",
        "nWWWWWBWWWWWn",
        "nWWWWWWWWWWWn",
        "nWWWWWWWWWWWn",
        "nnnnnnnnnnnnn",
    ])
    bell = sub_grid([
        "...WW...",
        "..WooW..",
        ".WoYYoW.",
        "WoYWYYoW",
        "WoYWYYoW",
        "WoYYYYoW",
        "oYYYYYYo",
        "oooooooo",
        "...oo...",
    ])
    g = overlay(blank(), env, 0, 2)
    return overlay(g, bell, 8, 6)


def msgcenter_16_rich():
    """The 16-pixel mark in full colour: the pixel art with true-colour shading."""
    g = msgcenter_16_flat()
    cv = Canvas(16, 16)
    for y, row in enumerate(g):
        for x, v in enumerate(row):
            if v is None:
                continue
            if v == LETTER['n']:
                c = (28, 66, 140)
            elif v == LETTER['B']:
                c = (58, 112, 204)
            elif v == LETTER['W']:
                c = mix((255, 255, 255), (206, 222, 246), (y - 2) / 9.0) if x < 8 or y < 6 else (255, 255, 255)
            elif v == LETTER['Y']:
                c = ramp(GOLD_BELL, (x - 8) / 7.0)
            elif v == LETTER['o']:
                c = (134, 84, 0)
            else:
                c = VGA[v]
            cv.put(x, y, c + (1.0,))
    return cv


def msgcenter_canvas(size, rich):
    """The message centre's own mark: an envelope with a gold bell."""
    s = size / 32.0
    cv = Canvas(size, size)
    ss = 4 if rich else 1
    # envelope
    ex0, ey0, ex1, ey1 = 1 * s, 6 * s, 27 * s, 25 * s
    if rich:
        cv.fill(rrect(ex0, ey0, ex1, ey1, 1.6 * s), (28, 66, 140), ss=ss)
        cv.fill(rrect(ex0 + s, ey0 + s, ex1 - s, ey1 - s, 1.0 * s),
                vgrad(ey0, ey1, [(0, (255, 255, 255)), (1, (214, 228, 248))]), ss=ss)
        midx, midy = (ex0 + ex1) / 2.0, ey0 + 0.58 * (ey1 - ey0)
        cv.fill(poly([(ex0 + s, ey0 + s), (ex1 - s, ey0 + s), (midx, midy)]),
                vgrad(ey0, midy, [(0, (236, 243, 253)), (1, (196, 214, 242))]), ss=ss)
        cv.fill(polyline([(ex0 + 1.5 * s, ey0 + 1.5 * s), (midx, midy),
                          (ex1 - 1.5 * s, ey0 + 1.5 * s)], 1.3 * s), (46, 98, 190), ss=ss)
    else:
        # without anti-aliasing the border sits on whole pixels, so that its
        # four sides come out equally wide at any size
        X0, Y0, X1, Y1 = (int(v + 0.5) for v in (ex0, ey0, ex1, ey1))
        bw = line_width(s)
        cv.fill(rect(X0, Y0, X1, Y1), VGA[4], ss=ss)
        cv.fill(rect(X0 + bw, Y0 + bw, X1 - bw, Y1 - bw), VGA[15], ss=ss)
        midx, midy = (ex0 + ex1) / 2.0, ey0 + 0.58 * (ey1 - ey0)
        cv.fill(polyline([(ex0 + 1.5 * s, ey0 + 1.5 * s), (midx, midy),
                          (ex1 - 1.5 * s, ey0 + 1.5 * s)], 1.5 * s), VGA[12], ss=ss)
    # bell with a light halo so it stands off the envelope
    bx, btop, bw, bh = 22.5 * s, 12 * s, 17 * s, 18 * s
    halo, hclap = bell_shapes(bx, btop - 1.6 * s, bw + 3.2 * s, bh + 3.2 * s)
    cv.fill(union(halo, hclap), (255, 255, 255) if not rich else (255, 255, 255, 0.95), ss=ss)
    if rich:
        draw_bell(cv, bx, btop, bw, bh, GOLD_BELL, (120, 72, 0), (110, 64, 0), ow=1.0 * s, ss=ss)
    else:
        draw_bell(cv, bx, btop, bw, bh, [(0, VGA[11]), (1, VGA[11])], VGA[3], VGA[3],
                  ow=1.5 * s, ss=1, shine=False)
        cv.fill(ellipse(bx - 0.12 * bw, btop + 0.45 * bh, 0.06 * bw, 0.2 * bh), VGA[15], ss=1)
    return cv


def make_icons():
    # 129: message centre (window's small icon, tray icon, settings sheet)
    images = [
        ico_image_4bit(flat_from_canvas(msgcenter_canvas(32, False))),
        ico_image_4bit(msgcenter_16_flat()),
        ico_image_32bit(msgcenter_canvas(32, True)),
        ico_image_32bit(msgcenter_16_rich()),
    ]
    write('msgcenter.ico', ico_file(images))
    rows = [
        ('row_latest.ico', icon_latest()),
        ('row_opened.ico', icon_opened()),
        ('row_earlier.ico', icon_earlier()),
        ('row_header.ico', icon_header()),
        ('row_trade.ico', icon_trade_rows()),
        ('row_spare.ico', icon_spare()),
        ('tab_alert.ico', icon_bell()),
        ('tab_trade.ico', icon_candles()),
    ]
    for name, g in rows:
        write(name, ico_file([ico_image_4bit(g)]))
    return dict(rows)


# ---------------------------------------------------------------------------
# Toolbar strips: seven 16x16 buttons on the button-face grey RGB(192,192,192)
# ---------------------------------------------------------------------------

PAGE_X = [  # a page with a red cross: delete the selection
    "................",
    "..dddddddd......",
    "..dWWWWWWdd.....",
    "..dWWWWWWdWd....",
    "..dWWWWWWdddd...",
    "..dWWWWWWWWWd...",
    "..dWnnnnnnWWd...",
    "..dWWWWWWWWWd...",
    "..dWnnnnnWWWd...",
    "..dWWWWWWWWWd...",
    "..dWnnnnnnWWd...",
    "..dWWWWWWWWWd...",
    "..dWnnnWWWWWd...",
    "..dWWWWWWWWWd...",
    "..ddddddddddd...",
    "................",
]
CROSS = [
    "RR....RR",
    "RRR..RRr",
    ".RRRRRr.",
    "..RRRr..",
    "..RRRr..",
    ".RRrRRr.",
    "RRr..RRr",
    "Rr....rr",
]
TRASH = [
    "................",
    "......nnnn......",
    ".....n....n.....",
    "..nnnnnnnnnnnn..",
    "..nWWWWWWWWWdn..",
    "..nnnnnnnnnnnn..",
    "...nWdWWdWWdn...",
    "...nWdWWdWWdn...",
    "...nWdWWdWWdn...",
    "...nWdWWdWWdn...",
    "...nWdWWdWWdn...",
    "...nWdWWdWWdn...",
    "...nWdWWdWWdn...",
    "...nWdWWdWWdn...",
    "...nnnnnnnnnn...",
    "................",
]
FONT_COLOUR = [
    "................",
    ".......nn.......",
    "......nnnn......",
    "......nnnn......",
    ".....nn..nn.....",
    ".....nn..nn.....",
    "....nn....nn....",
    "....nnnnnnnn....",
    "...nnnnnnnnnn...",
    "...nn......nn...",
    "..nn........nn..",
    "..nn........nn..",
    "................",
    ".RRRYYYGGGBBBpp.",
    ".RRRYYYGGGBBBpp.",
    "................",
]
COLUMNS = [
    "................",
    "................",
    ".nnnnnnnnnnnnnn.",
    ".nBBBnBBBBnBBBn.",
    ".nBBBnBBBBnBBBn.",
    ".nnnnnnnnnnnnnn.",
    ".nWWWnYYYYnWWWn.",
    ".nWWWnYYYYnWWWn.",
    ".ndddnoooondddn.",
    ".nWWWnYYYYnWWWn.",
    ".nWWWnYYYYnWWWn.",
    ".ndddnoooondddn.",
    ".nWWWnYYYYnWWWn.",
    ".nnnnnnnnnnnnnn.",
    "................",
    "................",
]
SMALL_BELL = [
    "......oo........",
    ".....oYYo.......",
    "....oYYYYo......",
    "...oYWYYYYo.....",
    "...oYWYYYYo.....",
    "...oYYYYYYo.....",
    "..oYYYYYYYYo....",
    "..oYYYYYYYYo....",
    ".oYYYYYYYYYYo...",
    ".oooooooooooo...",
    "......oo........",
    "................",
    "................",
    "................",
    "................",
    "................",
]
SMALL_CANDLES = [
    "..........r.....",
    ".........rRr....",
    ".........RRR....",
    ".....r...RRR....",
    "....rRr..rrr....",
    "....RRR...r.....",
    ".g..RRR.........",
    "gGg.RRR.........",
    "gGg.rrr.........",
    "gGg..r..........",
    "ggg.............",
    ".g..............",
    "................",
    "................",
    "................",
    "................",
]
GEAR = [
    "...KKK...",
    ".K.KdK.K.",
    "KdKdddKdK",
    ".KddKddK.",
    "KKdKWKdKK",
    ".KddKddK.",
    "KdKdddKdK",
    ".K.KdK.K.",
    "...KKK...",
]
FONT_LARGER = [
    "................",
    "............B...",
    "...........BBB..",
    "..........BBBBB.",
    ".....KK.........",
    "....KKKK........",
    "....KKKK........",
    "...KK..KK.......",
    "...KK..KK.......",
    "..KK....KK......",
    "..KKKKKKKK......",
    ".KKKKKKKKKK.....",
    ".KK......KK.....",
    "KK........KK....",
    "KK........KK....",
    "................",
]
FONT_SMALLER = [
    "................",
    "..........BBBBB.",
    "...........BBB..",
    "............B...",
    "................",
    "................",
    "................",
    ".....KK.........",
    "....KKKK........",
    "....K..K........",
    "...KK..KK.......",
    "...KKKKKK.......",
    "..KK....KK......",
    "..K......K......",
    ".KK......KK.....",
    "................",
]


def toolbar_strip(settings_icon):
    tiles = [
        overlay(grid(PAGE_X), sub_grid(CROSS), 8, 8),
        grid(TRASH),
        grid(FONT_COLOUR),
        grid(COLUMNS),
        overlay(grid(settings_icon), sub_grid(GEAR), 7, 7),
        grid(FONT_LARGER),
        grid(FONT_SMALLER),
    ]
    rows = []
    for y in range(16):
        row = []
        for t in tiles:
            row.extend(TOOLBAR_FACE if v is None else v for v in t[y])
        rows.append(row)
    return rows


def make_toolbars():
    a = toolbar_strip(SMALL_BELL)
    t = toolbar_strip(SMALL_CANDLES)
    write('toolbar_alert.bmp', bmp_file(112, 16, 4, a, VGA))
    write('toolbar_trade.bmp', bmp_file(112, 16, 4, t, VGA))
    return a, t


# ---------------------------------------------------------------------------
# Popup skins
# ---------------------------------------------------------------------------

SAMPLE_TITLE = (64, 64, 225)


def px_at(s):
    """Pixel position at scale s of a position n at 100 %: int(n * s + 0.5)."""
    return lambda n: int(n * s + 0.5)


def line_width(s):
    """Pixels of a line one pixel wide at 100 %: 1 at 125 and 150 %, 2 at 200 %."""
    return max(1, int(s))


def sample_text(cv, w, h):
    """Stand-in lines of text (title and body) for the preview pictures only."""
    cv.fill(rrect(w / 2.0 - 34, 31, w / 2.0 + 34, 40, 3), SAMPLE_TITLE + (0.85,))
    for i, half in enumerate((62, 70, 56)):
        y = 58 + i * 16
        if y + 8 < h - 22:
            cv.fill(rrect(w / 2.0 - half, y, w / 2.0 + half, y + 8, 3), (40, 40, 40, 0.55))


def skin_gold(sample=False, scale=100):
    """Skin 138: 197 x 171 at 100 %, gold frame, close mark top right, white
    text area. Drawn on the columns the popup shows (whole groups of four:
    196 at 100 %); the columns after them repeat the last shown one."""
    s = scale / 100.0
    p = px_at(s)
    lw = line_width(s)
    BW, H = p(197), p(171)
    W = BW // 4 * 4
    cv = Canvas(BW, H, (0, 0, 0))
    dark = (110, 72, 10)
    # frame body: warm metallic gold
    frame = vgrad(0, H, [(0, (238, 196, 92)), (0.5, (214, 160, 48)), (1, (186, 128, 28))])
    cv.rect(0, 0, W, H, frame)
    # header band
    cv.rect(lw, lw, W - lw, p(25), vgrad(lw, p(25), [(0, (255, 238, 170)), (0.45, (246, 206, 100)),
                                                   (0.55, (234, 184, 66)), (1, (214, 156, 40))]))
    # bottom band
    cv.rect(lw, H - p(15), W - lw, H - lw, vgrad(H - p(15), H - lw, [(0, (226, 176, 62)), (1, (188, 130, 30))]))
    # side rails with a highlight
    for x0 in (lw, W - lw - p(4)):
        cv.rect(x0, p(25), x0 + p(4), H - p(15), hgrad(x0, x0 + p(4), [(0, (250, 222, 140)), (0.5, (228, 178, 64)),
                                                                    (1, (196, 140, 36))]))
    # bevel: light top/left, dark bottom/right, then the outer line
    cv.rect(lw, lw, W - lw, 2 * lw, (255, 246, 206))
    cv.rect(lw, lw, 2 * lw, H - lw, (255, 236, 170))
    cv.rect(lw, H - 2 * lw, W - lw, H - lw, (160, 108, 20))
    cv.rect(W - 2 * lw, lw, W - lw, H - lw, (170, 116, 24))
    cv.rect(0, 0, W, lw, dark)
    cv.rect(0, H - lw, W, H, dark)
    cv.rect(0, 0, lw, H, dark)
    cv.rect(W - lw, 0, W, H, dark)
    # text area: white, sunk into the frame by a 1-pixel line
    tx0, ty0, tx1, ty1 = p(4), p(25), W - p(4), H - p(15)
    cv.rect(tx0, ty0, tx1, ty1, (150, 104, 22))
    cv.rect(tx0 + lw, ty0 + lw, tx1 - lw, ty1 - lw,
            vgrad(ty0 + lw, ty1 - lw, [(0, (255, 255, 255)), (0.7, (255, 255, 255)), (1, (255, 250, 234))]))
    cv.rect(tx0 + lw, ty0 + lw, tx1 - lw, ty0 + 2 * lw, (236, 226, 200))
    cv.rect(tx0 + lw, ty0 + 2 * lw, tx0 + 2 * lw, ty1 - lw, (246, 240, 224))
    # bell badge at the left of the header
    badge = (4 * s, 2 * s, 26 * s, 24 * s)
    cv.fill(circle(14.5 * s, 12.5 * s, 9.2 * s), (150, 98, 14, 0.9), badge)
    cv.fill(circle(14.5 * s, 12.5 * s, 8.2 * s), vgrad(4 * s, 21 * s, [(0, (255, 250, 226)), (1, (246, 220, 150))]),
            badge)
    draw_bell(cv, 14.5 * s, 5.6 * s, 11.0 * s, 12.6 * s, GOLD_BELL, (120, 70, 0), (96, 56, 0), ow=1.0 * s)
    # close mark inside the top-right close box (20 x 20 at 100 %: x 177..196)
    bx1, by0 = W - p(2), p(3)
    bx0, by1 = bx1 - p(15), by0 + p(15)
    near = (bx0 - 2, by0 - 2, bx1 + 2, by1 + 2)
    cv.fill(rrect(bx0, by0, bx1, by1, 3 * s), (120, 74, 6), near)
    cv.fill(rrect(bx0 + s, by0 + s, bx1 - s, by1 - s, 2.2 * s),
            vgrad(by0, by1, [(0, (250, 214, 120)), (0.5, (222, 158, 42)), (1, (176, 108, 14))]), near)
    cv.fill(rrect(bx0 + s, by0 + s, bx1 - s, by0 + 7 * s, 2 * s), (255, 255, 240, 0.35), near)
    draw_close_x(cv, (bx0 + bx1) / 2.0, (by0 + by1) / 2.0, 3.2 * s, (90, 50, 0, 0.5), 2.6 * s)
    draw_close_x(cv, (bx0 + bx1) / 2.0, (by0 + by1) / 2.0 - 0.4 * s, 3.2 * s, (255, 255, 255), 1.8 * s)
    # bottom band ornament: a fine engraved line
    cv.rect(p(40), H - p(8), W - p(40), H - p(8) + lw, (170, 116, 26))
    cv.rect(p(40), H - p(8) + lw, W - p(40), H - p(8) + 2 * lw, (246, 210, 130))
    if sample:
        sample_text(cv, W, H)
    for x in range(W, BW):
        for y in range(H):
            cv.put(x, y, tuple(cv.get(W - 1, y)))
    return cv


BLUE = dict(
    outline=(22, 56, 124),
    hi=(200, 224, 255),
    head=[(0, (146, 192, 246)), (0.45, (86, 146, 226)), (0.55, (60, 122, 212)), (1, (40, 96, 190))],
    rail=[(0, (120, 170, 236)), (0.5, (66, 124, 210)), (1, (44, 98, 186))],
    foot=[(0, (70, 128, 214)), (1, (36, 86, 172))],
    shade=(30, 72, 150),
    inset=(40, 84, 160),
    close=[(0, (255, 170, 130)), (0.5, (230, 90, 50)), (1, (180, 50, 20))],
    close_rim=(120, 30, 10),
    close_mark=(255, 255, 255),
    tint=(238, 244, 252),
)
GREY = dict(
    outline=(92, 96, 104),
    hi=(255, 255, 255),
    head=[(0, (250, 250, 252)), (0.45, (226, 228, 232)), (0.55, (212, 214, 220)), (1, (190, 193, 200))],
    rail=[(0, (238, 239, 242)), (0.5, (206, 208, 214)), (1, (176, 179, 186))],
    foot=[(0, (214, 216, 221)), (1, (176, 179, 186))],
    shade=(150, 153, 160),
    inset=(140, 144, 152),
    close=[(0, (250, 250, 252)), (0.5, (206, 208, 214)), (1, (150, 153, 160))],
    close_rim=(92, 96, 104),
    close_mark=(64, 66, 72),
    tint=(246, 246, 248),
)


def skin_panel(theme, cut_w, cut_h, sample=False, scale=100):
    """Skins 5021 / 5026: 181 x 152 at 100 %, both top corners cut away in
    magenta (cut_w columns by cut_h rows at 100 %, counted within the shown
    columns), bell at the top left, round close button at the top right."""
    s = scale / 100.0
    p = px_at(s)
    lw = line_width(s)
    BW, H = p(181), p(152)
    W = BW // 4 * 4
    cut_w, cut_h = p(cut_w), p(cut_h)
    cv = Canvas(BW, H, MAGENTA)
    o = theme['outline']

    def shape(x, y):
        return 0 <= x < W and 0 <= y < H and not (y < cut_h and (x < cut_w or x >= W - cut_w))

    def dot(x, y, c):  # one pixel at 100 %, lw x lw from (x, y) on
        for j in range(lw):
            for i in range(lw):
                cv.put(x + i, y + j, c)

    # body and header
    cv.rect(0, p(25), W, H, theme['rail'][1][1])
    head = vgrad(0, p(25), theme['head'])
    cv.rect(0, 0, W, p(25), lambda x, y: head(x, y) if shape(x, y) else MAGENTA)
    for x0 in (0, W - p(5)):
        cv.rect(x0, p(25), x0 + p(5), H - p(14), hgrad(x0, x0 + p(5), theme['rail']))
    cv.rect(0, H - p(14), W, H, vgrad(H - p(14), H, theme['foot']))
    # glossy upper half of the header
    cv.rect(0, 0, W, p(12), lambda x, y: (255, 255, 255, 0.18) if shape(x, y) else (0, 0, 0, 0))
    # outline along the stepped top, sides and bottom; inner highlight
    for x in range(W):
        top = cut_h if (x < cut_w or x >= W - cut_w) else 0
        for j in range(lw):
            cv.put(x, top + j, o)
            cv.put(x, H - 1 - j, o)
            if lw <= x < W - lw:
                cv.put(x, top + lw + j, theme['hi'])
                cv.put(x, H - 1 - lw - j, theme['shade'])
    for y in range(H):
        for i in range(lw):
            cv.put(i, max(y, cut_h), o)
            cv.put(W - 1 - i, max(y, cut_h), o)
    for y in range(cut_h + lw, H - lw):
        for i in range(lw):
            cv.put(lw + i, y, theme['hi'])
            cv.put(W - 1 - lw - i, y, theme['shade'])
    for y in range(0, cut_h + lw):       # the inner corners of the raised middle
        for i in range(lw):
            cv.put(cut_w + i, y, o)
            cv.put(W - cut_w - 1 - i, y, o)
            if lw <= y:
                cv.put(cut_w + lw + i, y, theme['hi'])
    dot(cut_w, cut_h, o)
    dot(W - cut_w - lw, cut_h, o)
    # text area, sunk by a 1-pixel line
    tx0, ty0, tx1, ty1 = p(4), p(25), W - p(4), H - p(15)
    cv.rect(tx0, ty0, tx1, ty1, theme['inset'])
    cv.rect(tx0 + lw, ty0 + lw, tx1 - lw, ty1 - lw,
            vgrad(ty0 + lw, ty1 - lw, [(0, (255, 255, 255)), (0.65, (255, 255, 255)), (1, theme['tint'])]))
    cv.rect(tx0 + lw, ty0 + lw, tx1 - lw, ty0 + 2 * lw, mix(theme['inset'], (255, 255, 255), 0.72))
    cv.rect(tx0 + lw, ty0 + 2 * lw, tx0 + 2 * lw, ty1 - lw, mix(theme['inset'], (255, 255, 255), 0.85))
    # bell at the top left
    draw_bell(cv, 14.0 * s, 6.5 * s, 14.0 * s, 16.5 * s, GOLD_BELL, (112, 66, 0), (96, 56, 0), ow=1.0 * s)
    # round close button in the top-right close box (20 x 20 at 100 %: x 161..180)
    cx, cy, r = W - 10.0 * s, 13.0 * s, 6.6 * s
    near = (cx - 9 * s, cy - 9 * s, cx + 9 * s, cy + 9 * s)
    cv.fill(circle(cx, cy + 0.6 * s, r + 0.6 * s), (0, 0, 0, 0.22), near)
    cv.fill(circle(cx, cy, r), theme['close_rim'], near)
    cv.fill(circle(cx, cy, r - s), vgrad(cy - r, cy + r, theme['close']), near)
    cv.fill(ellipse(cx, cy - 2.6 * s, 3.8 * s, 2.4 * s), (255, 255, 255, 0.45), near)
    draw_close_x(cv, cx, cy, 2.5 * s, theme['close_mark'], 1.7 * s)
    if sample:
        sample_text(cv, W, H)
    # the columns past the region repeat the last shown one
    for x in range(W, BW):
        for y in range(H):
            cv.put(x, y, tuple(cv.get(W - 1, y)))
    # restore exact magenta in the cut corners (anti-aliasing never reaches them,
    # but make the cut independent of drawing order)
    for y in range(H):
        for x in range(BW):
            xx = min(x, W - 1)
            if not shape(xx + 0.5, y + 0.5):
                cv.put(x, y, MAGENTA)
    return cv


def preview(skin, w, h, panel_h):
    """Settings-page picture of a skin: the popup in miniature on a light stage."""
    sw = skin.w - 1                        # drop the column outside the region
    src = Canvas(sw, skin.h)
    for y in range(skin.h):
        for x in range(sw):
            r, g, b, a = skin.get(x, y)
            if (int(round(r)), int(round(g)), int(round(b))) == MAGENTA:
                src.put(x, y, (0, 0, 0, 0))
            else:
                src.put(x, y, (r, g, b, 1.0))
    ph = panel_h
    pw = int(round(sw * ph / float(skin.h)))
    mini = downscale(src, pw, ph)
    cv = Canvas(w, h, (0, 0, 0))
    cv.rect(0, 0, w, h, vgrad(0, h, [(0, (250, 251, 253)), (1, (222, 227, 235))]))
    ox, oy = (w - pw) // 2, (h - ph) // 2
    # soft shadow
    for dy, dx, a in ((2, 2, 0.10), (1, 1, 0.16)):
        for y in range(ph):
            for x in range(pw):
                p = mini.get(x, y)
                if p[3] > 0:
                    cv.blend(ox + x + dx, oy + y + dy, (40, 50, 70), a * p[3])
    for y in range(ph):
        for x in range(pw):
            p = mini.get(x, y)
            if p[3] > 0:
                cv.blend(ox + x, oy + y, tuple(p[:3]), p[3])
    # thin frame so the stage reads as a picture on any dialog colour
    for x in range(w):
        cv.put(x, 0, (160, 164, 172))
        cv.put(x, h - 1, (160, 164, 172))
    for y in range(h):
        cv.put(0, y, (160, 164, 172))
        cv.put(w - 1, y, (160, 164, 172))
    return cv


def make_skins():
    gold = skin_gold()
    grey = skin_panel(GREY, 24, 5)
    blue = skin_panel(BLUE, 16, 4)
    rows = gold.rgb_rows()
    pal, idx = quantize(rows)
    write('skin1.bmp', bmp_file(197, 171, 8, idx, pal))
    write('skin2.bmp', bmp_file(181, 152, 24, grey.rgb_rows()))
    write('skin3.bmp', bmp_file(181, 152, 24, blue.rgb_rows()))
    p1 = preview(skin_gold(sample=True), 82, 55, 49)
    p2 = preview(skin_panel(GREY, 24, 5, sample=True), 67, 56, 48)
    p3 = preview(skin_panel(BLUE, 16, 4, sample=True), 67, 56, 48)
    write('preview1.bmp', bmp_file(82, 55, 24, p1.rgb_rows()))
    write('preview2.bmp', bmp_file(67, 56, 24, p2.rgb_rows()))
    write('preview3.bmp', bmp_file(67, 56, 24, p3.rgb_rows()))


# ---------------------------------------------------------------------------
# Pictures at 125, 150 and 200 %
#
# The 16-pixel pictures are pixel art at 100 %; at the larger sizes the same
# designs are drawn again from shapes in the 16-unit grid of the 100 % picture
# (rectangles snapped to whole pixels, strokes one line width wide, polygons
# and circles sampled at pixel centres), in the same 16 colours, so lines
# stay crisp instead of being stretched.
# ---------------------------------------------------------------------------

SCALES = (125, 150, 200)


def scaled_name(name, scale):
    base, ext = os.path.splitext(name)
    return '%s@%d%s' % (base, scale, ext)


def inset(pts, d):
    """A convex polygon moved inwards by d on every side."""
    n = len(pts)
    cx = sum(x for x, _ in pts) / float(n)
    cy = sum(y for _, y in pts) / float(n)
    lines = []
    for i in range(n):
        (ax, ay), (bx, by) = pts[i], pts[(i + 1) % n]
        dx, dy = bx - ax, by - ay
        ln = math.hypot(dx, dy)
        nx, ny = -dy / ln, dx / ln
        if (cx - ax) * nx + (cy - ay) * ny < 0:
            nx, ny = -nx, -ny
        lines.append((ax + nx * d, ay + ny * d, dx, dy))
    out = []
    for i in range(n):
        x1, y1, dx1, dy1 = lines[i - 1]
        x2, y2, dx2, dy2 = lines[i]
        den = dx1 * dy2 - dy1 * dx2
        t = ((x2 - x1) * dy2 - (y2 - y1) * dx2) / den
        out.append((x1 + t * dx1, y1 + t * dy1))
    return out


class Pen:
    """Draws a design laid out on the 16 x 16 grid of a 100 % picture at a
    larger scale, in the 16 palette colours (given by their grid letters) and
    without anti-aliasing."""

    def __init__(self, scale, units=16):
        self.s = scale / 100.0
        self.n = int(units * self.s + 0.5)
        self.lw = line_width(self.s)
        self.cv = Canvas(self.n, self.n)

    def p(self, v):
        return int(math.floor(v * self.s + 0.5))

    def rect(self, x0, y0, x1, y1, c):
        self.cv.rect(self.p(x0), self.p(y0), self.p(x1), self.p(y1), VGA[LETTER[c]])

    def hline(self, x0, x1, y, c):
        """The grid row y from x0 to x1: one line width high."""
        self.cv.rect(self.p(x0), self.p(y), self.p(x1), self.p(y) + self.lw, VGA[LETTER[c]])

    def vline(self, x, y0, y1, c):
        self.cv.rect(self.p(x), self.p(y0), self.p(x) + self.lw, self.p(y1), VGA[LETTER[c]])

    def frame(self, x0, y0, x1, y1, c):
        """A line-width border just inside the rectangle."""
        X0, Y0, X1, Y1, w, col = self.p(x0), self.p(y0), self.p(x1), self.p(y1), self.lw, VGA[LETTER[c]]
        self.cv.rect(X0, Y0, X1, Y0 + w, col)
        self.cv.rect(X0, Y1 - w, X1, Y1, col)
        self.cv.rect(X0, Y0, X0 + w, Y1, col)
        self.cv.rect(X1 - w, Y0, X1, Y1, col)

    def box(self, x0, y0, x1, y1, line, fill):
        self.rect(x0, y0, x1, y1, fill)
        self.frame(x0, y0, x1, y1, line)

    def shape(self, inside, c, dx=0.0, dy=0.0):
        """A predicate in grid units, moved by (dx, dy) pixels."""
        s = self.s
        self.cv.fill(lambda x, y: inside((x - dx) / s, (y - dy) / s), VGA[LETTER[c]], ss=1)

    def poly(self, pts, c, dx=0.0, dy=0.0):
        self.shape(poly(pts), c, dx, dy)

    def outlined(self, pts, line, fill):
        """A convex polygon with a border one line width wide."""
        self.poly(pts, line)
        self.poly(inset(pts, self.lw / self.s), fill)

    def stroke(self, pts, c):
        self.shape(polyline(pts, self.lw / self.s), c)

    def disc(self, cx, cy, r, c):
        self.shape(circle(cx, cy, r), c)

    def grid(self):
        return flat_from_canvas(self.cv)


def scaled_envelope(pen, ox, oy, line, flap, fill):
    """ENVELOPE_CLOSED: 14 x 10 with a V-shaped flap."""
    pen.box(ox, oy, ox + 14, oy + 10, line, fill)
    pen.stroke([(ox + 1.5, oy + 1.5), (ox + 7, oy + 6.5), (ox + 12.5, oy + 1.5)], flap)


def scaled_latest(pen):
    scaled_envelope(pen, 0, 6, 'K', 'o', 'Y')
    pen.disc(12.5, 3.5, 3.5, 'r')
    pen.disc(12.2, 3.2, 3.1, 'R')
    pen.disc(11.0, 2.0, 0.75, 'W')


def scaled_earlier(pen):
    scaled_envelope(pen, 1, 4, 'n', 'B', 'W')


def scaled_opened(pen):
    L, R = pen.p(1) / pen.s, pen.p(15) / pen.s
    pen.outlined([(L, 8.5), (8, 1.8), (R, 8.5)], 'd', 's')      # the open flap
    pen.box(4, 4, 12, 13, 'd', 'W')                               # the letter
    pen.hline(6, 10, 6, 'd')
    pen.hline(6, 10, 8, 'd')
    l, r, b, w = pen.p(1), pen.p(15), pen.p(15), pen.lw
    L, R = l / pen.s, r / pen.s                                   # the sides on whole pixels
    pen.poly([(L, 8), (4.5, 8), (8, 11.5), (11.5, 8), (R, 8), (R, 15), (L, 15)], 'W')
    pen.stroke([(1.5, 8.5), (4.5, 8.5), (8, 11.5), (11.5, 8.5), (14.5, 8.5)], 'd')
    grey = VGA[LETTER['d']]
    pen.cv.rect(l, pen.p(8), l + w, b, grey)
    pen.cv.rect(r - w, pen.p(8), r, b, grey)
    pen.cv.rect(l, b - w, r, b, grey)


def scaled_header(pen):
    pen.box(3, 4, 13, 12, 'd', 'W')
    pen.stroke([(4.5, 5.5), (8, 8.5), (11.5, 5.5)], 'd')


def scaled_trade_rows(pen):
    sh = pen.lw
    buy = union(rect(1, 3, 10, 6), poly([(9, 0.8), (14.2, 4.5), (9, 8.2)]))
    pen.shape(buy, 'r')
    pen.shape(buy, 'R', dy=-sh)                                   # a dark lower edge
    sell = union(rect(5, 11, 15, 14), poly([(7, 8.8), (1.8, 12.5), (7, 16.2)]))
    pen.shape(sell, 'G')
    pen.shape(sell, 'g', dy=sh)                                   # a light upper edge


def scaled_spare(pen):
    pen.disc(8, 8, 7.4, 'n')
    pen.disc(8, 8, 6.4, 'B')
    pen.rect(7, 3, 9, 5, 'W')
    pen.rect(7, 6, 9, 12, 'W')
    pen.rect(6, 11, 10, 12, 'W')


def scaled_bell(pen, cx, top, w, h, shine_x, shine_y0, shine_y1):
    s = pen.s
    draw_bell(pen.cv, cx * s, top * s, w * s, h * s, [(0, VGA[11]), (1, VGA[11])], VGA[3], VGA[0],
              ow=pen.lw, ss=1, shine=False)
    pen.vline(shine_x, shine_y0, shine_y1, 'W')


def scaled_tab_bell(pen):
    scaled_bell(pen, 8, 1, 14, 13.3, 5, 4, 7)


def scaled_candle(pen, x0, wick_top, body_top, body_bot, wick_bot, fill, shade):
    """One candlestick, its body three grid columns wide, shaded right and below."""
    X0, X1 = pen.p(x0), pen.p(x0 + 3)
    Y0, Y1 = pen.p(body_top), pen.p(body_bot + 1)
    wx = (X0 + X1 - pen.lw) // 2
    f, d = VGA[LETTER[fill]], VGA[LETTER[shade]]
    pen.cv.rect(wx, pen.p(wick_top), wx + pen.lw, pen.p(wick_bot + 1), d)
    pen.cv.rect(X0, Y0, X1, Y1, f)
    pen.cv.rect(X1 - pen.lw, Y0, X1, Y1, d)
    pen.cv.rect(X0, Y1 - pen.lw, X1, Y1, d)


def scaled_tab_candles(pen):
    for args in ((1, 7, 9, 13, 15, 'G', 'g'), (6, 3, 5, 11, 13, 'R', 'r'), (11, 0, 2, 8, 10, 'R', 'r')):
        scaled_candle(pen, *args)


def scaled_letter_a(pen, cx, top, bottom, left, right, stem, bar0, bar1, c):
    """A capital A: two slanted legs and a crossbar."""
    h = stem / 2.0
    outer = poly([(cx - h, top), (cx + h, top), (right, bottom), (left, bottom)])
    pen.poly([(cx - h, top), (cx + h, top), (left + stem, bottom), (left, bottom)], c)
    pen.poly([(cx - h, top), (cx + h, top), (right, bottom), (right - stem, bottom)], c)
    pen.shape(intersect(rect(left, bar0, right, bar1), outer), c)


def scaled_page_x(pen):
    pen.outlined([(2, 1), (10, 1), (13, 4), (13, 15), (2, 15)], 'd', 'W')
    pen.stroke([(9.5, 1.5), (9.5, 4.5), (12.5, 4.5)], 'd')        # the folded corner
    for x1, y in ((10, 6), (9, 8), (10, 10), (7, 12)):
        pen.hline(4, x1, y, 'n')
    cross = union(capsule(9.1, 9.1, 14.9, 14.9, 2.2), capsule(9.1, 14.9, 14.9, 9.1, 2.2))
    pen.shape(cross, 'r', dx=pen.lw, dy=pen.lw)
    pen.shape(cross, 'R')


def scaled_trash(pen):
    pen.stroke([(5.5, 3.2), (6.5, 1.5), (9.5, 1.5), (10.5, 3.2)], 'n')   # handle
    pen.box(3, 5, 13, 15, 'n', 'W')                                      # can
    for x in (5, 8, 11):
        pen.vline(x, 6, 14, 'd')
    pen.box(2, 3, 14, 6, 'n', 'W')                                       # lid
    pen.rect(12, 4, 13, 5, 'd')


def scaled_font_colour(pen):
    scaled_letter_a(pen, 8, 1, 12, 2, 14, 2, 7, 9, 'n')
    for x0, x1, c in ((1, 4, 'R'), (4, 7, 'Y'), (7, 10, 'G'), (10, 13, 'B'), (13, 15, 'p')):
        pen.rect(x0, 13, x1, 15, c)


def scaled_columns(pen):
    pen.rect(1, 2, 15, 14, 'W')
    pen.rect(1, 2, 15, 5, 'B')
    pen.rect(5, 5, 10, 14, 'Y')
    for y in (8, 11):
        pen.hline(1, 5, y, 'd')
        pen.hline(5, 10, y, 'o')
        pen.hline(10, 15, y, 'd')
    pen.hline(1, 15, 5, 'n')
    pen.vline(5, 2, 14, 'n')
    pen.vline(10, 2, 14, 'n')
    pen.frame(1, 2, 15, 14, 'n')


def scaled_gear(pen, cx, cy):
    teeth = union(*[capsule(cx + 4.0 * math.cos(a), cy + 4.0 * math.sin(a),
                            cx - 4.0 * math.cos(a), cy - 4.0 * math.sin(a), 1.7)
                    for a in (0, math.pi / 4, math.pi / 2, 3 * math.pi / 4)])
    pen.shape(union(teeth, circle(cx, cy, 3.3)), 'K')
    pen.disc(cx, cy, 3.3 - pen.lw / pen.s, 'd')
    pen.disc(cx, cy, 1.5, 'K')
    pen.disc(cx, cy, 1.5 - pen.lw / pen.s, 'W')


def scaled_small_bell(pen):
    scaled_bell(pen, 6.5, 0, 12, 11.1, 4, 3, 5)
    scaled_gear(pen, 11.5, 11.5)


def scaled_small_candles(pen):
    for args in ((0, 6, 7, 10, 11, 'G', 'g'), (4, 3, 4, 8, 9, 'R', 'r'), (9, 0, 1, 4, 5, 'R', 'r')):
        scaled_candle(pen, *args)
    scaled_gear(pen, 11.5, 11.5)


def scaled_font_larger(pen):
    scaled_letter_a(pen, 6, 4, 15, 0, 12, 2, 10, 12, 'K')
    pen.poly([(12.5, 0.8), (15.5, 4), (9.5, 4)], 'B')


def scaled_font_smaller(pen):
    scaled_letter_a(pen, 6, 7, 15, 1, 11, 1.6, 11, 12, 'K')
    pen.poly([(9.5, 1), (15.5, 1), (12.5, 4)], 'B')


def scaled_grid(draw, scale):
    pen = Pen(scale)
    draw(pen)
    return pen.grid()


def make_scaled_icons():
    for scale in SCALES:
        s = scale / 100.0
        big, small = int(32 * s + 0.5), int(16 * s + 0.5)
        images = [
            ico_image_4bit(flat_from_canvas(msgcenter_canvas(big, False))),
            ico_image_4bit(flat_from_canvas(msgcenter_canvas(small, False))),
            ico_image_32bit(msgcenter_canvas(big, True)),
            ico_image_32bit(msgcenter_canvas(small, True)),
        ]
        write(scaled_name('msgcenter.ico', scale), ico_file(images))
        for name, draw in (('row_latest.ico', scaled_latest), ('row_opened.ico', scaled_opened),
                           ('row_earlier.ico', scaled_earlier), ('row_header.ico', scaled_header),
                           ('row_trade.ico', scaled_trade_rows), ('row_spare.ico', scaled_spare),
                           ('tab_alert.ico', scaled_tab_bell), ('tab_trade.ico', scaled_tab_candles)):
            write(scaled_name(name, scale), ico_file([ico_image_4bit(scaled_grid(draw, scale))]))


def scaled_toolbar_strip(settings, scale):
    tiles = [scaled_grid(d, scale) for d in (scaled_page_x, scaled_trash, scaled_font_colour, scaled_columns,
                                             settings, scaled_font_larger, scaled_font_smaller)]
    rows = []
    for y in range(len(tiles[0])):
        row = []
        for t in tiles:
            row.extend(TOOLBAR_FACE if v is None else v for v in t[y])
        rows.append(row)
    return rows


def make_scaled_toolbars():
    for scale in SCALES:
        for name, settings in (('toolbar_alert.bmp', scaled_small_bell), ('toolbar_trade.bmp', scaled_small_candles)):
            rows = scaled_toolbar_strip(settings, scale)
            write(scaled_name(name, scale), bmp_file(len(rows[0]), len(rows), 4, rows, VGA))


def make_scaled_skins():
    for scale in SCALES:
        gold = skin_gold(scale=scale)
        pal, idx = quantize(gold.rgb_rows())
        write(scaled_name('skin1.bmp', scale), bmp_file(gold.w, gold.h, 8, idx, pal))
        for name, theme, cw, ch in (('skin2.bmp', GREY, 24, 5), ('skin3.bmp', BLUE, 16, 4)):
            cv = skin_panel(theme, cw, ch, scale=scale)
            write(scaled_name(name, scale), bmp_file(cv.w, cv.h, 24, cv.rgb_rows()))


ARTWORK = [  # resource id, file, what it is
    (129, 'msgcenter.ico', 'message centre'),
    (139, 'row_latest.ico', 'latest'),
    (140, 'row_opened.ico', 'opened'),
    (141, 'row_earlier.ico', 'earlier'),
    (142, 'row_header.ico', 'header'),
    (143, 'row_trade.ico', 'trade'),
    (144, 'row_spare.ico', 'notice'),
    (4003, 'tab_alert.ico', 'alert tab'),
    (4004, 'tab_trade.ico', 'trade tab'),
    (4001, 'toolbar_alert.bmp', 'alert toolbar'),
    (5027, 'toolbar_trade.bmp', 'trade toolbar'),
    (138, 'skin1.bmp', 'skin 1'),
    (5021, 'skin2.bmp', 'skin 2'),
    (5026, 'skin3.bmp', 'skin 3'),
    (5008, 'preview1.bmp', 'preview 1'),
    (5023, 'preview2.bmp', 'preview 2'),
    (5004, 'preview3.bmp', 'preview 3'),
]


def contact_sheet(out='contact-sheet.png'):
    """Optional: one PNG of every picture for reviewers (needs ImageMagick)."""
    import subprocess
    import tempfile
    font = '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'
    tmp = tempfile.mkdtemp()
    rows = {'icons': [], 'toolbars': [], 'skins': []}
    for rid, name, what in ARTWORK:
        src = os.path.join(HERE, name)
        if name.endswith('.ico'):
            n = 4 if name == 'msgcenter.ico' else 1
            for i in range(n):
                label = '%d %s' % (rid, what) if n == 1 else '%d %s' % (rid, ('32 4-bit', '16 4-bit', '32 ARGB', '16 ARGB')[i])
                dst = os.path.join(tmp, 'i%02d_%d.png' % (len(rows['icons']), i))
                subprocess.check_call(['convert', '%s[%d]' % (src, i), '-background', 'white', '-flatten',
                                       '-scale', '400%', '-set', 'label', label, dst])
                rows['icons'].append(dst)
        else:
            scale = '400%' if name.startswith('toolbar') else ('200%' if name.startswith('preview') else '100%')
            key = 'toolbars' if name.startswith('toolbar') else 'skins'
            dst = os.path.join(tmp, 'b%d.png' % rid)
            subprocess.check_call(['convert', src, '-scale', scale, '-set', 'label', '%d %s' % (rid, what), dst])
            rows[key].append(dst)
    # every picture drawn at more than 100 %: its scales side by side,
    # icons and toolbars at twice their size, skins as they are
    for rid, name, what in ARTWORK:
        if name.startswith('preview'):
            continue
        names = [name] + [scaled_name(name, sc) for sc in SCALES]
        if name.endswith('.ico'):
            srcs = ['%s[%d]' % (os.path.join(HERE, n), 2 if name == 'msgcenter.ico' else 0) for n in names]
            key, zoom = 'scaled_icons', '200%'
        else:
            srcs = [os.path.join(HERE, n) for n in names]
            key, zoom = ('scaled_toolbars', '200%') if name.startswith('toolbar') else ('scaled_skins', '100%')
        dst = os.path.join(tmp, 's%d.png' % rid)
        cmd = ['convert', '-background', 'white']
        for src in srcs:
            cmd += ['(', src, '+repage', '-flatten', '-scale', zoom, '+repage', ')']
        cmd += (['-gravity', 'east', '-splice', '8x0', '-gravity', 'south', '+append'] if key != 'scaled_toolbars'
                else ['-gravity', 'south', '-splice', '0x8', '-gravity', 'west', '-append'])
        cmd += ['+repage',
                '-set', 'label', '%d %s at 100, 125, 150, 200 %%' % (rid, what), dst]
        subprocess.check_call(cmd)
        rows.setdefault(key, []).append(dst)
    parts = []
    for key, tile in (('icons', '12x1'), ('toolbars', '1x2'), ('skins', '6x1'), ('scaled_icons', '3x'),
                      ('scaled_toolbars', '2x1'), ('scaled_skins', '1x')):
        part = os.path.join(tmp, 'row_%s.png' % key)
        subprocess.check_call(['montage', '-font', font, '-pointsize', '10'] + rows[key] +
                              ['-tile', tile, '-geometry', '+6+6', '-background', 'white', part])
        parts.append(part)
    subprocess.check_call(['convert'] + parts + ['-background', 'white', '-gravity', 'west', '-append',
                                                 '+repage', '-strip', '-colors', '256',
                                                 'PNG8:' + os.path.join(HERE, out)])


def main():
    import sys
    make_icons()
    make_toolbars()
    make_skins()
    make_scaled_icons()
    make_scaled_toolbars()
    make_scaled_skins()
    if '--contact-sheet' in sys.argv[1:]:
        contact_sheet()


if __name__ == '__main__':
    main()
