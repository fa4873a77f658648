#!/usr/bin/env python3
"""Draws the program icon and the five toolbar icons and writes them as .ico
files (32-bit colour with alpha plus the 1-bit mask) into resources/icons/.
Each size is drawn from the shapes at that size, never scaled from another:
the toolbar takes 16, 24, 32 or 48 pixels as the screen's DPI asks.

The toolbar's icons are written packed (.icz, the format model/unpack.h
describes), at about a sixth of their size; the program unpacks the one it
shows. The program icon stays a plain icon: Windows itself shows it.

Run it again after changing a drawing; the generated files are kept in the
repository so that the build needs nothing but the resource compiler.
Standard library only.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "icons")
SUPERSAMPLE = 4


# --- shapes: each returns True when the point (in 0..1 icon units) is inside

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in, a_from=None, a_to=None):
    """A ring, optionally only between two angles (degrees, 0 = east, counter-clockwise)."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not (r_in * r_in <= d2 <= r_out * r_out):
            return False
        if a_from is None:
            return True
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360
        lo, hi = a_from % 360, a_to % 360
        return lo <= a <= hi if lo <= hi else (a >= lo or a <= hi)
    return inside


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def capsule(x0, y0, x1, y1, r):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= r * r
    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                hit = not hit
        return hit
    return inside


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


# --- paints: a colour or a vertical gradient

def solid(r, g, b, a=255):
    return lambda x, y: (r, g, b, a)


def vgradient(top, bottom, y0=0.0, y1=1.0):
    def paint(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3)) + (255,)
    return paint


