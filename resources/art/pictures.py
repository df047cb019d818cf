"""Every FIG picture the scene and the card show, frame by frame.

PICTURES maps a FIG id to (frame width, frame height, columns, list of frame
drawings). Each frame drawing is SVG in the frame's own pixel coordinates;
the key colour fills what the drawing leaves empty."""

import math

from figures import *
from svg import *

# The sled pictures (records 0 to 3) share their bottom-right corner, so the
# sled is drawn in the coordinates of the 160 x 135 riding frame and shifted.
SLED_REAR = (27, 66)


def sled_point(u, v=0.0):
    """A point of the sled's own axes (u forward, v down) in riding-frame pixels."""
    dx, dy = DIR
    return SLED_REAR[0] + u * dx - v * dy, SLED_REAR[1] + u * dy + v * dx


def riders_on_sled(t, back=None, front=None, bob=0, extra_back="", extra_front=""):
    back = back or {}
    front = front or {}
    s = ""
    s += spray(*sled_point(-2, 2), t)
    s += group(sled(), SLED_REAR[0], SLED_REAR[1] + bob, SLOPE)
    bx, by = sled_point(34, -15)
    fx, fy = sled_point(78, -15)
    s += extra_back
    s += group(rider(RIDERS["back"], t=t, **back), bx, by + bob)
    s += group(rider(RIDERS["front"], t=t, **front), fx, fy + bob)
    s += extra_front
    return s


def shifted(width, height, content):
    return group(content, width - 160, height - 135)


def ride_frames():
    return [shifted(160, 135, riders_on_sled(t, bob=(0, -1, 0, 1)[t])) for t in range(4)]


def wave_frames():
    frames = []
    for t, angle in enumerate((70, 110, 80, 120)):
        frames.append(shifted(160, 167, riders_on_sled(
            t, bob=(0, -1, 0, 1)[t], front=dict(pose="wave", wave=angle, mood="open" if t % 2 else "smile"))))
    return frames


PICTURES = {
    305: (160, 135, 2, ride_frames),
    303: (160, 167, 2, wave_frames),
}


def bear_frames():
    frames = []
    bx, by = sled_point(8, -15)
    for t in range(4):
        paw = "hug" if t < 2 else "wave"
        bob = (0, -1, 0, -1)[t]
        b = group(bear(t, paw), bx, by + bob)
        frames.append(shifted(156, 181, riders_on_sled(t, bob=bob, extra_back=b,
                                                       back=dict(mood="open" if t in (1, 3) else "smile"))))
    return frames


def hit_frames():
    """A snowball from the upper right hits the front rider in the face."""
    fx, fy = sled_point(78, -15)
    hx, hy = fx + 9, fy - 35            # the front rider's face
    frames = []
    for t in range(6):
        front = {}
        extra = ""
        if t == 0:
            extra = snowball(hx + 50, hy - 22) + motion_lines(hx + 55, hy - 24, 14, -7)
        elif t == 1:
            extra = snowball(hx + 20, hy - 9, 4.8) + motion_lines(hx + 25, hy - 11, 14, -7)
            front = dict(eyes="wide", mood="open")
        elif t == 2:
            front = dict(eyes="shut", mood="open", snowface=1)
            extra = "".join(puff(hx + dx, hy + dy, r) for dx, dy, r in
                            ((12, -10, 3), (15, 2, 2.5), (6, -16, 2.2), (-8, -14, 2), (13, 9, 1.8)))
        elif t == 3:
            front = dict(eyes="shut", mood="cross", snowface=1)
        elif t == 4:
            front = dict(eyes="shut", mood="cross", snowface=2)
        else:
            front = dict(eyes="open", mood="cross", snowface=3)
        back = dict(mood="open") if t >= 2 else {}
        frames.append(shifted(160, 142, riders_on_sled(t % 4, front=front, back=back, extra_front=extra)))
    return frames


