"""The tune Festling plays once at start: "Jingle Bells" (J. L. Pierpont,
1857, public domain), arranged here for seven parts and written as a
Standard MIDI File: format 1, a conductor track and seven part tracks,
480 ticks per quarter note.

Note lists: NAME[OCTAVE][:LENGTH] with lengths w h q e s (a dot adds half),
'r' a rest; '|' bar lines are only for reading."""

import struct

TPQN = 480
LENGTHS = {"w": 4 * TPQN, "h": 2 * TPQN, "q": TPQN, "e": TPQN // 2, "s": TPQN // 4}
SEMITONE = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}

VERSE = """
D4:q B4:q A4:q G4:q | D4:h. D4:e D4:e | D4:q B4:q A4:q G4:q | E4:w |
E4:q C5:q B4:q A4:q | F#4:w | D5:q D5:q C5:q A4:q | B4:w |
D4:q B4:q A4:q G4:q | D4:w | D4:q B4:q A4:q G4:q | E4:h. E4:q |
E4:q C5:q B4:q A4:q | D5:q D5:q D5:q D5:q | E5:q D5:q C5:q A4:q | G4:h D5:h |
"""
CHORUS = """
B4:q B4:q B4:h | B4:q B4:q B4:h | B4:q D5:q G4:q. A4:e | B4:w |
C5:q C5:q C5:q. C5:e | C5:q B4:q B4:q B4:e B4:e | B4:q A4:q A4:q B4:q | A4:h D5:h |
B4:q B4:q B4:h | B4:q B4:q B4:h | B4:q D5:q G4:q. A4:e | B4:w |
C5:q C5:q C5:q. C5:e | C5:q B4:q B4:q B4:e B4:e | D5:q D5:q C5:q A4:q | G4:w |
"""
VERSE_CHORDS = "G G G C  Am D D7 G  G G G C  Am D7 D7 G"
CHORUS_CHORDS = "G G G G  C G A7 D7  G G G G  C G D7 G"
CHORD_TONES = {
    "G": (7, 11, 14), "C": (0, 4, 7), "Am": (9, 12, 16), "D": (2, 6, 9),
    "D7": (2, 6, 12), "A7": (9, 13, 19),
}
ROOT = {"G": 7, "C": 0, "Am": 9, "D": 2, "D7": 2, "A7": 9}

BAR = 4 * TPQN
INTRO_BARS = 2


def parse_notes(text, transpose=0):
    events, time = [], 0
    for token in text.split():
        if token == "|":
            continue
        name, _, length = token.partition(":")
        length = length or "q"
        ticks = LENGTHS[length[0]]
        if length.endswith("."):
            ticks += ticks // 2
        if name != "r":
            octave = int(name[-1])
            pitch = SEMITONE[name[0]] + name[1:-1].count("#") - name[1:-1].count("b")
            events.append((time, ticks, 12 * (octave + 1) + pitch + transpose))
        time += ticks
    return events, time


def song_form():
    """(melody text, chords) of each section in playing order."""
    return [(VERSE, VERSE_CHORDS), (CHORUS, CHORUS_CHORDS), (CHORUS, CHORUS_CHORDS)]


def melody_notes(octave_up=0):
    notes, start = [], INTRO_BARS * BAR
    for text, _ in song_form():
        events, length = parse_notes(text, 12 * octave_up)
        notes += [(start + t, d, p) for t, d, p in events]
        start += length
    return notes, start


def chord_list():
    chords = []
    for _, names in song_form():
        chords += names.split()
    return chords


def bass_notes():
    notes = []
    for bar, name in enumerate(chord_list()):
        t = (INTRO_BARS + bar) * BAR
        root = 36 + ROOT[name]
        fifth = root + 7 if root + 7 <= 47 else root - 5
        notes += [(t, 2 * TPQN - 60, root), (t + 2 * TPQN, 2 * TPQN - 60, fifth)]
    return notes


