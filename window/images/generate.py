#!/usr/bin/env python3
"""Draws every picture the Varnok window uses and writes it next to this file.

Everything is drawn here in plain Python: PNG files are written with zlib and
struct, the ICO and CUR files are assembled by hand.  The only outside tool is
ImageMagick's convert, used solely to rasterise the Chinese words on the
plaques with the WenQuanYi Zen Hei font.

Run from anywhere:  python3 window/images/generate.py
The output is deterministic, so regenerating leaves unchanged files unchanged.
"""

import math
import os
import struct
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = "/usr/bin/convert"
FONT = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"


# --------------------------------------------------------------------------
# Canvas and file writers
# --------------------------------------------------------------------------

class Canvas:
    """A width x height grid of straight (non-premultiplied) RGBA tuples."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.px = [fill] * (width * height)

    def get(self, x, y):
        return self.px[y * self.width + x]

    def set(self, x, y, rgba):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y * self.width + x] = rgba

    def rect(self, x, y, w, h, rgba):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.set(xx, yy, rgba)

    def blend(self, x, y, rgb, coverage):
        """Paints rgb over the pixel with the given coverage (0..1)."""
        if coverage <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        coverage = min(coverage, 1.0)
        r0, g0, b0, a0 = self.get(x, y)
        a0 /= 255.0
        a = coverage + a0 * (1.0 - coverage)
        if a <= 0:
            return
        mix = [(c * coverage + c0 * a0 * (1.0 - coverage)) / a
               for c, c0 in zip(rgb, (r0, g0, b0))]
        self.set(x, y, tuple(int(round(v)) for v in mix) + (int(round(a * 255)),))


def png_bytes(canvas):
    """Encodes a canvas as an 8-bit RGBA PNG (no ancillary chunks)."""
    raw = bytearray()
    for y in range(canvas.height):
        raw.append(0)  # filter type: none
        for x in range(canvas.width):
            raw.extend(canvas.get(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(
            ">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def _row_stride(bits_per_row):
    return ((bits_per_row + 31) // 32) * 4


def _and_mask(canvas):
    """1 bpp mask rows, bottom-up: a set bit leaves the screen pixel alone."""
    stride = _row_stride(canvas.width)
    out = bytearray()
    for y in reversed(range(canvas.height)):
        row = bytearray(stride)
        for x in range(canvas.width):
            if canvas.get(x, y)[3] < 128:
                row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


def _bmp_header(width, height, bits, image_size, colours):
    # BITMAPINFOHEADER; the height counts the colour image and the mask.
    return struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0,
                       image_size, 0, 0, colours, 0)


def dib_32(canvas):
    """A 32 bpp BGRA icon image followed by its AND mask."""
    pixels = bytearray()
    for y in reversed(range(canvas.height)):
        for x in range(canvas.width):
            r, g, b, a = canvas.get(x, y)
            pixels += bytes((b, g, r, a))
    mask = _and_mask(canvas)
    return _bmp_header(canvas.width, canvas.height, 32,
                       len(pixels) + len(mask), 0) + bytes(pixels) + mask


def dib_8(canvas):
    """A 256-colour paletted icon image followed by its AND mask."""
    palette, index_of = quantise(canvas, 256)
    stride = _row_stride(canvas.width * 8)
    pixels = bytearray()
    for y in reversed(range(canvas.height)):
        row = bytearray(stride)
        for x in range(canvas.width):
            row[x] = index_of[canvas.get(x, y)[:3]]
        pixels += row
    table = bytearray()
    for r, g, b in palette + [(0, 0, 0)] * (256 - len(palette)):
        table += bytes((b, g, r, 0))
    mask = _and_mask(canvas)
    return (_bmp_header(canvas.width, canvas.height, 8, len(pixels) + len(mask),
                        256) + bytes(table) + bytes(pixels) + mask)


def icon_file(kind, entries):
    """Assembles an ICO (kind 1) or CUR (kind 2) file.

    entries: (width, height, colour_count, field_a, field_b, dib) where the two
    fields are planes and bit count for an icon, hot spot x and y for a cursor.
    """
    out = bytearray(struct.pack("<HHH", 0, kind, len(entries)))
    offset = 6 + 16 * len(entries)
    for width, height, colours, field_a, field_b, dib in entries:
        out += struct.pack("<BBBBHHII", width % 256, height % 256, colours, 0,
                           field_a, field_b, len(dib), offset)
        offset += len(dib)
    for entry in entries:
        out += entry[5]
    return bytes(out)


# --------------------------------------------------------------------------
# Colour reduction for the 256-colour icon images
# --------------------------------------------------------------------------

def quantise(canvas, limit):
    """Returns (palette, map from rgb to palette index) with <= limit colours.

    Uses the exact colours when they fit, otherwise a median cut over the
    pixel population.  Ties are broken by sorting, so the result is stable.
    """
    counts = {}
    for r, g, b, _ in canvas.px:
        counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
    colours = sorted(counts)
    if len(colours) <= limit:
        return colours, {c: i for i, c in enumerate(colours)}

    boxes = [colours]
    while len(boxes) < limit:
        # Split the box with the widest channel range (weighted by pixels).
        best, best_score, best_axis = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                values = [c[axis] for c in box]
                score = (max(values) - min(values)) * sum(counts[c] for c in box)
                if score > best_score:
                    best, best_score, best_axis = i, score, axis
        if best is None:
            break
        box = sorted(boxes[best], key=lambda c: (c[best_axis], c))
        total = sum(counts[c] for c in box)
        running, cut = 0, 1
        for j, c in enumerate(box[:-1]):
            running += counts[c]
            if running * 2 >= total:
                cut = j + 1
                break
        boxes[best:best + 1] = [box[:cut], box[cut:]]

    palette, index_of = [], {}
    for box in boxes:
        weight = sum(counts[c] for c in box)
        mean = tuple(int(round(sum(c[k] * counts[c] for c in box) / weight))
                     for k in range(3))
        for c in box:
            index_of[c] = len(palette)
        palette.append(mean)
    return palette, index_of


# --------------------------------------------------------------------------
# Title-bar buttons
# --------------------------------------------------------------------------

EDGE = (24, 24, 27, 255)
FRAME = (142, 143, 147, 255)
FACE = (66, 67, 71, 255)
GLYPH = (238, 238, 240, 255)


def button(width, height=21):
    """Face with a light grey frame inside a near-black edge."""
    c = Canvas(width, height, EDGE)
    c.rect(1, 1, width - 2, height - 2, FRAME)
    c.rect(2, 2, width - 4, height - 4, FACE)
    return c


def window_outline(c, x, y, w, h, top, side, skip=None):
    """A window glyph: a thicker title edge on top, thinner sides and bottom.

    skip(x, y) may hide pixels that lie behind another glyph.
    """
    for yy in range(y, y + h):
        for xx in range(x, x + w):
            edge = (yy < y + top or yy >= y + h - side or
                    xx < x + side or xx >= x + w - side)
            if edge and not (skip and skip(xx, yy)):
                c.set(xx, yy, GLYPH)


def maximize_button():
    c = button(37)
    w, h = 10, 8
    window_outline(c, (c.width - w) // 2, (c.height - h) // 2, w, h, 2, 2)
    return c


def minimize_button():
    c = button(37)
    w, h = 8, 2
    c.rect((c.width - w) // 2, (c.height - h) // 2, w, h, GLYPH)
    return c


def _segment_distance(x, y, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(x - (ax + t * vx), y - (ay + t * vy))


def close_button():
    c = button(38)
    # Two smoothed diagonals spanning 9x9 pixels around the face's centre
    # (which falls between two columns on this even-width button).
    cx, cy = c.width / 2.0, c.height / 2.0
    half, thickness, samples = 4.5 - 0.8, 1.6, 5
    ends = ((cx - half, cy - half, cx + half, cy + half),
            (cx - half, cy + half, cx + half, cy - half))
    for py in range(c.height):
        for px in range(c.width):
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = px + (sx + 0.5) / samples
                    y = py + (sy + 0.5) / samples
                    if any(_segment_distance(x, y, *e) <= thickness / 2
                           for e in ends):
                        hits += 1
            if hits:
                c.blend(px, py, GLYPH[:3], hits / samples ** 2)
    return c


def restore_button():
    c = button(37)
    w, h, shift = 8, 6, 3
    fx = (c.width - (w + shift)) // 2
    fy = (c.height - (h + shift)) // 2 + shift
    rx, ry = fx + shift, fy - shift

    def behind_front(x, y):
        return fx <= x < fx + w and fy <= y < fy + h

    window_outline(c, rx, ry, w, h, 2, 1, skip=behind_front)
    window_outline(c, fx, fy, w, h, 2, 1)
    return c


# --------------------------------------------------------------------------
# Plaques with Chinese words
# --------------------------------------------------------------------------

PLAQUE_W, PLAQUE_H = 163, 44
BROWN = (74, 36, 12)
GOLD_TOP = (255, 214, 110)
GOLD_BOTTOM = (226, 134, 28)
GOLD_LIGHT = (255, 236, 170)


def _lerp(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def _plaque_distance(x, y):
    """Signed distance to the plaque outline: a capsule with a notch at each end."""
    cy = PLAQUE_H / 2.0
    radius = 18.5
    left, right = 2.0 + radius, PLAQUE_W - 2.0 - radius
    nx = min(max(x, left), right)
    capsule = math.hypot(x - nx, y - cy) - radius
    notch_r = 6.5
    notch = min(math.hypot(x - 0.0, y - cy), math.hypot(x - PLAQUE_W, y - cy)) - notch_r
    return max(capsule, -notch)


def _diamond_distance(x, y, cx, cy, half):
    return (abs(x - cx) + abs(y - cy) - half) / math.sqrt(2.0)


def _coverage(d):
    return min(max(0.5 - d, 0.0), 1.0)


def render_words(text, pixel_size):
    """Rasterises text with convert and returns (width, height, alpha rows) cropped to the ink."""
    if not can_draw_words():
        sys.exit("generate.py: the plaques need %s (imagemagick) and %s "
                 "(fonts-wqy-zenhei)" % (CONVERT, FONT))
    cw, ch = 240, 80
    raw = subprocess.run(
        [CONVERT, "-size", "%dx%d" % (cw, ch), "xc:black", "-font", FONT,
         "-pointsize", str(pixel_size), "-density", "72", "-fill", "white",
         "-stroke", "white", "-strokewidth", "0.6",
         "-gravity", "center", "-annotate", "+0+0", text, "-depth", "8",
         "gray:-"],
        check=True, capture_output=True).stdout
    if len(raw) != cw * ch:
        sys.exit("generate.py: unexpected output from convert")
    rows = [raw[y * cw:(y + 1) * cw] for y in range(ch)]
    ys = [y for y in range(ch) if any(rows[y])]
    xs = [x for x in range(cw) if any(rows[y][x] for y in ys)]
    x0, x1, y0, y1 = xs[0], xs[-1] + 1, ys[0], ys[-1] + 1
    return x1 - x0, y1 - y0, [rows[y][x0:x1] for y in range(y0, y1)]


def plaque(text):
    c = Canvas(PLAQUE_W, PLAQUE_H)
    cy = PLAQUE_H / 2.0
    ornaments = (19.0, PLAQUE_W - 19.0)
    samples = 4
    offsets = [(i + 0.5) / samples for i in range(samples)]
    for py in range(PLAQUE_H):
        for px in range(PLAQUE_W):
            acc = [0.0, 0.0, 0.0]
            alpha = 0.0
            for oy in offsets:
                for ox in offsets:
                    x, y = px + ox, py + oy
                    d = _plaque_distance(x, y)
                    if d > 0:
                        continue
                    depth = -d
                    if depth < 2.0:            # outer border
                        col = BROWN
                    elif depth < 3.0:          # bright bevel inside it
                        col = GOLD_LIGHT
                    elif 5.0 <= depth < 6.0:   # thin inner rule
                        col = _lerp(BROWN, GOLD_BOTTOM, 0.35)
                    else:
                        t = (y - 4.0) / (PLAQUE_H - 8.0)
                        col = _lerp(GOLD_TOP, GOLD_BOTTOM, min(max(t, 0.0), 1.0))
                        # A soft sheen across the upper third.
                        sheen = max(0.0, 1.0 - abs(y - 12.0) / 6.0) * 0.25
                        col = _lerp(col, (255, 250, 225), sheen)
                    for ox_c in ornaments:
                        dd = _diamond_distance(x, y, ox_c, cy, 7.0)
                        if dd <= 0:
                            inner = _diamond_distance(x, y, ox_c, cy, 3.5)
                            col = GOLD_LIGHT if inner <= 0 else BROWN
                    acc = [a + v for a, v in zip(acc, col)]
                    alpha += 1.0
            if alpha:
                rgb = tuple(int(round(a / alpha)) for a in acc)
                a = int(round(255 * alpha / (samples * samples)))
                c.set(px, py, rgb + (a,))

    # A small dot on the inner side of each diamond completes the ornament.
    for dot_x in (ornaments[0] + 10.5, ornaments[1] - 10.5):
        for yy in range(PLAQUE_H):
            for xx in range(PLAQUE_W):
                d = math.hypot(xx + 0.5 - dot_x, yy + 0.5 - cy) - 1.6
                c.blend(xx, yy, BROWN, _coverage(d))

    w, h, ink = render_words(text, 18)
    x0 = (PLAQUE_W - w) // 2
    y0 = (PLAQUE_H - h) // 2
    # A light one-pixel offset under the words reads as an engraving.
    for layer, (dx, dy), rgb in ((0, (0, 1), GOLD_LIGHT), (1, (0, 0), BROWN)):
        for y in range(h):
            for x in range(w):
                v = ink[y][x]
                if v:
                    c.blend(x0 + x + dx, y0 + y + dy, rgb,
                            v / 255.0 * (0.7 if layer == 0 else 1.0))
    return c


# --------------------------------------------------------------------------
# Portrait, drawn from a resolution-independent description
# --------------------------------------------------------------------------

PINK = (250, 222, 228)
SKIN = (252, 219, 196)
HAIR = (38, 30, 40)
HAIR_SHINE = (84, 70, 96)
COAT = (150, 38, 52)
COLLAR = (246, 240, 232)
EYE = (30, 22, 30)
MOUTH = (214, 96, 104)
BLUSH = (247, 176, 178)


def _in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def portrait_colour(x, y, size):
    """Colour of the point (x, y) in unit coordinates, for a picture of size px.

    At small sizes the tiny features are hinted: their centres snap to pixel
    centres, they get a floor in pixels, and details that would only smear
    (blush, the wavy fringe) are left out.
    """
    px = 1.0 / size
    small = size < 24

    def snap(v):
        return (math.floor(v * size) + 0.5) / size if small else v

    eye_rx = max(0.028, 0.5 * px)
    eye_ry = max(0.045, 0.7 * px)
    eye_y = snap(0.51)
    eyes = (snap(0.42), 1.0 - snap(0.42))  # mirrored, so they stay symmetric

    col = PINK
    # Shoulders and coat, with a white collar at the neckline.
    in_coat = _in_ellipse(x, y, 0.5, 1.08, 0.47, 0.30)
    if in_coat:
        col = COAT
        if _in_ellipse(x, y, 0.5, 0.80, 0.13, 0.08) and y > 0.78:
            col = COLLAR
    # Neck.
    if abs(x - 0.5) < 0.075 and 0.62 < y < 0.82 and not (in_coat and y > 0.80):
        col = SKIN
    # Hair behind the head, falling to the shoulders.
    if _in_ellipse(x, y, 0.5, 0.44, 0.31, 0.35) and y < 0.74:
        col = HAIR
    # Face.
    if _in_ellipse(x, y, 0.5, 0.50, 0.205, 0.235):
        col = SKIN
        if not small and (_in_ellipse(x, y, 0.39, 0.59, 0.045, 0.025) or
                          _in_ellipse(x, y, 0.61, 0.59, 0.045, 0.025)):
            col = BLUSH
        if any(_in_ellipse(x, y, ex, eye_y, eye_rx, eye_ry) for ex in eyes):
            col = EYE
        if _in_ellipse(x, y, 0.5, snap(0.645), max(0.035, 0.5 * px),
                       max(0.014, 0.4 * px)):
            col = MOUTH
    # Fringe: the top of the hair cap with a wavy lower edge over the brow.
    if _in_ellipse(x, y, 0.5, 0.37, 0.255, 0.215):
        wave = 0.0 if small else 0.035
        fringe_edge = 0.39 + wave * math.cos((x - 0.5) * 2 * math.pi / 0.17)
        if y < fringe_edge:
            col = HAIR
            if _in_ellipse(x, y, 0.40, 0.24, 0.07, 0.025):
                col = HAIR_SHINE
    return col


def portrait(size, samples=6):
    c = Canvas(size, size)
    for py in range(size):
        for px in range(size):
            acc = [0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    col = portrait_colour((px + (sx + 0.5) / samples) / size,
                                          (py + (sy + 0.5) / samples) / size, size)
                    acc[0] += col[0]
                    acc[1] += col[1]
                    acc[2] += col[2]
            n = samples * samples
            c.set(px, py, tuple(int(round(v / n)) for v in acc) + (255,))
    return c


def portrait_icon():
    entries = []
    for size in (48, 32, 16):
        img = portrait(size)
        entries.append((size, size, 0, 1, 32, dib_32(img)))
        entries.append((size, size, 0, 1, 8, dib_8(img)))
    return icon_file(1, entries)


# --------------------------------------------------------------------------
# Hand cursor
# --------------------------------------------------------------------------

# White interior of the hand, one (first, last) column span list per row from
# the top.  The black outline is every transparent pixel that touches the
# interior on a side, so gaps between spans become the lines between fingers.
HAND_SPANS = [
    [],                                      # 0: outline of the fingertip
    [(5, 7)],                                # 1-6: the raised index finger
    [(5, 7)],
    [(5, 7)],
    [(5, 7)],
    [(5, 7)],
    [(5, 7)],
    [(5, 7), (9, 10)],                       # 7-11: curled fingers start
    [(5, 7), (9, 10), (12, 13)],
    [(5, 7), (9, 10), (12, 13), (15, 16)],
    [(1, 2), (5, 7), (9, 10), (12, 13), (15, 16)],  # 10: thumb tip
    [(1, 3), (5, 7), (9, 10), (12, 13), (15, 16)],
    [(2, 3), (5, 16)],
    [(2, 16)],                               # 13-20: palm
    [(3, 16)],
    [(3, 16)],
    [(4, 16)],
    [(4, 15)],
    [(5, 15)],
    [(5, 14)],
    [(6, 14)],
    [],                                      # 21: line between wrist and cuff
    [(5, 15)],                               # 22-24: sleeve cuff
    [(5, 15)],
    [(5, 15)],
]
HAND_HOTSPOT = (6, 0)


def hand_pixels():
    """32x32 grid of 'w' (white), 'b' (black outline) and '.' (transparent)."""
    grid = [["."] * 32 for _ in range(32)]
    for y, spans in enumerate(HAND_SPANS):
        for first, last in spans:
            for x in range(first, last + 1):
                grid[y][x] = "w"
    for y in range(32):
        for x in range(32):
            if grid[y][x] != ".":
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < 32 and 0 <= ny < 32 and grid[ny][nx] == "w":
                    grid[y][x] = "b"
                    break
    return grid


def hand_cursor():
    grid = hand_pixels()
    xor_rows, and_rows = bytearray(), bytearray()
    for y in reversed(range(32)):
        xor_row, and_row = bytearray(4), bytearray(4)
        for x in range(32):
            bit = 0x80 >> (x & 7)
            if grid[y][x] == "w":
                xor_row[x >> 3] |= bit
            elif grid[y][x] == ".":
                and_row[x >> 3] |= bit
        xor_rows += xor_row
        and_rows += and_row
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    dib = (_bmp_header(32, 32, 1, len(xor_rows) + len(and_rows), 2) + palette +
           bytes(xor_rows) + bytes(and_rows))
    return icon_file(2, [(32, 32, 2, HAND_HOTSPOT[0], HAND_HOTSPOT[1], dib)])


# --------------------------------------------------------------------------

# Name -> function returning the file's bytes.  Plaques need convert and the
# font; everything else is drawn without outside help.
BUILDERS = {
    "maximize.png": lambda: png_bytes(maximize_button()),
    "minimize.png": lambda: png_bytes(minimize_button()),
    "close.png": lambda: png_bytes(close_button()),
    "restore.png": lambda: png_bytes(restore_button()),
    "plaque_service.png": lambda: png_bytes(plaque("客服中心")),
    "plaque_topup.png": lambda: png_bytes(plaque("充值中心")),
    "plaque_site.png": lambda: png_bytes(plaque("进入官网")),
    "portrait.png": lambda: png_bytes(portrait(20)),
    "portrait.ico": portrait_icon,
    "hand.cur": hand_cursor,
}
NEEDS_FONT = {"plaque_service.png", "plaque_topup.png", "plaque_site.png"}


def can_draw_words():
    return os.path.exists(CONVERT) and os.path.exists(FONT)


def main():
    for name, build in BUILDERS.items():
        data = build()
        path = os.path.join(HERE, name)
        try:
            with open(path, "rb") as f:
                if f.read() == data:
                    continue
        except FileNotFoundError:
            pass
        with open(path, "wb") as f:
            f.write(data)
        print("wrote", name)


if __name__ == "__main__":
    main()