def render(layers, size):
    """layers: list of (shape, paint), painted in order. Returns rows of RGBA tuples."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    c = [0.0, 0.0, 0.0, 0.0]
                    for shape, paint in layers:
                        if shape(x, y):
                            r, g, b, a = paint(x, y)
                            a /= 255.0
                            c = [r * a + c[0] * (1 - a), g * a + c[1] * (1 - a),
                                 b * a + c[2] * (1 - a), a + c[3] * (1 - a)]
                    for i in range(4):
                        acc[i] += c[i]
            acc = [v / (n * n) for v in acc]
            alpha = acc[3]
            if alpha > 0:
                pixel = tuple(int(round(acc[i] / alpha)) for i in range(3)) + (int(round(alpha * 255)),)
            else:
                pixel = (0, 0, 0, 0)
            row.append(pixel)
        rows.append(row)
    return rows


def ico_image(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def pack(data):
    """The format of model/unpack.h; greedy, with the longest of recent matches."""
    out = bytearray(len(data).to_bytes(4, "little"))

    def length(n):
        while n >= 255:
            out.append(255)
            n -= 255
        out.append(n)

    def sequence(literals, copy, distance):
        out.append(min(len(literals), 15) << 4 | (min(copy - 4, 15) if copy else 0))
        if len(literals) >= 15:
            length(len(literals) - 15)
        out.extend(literals)
        if copy:
            out.extend(distance.to_bytes(2, "little"))
            if copy - 4 >= 15:
                length(copy - 4 - 15)

    seen = {}  # 4-byte string -> the places it starts, oldest first
    start = at = 0
    while at < len(data):
        best, distance = 0, 0
        for earlier in reversed(seen.get(bytes(data[at:at + 4]), [])[-64:]):
            if at - earlier > 65535:
                break
            n = 0
            while at + n < len(data) and data[earlier + n] == data[at + n]:
                n += 1
            if n > best:
                best, distance = n, at - earlier
        step = best if best >= 4 else 1
        for k in range(at, at + step):
            seen.setdefault(bytes(data[k:k + 4]), []).append(k)
        if best >= 4:
            sequence(data[start:at], best, distance)
            start = at + best
        at += step
    if start < len(data) or not data:
        sequence(data[start:], 0, 0)
    return bytes(out)


def write_ico(name, layers, sizes, packed=False):
    images = [ico_image(render(layers, s)) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    if packed:
        name, out = os.path.splitext(name)[0] + ".icz", pack(out)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(out)


# --- the drawings

BOLT_POINTS = [(0.58, 0.06), (0.22, 0.56), (0.46, 0.56), (0.36, 0.94), (0.80, 0.40),
               (0.55, 0.40), (0.70, 0.06)]
BOLT = polygon(BOLT_POINTS)


def bolt_outline(points, grow):
    cx = sum(p[0] for p in points) / len(points)
    cy = sum(p[1] for p in points) / len(points)
    return polygon([(cx + (x - cx) * grow, cy + (y - cy) * grow) for x, y in points])


PROGRAM = [
    (circle(0.5, 0.5, 0.46), solid(20, 50, 120)),
    (circle(0.5, 0.5, 0.43), vgradient((90, 170, 240), (20, 80, 170))),
    (ring(0.5, 0.5, 0.43, 0.40), solid(200, 230, 255, 120)),
    (minus(ellipse(0.5, 0.5, 0.20, 0.43), ellipse(0.5, 0.5, 0.17, 0.40)), solid(200, 230, 255, 140)),
    (rect(0.08, 0.485, 0.92, 0.515), solid(200, 230, 255, 140)),
    (minus(ellipse(0.5, 0.30, 0.36, 0.05), ellipse(0.5, 0.30, 0.34, 0.03)), solid(200, 230, 255, 110)),
    (minus(ellipse(0.5, 0.70, 0.36, 0.05), ellipse(0.5, 0.70, 0.34, 0.03)), solid(200, 230, 255, 110)),
    (bolt_outline(BOLT_POINTS, 1.12), solid(120, 60, 0)),
    (BOLT, vgradient((255, 240, 120), (250, 160, 20))),
]

OPTIMIZE = [
    (bolt_outline(BOLT_POINTS, 1.14), solid(40, 110, 20)),
    (BOLT, vgradient((190, 250, 120), (40, 170, 30))),
]

RESTORE = [
    (ring(0.5, 0.54, 0.38, 0.24, 120, 400), solid(20, 70, 150)),
    (ring(0.5, 0.54, 0.35, 0.27, 122, 398), vgradient((110, 180, 250), (30, 100, 200))),
    (polygon([(0.04, 0.30), (0.42, 0.30), (0.20, 0.62)]), solid(20, 70, 150)),
    (polygon([(0.10, 0.33), (0.36, 0.33), (0.20, 0.55)]), solid(70, 150, 240)),
]

VIEW = [
    (capsule(0.60, 0.60, 0.88, 0.88, 0.10), solid(90, 50, 20)),
    (capsule(0.60, 0.60, 0.86, 0.86, 0.07), vgradient((190, 120, 60), (120, 70, 30))),
    (circle(0.40, 0.40, 0.33), solid(60, 60, 70)),
    (circle(0.40, 0.40, 0.27), vgradient((230, 245, 255), (150, 200, 240))),
    (ring(0.40, 0.40, 0.22, 0.17, 100, 170), solid(255, 255, 255, 200)),
]

HELP = [
    (circle(0.5, 0.5, 0.46), solid(20, 60, 140)),
    (circle(0.5, 0.5, 0.42), vgradient((100, 170, 245), (30, 90, 190))),
    (ring(0.5, 0.36, 0.19, 0.09, -90, 200), solid(255, 255, 255)),
    (rect(0.45, 0.50, 0.55, 0.64), solid(255, 255, 255)),
    (circle(0.5, 0.77, 0.065), solid(255, 255, 255)),
]

EXIT = [
    (circle(0.5, 0.5, 0.46), solid(120, 10, 10)),
    (circle(0.5, 0.5, 0.42), vgradient((250, 110, 100), (190, 20, 20))),
    (capsule(0.32, 0.32, 0.68, 0.68, 0.07), solid(255, 255, 255)),
    (capsule(0.68, 0.32, 0.32, 0.68, 0.07), solid(255, 255, 255)),
]


# The sizes the toolbar picks from (win32/toolbar.h, kToolIconSizes).
TOOLBAR_SIZES = [16, 24, 32, 48]


def main():
    os.makedirs(OUT, exist_ok=True)
    write_ico("InternetZelvora.ico", PROGRAM, [16, 24, 32, 48])
    for name, layers in (("Optimize.ico", OPTIMIZE), ("Restore.ico", RESTORE),
                         ("View.ico", VIEW), ("Help.ico", HELP), ("Exit.ico", EXIT)):
        write_ico(name, layers, TOOLBAR_SIZES, packed=True)


if __name__ == "__main__":
    main()
