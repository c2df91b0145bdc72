#!/usr/bin/env python3
"""Draws every picture of the demo story into demo/art/ (PNG, RGBA).

Run from anywhere: python3 demo/tools/make-pictures.py
Needs python3 and ImageMagick's `convert` (only for the lettering, with the
DejaVu fonts). The output is deterministic; the PNGs are committed so that a
build needs neither tool. All colours are multiples of 8 (15-bit friendly).
"""
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from raster import Canvas, mix, text_mask  # noqa: E402

ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "art")
SANS_BOLD = "DejaVu-Sans-Bold"
SERIF_BOLD = "DejaVu-Serif-Bold"
SERIF = "DejaVu-Serif"
SANS = "DejaVu-Sans"

# The town's palette: dusk sky, sea, hills, walls and lit windows.
NIGHT = (16, 16, 48)
INDIGO = (40, 32, 96)
VIOLET = (128, 72, 136)
ROSE = (216, 112, 112)
AMBER = (248, 160, 80)
SUN = (248, 224, 144)
SEA_DEEP = (24, 40, 88)
SEA = (48, 64, 120)
HILL_FAR = (88, 64, 112)
HILL = (56, 40, 80)
LAMP = (248, 208, 112)
WHITE_DUSK = (224, 208, 216)
RED = (184, 56, 72)
INK = (16, 16, 32)


def out(*parts):
    path = os.path.join(ART, *parts)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return path


# --------------------------------------------------------------------------
# shared scenery pieces

def stars(cv, rng, count, y0, y1, bright=(248, 248, 232), fade_to=None):
    for _ in range(count):
        x = rng.randrange(cv.w)
        y = rng.randrange(y0, y1)
        level = rng.random()
        if fade_to is not None:
            level *= 1 - (y - y0) / max(1, y1 - y0)
        cv.put(x, y, bright, 0.35 + 0.65 * level)
        if level > 0.85:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                cv.put(x + dx, y + dy, bright, 0.35)


def hills(cv, rng, base, amp, colour, seed_phase, step=8):
    pts = [(0, cv.h)]
    for x in range(0, cv.w + step, step):
        y = base - amp * (0.6 * math.sin(x / 47 + seed_phase) + 0.4 * math.sin(x / 19 + seed_phase * 2))
        pts.append((x, y))
    pts.append((cv.w, cv.h))
    cv.polygon(pts, colour)


def sea(cv, y0, y1, top, bottom, glint=None, glint_x=160, rng=None):
    cv.vgrad(y0, y1, [(0, top), (1, bottom)])
    if glint and rng:
        # broken horizontal strokes under the light source
        for y in range(y0 + 2, y1, 3):
            spread = 6 + (y - y0) * 0.5
            for _ in range(3):
                x = glint_x + rng.uniform(-spread, spread)
                ln = rng.randint(3, 10)
                cv.line(x, y, x + ln, y, glint, 1, 0.55 * (1 - (y - y0) / (y1 - y0)) + 0.2)


def house(cv, x, y, w, h, wall, roof, lit, rng):
    cv.rect(x, y, x + w, y + h, wall)
    cv.polygon([(x - 2, y), (x + w / 2, y - h * 0.55), (x + w + 2, y)], roof)
    for wx in range(x + 3, x + w - 3, 7):
        if rng.random() < lit:
            cv.rect(wx, y + 4, wx + 3, y + 8, LAMP)
        else:
            cv.rect(wx, y + 4, wx + 3, y + 8, mix(wall, INK, 0.5))