def plough_frames():
    """The sled dives into the snowdrift, which is drawn over its lower right."""
    frames = []
    for t in range(2):
        ang = 34 + 8 * t
        rx, ry = (22, 26) if t == 0 else (34, 34)
        a = math.radians(ang)
        pt = lambda u, v: (rx + u * math.cos(a) - v * math.sin(a), ry + u * math.sin(a) + v * math.cos(a))
        s = spray(*pt(-2, 2), t)
        s += group(sled(), rx, ry, ang)
        bx, by = pt(30, -15)
        fx, fy = pt(74, -15)
        s += group(group(rider(RIDERS["back"], t=t, pose="duck", mood="open", eyes="wide"), 0, 0, ang - 26), bx, by)
        s += group(group(rider(RIDERS["front"], t=t, pose="duck", mood="open", eyes="shut"), 0, 0, ang - 10), fx, fy)
        # snow thrown up where the nose went in
        cx, cy = (96, 66) if t == 0 else (84, 60)
        for dx, dy, r in ((0, 0, 9), (-14, -6, 7), (14, -10, 7), (-4, -18, 6), (20, 2, 6), (-26, 0, 5), (6, -30, 4),
                          (30, -16, 4), (-20, -22, 3.5), (40, -4, 3)):
            s += puff(cx + dx * (1 + 0.3 * t), cy + dy * (1 + 0.4 * t), r * (1 + 0.15 * t))
        frames.append(s)
    return frames


BOY = dict(coat=RED, coat2=RED2, hat=RED, hat2=RED2, band=WHITE, pom=WHITE, scarf=WHITE, scarf2=SNOW2,
           hair=BROWN2, mitten=GREEN, button=YELLOW)
GIRL = dict(coat=PURPLE, coat2=PURPLE2, hat=PURPLE, hat2=PURPLE2, band=PURPLE2, pom="#FF99CC", scarf=YELLOW,
            scarf2=YELLOW2, hair=YELLOW2, mitten="#FF99CC", button=WHITE)


def boy_frames():
    """The boy on the upper right, facing the sled down to his left."""
    frames = []
    ox, oy = 40, 90
    L = -1
    for t in range(6):
        s = ""
        if t == 0:
            arm = [(2, -38), (9, -30), (13, -24)]
            s += group(standing_child(BOY, L, arm=arm), ox, oy)
            s += snowball(ox + 14, oy - 27, 3.6)
        elif t == 1:
            arm = [(2, -38), (-8, -36), (-20, -32)]
            s += group(standing_child(BOY, L, arm=arm, mood="open"), ox, oy)
            s += snowball(ox - 29, oy - 28, 3.6) + motion_lines(ox - 24, oy - 30, 8, -2, 2)
        elif t == 2:
            s += group(standing_child(BOY, L, arm=[(2, -38), (-6, -44), (-9, -52)], mood="open", eyes="wide"), ox, oy)
            s += snowball(ox - 22, oy - 50, 4.5) + motion_lines(ox - 28, oy - 47, -12, 6, 3)
        elif t == 3:
            s += group(standing_child(BOY, L, arm=[(2, -38), (10, -46), (12, -56)], mood="open", eyes="shut",
                                      snowface=1), ox, oy)
            s += "".join(puff(ox + dx, oy + dy, r) for dx, dy, r in ((-20, -62, 3), (-22, -48, 2.4), (-14, -72, 2.2)))
        else:
            sh = (0, 1.5)[t - 4]
            body = standing_child(BOY, L, arm=[(2, -38), (8, -30), (10, -22)], mood="cross", eyes="shut",
                                  snowface=2 if t == 4 else 3)
            s += group(body, ox + sh, oy)
            # snow heaped on the hat and shoulders
            s += path("M%s %s C%s %s %s %s %s %s C%s %s %s %s %s %s Z" % (
                fmt(ox - 12 + sh), fmt(oy - 66), fmt(ox - 10 + sh), fmt(oy - 80), fmt(ox + 12 + sh), fmt(oy - 80),
                fmt(ox + 12 + sh), fmt(oy - 66), fmt(ox + 6 + sh), fmt(oy - 69), fmt(ox - 4 + sh), fmt(oy - 63),
                fmt(ox - 12 + sh), fmt(oy - 66)), WHITE)
            s += puff(ox - 9 + sh, oy - 42, 3.5) + puff(ox + 8 + sh, oy - 41, 3)
            if t == 5:
                s += puff(ox - 18, oy - 60, 1.8) + puff(ox + 19, oy - 58, 1.8) + puff(ox + 16, oy - 70, 1.5)
        frames.append(s)
    return frames


