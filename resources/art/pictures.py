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
    # speed lines trailing up the slope behind the sled
    dx, dy = DIR
    for k, (v, length, shift) in enumerate(((-4, 12, 0), (-10, 9, 5), (-17, 7, 2))):
        o = (shift + 3 * t) % 7
        x0, y0 = sled_point(-8 - o, v)
        s += line(x0, y0, x0 - length * dx, y0 - length * dy, SNOW3, 1.6)
    s += spray(*sled_point(-2, 2), t, 0.7)
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
    for t, angle in enumerate((50, 75, 100, 70)):
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
        b = group(bear(t, paw), bx + 4, by + bob)
        # the bear's big paw rests on the rider in front of it
        sx, sy = sled_point(34, -15)
        hug = group(limb([(-25, -43), (-17, -28), (-6, -20)], BROWN, 9) + circle(-4, -19, 5.5, BROWN_L),
                    sx, sy + bob) if paw == "hug" else ""
        frames.append(shifted(156, 181, riders_on_sled(t, bob=bob, extra_back=b, extra_front=hug,
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
            extra = snowball(hx + 32, hy - 17) + motion_lines(hx + 37, hy - 19, 10, -5)
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
    """The sled dives into the snowdrift, which lies over its lower right: the
    drift's picture starts at (15, 40) of this frame."""
    frames = []
    for t in range(2):
        ang, rx, ry = ((30, 16, 60), (37, 22, 65))[t]
        a = math.radians(ang)

        def pt(u, v):
            return rx + u * math.cos(a) - v * math.sin(a), ry + u * math.sin(a) + v * math.cos(a)

        s = ""
        s += group(sled(), rx, ry, ang)
        bx, by = pt(34, -15)
        fx, fy = pt(78, -15)
        s += group(rider(RIDERS["back"], t=t, pose="duck", mood="open", eyes="wide"), bx, by, ang - 30)
        s += group(rider(RIDERS["front"], t=t, pose="duck", mood="open", eyes="shut"), fx, fy, ang - 12)
        # snow thrown up where the nose goes in, lying on the drift's crest
        cx, cy = ((92, 74), (84, 70))[t]
        for dx, dy, r in ((0, 0, 8), (-12, -5, 6.5), (13, -8, 6.5), (-3, -16, 5.5), (22, -2, 5), (-22, 2, 4.5),
                          (6, -27, 4), (28, -15, 3.6), (-17, -20, 3), (38, -6, 2.6), (16, -34, 2.2)):
            s += puff(cx + dx * (1 + 0.35 * t), cy + dy * (1 + 0.45 * t), r * (1 + 0.2 * t))
        frames.append(s)
    return frames


BOY = dict(coat=RED, coat2=RED2, coat_l=RED_L, hat=RED, hat2=RED2, hat_l=RED_L, band=WHITE, pom=WHITE, scarf=WHITE, scarf2=SNOW2,
           hair=BROWN2, mitten=GREEN, button=YELLOW)
GIRL = dict(coat=PURPLE, coat2=PURPLE2, coat_l=PURPLE_L, hat=PURPLE, hat2=PURPLE2, band=PURPLE2, pom="#FF99CC", scarf=YELLOW,
            scarf2=YELLOW2, hair=YELLOW2, mitten="#FF99CC", button=WHITE)


def fallen_girl(ox, oy, sc):
    """The girl lies on her back where she stood, boots in the air, seeing stars."""
    s = group(lying_child(GIRL), ox, oy, 0, sc)
    # snow thrown up by the fall
    for dx, dy, r in ((-37, -19, 1.3), (34, -8, 1.6), (33, -15, 1.2), (30, -31, 1.1)):
        s += puff(ox + dx * sc, oy + dy * sc, r * sc)
    return s


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
            s += fallen_girl(ox + 10, oy - 2, sc)
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
    311: (151, 177, 1, tree_picture(151, 177, [(75, 172, 146, 167, 5)])),
    312: (104, 143, 1, tree_picture(104, 143, [(52, 138, 100, 133, 4)])),
    313: (135, 139, 1, tree_picture(135, 139, [(40, 110, 72, 106, 4), (87, 135, 90, 128, 4)])),
    314: (54, 72, 1, tree_picture(54, 72, [(27, 68, 50, 63, 3)])),
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
    """Two pairs of legs kick out of the snowdrift, boots up."""
    frames = []
    for t in range(2):
        s = ""
        for base, trouser, boot, phase in ((24, TROUSER, BROWN2, 0), (62, "#336633", RED2, 1)):
            k = (t + phase) % 2
            for side in (-1, 1):
                up = (side > 0) == (k == 1)
                knee = (base + side * (6 if up else 4), 25 if up else 27)
                top = (base + side * (12 if up else 7), 13 if up else 16)
                s += limb([(base + side * 3, 38), knee, top], trouser, 7.5)
                ang = side * (35 if up else 15)
                s += ellipse(top[0] + side * 1.5, top[1] - 3.5, 4.4, 6.4, boot, OUT, SW, ang)
                s += group(line(-4, -1, 4, -1, OUT, 1.6), top[0] + side * 3, top[1] - 8, ang)
        # a rim of snow where the riders went in
        s += path("M3 39 C4 31 12 29 20 33 C26 28 36 28 44 33 C52 28 62 28 68 33 C76 29 84 31 85 39 Z", WHITE)
        s += path("M8 37 C16 34 26 35 34 37 M52 37 C60 34 70 35 80 37", None, SNOW2, 1.4)
        for dx, dy, r in ((6 + 4 * t, 22 - 4 * t, 2), (80 - 4 * t, 20 + 3 * t, 2.2), (44, 16 - 3 * t, 1.6),
                          (36 + 6 * t, 8, 1.3)):
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
    ground = path("M%s %s C%s %s %s %s %s %s Z" % (fmt(x - 46), fmt(y + 2), fmt(x - 30), fmt(y - 8), fmt(x + 30),
                                                  fmt(y - 8), fmt(x + 50), fmt(y + 2)), WHITE)
    frames.append(ground + s)
    # 1: hit: it leans back, chunks fly
    s1 = ground + '<g transform="translate(0 8) rotate(10 %s %s)">%s</g>' % (fmt(x + 30), fmt(y), s)
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
    # 3 to 5: the bottom ball has split in two halves that rock apart and
    # settle; what flew up comes down on the snow around them
    for t in range(3):
        s3 = path("M%s %s C%s %s %s %s %s %s Z" % (fmt(x - 76), fmt(y + 2), fmt(x - 54), fmt(y - 11), fmt(x + 54),
                                                  fmt(y - 11), fmt(x + 78), fmt(y + 2)), WHITE)
        s3 += path("M%s %s C%s %s %s %s %s %s" % (fmt(x + 20), fmt(y - 1), fmt(x + 40), fmt(y - 3), fmt(x + 56),
                                                 fmt(y - 3), fmt(x + 68), fmt(y - 1)), None, SNOW2, 1.4)
        fall = (1.0, 0.12, 0.0)[t]          # how far up what flew is still
        # the stick arms come down flat on either side
        s3 += stick_arm(x - 56 - 6 * fall, y - 4 - 40 * fall, 172 + 60 * fall, 24)
        s3 += stick_arm(x + 60 + 8 * fall, y - 4 - 40 * fall, 8 - 50 * fall, 24)
        # crumbs behind the halves
        for k, (dx, r) in enumerate(((-4, 4.2), (6, 3.4), (-60, 3.6), (62, 4))):
            s3 += chunk(x + dx, y - r * 0.6 - 22 * fall * (k % 2), r, k * 70 + t * 25)
        s3 += snow_half(x - 30, y, 29, -1, (58, 38, 46)[t])
        s3 += snow_half(x + 32, y, 29, 1, (52, 34, 42)[t])
        for k, (dx, r) in enumerate(((-44, 3), (-16, 2.4), (38, 2.6), (52, 3.2), (70, 2.2))):
            up = (70 - 6 * k) * fall * ((k + 1) % 2)
            s3 += chunk(x + dx, y - r * 0.6 - up, r, k * 50 + t * 40)
        for k, (dx, dy) in enumerate(((-64, -3), (2, -2.5), (64, -3.5))):
            s3 += coal(x + dx, y + dy - 24 * fall * (k % 2 == 0), 2.4)
        frames.append(s3)
    return frames


DRIFT_TOP = [(4, 118), (14, 92), (30, 66), (52, 44), (78, 28), (108, 16), (146, 11), (186, 14), (222, 25),
             (248, 42), (268, 64), (281, 90), (289, 116)]


def smooth_path(points):
    """A Catmull-Rom curve through the points, as SVG cubic segments."""
    d = ""
    for i in range(len(points) - 1):
        p0 = points[max(i - 1, 0)]
        p1, p2 = points[i], points[i + 1]
        p3 = points[min(i + 2, len(points) - 1)]
        c1 = (p1[0] + (p2[0] - p0[0]) / 6, p1[1] + (p2[1] - p0[1]) / 6)
        c2 = (p2[0] - (p3[0] - p1[0]) / 6, p2[1] - (p3[1] - p1[1]) / 6)
        d += " C%s %s %s %s %s %s" % (fmt(c1[0]), fmt(c1[1]), fmt(c2[0]), fmt(c2[1]), fmt(p2[0]), fmt(p2[1]))
    return d


def drift_frames():
    """The snowdrift; the message is written in its clear area (64, 43)-(219, 110)."""
    outline = "M2 130 L%s %s" % DRIFT_TOP[0] + smooth_path(DRIFT_TOP) + " L291 130 Z"
    inside = ""
    # light from the upper left: the right flank and the foot lie in shade
    inside += path("M226 0 C238 30 246 60 240 96 C236 112 226 122 214 130 L300 130 L300 0 Z", SNOW1, None)
    inside += path("M250 20 C262 50 268 80 258 108 C254 118 246 126 238 130 L300 130 L300 20 Z", SNOW2, None)
    inside += path("M272 50 C282 76 284 100 274 122 L270 130 L300 130 L300 50 Z", SNOW3, None)
    inside += path("M-5 122 C30 116 60 121 100 119 C140 117 190 122 214 120 L214 135 L-5 135 Z", SNOW1, None)
    inside += path("M-5 126 C40 123 90 127 140 125 C180 124 200 127 214 126 L214 135 L-5 135 Z", SNOW2, None)
    # wind ridges on the left flank, clear of the message
    inside += path("M10 104 C22 88 36 76 52 66", None, SNOW1, 2)
    inside += path("M16 116 C26 104 38 96 50 92", None, SNOW1, 2)
    s = clip("drift", '<path d="%s"/>' % outline, path(outline, WHITE, None) + inside)
    s += path(outline, "none")
    # lumps of snow at its foot
    for x, y, r in ((10, 125, 5.5), (22, 127, 4.5), (278, 124, 6.5), (264, 127, 5)):
        s += puff(x, y, r)
    # a fir top and a twig poking out
    s += fir(262, 82, 22, 26, 2)
    s += path("M266 84 C262 88 258 90 252 89", None, WHITE, 3.5)
    s += path("M30 92 L22 84 M26 88 L28 82 M26 88 L19 89", None, WOOD2, 1.6)
    # sparkle of fresh snow on the crest
    for x, y in ((122, 22), (176, 22), (60, 52), (236, 48)):
        s += line(x - 2.5, y, x + 2.5, y, SNOW3, 0.9) + line(x, y - 2.5, x, y + 2.5, SNOW3, 0.9)
    return [s]


PICTURES.update({
    307: (141, 120, 2, head_frames),
    308: (88, 39, 1, legs_frames),
    309: (246, 201, 2, snowman_frames),
    350: (293, 130, 1, drift_frames),
})


NIGHT = ["#003366", "#003399", "#336699", "#3366CC", "#6699CC"]


def sky_bands(x, y, w, h, colours=NIGHT):
    """A sky in flat bands, darkest at the top (nothing is dithered)."""
    s = ""
    n = len(colours)
    for k, c in enumerate(colours):
        s += rect(x, y + h * k / n, w, h / n + 1, c, None)
    return s


def stars(x, y, w, h, n, seed):
    s = ""
    v = seed
    for k in range(n):
        v = (v * 1103515245 + 12345) & 0x7FFFFFFF
        sx = x + (v % 1000) / 1000 * w
        v = (v * 1103515245 + 12345) & 0x7FFFFFFF
        sy = y + (v % 1000) / 1000 * h
        if k % 4 == 0:
            s += line(sx - 2, sy, sx + 2, sy, WHITE, 0.9) + line(sx, sy - 2, sx, sy + 2, WHITE, 0.9)
        else:
            s += circle(sx, sy, 0.8, "#FFFFCC" if k % 3 else WHITE, None)
    return s


def hills(w, base, colour_far=SNOW2, colour_near=WHITE):
    s = path("M0 %s C%s %s %s %s %s %s L%s %s L0 %s Z" % (
        fmt(base - 10), fmt(w * 0.3), fmt(base - 34), fmt(w * 0.55), fmt(base - 4), fmt(w), fmt(base - 24),
        fmt(w), fmt(base + 200), fmt(base + 200)), colour_far, None)
    s += path("M0 %s C%s %s %s %s %s %s L%s %s L0 %s Z" % (
        fmt(base + 8), fmt(w * 0.35), fmt(base - 14), fmt(w * 0.7), fmt(base + 16), fmt(w), fmt(base - 2),
        fmt(w), fmt(base + 200), fmt(base + 200)), colour_near, None)
    return s


def title_frames():
    w, h = 282, 155
    s = sky_bands(0, 0, w, 110)
    s += stars(6, 4, 270, 60, 26, 7)
    s += circle(238, 28, 13, "#FFFFCC", None) + circle(244, 24, 11, "#336699", None) if False else \
        circle(240, 28, 12, "#FFFFCC", None) + circle(235, 25, 3, "#FFFF99", None)
    s += hills(w, 112)
    s += fir(30, 120, 34, 52, 3) + fir(254, 112, 30, 48, 3) + fir(228, 122, 22, 32, 2)
    s += group(riders_on_sled(0), 56, 84, 0, 0.42)
    s += text(w / 2, 66, "Festling", 54, RED, "Lobster Two", "bold", "middle", OUT, 6)
    s += text(w / 2, 66, "Festling", 54, RED, "Lobster Two", "bold", "middle", WHITE, 2.6)
    s += text(w / 2 + 1, 65, "Festling", 54, RED, "Lobster Two", "bold", "middle")
    s += text(w / 2 + 40, 142, "Season's Greetings", 15, BLUE2, "Comic Neue", "bold", "middle")
    s += rect(1, 1, w - 2, h - 2, "none", "#003366", 2)
    s += rect(3.5, 3.5, w - 7, h - 7, "none", WHITE, 1)
    return [s]


PICTURES[351] = (282, 155, 1, title_frames)


# The signpost carries its own colour table: softer wood tones than the
# program palette has.
SIGN_WOOD = ["#D9A866", "#B98648", "#8E5F2E", "#62401E", "#2B1B0C"]
SIGN_BOARDS = [(54, 78, "Bear"), (85, 110, "Snowballs"), (116, 140, "Snowman"), (147, 172, "Message")]


def sign_frames():
    light, mid, dark, deep, ink = SIGN_WOOD
    s = ""
    # the post, with a snow cap
    s += rect(56, 24, 15, 170, mid, ink, 1.4, 2)
    s += rect(58, 26, 5, 166, light, None)
    s += rect(66, 26, 3, 166, dark, None)
    for y in (60, 104, 150):
        s += line(59, y, 62, y + 6, deep, 1)
    s += path("M52 28 C52 16 74 14 76 26 C74 30 54 30 52 28 Z", "#FFFFFF", ink, 1.2)
    # the boards: arrows to the right
    for top, bottom, word in SIGN_BOARDS:
        t, b = top - 1, bottom + 1
        mid_y = (t + b) / 2
        board = "M66 %s L164 %s L176 %s L164 %s L66 %s Z" % (fmt(t), fmt(t), fmt(mid_y), fmt(b), fmt(b))
        s += path(board, light, ink, 1.5)
        s += path("M67 %s L164 %s L175 %s L164 %s L67 %s Z" % (fmt(b - 5), fmt(b - 5), fmt(mid_y + 1), fmt(b - 1),
                                                             fmt(b - 1)), mid, None)
        s += line(70, t + 5, 150, t + 5, "#E8C48A", 1)
        s += circle(71, mid_y, 1.6, deep, None)
        s += path("M64 %s C70 %s 100 %s 130 %s C110 %s 80 %s 64 %s Z" % (fmt(t + 1), fmt(t - 4), fmt(t - 4),
                                                                       fmt(t), fmt(t + 2), fmt(t + 3), fmt(t + 3)),
                  "#FFFFFF", None)
        s += text(122, b - 6.5, word, 16 if len(word) < 8 else 15, ink, "Comic Neue", "bold", "middle")
    # snow heaped at the foot
    s += path("M30 197 C34 184 52 180 64 184 C76 178 96 182 104 197 Z", "#FFFFFF", ink, 1.2)
    s += path("M70 192 C80 188 92 190 98 196", None, "#C8D8EE", 2)
    # a small red bird sits on top
    s += ellipse(62, 12, 8, 6, "#D03828", ink, 1.2)
    s += circle(68, 8, 4.5, "#D03828", ink, 1.2)
    s += path("M72 8 L77 9 L72 10 Z", "#F0A020", ink, 0.8)
    s += circle(69, 7, 0.9, ink, None)
    s += path("M55 11 L48 8 L50 14 Z", "#9A2418", ink, 1.0)
    s += ellipse(61, 13, 4, 2.5, "#F2E8D8", None)
    return [s]


PICTURES[301] = (184, 198, 1, sign_frames)
OWN_PALETTE = {301}


def button(x0, y0, x1, y1, label, face, shade, light, size=16, icon=""):
    w, h = x1 - x0, y1 - y0
    s = rect(x0 + 1, y0 + 3, w - 2, h - 3, OUT, None, 0, 9)
    s += rect(x0 + 1, y0 + 1, w - 2, h - 4, face, OUT, 1.5, 9)
    s += path("M%s %s L%s %s" % (fmt(x0 + 9), fmt(y0 + 5), fmt(x1 - 9), fmt(y0 + 5)), None, light, 2)
    s += rect(x0 + 3, y1 - 10, w - 6, 5, shade, None, 0, 3)
    s += text((x0 + x1) / 2 + (8 if icon else 0), y0 + h / 2 + size * 0.33, label, size, WHITE, "Comic Neue", "bold",
              "middle", OUT, 3)
    s += text((x0 + x1) / 2 + (8 if icon else 0), y0 + h / 2 + size * 0.33, label, size, WHITE, "Comic Neue", "bold",
              "middle")
    return s + icon


def envelope(x, y):
    return (rect(x, y, 18, 12, WHITE, OUT, 1.2) + path("M%s %s L%s %s L%s %s" % (
        fmt(x), fmt(y), fmt(x + 9), fmt(y + 7), fmt(x + 18), fmt(y)), None, OUT, 1.2))


def pencil(x, y):
    return group(rect(0, -3, 16, 6, YELLOW, OUT, 1.1) + polygon([(16, -3), (22, 0), (16, 3)], SKIN, OUT, 1.0) +
                 rect(-4, -3, 4, 6, "#FF9999", OUT, 1.1), x, y, -30)


def card_frames():
    W, H = 493, 359
    s = sky_bands(0, 0, W, 200, ["#000066", "#003366", "#003399", "#336699", "#6699CC"])
    s += stars(4, 4, W - 8, 130, 60, 11)
    s += circle(455, 86, 16, "#FFFFCC", None) + circle(449, 81, 4, "#FFFF99", None)
    # hills and firs
    s += path("M0 170 C120 130 260 190 493 140 L493 359 L0 359 Z", SNOW2, None)
    s += path("M0 215 C140 175 300 235 493 190 L493 359 L0 359 Z", WHITE, None)
    s += path("M0 230 C120 205 250 240 493 212", None, SNOW1, 3)
    for x, y, w_, h_ in ((34, 178, 40, 62), (70, 170, 30, 44), (440, 214, 44, 70), (472, 200, 30, 48),
                         (300, 200, 26, 38)):
        s += fir(x, y, w_, h_, 3)
    # the riders racing down the hill
    s += group(riders_on_sled(1), 150, 150, 0, 0.75)
    s += spray(150 + 27 * 0.75 - 3, 150 + 70 * 0.75, 2, 1.4)
    # title and greeting
    s += text(20, 46, "Festling", 40, RED, "Lobster Two", "bold", "start", OUT, 6)
    s += text(20, 46, "Festling", 40, RED, "Lobster Two", "bold", "start", WHITE, 2.4)
    s += text(20, 46, "Festling", 40, RED, "Lobster Two", "bold", "start")
    s += text(360, 118, "Happy Holidays!", 34, YELLOW, "Lobster Two", "bold", "middle", OUT, 5)
    s += text(360, 118, "Happy Holidays!", 34, YELLOW, "Lobster Two", "bold", "middle")
    s += text(360, 146, "and a very snowy New Year", 15, WHITE, "Comic Neue", "bold", "middle", OUT, 3)
    s += text(360, 146, "and a very snowy New Year", 15, WHITE, "Comic Neue", "bold", "middle")
    # buttons: personalise (238, 10)-(346, 50) and send (372, 10)-(456, 50)
    s += button(238, 10, 346, 50, "Personalise", "#FF9900", "#CC6600", "#FFCC66", 15)
    s += button(372, 10, 456, 50, "Send", "#339933", "#006633", "#66CC66", 17, envelope(382, 24))
    # the maker's logo (13, 232)-(110, 272)
    s += rect(14, 233, 95, 38, WHITE, OUT, 1.5, 10)
    s += ellipse(33, 254, 9, 7, RED, OUT, 1.2) + circle(40, 248, 5, RED, OUT, 1.2)
    s += path("M44.5 248 L50 249.5 L44.5 251 Z", ORANGE, OUT, 0.8) + circle(41, 247, 1, OUT, None)
    s += path("M25 252 L18 250 L21 257 Z", RED2, OUT, 1.0) + ellipse(33, 256, 4.5, 2.8, SKIN, None)
    s += text(76, 259, "snowlark", 15, "#003366", "Comic Neue", "bold", "middle")
    # privacy link (394, 248)-(480, 273)
    s += text(437, 265, "Privacy policy", 12, "#003399", "Comic Neue", "bold", "middle")
    s += line(398, 268, 476, 268, "#003399", 1)
    # the bottom strip: a frame for the animation at (12, 283)-(480, 343)
    s += rect(0, 273, W, 86, "#003366", None)
    s += rect(0, 273, W, 2, "#336699", None)
    s += rect(8, 279, 476, 68, "#000033", "#6699CC", 2, 4)
    s += rect(12, 283, 468, 60, "#336699", None)
    return [s]


def banner_states():
    """The card's little film, as the full pictures it shows one after another."""
    W, H = 468, 60
    bg = sky_bands(0, 0, W, 44, ["#003366", "#003399", "#336699"])
    bg += stars(4, 2, W - 8, 30, 22, 5)
    bg += path("M0 44 C100 36 200 48 300 40 C380 34 430 42 468 38 L468 60 L0 60 Z", WHITE, None)
    bg += path("M0 52 C120 48 300 56 468 50", None, SNOW2, 2)
    for x, y, w_, h_ in ((20, 46, 16, 26), (446, 42, 18, 30), (400, 44, 12, 20)):
        bg += fir(x, y, w_, h_, 2)
    states = []
    delays = []

    def add(extra, delay):
        states.append(bg + extra)
        delays.append(delay)

    add("", 1000)
    for k, x in enumerate((-30, 50, 130, 210, 290, 370, 450)):
        add(group(riders_on_sled(k % 4), x, -3, 0, 0.4), 150)
    add("", 300)

    def words(s1, size=26):
        return (text(W / 2, 38, s1, size, YELLOW, "Lobster Two", "bold", "middle", OUT, 4) +
                text(W / 2, 38, s1, size, YELLOW, "Lobster Two", "bold", "middle"))

    add(words("Write your own greeting!"), 2000)
    add(words("Write your own greeting!") + text(W / 2, 56, "click Personalise", 11, "#003366", "Comic Neue", "bold",
                                                  "middle"), 2000)
    add(words("...then send it to a friend"), 2500)
    add(words("Festling", 32), 1500)
    add(words("Festling", 32) + stars(150, 6, 170, 36, 9, 23), 3000)
    return states, delays


PICTURES[1200] = (493, 359, 1, card_frames)


def icon_drawing(size):
    """The program icon at 32 x 32 (art/icon_small.py has the 16 x 16 one):
    a red sled on a snowy night slope beside a fir."""
    big = size >= 32
    k = size / 32
    frame = rect(0.8, 0.8, size - 1.6, size - 1.6, "none", OUT, 1.3, 6 * k)
    s = rect(0.8, 0.8, size - 1.6, size - 1.6, "#003366", None, 0, 6 * k)
    s += circle(8 * k, 7.5 * k, 3.6 * k, "#FFFFCC", None)
    if big:
        s += circle(16, 5, 0.8, WHITE, None) + circle(4, 15, 0.8, WHITE, None) + circle(14, 11, 0.7, WHITE, None)
    s += path("M0 %s C%s %s %s %s %s %s L%s %s L0 %s Z" % (
        fmt(16 * k), fmt(10 * k), fmt(14 * k), fmt(20 * k), fmt(21 * k), fmt(size), fmt(24 * k),
        fmt(size), fmt(size), fmt(size)), WHITE, None)
    s += path("M0 %s C%s %s %s %s %s %s L%s %s L0 %s Z" % (
        fmt(27 * k), fmt(10 * k), fmt(26 * k), fmt(20 * k), fmt(29 * k), fmt(size), fmt(28 * k),
        fmt(size), fmt(size), fmt(size)), SNOW2, None)
    # the fir
    fx = 24.5 * k
    for top, bottom, half in ((4, 11, 3.5), (8, 16, 5), (12, 21, 6.5)):
        s += polygon([(fx, top * k), (fx + half * k, bottom * k), (fx - half * k, bottom * k)], GREEN2, OUT,
                     1.0 if big else 0.8)
        if big:
            s += polygon([(fx, top + 0.8), (fx + half * 0.45, top + (bottom - top) * 0.42),
                          (fx - half * 0.45, top + (bottom - top) * 0.42)], WHITE, None)
    s += rect(fx - 1.2 * k, 21 * k, 2.4 * k, 3 * k, WOOD2, None)
    # the sled racing down the slope
    runner = "M0 0 L16 0 C19 0 20 -3 19 -5.5"
    s += group(path(runner, None, OUT, 4.2) + path(runner, None, RED, 2.2) +
               rect(-1.5, -6.5, 18, 4, WOOD_L, OUT, 1.0) +
               (rect(3, -3, 2, 3, WOOD2, None) + rect(11, -3, 2, 3, WOOD2, None) if big else ""),
               3 * k, 20.5 * k, SLOPE, k)
    # the snow stays inside the rounded corners
    inside = rect(0.8, 0.8, size - 1.6, size - 1.6, "#000000", None, 0, 6 * k)
    return clip("icon%d" % size, inside, s) + frame
