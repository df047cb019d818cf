"""The program shell under Wine: a plain start keeps the hidden main window
running until WM_CLOSE, and the -1 / -2 replacement steps on real files."""
import filecmp
import os
import shutil
import unittest

from festling_e2e import EXE, Session, main, wait_until, win_path

WM_CLOSE = 0x10


class PlainStart(unittest.TestCase):
    def test_runs_with_hidden_main_window_and_exits_cleanly_on_close(self):
        with Session("plain") as s:
            proc = s.start(EXE)
            self.assertEqual(s.probe("wait", "trail", "Festling", "20000"), 0, "no main window")
            self.assertIsNone(proc.poll(), "the program ended on its own")
            self.assertEqual(s.probe("post", "trail", "Festling", str(WM_CLOSE)), 0)
            self.assertEqual(proc.wait(timeout=30), 0)

    def test_a_word_that_only_looks_like_a_switch_starts_normally(self):
        with Session("x1") as s:
            target = os.path.join(s.dir, "P.exe")
            proc = s.start(EXE, "x1", win_path(target))
            self.assertEqual(s.probe("wait", "trail", "Festling", "20000"), 0)
            s.probe("post", "trail", "Festling", str(WM_CLOSE))
            self.assertEqual(proc.wait(timeout=30), 0)
            self.assertFalse(os.path.exists(target))


class Replacement(unittest.TestCase):
    def replace(self, switch, target_name):
        with Session("replace") as s:
            temp = os.path.join(s.dir, "T.exe")
            shutil.copyfile(EXE, temp)
            with open(temp, "ab") as f:
                f.write(b"a marker that makes T differ from the program")
            target = os.path.join(s.dir, target_name)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as f:
                f.write(b"the old program")
            self.assertEqual(s.run(temp, switch, win_path(target)), 0)
            # The started delete step removes T once P holds the copy.
            self.assertTrue(wait_until(lambda: not os.path.exists(temp), timeout=30), "T was not deleted")
            self.assertTrue(filecmp.cmp(EXE, target, shallow=False) is False)
            with open(EXE, "rb") as f:
                expected = f.read() + b"a marker that makes T differ from the program"
            with open(target, "rb") as f:
                self.assertEqual(f.read(), expected)
            leftovers = [n for n in os.listdir(os.path.dirname(target)) if n.lower().endswith(".tmp")]
            self.assertEqual(leftovers, [])

    def test_switch_forms_copy_onto_the_target_and_remove_the_temporary_file(self):
        for switch in ("-1", "1", "--1"):
            with self.subTest(switch=switch):
                self.replace(switch, "P.exe")

    def test_a_target_path_with_blanks_is_taken_whole(self):
        self.replace("-1", os.path.join("with blank", "new copy.exe"))

    def test_switch_without_path_exits_at_once_touching_nothing(self):
        with Session("bare") as s:
            before = sorted(os.listdir(s.dir))
            for switch in ("-1", "-2"):
                self.assertEqual(s.run(EXE, switch, timeout=30), 0)
            self.assertEqual(sorted(os.listdir(s.dir)), before)

    def test_delete_step_removes_the_file(self):
        with Session("delete") as s:
            doomed = os.path.join(s.dir, "doomed.exe")
            with open(doomed, "wb") as f:
                f.write(b"x")
            self.assertEqual(s.run(EXE, "-2", win_path(doomed)), 0)
            self.assertFalse(os.path.exists(doomed))


if __name__ == "__main__":
    main()
