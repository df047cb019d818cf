"""The greeting card on the running scene: a right click opens it with its
picture and a moving animation; its link areas start the browser with their
URLs (a stand-in browser registered in the test prefix records them); with
no browser an error box names the URL; Escape closes the card and the
program ends with exit code 0."""
import os
import re
import subprocess
import unittest

from festling_e2e import EXE, SCREEN_H, SCREEN_W, Session, main, pattern_pixel, wait_until, win_path, wine_env

BROWSER_KEY = r"HKCR\http\shell\open\command"


def site_config():
    """The web sites the program was built with (generated/site_config.h beside festling.exe)."""
    path = os.path.join(os.path.dirname(EXE), "generated", "site_config.h")
    with open(path) as f:
        return dict(re.findall(r'#define (\w+) "([^"]*)"', f.read()))


def reg(*args):
    return subprocess.run(["wine", "reg"] + list(args), env=wine_env(), capture_output=True,
                          stdin=subprocess.DEVNULL, timeout=60)


class BrowserRegistration:
    """Replaces the prefix's http command for one scenario and puts it back."""

    def __enter__(self):
        out = reg("query", BROWSER_KEY, "/ve").stdout.decode(errors="replace")
        match = re.search(r"REG_SZ\s+(.*)", out)
        self.saved = match.group(1).rstrip("\r\n") if match else None
        return self

    def record_into(self, probe, path):
        reg("add", BROWSER_KEY, "/ve", "/d", '"%s" record-url "%s" "%%1"' % (win_path(probe), win_path(path)), "/f")

    def remove(self):
        reg("delete", BROWSER_KEY, "/f")

    def __exit__(self, *exc):
        if self.saved is None:
            self.remove()
        else:
            reg("add", BROWSER_KEY, "/ve", "/d", self.saved, "/f")


class GreetingCard(unittest.TestCase):
    def setUp(self):
        self.sites = site_config()
        self.host = self.sites["FESTLING_PRODUCT_HOST"]

    def open_card(self, s):
        """Starts the program and right-clicks its sprites until the card shows."""
        proc = s.start(EXE)
        self.assertEqual(s.probe("wait", "trail", "Festling", "20000"), 0, "no main window")
        for _ in range(60):
            windows = [tuple(int(v) for v in line.split()) for line in
                       s.probe_output("visible", "CHscamper").splitlines() if line.strip()]
            for x, y, w, h in sorted(windows, key=lambda r: -r[2] * r[3]):
                px, py = x + w // 2, y + h // 2
                if not (0 <= px < SCREEN_W and 0 <= py < SCREEN_H):
                    continue
                s.click(px, py, button=3)
                if s.probe("wait", "#32770", self.host, "1500") == 0:
                    return proc
        self.fail("no right click on the scene opened the card")

    def card_client(self, s):
        x, y, w, h = (int(v) for v in s.probe_output("client", "#32770", self.host).split())
        return x, y, w, h

    @staticmethod
    def activate(s, title):
        """Clicks the caption of a dialog so that it takes the keyboard (the
        test display has no window manager to give it)."""
        x, y, _, _ = (int(v) for v in s.probe_output("client", "#32770", title).split())
        s.click(x + 60, y - 8)
        assert s.keyboard_ready("#32770", title), "%s does not take keys" % title

    def test_card_opens_links_reports_a_missing_browser_and_closes_the_program(self):
        product, maker = self.sites["FESTLING_PRODUCT_SITE"], self.sites["FESTLING_MAKER_SITE"]
        with Session("card") as s, BrowserRegistration() as browser:
            urls = os.path.join(s.dir, "urls.txt")
            browser.record_into(os.environ["FESTLING_PROBE"], urls)
            s.show_desktop()
            proc = self.open_card(s)

            cx, cy, cw, ch = self.card_client(s)
            self.assertEqual((cw, ch), (493, 359), "the card has its picture's size")
            x, y, w, h = (int(v) for v in s.probe_output("visible", "#32770").split())
            self.assertEqual((x, y), ((SCREEN_W - w) // 2, (SCREEN_H - h) // 2), "the card is centred")

            # The picture covers the desktop; the animation strip changes.
            first = s.screenshot(save_as="card-open.png")
            covered = [(cx + x, cy + y) for x in range(0, 493, 17) for y in range(0, 359, 13)]
            self.assertLess(sum(first.pixel(x, y) == pattern_pixel(x, y) for x, y in covered), len(covered) // 10,
                            "the card picture does not show")
            strip = [(cx + x, cy + y) for x in range(12, 480, 7) for y in range(283, 343, 5)]
            before = [first.pixel(x, y) for x, y in strip]
            self.assertTrue(wait_until(lambda: [s.screenshot().pixel(x, y) for x, y in strip] != before,
                                       timeout=15), "the animation does not move")

            areas = [
                ((200, 150), product + "/index.asp?type=sled&area=1"),
                ((200, 320), product + "/index.asp?type=sled&area=ym1"),
                ((414, 30), product + "/index.asp?type=sled&fs=downhill&area=send"),
                ((60, 250), maker),
                ((437, 260), maker + "/documents/privacy/festling"),
            ]
            for count, ((x, y), _) in enumerate(areas, 1):
                s.click(cx + x, cy + y)
                self.assertTrue(wait_until(lambda: self.lines(urls) >= count, timeout=30),
                                "no browser started for the click at %d,%d" % (x, y))
            with open(urls) as f:
                self.assertEqual([line.strip() for line in f], [url for _, url in areas])
            self.assertIsNone(proc.poll(), "the card stays open after a link")

            browser.remove()
            s.click(cx + 414, cy + 30)
            self.assertEqual(s.probe("wait", "#32770", "Browser Error", "20000"), 0, "no error box")
            s.screenshot(save_as="card-browser-error.png")
            text = s.probe_output("text", "#32770", "Browser Error", "0xFFFF").strip()
            self.assertEqual(text, "Couldn't open your browser at " + areas[2][1])
            self.activate(s, "Browser Error")
            s.key("Return")
            self.assertEqual(s.probe("gone", "#32770", "Browser Error", "20000"), 0)
            self.assertIsNone(proc.poll(), "the card stays open after the error box")

            self.activate(s, self.host)
            s.key("Escape")
            self.assertEqual(proc.wait(timeout=30), 0)

    @staticmethod
    def lines(path):
        if not os.path.exists(path):
            return 0
        with open(path) as f:
            return sum(1 for _ in f)


if __name__ == "__main__":
    main()
