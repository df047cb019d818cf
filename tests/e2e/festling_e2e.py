"""Shared driver for end-to-end scenarios: the real festling.exe under Wine on
the test display, over a known desktop picture, with xdotool input and
ImageMagick screenshots. Every process a session starts is stopped at its end."""
import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import zlib

EXE = os.environ.get("FESTLING_EXE", "")
PROBE = os.environ.get("FESTLING_PROBE", "")
DISPLAY = os.environ.get("FESTLING_DISPLAY", ":0")
PREFIX = os.environ.get("FESTLING_WINEPREFIX", "")
ARTIFACTS = os.environ.get("FESTLING_ARTIFACTS", tempfile.gettempdir())
SCREEN_W, SCREEN_H = 1024, 768
SOURCE_DIR = os.environ.get("FESTLING_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))


def wine_env():
    env = dict(os.environ)
    env.update(WINEPREFIX=PREFIX, WINEARCH="win32", WINEDEBUG="-all", DISPLAY=DISPLAY)
    return env


def win_path(path):
    """The Wine name of a Unix path (drive Z: is the root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def pattern_pixel(x, y):
    """Colour of the known desktop at (x, y): every pixel differs from its neighbours."""
    return ((x * 5 + y * 3) & 255, (x * 2 + y * 7 + 60) & 255, ((x ^ y) * 3 + 120) & 255)


def write_pattern(path, width=SCREEN_W, height=SCREEN_H):
    rows = bytearray()
    for y in range(height):
        for x in range(width):
            rows.extend(pattern_pixel(x, y))
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        f.write(rows)


class Screen:
    """One screenshot of the whole display as raw RGB."""

    def __init__(self, data, width=SCREEN_W, height=SCREEN_H):
        self.data, self.width, self.height = data, width, height

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def save_png(self, path):
        raw = path + ".rgb"
        with open(raw, "wb") as f:
            f.write(self.data)
        subprocess.run(["/usr/bin/convert", "-size", "%dx%d" % (self.width, self.height), "-depth", "8",
                        "rgb:" + raw, path], check=False)
        os.remove(raw)

    def differences_from_pattern(self, exclude=()):
        """Pixels that differ from the known desktop outside the given rectangles (x, y, w, h)."""
        bad = []
        for y in range(self.height):
            for x in range(self.width):
                if any(rx <= x < rx + rw and ry <= y < ry + rh for rx, ry, rw, rh in exclude):
                    continue
                if self.pixel(x, y) != pattern_pixel(x, y):
                    bad.append((x, y))
        return bad


class Picture:
    """The first image of a FIG file as rows of RGB, cut into equal frames."""

    def __init__(self, fig_id, frame_w, frame_h):
        with open(os.path.join(SOURCE_DIR, "resources", "generated", "fig%d.fig" % fig_id), "rb") as f:
            data = f.read()
        assert data[:4] == b"FIG1", "fig%d is not a FIG file" % fig_id
        palette_size = struct.unpack_from("<I", data, 14)[0]
        table = zlib.decompress(data[18:18 + palette_size])
        colours = [(table[i * 4 + 2], table[i * 4 + 1], table[i * 4]) for i in range(256)]
        at = 18 + palette_size
        width, height = struct.unpack_from("<hh", data, at)
        size = struct.unpack_from("<I", data, at + 10)[0]
        pixels = zlib.decompress(data[at + 24:at + 24 + size])
        row_bytes = (width + 3) & ~3
        # Rows are stored bottom-up.
        self.rows = [[colours[pixels[(height - 1 - y) * row_bytes + x]] for x in range(width)]
                     for y in range(height)]
        self.width, self.height = width, height
        self.frame_w, self.frame_h = frame_w, frame_h
        self.columns = width // frame_w
        self.frames = self.columns * (height // frame_h)
        self.key = self.rows[0][0]

    def pixel(self, frame, x, y):
        fx = (frame % self.columns) * self.frame_w
        fy = (frame // self.columns) * self.frame_h
        return self.rows[fy + y][fx + x]

    def match(self, screen, left, top, opaque=False, skip=lambda x, y: False, step=2):
        """The best share, over all frames, of the picture's pixels found on
        screen at (left, top). Transparent pixels (the key colour) and pixels
        that skip names do not count."""
        best = 0.0
        for frame in range(self.frames):
            seen = same = 0
            for y in range(0, self.frame_h, step):
                for x in range(0, self.frame_w, step):
                    colour = self.pixel(frame, x, y)
                    if (not opaque and colour == self.key) or skip(x, y):
                        continue
                    sx, sy = left + x, top + y
                    if not (0 <= sx < screen.width and 0 <= sy < screen.height):
                        continue
                    seen += 1
                    same += screen.pixel(sx, sy) == colour
            if seen:
                best = max(best, same / seen)
        return best


class Session:
    """Starts things on the test display and stops all of them at the end."""

    def __init__(self, name):
        self.name = name
        self.dir = tempfile.mkdtemp(prefix="festling-%s-" % name)
        self.logs = tempfile.mkdtemp(prefix="festling-logs-")
        self.procs = []
        os.makedirs(ARTIFACTS, exist_ok=True)

    def close(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.kill()
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    pass
        shutil.rmtree(self.dir, ignore_errors=True)
        shutil.rmtree(self.logs, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def show_desktop(self):
        """Another program's full-screen window shows the known pattern (Wine
        paints the root window itself, so the root cannot carry it)."""
        path = os.path.join(self.dir, "pattern.ppm")
        write_pattern(path)
        env = dict(os.environ, DISPLAY=DISPLAY)
        self.procs.append(subprocess.Popen(
            ["/usr/bin/display", "-geometry", "+0+0", "-borderwidth", "0", "-immutable", path],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        deadline = time.time() + 20
        while time.time() < deadline:
            if self.screenshot().pixel(500, 400) == pattern_pixel(500, 400):
                return
            time.sleep(0.2)
        raise AssertionError("the desktop pattern never appeared")

    def start(self, exe, *args):
        """Starts a Windows program under Wine; returns its Popen."""
        out = open(os.path.join(self.logs, "wine-%d.log" % len(self.procs)), "wb")
        p = subprocess.Popen(["wine", exe] + list(args), env=wine_env(), stdout=out, stderr=out,
                             stdin=subprocess.DEVNULL)
        out.close()
        self.procs.append(p)
        return p

    def run(self, exe, *args, timeout=60):
        p = self.start(exe, *args)
        return p.wait(timeout=timeout)

    def probe(self, *args, timeout=60):
        return self.run(PROBE, *args, timeout=timeout)

    def probe_output(self, *args):
        out = subprocess.run(["wine", PROBE] + list(args), env=wine_env(), capture_output=True,
                             stdin=subprocess.DEVNULL, timeout=60)
        return out.stdout.decode(errors="replace")

    def keyboard_ready(self, class_name, title, timeout=30, settle=1.0):
        """Waits until Wine makes the window the foreground window with the
        focus on it or a child. Keys typed at once after that are now and then
        lost on the way from the X display, so a pause follows."""
        if self.probe("ready", class_name, title, str(int(timeout * 1000))) != 0:
            return False
        time.sleep(settle)
        return True

    def screenshot(self, save_as=None):
        data = subprocess.run(["/usr/bin/import", "-display", DISPLAY, "-window", "root", "-depth", "8", "rgb:-"],
                              capture_output=True, check=True).stdout
        screen = Screen(data)
        if save_as:
            screen.save_png(os.path.join(ARTIFACTS, save_as))
        return screen

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=dict(os.environ, DISPLAY=DISPLAY), check=True)

    def click(self, x, y, button=1):
        self.xdotool("mousemove", x, y, "click", button)

    def key(self, *keys):
        self.xdotool("key", *keys)

    def type_text(self, text):
        self.xdotool("type", "--delay", 30, text)


def wait_until(predicate, timeout=20, interval=0.1):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if predicate():
            return True
        time.sleep(interval)
    return predicate()


def main():
    unittest.main(verbosity=2)


# A desktop program that is slow to repaint: it is busy 30 ms at a time and
# repaints what is uncovered only in between, after the X server has filled
# it with green. Captures taken too early show up as green in the screen.
SLOW_DESKTOP_TCL = r"""
wm overrideredirect . 1
wm geometry . %dx%d+0+0
image create photo pattern -file [lindex $argv 0]
label .l -image pattern -borderwidth 0 -highlightthickness 0 -padx 0 -pady 0 -background #00ff00
pack .l
proc busy {} { set t [clock milliseconds]; while {[clock milliseconds] - $t < 30} {}; after 5 busy }
after 500 busy
""" % (SCREEN_W, SCREEN_H)


def show_slow_desktop(session):
    """The known pattern in a full-screen window of a slow Tk program."""
    path = os.path.join(session.dir, "pattern.ppm")
    write_pattern(path)
    script = os.path.join(session.dir, "slow_desktop.tcl")
    with open(script, "w") as f:
        f.write(SLOW_DESKTOP_TCL)
    env = dict(os.environ, DISPLAY=DISPLAY)
    session.procs.append(subprocess.Popen(["/usr/bin/wish", script, path], env=env,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    deadline = time.time() + 20
    while time.time() < deadline:
        if session.screenshot().pixel(500, 400) == pattern_pixel(500, 400):
            return
        time.sleep(0.2)
    raise AssertionError("the slow desktop never appeared")


Session.show_slow_desktop = show_slow_desktop
