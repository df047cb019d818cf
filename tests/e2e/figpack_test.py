"""The FIG packer on the build machine: packs indexed PNGs with their record
fields, lists and unpacks them again, writes the same bytes every time and
compresses at least as well as zlib at its best level."""
import os
import struct
import subprocess
import tempfile
import unittest
import zlib

from PIL import Image

FIGPACK = os.path.join(os.environ.get("HOST_TOOLS_DIR", ""), "figpack", "figpack")


def indexed_png(path, width, height, pick, colours):
    image = Image.new("P", (width, height))
    image.putpalette([c for rgb in colours for c in rgb])
    image.putdata([pick(x, y) for y in range(height) for x in range(width)])
    image.save(path)


def parse_fig(data):
    magic, loop, count, width, height, spare, palette_size = struct.unpack_from("<4shHHHHI", data, 0)
    at = 18
    palette = data[at:at + palette_size]
    at += palette_size
    images = []
    for _ in range(count):
        w, h, planes, bits, comp, size, x, y, key, delay, disposal = struct.unpack_from("<hhHHhIhhhhh", data, at)
        at += 24
        images.append(dict(width=w, height=h, x=x, y=y, key=key, delay=delay, disposal=disposal,
                           block=data[at:at + size]))
        at += size
    assert at == len(data), "bytes after the last image"
    return dict(magic=magic, loop=loop, width=width, height=height, spare=spare, palette=palette, images=images)


def picture(x, y):
    # Shapes with flat areas, like the program's artwork.
    return 0 if (x - 40) ** 2 + (y - 30) ** 2 > 900 else 20 + (x // 8 + y // 6) % 5


class FigpackTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="figpack-")
        self.colours = [(i, 255 - i, (i * 7) % 256) for i in range(256)]
        self.first = os.path.join(self.dir, "first.png")
        self.second = os.path.join(self.dir, "second.png")
        indexed_png(self.first, 57, 29, lambda x, y: (x + y) % 40, self.colours)
        indexed_png(self.second, 90, 61, picture, [(9, 9, 9)] * 256)

    def figpack(self, *args):
        return subprocess.run([FIGPACK, *args], capture_output=True, text=True, cwd=self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def pack(self, out, *extra):
        run = self.figpack("pack", "-o", self.path(out), "--loop", "3", *extra, self.first, "--x", "5", "--y", "-7",
                           "--key", "0", "--delay", "10", "--disposal", "2", self.second)
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(self.path(out), "rb") as f:
            return f.read()

    def test_packs_records_lists_and_unpacks_them_again(self):
        data = self.pack("a.fig")
        fig = parse_fig(data)
        self.assertEqual(fig["magic"], b"FIG1")
        self.assertEqual((fig["loop"], fig["width"], fig["height"]), (3, 57, 29))
        first, second = fig["images"]
        self.assertEqual((first["x"], first["y"], first["key"], first["delay"], first["disposal"]), (0, 0, -1, 0, -1))
        self.assertEqual((second["x"], second["y"], second["key"], second["delay"], second["disposal"]),
                         (5, -7, 0, 10, 2))
        table = zlib.decompress(fig["palette"])
        self.assertEqual(len(table), 1024)
        self.assertEqual(table[4 * 3:4 * 3 + 4], bytes((21, 252, 3, 0)))  # blue, green, red, 0 of (3, 252, 21)
        # 90 pixels wide: rows of 92 bytes, bottom row first.
        pixels = zlib.decompress(second["block"])
        self.assertEqual(len(pixels), 92 * 61)
        self.assertEqual(list(pixels[:90]), [picture(x, 60) for x in range(90)])

        listing = self.figpack("list", self.path("a.fig"))
        self.assertEqual(listing.returncode, 0, listing.stderr)
        self.assertIn("loopCount 3 imageCount 2 width 57 height 29", listing.stdout)
        self.assertIn("image 1: 90x61 planes 1 bitCount 8 compression 0 x 5 y -7 keyIndex 0 delay 10 disposal 2",
                      listing.stdout)

        unpacked = self.figpack("unpack", self.path("a.fig"), self.path("out_"))
        self.assertEqual(unpacked.returncode, 0, unpacked.stderr)
        for source, name in ((self.first, "out_000.png"), (self.second, "out_001.png")):
            original, back = Image.open(source), Image.open(self.path(name))
            self.assertEqual(back.mode, "P")
            self.assertEqual(list(back.getdata()), list(original.getdata()))
            self.assertEqual(back.getpalette()[:48], [c for rgb in self.colours[:16] for c in rgb])

    def test_images_whose_colours_differ_from_the_palette_are_warned_about(self):
        run = self.figpack("pack", "-o", self.path("w.fig"), self.first, self.second)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("second.png: its colours differ", run.stderr)
        self.assertNotIn("first.png", run.stderr)

    def test_output_is_deterministic_and_no_larger_than_zlib_level_9(self):
        data = self.pack("a.fig")
        self.assertEqual(self.pack("b.fig"), data)
        fig = parse_fig(data)
        blocks = [fig["palette"]] + [image["block"] for image in fig["images"]]
        for block in blocks:
            raw = zlib.decompress(block)
            self.assertLessEqual(len(block), len(zlib.compress(raw, 9)))

    def test_palette_file_replaces_the_first_images_colours(self):
        rgb = bytes(c for i in range(256) for c in (i, i // 2, 255 - i))
        bgr0 = bytes(c for i in range(256) for c in (255 - i, i // 2, i, 0))
        bmp = self.path("pal.bmp")
        image = Image.new("P", (16, 16))
        image.putpalette(list(rgb))
        image.save(bmp)
        for name, content in (("pal.raw", rgb), ("pal.bgr", bgr0)):
            with open(self.path(name), "wb") as f:
                f.write(content)
        for source in (bmp, self.path("pal.raw"), self.path("pal.bgr")):
            with self.subTest(source=os.path.basename(source)):
                fig = parse_fig(self.pack("p.fig", "--palette", source))
                self.assertEqual(zlib.decompress(fig["palette"]), bgr0)

    def test_bad_input_is_refused_with_a_reason(self):
        Image.new("RGB", (4, 4)).save(self.path("rgb.png"))
        with open(self.path("cut.fig"), "wb") as f:
            f.write(self.pack("a.fig")[:100])
        cases = [
            (["pack", "-o", self.path("x.fig"), self.path("rgb.png")], 1, "not a palette-indexed PNG"),
            (["pack", "-o", self.path("x.fig"), self.path("missing.png")], 1, "cannot open"),
            (["pack", self.first], 2, "usage"),
            (["pack", "-o", self.path("x.fig"), "--key", "300", self.first], 2, "--key"),
            (["list", self.path("cut.fig")], 1, "ends inside"),
            (["list", self.first], 1, "not a FIG file"),
        ]
        for args, status, reason in cases:
            with self.subTest(args=args[:2]):
                run = self.figpack(*args)
                self.assertEqual(run.returncode, status, run.stderr)
                self.assertIn(reason, run.stderr)


if __name__ == "__main__":
    unittest.main()
