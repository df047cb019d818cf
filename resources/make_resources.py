"""Regenerates every generated resource of Festling from its sources.

Run it through resources/regenerate, which builds the FIG packer first.
Writes resources/generated/: fig*.fig, idb_pal.bmp, idm_music.mid,
cursor*.cur, festling.ico. Output is the same for the same sources."""

import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "art"))
sys.path.insert(0, os.path.join(HERE, "music"))

import numpy as np  # noqa: E402

import cursors  # noqa: E402
import icon_small  # noqa: E402
import pictures  # noqa: E402
import render  # noqa: E402
import tune  # noqa: E402
import winfiles  # noqa: E402
from palette import PALETTE  # noqa: E402

OUT = os.path.join(HERE, "generated")


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def picture_strip(fid):
    w, h, columns, draw = pictures.PICTURES[fid]
    if fid in pictures.OWN_PALETTE:
        frames, palette = [], None
        for body in draw():
            indices, palette = render.render_own_palette(body, w, h)
            frames.append(indices)
        assert len(frames) == 1
        return frames[0], palette
    background = render.KEY if fid not in (351, 1200) else None
    frames = [render.render(body, w, h, background or "#000000") for body in draw()]
    return render.strip(frames, columns), PALETTE


def banner_images():
    """The card animation: the first picture whole, then for every later
    picture only the rectangle that changed, with unchanged pixels keyed."""
    states, delays = pictures.banner_states()
    full = [render.render(s, 468, 60, "#000000") for s in states]
    images = [(full[0], 0, 0, -1, delays[0])]
    for before, after, delay in zip(full, full[1:], delays[1:]):
        changed = before != after
        ys, xs = np.nonzero(changed)
        if len(xs) == 0:
            ys, xs = np.array([0]), np.array([0])
        x0, x1, y0, y1 = xs.min(), xs.max() + 1, ys.min(), ys.max() + 1
        part = after[y0:y1, x0:x1].copy()
        part[~changed[y0:y1, x0:x1]] = render.KEY_INDEX
        images.append((part, int(x0), int(y0), render.KEY_INDEX, delay))
    # back to the start: the next pass begins with the full picture again
    return images


def main():
    figpack = sys.argv[1]
    os.makedirs(OUT, exist_ok=True)
    write("idb_pal.bmp", winfiles.palette_bmp())
    write("idm_music.mid", tune.build())
    for cid, (art, hotspot) in cursors.CURSORS.items():
        write("cursor%d.cur" % cid, winfiles.cursor_file(art, hotspot))
    icons = []
    large = render.render(pictures.icon_drawing(32), 32, 32).tolist()
    icons.append((32, 32, winfiles.icon_image_8bit(large, render.KEY_INDEX)))
    small = icon_small.indices(render.KEY_INDEX)
    icons.append((16, 16, winfiles.icon_image_8bit(small, render.KEY_INDEX)))
    write("festling.ico", winfiles.ico_file(icons))

    with tempfile.TemporaryDirectory() as work:
        for fid in sorted(pictures.PICTURES):
            indices, palette = picture_strip(fid)
            png = os.path.join(work, "%d.png" % fid)
            render.save_indexed(indices, png, palette)
            subprocess.run([figpack, "pack", "-o", os.path.join(OUT, "fig%d.fig" % fid), png], check=True)
            print("FIG %d: %d x %d" % (fid, indices.shape[1], indices.shape[0]))
        args = [figpack, "pack", "-o", os.path.join(OUT, "fig1201.fig"), "--loop", "-1", "--canvas", "468x60"]
        for n, (part, x, y, key, delay) in enumerate(banner_images()):
            png = os.path.join(work, "banner%02d.png" % n)
            render.save_indexed(part, png)
            args += ["--x", str(x), "--y", str(y), "--key", str(key), "--delay", str(delay // 10),
                     "--disposal", "1", png]
        subprocess.run(args, check=True)
        print("FIG 1201: %d images" % (n + 1))


if __name__ == "__main__":
    main()
