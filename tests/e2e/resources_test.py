"""Independent readers agree on what festling.exe carries: a PE reader lists
every resource with the bytes of the generated files and no warnings,
ImageMagick reads the palette bitmap, timidity plays the tune."""
import os
import struct
import subprocess
import tempfile
import unittest
import wave

import pefile

EXE = os.environ.get("FESTLING_EXE", "")
SOURCE = os.environ.get("FESTLING_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
GENERATED = os.path.join(SOURCE, "resources", "generated")
FIGS = [300, 301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 311, 312, 313, 314, 350, 351, 1200, 1201]
RT_CURSOR, RT_ICON, RT_DIALOG, RT_GROUP_CURSOR, RT_GROUP_ICON = 1, 3, 5, 12, 14


def generated(name):
    with open(os.path.join(GENERATED, name), "rb") as f:
        return f.read()


def key_of(entry):
    return str(entry.name) if entry.name is not None else entry.id


class CarriedResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(EXE)
        cls.resources = {}
        for kind in cls.pe.DIRECTORY_ENTRY_RESOURCE.entries:
            for name in kind.directory.entries:
                for language in name.directory.entries:
                    rva, size = language.data.struct.OffsetToData, language.data.struct.Size
                    cls.resources[(key_of(kind), key_of(name))] = cls.pe.get_data(rva, size)

    def resource(self, kind, name):
        self.assertIn((kind, name), self.resources)
        return self.resources[(kind, name)]

    def test_the_pe_reader_has_no_warnings(self):
        self.assertEqual(self.pe.get_warnings(), [])

    def test_every_resource_is_listed_with_the_generated_bytes(self):
        expected = {("FIG", fid): "fig%d.fig" % fid for fid in FIGS}
        expected.update({("DIB", "IDB_PAL"): "idb_pal.bmp", ("MIDI", "IDM_MUSIC"): "idm_music.mid",
                         ("MSGTEXT", 101): "msgtext.bin", ("CONFIG", 1200): "config.bin"})
        for (kind, name), file in expected.items():
            with self.subTest(kind=kind, name=name):
                self.assertEqual(self.resource(kind, name), generated(file))
        named = {k for k in self.resources if isinstance(k[0], str)}
        self.assertEqual(named, set(expected))
        for dialog in (107, 109):
            self.assertIn((RT_DIALOG, dialog), self.resources)

    def test_cursors_and_icon_carry_the_images_of_their_files(self):
        for cid, hotspot in ((100, (13, 9)), (102, (15, 18)), (103, (17, 15))):
            with self.subTest(cursor=cid):
                group = self.resource(RT_GROUP_CURSOR, cid)
                reserved, kind, count = struct.unpack_from("<HHH", group)
                self.assertEqual((kind, count), (2, 1))
                part = struct.unpack_from("<HHHHIH", group, 6)[5]
                data = self.resource(RT_CURSOR, part)
                self.assertEqual(struct.unpack_from("<HH", data), hotspot)
                cur = generated("cursor%d.cur" % cid)
                self.assertEqual(data[4:], cur[22:])
        group = self.resource(RT_GROUP_ICON, 100)
        ico = generated("festling.ico")
        count = struct.unpack_from("<H", ico, 4)[0]
        self.assertEqual(struct.unpack_from("<H", group, 4)[0], count)
        sizes = set()
        for n in range(count):
            width, height, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * n)
            part = struct.unpack_from("<H", group, 6 + 14 * n + 12)[0]
            self.assertEqual(self.resource(RT_ICON, part), ico[offset:offset + size])
            sizes.add((width, height))
        self.assertEqual(sizes, {(16, 16), (32, 32)})

    def test_imagemagick_reads_the_palette_bitmap(self):
        with tempfile.TemporaryDirectory() as work:
            path = os.path.join(work, "idb_pal.bmp")
            with open(path, "wb") as f:
                f.write(self.resource("DIB", "IDB_PAL"))
            out = subprocess.run(["identify", "-format", "%w %h %k", path], capture_output=True, text=True)
            self.assertEqual(out.returncode, 0, out.stderr)
            self.assertEqual(out.stdout.split(), ["16", "16", "1"])   # one colour: every pixel index 0
            pixel = subprocess.run(["convert", path, "-format", "%[pixel:p{15,15}]", "info:"],
                                   capture_output=True, text=True)
            self.assertEqual(pixel.returncode, 0, pixel.stderr)
            self.assertIn(pixel.stdout.strip(), ("black", "srgb(0,0,0)", "rgb(0,0,0)"))

    def test_timidity_plays_the_tune(self):
        with tempfile.TemporaryDirectory() as work:
            midi, out = os.path.join(work, "tune.mid"), os.path.join(work, "tune.wav")
            with open(midi, "wb") as f:
                f.write(self.resource("MIDI", "IDM_MUSIC"))
            run = subprocess.run(["timidity", "-idq", "-Ow", "-s", "22050", "-o", out, midi],
                                 capture_output=True, text=True, timeout=300)
            self.assertEqual(run.returncode, 0, run.stderr)
            with wave.open(out) as w:
                seconds = w.getnframes() / w.getframerate()
                samples = w.readframes(w.getframerate() * 10)
            self.assertGreater(seconds, 30)
            self.assertGreater(max(samples), 0)
            self.assertGreater(len(set(samples)), 100)   # sound, not silence


if __name__ == "__main__":
    unittest.main()
