"""The two speakers' faces, 64 x 80, as seven layers each.

Layer order (the face file's block order): base, mouth closed, mouth half
open, mouth open, eyes open, eyes half shut, eyes shut. The base carries no
eyes and no mouth; every other layer is transparent except where it draws,
so the player can stack any mouth and any eye state over the base.
"""
import math
import os

from raster import Canvas, mix

W, H = 64, 80
SKIN = (248, 216, 184)
SKIN_SHADE = (224, 176, 160)
LINE = (88, 48, 56)
BLUSH = (240, 160, 152)
MOUTH_IN = (144, 48, 64)
TONGUE = (232, 120, 128)
EYE_WHITE = (248, 248, 248)

EYE_L, EYE_R, EYE_Y = 23, 41, 41
MOUTH = (32, 55)


class Person:
    def __init__(self, hair, hair_hi, iris, iris_dark, cloth, cloth_hi, long_hair):
        self.hair, self.hair_hi = hair, hair_hi
        self.iris, self.iris_dark = iris, iris_dark
        self.cloth, self.cloth_hi = cloth, cloth_hi
        self.long_hair = long_hair


AKARI = Person(hair=(176, 80, 56), hair_hi=(224, 136, 96), iris=(64, 152, 112), iris_dark=(24, 80, 64),
               cloth=(240, 240, 232), cloth_hi=(200, 48, 64), long_hair=True)
SORA = Person(hair=(48, 56, 104), hair_hi=(96, 112, 168), iris=(80, 120, 192), iris_dark=(32, 48, 112),
              cloth=(56, 96, 80), cloth_hi=(232, 232, 224), long_hair=False)


def outlined_ellipse(cv, cx, cy, rx, ry, fill, line=LINE):
    cv.ellipse(cx, cy, rx + 1, ry + 1, line)
    cv.ellipse(cx, cy, rx, ry, fill)


def outlined_polygon(cv, pts, fill, line=LINE):
    cx = sum(p[0] for p in pts) / len(pts)
    cy = sum(p[1] for p in pts) / len(pts)
    grown = []
    for x, y in pts:
        d = math.hypot(x - cx, y - cy) or 1
        grown.append((x + (x - cx) / d * 1.2, y + (y - cy) / d * 1.2))
    cv.polygon(grown, line)
    cv.polygon(pts, fill)


