"""Small helpers that write SVG elements in the house drawing style: flat
fills in palette colours, dark outlines with round joins, light from the
upper left."""

import math

OUT = "#242424"          # outline
SW = 1.3                 # outline width in final pixels

# Palette colours used by the drawings, by role.
WHITE, SNOW1, SNOW2, SNOW3, SNOW4 = "#FFFFFF", "#E8F0FA", "#C8D8EE", "#9CB4D8", "#6E86B4"
SKIN, SKIN2, CHEEK = "#F2C9A6", "#E0A886", "#FF9999"
RED, RED2, RED_L = "#CC0000", "#990000", "#FF3333"
BLUE, BLUE2, BLUE_L = "#3366CC", "#003399", "#6699FF"
GREEN, GREEN2, GREEN3, GREEN_L = "#339933", "#006633", "#003300", "#66CC66"
YELLOW, YELLOW2, YELLOW_L = "#FFCC00", "#CC9900", "#FFFF66"
PURPLE, PURPLE2, PURPLE_L = "#9933CC", "#663399", "#CC66FF"
ORANGE, ORANGE2 = "#FF6600", "#CC3300"
WOOD_L, WOOD, WOOD2, WOOD3 = "#CC9966", "#996633", "#663300", "#330000"
BROWN_L, BROWN, BROWN2 = "#CC9966", "#996633", "#663300"
TROUSER, TROUSER2 = "#333366", "#000033"
BLACK = "#000000"
SLOPE = math.degrees(math.atan2(1, 2))     # the ride's 2:1 diagonal
DIR = (2 / math.sqrt(5), 1 / math.sqrt(5))


def fmt(v):
    return ("%.2f" % v).rstrip("0").rstrip(".")


def attrs(fill, stroke, sw, extra=""):
    s = 'fill="%s"' % (fill or "none")
    if stroke:
        s += ' stroke="%s" stroke-width="%s" stroke-linejoin="round" stroke-linecap="round"' % (stroke, fmt(sw))
    return s + extra


def path(d, fill, stroke=OUT, sw=SW):
    return '<path d="%s" %s/>' % (d, attrs(fill, stroke, sw))


def circle(cx, cy, r, fill, stroke=OUT, sw=SW):
    return '<circle cx="%s" cy="%s" r="%s" %s/>' % (fmt(cx), fmt(cy), fmt(r), attrs(fill, stroke, sw))


def ellipse(cx, cy, rx, ry, fill, stroke=OUT, sw=SW, rot=0):
    t = ' transform="rotate(%s %s %s)"' % (fmt(rot), fmt(cx), fmt(cy)) if rot else ""
    return '<ellipse cx="%s" cy="%s" rx="%s" ry="%s" %s%s/>' % (
        fmt(cx), fmt(cy), fmt(rx), fmt(ry), attrs(fill, stroke, sw), t)


def rect(x, y, w, h, fill, stroke=OUT, sw=SW, r=0):
    return '<rect x="%s" y="%s" width="%s" height="%s" rx="%s" %s/>' % (
        fmt(x), fmt(y), fmt(w), fmt(h), fmt(r), attrs(fill, stroke, sw))


def line(x1, y1, x2, y2, colour, width):
    return '<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="%s" stroke-linecap="round"/>' % (
        fmt(x1), fmt(y1), fmt(x2), fmt(y2), colour, fmt(width))


def limb(points, colour, width, outline=OUT, sw=SW):
    """A sleeve or leg: a thick round-capped stroke with an outline."""
    d = "M" + " L".join("%s %s" % (fmt(x), fmt(y)) for x, y in points)
    return ('<path d="%s" fill="none" stroke="%s" stroke-width="%s" stroke-linejoin="round" stroke-linecap="round"/>'
            '<path d="%s" fill="none" stroke="%s" stroke-width="%s" stroke-linejoin="round" stroke-linecap="round"/>'
            % (d, outline, fmt(width + 2 * sw), d, colour, fmt(width)))


def curve_limb(d, colour, width, outline=OUT, sw=SW):
    return ('<path d="%s" fill="none" stroke="%s" stroke-width="%s" stroke-linejoin="round" stroke-linecap="round"/>'
            '<path d="%s" fill="none" stroke="%s" stroke-width="%s" stroke-linejoin="round" stroke-linecap="round"/>'
            % (d, outline, fmt(width + 2 * sw), d, colour, fmt(width)))


def group(content, tx=0, ty=0, rot=0, scale=1, flip=False):
    t = "translate(%s %s)" % (fmt(tx), fmt(ty))
    if rot:
        t += " rotate(%s)" % fmt(rot)
    if scale != 1 or flip:
        t += " scale(%s %s)" % (fmt(-scale if flip else scale), fmt(scale))
    return '<g transform="%s">%s</g>' % (t, content)


def text(x, y, s, size, fill, family="Comic Neue", weight="bold", anchor="start", stroke=None, sw=0, extra=""):
    st = ' stroke="%s" stroke-width="%s" stroke-linejoin="round" paint-order="stroke"' % (stroke, fmt(sw)) if stroke else ""
    s = s.replace("&", "&amp;").replace("<", "&lt;")
    return ('<text x="%s" y="%s" font-family="%s" font-weight="%s" font-size="%s" fill="%s" text-anchor="%s"%s%s>%s</text>'
            % (fmt(x), fmt(y), family, weight, fmt(size), fill, anchor, st, extra, s))


def polygon(points, fill, stroke=OUT, sw=SW):
    return '<polygon points="%s" %s/>' % (" ".join("%s,%s" % (fmt(x), fmt(y)) for x, y in points),
                                          attrs(fill, stroke, sw))


def clip(cid, shape, content):
    """content drawn only inside shape (an SVG element without fill rules)."""
    return '<clipPath id="%s">%s</clipPath><g clip-path="url(#%s)">%s</g>' % (cid, shape, cid, content)
