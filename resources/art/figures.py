"""The cast, drawn once and posed per frame: the two sled riders, the sled,
the bear, snow puffs. Every figure is drawn in its own coordinates and
placed by the pictures."""

import itertools
import math

from svg import *

_ids = itertools.count()


def uid(prefix):
    return "%s%d" % (prefix, next(_ids))


RIDERS = {
    # front rider: red hat, green coat, yellow scarf
    "front": dict(coat=GREEN, coat2=GREEN2, coat_l=GREEN_L, hat=RED, hat2=RED2, hat_l=RED_L, band=WHITE, pom=WHITE,
                  scarf=YELLOW, scarf2=YELLOW2, hair=BROWN2, mitten=RED),
    # back rider: yellow hat, blue coat, red scarf
    "back": dict(coat=BLUE, coat2=BLUE2, coat_l=BLUE_L, hat=YELLOW, hat2=YELLOW2, hat_l=YELLOW_L, band=RED,
                 band2=RED2, pom=RED,
                 scarf=RED, scarf2=RED2, hair=YELLOW2, mitten=YELLOW),
}


def face(x, y, look=1, mood="smile", eyes="open"):
    """Profile features of a head of radius ~10 at (x, y), looking right (look 1) or left (-1)."""
    s = ""
    ex = x + 5 * look
    if eyes == "open":
        s += ellipse(ex, y - 0.5, 1.6, 2.4, OUT, None)
    elif eyes == "shut":
        s += path("M%s %s Q%s %s %s %s" % (fmt(ex - 1.8), fmt(y - 1), fmt(ex), fmt(y + 0.8), fmt(ex + 1.8), fmt(y - 1)), None, OUT, 1.0)
    elif eyes == "wide":
        s += circle(ex, y - 1.5, 2.2, WHITE, OUT, 0.9) + circle(ex + 0.6 * look, y - 1.5, 1.0, OUT, None)
    s += circle(x + 3 * look, y + 3.8, 2.4, CHEEK, None)
    s += ellipse(x + 9.6 * look, y + 1.4, 2.2, 2.0, SKIN2, None)             # nose
    s += path("M%s %s Q%s %s %s %s" % (fmt(x + 10.5 * look), fmt(y - 0.6), fmt(x + 12.4 * look), fmt(y + 1.4),
                                       fmt(x + 10.2 * look), fmt(y + 3.4)), None, OUT, 1.0)
    if mood == "smile":
        s += path("M%s %s Q%s %s %s %s" % (fmt(x + 5 * look), fmt(y + 5.5), fmt(x + 7.5 * look), fmt(y + 7.5),
                                           fmt(x + 9 * look), fmt(y + 5)), None, OUT, 1.0)
    elif mood == "open":
        s += ellipse(x + 7 * look, y + 6.5, 1.8, 2.2, "#990000", OUT, 0.9)
    elif mood == "cross":
        s += line(x + 5 * look, y + 6.5, x + 8.5 * look, y + 6, OUT, 1.0)
        s += line(ex - 2 * look, y - 5, ex + 2 * look, y - 3.6, OUT, 1.0)
    return s


def head(x, y, r, c, look=1, mood="smile", eyes="open", hat=True, braid=True):
    """A rider's head with its knit hat; (x, y) is the middle of the face.

    Without the hat the hair shows, with a braid hanging down the back unless
    braid is False (a child lying down has it drawn on the snow instead)."""
    s = ""
    # hair at the back and on the forehead
    s += ellipse(x - 4 * look, y + 1, 7, 8, c["hair"], OUT)
    s += circle(x, y, r, SKIN)
    s += path("M%s %s A%s %s 0 0 %d %s %s Z" % (fmt(x - r * look), fmt(y), fmt(r), fmt(r), 0 if look > 0 else 1,
                                                fmt(x - 0.4 * r * look), fmt(y + 0.92 * r)), SKIN2, None)
    s += circle(x, y, r, "none")
    s += ellipse(x - 6 * look, y + 1, 2.2, 3, SKIN2, OUT, 1.0)              # ear
    s += face(x, y, look, mood, eyes)
    if not hat:
        s += path("M%s %s C%s %s %s %s %s %s C%s %s %s %s %s %s Z" % (
            fmt(x - 11 * look), fmt(y + 2), fmt(x - 12 * look), fmt(y - 14), fmt(x + 9 * look), fmt(y - 15),
            fmt(x + 10 * look), fmt(y - 4), fmt(x + 4 * look), fmt(y - 8), fmt(x - 3 * look), fmt(y - 6),
            fmt(x - 11 * look), fmt(y + 2)), c["hair"])
    if not hat and braid:
        s += path("M%s %s C%s %s %s %s %s %s" % (fmt(x - 9 * look), fmt(y + 4), fmt(x - 12 * look), fmt(y + 10),
                                                 fmt(x - 10 * look), fmt(y + 15), fmt(x - 13 * look), fmt(y + 19)),
                  None, OUT, 4.6)
        s += path("M%s %s C%s %s %s %s %s %s" % (fmt(x - 9 * look), fmt(y + 4), fmt(x - 12 * look), fmt(y + 10),
                                                 fmt(x - 10 * look), fmt(y + 15), fmt(x - 13 * look), fmt(y + 19)),
                  None, c["hair"], 2.4)
    if hat:
        hx, hy = x - 1 * look, y - 6
        s += path("M%s %s C%s %s %s %s %s %s C%s %s %s %s %s %s Z" % (
            fmt(hx - 12), fmt(hy), fmt(hx - 13), fmt(hy - 16), fmt(hx + 12), fmt(hy - 17), fmt(hx + 12), fmt(hy - 1),
            fmt(hx + 4), fmt(hy + 1), fmt(hx - 4), fmt(hy + 1), fmt(hx - 12), fmt(hy)), c["hat"])
        s += path("M%s %s C%s %s %s %s %s %s" % (fmt(hx + 3 * look), fmt(hy - 13), fmt(hx + 9 * look), fmt(hy - 10),
                                                   fmt(hx + 10 * look), fmt(hy - 6), fmt(hx + 11 * look), fmt(hy - 2)),
                  None, c["hat2"], 2.5)
        s += path("M%s %s C%s %s %s %s %s %s" % (fmt(hx - 9 * look), fmt(hy - 5), fmt(hx - 9 * look), fmt(hy - 10),
                                                   fmt(hx - 6 * look), fmt(hy - 12), fmt(hx - 2 * look), fmt(hy - 13)),
                  None, c.get("hat_l", WHITE), 1.6)
        s += rect(hx - 12.5, hy - 3.5, 25, 5.5, c["band"], OUT, SW, 2.5)
        for k in range(5):
            kx = hx - 10 + k * 5
            s += line(kx, hy - 2.5, kx, hy + 1, c.get("band2", SNOW2), 0.8)
        s += circle(hx - 7 * look, hy - 15, 4.2, c["pom"])
    return s


