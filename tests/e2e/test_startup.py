"""Start-up, the schedule's profile form and the timer window, end to end."""
import datetime
import re
import subprocess
import time
import unittest

from varo_e2e import TIMER_TITLE, AppTestCase, parse_info

TIMER = "title:" + TIMER_TITLE
IDOK, IDCANCEL = 1, 2
DAYLIST, POWEROFF, LOGOFF, RESTART, TIMERON, PICKER = 1000, 1054, 1055, 1056, 1057, 1058
WM_CLOSE, VK_ESCAPE = 0x10, 0x1B


class StartUp(AppTestCase):
    def test_second_copy_ends_at_once_without_a_window(self):
        self.start_app()
        self.wait_timer_window()
        env = {"WINEDEBUG": "+debugstr"}
        second = subprocess.run(["wine", "C:\\VaroTimer\\VaroTimer.exe"], env={**self.prefix.env, **env},
                                cwd=str(self.prefix.app_dir), stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        self.assertIn(b"VARO-SHUTDOWN-TOOL : ERROR_ALREADY_EXISTS", second.stdout)
        rc, out = self.driver("list")
        self.assertEqual(out.count("title=" + TIMER_TITLE), 1, out)

    def test_first_start_without_profile(self):
        self.assertFalse(self.prefix.ini_path().exists())
        self.start_app()
        self.wait_timer_window()
        self.assertEqual(self.item(TIMER, TIMERON)["checked"], "0")
        self.assertEqual(self.item(TIMER, PICKER)["enabled"], "0")
        self.assertEqual(self.item(TIMER, DAYLIST)["enabled"], "0")
        self.assertEqual(self.item(TIMER, POWEROFF)["checked"], "1")
        self.assertEqual(self.item(TIMER, IDOK)["enabled"], "0")
        self.assertEqual(self.driver("cursel", TIMER, DAYLIST)[1], "0")
        # The picker shows the current time while the timer is off.
        shown = datetime.datetime.strptime(self.driver("gettime", TIMER, PICKER)[1], "%H:%M:%S")
        now = datetime.datetime.now()
        delta = abs((now.hour * 3600 + now.minute * 60 + now.second) -
                    (shown.hour * 3600 + shown.minute * 60 + shown.second))
        self.assertLess(min(delta, 86400 - delta), 120)

    def test_enabled_profile_is_shown_and_armed(self):
        self.prefix.write_ini("SOUND", {"DWSTART": 1, "DWACTION": 32, "DWHOUR": 21, "DWMIN": 45,
                                        "DWSEC": 0, "DWDAY": 3})
        self.start_app()
        self.wait_timer_window()
        self.assertEqual(self.item(TIMER, TIMERON)["checked"], "1")
        self.assertEqual(self.item(TIMER, LOGOFF)["checked"], "1")
        self.assertEqual(self.item(TIMER, POWEROFF)["checked"], "0")
        self.assertEqual(self.driver("gettime", TIMER, PICKER)[1], "21:45:00")
        self.assertEqual(self.driver("cursel", TIMER, DAYLIST)[1], "3")
        self.assertEqual(self.item(TIMER, DAYLIST)["text"], "毎週火曜日")
        self.assertEqual(self.item(TIMER, PICKER)["enabled"], "1")
        self.assertEqual(self.item(TIMER, DAYLIST)["enabled"], "1")
        self.assertEqual(self.item(TIMER, IDOK)["enabled"], "0")

    def test_untrusted_profile_values_start_quietly(self):
        self.prefix.write_ini("SOUND", {"DWSTART": "yes", "DWACTION": "-1", "DWHOUR": "99",
                                        "DWMIN": "abc", "DWSEC": "4294967296", "DWDAY": "12"})
        self.start_app()
        self.wait_timer_window()
        self.assertEqual(self.driver("cursel", TIMER, DAYLIST)[1], "-1")


class ApplyButton(AppTestCase):
    def setUp(self):
        super().setUp()
        self.prefix.write_ini("SOUND", {"DWSTART": 0, "DWACTION": 0x110, "DWHOUR": 1, "DWMIN": 2,
                                        "DWSEC": 3, "DWDAY": 4})
        self.start_app()
        self.wait_timer_window()

    def click(self, item_id):
        rc, out = self.driver("click", TIMER, item_id)
        self.assertEqual(rc, 0, out)

    def test_radio_with_box_unchecked_leaves_apply_disabled(self):
        self.click(LOGOFF)
        self.wait_until(lambda: self.item(TIMER, LOGOFF)["checked"] == "1", message="radio change")
        time.sleep(1)
        self.assertEqual(self.item(TIMER, IDOK)["enabled"], "0")
        self.click(TIMERON)
        self.wait_until(lambda: self.item(TIMER, IDOK)["enabled"] == "1", message="Apply enabled")
        self.assertEqual(self.item(TIMER, PICKER)["enabled"], "1")

    def test_apply_writes_six_entries_then_only_dwstart(self):
        self.click(TIMERON)
        self.wait_until(lambda: self.item(TIMER, IDOK)["enabled"] == "1", message="Apply enabled")
        self.click(LOGOFF)
        self.assertEqual(self.driver("settime", TIMER, PICKER, "08:15:30")[0], 0)
        self.assertEqual(self.driver("select", TIMER, DAYLIST, 6)[0], 0)
        self.wait_until(lambda: self.item(TIMER, LOGOFF)["checked"] == "1", message="radio change")
        self.click(IDOK)
        # DWSTART is written first: wait for the whole section, not for it.
        applied = {"DWSTART": "1", "DWACTION": "288", "DWHOUR": "8", "DWMIN": "15", "DWSEC": "30", "DWDAY": "6"}
        self.wait_until(lambda: self.prefix.read_ini().get("SOUND") == applied, message="profile write")
        self.assertEqual(self.prefix.read_ini()["SOUND"], applied)
        self.assertEqual(self.item(TIMER, IDOK)["enabled"], "0")
        self.assertEqual(parse_info(self.driver("info", TIMER)[1])["visible"], "1")

        self.click(TIMERON)
        self.wait_until(lambda: self.item(TIMER, IDOK)["enabled"] == "1", message="Apply enabled")
        self.click(IDOK)
        self.wait_until(lambda: self.prefix.read_ini().get("SOUND") == dict(applied, DWSTART="0"),
                        message="DWSTART=0")
        self.assertEqual(self.prefix.read_ini()["SOUND"], dict(applied, DWSTART="0"))


class TickWatcher(AppTestCase):
    """Starts the program with Wine's relay trace of the window-timer calls."""

    def start_traced(self):
        self.prefix.reg_add("HKCU\\Software\\Wine\\Debug", "RelayInclude", "user32.KillTimer;user32.SetTimer")
        self.log = self.prefix.path / "relay.log"
        self.start_app(extra_env={"WINEDEBUG": "+relay"}, log=self.log)
        self.wait_timer_window()

    def killtimer_101_seen(self):
        text = self.log.read_bytes().decode("latin-1")
        return re.search(r"Call user32\.KillTimer\([0-9a-f]+,00000065\)", text) is not None

    def schedule_ahead(self, seconds):
        due = datetime.datetime.now() + datetime.timedelta(seconds=seconds)
        self.prefix.write_ini("SOUND", {"DWSTART": 1, "DWACTION": 16, "DWHOUR": due.hour,
                                        "DWMIN": due.minute, "DWSEC": due.second, "DWDAY": 0})
        return due.replace(microsecond=0)

    def wait_for_fire(self, due):
        deadline = due + datetime.timedelta(seconds=20)
        while datetime.datetime.now() < deadline:
            if self.killtimer_101_seen():
                return datetime.datetime.now()
            time.sleep(0.1)
        self.fail("the schedule did not fire")


class ScheduleFires(TickWatcher):
    def test_fires_at_its_second(self):
        due = self.schedule_ahead(25)
        self.start_traced()
        self.assertFalse(self.killtimer_101_seen())
        seen = self.wait_for_fire(due)
        self.assertGreaterEqual(seen, due)
        # Seen from outside, through a trace file: allow for the polling.
        self.assertLess((seen - due).total_seconds(), 2.5)

    def test_hidden_window_keeps_ticking(self):
        due = self.schedule_ahead(30)
        self.start_traced()
        for how in ("close", "escape", "wm_close"):
            if how == "close":
                self.driver("click", TIMER, IDCANCEL)
            elif how == "escape":
                self.driver("key", TIMER, VK_ESCAPE)
            else:
                self.driver("post", TIMER, WM_CLOSE, 0, 0)
            rc, out = self.driver("wait-hidden", TIMER, 15000, timeout=60)
            self.assertEqual(rc, 0, how + ": " + out)
            self.assertIsNone(self.procs[0].poll())
            # Bring it back for the next way of closing.
            self.driver("command", TIMER, 32771)
            rc, out = self.driver("wait-visible", TIMER, 15000, timeout=60)
            self.assertEqual(rc, 0, how + " restore: " + out)
            self.driver("foreground", TIMER)
        self.driver("click", TIMER, IDCANCEL)
        self.driver("wait-hidden", TIMER, 15000, timeout=60)
        self.wait_for_fire(due)
        self.assertIsNone(self.procs[0].poll())


if __name__ == "__main__":
    unittest.main()