def piano_notes():
    """Off-beat chords, as a piano keeps a sleigh ride going."""
    notes = []
    for bar, name in enumerate(chord_list()):
        t = (INTRO_BARS + bar) * BAR
        for beat in (1, 3):
            for tone in CHORD_TONES[name]:
                notes.append((t + beat * TPQN, TPQN // 2, 55 + tone))
    return notes


def string_notes():
    notes = []
    for bar, name in enumerate(chord_list()):
        t = (INTRO_BARS + bar) * BAR
        for tone in CHORD_TONES[name][:2]:
            notes.append((t, BAR - 20, 60 + tone))
    return notes


def bell_notes(end):
    """Sleigh bells on every beat from the first bar to the last."""
    return [(t, 100, 83) for t in range(0, end, TPQN)]


def drum_notes(end):
    notes = []
    for t in range((INTRO_BARS + 16) * BAR, end, BAR):     # the choruses
        notes += [(t, 120, 36), (t + TPQN, 120, 38), (t + 2 * TPQN, 120, 36), (t + 3 * TPQN, 120, 38)]
    notes.append((end, 480, 49))
    return notes


def varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def track(events):
    """events: (tick, order, bytes); written with delta times and an end mark."""
    data, now, status = bytearray(), 0, None
    for tick, _, message in sorted(events, key=lambda e: (e[0], e[1])):
        if message[0] < 0xF0 and message[0] == status:
            message = message[1:]          # running status
        else:
            status = message[0] if message[0] < 0xF0 else None
        data += varlen(tick - now) + message
        now = tick
    data += varlen(0) + b"\xFF\x2F\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def meta(kind, payload):
    return bytes((0xFF, kind)) + varlen(len(payload)) + payload


def part(name, channel, program, volume, notes, velocity):
    events = [(0, 0, meta(0x03, name.encode("ascii"))),
              (0, 1, bytes((0xB0 | channel, 7, volume))),
              (0, 2, bytes((0xB0 | channel, 10, 64)))]
    if program is not None:
        events.append((0, 3, bytes((0xC0 | channel, program))))
    for start, length, pitch in notes:
        events.append((start, 5, bytes((0x90 | channel, pitch, velocity))))
        events.append((start + length, 4, bytes((0x90 | channel, pitch, 0))))   # note off
    return track(events)


def build():
    melody, end = melody_notes()
    glock = [(t, d, p + 12) for t, d, p in melody if t >= INTRO_BARS * BAR + 16 * BAR]
    tempo = 60_000_000 // 152
    conductor = track([
        (0, 0, meta(0x03, b"Jingle Bells")),
        (0, 1, meta(0x01, b"J. L. Pierpont, 1857; arranged for Festling")),
        (0, 2, meta(0x51, struct.pack(">I", tempo)[1:])),
        (0, 3, meta(0x58, bytes((4, 2, 24, 8)))),
        (0, 4, meta(0x59, bytes((1, 0)))),
        (end + 2 * TPQN, 5, b""[:0] + meta(0x01, b"fine")),
    ])
    tracks = [
        conductor,
        part("Melody", 0, 73, 110, [(t, d - 30, p) for t, d, p in melody], 100),
        part("Glockenspiel", 1, 9, 70, [(t, min(d, TPQN), p) for t, d, p in glock], 80),
        part("Piano", 2, 0, 80, piano_notes(), 70),
        part("Bass", 3, 32, 100, bass_notes(), 90),
        part("Strings", 4, 48, 60, string_notes(), 60),
        part("Sleigh bells", 9, None, 90, bell_notes(end), 70),
        part("Drums", 9, None, 90, drum_notes(end), 80),
    ]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), TPQN)
    return header + b"".join(tracks)


if __name__ == "__main__":
    import sys
    data = build()
    with open(sys.argv[1], "wb") as f:
        f.write(data)
    print(len(data), "bytes")