def rider(c, pose="ride", t=0, look=1, mood="smile", eyes="open", wave=0.0, snowface=0):
    """A child sitting on the sled, facing right; (0, 0) is the seat.

    pose: "ride" (mittens on the sled), "wave" (near arm up, angle wave in
    degrees), "duck" (arms up over the head)."""
    s = ""
    dx, dy = DIR
    flutter = (0, 2, 4, 2)[t % 4]
    # far arm holding the sled edge
    s += limb([(-2, -20), (6, -12), (13, -6)], c["coat2"], 5.5)
    s += circle(14, -6, 3.2, c["mitten"])
    # legs along the deck
    knee = (9 * dx + 2, 9 * dy - 7)
    foot = (26 * dx, 26 * dy - 4)
    s += limb([(-3, -3), knee, foot], TROUSER, 8)
    s += ellipse(foot[0] + 2, foot[1] + 1, 5.5, 3.6, BROWN2, OUT, SW, SLOPE)
    # coat
    body = "M-10 0 C-13 -10 -11 -22 -4 -27 C2 -29 8 -25 9 -18 C10 -10 9 -4 6 0 Z"
    s += path(body, c["coat"])
    s += path("M6 0 C9 -4 10 -10 9 -18 C7 -12 5 -6 0 -1 Z", c["coat2"], None)
    s += path("M-9 -4 C-11 -12 -9 -20 -4 -24", None, c.get("coat_l", WHITE), 1.5)
    s += path(body, "none")
    s += line(-1, -24, 1, -3, c["coat2"], 1.2)
    # scarf, its end flying behind
    s += path("M-9 -24 C-4 -28 4 -28 8 -23 L7 -20 C2 -24 -4 -24 -9 -20 Z", c["scarf"])
    s += path("M-7 -23 C-14 -%s -20 -%s -27 -%s L-27 -%s C-21 -%s -14 -%s -6 -19 Z" % (
        fmt(24 + flutter * 0.5), fmt(21 + flutter), fmt(22 + flutter), fmt(17 + flutter * 0.6),
        fmt(16 + flutter), fmt(18 + flutter * 0.3)), c["scarf"])
    s += line(-24, -22 - flutter * 0.8, -25, -17 - flutter * 0.6, c["scarf2"], 1.2)
    s += line(-21, -21 - flutter * 0.8, -22, -16 - flutter * 0.6, c["scarf2"], 1.2)
    # head
    s += head(1, -36, 10.5, c, look, mood, eyes)
    if snowface:
        s += snow_splat(8, -35, snowface)
    # near arm
    if pose == "wave":
        a = math.radians(wave)
        ex, ey = 11, -34
        hx, hy = ex + 15 * math.cos(a), ey - 15 * math.sin(a)
        s += limb([(1, -21), (ex, ey), (hx, hy)], c["coat"], 6)
        s += ellipse(hx, hy - 1.5, 4.2, 5.2, c["mitten"], OUT, SW, 90 - wave)
        s += ellipse(hx + 4 * math.cos(a - 0.9), hy - 4 * math.sin(a - 0.9), 1.8, 2.6, c["mitten"], OUT, 1.0, 90 - wave)
        for r in (8.5, 11.5):
            s += path("M%s %s A%s %s 0 0 1 %s %s" % (fmt(hx + r * math.cos(a + 0.5)), fmt(hy - 1.5 - r * math.sin(a + 0.5)),
                                                     fmt(r), fmt(r), fmt(hx + r * math.cos(a - 0.5)),
                                                     fmt(hy - 1.5 - r * math.sin(a - 0.5))), None, SNOW3, 1.1)
    elif pose == "duck":
        s += limb([(1, -21), (10, -30), (8, -44)], c["coat"], 6)
        s += circle(8, -46, 3.6, c["mitten"])
    else:
        s += limb([(1, -21), (7, -12), (15, -9)], c["coat"], 6)
        s += circle(16, -9, 3.6, c["mitten"])
    return s


