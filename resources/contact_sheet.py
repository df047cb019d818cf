"""Writes a contact sheet of every picture Festling carries, for review:
each frame of each FIG in resources/generated/ on a mid-grey ground (the
key colour shows as the ground), labelled with its id and frame number.
The card animation is shown as the pictures it composes, one per step.

usage: /usr/bin/python3 resources/contact_sheet.py OUT.png [--scale N]"""

import os
import struct
import sys
import zlib

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATED = os.path.join(HERE, "generated")
GROUND = (128, 128, 128)

# frame width, frame height of every picture of the scene and the card
FRAMES = {
    300: (156, 181), 301: (184, 198), 302: (78, 92), 303: (160, 167), 304: (156, 113), 305: (160, 135),
    306: (140, 174), 307: (141, 120), 308: (88, 39), 309: (246, 201), 310: (160, 142), 311: (151, 177),
    312: (104, 143), 313: (135, 139), 314: (54, 72), 350: (293, 130), 351: (282, 155), 1200: (493, 359),
}


def read_fig(path):
    data = open(path, "rb").read()
    magic, loop, count, width, height, spare, psize = struct.unpack_from("<4shHHHHI", data, 0)
    assert magic == b"FIG1", path
    pos = 18
    table = zlib.decompress(data[pos:pos + psize])
    pos += psize
    palette = [(table[4 * i + 2], table[4 * i + 1], table[4 * i]) for i in range(256)]
    images = []
    for _ in range(count):
        w, h, planes, bits, comp, size, x, y, key, delay, disposal = struct.unpack_from("<hhHHhIhhhhh", data, pos)
        pos += 24
        pixels = zlib.decompress(data[pos:pos + size])
        pos += size
        stride = (w + 3) & ~3
        rows = [pixels[r * stride:r * stride + w] for r in range(h)][::-1]
        images.append(dict(w=w, h=h, x=x, y=y, key=key, delay=delay, disposal=disposal, rows=rows))
    return dict(loop=loop, width=width, height=height, palette=palette, images=images)


def to_rgb(rows, palette, key=None):
    h, w = len(rows), len(rows[0])
    img = Image.new("RGB", (w, h), GROUND)
    px = img.load()
    for y, row in enumerate(rows):
        for x, v in enumerate(row):
            if v != key:
                px[x, y] = palette[v]
    return img


def tiles():
    """(label, image) of every frame, in id order."""
    out = []
    for fid in sorted(FRAMES):
        fig = read_fig(os.path.join(GENERATED, "fig%d.fig" % fid))
        image = fig["images"][0]
        fw, fh = FRAMES[fid]
        key = None if fid in (351, 1200) else image["rows"][0][0]
        sheet = to_rgb(image["rows"], fig["palette"], key)
        n = 0
        for top in range(0, image["h"], fh):
            for left in range(0, image["w"], fw):
                out.append(("%d:%d" % (fid, n), sheet.crop((left, top, left + fw, top + fh))))
                n += 1
    fig = read_fig(os.path.join(GENERATED, "fig1201.fig"))
    canvas = Image.new("RGB", (fig["width"], fig["height"]), (0, 0, 0))
    for n, image in enumerate(fig["images"]):
        part = to_rgb(image["rows"], fig["palette"])
        mask = Image.new("L", part.size, 255)
        if image["key"] >= 0:
            mpx = mask.load()
            for y, row in enumerate(image["rows"]):
                for x, v in enumerate(row):
                    if v == image["key"]:
                        mpx[x, y] = 0
        canvas.paste(part, (image["x"], image["y"]), mask)
        out.append(("1201:%d %dms" % (n, image["delay"] * 10), canvas.copy()))
    return out


def main():
    out = sys.argv[1]
    scale = int(sys.argv[sys.argv.index("--scale") + 1]) if "--scale" in sys.argv else 1
    items = tiles()
    width = 1000
    x = y = 8
    row_h = 0
    places = []
    for label, img in items:
        w, h = img.size
        if x + w > width - 8:
            x, y = 8, y + row_h + 22
            row_h = 0
        places.append((x, y, label, img))
        x += w + 8
        row_h = max(row_h, h)
    sheet = Image.new("RGB", (width, y + row_h + 24), (96, 96, 96))
    draw = ImageDraw.Draw(sheet)
    for x, y, label, img in places:
        sheet.paste(Image.new("RGB", img.size, GROUND), (x, y + 14))
        sheet.paste(img, (x, y + 14))
        draw.text((x, y), label, fill=(255, 255, 255))
    if scale != 1:
        sheet = sheet.resize((sheet.width * scale, sheet.height * scale), Image.NEAREST)
    sheet.save(out)


if __name__ == "__main__":
    main()