def base_layer(p, brows):
    cv = Canvas(W, H)
    cv.clear_alpha()
    # hair behind the head
    if p.long_hair:
        outlined_polygon(cv, [(8, 30), (14, 12), (32, 5), (50, 12), (56, 30), (58, 70), (46, 66), (18, 66), (6, 70)], p.hair)
    else:
        outlined_ellipse(cv, 32, 31, 24, 24, p.hair)
        for tx in (14, 24, 36, 46):  # tufts on the crown
            outlined_polygon(cv, [(tx - 6, 14), (tx + 1, 1 + abs(tx - 30) // 3), (tx + 6, 14)], p.hair)
    # shoulders and neck
    outlined_polygon(cv, [(4, 80), (8, 70), (22, 64), (42, 64), (56, 70), (60, 80)], p.cloth)
    cv.rect(27, 56, 38, 66, SKIN_SHADE)
    if p.long_hair:
        # sailor collar with a red scarf
        cv.polygon([(14, 68), (26, 64), (32, 74), (38, 64), (50, 68), (44, 80), (20, 80)], (56, 72, 128))
        cv.polygon([(28, 70), (36, 70), (32, 78)], p.cloth_hi)
    else:
        # jacket with an open white shirt collar
        cv.polygon([(24, 64), (32, 74), (40, 64), (36, 80), (28, 80)], p.cloth_hi)
        cv.line(32, 74, 32, 80, LINE)
    # ears, then the face over them: a round top and a soft chin
    outlined_ellipse(cv, 14, 43, 2.5, 4, SKIN_SHADE)
    outlined_ellipse(cv, 50, 43, 2.5, 4, SKIN_SHADE)
    outlined_ellipse(cv, 32, 36, 18, 18, SKIN)
    outlined_polygon(cv, [(15, 38), (49, 38), (43, 53), (32, 60), (21, 53)], SKIN)
    cv.ellipse(32, 37, 17, 17, SKIN)
    # fringe: a row of pointed locks over the forehead
    fringe = [(12, 34), (13, 18), (22, 10), (32, 8), (42, 10), (51, 18), (52, 34),
              (47, 26), (44, 33), (39, 24), (35, 31), (30, 22), (25, 31), (21, 23), (17, 33)]
    outlined_polygon(cv, fringe, p.hair)
    cv.polygon([(20, 14), (30, 11), (26, 16)], p.hair_hi)
    cv.polygon([(36, 12), (44, 14), (40, 17)], p.hair_hi)
    if p.long_hair:
        # side locks framing the face
        cv.polygon([(12, 30), (16, 32), (17, 56), (12, 60)], p.hair)
        cv.polygon([(52, 30), (48, 32), (47, 56), (52, 60)], p.hair)
        cv.ellipse(16, 30, 3, 2, p.cloth_hi)  # hair clip
    # eyebrows
    for x in (EYE_L, EYE_R):
        y = EYE_Y - 9 - brows
        cv.line(x - 4, y + 1, x + 4, y + 1, p.hair, 1)
        cv.line(x - 2, y, x + 2, y, p.hair, 1)
    # nose
    cv.put(32, 49, SKIN_SHADE)
    cv.put(33, 50, SKIN_SHADE)
    return cv


def eyes_layer(p, state, tall):
    """state 0 open, 1 half shut, 2 shut; tall widens the eyes (surprise)."""
    cv = Canvas(W, H)
    cv.clear_alpha()
    ry = 6 if tall else 5
    for x in (EYE_L, EYE_R):
        if state == 0:
            cv.ellipse(x, EYE_Y, 4.5, ry, EYE_WHITE)
            cv.ellipse(x, EYE_Y + 0.5, 3.4, ry - 0.8, p.iris)
            cv.ellipse(x, EYE_Y + 1, 3.4, ry - 2.5, p.iris_dark)
            cv.ellipse(x, EYE_Y + 1, 1.6, 2.2, (16, 16, 32))
            cv.rect(x - 2, EYE_Y - 3, x, EYE_Y - 1, EYE_WHITE)
            cv.line(x - 5, EYE_Y - ry, x + 5, EYE_Y - ry, LINE, 2)
        elif state == 1:
            cv.ellipse(x, EYE_Y + 2, 4.5, 3, EYE_WHITE)
            cv.ellipse(x, EYE_Y + 2, 3.4, 2.6, p.iris_dark)
            cv.rect(x - 5, EYE_Y - ry, x + 6, EYE_Y + 1, SKIN)
            cv.line(x - 5, EYE_Y, x + 5, EYE_Y, LINE, 2)
        else:
            for dx in range(-5, 6):
                y = EYE_Y + 2 + round(1.5 * math.cos(dx / 5 * math.pi / 2))
                cv.put(x + dx, y, LINE)
                cv.put(x + dx, y - 1, LINE)
    return cv


def mouth_layer(shape, frame):
    """shape 'smile', 'oh' or 'grin'; frame 0 closed, 1 half open, 2 open."""
    cv = Canvas(W, H)
    cv.clear_alpha()
    x, y = MOUTH
    if frame == 0:
        if shape == "oh":
            cv.ellipse(x, y, 2, 1.5, MOUTH_IN)
        else:
            wide = 5 if shape == "grin" else 4
            for dx in range(-wide, wide + 1):
                cv.put(x + dx, y + round(1.2 * math.cos(dx / wide * math.pi / 2)) - 1, LINE)
    elif frame == 1:
        rx = 2.5 if shape == "oh" else 4
        cv.ellipse(x, y, rx, 2, MOUTH_IN)
        cv.line(x - rx, y - 1, x + rx, y - 1, LINE, 1)
    else:
        rx = 3.5 if shape == "oh" else 5 if shape == "grin" else 4.5
        cv.ellipse(x, y + 0.5, rx, 3.5, MOUTH_IN)
        cv.ellipse(x, y + 2.5, rx * 0.6, 1.3, TONGUE)
        cv.line(x - rx, y - 2, x + rx, y - 2, LINE, 1)
    return cv


def blush(cv):
    for x in (EYE_L - 3, EYE_R + 3):
        cv.ellipse(x, EYE_Y + 8, 3.5, 1.5, BLUSH)


def sweat(cv):
    cv.polygon([(52, 16), (49, 23), (55, 23)], (160, 200, 248))
    cv.ellipse(52, 23, 3, 3, (160, 200, 248))
    cv.put(51, 22, (248, 248, 248))


def face(person, brows, mouth_shape, tall_eyes=False, extra=None):
    base = base_layer(person, brows)
    if extra:
        extra(base)
    layers = [base]
    layers += [mouth_layer(mouth_shape, k) for k in range(3)]
    layers += [eyes_layer(person, k, tall_eyes) for k in range(3)]
    return layers


LAYER_NAMES = ["base", "mouth0", "mouth1", "mouth2", "eyes0", "eyes1", "eyes2"]


def all_faces(art):
    faces = {
        "FACE0100": face(AKARI, 0, "smile", extra=blush),       # Akari, smiling
        "FACE0101": face(AKARI, 3, "oh", tall_eyes=True),        # Akari, surprised
        "FACE0200": face(SORA, 0, "smile"),                      # Sora, calm
        "FACE0201": face(SORA, 1, "grin", extra=sweat),          # Sora, laughing it off
    }
    for name, layers in faces.items():
        folder = os.path.join(art, "face", name)
        os.makedirs(folder, exist_ok=True)
        for k, layer in enumerate(layers):
            layer.save(os.path.join(folder, "%d-%s.png" % (k, LAYER_NAMES[k])))