def snow_splat(x, y, amount):
    """Snow stuck on a face after a hit: amount 1 a fresh splash, 2 sliding, 3 crumbs."""
    if amount == 1:
        pts = []
        for k in range(14):
            a = 2 * math.pi * k / 14
            r = 9 if k % 2 == 0 else 5.5
            pts.append((x + r * math.cos(a), y + r * math.sin(a) * 0.9))
        return polygon(pts, WHITE) + circle(x + 1, y + 1, 3.5, SNOW2, None) + circle(x - 2, y - 2, 2, WHITE, None)
    if amount == 2:
        return (path("M%s %s C%s %s %s %s %s %s C%s %s %s %s %s %s Z" % (
            fmt(x - 7), fmt(y - 4), fmt(x - 4), fmt(y - 9), fmt(x + 6), fmt(y - 8), fmt(x + 7), fmt(y - 2),
            fmt(x + 8), fmt(y + 6), fmt(x - 6), fmt(y + 8), fmt(x - 7), fmt(y - 4)), WHITE)
                + circle(x + 2, y + 9, 2, WHITE) + circle(x - 3, y + 11, 1.5, WHITE))
    return circle(x - 3, y + 2, 1.8, WHITE) + circle(x + 3, y - 3, 1.4, WHITE) + circle(x + 1, y + 7, 1.6, WHITE)


def sled(flex=0, rope=True, far=True):
    """The wooden sled along its own x axis, the runners' rear end at (0, 0)."""
    s = ""
    L = 118
    runner = "M-2 0 L%d 0 C%d 0 %d -3 %d -9 C%d -13 %d -14 %d -9" % (L - 12, L - 2, L + 3, L + 3, L + 3, L - 3, L - 2)
    if far:
        s += group(limb([(0, 0)], OUT, 0) + path(runner, None, OUT, 4.6) + path(runner, "#663333", None) +
                   path(runner, None, "#993333", 2.0), -5, -4)
    # struts
    for x in (10, 44, 78):
        s += rect(x, -9, 5, 9, WOOD2)
    s += path(runner, None, OUT, 4.8) + path(runner, None, RED, 2.4)
    s += path("M0 -1 L%d -1" % (L - 12), None, RED_L, 0.8)
    # deck of three slats seen from above and the side
    s += path("M-6 -15 L%d -15 C%d -15 %d -12 %d -9 L-6 -9 Z" % (L - 10, L - 4, L - 1, L - 4), WOOD)
    s += path("M-6 -15 L%d -15 C%d -15 %d -14 %d -12 L-6 -12 Z" % (L - 10, L - 6, L - 3, L - 3), WOOD_L, None)
    s += path("M-6 -15 L%d -15 C%d -15 %d -12 %d -9 L-6 -9 Z" % (L - 10, L - 4, L - 1, L - 4), "none")
    for x in (24, 58, 92):
        s += line(x, -14, x, -10, WOOD2, 0.9)
    s += path("M-5 -10.5 L%d -10.5" % (L - 6), None, WOOD2, 0.9)
    return s


def puff(x, y, r, shade=True):
    """One round snow puff, lit from the upper left."""
    s = circle(x, y, r, WHITE)
    if shade and r > 3:
        s += path("M%s %s A%s %s 0 0 1 %s %s A%s %s 0 0 0 %s %s Z" % (
            fmt(x + r * 0.95), fmt(y + r * 0.3), fmt(r), fmt(r), fmt(x - r * 0.3), fmt(y + r * 0.95),
            fmt(r * 0.9), fmt(r * 0.9), fmt(x + r * 0.95), fmt(y + r * 0.3)), SNOW2, None)
        s += circle(x, y, r, "none")
    return s


def spray(x, y, t, spread=1.0):
    """The snow thrown up behind the runners; t picks one of four shapes."""
    sets = [
        [(0, 0, 5), (-8, -4, 4), (-15, -9, 3), (-21, -11, 2)],
        [(0, 0, 5.5), (-9, -3, 4.5), (-16, -7, 3), (-23, -13, 2.2), (-12, -12, 1.8)],
        [(0, 0, 5), (-7, -5, 4.5), (-14, -10, 3.5), (-22, -10, 2.2), (-19, -17, 1.6)],
        [(0, 0, 5.5), (-9, -4, 4), (-17, -6, 3.2), (-24, -12, 2.4), (-10, -13, 2)],
    ][t % 4]
    return "".join(puff(x + dx * spread, y + dy * spread, r) for dx, dy, r in reversed(sets))


