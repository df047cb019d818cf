"""On a 256-colour display: the program palette and FIG tests of the graphics
test program, run on an 8-bit Xvfb display of their own. Wine then reports a
palette device; with a private colour map it lets the program palette take
the system palette over, as a palette display does."""
import os
import shutil
import subprocess
import tempfile
import unittest

PREFIX = os.environ.get("FESTLING_WINEPREFIX", "")
EXE = os.environ.get("FESTLING_EXE", "")
TESTS = os.path.join(os.path.dirname(EXE), "tests", "graphics_tests.exe")
FILTER = "PaletteDisplay.*:FigReader.*:PackedDib.*:DibPalette.*:DibBitmap.*:ProgramPalette_.*:FrameBitmaps.*:ImageCacheTest.*"


def thin_prefix(source, target):
    """A prefix of its own (registry, devices, wineserver) sharing the source's drive C."""
    for name in os.listdir(source):
        path = os.path.join(source, name)
        if name in ("drive_c", "wineserver"):
            continue
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.copytree(path, os.path.join(target, name), symlinks=True)
        else:
            shutil.copy2(path, os.path.join(target, name))
    os.symlink(os.path.join(source, "drive_c"), os.path.join(target, "drive_c"))


class PaletteDisplayTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="festling-palette-")
        self.prefix = os.path.join(self.dir, "prefix")
        os.mkdir(self.prefix)
        thin_prefix(PREFIX, self.prefix)
        # Xvfb takes a free display number itself and writes it once it
        # serves: no race with other servers starting at the same time.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x8",
                                      "-nolisten", "tcp"], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        if not number:
            self.xvfb.wait()
            shutil.rmtree(self.dir, ignore_errors=True)
            self.fail("the 8-bit Xvfb did not start")
        self.display = ":" + number
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH="win32", WINEDEBUG="-all",
                        DISPLAY=self.display)

    def tearDown(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.xvfb.terminate()
        self.xvfb.wait()
        shutil.rmtree(self.dir, ignore_errors=True)

    def wine(self, *args, timeout=300):
        return subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=timeout)

    def test_palette_and_fig_tests_pass_on_an_8_bit_display(self):
        self.assertTrue(os.path.exists(TESTS), TESTS)
        depth = subprocess.run(["xdpyinfo", "-display", self.display], capture_output=True, text=True).stdout
        self.assertIn("depth of root window:    8 planes", depth)
        added = self.wine("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "PrivateColorMap", "/d", "Y", "/f")
        self.assertEqual(added.returncode, 0, added.stdout)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)

        run = self.wine(TESTS, "--gtest_filter=" + FILTER)
        output = run.stdout.decode("utf-8", "replace")
        print(output[-4000:])
        self.assertEqual(run.returncode, 0, output[-4000:])
        # The palette device checks ran rather than being skipped.
        self.assertIn("[       OK ] PaletteDisplay.TheDisplayIsAPaletteDevice", output)
        self.assertNotIn("SKIPPED", output)


if __name__ == "__main__":
    unittest.main()
