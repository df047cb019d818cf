"""Turns SVG drawings into pixel pictures in the fixed program palette.

A drawing is rendered four times too large with hard edges (rsvg-convert,
crispEdges), every pixel must then be a palette colour, and each 4 x 4 block
becomes the colour most of it shows; outline colours count double so that
thin outlines stay closed. Nothing is blended, so a figure meets the key
colour around it without a fringe."""

import os
import subprocess

import numpy as np
from PIL import Image

from palette import PALETTE

SCALE = 4
KEY = "#FF00FF"                 # the transparent colour of every sprite strip
KEY_INDEX = PALETTE.index((255, 0, 255))
OUTLINES = ("#242424", "#000000", "#0F0F0F")

_LOOKUP = {}
for _i, _c in enumerate(PALETTE):
    _LOOKUP.setdefault((_c[0] << 16) | (_c[1] << 8) | _c[2], _i)


def hexcolour(index):
    return "#%02X%02X%02X" % PALETTE[index]


def svg_document(body, width, height, background=KEY):
    back = '<rect x="-10" y="-10" width="%d" height="%d" fill="%s"/>' % (width + 20, height + 20, background) \
        if background else ""
    return ('<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
            'width="%d" height="%d" viewBox="0 0 %d %d" shape-rendering="crispEdges" '
            'text-rendering="optimizeSpeed">%s%s</svg>' % (width, height, width, height, back, body))


def rgb_to_indices(rgb, exact=True):
    """Maps an (h, w, 3) array to palette indices: exact colour first, else nearest."""
    packed = (rgb[..., 0].astype(np.int64) << 16) | (rgb[..., 1].astype(np.int64) << 8) | rgb[..., 2]
    out = np.zeros(packed.shape, np.uint8)
    pal = np.array(PALETTE, np.int64)
    for value in np.unique(packed):
        index = _LOOKUP.get(int(value))
        if index is None:
            if exact:
                raise ValueError("colour #%06X is not in the program palette" % value)
            c = np.array([(value >> 16) & 255, (value >> 8) & 255, value & 255])
            index = int(np.argmin(((pal[:246] - c) ** 2).sum(1)))
        out[packed == value] = index
    return out


def majority_downsample(big, scale=SCALE, own_key=None, outlines=None):
    h, w = big.shape[0] // scale, big.shape[1] // scale
    blocks = big[:h * scale, :w * scale].reshape(h, scale, w, scale).transpose(0, 2, 1, 3).reshape(h, w, scale * scale)
    weights = np.ones(256, np.int32)
    if outlines is None:
        outlines = [_LOOKUP[int(colour[1:], 16)] for colour in OUTLINES]
    for index in outlines:
        weights[index] = 2
    same = blocks[..., :, None] == blocks[..., None, :]
    score = same.sum(-1) * weights[blocks]
    pick = score.argmax(-1)
    return np.take_along_axis(blocks, pick[..., None], -1)[..., 0]


def render_svg(svg_text, scale=SCALE):
    png = subprocess.run(["rsvg-convert", "-z", str(scale), "-f", "png"], input=svg_text.encode(),
                         stdout=subprocess.PIPE, check=True).stdout
    import io
    image = Image.open(io.BytesIO(png)).convert("RGB")
    return np.asarray(image)


def render(body, width, height, background=KEY, exact=True):
    """Renders one drawing of width x height pixels to an index array."""
    rgb = render_svg(svg_document(body, width, height, background))
    big = rgb_to_indices(rgb, exact)
    small = majority_downsample(big)
    assert small.shape == (height, width), (small.shape, width, height)
    return small


def strip(frames, columns):
    """Lays equal frames out row by row, left to right."""
    fh, fw = frames[0].shape
    rows = (len(frames) + columns - 1) // columns
    out = np.full((rows * fh, columns * fw), KEY_INDEX, np.uint8)
    for n, f in enumerate(frames):
        r, c = divmod(n, columns)
        out[r * fh:(r + 1) * fh, c * fw:(c + 1) * fw] = f
    return out


def save_indexed(indices, path, palette=PALETTE):
    image = Image.fromarray(indices.astype(np.uint8), "P")
    flat = []
    for c in palette:
        flat.extend(c)
    flat.extend([0] * (768 - len(flat)))
    image.putpalette(flat)
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    image.save(path, optimize=False)


def render_own_palette(body, width, height):
    """Renders a drawing that carries its own colour table: the key first,
    then every colour the drawing uses, in order of value."""
    rgb = render_svg(svg_document(body, width, height))
    packed = (rgb[..., 0].astype(np.int64) << 16) | (rgb[..., 1].astype(np.int64) << 8) | rgb[..., 2]
    colours = sorted(int(v) for v in np.unique(packed) if v != 0xFF00FF)
    assert len(colours) <= 255, len(colours)
    palette = [(255, 0, 255)] + [((v >> 16) & 255, (v >> 8) & 255, v & 255) for v in colours]
    big = np.zeros(packed.shape, np.uint8)
    for i, v in enumerate(colours, 1):
        big[packed == v] = i
    small = majority_downsample(big, own_key=0, outlines=[palette.index((0x2B, 0x1B, 0x0C))] if (0x2B, 0x1B, 0x0C) in palette else [])
    palette += [(0, 0, 0)] * (256 - len(palette))
    return small, palette