def bear(t=0, paw="hug"):
    """A brown bear sitting, facing right; (0, 0) is the seat. paw: "hug" or "wave"."""
    s = ""
    sway = (0, 1.5, 0, -1.5)[t % 4]
    # far arm
    s += limb([(-4, -30), (10, -26), (22, -24)], BROWN2, 10)
    # legs along the deck
    s += limb([(-6, -4), (18, 6), (28, 12)], BROWN, 13)
    s += ellipse(30, 12, 6, 7, BROWN_L, OUT, SW, SLOPE)
    # body
    body = "M-24 2 C-30 -14 -26 -42 -8 -48 C8 -52 18 -38 18 -22 C18 -8 14 0 8 4 Z"
    s += path(body, BROWN)
    s += path("M8 4 C14 0 18 -8 18 -22 C14 -10 8 -4 -4 0 Z", BROWN2, None)
    s += ellipse(0, -18, 10, 13, BROWN_L, None)
    s += path(body, "none")
    # head
    hx, hy = 2 + sway * 0.5, -60
    s += circle(hx - 12, hy - 11, 6, BROWN) + circle(hx - 12, hy - 11, 3, BROWN2, None)
    s += circle(hx + 8, hy - 13, 6, BROWN) + circle(hx + 8, hy - 13, 3, BROWN2, None)
    s += ellipse(hx, hy, 16, 14.5, BROWN)
    s += path("M%s %s C%s %s %s %s %s %s Z" % (fmt(hx + 12), fmt(hy + 6), fmt(hx + 6), fmt(hy + 14), fmt(hx - 6),
                                               fmt(hy + 15), fmt(hx - 12), fmt(hy + 8)), BROWN2, None)
    s += ellipse(hx, hy, 16, 14.5, "none")
    s += ellipse(hx + 10, hy + 4, 9, 7, BROWN_L)
    s += ellipse(hx + 16, hy + 1, 3.2, 2.4, OUT, None)
    s += path("M%s %s Q%s %s %s %s" % (fmt(hx + 8), fmt(hy + 8), fmt(hx + 12), fmt(hy + 11), fmt(hx + 16), fmt(hy + 7)),
              None, OUT, 1.1)
    s += ellipse(hx + 4, hy - 4, 1.6, 2.3, OUT, None) + circle(hx + 4.4, hy - 5, 0.6, WHITE, None)
    s += ellipse(hx - 4, hy - 4, 1.4, 2.2, OUT, None)
    # near arm
    if paw == "wave":
        up = (0, 6)[t % 2]
        s += limb([(-2, -34), (8, -50 - up * 0.3), (14 + up, -66)], BROWN, 10)
        s += circle(15 + up, -69, 6, BROWN_L)
    return s


def standing_child(c, look=1, arm=None, far_arm=None, mood="smile", eyes="open", hat=True, earmuffs=False,
                   snowface=0, skirt=False):
    """A child standing, facing right (look 1) or left (-1); (0, 0) is between the boots.

    arm / far_arm: list of points from the shoulder for the near / far sleeve."""
    s = ""
    L = look
    # the patch of trodden snow the child stands on
    s += path("M-17 0 C-16 -5 -8 -6 0 -5.5 C8 -6 16 -5 17 0 C10 2 -10 2 -17 0 Z", WHITE)
    s += path("M-4 -0.5 C3 -1.5 10 -1.5 15 -0.5", None, SNOW2, 1.2)
    far_arm = far_arm or [(-2 * L, -38), (-6 * L, -28), (-4 * L, -20)]
    s += limb([(x * 1.0, y) for x, y in far_arm], c["coat2"], 6)
    s += circle(far_arm[-1][0], far_arm[-1][1], 3.6, c["mitten"])
    # legs and boots
    s += limb([(-4, -18), (-5, -4)], TROUSER, 7.5) + limb([(4, -18), (5, -4)], TROUSER, 7.5)
    s += ellipse(-5 + 2 * L, -2, 6, 3.6, BROWN2) + ellipse(5 + 2 * L, -2, 6, 3.6, BROWN2)
    # coat
    if skirt:
        body = "M-13 -12 C-12 -26 -10 -40 0 -43 C10 -40 12 -26 13 -12 C6 -9 -6 -9 -13 -12 Z"
    else:
        body = "M-11 -14 C-12 -28 -9 -40 0 -42 C9 -40 12 -28 11 -14 C5 -11 -5 -11 -11 -14 Z"
    s += path(body, c["coat"])
    s += path("M11 -14 C12 -28 9 -40 4 -41 C8 -32 8 -22 2 -12 C6 -12 9 -13 11 -14 Z", c["coat2"], None)
    s += path("M-8 -16 C-9 -26 -7 -34 -2 -39", None, c.get("coat_l", WHITE), 1.5)
    s += path(body, "none")
    s += line(0, -38, 0, -15, c["coat2"], 1.2)
    for y in (-33, -26, -19):
        s += circle(2 * L, y, 1.1, c.get("button", WHITE), None)
    # scarf
    s += path("M-9 -41 C-3 -45 3 -45 9 -41 L8 -37 C3 -40 -3 -40 -8 -37 Z", c["scarf"])
    s += path("M%s -39 L%s -27 L%s -27 L%s -39 Z" % (fmt(-5 * L), fmt(-8 * L), fmt(-3 * L), fmt(-1 * L)), c["scarf"])
    # head
    s += head(0, -53, 10.5, c, L, mood, eyes, hat)
    if earmuffs:
        band = "M%s %s C%s %s %s %s %s %s" % (fmt(-6 * L), fmt(-55), fmt(-6 * L), fmt(-70), fmt(6 * L), fmt(-70),
                                              fmt(6 * L), fmt(-63))
        s += path(band, None, OUT, 3.8) + path(band, None, c["band"], 1.6)
        s += circle(-6 * L, -52, 5, c["pom"]) + circle(-7 * L, -53.5, 2, WHITE, None)
    if snowface:
        s += snow_splat(5 * L, -53, snowface)
    if arm:
        s += limb(arm, c["coat"], 6)
        s += circle(arm[-1][0], arm[-1][1], 3.8, c["mitten"])
    return s


