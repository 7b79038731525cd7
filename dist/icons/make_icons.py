#!/usr/bin/env python3
"""Draws the desktop icons: the editor's icon as SVG and as PNG at 16 to 256 pixels, and the
icons of its two file types as SVG.

The editor's icon is the program icon of res/celwright.ico (tools/rc/make_art.py) in vector
form: a strip of film holding three cels of a ball that falls and lands squashed, on the same
32-unit grid. The 16 and 32 pixel PNGs are the program icon's own hand-placed pixels, so the
desktop shows what the window shows; the larger ones are rendered here from the vector shapes
with anti-aliased edges. Everything is plain Python, so the files come out the same on every
machine.

    make_icons.py           writes the files beside this script (they are committed)
    make_icons.py --check   exits 1 when a committed file differs from what the script draws
"""
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # no __pycache__ left in the source tree
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "rc"))
import make_art  # noqa: E402  (the program icon's pixels)

APP_ID = "org.celwright.Celwright"
PIXEL_ART_SIZES = (16, 32)
RENDERED_SIZES = (48, 64, 128, 256)

OUTLINE = (0x15, 0x19, 0x1E)
FILM = (0x2B, 0x33, 0x3D)
HOLE = (0xD8, 0xDC, 0xE0)
CEL = (0xFA, 0xF0, 0xD2)
BALL = (0xF2, 0x7A, 0x1E)
SHINE = (0xFF, 0xD0, 0x90)
SHADOW = (0xB8, 0xAE, 0x98)
PAPER = (0xFF, 0xFF, 0xFF)
PAPER_EDGE = (0x8A, 0x92, 0x9C)
FOLD = (0xD5, 0xDA, 0xE0)
INK = (0x9A, 0xA2, 0xAC)

# Shapes on a 32 x 32 grid, painted in order: ("rect", x, y, w, h, r, colour) with corner
# radius r, or ("ellipse", cx, cy, rx, ry, colour).


def film_strip(x, y, width, height, cels, hole_step=5.0):
    """A strip of film at (x, y): perforations above and below, the cels between them."""
    shapes = [("rect", x, y, width, height, 1.0, OUTLINE), ("rect", x + 1, y + 1, width - 2, height - 2, 0.5, FILM)]
    holes = int((width - 2) // hole_step) + 1
    for k in range(holes):
        hx = x + 2 + hole_step * k
        if hx + 2 > x + width - 1:
            break
        shapes.append(("rect", hx, y + 2, 2, 2, 0.35, HOLE))
        shapes.append(("rect", hx, y + height - 4, 2, 2, 0.35, HOLE))
    return shapes + cels


def ball_cel(x0, cy, rx, ry):
    """One cel of the bouncing ball, as the program icon draws it: cel, shadow, ball, shine."""
    cx = x0 + 4.5
    return [
        ("rect", x0, 9, 9, 14, 0.4, CEL),
        ("ellipse", cx, 21.5, 2.6, 0.6, SHADOW),
        ("ellipse", cx, cy, rx, ry, BALL),
        ("ellipse", cx - rx * 0.38, cy - ry * 0.38, rx * 0.3, ry * 0.3, SHINE),
    ]


# The ball falls through the first two cels and lands squashed in the third.
BOUNCE = ((12.5, 3.2, 3.2), (15.5, 3.2, 3.2), (19.0, 3.9, 2.3))


def app_icon():
    cels = []
    for n, (cy, rx, ry) in enumerate(BOUNCE):
        cels += ball_cel(2 + 10 * n, cy, rx, ry)
    return film_strip(0, 3, 32, 26, cels)


def document(marks):
    """A sheet of paper with a folded corner and what it holds."""
    return [
        ("rect", 5, 1, 22, 30, 1.0, PAPER_EDGE),
        ("rect", 6, 2, 20, 28, 0.5, PAPER),
        ("rect", 20, 2, 6, 6, 0.5, FOLD),
    ] + marks


def project_icon():
    """The project file: the names of patterns and frames, and one cel of the ball."""
    lines = [("rect", 8, 5, 10, 1.2, 0.5, INK), ("rect", 8, 8, 8, 1.2, 0.5, INK)]
    lines += [("rect", 8, 24 + 2.5 * k, 16 - 4 * k, 1.2, 0.5, INK) for k in range(2)]
    strip = [("rect", 8, 11, 16, 11, 0.8, OUTLINE), ("rect", 9, 12, 14, 9, 0.5, FILM),
             ("rect", 11.5, 13, 9, 7, 0.3, CEL), ("ellipse", 16, 17, 2.4, 2.0, BALL),
             ("ellipse", 15.2, 16.3, 0.7, 0.6, SHINE)]
    return document(lines + strip)


def data_icon():
    """The animation data file: records of bytes, and one cel of the ball."""
    marks = []
    for row in range(5):
        for col in range(4):
            if (row * 5 + col * 3) % 4 != 1:
                marks.append(("rect", 8 + 4.2 * col, 16 + 2.6 * row, 3.2, 1.4, 0.4, INK))
    strip = [("rect", 8, 5, 11, 9, 0.8, OUTLINE), ("rect", 9, 6, 9, 7, 0.5, FILM),
             ("rect", 10, 7, 7, 5, 0.3, CEL), ("ellipse", 13.5, 10.2, 2.2, 1.4, BALL)]
    return document(strip + marks)


# ---- SVG ------------------------------------------------------------------------------------


def number(v):
    text = ("%.3f" % v).rstrip("0").rstrip(".")
    return text if text != "-0" else "0"


def colour(c):
    return "#%02x%02x%02x" % c


def svg(shapes, title):
    out = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">',
        "  <title>%s</title>" % title,
    ]
    for s in shapes:
        if s[0] == "rect":
            _, x, y, w, h, r, c = s
            rounding = ' rx="%s"' % number(r) if r else ""
            out.append('  <rect x="%s" y="%s" width="%s" height="%s"%s fill="%s"/>'
                       % (number(x), number(y), number(w), number(h), rounding, colour(c)))
        else:
            _, cx, cy, rx, ry, c = s
            out.append('  <ellipse cx="%s" cy="%s" rx="%s" ry="%s" fill="%s"/>'
                       % (number(cx), number(cy), number(rx), number(ry), colour(c)))
    out.append("</svg>")
    return "\n".join(out) + "\n"


