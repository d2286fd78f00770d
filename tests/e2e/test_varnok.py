"""End-to-end tests: the real varnok on a virtual screen (Xvfb 1920x1080 + openbox) against the
demo game server, driven and observed from outside with xdotool, xwininfo, xprop and
screenshots.

Each class starts its own screen, window manager, demo server and program, and ends them all
whatever happens. The executable is $VARNOK_EXE (CTest passes the built target) or
build/varnok. Screenshots and logs go to $VARNOK_E2E_OUT when it is set.
"""

import os
import time
import unittest

import harness
from harness import SCREEN_H, SCREEN_W

WIDTH, HEIGHT = 1199, 797          # the window's size on first showing
BAR = 26                           # title bar height; the address strip is as tall
FRAME = (66, 68, 73)               # title bar and the margins round the game
STRIP = (128, 128, 128)            # the address strip
PAGE = (24, 40, 96)                # the demo game page's background
BAND = (255, 184, 28)              # the demo game page's title band
TOLERANCE = 4
START_UP_WAIT = 2.0                # the program keeps its window hidden this long after the probe
LAUNCH_TIMEOUT = 40                # generous: WebKit on software GL under load


def close_button_centre(geo):
    x, y, w, _ = geo[:4]
    return x + w - 38 - 5 + 19, y + 2 + 10


def maximize_button_centre(geo):
    """The maximize and restore pictures share this place, just left of close."""
    x, y, w, _ = geo[:4]
    return x + w - 38 - 5 - 37 + 18, y + 2 + 10


class VarnokCase(unittest.TestCase):
    """Starts the whole stack once for the class."""

    demo_args = ()

    @classmethod
    def setUpClass(cls):
        exe = os.environ.get("VARNOK_EXE")
        if not exe and not os.access(os.path.join(harness.REPO, "build", "varnok"), os.X_OK):
            raise unittest.SkipTest("build/varnok is not built (scripts/build)")
        out = os.environ.get("VARNOK_E2E_OUT")
        cls.stack = harness.Stack(out_dir=os.path.join(out, cls.__name__) if out else None)
        cls.addClassCleanup(cls.stack.close)
        cls.stack.start_display()
        cls.stack.start_demo(*cls.demo_args)
        harness.demo_get("/__control?clear=1")
        cls.launched = time.monotonic()
        cls.varnok = cls.stack.start_varnok(exe)
        try:
            cls.main = harness.wait_until(cls._shown_main, LAUNCH_TIMEOUT,
                                          what="the varnok window to be shown")
        except harness.HarnessError as error:
            raise harness.HarnessError("%s\nvarnok output:\n%s" % (error, cls.varnok.log_tail()))
        cls.shown_at = time.monotonic()

    @classmethod
    def _shown_main(cls):
        if not cls.varnok.alive():
            raise harness.HarnessError("varnok ended with status %s:\n%s"
                                       % (cls.varnok.popen.returncode, cls.varnok.log_tail()))
        return cls.stack.main_window()

    # -- helpers ---------------------------------------------------------------------------
    def wait_game_loaded(self):
        harness.wait_until(lambda: "game-loaded" in harness.demo_events(), LAUNCH_TIMEOUT,
                           interval=0.2, what="the demo server's game-loaded event")

    def current_main(self):
        found = self.stack.main_window()
        self.assertIsNotNone(found, "the varnok window is no longer shown")
        return found

    def wait_geometry(self, expected, timeout=15):
        """Waits for the main window's (x, y, width, height); fails with the last seen."""
        seen = []

        def matches():
            found = self.stack.main_window()
            seen[:] = [found[1][:4] if found else None]
            return found and all(abs(a - e) <= slack for a, (e, slack) in
                                 zip(found[1][:4], expected))
        try:
            harness.wait_until(matches, timeout, interval=0.1, what="the window's geometry")
        except harness.HarnessError:
            self.fail("window geometry %s, expected %s" % (seen[0], expected))

    def assert_screen(self, geo, name, colours=(), pictures=(), texts=(), timeout=20):
        """Takes screenshots until everything expected holds, or fails with what was off in the
        last one. All places are relative to geo's top-left corner:
          colours   (label, [(x, y), ...], rgb): each point has that colour
          pictures  (file in window/images, x, y): the picture's pixels are there as they are
          texts     (label, (x, y, w, h), rgb): some pixel of the box has the text's colour
        """
        path = os.path.join(self.stack.out_dir, name + ".png")
        wrong = []

        def check():
            shot = self.stack.screenshot(path)
            at = lambda x, y: shot.pixel(geo[0] + x, geo[1] + y)   # noqa: E731
            wrong[:] = []
            for label, points, colour in colours:
                for x, y in points:
                    if not harness.colour_close(at(x, y), colour, TOLERANCE):
                        wrong.append("%s at (%d, %d): %s, expected %s"
                                     % (label, x, y, at(x, y), colour))
            for file, px, py in pictures:
                picture = picture_file(file)
                off = [(x, y) for y in range(picture.height) for x in range(picture.width)
                       if picture.opaque(x, y) and not harness.colour_close(
                           at(px + x, py + y), picture.pixel(x, y), TOLERANCE)]
                if off:
                    x, y = off[0]
                    wrong.append("%s at (%d, %d): %d of its pixels differ, the first at "
                                 "(%d, %d): %s, expected %s" % (file, px, py, len(off), px + x,
                                 py + y, at(px + x, py + y), picture.pixel(x, y)))
            for label, (bx, by, bw, bh), colour in texts:
                if not any(harness.colour_close(at(x, y), colour, 60)
                           for y in range(by, by + bh) for x in range(bx, bx + bw)):
                    wrong.append("%s: nothing near %s in the box %s"
                                 % (label, colour, (bx, by, bw, bh)))
            return not wrong
        try:
            harness.wait_until(check, timeout, interval=0.5, what="the expected screen")
        except harness.HarnessError:
            self.fail("screenshot %s:\n  %s" % (path, "\n  ".join(wrong)))