def star(x, y, r, fill=YELLOW, sw=1.0):
    """A five-pointed star, one point up."""
    pts = []
    for i in range(10):
        a = math.radians(-90 + 36 * i)
        rr = r if i % 2 == 0 else r * 0.45
        pts.append((x + rr * math.cos(a), y + rr * math.sin(a)))
    return polygon(pts, fill, OUT, sw)


def spiral(x, y, r, turns=1.6, sw=0.9):
    """A dizzy eye: a spiral winding out from (x, y)."""
    d = ""
    n = int(turns * 16)
    for k in range(n + 1):
        a = 2 * math.pi * turns * k / n
        rr = r * k / n
        d += ("M" if k == 0 else " L") + "%s %s" % (fmt(x + rr * math.cos(a)), fmt(y + rr * math.sin(a)))
    return path(d, None, OUT, sw)


def dazed_head(x, y, r, c, tilt, earmuffs=True):
    """A head turned to the viewer with spiral eyes and an open mouth, tilted
    by tilt degrees; the shading stays on the lower right however it tilts."""
    s = ""
    # hair spread on the snow round the head
    s += group(ellipse(-2.5, 0, r + 3, r + 0.8, c["hair"]), x, y, tilt)
    s += circle(x, y, r, SKIN)
    s += path("M%s %s A%s %s 0 0 1 %s %s A%s %s 0 0 0 %s %s Z" % (
        fmt(x + r * 0.98), fmt(y - r * 0.15), fmt(r), fmt(r), fmt(x - r * 0.45), fmt(y + r * 0.89),
        fmt(r * 1.05), fmt(r * 1.05), fmt(x + r * 0.98), fmt(y - r * 0.15)), SKIN2, None)
    s += circle(x, y, r, "none")
    f = ""
    f += spiral(-4, -0.5, 2.6) + spiral(4.2, -0.5, 2.6)
    f += circle(-6.4, 4, 2.1, CHEEK, None) + circle(6.6, 4, 2.1, CHEEK, None)
    f += ellipse(0, 2.6, 1.5, 1.2, SKIN2, OUT, 0.8)
    f += ellipse(0.3, 6.6, 1.9, 2.2, RED2, OUT, 0.9)
    # fringe over the forehead
    f += path("M%s -1 A%s %s 0 0 1 %s -1 C%s -5.5 3.5 -7 0.5 -5.5 C-2.5 -7 %s -5.5 %s -1 Z" % (
        fmt(-r), fmt(r), fmt(r), fmt(r), fmt(r - 2.5), fmt(-r + 2.5), fmt(-r)), c["hair"])
    f += path("M-5 -8.2 C-3 -9.5 0 -10 2 -9.6", None, YELLOW, 1.0)
    if earmuffs:
        band = "M%s 1 C%s %s %s %s %s 1" % (fmt(-r - 0.5), fmt(-r - 1), fmt(-r - 5), fmt(r + 1), fmt(-r - 5),
                                           fmt(r + 0.5))
        f += path(band, None, OUT, 3.8) + path(band, None, c["band"], 1.6)
        for side in (-1, 1):
            f += circle(side * (r + 0.3), 2, 4.4, c["pom"]) + circle(side * (r + 0.3) - 1.2, 0.6, 1.6, WHITE, None)
    s += group(f, x, y, tilt)
    return s


