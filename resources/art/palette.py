"""The program palette: the colour table of IDB_PAL and of every FIG but 301.

Entries 0-9 and 246-255 are the twenty colours Windows reserves on palette
displays; 10-245 are the artwork's colours: the 0x33-step colour cube without
its corners and greys, two extra cube-free tones, a grey ramp (4..248) at
216-239, and six warm and cool tones for skin and snow shade at 240-245.
Index positions never change: pictures store indices into this table."""

RESERVED_LOW = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128),
    (128, 0, 128), (0, 128, 128), (192, 192, 192), (192, 220, 192), (166, 202, 240),
]
RESERVED_HIGH = [
    (255, 251, 240), (160, 160, 164), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
STEPS = (0x00, 0x33, 0x66, 0x99, 0xCC, 0xFF)
EXTRA_TONES = [(0xF2, 0xC9, 0xA6), (0xE0, 0xA8, 0x86)]        # 214-215: skin light / shade
GREY_FIRST, GREY_COUNT = 216, 24
WARM_COOL = [                                                   # 240-245
    (0xB8, 0x70, 0x50), (0x7A, 0x44, 0x2C), (0xE8, 0xF0, 0xFA),
    (0xC8, 0xD8, 0xEE), (0x9C, 0xB4, 0xD8), (0x6E, 0x86, 0xB4),
]


def build_palette():
    colours = list(RESERVED_LOW)
    for r in STEPS:
        for g in STEPS:
            for b in STEPS:
                corner = all(c in (0, 0xFF) for c in (r, g, b))
                grey = r == g == b
                if not corner and not grey:
                    colours.append((r, g, b))
    colours.extend(EXTRA_TONES)
    assert len(colours) == GREY_FIRST, len(colours)
    for i in range(GREY_COUNT):
        v = 4 + round(i * (248 - 4) / (GREY_COUNT - 1))
        colours.append((v, v, v))
    colours.extend(WARM_COOL)
    colours.extend(RESERVED_HIGH)
    assert len(colours) == 256
    return colours


PALETTE = build_palette()

if __name__ == "__main__":
    for i, c in enumerate(PALETTE):
        print(i, "#%02X%02X%02X" % c)
