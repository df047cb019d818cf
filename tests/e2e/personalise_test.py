"""The personalise command under Wine: from the card, a new message is typed
and saved as a new copy of the program, or over the running program itself
through the -1 and -2 steps. The copies are checked with independent PE
readers (python3-pefile, wrestool) and started again."""
import glob
import os
import shutil
import subprocess
import time
import unittest

import pefile

from festling_e2e import ARTIFACTS, EXE, PREFIX, SCREEN_H, SCREEN_W, Picture, Session, main, wait_until, win_path

CARD_TITLE = "www.festling.example"
MESSAGE_TITLE = "Enter your message"
MESSAGE_EDIT = 101
WM_COMMAND, WM_CLOSE, IDOK, IDCANCEL = 0x111, 0x10, 1, 2
LINES = ("Merry Christmas", "from the Festling test")
TYPED = "\r\n".join(LINES).encode()


def message_in(path):
    """MSGTEXT 101 of an executable, read by wrestool."""
    out = subprocess.run(["wrestool", "-x", "--raw", "--type=MSGTEXT", "--name=101", path],
                         capture_output=True, check=True)
    return out.stdout


def pe_warnings(path):
    pe = pefile.PE(path)
    try:
        return pe.get_warnings()
    finally:
        pe.close()


def temp_files():
    """The files in the Wine prefix's temporary folders."""
    found = set()
    for folder in glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "[Tt]emp")):
        found.update(os.path.join(folder, name) for name in os.listdir(folder))
    return found


def sprite_windows(s):
    """The visible sprite windows (x, y, w, h) that stand on the screen: a
    window caught while it captures its background stands off it."""
    windows = []
    for line in s.probe_output("visible", "CHscamper").splitlines():
        if len(line.split()) == 4:
            x, y, w, h = map(int, line.split())
            if x >= 0 and y >= 0 and x + w <= SCREEN_W and y + h <= SCREEN_H:
                windows.append((x, y, w, h))
    return windows


def title_card(s):
    """The title card's window (x, y, w, h) while it shows, else None."""
    for x, y, w, h in sprite_windows(s):
        if w == 282 and h == 155:
            return x, y, w, h
    return None


class BuiltProgram(unittest.TestCase):
    def test_the_laid_out_program_passes_independent_pe_readers(self):
        pe = pefile.PE(EXE)
        try:
            self.assertEqual(pe.get_warnings(), [])
            self.assertTrue(pe.verify_checksum(), "the image checksum is stale")
        finally:
            pe.close()
        listing = subprocess.run(["wrestool", "-l", EXE], capture_output=True, check=True, text=True).stdout
        self.assertIn("--type='MSGTEXT' --name=101", listing)
        with open(os.path.join(os.environ["FESTLING_SOURCE_DIR"], "resources", "generated", "msgtext.bin"), "rb") as f:
            self.assertEqual(message_in(EXE), f.read())