def lying_child(c, earmuffs=True):
    """A child fallen on its back, head to the left and boots in the air, in
    the units of standing_child; (0, 0) is the middle of the snow it lies in."""
    s = ""
    # the dent it made in the snow, heaped up at both ends
    s += path("M-34 0 C-35 -5 -29 -8 -21 -6 C-9 -9 13 -9 25 -6 C30 -8 34 -4 33 0 C15 2.5 -17 2.5 -34 0 Z", WHITE)
    s += path("M-4 -1 C8 -2 19 -2 29 -1", None, SNOW2, 1.2)
    # the braid flung out on the snow behind the head
    braid = "M-28 -6 C-32 -5 -34 -3 -32 -1.5"
    s += path(braid, None, OUT, 4.6) + path(braid, None, c["hair"], 2.4)
    # the far arm, raised limp
    s += limb([(-11, -14), (-8, -25), (-1, -30)], c["coat2"], 6)
    s += circle(0.5, -31, 3.6, c["mitten"])
    # legs kicking up out of the coat, the far one straight, the near one bent
    s += limb([(7, -9), (10, -25), (12, -37)], TROUSER, 7.5)
    s += limb([(10, -7), (22, -15), (27, -27)], TROUSER, 7.5)
    for (ax, ay), (kx, ky) in (((12, -37), (10, -25)), ((27, -27), (22, -15))):
        # the boot stands across the shin, toes toward the face, sole to the sky
        dx, dy = ax - kx, ay - ky
        n = math.hypot(dx, dy)
        ux, uy = dx / n, dy / n
        bx, by = ax + uy * 2 + ux * 1.5, ay - ux * 2 + uy * 1.5
        rot = math.degrees(math.atan2(uy, ux)) + 90
        s += ellipse(bx, by, 6.2, 3.6, BROWN2, OUT, SW, rot)
        s += group(line(-4, -1.2, 4, -1.2, OUT, 1.6), bx, by, rot)
    # the coat, lying along the snow: lit along its top, shaded underneath
    body = "M-15 -3 C-17 -10 -13 -17 -5 -17 C3 -18 12 -17 16 -12 C19 -7 17 -2 13 -1 C5 0.5 -7 0.5 -15 -3 Z"
    s += path(body, c["coat"])
    s += path("M-14 -3 C-7 0 5 0 13 -1 C17 -2 18 -6 17 -9 C12 -5 0 -3 -14 -3 Z", c["coat2"], None)
    s += path("M-12 -14 C-6 -16.5 4 -16.5 11 -15", None, c.get("coat_l", WHITE), 1.5)
    s += path(body, "none")
    s += path("M13 -16 C15.5 -11 16 -6 14 -1.5", None, OUT, SW)         # the hem over the legs
    s += path("M-13 -10 C-4 -11 6 -11 13 -9", None, c["coat2"], 1.2)
    for x in (-7, -1, 5):
        s += circle(x, -12.6, 1.1, c.get("button", WHITE), None)
    # the near arm flopped on the snow beside her
    s += limb([(-10, -11), (-3, -5), (5, -3.5)], c["coat"], 6)
    s += circle(7, -3.6, 3.6, c["mitten"])
    # the scarf round the neck
    s += path("M-18 -17 C-13 -19 -10 -14 -11 -9 C-11 -5 -13 -2 -17 -2 C-15 -7 -15 -12 -18 -17 Z", c["scarf"])
    s += path("M-12 -8 L-4 -5 L-5 -1.5 L-13 -4 Z", c["scarf"])
    s += dazed_head(-23, -12, 10.5, c, -35, earmuffs)
    # stars circling the dizzy head
    s += path("M-13 -30 A11 3.5 0 0 1 -35 -30", None, SNOW3, 0.9)     # the near half of their round
    for x, y, r in ((-33, -30.5, 3.4), (-22, -33.5, 2.8), (-14, -28, 3.2)):
        s += star(x, y, r)
    return s


def snowball(x, y, r=4.5):
    return circle(x, y, r, WHITE) + path("M%s %s A%s %s 0 0 1 %s %s Z" % (
        fmt(x + r * 0.9), fmt(y - r * 0.2), fmt(r), fmt(r), fmt(x - r * 0.2), fmt(y + r * 0.9)), SNOW2, None) + \
        circle(x, y, r, "none")


def motion_lines(x, y, dx, dy, n=3):
    s = ""
    L = math.hypot(dx, dy)
    nx, ny = -dy / L, dx / L
    for k in range(n):
        o = (k - (n - 1) / 2) * 4
        s += line(x + nx * o, y + ny * o, x + nx * o + dx * (0.6 + 0.2 * (k % 2)), y + ny * o + dy * (0.6 + 0.2 * (k % 2)),
                  SNOW3, 1.3)
    return s


