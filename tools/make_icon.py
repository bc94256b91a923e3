#!/usr/bin/python3
"""Draws the Trevanil icon and writes it as Windows icon resources.

The artwork: a cardboard box (the components), a progress bar under it and a
green check badge over its corner (installed). Every image is drawn from the
same vector shapes, anti-aliased by supersampling; the smallest sizes leave
out the details that would only turn into noise.

Output, in res/icon/ (the resource script embeds these files as they are):
  30001.bin            256 x 256, 32 bpp, PNG
  30002-30008.bin      64, 48, 40, 32, 24, 20, 16 px, 32 bpp DIB with alpha
  30009-30015.bin      the same sizes, 8 bpp DIB (palette + AND mask)
  group.bin            the icon group directory (GRPICONDIR) that lists them
and docs/icon.png, a preview sheet of all fifteen images.

Standard library only: python3 tools/make_icon.py
"""

import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ICON_DIR = os.path.join(ROOT, "res", "icon")
PREVIEW = os.path.join(ROOT, "docs", "icon.png")

FIRST_ID = 30001
SMALL_SIZES = (64, 48, 40, 32, 24, 20, 16)


# ---------------------------------------------------------------- shapes
# Shapes live in unit coordinates (0..1, y down). Each one answers whether a
# point is inside and gives a bounding box, so the canvas only samples where
# the shape can be.

class Polygon:
    def __init__(self, points):
        self.points = points
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def inside(self, x, y):
        result = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result


class Circle:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r2 = cx, cy, r * r
        self.box = (cx - r, cy - r, cx + r, cy + r)

    def inside(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        return dx * dx + dy * dy <= self.r2


class Stroke:
    """A polyline drawn with a round pen."""

    def __init__(self, points, width):
        self.segments = list(zip(points, points[1:]))
        self.h2 = (width / 2) ** 2
        h = width / 2
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.box = (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h)

    def inside(self, x, y):
        for (ax, ay), (bx, by) in self.segments:
            vx, vy = bx - ax, by - ay
            t = ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)
            t = 0.0 if t < 0 else 1.0 if t > 1 else t
            dx, dy = x - (ax + t * vx), y - (ay + t * vy)
            if dx * dx + dy * dy <= self.h2:
                return True
        return False


class RoundRect:
    def __init__(self, x0, y0, x1, y1, r):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1
        self.r = min(r, (x1 - x0) / 2, (y1 - y0) / 2)
        self.box = (x0, y0, x1, y1)

    def inside(self, x, y):
        if x < self.x0 or x > self.x1 or y < self.y0 or y > self.y1:
            return False
        r = self.r
        cx = min(max(x, self.x0 + r), self.x1 - r)
        cy = min(max(y, self.y0 + r), self.y1 - r)
        dx, dy = x - cx, y - cy
        return dx * dx + dy * dy <= r * r


# ---------------------------------------------------------------- canvas

class Canvas:
    """Premultiplied RGBA in floats, one list per channel."""

    def __init__(self, size, samples):
        self.size = size
        self.samples = samples
        n = size * size
        self.r = [0.0] * n
        self.g = [0.0] * n
        self.b = [0.0] * n
        self.a = [0.0] * n

    def fill(self, shape, color):
        """Paints shape with color: (r, g, b) in 0..1, or a function of (x, y)."""
        n, s = self.size, self.samples
        x0, y0, x1, y1 = shape.box
        px0, py0 = max(0, int(x0 * n)), max(0, int(y0 * n))
        px1, py1 = min(n, int(x1 * n) + 1), min(n, int(y1 * n) + 1)
        offsets = [(k + 0.5) / s for k in range(s)]
        inside = shape.inside
        for py in range(py0, py1):
            for px in range(px0, px1):
                hits = 0
                for oy in offsets:
                    y = (py + oy) / n
                    for ox in offsets:
                        if inside((px + ox) / n, y):
                            hits += 1
                if not hits:
                    continue
                cover = hits / (s * s)
                cr, cg, cb = color((px + 0.5) / n, (py + 0.5) / n) if callable(color) else color
                i = py * n + px
                keep = 1.0 - cover
                self.r[i] = cr * cover + self.r[i] * keep
                self.g[i] = cg * cover + self.g[i] * keep
                self.b[i] = cb * cover + self.b[i] * keep
                self.a[i] = cover + self.a[i] * keep

    def rgba(self):
        """Straight (not premultiplied) 8-bit RGBA rows, top to bottom."""
        rows = []
        n = self.size
        for py in range(n):
            row = []
            for px in range(n):
                i = py * n + px
                a = self.a[i]
                if a <= 0.0:
                    row.append((0, 0, 0, 0))
                    continue
                row.append((to_byte(self.r[i] / a), to_byte(self.g[i] / a),
                            to_byte(self.b[i] / a), to_byte(a)))
            rows.append(row)
        return rows


