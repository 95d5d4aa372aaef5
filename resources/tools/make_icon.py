#!/usr/bin/env python3
"""Draws the application icon: two crossed tools, a hammer with a green shaft and an axe
with a gold shaft, both with grey metal heads. Writes a 32 x 32 XPM with two characters
per pixel and 221 opaque colours plus one transparent entry, or, with --png, the same
drawing at the sizes a desktop's icon theme expects, as PNGs with soft edges.

Usage: make_icon.py > resources/appicon.xpm
       make_icon.py --png resources/icons
           (writes resources/icons/hicolor/NxN/apps/org.smeltwork.Admin.png)
"""
import math
import os
import struct
import sys
import zlib

SIZE, SS = 32, 4  # pixels of the design, supersampling per axis
PNG_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ICON_NAME = "org.smeltwork.Admin"


def seg_dist(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    cx, cy = ax + t * vx, ay + t * vy
    return math.hypot(px - cx, py - cy), t


def box_local(px, py, cx, cy, angle):
    c, s = math.cos(angle), math.sin(angle)
    dx, dy = px - cx, py - cy
    return dx * c + dy * s, -dx * s + dy * c


def shade(rgb, k):
    return tuple(max(0.0, min(255.0, v * k)) for v in rgb)


def mix(a, b, t):
    return tuple(a[i] * (1 - t) + b[i] * t for i in range(3))


OUTLINE = (28, 24, 20)


def shaft(px, py, a, b, half, base):
    d, t = seg_dist(px, py, *a, *b, )
    if d > half:
        return None
    # Round shaft lit from the upper left: bright along one edge, dark along the other.
    vx, vy = b[0] - a[0], b[1] - a[1]
    n = (-(vy), vx)
    ln = math.hypot(*n)
    side = ((px - a[0]) * n[0] + (py - a[1]) * n[1]) / ln / half
    k = 1.25 - 0.55 * (side + 1) / 2 + 0.15 * math.sin(t * 9)  # grain
    col = shade(base, k)
    if d > half - 0.55:
        col = mix(col, OUTLINE, 0.8)
    return col


def head(px, py, centre, angle, half_len, half_w, kind):
    u, v = box_local(px, py, centre[0], centre[1], angle)
    if kind == "hammer":
        inside = abs(u) <= half_len and abs(v) <= half_w
        edge = min(half_len - abs(u), half_w - abs(v))
    else:  # axe: blade flares towards u > 0
        w = half_w * (0.7 + 0.9 * max(0.0, u) / half_len)
        inside = -half_len * 0.5 <= u <= half_len and abs(v) <= w
        edge = min(half_len - u, u + half_len * 0.5, w - abs(v))
    if not inside:
        return None
    steel = (150, 156, 166)
    k = 1.3 - 0.5 * (v + half_w) / (2 * half_w) - 0.15 * (u / half_len)
    col = shade(steel, k)
    if kind == "axe" and u > half_len - 1.4:
        col = mix(col, (235, 238, 245), 0.6)  # honed edge
    if edge < 0.6:
        col = mix(col, OUTLINE, 0.85)
    return col


def sample(px, py):
    layers = [
        lambda: shaft(px, py, (27.0, 29.0), (8.5, 8.5), 1.7, (212, 170, 40)),
        lambda: head(px, py, (8.0, 7.5), math.radians(-42 + 180), 7.0, 2.4, "axe"),
        lambda: shaft(px, py, (4.5, 29.0), (23.5, 8.5), 1.7, (58, 150, 62)),
        lambda: head(px, py, (24.0, 7.5), math.radians(42), 7.5, 2.8, "hammer"),
    ]
    out = None
    for layer in layers:
        c = layer()
        if c is not None:
            out = c
    return out


def render_coverage(size):
    """Each pixel as (colour, covered fraction); the design is drawn in SIZE units, so
    every size shows the same drawing, not scaled pixels."""
    scale = SIZE / size
    img = []
    for y in range(size):
        row = []
        for x in range(size):
            acc, hits = [0.0, 0.0, 0.0], 0
            for sy in range(SS):
                for sx in range(SS):
                    c = sample((x + (sx + 0.5) / SS) * scale, (y + (sy + 0.5) / SS) * scale)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            colour = tuple(int(round(a / hits)) for a in acc) if hits else None
            row.append((colour, hits / (SS * SS)))
        img.append(row)
    return img


def render():
    # The XPM has no partial transparency: a pixel is drawn when at least half is covered.
    return [[c if cover >= 0.5 else None for c, cover in row] for row in render_coverage(SIZE)]


def png_bytes(size):
    raw = bytearray()
    for row in render_coverage(size):
        raw.append(0)  # no filter
        for colour, cover in row:
            r, g, b = colour if colour else (0, 0, 0)
            raw += bytes((r, g, b, int(round(cover * 255))))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def write_pngs(folder):
    for size in PNG_SIZES:
        target = os.path.join(folder, "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(target, exist_ok=True)
        with open(os.path.join(target, ICON_NAME + ".png"), "wb") as f:
            f.write(png_bytes(size))


def median_cut(colours, boxes_wanted):
    boxes = [colours]
    while len(boxes) < boxes_wanted:
        best, best_range, best_axis = None, -1, 0
        for i, box in enumerate(boxes):
            if len(set(box)) < 2:
                continue
            for axis in range(3):
                r = max(c[axis] for c in box) - min(c[axis] for c in box)
                if r > best_range:
                    best, best_range, best_axis = i, r, axis
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda c: c[best_axis])
        cut = len(box) // 2
        while cut < len(box) and box[cut] == box[cut - 1]:
            cut += 1
        if cut == len(box):
            cut = len(box) // 2
            while cut > 1 and box[cut] == box[cut - 1]:
                cut -= 1
        boxes += [box[:cut], box[cut:]]
    return boxes


def main():
    img = render()
    pixels = [c for row in img for c in row if c is not None]
    boxes = median_cut(pixels, 221)
    mapping, palette = {}, []
    for box in boxes:
        avg = tuple(int(round(sum(c[i] for c in box) / len(box))) for i in range(3))
        while avg in palette:
            avg = (avg[0], avg[1], min(255, avg[2] + 1) if avg[2] < 255 else avg[2] - 1)
        palette.append(avg)
        for c in box:
            mapping[c] = avg
    assert len(palette) == 221, len(palette)
    chars = "".join(chr(c) for c in range(35, 127) if chr(c) not in '"\\')
    codes = [a + b for a in chars for b in chars][: len(palette) + 1]
    names = {None: codes[0]}
    for i, colour in enumerate(palette):
        names[colour] = codes[i + 1]
    print("/* XPM */")
    print("static const char *const appicon_xpm[] = {")
    print('"%d %d %d 2",' % (SIZE, SIZE, len(palette) + 1))
    print('"%s c None",' % codes[0])
    for colour in palette:
        print('"%s c #%02X%02X%02X",' % ((names[colour],) + colour))
    lines = []
    for row in img:
        lines.append('"' + "".join(names[None if c is None else mapping[c]] for c in row) + '"')
    print(",\n".join(lines))
    print("};")


if len(sys.argv) == 3 and sys.argv[1] == "--png":
    write_pngs(sys.argv[2])
elif len(sys.argv) == 1:
    main()
else:
    sys.exit(__doc__)
