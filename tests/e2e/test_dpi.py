"""Every window at 100, 125, 150 and 200 % (96, 120, 144 and 192 DPI in the prefix):
the dialogs grow with their font, and each picture must grow with them,
drawn for its size, while no text may be clipped or wrapped out of sight.

Each picture's share of its window's width is compared with its share at
96 DPI; each text is measured in the dialog's font and compared with its
control. Screenshots go to build/test-logs/dpi-<DPI>-<window>.png."""
import datetime
import time
import unittest

from varo_e2e import ROOT, TIMER_TITLE, AppTestCase, parse_info, screenshot

TIMER = "title:" + TIMER_TITLE
ABOUT = "title:VaroShutdown Information"
REMOTE = "title:リモート電源オン"
COUNTDOWN = "title:Varo\u3000電源タイマ\u3000Program"
BOX = "title:VaroTimer"  # message boxes carry the program's name
FONT = "ＭＳ Ｐゴシック"
MESSAGE_FONT = "*message"  # the driver's name for the message boxes' font
SHOTS = ROOT / "build" / "test-logs"

IDOK, IDCANCEL, TIMERON, PICKER = 1, 2, 1057, 1058
SIDE_PICTURE, POWEROFF_ICON, LOGOFF_ICON, RESTART_ICON, ABOUT_ICON, REMOTE_ICON = range(1150, 1156)
ACTION_ICON, COUNTDOWN_CANCEL, ADD_ENTRY = 1061, 1060, 1008
WM_SYSCOMMAND, IDM_ABOUTBOX, ID_TRAY_REMOTE = 0x112, 0x10, 32772

# Width of each picture over its window's client width at 96 DPI, as laid out.
SHARE_AT_96 = {
    ("timer", SIDE_PICTURE): 0.2045,  # 100 of 489 pixels
    ("timer", POWEROFF_ICON): 0.0654,  # 32 of 489
    ("timer", LOGOFF_ICON): 0.0654,
    ("timer", RESTART_ICON): 0.0654,
    ("about", ABOUT_ICON): 0.0802,  # 32 of 399
    ("remote", REMOTE_ICON): 0.0547,  # 32 of 585
    ("countdown", ACTION_ICON): 0.1139,  # 32 of 281
}
# A picture may round to the pixel, or take an icon image drawn for a size
# within 4 % of its place: its share may move by this much (relative). One
# that kept its 96-DPI size would lose a fifth of its share at 120 DPI.
SHARE_TOLERANCE = 0.06