def to_byte(v):
    return max(0, min(255, int(round(v * 255))))


def hex_color(h):
    return tuple(int(h[i:i + 2], 16) / 255 for i in (1, 3, 5))


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def vertical(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, (y - y0) / (y1 - y0))


# ---------------------------------------------------------------- artwork

OUTLINE = hex_color("#6b4418")
TOP_LIGHT, TOP_DARK = hex_color("#f7d79a"), hex_color("#ecbc6a")
LEFT_LIGHT, LEFT_DARK = hex_color("#e2a44e"), hex_color("#c98a36")
RIGHT_LIGHT, RIGHT_DARK = hex_color("#c07a2a"), hex_color("#a86820")
TAPE, TAPE_SHADE = hex_color("#fbe8c0"), hex_color("#dcb47a")
TRACK, TRACK_EDGE = hex_color("#e6eaef"), hex_color("#59636e")
FILL_LIGHT, FILL_DARK = hex_color("#4aa3ff"), hex_color("#1f6fd1")
GREEN_LIGHT, GREEN_DARK = hex_color("#3fcf6a"), hex_color("#1f9a45")
WHITE = (1.0, 1.0, 1.0)


def draw(size, samples):
    c = Canvas(size, samples)
    small = size <= 24  # no tape
    tiny = size <= 20   # no progress bar either; box and badge grow instead
    # Thin lines must stay at least about a pixel wide at every size.
    px = 1.0 / size
    line = max(0.022, 0.9 * px)

    # The box: an isometric cube, top face and two side faces, drawn in a
    # 0.68 x 0.62 frame that is scaled and moved into place.
    k, ox, oy = (1.2, 0.02, 0.02) if tiny else (1.0, 0.06, 0.06)
    at = lambda x, y: (ox + k * x, oy + k * y)
    top, right, front, left = at(0.34, 0.0), at(0.68, 0.16), at(0.34, 0.32), at(0.0, 0.16)
    drop = lambda p: (p[0], p[1] + k * 0.30)
    top_face = [top, right, front, left]
    left_face = [left, front, drop(front), drop(left)]
    right_face = [front, right, drop(right), drop(front)]
    silhouette = [top, right, drop(right), drop(front), drop(left), left]
    y_top, y_edge, y_bottom = top[1], left[1], drop(front)[1]

    # Outline first, as a slightly larger silhouette, then the faces inside.
    c.fill(Stroke(silhouette + [top], 2 * line), OUTLINE)
    c.fill(Polygon(silhouette), OUTLINE)
    c.fill(Polygon(top_face), vertical(TOP_LIGHT, TOP_DARK, y_top, front[1]))
    c.fill(Polygon(left_face), vertical(LEFT_LIGHT, LEFT_DARK, y_edge, y_bottom))
    c.fill(Polygon(right_face), vertical(RIGHT_LIGHT, RIGHT_DARK, y_edge, y_bottom))
    if not small:
        # Packing tape across the lid and over its edge down the right face.
        on_tl = lambda t: (top[0] + t * (left[0] - top[0]), top[1] + t * (left[1] - top[1]))
        on_rf = lambda t: (right[0] + t * (front[0] - right[0]), right[1] + t * (front[1] - right[1]))
        down = lambda p: (p[0], p[1] + 0.09)
        c.fill(Polygon([on_tl(0.40), on_rf(0.40), on_rf(0.60), on_tl(0.60)]), TAPE)
        c.fill(Polygon([on_rf(0.40), on_rf(0.60), down(on_rf(0.60)), down(on_rf(0.40))]), TAPE_SHADE)
    # Inner edges, so the faces stay apart at small sizes.
    c.fill(Stroke([left, front, right], line), OUTLINE)
    c.fill(Stroke([front, drop(front)], line), OUTLINE)

    if not tiny:
        # The progress bar: a track with a blue fill under the box; it runs
        # on under the badge.
        bar_y0, bar_y1 = (0.78, 0.92) if not small else (0.76, 0.94)
        bar_r = (bar_y1 - bar_y0) / 2
        c.fill(RoundRect(0.04, bar_y0, 0.74, bar_y1, bar_r), TRACK_EDGE)
        c.fill(RoundRect(0.04 + line, bar_y0 + line, 0.74 - line, bar_y1 - line, bar_r - line), TRACK)
        c.fill(RoundRect(0.04 + line, bar_y0 + line, 0.52, bar_y1 - line, bar_r - line),
               vertical(FILL_LIGHT, FILL_DARK, bar_y0, bar_y1))

    # The badge: a green disc in a white ring with a white check.
    ring = max(0.035, 1.0 * px)
    if tiny:
        r = 0.25
        cx = cy = 1.0 - r - ring
    else:
        cx, cy, r = (0.73, 0.66, 0.235) if not small else (0.72, 0.64, 0.27)
    c.fill(Circle(cx, cy, r + ring), WHITE)
    c.fill(Circle(cx, cy, r), vertical(GREEN_LIGHT, GREEN_DARK, cy - r, cy + r))
    check = [(cx - 0.52 * r, cy + 0.02 * r), (cx - 0.14 * r, cy + 0.40 * r), (cx + 0.50 * r, cy - 0.36 * r)]
    c.fill(Stroke(check, max(0.26 * r, 1.6 * px)), WHITE)
    return c.rgba()


