"""Writers for the small Windows file formats the program carries: the
palette bitmap, icons and monochrome cursors."""

import struct

from palette import PALETTE


def colour_table(palette):
    table = bytearray()
    for r, g, b in palette:
        table += bytes((b, g, r, 0))
    return bytes(table)


def palette_bmp(palette=PALETTE):
    """A 16 x 16 RLE8 bitmap whose only use is its colour table.

    Each of the 16 rows is one run of 16 pixels of index 0 closed by an end of
    line; the last row closes with the end of the bitmap instead, so the pixel
    data is exactly 64 bytes."""
    pixels = bytearray()
    for row in range(16):
        pixels += bytes((16, 0))
        pixels += bytes((0, 1)) if row == 15 else bytes((0, 0))
    assert len(pixels) == 64
    table = colour_table(palette)
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, 16, 16, 1, 8, 1, len(pixels), 0, 0, 256, 256)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    data = header + info + table + bytes(pixels)
    assert len(data) == 1142
    return data


def _and_mask(opaque_rows, width):
    """1-bit rows, bottom-up, padded to 32 bits: 1 where the picture is see-through."""
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for row in reversed(opaque_rows):
        bits = bytearray(stride)
        for x, opaque in enumerate(row):
            if not opaque:
                bits[x >> 3] |= 0x80 >> (x & 7)
        out += bits
    return bytes(out)


def icon_image_8bit(indices, transparent_index, palette=PALETTE):
    """One icon image: 8-bit colour bitmap and its AND mask."""
    h = len(indices)
    w = len(indices[0])
    stride = (w + 3) & ~3
    xor = bytearray()
    for row in reversed(indices):
        line = bytearray(stride)
        for x, v in enumerate(row):
            line[x] = 0 if v == transparent_index else v   # masked pixels are black
        xor += line
    mask = _and_mask([[v != transparent_index for v in row] for row in indices], w)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    return info + colour_table(palette) + bytes(xor) + mask


def ico_file(images):
    """images: list of (width, height, bytes of one icon image)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w & 255, h & 255, 0, 0, 1, 8, len(data), offset + len(body))
        body += data
    return out + body


def cursor_file(art, hotspot):
    """A 32 x 32 monochrome cursor from 32 text rows: '#' black, 'o' white,
    anything else see-through."""
    assert len(art) == 32 and all(len(r) == 32 for r in art), [len(r) for r in art]
    xor = bytearray()
    for row in reversed(art):
        bits = bytearray(4)
        for x, ch in enumerate(row):
            if ch == "o":
                bits[x >> 3] |= 0x80 >> (x & 7)
        xor += bits
    mask = _and_mask([[ch in "#o" for ch in row] for row in art], 32)
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 2)
    table = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + table + bytes(xor) + mask
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return header + entry + image
