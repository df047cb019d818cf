import sys
import numpy as np
from PIL import Image
import pictures, render
from palette import PALETTE

ids = [int(a) for a in sys.argv[1:]] or sorted(pictures.PICTURES)
for fid in ids:
    w, h, cols, fn = pictures.PICTURES[fid]
    frames = [render.render(body, w, h) for body in fn()]
    st = render.strip(frames, cols)
    img = Image.fromarray(st, "P")
    img.putpalette([c for p in PALETTE for c in p])
    rgb = np.asarray(img.convert("RGB")).copy()
    key = (rgb == [255, 0, 255]).all(-1)
    rgb[key] = (120, 128, 136)
    Image.fromarray(rgb).resize((rgb.shape[1] * 3, rgb.shape[0] * 3), Image.NEAREST).save("/tmp/art/p%d.png" % fid)