# ---------------------------------------------------------------- formats

def png(rows):
    """An RGBA PNG of the given rows."""
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for pixel in row:
            raw.extend(pixel)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def opaque(pixel):
    return pixel[3] >= 128


def and_mask(rows):
    """1 bpp, bottom-up, rows padded to 32 bits; a set bit is a transparent pixel."""
    width = len(rows[0])
    stride = (width + 31) // 32 * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            if not opaque(pixel):
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def bitmap_header(size, bits, image_bytes):
    # Icon DIBs give the height of colour image and mask together.
    return struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, image_bytes, 0, 0, 0, 0)


def dib32(rows):
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask = and_mask(rows)
    return bitmap_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def median_cut(colors, count):
    """Up to count representative colours of a {colour: pixels} histogram."""
    boxes = [list(colors.items())]
    while len(boxes) < count:
        best, best_score, best_channel = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                values = [c[ch] for c, _ in box]
                spread = max(values) - min(values)
                weight = sum(n for _, n in box)
                score = spread * weight
                if score > best_score:
                    best, best_score, best_channel = i, score, ch
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda item: item[0][best_channel])
        total = sum(n for _, n in box)
        running, cut = 0, 1
        for k, (_, n) in enumerate(box):
            running += n
            if running * 2 >= total:
                cut = min(max(k + 1, 1), len(box) - 1)
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[ch] * n for c, n in box) / total)) for ch in range(3)))
    return palette


def dib8(rows):
    """8 bpp: a palette of the opaque colours (entry 0 is black, the colour under
    transparent pixels) and an AND mask; partly transparent edge pixels become
    opaque or transparent at half coverage."""
    size = len(rows)
    histogram = {}
    for row in rows:
        for pixel in row:
            if opaque(pixel):
                histogram[pixel[:3]] = histogram.get(pixel[:3], 0) + 1
    palette = [(0, 0, 0)] + median_cut(histogram, 255)
    palette += [(0, 0, 0)] * (256 - len(palette))
    nearest = {}
    for colour in histogram:
        nearest[colour] = min(range(1, 256), key=lambda k: sum((a - b) ** 2 for a, b in zip(colour, palette[k])))
    stride = (size + 3) // 4 * 4
    xor = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            line[x] = nearest[pixel[:3]] if opaque(pixel) else 0
        xor += line
    mask = and_mask(rows)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return bitmap_header(size, 8, len(xor) + len(mask)) + table + bytes(xor) + mask


