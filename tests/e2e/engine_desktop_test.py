"""Real sprite windows over the known desktop shown by another program: the
engine tests named OverDesktop run their frames there and compare the whole
screen, pixel for pixel, after every step."""
import os
import subprocess
import unittest

from festling_e2e import ARTIFACTS, PROBE, Session, main, win_path, wine_env

ENGINE_TESTS = os.path.join(os.path.dirname(PROBE), "engine_tests.exe")


class SpriteWindowsOverTheDesktop(unittest.TestCase):
    def test_sprites_show_over_another_programs_window_without_trails(self):
        with Session("engine-desktop") as s:
            s.show_desktop()
            env = wine_env()
            env.update(FESTLING_DESKTOP_PATTERN="1", FESTLING_ARTIFACTS=win_path(ARTIFACTS))
            out = subprocess.run(["wine", ENGINE_TESTS, "--gtest_filter=OverDesktop.*"], env=env,
                                 stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
            report = out.stdout.decode(errors="replace") + out.stderr.decode(errors="replace")
            print(report)
            self.assertIn("[  PASSED  ]", report, report)
            self.assertNotIn("SKIPPED", report, report)
            self.assertEqual(out.returncode, 0, report)


if __name__ == "__main__":
    main()