def lighthouse(cv, cx, base_y, top_y, base_w, top_w, lit=True, body=WHITE_DUSK, band=RED, halo=True):
    """A tapered striped tower with a gallery, a lantern room and a dome."""
    h = base_y - top_y

    def half(y):
        return (top_w + (base_w - top_w) * (y - top_y) / h) / 2

    cv.polygon([(cx - half(base_y), base_y), (cx - half(top_y), top_y),
                (cx + half(top_y), top_y), (cx + half(base_y), base_y)], body)
    # shade the right third
    shade = mix(body, VIOLET, 0.35)
    cv.polygon([(cx + half(base_y) * 0.35, base_y), (cx + half(top_y) * 0.35, top_y),
                (cx + half(top_y), top_y), (cx + half(base_y), base_y)], shade)
    bands = 4
    for k in range(bands):
        y0 = top_y + h * (2 * k + 1) / (2 * bands + 1)
        y1 = top_y + h * (2 * k + 2) / (2 * bands + 1)
        cv.polygon([(cx - half(y1), y1), (cx - half(y0), y0), (cx + half(y0), y0), (cx + half(y1), y1)], band)
        cv.polygon([(cx + half(y1) * 0.35, y1), (cx + half(y0) * 0.35, y0),
                    (cx + half(y0), y0), (cx + half(y1), y1)], mix(band, INDIGO, 0.35))
    # a door and two small windows
    dw = max(3, base_w // 8)
    cv.rect(int(cx - dw), int(base_y - dw * 3), int(cx + dw), base_y, INK)
    for k in (0.3, 0.6):
        wy = int(top_y + h * k)
        cv.rect(int(cx - 2), wy, int(cx + 2), wy + 5, INK if not lit else LAMP)
    # gallery
    gw = top_w * 0.75 + 4
    cv.rect(int(cx - gw), int(top_y - 3), int(cx + gw), int(top_y + 1), INK)
    # lantern room
    lw = top_w * 0.42
    lh = top_w * 0.55
    ly = top_y - 3 - lh
    if lit and halo:
        cv.glow(cx, ly + lh / 2, top_w * 2.2, LAMP, 0.9)
    cv.rect(int(cx - lw), int(ly), int(cx + lw), int(top_y - 3), LAMP if lit else (64, 72, 104))
    for k in (-0.5, 0, 0.5):
        cv.rect(int(cx + lw * k), int(ly), int(cx + lw * k) + 1, int(top_y - 3), INK)
    # dome and vane
    cv.ellipse(cx, ly, lw + 2, lh * 0.6, band)
    cv.rect(int(cx - lw - 2), int(ly), int(cx + lw + 2), int(ly + 2), INK)
    cv.line(cx, ly - lh * 0.6, cx, ly - lh * 0.6 - 5, INK)


def rail(cv, y, colour=INK, posts=24):
    """The lighthouse gallery's railing seen from inside, as a silhouette."""
    cv.rect(0, y, cv.w, y + 4, colour)
    cv.rect(0, y + 22, cv.w, y + 25, colour)
    for x in range(4, cv.w, posts):
        cv.rect(x, y, x + 3, cv.h, colour)
    cv.rect(0, y + 40, cv.w, cv.h, colour)


# --------------------------------------------------------------------------
# opening, title and select screens

def logo_studio():
    cv = Canvas(320, 240, (240, 240, 232))
    cx, cy = 160, 96
    # emblem: three nested ripples inside a disc
    cv.ellipse(cx, cy, 40, 40, (40, 88, 152))
    for k, r in enumerate((30, 20, 10)):
        cv.ellipse(cx, cy + 4, r + 2, r * 0.45 + 2, (240, 240, 232))
        cv.ellipse(cx, cy + 4, r, r * 0.45, (40, 88, 152) if k % 2 == 0 else (88, 160, 208))
    cv.ellipse(cx, cy - 18, 6, 6, (248, 200, 96))
    cv.text("SAZANAMI WORKS", SANS_BOLD, 20, cx, 150, (40, 56, 96), anchor="centre")
    cv.text("small stories by the sea", SERIF, 11, cx, 178, (112, 120, 144), anchor="centre")
    cv.save(out("LOGO01.png"))


def star_shape(cx, cy, r_out, r_in, turn=-math.pi / 2):
    pts = []
    for k in range(10):
        r = r_out if k % 2 == 0 else r_in
        a = turn + k * math.pi / 5
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def logo_player():
    cv = Canvas(320, 240, NIGHT)
    w = text_mask("LUMARO", SANS_BOLD, 44)[1]
    x0 = 160 - (w + 34) // 2
    cv.vgrad(0, 240, [(0, (16, 16, 48)), (1, (40, 24, 72))])
    stars(cv, random.Random(2), 70, 0, 240)
    cv.glow(160, 110, 120, (96, 64, 160), 0.5)
    cv.text("LUMARO", SANS_BOLD, 44, x0, 84, (248, 240, 224), shadow=(8, 8, 24))
    cv.polygon(star_shape(x0 + w + 18, 96, 15, 6), (248, 200, 64))
    cv.polygon(star_shape(x0 + w + 18, 96, 8, 3), (248, 240, 176))
    cv.text("P  L  A  Y  E  R", SANS, 14, 160, 140, (200, 184, 232), anchor="centre")
    cv.save(out("LOGO02.png"), dither=True)


def title():
    cv = Canvas(320, 240)
    rng = random.Random(3)
    cv.vgrad(0, 160, [(0, INDIGO), (0.55, VIOLET), (0.85, ROSE), (1, AMBER)])
    stars(cv, rng, 60, 0, 80, fade_to=True)
    cv.ellipse(70, 158, 22, 22, SUN)
    sea(cv, 160, 240, (96, 72, 128), SEA_DEEP, glint=AMBER, glint_x=70, rng=rng)
    # cape with the lighthouse on the right
    cv.polygon([(190, 240), (196, 170), (226, 150), (300, 146), (320, 150), (320, 240)], HILL)
    cv.polygon([(205, 240), (210, 190), (232, 172), (250, 240)], mix(HILL, INK, 0.3))
    lighthouse(cv, 262, 150, 62, 30, 18, lit=True)
    cv.text("KIRUNE LIGHT", SERIF_BOLD, 24, 116, 40, (248, 240, 216), shadow=(40, 24, 64), anchor="centre")
    cv.text("a short story by the sea", SERIF, 12, 116, 74, (248, 216, 200), shadow=(40, 24, 64), anchor="centre")
    cv.text("PRESS ENTER", SANS_BOLD, 12, 112, 210, (248, 232, 176), shadow=INK, anchor="centre")
    cv.text("Lumaro Player demo", SANS, 9, 316 - 96, 228, (168, 168, 200))
    cv.save(out("TITLE00.png"), dither=True)


def select_bg():
    """Tiles with a 16-row period: any vertical offset, and the jump of the
    scroll counter from 255 back to 0, joins without a seam."""
    cv = Canvas(320, 240)
    for y in range(240):
        t = (y % 16) / 16
        for x in range(320):
            # diagonal swell: two waves crossing, both periodic in 16 rows
            v = math.sin(2 * math.pi * (t + x / 64)) + math.sin(2 * math.pi * (t - x / 96))
            c = mix((24, 40, 96), (56, 88, 152), (v + 2) / 4)
            cv.put(x, y, c)
    # sparkles: two staggered rows in every 16-row tile, so the period stays 16
    for y in range(0, 240, 16):
        for row, first in ((4, 8), (12, 24)):
            for x in range(first, 320, 32):
                cv.put(x, y + row, (200, 224, 248))
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                    cv.put(x + dx, y + row + dy, (120, 160, 216))
    cv.save(out("SYS011.png"))


def select_fg():
    cv = Canvas(320, 240)
    cv.clear_alpha()
    band = (24, 16, 48)
    edge = (248, 200, 96)
    cv.rect(0, 0, 320, 44, band)
    cv.rect(0, 44, 320, 46, edge)
    cv.rect(0, 196, 320, 198, edge)
    cv.rect(0, 198, 320, 240, band)
    cv.text("KIRUNE LIGHT", SERIF_BOLD, 18, 160, 12, (248, 240, 216), anchor="centre")
    cv.text("PRESS ENTER TO BEGIN", SANS_BOLD, 11, 160, 212, (248, 232, 176), anchor="centre")
    # the lighthouse stands in the left margin, in front of the moving sea
    cv.polygon([(0, 196), (0, 150), (30, 140), (64, 150), (78, 196)], HILL)
    lighthouse(cv, 36, 146, 78, 20, 12, lit=True, halo=False)
    # a small moon on the right
    cv.ellipse(282, 86, 12, 12, (248, 240, 200))
    cv.ellipse(286, 84, 3, 3, (224, 216, 184))
    cv.save(out("SYS020.png"))


# --------------------------------------------------------------------------
# story pictures (event directory)

def ev_night_plain():
    """E000: the language screen, a quiet night sea."""
    cv = Canvas(320, 240)
    rng = random.Random(10)
    cv.vgrad(0, 170, [(0, NIGHT), (1, (40, 48, 104))])
    stars(cv, rng, 140, 0, 160, fade_to=True)
    sea(cv, 170, 240, (32, 48, 96), (8, 16, 40), glint=(200, 208, 232), glint_x=236, rng=rng)
    cv.ellipse(236, 60, 12, 12, (240, 240, 208))
    cv.glow(236, 60, 40, (160, 168, 216), 0.35)
    cv.save(out("ev", "E000.png"), dither=True)


def ev_town():
    """E001: Kirune at dusk, seen from the bus stop on the hill road."""
    cv = Canvas(320, 240)
    rng = random.Random(11)
    cv.vgrad(0, 140, [(0, INDIGO), (0.45, VIOLET), (0.8, ROSE), (1, AMBER)])
    stars(cv, rng, 25, 0, 50, fade_to=True)
    cv.glow(232, 138, 70, AMBER, 0.6)
    cv.ellipse(232, 138, 16, 16, SUN)
    sea(cv, 140, 240, (120, 88, 136), SEA_DEEP, glint=SUN, glint_x=232, rng=rng)
    # far cape with the lighthouse
    cv.polygon([(250, 141), (276, 128), (320, 124), (320, 141)], HILL_FAR)
    lighthouse(cv, 300, 128, 94, 10, 6, lit=False)
    # the town on the left slope, rows of houses stepping down to the sea
    cv.polygon([(0, 240), (0, 90), (60, 100), (130, 140), (190, 180), (210, 240)], HILL)
    walls = [(184, 128, 136), (200, 168, 144), (136, 136, 176), (168, 112, 120)]
    roofs = [(104, 48, 72), (64, 64, 112), (120, 72, 56)]
    for row, (y, xs) in enumerate([(104, range(4, 60, 19)), (126, range(10, 112, 21)),
                                   (150, range(20, 160, 23)), (176, range(30, 180, 25))]):
        for k, x in enumerate(xs):
            house(cv, x, y + (k % 2) * 3, 15 + (k % 3) * 2, 14, walls[(row + k) % 4], roofs[(row * 2 + k) % 3], 0.6, rng)
    # the road and the bus stop in the foreground
    cv.polygon([(0, 240), (0, 214), (320, 196), (320, 240)], (72, 64, 88))
    cv.polygon([(0, 226), (320, 212), (320, 214), (0, 228)], (152, 136, 120))
    cv.rect(268, 150, 271, 206, (48, 48, 64))
    cv.ellipse(269.5, 150, 11, 11, (232, 232, 224))
    cv.ellipse(269.5, 150, 8, 8, (64, 112, 176))
    cv.rect(263, 148, 276, 152, (232, 232, 224))
    cv.save(out("ev", "E001.png"), dither=True)


def ev_harbour():
    """E002: the harbour, lanterns strung over the quay."""
    cv = Canvas(320, 240)
    rng = random.Random(12)
    cv.vgrad(0, 120, [(0, (32, 24, 80)), (0.6, (104, 64, 128)), (1, (200, 112, 104))])
    stars(cv, rng, 40, 0, 70, fade_to=True)
    sea(cv, 120, 200, (88, 64, 112), SEA_DEEP, glint=LAMP, glint_x=120, rng=rng)
    # breakwater and town lights
    cv.rect(0, 112, 320, 121, (48, 40, 72))
    for x in range(6, 320, 13):
        if rng.random() < 0.5:
            cv.rect(x, 114, x + 2, 116, LAMP)
    # two moored boats
    for bx, colour in ((70, (200, 80, 72)), (200, (72, 120, 176))):
        cv.polygon([(bx - 36, 150), (bx + 36, 150), (bx + 26, 166), (bx - 28, 166)], colour)
        cv.rect(bx - 34, 148, bx + 34, 151, (232, 224, 208))
        cv.rect(bx - 10, 134, bx + 12, 149, (224, 216, 200))
        cv.rect(bx - 6, 137, bx + 8, 142, (64, 80, 120))
        cv.line(bx + 1, 134, bx + 1, 84, INK)
        cv.line(bx + 1, 88, bx - 30, 148, INK, 1, 0.6)
        # the boat mirrored in the water
        cv.polygon([(bx - 28, 168), (bx + 26, 168), (bx + 30, 176), (bx - 30, 176)], mix(colour, SEA_DEEP, 0.6))
    # quay planks
    cv.polygon([(0, 240), (0, 196), (320, 186), (320, 240)], (96, 72, 64))
    for k in range(8):
        y = 196 + k * 6
        cv.line(0, y, 320, y - 10 + k * 0.7, (72, 52, 48))
    cv.rect(0, 186, 320, 190, (120, 96, 80))
    # a string of lanterns sagging across the top
    for x in range(0, 321, 2):
        y = 22 + 18 * math.sin(math.pi * x / 320)
        cv.put(x, int(y), INK)
    for x in range(16, 320, 32):
        y = 22 + 18 * math.sin(math.pi * x / 320)
        cv.glow(x, y + 6, 14, (248, 176, 96), 0.6)
        cv.ellipse(x, y + 6, 5, 6, (232, 88, 64))
        cv.rect(x - 1, int(y + 4), x + 2, int(y + 8), LAMP)
    cv.save(out("ev", "E002.png"), dither=True)


def ev_lighthouse():
    """E003: the old lighthouse from the foot of its steps, at blue hour."""
    cv = Canvas(320, 240)
    rng = random.Random(13)
    cv.vgrad(0, 240, [(0, (24, 24, 80)), (0.6, (72, 64, 136)), (1, (168, 104, 144))])
    stars(cv, rng, 80, 0, 140, fade_to=True)
    lighthouse(cv, 176, 214, 52, 96, 56, lit=False)
    # rocks and grass at the foot
    cv.polygon([(0, 240), (0, 206), (40, 198), (90, 208), (130, 204), (230, 206), (280, 196), (320, 204), (320, 240)], (40, 56, 64))
    for x in range(0, 320, 3):
        h = rng.randint(3, 9)
        cv.line(x, 214, x + rng.uniform(-2, 2), 214 - h, (56, 80, 72))
    cv.polygon([(0, 240), (20, 222), (56, 226), (70, 240)], (32, 32, 48))
    cv.polygon([(250, 240), (270, 220), (310, 218), (320, 240)], (32, 32, 48))
    # the stone path up to the door
    cv.polygon([(146, 240), (166, 214), (186, 214), (206, 240)], (120, 112, 128))
    cv.save(out("ev", "E003.png"), dither=True)


def ev_lamp_room():
    """E004: inside the lamp room, the great lens in the middle."""
    cv = Canvas(320, 240)
    rng = random.Random(14)
    # windows onto the night, between dark mullions
    cv.vgrad(0, 170, [(0, (16, 24, 64)), (1, (56, 56, 120))])
    stars(cv, rng, 60, 0, 150)
    for x in range(0, 321, 80):
        cv.rect(x - 5, 0, x + 5, 170, (48, 40, 48))
    cv.rect(0, 0, 320, 8, (48, 40, 48))
    cv.rect(0, 150, 320, 170, (72, 56, 56))
    # floor boards
    cv.vgrad(170, 240, [(0, (120, 80, 56)), (1, (72, 48, 40))])
    for k in range(-10, 12):
        cv.line(160 + k * 6, 170, 160 + k * 40, 240, (88, 56, 40))
    # the lens: a tall barrel of glowing rings on a brass pedestal
    cv.polygon([(132, 226), (188, 226), (178, 196), (142, 196)], (160, 120, 56))
    cv.rect(128, 222, 192, 230, (120, 88, 40))
    cv.glow(160, 118, 90, (248, 224, 160), 0.45)
    cv.ellipse(160, 118, 41, 77, (120, 96, 56))
    cv.ellipse(160, 118, 40, 76, (208, 200, 168))
    for k in range(9):
        y = 50 + k * 16
        cv.ellipse(160, y, 38, 4, (248, 240, 208), 0.7)
        cv.ellipse(160, y + 5, 37, 1.2, (168, 152, 120), 0.6)
    cv.ellipse(160, 118, 14, 14, (248, 240, 200))
    cv.glow(160, 118, 26, (248, 248, 224), 0.9)
    cv.rect(120, 40, 200, 44, (160, 120, 56))
    cv.rect(120, 192, 200, 197, (160, 120, 56))
    cv.save(out("ev", "E004.png"), dither=True)


def ev_night_pan():
    """E005: 480 rows, the night sky over the sea from the gallery. Modes 6
    and 7 pan between its top (the Milky Way) and its bottom (sea, rail)."""
    cv = Canvas(320, 480)
    rng = random.Random(15)
    cv.vgrad(0, 360, [(0, (8, 8, 32)), (0.55, (24, 32, 80)), (1, (64, 72, 136))])
    # the lamp's beam overhead, sweeping out to the left
    cv.polygon([(330, 250), (0, 176), (0, 236)], (248, 232, 176), 0.12)
    cv.polygon([(330, 250), (0, 196), (0, 216)], (248, 232, 176), 0.1)
    # the Milky Way: a slanted band of haze and dense stars
    for y in range(0, 360):
        centre = 60 + y * 0.55
        for x in range(max(0, int(centre - 70)), min(320, int(centre + 70))):
            d = abs(x - centre) / 70
            cv.put(x, y, (112, 104, 160), 0.22 * (1 - d) ** 2 * (1 - y / 400))
    for _ in range(900):
        y = rng.randrange(0, 340)
        centre = 60 + y * 0.55
        x = int(rng.gauss(centre, 30))
        cv.put(x, y, (232, 232, 248), rng.uniform(0.3, 0.9))
    stars(cv, rng, 260, 0, 340, fade_to=True)
    # a few bright named stars
    for x, y in ((40, 40), (260, 90), (210, 30), (90, 190), (286, 220)):
        cv.glow(x, y, 6, (248, 248, 232), 0.9)
        cv.put(x, y, (248, 248, 248))
    # the moon low on the right, and the lighthouse beam sweeping left
    cv.glow(262, 300, 46, (168, 176, 224), 0.4)
    cv.ellipse(262, 300, 13, 13, (248, 240, 208))
    # horizon and sea with the moon's path
    sea(cv, 360, 480, (40, 56, 112), (8, 16, 40), glint=(232, 232, 208), glint_x=262, rng=rng)
    for x in range(0, 320, 9):
        if rng.random() < 0.25:
            cv.put(x, 361, LAMP)  # fishing boats on the horizon
    rail(cv, 424)
    top, bottom = cv.crop(0, 0, 320, 240), cv.crop(0, 240, 320, 240)
    top.save(out("ev", "E005a.png"), dither=True)
    bottom.save(out("ev", "E005b.png"), dither=True)


def ev_dawn():
    """E006: dawn over the sea, the lighthouse dark against the light."""
    cv = Canvas(320, 240)
    rng = random.Random(16)
    cv.vgrad(0, 150, [(0, (88, 120, 184)), (0.55, (216, 184, 200)), (0.85, (248, 208, 160)), (1, (248, 232, 176))])
    cv.glow(200, 150, 80, (248, 240, 200), 0.7)
    cv.ellipse(200, 152, 18, 18, (248, 248, 224))
    sea(cv, 150, 240, (176, 168, 200), (72, 96, 152), glint=(248, 248, 224), glint_x=200, rng=rng)
    # gulls
    for gx, gy in ((90, 60), (112, 48), (150, 70)):
        cv.line(gx - 6, gy - 3, gx, gy, INK, 1)
        cv.line(gx, gy, gx + 6, gy - 3, INK, 1)
    cv.polygon([(0, 240), (0, 130), (30, 128), (70, 150), (100, 240)], (48, 48, 80))
    lighthouse(cv, 40, 132, 52, 22, 14, lit=False, body=(88, 88, 120), band=(72, 56, 88))
    cv.save(out("ev", "E006.png"), dither=True)


def ev_end_card():
    """E007: the closing card."""
    cv = Canvas(320, 240)
    cv.vgrad(0, 240, [(0, (16, 16, 48)), (1, (40, 32, 88))])
    stars(cv, random.Random(17), 50, 0, 240)
    cv.polygon(star_shape(160, 80, 16, 7), (248, 200, 64))
    cv.text("F I N", SERIF_BOLD, 30, 160, 108, (248, 240, 216), shadow=INK, anchor="centre")
    cv.text("KIRUNE LIGHT", SERIF, 12, 160, 156, (200, 192, 232), anchor="centre")
    cv.text("Sazanami Works  for  Lumaro Player", SANS, 9, 160, 214, (144, 144, 184), anchor="centre")
    cv.save(out("ev", "E007.png"), dither=True)


if __name__ == "__main__":
    import faces  # noqa: E402

    only = set(sys.argv[1:])
    jobs = [logo_studio, logo_player, title, select_bg, select_fg, ev_night_plain, ev_town,
            ev_harbour, ev_lighthouse, ev_lamp_room, ev_night_pan, ev_dawn, ev_end_card,
            lambda: faces.all_faces(ART)]
    for job in jobs:
        if not only or job.__name__ in only or (job.__name__ == "<lambda>" and "faces" in only):
            job()
