"""End-to-end tests of the game browser: addresses typed into the address strip, the page
dialogs the program quietens, the windows pages ask for and the reload button.

Same stack as test_varnok.py (Xvfb + openbox + demo server + varnok, one per class). Pages of
the demo server report what happened to them as events; the demo server's request log shows
what the program loaded.
"""

import unittest

import harness
import test_varnok
from test_varnok import BAR, HEIGHT, WIDTH

DEMO = "localhost:18080/softmain/wd/"
EVENT_TIMEOUT = 30                 # generous: WebKit on software GL under load

# Places in the address strip, relative to the window's top-left corner.
ADDRESS_ENTRY = (400, BAR + 14)
ENTER_BUTTON = (920, BAR + 13)     # 进入平台
RELOAD_BUTTON = (992, BAR + 13)    # 刷新游戏


def requests_for(path):
    """The logged requests for a path on the game servers, query included."""
    return [line for line in harness.demo_log() if line.split(" ", 2)[2].split("?")[0] == path]


class BrowserCase(test_varnok.VarnokCase):
    """Drives the game browser through the address strip."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        harness.wait_until(lambda: "game-loaded" in harness.demo_events(), test_varnok.LAUNCH_TIMEOUT,
                           interval=0.2, what="the game page to load")

    def setUp(self):
        # Every test starts from the main window alone and an empty log.
        self.assertEqual(self.other_windows(), [], "windows left open by an earlier test")
        harness.demo_get("/__control?clear=1")

    def other_windows(self):
        """Shown windows of the program other than the main window."""
        return [(wid, geo) for wid, geo in self.stack.program_windows() if wid != self.main[0]]

    def at(self, place):
        geo = self.current_main()[1]
        return geo[0] + place[0], geo[1] + place[1]

    def activate(self, wid):
        if self.stack.active_window() != wid:
            self.stack.x("xdotool", "windowactivate", "--sync", str(wid), check=False)
            harness.wait_until(lambda: self.stack.active_window() == wid, 10,
                               what="window %#x to take the focus" % wid)

    def type_address(self, text):
        """Replaces the address box's text (with nothing when text is empty)."""
        self.activate(self.main[0])
        self.stack.click(*self.at(ADDRESS_ENTRY))
        self.stack.key("ctrl+a")
        if text:
            self.stack.x("xdotool", "type", "--delay", "15", text)
        else:
            self.stack.key("BackSpace")

    def enter(self, text):
        """Types an address and presses 进入平台."""
        self.type_address(text)
        self.stack.click(*self.at(ENTER_BUTTON))

    def wait_event(self, name, timeout=EVENT_TIMEOUT):
        try:
            harness.wait_until(lambda: name in harness.demo_events(), timeout, interval=0.2)
        except harness.HarnessError:
            self.fail("no %r event; events: %s; requests: %s"
                      % (name, harness.demo_events(), harness.demo_log()))
        return harness.demo_events()

    def wait_other_window(self):
        try:
            found = harness.wait_until(self.other_windows, EVENT_TIMEOUT, interval=0.2,
                                       what="a second window")
        except harness.HarnessError:
            self.fail("no second window appeared; events: %s" % harness.demo_events())
        self.assertEqual(len(found), 1, "more than one new window: %s" % found)
        return found[0]

    def close_window(self, wid):
        """Closes another window of the program the way a user does, through the window
        manager (Alt+F4), and waits for it to go."""
        self.activate(wid)
        self.stack.key("alt+F4")
        harness.wait_until(lambda: wid not in [w for w, _ in self.other_windows()], 15,
                           what="window %#x to close" % wid)

    def assert_main_window_unchanged(self):
        self.assertTrue(self.varnok.alive(), "varnok ended")
        wid, geo = self.current_main()
        self.assertEqual(wid, self.main[0], "the main window was replaced")
        self.assertEqual(geo[:4], self.main[1][:4], "the main window moved or changed size")


