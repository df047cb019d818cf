"""The 16 x 16 icon, drawn pixel by pixel: at this size a drawing scaled
down turns to mush. '.' is see-through."""

from palette import PALETTE

ART = """
..KKKKKKKKKKKK..
.KNNNNNNNNNNNNK.
KNNYYNNNNNNKNNNK
KNYYYMNWNNKWKNNK
KNYYYMNNNKWWgKNK
KNNMMNNNNKHGgKNK
KNNNNNNNKWWWGgKK
KWWNNWNNKHGGggKK
KWWWWWWWKKKDKKWK
KWKKKKKKKKKKKKWK
KWKLLLLLLLKRRKWK
KSKKKKKKKKKKRKSK
KWWDWWWDWWWKRKSK
KKRRRRRRRRRRRKSK
.KSKKKKKKKKKKSK.
..KKKKKKKKKKKK..
"""

COLOURS = {
    "K": (0x24, 0x24, 0x24), "N": (0x00, 0x33, 0x66), "Y": (0xFF, 0xFF, 0xCC), "W": (0xFF, 0xFF, 0xFF),
    "S": (0xC8, 0xD8, 0xEE), "R": (0xCC, 0x00, 0x00), "L": (0xCC, 0x99, 0x66), "D": (0x66, 0x33, 0x00),
    "G": (0x00, 0x66, 0x33), "g": (0x00, 0x33, 0x00), "H": (0x33, 0x99, 0x33), "M": (0xFF, 0xFF, 0x99),
    "P": (0x99, 0x00, 0x00), "O": (0x99, 0x66, 0x33),
}


def indices(transparent_index):
    rows = ART.strip().split("\n")
    assert len(rows) == 16 and all(len(r) == 16 for r in rows)
    return [[PALETTE.index(COLOURS[ch]) if ch in COLOURS else transparent_index for ch in row] for row in rows]