class Personalise(unittest.TestCase):
    def start_scene(self, s, exe):
        """Starts the program; returns its Popen and the title card's window."""
        proc = s.start(exe)
        self.assertEqual(s.probe("wait", "trail", "Festling", "60000"), 0, "no main window")
        card = []
        self.assertTrue(wait_until(lambda: card.append(title_card(s)) or card[-1] is not None, timeout=60),
                        "no title card")
        return proc, card[-1]

    def open_card(self, s, exe):
        proc, card = self.start_scene(s, exe)
        # A right click on the title card opens the card (on any actor once the
        # title card has gone). A sprite window that captures its background
        # stands off the screen for a moment, and a click that falls then lands
        # on the desktop and is lost: the click is given again while the card
        # has not opened, as the user would.
        for _ in range(10):
            x, y, w, h = card
            s.click(x + w // 2, y + h // 2, button=3)
            if s.probe("wait", "-", CARD_TITLE, "8000") == 0:
                return proc
            windows = sprite_windows(s)
            if not windows:
                break
            card = title_card(s) or max(windows, key=lambda r: r[2] * r[3])
        self.assertEqual(s.probe("wait", "-", CARD_TITLE, "30000"), 0, "the card did not open")
        return proc

    def click_personalise_area(self, s):
        """A click in the card's personalise area, (238, 10)-(346, 50) of its client area."""
        windows = [tuple(map(int, line.split())) for line in s.probe_output("visible", "#32770").splitlines()]
        self.assertEqual(len(windows), 1, windows)
        x, y, w, h = windows[0]
        border = (w - 493) // 2
        s.click(x + border + 292, y + h - border - 359 + 30)

    def type_message(self, s, command=IDOK, by_click=False):
        if by_click:
            self.click_personalise_area(s)
        else:
            self.assertTrue(s.keyboard_ready("-", CARD_TITLE), "the card does not take keys")
            # Control is held until the dialog shows, as a user holds it: the
            # card asks for the key's state when it handles the M, and a busy
            # machine would otherwise have seen Control released by then.
            s.xdotool("keydown", "ctrl")
            try:
                s.key("m")
                shown = s.probe("wait", "#32770", MESSAGE_TITLE, "30000")
            finally:
                s.xdotool("keyup", "ctrl")
            self.assertEqual(shown, 0, "no message dialog")
        self.assertEqual(s.probe("wait", "#32770", MESSAGE_TITLE, "30000"), 0, "no message dialog")
        self.assertTrue(s.keyboard_ready("#32770", MESSAGE_TITLE), "the message dialog takes no keys")
        s.type_text(LINES[0])
        s.key("Return")
        s.type_text(LINES[1])
        # Posted messages overtake typed keys: the command waits for the text.
        def typed():
            text = s.probe_output("text", "#32770", MESSAGE_TITLE, str(MESSAGE_EDIT))
            return text.replace("\r", "").splitlines() == list(LINES)

        self.assertTrue(wait_until(typed, timeout=30), "the message was not typed")
        self.assertEqual(s.probe("post", "#32770", MESSAGE_TITLE, str(WM_COMMAND), str(command)), 0)
        self.assertEqual(s.probe("gone", "#32770", MESSAGE_TITLE, "30000"), 0)
        if command == IDOK:
            self.assertEqual(s.probe("wait", "#32770", "Save As", "30000"), 0, "no save dialog")
            self.assertTrue(s.keyboard_ready("#32770", "Save As"), "the save dialog takes no keys")

    def message_on_the_drift(self, s, exe, name):
        """Plays the show to its end (board 4) and returns the pixels of the
        message box on the snowdrift."""
        proc, (x, y, _, _) = self.start_scene(s, exe)
        # The title card and the stage are both centred on the usable screen.
        stage_x, stage_y = x - (640 - 282) // 2, y - (480 - 155) // 2
        sign = Picture(301, 184, 198)
        box = [(stage_x + 247 + px, stage_y + 177 + py) for py in range(43, 110) for px in range(64, 219)]
        drift = Picture(350, 293, 130)
        blank = [drift.pixel(0, px, py) for py in range(43, 110) for px in range(64, 219)]

        def sign_shows():
            return sign.match(s.screenshot(), stage_x + 405, stage_y + 4) >= 0.9

        # The sled's legs may stand over the top of the drift.
        legs = lambda x, y: 100 - 4 <= x < 188 + 4 and y < 13 + 4
        in_box = lambda x, y: 64 <= x < 219 and 43 <= y < 110

        def drift_stands(shot=None):
            shot = shot or s.screenshot()
            return drift.match(shot, stage_x + 247, stage_y + 177,
                               skip=lambda x, y: legs(x, y) or in_box(x, y)) >= 0.9

        shots = []

        def message_written():
            # In one screenshot: the drift in its place (not its window off
            # the screen capturing its background) and letters in its box.
            shot = s.screenshot()
            pixels = [shot.pixel(*p) for p in box]
            if not drift_stands(shot) or sum(sum(p) < 200 and p != b for p, b in zip(pixels, blank)) < 30:
                return False
            shots.append(shot)
            return True

        # The last board brings the drift, which then carries the message. A
        # click that falls while the signpost's window captures its background
        # is lost; the board is clicked again while it shows.
        self.assertTrue(wait_until(sign_shows, timeout=60, interval=0.2), "the signpost never showed")
        for _ in range(5):
            s.click(stage_x + 527, stage_y + 163)
            if wait_until(lambda: not sign_shows(), timeout=10, interval=0.2):
                break
        self.assertTrue(wait_until(drift_stands, timeout=60, interval=0.2), "the drift did not stop at the sled")
        # The message is drawn whole in one frame.
        self.assertTrue(wait_until(message_written, timeout=60, interval=0.2), "no message on the drift")
        shot = shots[-1]
        shot.save_png(os.path.join(ARTIFACTS, "personalise-drift-%s.png" % name))
        s.probe("post", "trail", "Festling", str(WM_CLOSE))
        self.assertEqual(proc.wait(timeout=30), 0)
        # The message box (64, 43)-(219, 110) of the drift standing at stage (247, 177).
        return [shot.pixel(*p) for p in box]

    def confirm_overwrite(self, s):
        """Answers the save dialog's question whether to replace the file (Wine
        captions it "Error"); its default answer is yes."""
        self.assertEqual(s.probe("wait", "#32770", "Error", "30000"), 0, "no overwrite question")
        self.assertTrue(s.keyboard_ready("#32770", "Error"), "the question takes no keys")
        s.key("Return")

    def test_saving_under_a_new_name_writes_a_copy_that_carries_the_message(self):
        with Session("personalise-new") as s:
            exe = os.path.join(s.dir, "festling.exe")
            shutil.copyfile(EXE, exe)
            proc = self.open_card(s, exe)
            self.type_message(s)
            # Typed without an extension, the name is used as it stands.
            s.type_text(win_path(os.path.join(s.dir, "newcard")))
            s.key("Return")
            self.assertEqual(proc.wait(timeout=60), 0, "the program did not end with the card")

            names = sorted(os.listdir(s.dir))
            self.assertIn("NEWCARD", names, "the copy was not created under its upper-case name")
            self.assertEqual([n for n in names if n.lower().endswith(".tmp")], [])
            copy = os.path.join(s.dir, "NEWCARD")
            self.assertEqual(pe_warnings(copy), [])
            self.assertEqual(message_in(copy), TYPED)
            with open(EXE, "rb") as a, open(exe, "rb") as b:
                self.assertEqual(a.read(), b.read(), "the running program was changed")

            # The copy runs as the program does.
            runnable = os.path.join(s.dir, "newcard.exe")
            shutil.copyfile(copy, runnable)
            proc = s.start(runnable)
            self.assertEqual(s.probe("wait", "trail", "Festling", "30000"), 0, "the copy did not start")
            self.assertIsNone(proc.poll())
            s.probe("post", "trail", "Festling", str(WM_CLOSE))
            self.assertEqual(proc.wait(timeout=30), 0)

            # ... and shows its own message on the drift, not the original one.
            written = self.message_on_the_drift(s, runnable, "copy")
            original = self.message_on_the_drift(s, exe, "original")
            dark = [p for p in written if sum(p) < 200]
            self.assertGreater(len(dark), 50, "no message on the drift")
            self.assertTrue(written != original, "the copy shows the original message")

    def test_saving_over_the_running_program_replaces_it_through_the_copy_steps(self):
        with Session("personalise-self") as s:
            exe = os.path.join(s.dir, "festling.exe")
            shutil.copyfile(EXE, exe)
            before = temp_files()
            proc = self.open_card(s, exe)
            self.type_message(s)
            # The own file, spelled with other letter case.
            s.type_text(win_path(os.path.join(s.dir, "FESTLING.EXE")))
            s.key("Return")
            self.confirm_overwrite(s)
            self.assertEqual(proc.wait(timeout=60), 0, "the program did not end with the card")

            def replaced():
                try:
                    return message_in(exe) == TYPED
                except subprocess.CalledProcessError:
                    return False
            self.assertTrue(wait_until(replaced, timeout=60), "the program on disk was not replaced")
            self.assertTrue(wait_until(lambda: temp_files() == before, timeout=60),
                            "left behind: %s" % sorted(temp_files() - before))
            self.assertEqual(pe_warnings(exe), [])
            self.assertEqual(sorted(os.listdir(s.dir)), ["festling.exe"])

    def test_cancelling_either_dialog_keeps_the_card_open(self):
        with Session("personalise-cancel") as s:
            exe = os.path.join(s.dir, "festling.exe")
            shutil.copyfile(EXE, exe)
            proc = self.open_card(s, exe)
            self.type_message(s, command=IDCANCEL)
            self.assertEqual(s.probe("wait", "-", CARD_TITLE, "2000"), 0, "the card closed")
            self.type_message(s, by_click=True)
            s.key("Escape")
            self.assertEqual(s.probe("gone", "#32770", "Save As", "30000"), 0)
            time.sleep(1)
            self.assertEqual(s.probe("wait", "-", CARD_TITLE, "2000"), 0, "the card closed")
            self.assertIsNone(proc.poll(), "the program ended")
            self.assertEqual(sorted(os.listdir(s.dir)), ["festling.exe"])
            s.probe("post", "-", CARD_TITLE, str(WM_COMMAND), str(IDCANCEL))
            self.assertEqual(proc.wait(timeout=30), 0)

    def test_a_copy_that_cannot_be_put_in_place_is_reported_and_leaves_the_old_file(self):
        with Session("personalise-error") as s:
            exe = os.path.join(s.dir, "festling.exe")
            shutil.copyfile(EXE, exe)
            # The chosen file is a program that is running, so it cannot be
            # replaced: a delete step that keeps failing on a folder, windowless.
            target = os.path.join(s.dir, "KEEP.EXE")
            shutil.copyfile(EXE, target)
            folder = os.path.join(s.dir, "folder")
            os.mkdir(folder)
            keeper = s.start(target, "-2", win_path(folder))
            time.sleep(2)
            self.assertIsNone(keeper.poll())
            proc = self.open_card(s, exe)
            self.type_message(s)
            s.type_text(win_path(target))
            s.key("Return")
            self.confirm_overwrite(s)
            self.assertEqual(s.probe("gone", "#32770", "Save As", "20000"), 0)
            self.assertEqual(s.probe("wait", "#32770", "Error", "30000"), 0, "no error box")
            self.assertTrue(s.keyboard_ready("#32770", "Error"), "the error box takes no keys")
            s.screenshot(save_as="personalise-error-box.png")
            s.key("Return")
            self.assertEqual(proc.wait(timeout=60), 0, "the card did not close after the error")
            keeper.kill()
            keeper.wait(timeout=30)
            with open(EXE, "rb") as a, open(target, "rb") as b:
                self.assertEqual(a.read(), b.read(), "the chosen file was changed")
            self.assertEqual(sorted(os.listdir(s.dir)), ["KEEP.EXE", "festling.exe", "folder"])

if __name__ == "__main__":
    main()
