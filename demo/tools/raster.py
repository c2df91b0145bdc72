"""A tiny software rasteriser for the demo's pictures (standard library only).

Colours are (r, g, b) tuples of 0..255; a canvas keeps an alpha byte per
pixel so faces and the select-screen foreground can carry transparency.
Everything is deterministic: the same script always writes the same PNGs.
"""
import math
import re
import struct
import subprocess
import zlib

# 4x4 ordered-dither thresholds (0..15), used when a gradient is cut to 15 bits.
BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


class Canvas:
    def __init__(self, w, h, colour=(0, 0, 0), alpha=255):
        self.w, self.h = w, h
        self.px = [list(colour) for _ in range(w * h)]
        self.a = [alpha] * (w * h)

    # -- pixels --------------------------------------------------------------
    def put(self, x, y, c, cover=1.0):
        if 0 <= x < self.w and 0 <= y < self.h:
            i = y * self.w + x
            if cover >= 1.0:
                self.px[i] = list(c)
            else:
                p = self.px[i]
                self.px[i] = [p[k] + (c[k] - p[k]) * cover for k in range(3)]
            self.a[i] = 255

    def get(self, x, y):
        return tuple(self.px[y * self.w + x])

    def clear_alpha(self):
        self.a = [0] * (self.w * self.h)

    # -- shapes --------------------------------------------------------------
    def vgrad(self, y0, y1, stops):
        """Vertical gradient over rows y0..y1-1; stops are (t, colour), t in 0..1."""
        for y in range(max(0, y0), min(self.h, y1)):
            t = (y - y0) / max(1, y1 - y0 - 1)
            c = grad_at(stops, t)
            for x in range(self.w):
                self.put(x, y, c)

    def rect(self, x0, y0, x1, y1, c, cover=1.0):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.put(x, y, c, cover)

    def ellipse(self, cx, cy, rx, ry, c, cover=1.0):
        for y in range(max(0, int(cy - ry) - 1), min(self.h, int(cy + ry) + 2)):
            dy = (y + 0.5 - cy) / ry
            if abs(dy) > 1:
                continue
            half = rx * math.sqrt(1 - dy * dy)
            for x in range(max(0, int(cx - half)), min(self.w, int(cx + half) + 1)):
                if abs(x + 0.5 - cx) <= half:
                    self.put(x, y, c, cover)

    def glow(self, cx, cy, radius, c, strength=1.0):
        """Soft round light: cover falls off with the square of the distance."""
        for y in range(max(0, int(cy - radius)), min(self.h, int(cy + radius) + 1)):
            for x in range(max(0, int(cx - radius)), min(self.w, int(cx + radius) + 1)):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) / radius
                if d < 1:
                    self.put(x, y, c, strength * (1 - d) ** 2)

    def polygon(self, pts, c, cover=1.0):
        """Even-odd scanline fill of a closed polygon (pixel centres)."""
        ys = [p[1] for p in pts]
        n = len(pts)
        for y in range(max(0, int(min(ys))), min(self.h, int(max(ys)) + 1)):
            yc = y + 0.5
            xs = []
            for i in range(n):
                x0, y0 = pts[i]
                x1, y1 = pts[(i + 1) % n]
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for k in range(0, len(xs) - 1, 2):
                for x in range(max(0, math.ceil(xs[k] - 0.5)), min(self.w, math.floor(xs[k + 1] - 0.5) + 1)):
                    self.put(x, y, c, cover)

    def line(self, x0, y0, x1, y1, c, width=1, cover=1.0):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        r = width / 2
        done = set()
        for s in range(steps + 1):
            t = s / steps
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for yy in range(int(y - r), int(y + r) + 1):
                for xx in range(int(x - r), int(x + r) + 1):
                    if (xx, yy) not in done and math.hypot(xx + 0.5 - x, yy + 0.5 - y) <= max(r, 0.5):
                        done.add((xx, yy))
                        self.put(xx, yy, c, cover)

    def blit_mask(self, mask, mw, mh, x, y, c):
        """Paints colour c through a coverage mask (0..255 per pixel)."""
        for j in range(mh):
            for i in range(mw):
                v = mask[j * mw + i]
                if v:
                    self.put(x + i, y + j, c, v / 255.0)

    def text(self, s, font, size, x, y, c, shadow=None, anchor="left"):
        mask, mw, mh = text_mask(s, font, size)
        if anchor == "centre":
            x -= mw // 2
        if shadow:
            self.blit_mask(mask, mw, mh, x + 1, y + 1, shadow)
        self.blit_mask(mask, mw, mh, x, y, c)
        return mw

    # -- output --------------------------------------------------------------
    def save(self, path, dither=False):
        """Writes an RGBA PNG with every colour cut to 15 bits (multiples of 8)."""
        rows = bytearray()
        for y in range(self.h):
            rows.append(0)
            for x in range(self.w):
                i = y * self.w + x
                bias = (BAYER4[y & 3][x & 3] + 0.5) / 2 if dither else 4
                rgb = [min(248, max(0, int(v + bias) & ~7)) for v in self.px[i]]
                a = 255 if self.a[i] >= 128 else 0
                if a == 0:
                    rgb = [0, 0, 0]
                rows += bytes(rgb) + bytes([a])
        write_png(path, self.w, self.h, bytes(rows))

    def crop(self, x0, y0, w, h):
        out = Canvas(w, h)
        for y in range(h):
            for x in range(w):
                out.px[y * w + x] = list(self.px[(y0 + y) * self.w + x0 + x])
                out.a[y * w + x] = self.a[(y0 + y) * self.w + x0 + x]
        return out


def grad_at(stops, t):
    for k in range(len(stops) - 1):
        t0, c0 = stops[k]
        t1, c1 = stops[k + 1]
        if t <= t1:
            return mix(c0, c1, 0 if t1 == t0 else (t - t0) / (t1 - t0))
    return stops[-1][1]


def write_png(path, w, h, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


_text_cache = {}


def text_mask(s, font, size):
    """Renders s with ImageMagick into a grey coverage mask (trimmed)."""
    key = (s, font, size)
    if key not in _text_cache:
        pgm = subprocess.run(
            ["convert", "-background", "black", "-fill", "white", "-font", font,
             "-pointsize", str(size), "label:" + s, "-trim", "+repage",
             "-colorspace", "gray", "-depth", "8", "pgm:-"],
            check=True, capture_output=True).stdout
        m = re.match(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s", pgm)
        mw, mh = int(m.group(1)), int(m.group(2))
        data = pgm[m.end(): m.end() + mw * mh]
        _text_cache[key] = (list(data), mw, mh)
    return _text_cache[key]