def fir(x, y, w, h, tiers=4, snow=True, seed=0):
    """A snowy fir whose trunk foot is (x, y), w wide and h high."""
    s = ""
    trunk_h = h * 0.12
    s += rect(x - w * 0.07, y - trunk_h - 2, w * 0.14, trunk_h + 2, WOOD2)
    top = y - h
    base = y - trunk_h
    for k in range(tiers):
        f0 = k / tiers
        f1 = (k + 1.25) / tiers
        ty = top + (base - top) * f0 * 0.92
        by = top + (base - top) * min(f1, 1.0)
        hw = w * 0.5 * min(1.0, 0.35 + 0.65 * (k + 1) / tiers)
        sag = 3 + k
        d = "M%s %s L%s %s" % (fmt(x), fmt(ty), fmt(x + hw), fmt(by))
        for k2 in range(4):
            x0 = x + hw - hw * 0.5 * k2
            d += " Q%s %s %s %s" % (fmt(x0 - hw * 0.25), fmt(by + sag), fmt(x0 - hw * 0.5), fmt(by))
        d += " Z"
        s += path(d, GREEN2)
        # the shaded right half
        s += path("M%s %s L%s %s Q%s %s %s %s L%s %s Q%s %s %s %s Z" % (
            fmt(x + 1), fmt(ty + 4), fmt(x + hw - 1), fmt(by - 0.5), fmt(x + hw * 0.75), fmt(by + sag - 1.5),
            fmt(x + hw * 0.5), fmt(by - 1), fmt(x + hw * 0.3), fmt(by + sag * 0.5), fmt(x + hw * 0.15),
            fmt(by - 2), fmt(x + 1), fmt(ty + 4)), GREEN3, None)
        s += path("M%s %s L%s %s" % (fmt(x - 1), fmt(ty + 3), fmt(x - hw * 0.7), fmt(by - 2)), None, "#339966", 1.4)
        if snow:
            sw_ = hw * 0.62
            sy = ty + (by - ty) * 0.32
            s += path("M%s %s Q%s %s %s %s Q%s %s %s %s Q%s %s %s %s Q%s %s %s %s Z" % (
                fmt(x), fmt(ty - 1), fmt(x + sw_ * 0.6), fmt(sy - 2), fmt(x + sw_), fmt(sy + 1),
                fmt(x + sw_ * 0.6), fmt(sy + 5), fmt(x + sw_ * 0.2), fmt(sy + 1.5),
                fmt(x - sw_ * 0.3), fmt(sy + 6), fmt(x - sw_ * 0.65), fmt(sy + 2),
                fmt(x - sw_ * 1.05), fmt(sy + 2), fmt(x), fmt(ty - 1)), WHITE)
            s += path("M%s %s Q%s %s %s %s" % (fmt(x + sw_ * 0.25), fmt(sy + 1), fmt(x + sw_ * 0.6), fmt(sy + 3),
                                             fmt(x + sw_ * 0.85), fmt(sy + 1)), None, SNOW2, 1.4)
    # snow at the foot
    s += path("M%s %s Q%s %s %s %s Q%s %s %s %s Z" % (
        fmt(x - w * 0.32), fmt(y + 1), fmt(x - w * 0.2), fmt(y - 6), fmt(x), fmt(y - 5), fmt(x + w * 0.25), fmt(y - 6),
        fmt(x + w * 0.36), fmt(y + 1)), WHITE)
    s += path("M%s %s Q%s %s %s %s" % (fmt(x + w * 0.05), fmt(y - 1), fmt(x + w * 0.2), fmt(y - 3), fmt(x + w * 0.3),
                                       fmt(y)), None, SNOW2, 1.5)
    return s


def snow_ball_shape(x, y, r, lumpy=0):
    """A ball of packed snow lit from the upper left."""
    s = circle(x, y, r, WHITE)
    s += path("M%s %s A%s %s 0 0 1 %s %s C%s %s %s %s %s %s Z" % (
        fmt(x + r * 0.98), fmt(y + r * 0.1), fmt(r), fmt(r), fmt(x - r * 0.5), fmt(y + r * 0.86),
        fmt(x + r * 0.1), fmt(y + r * 0.7), fmt(x + r * 0.75), fmt(y + r * 0.45), fmt(x + r * 0.98), fmt(y + r * 0.1)),
        SNOW2, None)
    s += circle(x, y, r, "none")
    s += path("M%s %s A%s %s 0 0 1 %s %s" % (fmt(x - r * 0.7), fmt(y - r * 0.2), fmt(r * 0.75), fmt(r * 0.75),
                                              fmt(x - r * 0.1), fmt(y - r * 0.72)), None, SNOW1, 1.6)
    return s


def snowman_head(x, y, r, look=0, eyes="open", hat_tilt=0):
    """The snowman's head with coal eyes, carrot nose and top hat; look -1, 0 or 1 moves the eyes."""
    s = snow_ball_shape(x, y, r)
    ex = x + 4 + 3 * look
    if eyes == "open":
        s += circle(ex - 6, y - 4, 2.4, BLACK, None) + circle(ex + 5, y - 4, 2.4, BLACK, None)
        s += circle(ex - 6.6, y - 4.8, 0.8, WHITE, None) + circle(ex + 4.4, y - 4.8, 0.8, WHITE, None)
    elif eyes == "shut":
        s += line(ex - 8, y - 4, ex - 4, y - 4, BLACK, 1.4) + line(ex + 3, y - 4, ex + 7, y - 4, BLACK, 1.4)
    elif eyes == "wide":
        s += circle(ex - 6, y - 5, 3.6, WHITE, OUT, 1.0) + circle(ex + 5, y - 5, 3.6, WHITE, OUT, 1.0)
        s += circle(ex - 6, y - 5, 1.6, BLACK, None) + circle(ex + 5, y - 5, 1.6, BLACK, None)
    # carrot nose pointing the way it looks
    nd = 1 if look >= 0 else -1
    s += path("M%s %s L%s %s L%s %s Z" % (fmt(ex - 1), fmt(y - 1), fmt(ex - 1 + 16 * nd), fmt(y + 3), fmt(ex - 1),
                                          fmt(y + 4)), ORANGE)
    s += line(ex + 4 * nd, y + 0.3, ex + 5 * nd, y + 2, ORANGE2, 1.0)
    for k in range(5):
        a = math.radians(20 + k * 35)
        s += circle(x + 2 + 3 * look + 9 * math.cos(a) * 0.9, y + 5 + 4 * math.sin(a), 1.3, BLACK, None)
    # top hat
    hat = ('<g transform="rotate(%s %s %s)">' % (fmt(hat_tilt), fmt(x), fmt(y - r)) +
           rect(x - r * 0.95, y - r * 0.95 - 2, r * 1.9, 4, BLACK) +
           rect(x - r * 0.6, y - r * 0.95 - 18, r * 1.2, 17, BLACK) +
           rect(x - r * 0.6, y - r * 0.95 - 6, r * 1.2, 3.5, RED, None) +
           line(x - r * 0.4, y - r * 0.95 - 15, x - r * 0.4, y - r * 0.95 - 8, "#444444", 1.4) + '</g>')
    return s + hat


