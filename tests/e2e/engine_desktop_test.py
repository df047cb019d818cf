"""Real sprite windows over the known desktop shown by another program: the
engine tests named OverDesktop run their frames there and compare the whole
screen, pixel for pixel, after every step. Once over ImageMagick's display,
which repaints at once, and once over a program that repaints late."""
import os
import subprocess
import unittest

from festling_e2e import ARTIFACTS, PROBE, Session, main, win_path, wine_env

ENGINE_TESTS = os.path.join(os.path.dirname(PROBE), "engine_tests.exe")


def run_over_desktop(test, show):
    with Session("engine-desktop") as s:
        show(s)
        env = wine_env()
        env.update(FESTLING_DESKTOP_PATTERN="1", FESTLING_ARTIFACTS=win_path(ARTIFACTS))
        out = subprocess.run(["wine", ENGINE_TESTS, "--gtest_filter=OverDesktop.*"], env=env,
                             stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
        report = out.stdout.decode(errors="replace") + out.stderr.decode(errors="replace")
        print(report)
        test.assertIn("[  PASSED  ]", report, report)
        test.assertNotIn("SKIPPED", report, report)
        test.assertEqual(out.returncode, 0, report)


class SpriteWindowsOverTheDesktop(unittest.TestCase):
    def test_over_a_program_that_repaints_at_once(self):
        run_over_desktop(self, Session.show_desktop)

    def test_over_a_program_that_repaints_late(self):
        run_over_desktop(self, Session.show_slow_desktop)


if __name__ == "__main__":
    main()
