"""The program's own scene over the known desktop: the ride plays in sprite
windows, and a right click on an actor makes the whole scene vanish before
the card opens, leaving the desktop exactly as it was around the card."""
import time
import unittest

from festling_e2e import EXE, Session, main, pattern_pixel, wait_until

WM_CLOSE = 0x10


def visible_windows(s, class_name):
    rects = []
    for line in s.probe_output("visible", class_name).splitlines():
        parts = line.split()
        if len(parts) == 4:
            rects.append(tuple(int(p) for p in parts))
    return rects


class SceneOverTheDesktop(unittest.TestCase):
    def test_right_click_on_an_actor_leaves_only_the_card_on_the_desktop(self):
        with Session("engine-program") as s:
            s.show_desktop()
            proc = s.start(EXE)
            self.assertEqual(s.probe("wait", "trail", "Festling", "20000"), 0, "no main window")
            self.assertTrue(wait_until(lambda: visible_windows(s, "CHscamper"), timeout=20), "no sprite windows")
            time.sleep(3)
            # Click into each sprite window on the screen until one holds an actor there.
            card = []
            for x, y, w, h in sorted(visible_windows(s, "CHscamper"), key=lambda r: -r[2] * r[3]):
                cx, cy = x + w // 2, y + h // 2
                if not (0 <= cx < 1024 and 0 <= cy < 768):
                    continue
                s.click(cx, cy, button=3)
                if wait_until(lambda: visible_windows(s, "#32770"), timeout=3):
                    card = visible_windows(s, "#32770")
                    break
            self.assertTrue(card, "no right click opened the card")
            time.sleep(1)
            screen = s.screenshot(save_as="engine-program-card.png")
            bad = screen.differences_from_pattern(exclude=card)
            self.assertEqual(bad[:10], [], "%d pixels outside the card differ from the desktop" % len(bad))
            s.probe("post", "trail", "Festling", str(WM_CLOSE))
            self.assertEqual(proc.wait(timeout=30), 0)


if __name__ == "__main__":
    main()