def snow_half(cx, ground, r, side, tip):
    """Half of a snowman's ball lying on the ground, tipped outward by tip
    degrees so its broken face shows; side -1 is the left half (the face
    turned up to the right, in shade), 1 the right half (face to the light)."""
    rot = side * tip
    face_w = r * math.sin(math.radians(tip)) * 0.9 + 3
    # the dome and the broken face, in the half's own axes (cut along x = 0)
    dome = "M0 %s A%s %s 0 0 %d 0 %s Z" % (fmt(-r), fmt(r), fmt(r), 0 if side < 0 else 1, fmt(r))
    rim = []
    for k in range(19):
        a = math.radians(-90 + 180 * k / 18)
        j = 1.0 if k % 2 == 0 else 0.78
        rim.append((-side * face_w * math.cos(a) * j, r * math.sin(a) * (1.0 if k % 2 == 0 else 0.97)))
    for k in range(17, 0, -1):
        a = math.radians(-90 + 180 * k / 18)
        rim.append((side * face_w * math.cos(a) * 0.92, r * math.sin(a)))
    # light from the upper left whatever the tilt: the shade is where a
    # circle moved toward the light does not reach
    a = math.radians(-rot)
    lx, ly = -0.2 * r, -0.24 * r
    lx, ly = lx * math.cos(a) - ly * math.sin(a), lx * math.sin(a) + ly * math.cos(a)
    cid = uid("half")
    body = clip(cid, '<path d="%s"/>' % dome,
                path(dome, SNOW2, None) + circle(lx, ly, r * 1.02, WHITE, None))
    body += path(dome, "none")
    if side < 0:
        body += path("M%s %s A%s %s 0 0 1 %s %s" % (fmt(-r * 0.72), fmt(r * 0.1), fmt(r * 0.75), fmt(r * 0.75),
                                                    fmt(-r * 0.25), fmt(-r * 0.65)), None, SNOW1, 2)
    face = SNOW2 if side < 0 else SNOW1
    layer = SNOW3 if side < 0 else SNOW2
    body += polygon(rim, face)
    for k, fy in enumerate((-0.55, -0.1, 0.35)):
        w = face_w * (0.55 if k != 1 else 0.7)
        body += path("M%s %s Q%s %s %s %s" % (fmt(-w * 0.6), fmt(r * fy), fmt(0), fmt(r * fy + 2), fmt(w * 0.6),
                                              fmt(r * fy - 0.5)), None, layer, 1.1)
    return group(body, cx, ground - r, rot)


def coal(x, y, r=2.6):
    """A lump of coal lying on the snow."""
    return ellipse(x, y, r * 1.2, r, BLACK, OUT, 1.0) + circle(x - r * 0.4, y - r * 0.4, r * 0.3, "#444444", None)


def stick_arm(x, y, angle, length=26):
    a = math.radians(angle)
    ex, ey = x + length * math.cos(a), y - length * math.sin(a)
    s = path("M%s %s L%s %s" % (fmt(x), fmt(y), fmt(ex), fmt(ey)), None, OUT, 3.6)
    s += path("M%s %s L%s %s" % (fmt(x), fmt(y), fmt(ex), fmt(ey)), None, WOOD, 1.6)
    for f in (-30, 30):
        b = a + math.radians(f)
        fx, fy = ex + 7 * math.cos(b), ey - 7 * math.sin(b)
        s += path("M%s %s L%s %s" % (fmt(ex), fmt(ey), fmt(fx), fmt(fy)), None, OUT, 3.0)
        s += path("M%s %s L%s %s" % (fmt(ex), fmt(ey), fmt(fx), fmt(fy)), None, WOOD, 1.2)
    return s


def chunk(x, y, r, rot=0):
    """A broken lump of snow."""
    pts = []
    for k in range(7):
        a = math.radians(rot + k * 360 / 7)
        rr = r * (1.0 if k % 2 == 0 else 0.72)
        pts.append((x + rr * math.cos(a), y + rr * math.sin(a)))
    return polygon(pts, WHITE) + polygon([(x, y), pts[1], pts[2], pts[3]], SNOW2, None) + polygon(pts, "none")