def girl_frames():
    """The girl on the lower left, facing the boy up to her right."""
    frames = []
    sc = 1.75
    ox, oy = 62, 168
    for t in range(4):
        s = ""
        if t == 0:
            arm = [(2, -38), (-8, -46), (-14, -56)]
            s += group(standing_child(GIRL, 1, arm=arm, earmuffs=True, hat=False, skirt=True,
                                      far_arm=[(-2, -38), (6, -32), (10, -28)]), ox, oy, 0, sc)
            s += snowball(ox - 14 * sc, oy - 60 * sc, 4 * sc)
        elif t == 1:
            arm = [(2, -38), (9, -48), (15, -58)]
            s += group(standing_child(GIRL, 1, arm=arm, earmuffs=True, hat=False, skirt=True, mood="open"),
                       ox, oy, 0, sc)
            s += snowball(ox + 19 * sc, oy - 64 * sc, 4 * sc)
        elif t == 2:
            arm = [(2, -38), (12, -40), (20, -40)]
            s += group(standing_child(GIRL, 1, arm=arm, earmuffs=True, hat=False, skirt=True), ox, oy, 0, sc)
            s += snowball(ox + 48, oy - 132, 3.6 * sc) + motion_lines(ox + 40, oy - 126, -16, 8, 3)
        else:
            # lying on her back in the snow, boots up
            body = standing_child(GIRL, 1, arm=[(2, -38), (12, -48), (18, -58)], earmuffs=True, hat=False,
                                  skirt=True, eyes="shut", mood="open", snowface=1)
            s += group(body, 112, 152, -80, 1.5)
            for dx, dy, r in ((34, 158, 8), (60, 162, 7), (90, 160, 8), (116, 158, 6), (10, 160, 5), (70, 150, 4)):
                s += puff(dx, dy, r)
        frames.append(s)
    return frames


def tree_picture(w, h, layout):
    def draw():
        return ["".join(fir(x, y, tw, th, tiers) for x, y, tw, th, tiers in layout)]
    return draw


PICTURES.update({
    300: (156, 181, 2, bear_frames),
    310: (160, 142, 2, hit_frames),
    304: (156, 113, 1, plough_frames),
    302: (78, 92, 3, boy_frames),
    306: (140, 174, 2, girl_frames),
    311: (151, 177, 1, tree_picture(151, 177, [(75, 172, 146, 170, 5)])),
    312: (104, 143, 1, tree_picture(104, 143, [(52, 138, 100, 136, 4)])),
    313: (135, 139, 1, tree_picture(135, 139, [(40, 110, 72, 106, 4), (88, 135, 92, 128, 4)])),
    314: (54, 72, 1, tree_picture(54, 72, [(27, 68, 50, 66, 3)])),
})


def head_frames():
    """The snowman's head resting on the riders, looking about, then bursting."""
    cx, cy, r = 70, 82, 19
    frames = []
    looks = [(-1, "open"), (1, "open"), (0, "shut"), (0, "open"), (0, "wide")]
    for t, (look, eyes) in enumerate(looks):
        frames.append(snowman_head(cx, cy + (0, 0, 1, 0, -2)[t], r, look, eyes, (-14, -8, -10, -12, -20)[t]))
    # bursting: a flash of chunks, wider and thinner each frame
    for t in range(3):
        s = ""
        n = 10 + 2 * t
        spread = (16, 32, 48)[t]
        for k in range(n):
            a = 2 * math.pi * k / n + t * 0.3
            rr = spread * (0.7 + 0.3 * ((k * 7) % 3) / 2)
            size = (7, 5, 3.2)[t] * (1.2 if k % 3 == 0 else 0.9)
            s += chunk(cx + rr * math.cos(a), cy + 4 + rr * math.sin(a) * 0.8, size, k * 40)
        if t == 0:
            s += snow_ball_shape(cx, cy + 2, 12)
            s += path("M%s %s L%s %s L%s %s Z" % (fmt(cx + 8), fmt(cy - 18), fmt(cx + 26), fmt(cy - 30),
                                                  fmt(cx + 12), fmt(cy - 12)), ORANGE)
        # the hat flies off
        hx, hy = (cx - 20, cy - 34 - 6 * t)
        s += group(rect(-17, -2, 34, 4, BLACK) + rect(-11, -18, 22, 17, BLACK) + rect(-11, -6, 22, 3.5, RED, None),
                   hx - 10 * t, hy - 4 * t, -30 - 25 * t)
        if t > 0:
            s += group(path("M0 0 L16 4 L0 5 Z", ORANGE), cx + 20 + 8 * t, cy - 20 - 10 * t, 40 * t)
        frames.append(s)
    return frames


