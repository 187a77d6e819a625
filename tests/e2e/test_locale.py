"""The Japanese texts on a system whose code page is not Japanese. The
program is ANSI; its manifest asks for code page 932 (activeCodePage ja-JP),
which Wine 8 honours as Windows 11 does. The program runs here with
LANG=C.UTF-8, whose code page is 1252: without that setting every text of
the program would show as "?". Screenshots are kept in build/test-logs/ to
be looked at."""
import time
import unittest

from test_remote import ADD, MAC_PARTS, MSG_INCOMPLETE, NAME, RemoteDialogCase, list_file
from test_tray import TIP, TrayCase
from varo_e2e import ROOT, AppTestCase, parse_info, screenshot

WESTERN = {"LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"}
SHOTS = ROOT / "build" / "test-logs"
IDC_DAYLIST, IDC_TIMERON = 1000, 1057
CB_SHOWDROPDOWN, CB_GETCOUNT = 0x14F, 0x146


class WesternSystem(TrayCase, RemoteDialogCase):
    def setUp(self):
        AppTestCase.setUp(self)  # the program starts in the test, with its own locale
        SHOTS.mkdir(parents=True, exist_ok=True)

    def shot(self, name):
        screenshot(SHOTS / ("locale-%s.png" % name), self.prefix.env["DISPLAY"])

    def test_every_text_shows_and_a_japanese_name_is_stored_as_shift_jis(self):
        self.start(extra_env=WESTERN)  # found by its Japanese title
        self.assertEqual(self.item(self.timer, IDC_TIMERON)["text"], "電源タイマーの設定")
        days = self.item(self.timer, IDC_DAYLIST)
        self.assertEqual(days["text"], "まいにち")
        day_list = self.day_list()
        self.assertEqual(self.driver("send", day_list, CB_GETCOUNT, 0, 0)[1], "result=8")
        self.driver("post", day_list, CB_SHOWDROPDOWN, 1, 0)
        time.sleep(1.5)
        self.shot("timer-window-and-day-list")
        self.driver("post", day_list, CB_SHOWDROPDOWN, 0, 0)

        self.assertEqual(self.tip_at_icon(), TIP)
        self.shot("tray-tip")

        self.open_remote()
        name = "東京のPC"
        self.fill_form(name, "00-11-22-33-44-55")
        self.assertEqual(self.text(NAME), name)
        self.press(ADD)
        # The bytes a Japanese system writes: the name in Shift-JIS (code page 932).
        self.expect_file(list_file((name, "00-11-22-33-44-55", "40000")))
        self.shot("remote-window")

        self.clear_field(MAC_PARTS[2])
        self.press(ADD)
        self.assertIn(MSG_INCOMPLETE, self.box_text())
        self.shot("message-box")
        self.dismiss_box()

    def day_list(self):
        rc, out = self.driver("children", self.timer)
        for line in out.splitlines():
            if line.strip().startswith("id=%d " % IDC_DAYLIST):
                return "hwnd:" + parse_info(line.strip().split(" ", 1)[1])["hwnd"]
        self.fail("no day list in " + out)

if __name__ == "__main__":
    unittest.main()