class DialogsTest(BrowserCase):
    """Confirm, showModalDialog, leave prompts and (on end pages) alert go quiet in the game
    page; addresses holding "nohook" keep theirs."""

    def test_page_dialogs_return_at_once_without_showing_anything(self):
        cases = [
            # (what, typed address, event the page reports once the call has returned)
            ("confirm", DEMO + "leave.html?auto=confirm", "confirm-returned:undefined"),
            # The page looks for showModalDialog first: the program's stand-in is there.
            ("showModalDialog", DEMO + "leave.html?auto=smd", "smd-returned"),
            ("alert on a page with the end marker", DEMO + "end.html", "alert-returned"),
            # Scheme and host typed in capitals are lowered; no scheme gets http://.
            ("confirm, address typed in capitals", "HTTP://LOCALHOST:18080/softmain/wd/"
             "leave.html?auto=confirm", "confirm-returned:undefined"),
        ]
        for what, address, event in cases:
            with self.subTest(what):
                harness.demo_get("/__control?clear=1")
                self.enter(address)
                events = self.wait_event(event)
                # A real confirm answers true or false, a real alert waits for its OK.
                self.assertEqual([e for e in events if "returned" in e], [event])
                self.assertEqual(self.other_windows(), [])
                self.assert_main_window_unchanged()

    def test_leaving_a_page_does_not_ask_first(self):
        self.enter(DEMO + "leave.html?auto=leave")
        # The page's onbeforeunload handler reports unload-prompt whenever it runs.
        events = self.wait_event("popup-loaded")
        self.assertNotIn("unload-prompt", events)
        self.assertEqual(len(requests_for("/softmain/wd/popup_target.html")), 1)

    def test_confirm_stays_on_a_nohook_address(self):
        self.enter(DEMO + "nohook_page.html?auto=confirm")
        self.wait_event("nohook-loaded")
        # WebKit shows the question inside the view, over the page it dims.
        box = harness.wait_until(self.find_dialog_in_view, EVENT_TIMEOUT, interval=0.5,
                                 what="the page's confirm question")
        self.assertFalse([e for e in harness.demo_events() if e.startswith("nohook-confirm")],
                         "confirm returned while its question was still shown")
        left, top, right, bottom = box
        self.stack.click(*self.at((right - (right - left) // 4, bottom - 6)))   # OK
        self.wait_event("nohook-confirm-returned:true")
        harness.wait_until(lambda: not self.find_dialog_in_view(), 15,
                           what="the question to go")
        self.assertEqual(self.other_windows(), [])

    def test_reload_loads_the_page_again_and_quietens_it_again(self):
        self.enter(DEMO + "leave.html?auto=confirm")
        self.wait_event("confirm-returned:undefined")
        self.assertEqual(len(requests_for("/softmain/wd/leave.html")), 1)
        harness.demo_get("/__control?clear=1")
        self.stack.click(*self.at(RELOAD_BUTTON))
        self.wait_event("confirm-returned:undefined")
        self.assertEqual([line.split(" ", 2)[2] for line in requests_for("/softmain/wd/leave.html")],
                         ["/softmain/wd/leave.html?auto=confirm"])

    def find_dialog_in_view(self):
        """The bounding box (window coordinates) of the light question box in the game view,
        or None. The demo pages are dark and hold no light area this large."""
        shot = self.stack.screenshot(self.stack.out_dir + "/nohook-confirm.png")
        x0, y0 = self.current_main()[1][:2]
        xs, ys = [], []
        for y in range(2 * BAR + 10, HEIGHT - 10, 3):
            for x in range(10, WIDTH - 10, 3):
                if min(shot.pixel(x0 + x, y0 + y)) > 225:
                    xs.append(x)
                    ys.append(y)
        if len(xs) < 500:
            return None
        return min(xs), min(ys), max(xs), max(ys)


class NewWindowsTest(BrowserCase):
    """Windows the game page opens: into the game browser itself, except pay and shop pages
    and the fallback server's, which get a window of their own."""

    def test_same_site_pages_open_in_the_game_browser(self):
        for what, page in [("window.open", "popup.html?auto=open"),
                           ("target=_blank", "popup.html?auto=blank")]:
            with self.subTest(what):
                harness.demo_get("/__control?clear=1")
                self.enter(DEMO + page)
                self.wait_event("popup-loaded")
                self.assertEqual(self.other_windows(), [], "the page got a window of its own")
                self.assertEqual(len(requests_for("/softmain/wd/popup_target.html")), 1,
                                 harness.demo_log())
                self.assert_main_window_unchanged()

    def test_payment_and_fallback_pages_open_in_a_decorated_window_of_their_own(self):
        cases = [
            # (what, typed address, event of the opened page, its title, its path, port)
            ("window.open of a pay page", DEMO + "shop.html?auto=open", "order-loaded",
             "Payment", "/softmain/pay/order.html", "18080"),
            ("target=_blank to a pay page", DEMO + "shop.html?auto=blank", "order-loaded",
             "Payment", "/softmain/pay/order.html", "18080"),
            ("window.open on the fallback server", "127.0.0.1:18081/softmain/wd/popup.html"
             "?auto=open", "popup-loaded", "Same-site popup", "/softmain/wd/popup_target.html",
             "18081"),
        ]
        for what, address, event, title, path, port in cases:
            with self.subTest(what):
                harness.demo_get("/__control?clear=1")
                self.enter(address)
                wid, _ = self.wait_other_window()
                try:
                    self.wait_event(event)
                    harness.wait_until(lambda: self.stack.title(wid) == title, 15,
                                       what="the window's title to be %r" % title)
                    self.assertIsNone(self.stack.transient_for(wid))
                    extents = self.stack.cardinals(wid, "_NET_FRAME_EXTENTS") or [0, 0, 0, 0]
                    self.assertTrue(any(extents), "the window is not decorated: %s" % extents)
                    # Only the new window loaded the page; the game browser stayed where it was.
                    self.assertEqual([line.split(" ")[0] for line in requests_for(path)], [port],
                                     harness.demo_log())
                    self.assert_main_window_unchanged()
                finally:
                    self.close_window(wid)
                self.assertTrue(self.varnok.alive(), "closing the window ended varnok")
                self.assert_main_window_unchanged()


class AddressBoxTest(BrowserCase):
    """What the address box refuses."""

    def test_refused_addresses_show_a_message_and_load_nothing(self):
        for what, text in [("empty", ""), ("spaces only", "   "),
                           ("asterisk", DEMO + "end*.html"), ("comma", DEMO + "end,.html")]:
            with self.subTest(what):
                harness.demo_get("/__control?clear=1")
                self.enter(text)
                try:
                    box, _ = harness.wait_until(self.other_windows, 15, interval=0.2,
                                                what="a message box")[0]
                except harness.HarnessError:
                    self.fail("no message box for %r" % text)
                self.assertIn("_NET_WM_WINDOW_TYPE_DIALOG",
                              self.stack.prop(box, "_NET_WM_WINDOW_TYPE") or "")
                self.activate(box)
                self.stack.key("Return")
                harness.wait_until(lambda: not self.other_windows(), 15,
                                   what="the message box to close")
                # An accepted address afterwards: had the refused one been loaded after all,
                # its request would come before this one's.
                self.enter(DEMO + "popup_target.html")
                self.wait_event("popup-loaded")
                self.assertEqual([line for line in harness.demo_log() if " /softmain/" in line],
                                 ["18080 GET /softmain/wd/popup_target.html"])
                self.assert_main_window_unchanged()


if __name__ == "__main__":
    unittest.main()
