"""Checks the committed window pictures and the generator that draws them.

The files are decoded here with independent readers (PNG, ICO, CUR), so a
fault in the generator's writers shows up as a mismatch rather than being
read back by the same code that wrote it.

Run: python3 -m unittest discover -s window/images   (or pytest window/images)
"""

import os
import struct
import sys
import unittest
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import generate  # noqa: E402


# --------------------------------------------------------------------------
# Readers
# --------------------------------------------------------------------------

def read_png(data):
    """Returns (width, height, rows of RGBA tuples) for an 8-bit RGBA PNG."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0]
        assert zlib.crc32(kind + body) & 0xFFFFFFFF == crc, "bad CRC in %r" % kind
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour_type, _, _, interlace = header
    assert (depth, colour_type, interlace) == (8, 6, 0), "only 8-bit RGBA"
    raw = zlib.decompress(idat)
    stride = width * 4
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        rows.append([tuple(line[x * 4:x * 4 + 4]) for x in range(width)])
        prev = line
    return width, height, rows


def read_icon_dir(data):
    """Returns (kind, [directory entry dicts]) for an ICO or CUR file."""
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    assert reserved == 0
    entries = []
    for i in range(count):
        w, h, colours, res, a, b, size, offset = struct.unpack(
            "<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
        entries.append(dict(width=w or 256, height=h or 256, colours=colours,
                            reserved=res, field_a=a, field_b=b,
                            blob=data[offset:offset + size], size=size,
                            offset=offset))
    return kind, entries


def read_dib(blob):
    """Decodes an icon bitmap into (header dict, rows of RGBA tuples).

    Pixels whose AND bit is set come out with alpha 0; for 32 bpp images the
    stored alpha is kept for the others.
    """
    (hsize, width, height2, planes, bits, compression, image_size,
     _, _, used, _) = struct.unpack("<IiiHHIIiiII", blob[:40])
    assert hsize == 40 and compression == 0
    height = height2 // 2
    pos = 40
    palette = []
    if bits <= 8:
        n = used or (1 << bits)
        for i in range(n):
            b, g, r, _ = blob[pos + 4 * i:pos + 4 * i + 4]
            palette.append((r, g, b))
        pos += 4 * n
    stride = ((width * bits + 31) // 32) * 4
    xor = blob[pos:pos + stride * height]
    mask_stride = ((width + 31) // 32) * 4
    mask = blob[pos + stride * height:pos + stride * height + mask_stride * height]
    assert len(mask) == mask_stride * height, "AND mask truncated"
    rows = []
    for y in range(height):
        src = (height - 1 - y)
        line, mline = xor[src * stride:(src + 1) * stride], mask[src * mask_stride:]
        row = []
        for x in range(width):
            if bits == 32:
                b, g, r, a = line[4 * x:4 * x + 4]
                rgba = (r, g, b, a)
            else:
                per = 8 // bits
                byte = line[x // per]
                shift = 8 - bits * (x % per + 1)
                rgba = palette[(byte >> shift) & ((1 << bits) - 1)] + (255,)
            if mline[x >> 3] & (0x80 >> (x & 7)):
                rgba = rgba[:3] + (0,)
            row.append(rgba)
        rows.append(row)
    header = dict(width=width, height=height, planes=planes, bits=bits,
                  image_size=image_size, palette=palette,
                  payload=len(xor) + len(mask))
    return header, rows


def load(name):
    with open(os.path.join(HERE, name), "rb") as f:
        return f.read()


def near(rgb, target, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(rgb, target))


def bbox(rows, predicate):
    pts = [(x, y) for y, row in enumerate(rows) for x, p in enumerate(row)
           if predicate(p)]
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    return min(xs), min(ys), max(xs), max(ys)


def is_glyph(p):
    return min(p[:3]) >= 200


# --------------------------------------------------------------------------
# Title-bar buttons
# --------------------------------------------------------------------------

class ButtonTest(unittest.TestCase):
    # (file, width, glyph box width, glyph box height)
    CASES = [
        ("maximize.png", 37, 10, 8),
        ("minimize.png", 37, 8, 2),
        ("close.png", 38, 9, 9),
        ("restore.png", 37, 11, 9),
    ]

    def test_frame_face_and_centred_glyph(self):
        for name, width, gw, gh in self.CASES:
            with self.subTest(name):
                w, h, rows = read_png(load(name))
                self.assertEqual((w, h), (width, 21))
                for y in range(h):
                    for x in range(w):
                        ring = min(x, y, w - 1 - x, h - 1 - y)
                        p = rows[y][x]
                        self.assertEqual(p[3], 255, (x, y))
                        if ring == 0:
                            self.assertTrue(max(p[:3]) < 40, (x, y, p))
                        elif ring == 1:
                            self.assertTrue(near(p, (142, 143, 147), 12), (x, y, p))
                        elif ring == 2:  # the glyphs keep clear of the frame
                            self.assertTrue(near(p, (66, 67, 71), 8), (x, y, p))
                x0, y0, x1, y1 = bbox(rows, is_glyph)
                # The close cross is smoothed, so its faint rim may widen it.
                slack = 1 if name == "close.png" else 0
                self.assertLessEqual(abs((x1 - x0 + 1) - gw), slack)
                self.assertLessEqual(abs((y1 - y0 + 1) - gh), slack)
                # Centred: equal margins, give or take the odd pixel.
                self.assertLessEqual(abs(x0 - (w - 1 - x1)), 1)
                self.assertLessEqual(abs(y0 - (h - 1 - y1)), 1)

    def test_maximize_is_a_two_pixel_outline(self):
        _, _, rows = read_png(load("maximize.png"))
        x0, y0, x1, y1 = bbox(rows, is_glyph)
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                on_line = min(x - x0, x1 - x, y - y0, y1 - y) < 2
                self.assertEqual(is_glyph(rows[y][x]), on_line, (x, y))

    def test_minimize_is_a_solid_bar(self):
        _, _, rows = read_png(load("minimize.png"))
        x0, y0, x1, y1 = bbox(rows, is_glyph)
        self.assertTrue(all(is_glyph(rows[y][x]) for y in range(y0, y1 + 1)
                            for x in range(x0, x1 + 1)))

    def test_close_is_a_symmetric_cross(self):
        w, h, rows = read_png(load("close.png"))
        x0, y0, x1, y1 = bbox(rows, is_glyph)
        for y in range(h):
            for x in range(w):
                mirror = rows[y][w - 1 - x]
                self.assertTrue(near(rows[y][x], mirror, 2), (x, y))
        # Bright at the four arms' ends and where they cross, dark between.
        cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
        for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1), (cx, cy)):
            self.assertTrue(sum(rows[y][x][:3]) > 3 * 150, (x, y))
        for x, y in ((cx, y0), (cx, y1), (x0, cy), (x1, cy)):
            self.assertTrue(near(rows[y][x], (66, 67, 71), 8), (x, y))

    def test_restore_front_window_hides_rear_one(self):
        _, _, rows = read_png(load("restore.png"))
        x0, y0, x1, y1 = bbox(rows, is_glyph)
        shift = 3
        # Front window: bottom-left part of the box; rear: top-right part.
        front = (x0, y0 + shift, x1 - shift, y1)
        rear = (x0 + shift, y0, x1, y1 - shift)
        fx0, fy0, fx1, fy1 = front
        for y in range(fy0, fy1 + 1):
            for x in range(fx0, fx1 + 1):
                border = (y - fy0 < 2 or fy1 - y < 1 or x - fx0 < 1 or fx1 - x < 1)
                self.assertEqual(is_glyph(rows[y][x]), border, (x, y))
        rx0, ry0, rx1, ry1 = rear
        for y in range(ry0, ry1 + 1):
            for x in range(rx0, rx1 + 1):
                if fx0 <= x <= fx1 and fy0 <= y <= fy1:
                    continue
                border = (y - ry0 < 2 or ry1 - y < 1 or x - rx0 < 1 or rx1 - x < 1)
                self.assertEqual(is_glyph(rows[y][x]), border, (x, y))


# --------------------------------------------------------------------------
# Plaques
# --------------------------------------------------------------------------

def is_ink(p):
    return p[3] == 255 and p[0] < 120 and p[1] < 80 and p[2] < 50


class PlaqueTest(unittest.TestCase):
    NAMES = ["plaque_service.png", "plaque_topup.png", "plaque_site.png"]

    def test_shape_colour_and_words(self):
        words = {}
        for name in self.NAMES:
            with self.subTest(name):
                w, h, rows = read_png(load(name))
                self.assertEqual((w, h), (163, 44))
                for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1),
                             (0, h // 2), (w - 1, h // 2)):  # corners and notches
                    self.assertEqual(rows[y][x][3], 0, (x, y))
                # Golden-orange body: sample a column clear of words and ornaments.
                for y in range(10, 34):
                    r, g, b, a = rows[y][40]
                    self.assertEqual(a, 255)
                    self.assertTrue(r > 200 and r > g > b and g > 120, (y, rows[y][40]))
                # Dark brown border at the top and bottom edges of the body.
                self.assertTrue(any(is_ink(rows[y][w // 2]) for y in range(0, 5)))
                self.assertTrue(any(is_ink(rows[y][w // 2]) for y in range(h - 5, h)))
                # Words: dark ink in the middle band, 16-20 px tall, centred.
                middle = [row[45:118] for row in rows[6:38]]
                x0, y0, x1, y1 = bbox(middle, is_ink)
                self.assertTrue(16 <= y1 - y0 + 1 <= 20, (y0, y1))
                self.assertGreater(x1 - x0 + 1, 55)
                self.assertLessEqual(abs((45 + x0) - (w - 1 - (45 + x1))), 3)
                words[name] = [[is_ink(p) for p in row] for row in middle]
        self.assertEqual(len({str(v) for v in words.values()}), len(self.NAMES))


# --------------------------------------------------------------------------
# Portrait and its icon
# --------------------------------------------------------------------------

def is_pink(p):
    return p[0] > 230 and p[0] > p[1] + 10 and p[2] > p[1] and p[1] > 190


def is_hair(p):
    return max(p[:3]) < 110


def check_portrait(test, rows, size):
    test.assertTrue(all(p[3] == 255 for row in rows for p in row))
    for x, y in ((0, 0), (size - 1, 0), (0, size // 2), (size - 1, size // 2)):
        test.assertTrue(is_pink(rows[y][x]), (size, x, y, rows[y][x]))
    # Dark hair across the top middle, a lighter face below it, and clothes
    # along the bottom edge.
    test.assertTrue(is_hair(rows[size // 5][size // 2]), size)
    face = rows[int(size * 0.57)][size // 2]
    test.assertTrue(face[0] > 200 and face[0] > face[2], (size, face))
    test.assertFalse(is_pink(rows[size - 1][size // 2]), size)
    # Left-right symmetry, allowing small differences from the hair shine.
    diffs = [sum(abs(a - b) for a, b in zip(row[x][:3], row[size - 1 - x][:3]))
             for row in rows for x in range(size)]
    test.assertLess(sum(d > 60 for d in diffs), size * size // 20, size)


class PortraitTest(unittest.TestCase):
    def test_png(self):
        w, h, rows = read_png(load("portrait.png"))
        self.assertEqual((w, h), (20, 20))
        check_portrait(self, rows, 20)

    def test_icon_has_paletted_and_true_colour_images_of_each_size(self):
        data = load("portrait.ico")
        kind, entries = read_icon_dir(data)
        self.assertEqual(kind, 1)
        found = {}
        end = 6 + 16 * len(entries)
        for e in sorted(entries, key=lambda e: e["offset"]):
            self.assertEqual(e["offset"], end, "entries must not overlap or gap")
            end += e["size"]
            header, rows = read_dib(e["blob"])
            self.assertEqual((header["width"], header["height"]),
                             (e["width"], e["height"]))
            self.assertEqual(header["payload"] + 40 + 4 * len(header["palette"]),
                             e["size"])
            self.assertEqual(header["image_size"], header["payload"])
            self.assertEqual((e["field_a"], e["field_b"]), (1, header["bits"]))
            self.assertEqual(e["colours"], 0)
            if header["bits"] == 8:
                self.assertEqual(len(header["palette"]), 256)
            check_portrait(self, rows, e["width"])
            found[(e["width"], header["bits"])] = rows
        self.assertEqual(end, len(data))
        self.assertEqual(sorted(found), [(s, b) for s in (16, 32, 48) for b in (8, 32)])
        # The 256-colour image is a faithful reduction of the true-colour one.
        for size in (16, 32, 48):
            deep, paletted = found[(size, 32)], found[(size, 8)]
            err = max(abs(a - b) for r1, r2 in zip(deep, paletted)
                      for p, q in zip(r1, r2) for a, b in zip(p, q))
            self.assertLessEqual(err, 24, size)


# --------------------------------------------------------------------------
# Hand cursor
# --------------------------------------------------------------------------

class CursorTest(unittest.TestCase):
    def setUp(self):
        kind, entries = read_icon_dir(load("hand.cur"))
        self.assertEqual((kind, len(entries)), (2, 1))
        self.entry = entries[0]
        self.header, self.rows = read_dib(self.entry["blob"])

    def test_directory_and_format(self):
        e = self.entry
        self.assertEqual((e["width"], e["height"]), (32, 32))
        self.assertEqual((e["field_a"], e["field_b"]), (6, 0))  # hot spot
        self.assertEqual((self.header["width"], self.header["height"],
                          self.header["bits"]), (32, 32, 1))
        self.assertEqual(self.header["palette"], [(0, 0, 0), (255, 255, 255)])

    def test_fingertip_at_hot_spot(self):
        rows = self.rows
        self.assertEqual(rows[0][6], (0, 0, 0, 255))
        self.assertEqual(rows[1][6], (255, 255, 255, 255))
        self.assertEqual(bbox(rows, lambda p: p[3])[1], 0)
        # Only the fingertip touches the top row: it is the topmost point.
        self.assertTrue(all(rows[0][x][3] == 0 for x in range(32) if abs(x - 6) > 1))

    def test_white_hand_inside_a_closed_black_outline(self):
        rows = self.rows
        visible = set()
        for y in range(32):
            for x in range(32):
                p = rows[y][x]
                self.assertIn(p, ((0, 0, 0, 255), (255, 255, 255, 255), (0, 0, 0, 0)))
                if p[3]:
                    visible.add((x, y))
                if p == (255, 255, 255, 255):
                    for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                        self.assertTrue(0 <= nx < 32 and 0 <= ny < 32)
                        self.assertEqual(rows[ny][nx][3], 255, (x, y, nx, ny))
        white = sum(p[0] == 255 and p[3] for row in rows for p in row)
        self.assertGreater(white, 120)
        # The hand is one piece (8-connected).
        seen, todo = set(), [(6, 0)]
        while todo:
            x, y = todo.pop()
            if (x, y) in seen or (x, y) not in visible:
                continue
            seen.add((x, y))
            todo += [(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)]
        self.assertEqual(seen, visible)


# --------------------------------------------------------------------------
# Generator
# --------------------------------------------------------------------------

class GeneratorTest(unittest.TestCase):
    def test_committed_files_match_the_generator(self):
        for name, build in generate.BUILDERS.items():
            with self.subTest(name):
                if name in generate.NEEDS_FONT and not generate.can_draw_words():
                    self.skipTest("convert or the WenQuanYi font is not installed")
                self.assertEqual(build(), load(name),
                                 "run python3 window/images/generate.py")

    def test_png_writer_round_trips(self):
        c = generate.Canvas(5, 3)
        for i in range(15):
            c.px[i] = (i * 17, 255 - i * 13, (i * 91) % 256, (i * 40) % 256)
        w, h, rows = read_png(generate.png_bytes(c))
        self.assertEqual((w, h), (5, 3))
        self.assertEqual([p for row in rows for p in row], c.px)

    def test_paletted_icon_image_keeps_colours_and_transparency(self):
        # (description, canvas builder, largest channel error allowed)
        def few():
            c = generate.Canvas(7, 5, (10, 20, 30, 255))
            c.rect(2, 1, 3, 2, (200, 100, 50, 255))
            c.set(0, 0, (0, 0, 0, 0))
            return c

        def many():
            c = generate.Canvas(64, 64)
            c.px = [(x * 4, y * 4, (x * y) % 256, 255) for y in range(64)
                    for x in range(64)]
            c.set(63, 63, (0, 0, 0, 0))
            return c

        for label, build, tolerance in (("exact", few, 0), ("reduced", many, 48)):
            with self.subTest(label):
                c = build()
                header, rows = read_dib(generate.dib_8(c))
                self.assertLessEqual(len(set(header["palette"])), 256)
                for y in range(c.height):
                    for x in range(c.width):
                        want, got = c.get(x, y), rows[y][x]
                        self.assertEqual(got[3] == 0, want[3] < 128, (x, y))
                        if want[3] >= 128:
                            self.assertTrue(near(got, want, tolerance),
                                            (x, y, want, got))


if __name__ == "__main__":
    unittest.main()