_pictures = {}


def picture_file(name):
    if name not in _pictures:
        _pictures[name] = harness.read_png(os.path.join(harness.REPO, "window", "images", name))
    return _pictures[name]


def title_bar_pictures(width, maximized=False):
    """The portrait and the three buttons where the title bar puts them for a window width."""
    close = width - 38 - 5
    return [("portrait.png", 3, 3), ("close.png", close, 2),
            ("restore.png" if maximized else "maximize.png", close - 37, 2),
            ("minimize.png", close - 37 - 37, 2)]


class StartUpTest(VarnokCase):
    """Start-up against a working primary server: the wait, the window and what it shows."""

    def test_window_is_not_shown_before_the_start_up_wait_is_over(self):
        self.assertGreaterEqual(self.shown_at - self.launched, START_UP_WAIT)

    def test_probes_the_primary_and_loads_the_game_from_it(self):
        self.wait_game_loaded()
        softmain = [line for line in harness.demo_log() if " /softmain/" in line]
        self.assertTrue(softmain, "no request reached the game servers")
        port, method, target = softmain[0].split(" ", 2)
        self.assertEqual((port, method), ("18080", "GET"))
        self.assertRegex(target, r"^/softmain/net\.asp\?.+")
        game = [line for line in softmain if "/softmain/wd/vnokmain.asp" in line]
        self.assertTrue(game, "the game page was never requested: %s" % softmain)
        self.assertTrue(game[0].startswith("18080 GET /softmain/wd/vnokmain.asp?t="), game[0])
        self.assertFalse([line for line in softmain if line.startswith("18081 ")],
                         "the fallback was contacted although the primary answered")

    def test_window_is_borderless(self):
        wid = self.main[0]
        for name in ("_NET_FRAME_EXTENTS", "_GTK_FRAME_EXTENTS"):
            with self.subTest(property=name):
                extents = self.stack.cardinals(wid, name)
                self.assertIn(extents, (None, [0, 0, 0, 0]))

    def test_window_has_its_first_size_centred_on_the_screen(self):
        x, y, w, h, _ = self.current_main()[1]
        self.assertEqual((w, h), (WIDTH, HEIGHT))
        self.assertLessEqual(abs(x - (SCREEN_W - WIDTH) / 2), 2, "x = %d" % x)
        self.assertLessEqual(abs(y - (SCREEN_H - HEIGHT) / 2), 2, "y = %d" % y)

    def test_title_bar_address_strip_margins_and_game_page_are_painted(self):
        self.wait_game_loaded()
        geo = self.current_main()[1]
        self.assertEqual(geo[2:4], (WIDTH, HEIGHT))
        # Colours at points clear of the portrait, the title, the buttons, the address strip's
        # controls and the game's canvas (and its shadow).
        self.assert_screen(geo, "start-up", colours=[
            ("title bar", [(200, 0), (300, 1), (600, 12), (900, BAR - 1), (1060, 5)], FRAME),
            ("address strip", [(7, BAR + 13), (1150, BAR + 2), (1150, 2 * BAR - 2)], STRIP),
            ("left margin", [(0, 400), (1, 600)], FRAME),
            ("right margin", [(WIDTH - 2, 400), (WIDTH - 1, 600)], FRAME),
            ("bottom margin", [(600, HEIGHT - 2), (900, HEIGHT - 1)], FRAME),
            ("game page", [(12, 200), (12, 500), (12, HEIGHT - 12)], PAGE),
            ("game title band", [(12, 2 * BAR + 18)], BAND),
        ], pictures=title_bar_pictures(WIDTH), texts=[
            ("yellow title", (28, 3, 80, 20), (255, 255, 0)),
        ])


    def test_statistics_browser_stays_covered_by_the_content_frame(self):
        self.wait_game_loaded()
        geo = self.current_main()[1]
        time.sleep(2)  # let the statistics page repaint a few times first
        shot = self.stack.screenshot(os.path.join(self.stack.out_dir, "covered.png"))
        # The statistics browser lies at (152, 544), 33 x 57 pixels, beneath the content frame:
        # neither its page (white) nor the inner frame's red may show there.
        area = [shot.pixel(geo[0] + x, geo[1] + y) for y in range(544, 601) for x in range(152, 185)]
        red = [c for c in area if harness.colour_close(c, (255, 0, 0), 60)]
        white = [c for c in area if harness.colour_close(c, (255, 255, 255), 30)]
        self.assertEqual(red, [])
        self.assertLess(len(white), len(area) // 10)


class FallbackTest(VarnokCase):
    """With the primary answering "down", the game comes from the fallback."""

    demo_args = ("--fail", "primary")

    def test_game_is_loaded_from_the_fallback(self):
        self.wait_game_loaded()
        softmain = [line for line in harness.demo_log() if " /softmain/" in line]
        probes = [line.split(" ")[0] for line in softmain if "/softmain/net.asp" in line]
        self.assertEqual(probes[:2], ["18080", "18081"], softmain)
        game = [line for line in softmain if "/softmain/wd/vnokmain.asp" in line]
        self.assertTrue(game and all(line.startswith("18081 ") for line in game), softmain)


class MaximizeTest(VarnokCase):

    def test_maximize_fills_the_screen_and_restore_brings_the_window_back(self):
        self.wait_game_loaded()
        wid, geo = self.current_main()
        self.stack.click(*maximize_button_centre(geo))
        # No panel under openbox: the whole screen.
        self.wait_geometry([(0, 0), (0, 0), (SCREEN_W, 0), (SCREEN_H, 0)])
        self.assertEqual(self.current_main()[0], wid, "maximizing replaced the window")
        full = (0, 0, SCREEN_W, SCREEN_H)
        # Laid out again for the new size: the bar, its buttons (restore in place of maximize),
        # the margins and the page reach the far side.
        self.assert_screen(full, "maximized", colours=[
            ("title bar", [(1500, 1), (1700, 12)], FRAME),
            ("right margin", [(SCREEN_W - 1, 600)], FRAME),
            ("bottom margin", [(1500, SCREEN_H - 1)], FRAME),
            ("game page", [(12, 500), (SCREEN_W - 40, 700), (1800, SCREEN_H - 12)], PAGE),
        ], pictures=title_bar_pictures(SCREEN_W, maximized=True))

        self.stack.click(*maximize_button_centre(full))
        self.wait_geometry([(geo[0], 0), (geo[1], 0), (WIDTH, 0), (HEIGHT, 0)])
        self.assert_screen(geo, "restored", colours=[("title bar", [(600, 12)], FRAME)],
                           pictures=title_bar_pictures(WIDTH))


class CloseTest(VarnokCase):

    def open_exit_question(self):
        main = self.current_main()
        self.assertEqual(self.stack.dialogs(), [], "a question is already open")
        self.stack.click(*close_button_centre(main[1]))
        dialog, geo = harness.wait_until(self.stack.dialogs, 15, what="the exit question")[0]
        self.assertEqual(self.stack.transient_for(dialog), main[0],
                         "the exit question does not belong to the main window")
        self.assertIn("_NET_WM_STATE_MODAL", self.stack.prop(dialog, "_NET_WM_STATE") or "")
        return dialog, geo

    def focus(self, dialog):
        """Keys go to the focused window: openbox gives the focus to a new transient window;
        ask for it where it has not arrived (or went back to the main window)."""
        try:
            harness.wait_until(lambda: self.stack.active_window() == dialog, 3)
        except harness.HarnessError:
            self.stack.x("xdotool", "windowactivate", "--sync", str(dialog))

    def assert_still_running(self, answer):
        harness.wait_until(lambda: not self.stack.dialogs(), 10,
                           what="the exit question to close after %s" % answer)
        time.sleep(1.0)
        self.assertTrue(self.varnok.alive(), "varnok ended after answering %s" % answer)
        self.assertIsNotNone(self.stack.main_window(), "the window went away after %s" % answer)

    def test_close_asks_first_and_only_yes_ends_the_program(self):
        self.wait_game_loaded()
        main = self.current_main()

        # While the question is open the main window takes no clicks.
        dialog, _ = self.open_exit_question()
        self.stack.click(*maximize_button_centre(main[1]))
        time.sleep(1.5)
        self.assertEqual(self.current_main()[1][:4], main[1][:4],
                         "the main window reacted to a click behind its question")
        self.assertTrue(self.stack.dialogs(), "the question went away on a click behind it")
        self.focus(dialog)
        self.stack.key("Escape")
        self.assert_still_running("Escape")

        # No: the right-hand one of the two buttons along the bottom of the question.
        dialog, (x, y, w, h, _) = self.open_exit_question()
        self.stack.click(x + w * 3 // 4, y + h - 10)
        self.assert_still_running("No")

        tree = harness.process_tree(self.varnok.pid)
        self.assertGreater(len(tree), 1, "no WebKit helper processes under varnok")
        dialog, _ = self.open_exit_question()
        self.focus(dialog)
        self.stack.key("Return")       # Yes is the default
        try:
            status = self.varnok.popen.wait(timeout=20)
        except Exception:
            self.fail("varnok still runs 20 s after answering Yes")
        self.assertEqual(status, 0)
        self.assertEqual(self.stack.program_windows(), [])
        try:
            harness.wait_until(lambda: not [p for p in tree if harness.running(p)], 15)
        except harness.HarnessError:
            left = [(p, harness.command_name(p)) for p in tree if harness.running(p)]
            self.fail("processes of varnok still running: %s" % left)


if __name__ == "__main__":
    unittest.main()