class PicturesAndTexts(AppTestCase):
    """Subclasses set dpi."""

    def test_pictures_keep_their_share_and_every_text_fits(self):
        SHOTS.mkdir(parents=True, exist_ok=True)
        self.start_app()
        self.wait_timer_window()
        problems = []
        self.look_at("timer", TIMER, 9, problems)

        self.assertEqual(self.driver("post", TIMER, WM_SYSCOMMAND, IDM_ABOUTBOX, 0)[0], 0)
        self.assertEqual(self.driver("wait-visible", ABOUT, 30000, timeout=60)[0], 0)
        self.look_at("about", ABOUT, 9, problems)
        self.assertEqual(self.driver("click", ABOUT, IDOK)[0], 0)
        self.assertEqual(self.driver("wait-gone", ABOUT, 10000)[0], 0)

        self.assertEqual(self.driver("command", TIMER, ID_TRAY_REMOTE)[0], 0)
        self.assertEqual(self.driver("wait-visible", REMOTE, 30000, timeout=60)[0], 0)
        self.look_at("remote", REMOTE, 10, problems)
        # A message box, over the remote window: Add with the form empty.
        self.assertEqual(self.driver("click", REMOTE, ADD_ENTRY)[0], 0)
        self.assertEqual(self.driver("wait-visible", BOX, 30000, timeout=60)[0], 0)
        self.look_at("message-box", BOX, 0, problems)
        self.assertEqual(self.driver("click", BOX, IDOK)[0], 0)
        self.assertEqual(self.driver("wait-gone", BOX, 10000)[0], 0)
        self.assertEqual(self.driver("command", REMOTE, IDCANCEL)[0], 0)
        self.assertEqual(self.driver("wait-gone", REMOTE, 10000)[0], 0)

        self.fire_countdown()
        self.look_at("countdown", COUNTDOWN, 9, problems)
        self.assertEqual(self.driver("click", COUNTDOWN, COUNTDOWN_CANCEL)[0], 0)
        self.assertEqual(self.driver("wait-gone", COUNTDOWN, 10000)[0], 0)
        self.assertEqual(problems, [])

    def look_at(self, name, target, points, problems):
        """Checks one window's pictures and texts, in the dialog font of
        `points` (0: the message boxes' font); adds what is wrong to problems."""
        time.sleep(2)  # for the screenshot only: the window's first paint
        screenshot(SHOTS / ("dpi-%d-%s.png" % (self.dpi, name)), self.prefix.env["DISPLAY"])
        rc, out = self.driver("client", target)
        self.assertEqual(rc, 0, out)
        client_width = int(parse_info(out)["width"])
        rects = self.child_rects(target)
        for (window, control), share96 in SHARE_AT_96.items():
            if window != name:
                continue
            left, _, right, _ = rects[control]
            share = (right - left) / client_width
            print("%s %d: control %d is %d of %d pixels, share %.4f" % (name, self.dpi, control, right - left,
                                                                         client_width, share))
            if share96 is not None and abs(share / share96 - 1) > SHARE_TOLERANCE:
                problems.append("%s: control %d has share %.3f of its window, %.3f at 96 DPI"
                                % (name, control, share, share96))
        rc, out = self.driver("text-fit", target, FONT if points else MESSAGE_FONT, points)
        self.assertEqual(rc, 0, out)
        for line in out.splitlines()[1:]:
            if line.startswith("id=") and " fits=1 " not in line:
                problems.append("%s: %s" % (name, line))

    def child_rects(self, target):
        rc, out = self.driver("children", target)
        self.assertEqual(rc, 0, out)
        rects = {}
        for line in out.splitlines():
            line = line.strip()
            if not line.startswith("id="):
                continue  # a text of several lines goes on here
            control = int(line.split()[0][3:])
            rects[control] = [int(v) for v in parse_info(line.split(" ", 1)[1])["rect"].split(",")]
        return rects

    def fire_countdown(self):
        """Arms the schedule a little ahead and waits for the countdown; a
        slow machine that applies too late tries again further ahead."""
        lead = 15
        for _ in range(3):
            # Off and on again when on (Apply is enabled by any change).
            clicks = 2 if self.item(TIMER, TIMERON)["checked"] == "1" else 1
            for _ in range(clicks):
                self.assertEqual(self.driver("click", TIMER, TIMERON)[0], 0)
            self.wait_until(lambda: self.item(TIMER, IDOK)["enabled"] == "1"
                            and self.item(TIMER, TIMERON)["checked"] == "1", message="Apply enabled")
            fire = datetime.datetime.now().replace(microsecond=0) + datetime.timedelta(seconds=lead)
            self.assertEqual(self.driver("settime", TIMER, PICKER, fire.strftime("%H:%M:%S"))[0], 0)
            self.assertEqual(self.driver("click", TIMER, IDOK)[0], 0)
            if self.driver("wait-visible", COUNTDOWN, (lead + 20) * 1000, timeout=lead + 60)[0] == 0:
                return
            lead *= 2
        self.fail("the countdown never came")


class At96Dpi(PicturesAndTexts):
    dpi = 96


class At120Dpi(PicturesAndTexts):
    dpi = 120


class At144Dpi(PicturesAndTexts):
    dpi = 144


class At192Dpi(PicturesAndTexts):
    dpi = 192


del PicturesAndTexts  # the base runs no DPI of its own

if __name__ == "__main__":
    unittest.main()