def group_directory(entries):
    """GRPICONDIR: one 14-byte GRPICONDIRENTRY per image, in resource id order."""
    out = struct.pack("<HHH", 0, 1, len(entries))
    for res_id, size, bits, data in entries:
        side = 0 if size >= 256 else size  # 0 stands for 256
        out += struct.pack("<BBBBHHIH", side, side, 0, 0, 1, bits, len(data), res_id)
    return out


def dib_pixels(data):
    """Reads back a DIB of ours as straight RGBA rows, for the preview."""
    _, width, height2, _, bits = struct.unpack_from("<IiiHH", data)
    size = height2 // 2
    offset = 40
    palette = None
    if bits == 8:
        palette = [data[offset + 4 * k: offset + 4 * k + 3] for k in range(256)]
        offset += 1024
    stride = (size * bits // 8 + 3) // 4 * 4
    mask_stride = (size + 31) // 32 * 4
    mask_offset = offset + stride * size
    rows = []
    for y in range(size):
        src = size - 1 - y
        row = []
        for x in range(size):
            clear = data[mask_offset + src * mask_stride + x // 8] & (0x80 >> (x % 8))
            if bits == 32:
                b, g, r, a = data[offset + src * stride + 4 * x: offset + src * stride + 4 * x + 4]
            else:
                b, g, r = palette[data[offset + src * stride + x]]
                a = 0 if clear else 255
            row.append((r, g, b, a))
        rows.append(row)
    return rows


def preview(big, smalls32, smalls8):
    """The 256 px image on the left, the 32 bpp and 8 bpp sizes in two rows on the right."""
    margin, gap = 16, 10
    row_width = sum(len(r) for r in smalls32) + gap * (len(smalls32) - 1)
    width = margin + 256 + 2 * margin + row_width + margin
    height = margin + 256 + margin
    back = (243, 244, 246)
    sheet = [[back] * width for _ in range(height)]

    def paste(rows, left, top):
        for y, row in enumerate(rows):
            for x, (r, g, b, a) in enumerate(row):
                br, bg, bb = sheet[top + y][left + x]
                t = a / 255
                sheet[top + y][left + x] = (round(r * t + br * (1 - t)), round(g * t + bg * (1 - t)),
                                            round(b * t + bb * (1 - t)))

    paste(big, margin, margin)
    for line, images in ((0, smalls32), (1, smalls8)):
        left = margin + 256 + 2 * margin
        base = margin + 64 + line * 112 + 24  # bottoms line up
        for rows in images:
            paste(rows, left, base - len(rows))
            left += len(rows) + gap
    return png([[p + (255,) for p in row] for row in sheet])


def main():
    os.makedirs(ICON_DIR, exist_ok=True)
    big = draw(256, 4)
    entries = [(FIRST_ID, 256, 32, png(big))]
    drawn = {size: draw(size, 8) for size in SMALL_SIZES}
    for size in SMALL_SIZES:
        entries.append((FIRST_ID + len(entries), size, 32, dib32(drawn[size])))
    for size in SMALL_SIZES:
        entries.append((FIRST_ID + len(entries), size, 8, dib8(drawn[size])))

    for res_id, _, _, data in entries:
        with open(os.path.join(ICON_DIR, "%d.bin" % res_id), "wb") as f:
            f.write(data)
    with open(os.path.join(ICON_DIR, "group.bin"), "wb") as f:
        f.write(group_directory(entries))

    smalls32 = [dib_pixels(data) for _, _, bits, data in entries[1:] if bits == 32]
    smalls8 = [dib_pixels(data) for _, _, bits, data in entries[1:] if bits == 8]
    os.makedirs(os.path.dirname(PREVIEW), exist_ok=True)
    with open(PREVIEW, "wb") as f:
        f.write(preview(big, smalls32, smalls8))
    for res_id, size, bits, data in entries:
        print("%d  %3d px  %2d bpp  %6d bytes" % (res_id, size, bits, len(data)))


if __name__ == "__main__":
    main()