def legs_frames():
    """Two pairs of legs kick out of the snowdrift."""
    frames = []
    for t in range(2):
        s = ""
        for base, col, boot, phase in ((22, TROUSER, BROWN2, 0), (62, "#336633", "#990000", 1)):
            k = (t + phase) % 2
            for side in (-1, 1):
                lift = 4 if (side > 0) == (k == 1) else 0
                top = (base + side * 7 + side * (3 if k else 1), 6 + lift)
                s += limb([(base + side * 3, 36), (base + side * 5, 22), top], col, 6.5)
                s += ellipse(top[0] + side * 2, top[1] - 2, 4, 6.5, boot, OUT, SW, side * 25)
        # a rim of snow where they went in
        s += path("M0 39 C4 30 14 30 20 33 C28 28 38 30 44 34 C52 28 64 29 70 33 C78 30 86 32 88 39 Z", WHITE)
        s += path("M20 36 C28 33 36 34 42 37 M62 36 C70 34 78 35 84 38", None, SNOW2, 1.4)
        for dx, dy, r in ((10 + 6 * t, 24 - 3 * t, 1.8), (76 - 6 * t, 22 + 2 * t, 2), (44, 20 - 2 * t, 1.5)):
            s += circle(dx, dy, r, WHITE)
        frames.append(s)
    return frames


SNOWMAN_FOOT = (130, 146)


def snowman_frames():
    """The snowman in the sled's path; the sled hits it, it bursts, two halves stay."""
    x, y = SNOWMAN_FOOT
    frames = []
    # 0: the whole snowman
    s = snow_ball_shape(x, y - 30, 31) + snow_ball_shape(x + 1, y - 72, 23)
    s += stick_arm(x - 18, y - 78, 150) + stick_arm(x + 18, y - 78, 40)
    for k in range(3):
        s += circle(x + 3, y - 84 + 11 * k, 2.6, BLACK, None)
    s += path("M%s %s C%s %s %s %s %s %s L%s %s C%s %s %s %s %s %s Z" % (
        fmt(x - 17), fmt(y - 93), fmt(x - 6), fmt(y - 88), fmt(x + 8), fmt(y - 88), fmt(x + 18), fmt(y - 93),
        fmt(x + 18), fmt(y - 87), fmt(x + 8), fmt(y - 82), fmt(x - 6), fmt(y - 82), fmt(x - 17), fmt(y - 87)), RED)
    s += path("M%s %s L%s %s L%s %s L%s %s Z" % (fmt(x - 12), fmt(y - 88), fmt(x - 20), fmt(y - 66), fmt(x - 13),
                                                 fmt(y - 65), fmt(x - 7), fmt(y - 86)), RED)
    s += snowman_head(x + 2, y - 108, 17)
    s = path("M%s %s C%s %s %s %s %s %s Z" % (fmt(x - 46), fmt(y + 2), fmt(x - 30), fmt(y - 8), fmt(x + 30),
                                             fmt(y - 8), fmt(x + 50), fmt(y + 2)), WHITE) + s
    frames.append(s)
    # 1: hit: it leans back, chunks fly
    s1 = group(s, x, y, 12) if False else '<g transform="rotate(14 %s %s)">%s</g>' % (fmt(x + 30), fmt(y), s)
    for dx, dy, r in ((-38, -20, 6), (-44, -40, 4), (-30, -56, 4.5), (-52, -8, 3.5), (-20, 4, 5)):
        s1 += chunk(x + dx, y + dy, r, dx * 7)
    frames.append(s1)
    # 2: burst: the body breaks apart, the head is gone
    s2 = ""
    for k in range(16):
        a = 2 * math.pi * k / 16
        rr = 30 + 22 * ((k * 5) % 4) / 3
        s2 += chunk(x + rr * math.cos(a) * 1.2, y - 52 + rr * math.sin(a), 5 + (k % 3) * 2.5, k * 33)
    s2 += snow_ball_shape(x - 4, y - 26, 24)
    s2 += chunk(x + 6, y - 64, 12, 10) + chunk(x - 20, y - 60, 9, 50)
    s2 += stick_arm(x - 40, y - 100, 120, 22) + stick_arm(x + 40, y - 96, 70, 22)
    frames.append(s2)
    # 3 to 5: the two halves of the bottom ball lie in the snow
    for t in range(3):
        s3 = path("M%s %s C%s %s %s %s %s %s Z" % (fmt(x - 60), fmt(y + 2), fmt(x - 40), fmt(y - 12), fmt(x + 40),
                                                  fmt(y - 12), fmt(x + 62), fmt(y + 2)), WHITE)
        left = "M%s %s A28 28 0 0 1 %s %s L%s %s Z" % (fmt(x - 36), fmt(y - 2), fmt(x - 10), fmt(y - 46),
                                                       fmt(x - 8), fmt(y - 2))
        right = "M%s %s A28 28 0 0 0 %s %s L%s %s Z" % (fmt(x + 34), fmt(y - 2), fmt(x + 6), fmt(y - 44),
                                                        fmt(x + 4), fmt(y - 2))
        s3 += group(path(left, WHITE) + path("M%s %s L%s %s" % (fmt(x - 9), fmt(y - 40), fmt(x - 9), fmt(y - 4)),
                                             None, SNOW3, 3), -4 - 3 * t, 0)
        s3 += group(path(right, SNOW1) + path("M%s %s A28 28 0 0 0 %s %s" % (fmt(x + 30), fmt(y - 4), fmt(x + 16),
                                                                            fmt(y - 38)), None, SNOW2, 3), 4 + 3 * t, 0)
        for k, (dx, dy, r) in enumerate(((-50, -6, 5), (-30, -4, 4), (44, -5, 4.5), (60, -3, 3.5), (0, -2, 3))):
            s3 += chunk(x + dx * (1 + 0.1 * t), y + dy, r, k * 50)
        s3 += stick_arm(x - 70, y - 6, 170 - 10 * t, 22) + stick_arm(x + 54, y - 14, 15 + 5 * t, 22)
        frames.append(s3)
    return frames


