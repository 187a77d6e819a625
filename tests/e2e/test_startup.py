"""Start-up, the schedule's profile form and the timer window, end to end."""
import datetime
import subprocess
import time
import unittest

from test_countdown import Relay, raw_clock_offset
from varo_e2e import TIMER_TITLE, AppTestCase, parse_info, stop

TIMER = "title:" + TIMER_TITLE
IDOK, IDCANCEL = 1, 2
DAYLIST, POWEROFF, LOGOFF, RESTART, TIMERON, PICKER = 1000, 1054, 1055, 1056, 1057, 1058
WM_CLOSE, VK_ESCAPE = 0x10, 0x1B
SCHEDULE_TIMER = 0x65


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
        self.assert_nothing_armed()

    def assert_nothing_armed(self):
        """The window as an unset timer shows it: box unchecked, picker and day
        list disabled, Apply disabled, and the profile as it was."""
        before = self.prefix.read_ini()
        self.assertEqual(self.item(TIMER, TIMERON)["checked"], "0")
        self.assertEqual(self.item(TIMER, PICKER)["enabled"], "0")
        self.assertEqual(self.item(TIMER, DAYLIST)["enabled"], "0")
        self.assertEqual(self.item(TIMER, IDOK)["enabled"], "0")
        self.assertEqual(self.prefix.read_ini(), before)

    def test_on_profile_with_time_that_is_no_number_arms_nothing(self):
        # Read as numbers the old way, "abc" and a value that wraps were both 0:
        # an "on" profile armed 23:00:00 every day.
        self.prefix.write_ini("SOUND", {"DWSTART": "1", "DWACTION": "16", "DWHOUR": "23",
                                        "DWMIN": "abc", "DWSEC": "4294967296", "DWDAY": "0"})
        self.start_app()
        self.wait_timer_window()
        self.assert_nothing_armed()


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
        # The check is read with a message the program takes only after the
        # click's handler has returned: Apply is as that handler left it.
        self.wait_until(lambda: self.item(TIMER, LOGOFF)["checked"] == "1", message="radio change")
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
    """Starts the program with Wine's timed relay trace of the window-timer
    calls and messages; times are the program's own, as wall-clock seconds."""

    def start_traced(self):
        self.prefix.reg_add("HKCU\\Software\\Wine\\Debug", "RelayInclude", "user32.KillTimer;user32.SetTimer")
        self.log = self.prefix.path / "relay.log"
        self.offset = raw_clock_offset()
        self.start_app(extra_env={"WINEDEBUG": "+timestamp,+relay"}, log=self.log)
        self.timer = int(self.wait_timer_window()["hwnd"], 16)

    def schedule_calls(self, fn):
        """Wall-clock times of the program's calls of fn for the schedule's timer."""
        return [ts + self.offset for ts, args in Relay(self.log).calls(fn)
                if int(args.split(",")[1], 16) == SCHEDULE_TIMER]

    def schedule_ahead(self, seconds):
        due = datetime.datetime.now() + datetime.timedelta(seconds=seconds)
        self.prefix.write_ini("SOUND", {"DWSTART": 1, "DWACTION": 16, "DWHOUR": due.hour,
                                        "DWMIN": due.minute, "DWSEC": due.second, "DWDAY": 0})
        return due.replace(microsecond=0).timestamp()

    def start_scheduled(self, lead):
        """Starts the program with its schedule `lead` seconds ahead; answers the
        due second. A machine so slow that the program armed its tick less than
        a second before it starts the program again, further ahead."""
        for _ in range(3):
            due = self.schedule_ahead(lead)
            self.start_traced()
            self.wait_until(lambda: self.schedule_calls("SetTimer"), message="the tick to be armed")
            if self.schedule_calls("SetTimer")[0] < due - 1:
                return due
            stop(self.procs.pop())
            self.assertEqual(self.driver("wait-gone", TIMER, 20000, timeout=60)[0], 0)
            lead *= 2
        self.fail("the program kept arming its tick too late for the scheduled second")

    def wait_for_fire(self, due):
        """The first end of the tick, which the fire makes: its wall-clock time."""
        self.wait_until(lambda: self.schedule_calls("KillTimer"), timeout=max(due + 20 - time.time(), 1.0),
                        interval=0.1, message="the schedule to fire")
        return self.schedule_calls("KillTimer")[0]


class HalfWrittenProfile(TickWatcher):
    def test_profile_holding_only_dwstart_arms_nothing(self):
        # What an Apply stopped after its first write left: no tick at all,
        # not a power-off at 00:00:00 every day.
        self.prefix.write_ini("SOUND", {"DWSTART": 1})
        self.start_traced()
        self.assertEqual(self.item(TIMER, TIMERON)["checked"], "0")
        self.assertEqual(self.item(TIMER, PICKER)["enabled"], "0")
        # The tick is armed before the window first shows, so by now its
        # SetTimer would be in the trace.
        self.assertEqual(self.schedule_calls("SetTimer"), [])
        self.assertEqual(self.prefix.read_ini()["SOUND"], {"DWSTART": "1"})


class ScheduleFires(TickWatcher):
    def test_fires_at_its_second(self):
        due = self.start_scheduled(25)
        fired = self.wait_for_fire(due)
        # 50 ms for mapping the trace's clock to the wall clock.
        self.assertGreaterEqual(fired, due - 0.05)
        # The tick's phase within the second is arbitrary: one period and some.
        self.assertLess(fired - due, 2.5)

    def test_hidden_window_keeps_ticking(self):
        # Due tomorrow: the ticks are watched, not a fire, which would come at
        # a different step of the scenario on a slower machine. The fire from
        # the hidden window is test_tray's.
        self.schedule_ahead(-3600)
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
            self.assertIsNone(self.procs[-1].poll())
            # Bring it back for the next way of closing.
            self.driver("command", TIMER, 32771)
            rc, out = self.driver("wait-visible", TIMER, 15000, timeout=60)
            self.assertEqual(rc, 0, how + " restore: " + out)
            self.driver("foreground", TIMER)
        self.driver("click", TIMER, IDCANCEL)
        self.assertEqual(self.driver("wait-hidden", TIMER, 15000, timeout=60)[0], 0)
        hidden = time.time() - self.offset
        self.wait_until(lambda: len(self.ticks(since=hidden)) >= 2, message="ticks of the hidden window")
        self.assertEqual(self.schedule_calls("KillTimer"), [], "the tick was ended")
        self.assertIsNone(self.procs[-1].poll())

    def ticks(self, since):
        return [ts for ts, wp in Relay(self.log).messages(self.timer, "WM_TIMER", since) if wp == SCHEDULE_TIMER]


if __name__ == "__main__":
    unittest.main()