# ---- rendering ------------------------------------------------------------------------------

SAMPLES = 6  # per pixel side where an edge passes


def inside(shape, x, y):
    if shape[0] == "rect":
        _, sx, sy, w, h, r, _ = shape
        if x < sx or y < sy or x > sx + w or y > sy + h:
            return False
        r = min(r, w / 2, h / 2)
        dx = max(sx + r - x, 0.0, x - (sx + w - r))
        dy = max(sy + r - y, 0.0, y - (sy + h - r))
        return dx * dx + dy * dy <= r * r
    _, cx, cy, rx, ry, _ = shape
    dx, dy = (x - cx) / rx, (y - cy) / ry
    return dx * dx + dy * dy <= 1.0


def bounds(shape):
    if shape[0] == "rect":
        _, x, y, w, h, _, _ = shape
        return x, y, x + w, y + h
    _, cx, cy, rx, ry, _ = shape
    return cx - rx, cy - ry, cx + rx, cy + ry


def render(shapes, size):
    """Rows of (r, g, b, a), top row first. Both shapes are convex: a pixel whose four corners
    are inside is covered whole; any other pixel of the bounding box is sampled."""
    scale = 32.0 / size
    rgba = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]
    for shape in shapes:
        c = tuple(v / 255.0 for v in shape[-1])
        x0, y0, x1, y1 = bounds(shape)
        for py in range(max(0, int(y0 / scale)), min(size, int(y1 / scale) + 1)):
            for px in range(max(0, int(x0 / scale)), min(size, int(x1 / scale) + 1)):
                corners = sum(inside(shape, (px + i) * scale, (py + j) * scale) for i in (0, 1) for j in (0, 1))
                if corners == 4:
                    cover = 1.0
                else:
                    hits = 0
                    for j in range(SAMPLES):
                        for i in range(SAMPLES):
                            hits += inside(shape, (px + (i + 0.5) / SAMPLES) * scale,
                                           (py + (j + 0.5) / SAMPLES) * scale)
                    cover = hits / (SAMPLES * SAMPLES)
                if cover == 0.0:
                    continue
                r, g, b, a = rgba[py][px]
                # Premultiplied "over".
                rgba[py][px] = (c[0] * cover + r * (1 - cover), c[1] * cover + g * (1 - cover),
                                c[2] * cover + b * (1 - cover), cover + a * (1 - cover))
    out = []
    for row in rgba:
        line = []
        for r, g, b, a in row:
            if a <= 0.0:
                line.append((0, 0, 0, 0))
            else:
                line.append(tuple(min(255, round(v / a * 255)) for v in (r, g, b)) + (round(a * 255),))
        out.append(line)
    return out


# ---- PNG ------------------------------------------------------------------------------------


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def png_pixels(data):
    """Width, height and the unfiltered rows of a PNG this script wrote (8-bit RGBA, filter 0)."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    pos, idat, header = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    return header, zlib.decompress(idat)


# ---- the files ------------------------------------------------------------------------------


def files():
    """Relative path -> bytes of every file this script makes."""
    out = {
        "scalable/%s.svg" % APP_ID: svg(app_icon(), "Celwright").encode(),
        "scalable/application-x-celwright-project.svg": svg(project_icon(), "Celwright project").encode(),
        "scalable/application-x-celwright-animation.svg": svg(data_icon(), "Celwright animation data").encode(),
    }
    big = make_art.icon_pixels()
    out["16x16/%s.png" % APP_ID] = png(make_art.half_size(big))
    out["32x32/%s.png" % APP_ID] = png(big)
    for size in RENDERED_SIZES:
        out["%dx%d/%s.png" % (size, size, APP_ID)] = png(render(app_icon(), size))
    return out


def same(name, made, committed):
    if not name.endswith(".png"):
        return made == committed
    # Compared by their pixels: another zlib may pack the same rows differently.
    return png_pixels(made) == png_pixels(committed)


def main(argv):
    check = argv[1:] == ["--check"]
    if argv[1:] and not check:
        sys.stderr.write("usage: make_icons.py [--check]\n")
        return 2
    differ = []
    for name, data in sorted(files().items()):
        path = os.path.join(HERE, name)
        if check:
            try:
                with open(path, "rb") as f:
                    committed = f.read()
            except OSError:
                committed = None
            if committed is None or not same(name, data, committed):
                differ.append(name)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    for name in differ:
        sys.stderr.write("make_icons.py: %s differs from what the script draws; run dist/icons/make_icons.py\n"
                         % name)
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