DRIFT_TOP = [(0, 116), (12, 92), (30, 66), (52, 44), (78, 28), (108, 16), (146, 11), (186, 14), (222, 25),
             (248, 42), (268, 64), (283, 90), (293, 114)]


def drift_frames():
    """The snowdrift; the message is written in its clear area (64, 43)-(219, 110)."""
    d = "M0 130 L%s %s" % DRIFT_TOP[0]
    for (x0, y0), (x1, y1) in zip(DRIFT_TOP, DRIFT_TOP[1:]):
        d += " Q%s %s %s %s" % (fmt(x0 + (x1 - x0) * 0.5 + (y1 - y0) * 0.15), fmt(y0 + (y1 - y0) * 0.5 - 4), x1, y1)
    d += " L293 130 Z"
    s = path(d, WHITE)
    # shade on the lower right, clear of the message area
    s += path("M232 130 C240 112 250 92 262 70 C272 84 282 100 292 118 L292 130 Z", SNOW2, None)
    s += path("M0 130 L0 124 C40 122 80 125 120 124 C170 123 220 125 292 122 L292 130 Z", SNOW2, None)
    s += path("M246 130 C254 116 262 102 270 88 C278 100 286 112 292 122 L292 130 Z", SNOW3, None)
    s += path("M22 84 C40 60 70 36 110 24", None, SNOW1, 3)
    s += path(d, "none")
    # sparkle of fresh snow on the crest
    for x, y in ((120, 20), (170, 19), (60, 50)):
        s += line(x - 2, y, x + 2, y, SNOW3, 0.9) + line(x, y - 2, x, y + 2, SNOW3, 0.9)
    return [s]


PICTURES.update({
    307: (141, 120, 2, head_frames),
    308: (88, 39, 1, legs_frames),
    309: (246, 201, 2, snowman_frames),
    350: (293, 130, 1, drift_frames),
})
