"""The tray icon and hiding into the tray, end to end on Wine's virtual
desktop: the icon in the notification area with its tip, its menu, the
double click, Close, the shell's "TaskbarCreated" broadcast and the exit."""
import datetime
import re
import shutil
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from varo_e2e import HOOKED_EXE, AppTestCase, parse_info, screenshot

TIP = "電源タイマー"
COUNTDOWN_TITLE = "Varo\u3000電源タイマ\u3000Program"
REMOTE_TITLE = "リモート電源オン"
ICON = (1013, 757)  # the first icon of Wine's notification area on a 1024x768 desktop
IDCANCEL, IDC_COUNTDOWN_CANCEL = 2, 1060
ID_TRAY_REMOTE, ID_APP_EXIT = 32772, 57665
APP_RING, APP_FACE = (40, 90, 170), (250, 250, 245)  # the application icon's clock
WM_TRAY_NOTIFY, TRAY_ID = 0x80F1, 130
WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_CLOSE, WM_SYSCOMMAND, SC_RESTORE = 0x203, 0x205, 0x10, 0x112, 0xF120
VK_RETURN, VK_UP, VK_DOWN, VK_ESCAPE = 0x0D, 0x26, 0x28, 0x1B
START_BUTTON_RIGHT = 80  # taskbar buttons of windows start right of the start button


class TrayCase(AppTestCase):
    """A started program and the desktop around it."""

    def start(self, **kwargs):
        self.app = self.start_app(**kwargs)
        # Hidden in the tray the window is no longer top-level, and no search
        # by title finds it: the tests name it by its handle.
        self.timer = "hwnd:" + self.wait_timer_window()["hwnd"]
        self.driver("foreground", self.timer)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.prefix.env, check=True, timeout=30)

    def windows(self):
        rc, out = self.driver("list")
        return [parse_info(line) for line in out.splitlines() if line.startswith("hwnd=")]

    def timer_info(self):
        rc, out = self.driver("info", self.timer)
        self.assertEqual(rc, 0, out)
        return parse_info(out)

    def desktop(self):
        """The desktop window: the parent of every top-level window."""
        tray = [w for w in self.windows() if w["class"] == "Shell_TrayWnd"]
        self.assertTrue(tray, "no taskbar on the desktop")
        return tray[0]["parent"]

    def window_buttons(self):
        """Visible taskbar buttons of windows (the start button left out)."""
        rc, out = self.driver("children", "class:Shell_TrayWnd")
        buttons = [parse_info(line.strip().split(" ", 1)[1]) for line in out.splitlines() if "class=Button" in line]
        return [b for b in buttons if b["visible"] == "1" and int(b["rect"].split(",")[0]) >= START_BUTTON_RIGHT]

    def tip_at_icon(self, wait=10.0):
        """Hovers the icon; answers the text of the tooltip that shows, or None."""
        self.xdotool("mousemove", 500, 500)
        time.sleep(0.3)
        self.xdotool("mousemove", ICON[0], ICON[1])
        time.sleep(0.2)
        self.xdotool("mousemove", ICON[0] + 1, ICON[1])
        deadline = time.monotonic() + wait
        while time.monotonic() < deadline:
            tips = [w for w in self.windows() if w["class"] == "tooltips_class32" and w["visible"] == "1"]
            if tips:
                return tips[0]["title"]
            time.sleep(0.25)
        return None

    def wait_tip(self, timeout=45.0):
        """The icon's tip once the icon is there: the program asks the shell
        for it after its window shows, and the pointer must come anew over
        an icon that is new."""
        deadline = time.monotonic() + timeout
        tip = None
        while tip is None and time.monotonic() < deadline:
            tip = self.tip_at_icon(wait=3.0)
        return tip

    def open_menu(self):
        """Right-clicks the icon; answers the menu window's info."""
        self.xdotool("mousemove", ICON[0], ICON[1], "click", 3)
        return self.wait_menu()

    def wait_menu(self, timeout=15.0):
        """The open menu's info, once it has its place: the menu window shows
        before it is sized and moved (its rectangle reads 0,0,0,0 until then)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            menus = [w for w in self.windows() if w["class"] == "#32768" and w["visible"] == "1"
                     and w["rect"] != "0,0,0,0"]
            if menus:
                return menus[0]
            time.sleep(0.2)
        self.fail("the tray menu did not open")

    def choose(self, *keys):
        """Keys for the open menu: they reach the menu loop of the program's thread."""
        for key in keys:
            self.driver("key", self.timer, key)

    def hide_by_close(self):
        self.driver("click", self.timer, IDCANCEL)
        rc, out = self.driver("wait-hidden", self.timer, 15000, timeout=60)
        self.assertEqual(rc, 0, out)
        self.wait_buttons(0)

    def wait_buttons(self, count):
        """The taskbar adds and drops a window's button after the window has
        changed, in its own process: wait for it."""
        self.wait_for(lambda: len(self.window_buttons()), count, message="%d taskbar buttons" % count)

    def wait_menu_closed(self):
        self.wait_for(lambda: [w for w in self.windows() if w["class"] == "#32768" and w["visible"] == "1"], [],
                      message="the menu to close")

    def assert_shown_in_front(self):
        rc, out = self.driver("wait-visible", self.timer, 15000, timeout=60)
        self.assertEqual(rc, 0, "timer window not shown again: " + out)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and self.timer_info()["foreground"] != "1":
            time.sleep(0.2)
        info = self.timer_info()
        self.assertEqual(info["foreground"], "1", info)
        self.assertEqual(info["parent"], self.desktop(), "still under the hidden owner")
        self.wait_buttons(1)
        return info

    def shot(self):
        shot = Path(tempfile.mkdtemp(dir=self.prefix.path)) / "shot.png"
        screenshot(shot, self.prefix.env["DISPLAY"])
        return shot

    def pixels(self, rect, shot):
        """The screen's pixels inside rect (l, t, r, b), as (r, g, b) tuples."""
        l, t, r, b = rect
        out = subprocess.run(["/usr/bin/convert", str(shot), "-crop", "%dx%d+%d+%d" % (r - l, b - t, l, t),
                              "-depth", "8", "txt:-"],
                             stdout=subprocess.PIPE, check=True, timeout=60).stdout.decode()
        return [tuple(int(v) for v in m.groups())
                for m in re.finditer(r"^\d+,\d+: \((\d+),(\d+),(\d+)", out, re.M)]

    def color_fraction(self, rect, color, tolerance=0, shot=None):
        """Share of the screen's pixels inside rect within `tolerance` (per channel) of color."""
        pixels = self.pixels(rect, shot or self.shot())
        near = [p for p in pixels if all(abs(a - b) <= tolerance for a, b in zip(p, color))]
        return len(near) / max(len(pixels), 1)

    def black_fraction(self, rect):
        """Share of pure black pixels of the screen inside rect (l, t, r, b)."""
        return self.color_fraction(rect, (0, 0, 0))

    def text_rows(self, rect, shot):
        """Bands of rows inside rect that hold dark pixels (text), as (top, height)."""
        l, t, r, b = rect
        out = subprocess.run(["/usr/bin/convert", str(shot), "-crop", "%dx%d+%d+%d" % (r - l, b - t, l, t),
                              "-colorspace", "gray", "-threshold", "60%", "-negate", "-scale", "1x%d!" % (b - t),
                              "-format", "%[fx:0]", "txt:-"],
                             stdout=subprocess.PIPE, check=True, timeout=60).stdout.decode()
        dark = []
        for line in out.splitlines()[1:]:
            m = re.match(r"0,(\d+): \((\d+)", line)
            if m:
                dark.append(int(m.group(2)) > 0)
        bands, start = [], None
        for y, d in enumerate(dark + [False]):
            if d and start is None:
                start = y
            elif not d and start is not None:
                bands.append((start, y - start))
                start = None
        return bands

    def icon_is_ours(self, wait=15.0):
        """Whether the first icon of the notification area shows the program's
        clock: a blue ring around an off-white face (the empty area is white).
        The pointer moves away first, so that no tooltip or menu covers it;
        the shell draws the icon, and takes the tooltip away, in its own time."""
        self.xdotool("mousemove", 500, 500)
        l, t = ICON[0] - 8, ICON[1] - 8
        square = (l, t, l + 16, t + 16)
        deadline = time.monotonic() + wait
        while True:
            shot = self.shot()
            if (self.color_fraction(square, APP_RING, 40, shot) >= 0.05
                    and self.color_fraction(square, APP_FACE, 3, shot) >= 0.15):
                return True
            if time.monotonic() >= deadline:
                return False
            time.sleep(0.5)


class IconAndMenu(TrayCase):
    def test_icon_shows_its_tip_and_right_click_opens_the_menu_at_it(self):
        self.start()
        self.assertTrue(self.icon_is_ours(), "the notification area does not show the program's icon")
        self.assertEqual(self.tip_at_icon(), TIP)
        menu = self.open_menu()
        self.assertEqual(menu["pid"], self.timer_info()["pid"])
        l, t, r, b = map(int, menu["rect"].split(","))
        self.assertTrue(l <= ICON[0] <= r + 4 and t <= ICON[1] + 4, menu["rect"])
        # On the screen: four lines of text, and between the first and the
        # second the room of a separator. The menu is painted after it shows.
        bands = []

        def painted():
            bands[:] = self.text_rows((l + 3, t + 3, r - 3, b - 3), self.shot())
            return len(bands) == 4

        self.wait_until(painted, timeout=15, message="four lines of text in the menu")
        gaps = [b2[0] - b1[0] for b1, b2 in zip(bands, bands[1:])]
        self.assertGreaterEqual(gaps[0] - max(gaps[1:]), 4, bands)
        self.assertLessEqual(max(gaps[1:]) - min(gaps[1:]), 2, bands)
        self.choose(VK_ESCAPE)
        self.wait_menu_closed()
        self.assertIsNone(self.app.poll())

    def test_items_by_position_run_their_commands(self):
        self.start()
        self.hide_by_close()
        # First item (the default): the timer window.
        self.open_menu()
        self.choose(VK_DOWN, VK_RETURN)
        self.assert_shown_in_front()
        # Two steps down skip the separator: remote power on.
        self.open_menu()
        self.choose(VK_DOWN, VK_DOWN, VK_RETURN)
        rc, out = self.driver("wait-visible", "title:" + REMOTE_TITLE, 20000, timeout=60)
        self.assertEqual(rc, 0, "remote power-on window did not open: " + out)

    def test_other_icon_id_does_nothing(self):
        self.start()
        self.hide_by_close()
        for mouse in (WM_RBUTTONUP, WM_LBUTTONDBLCLK):
            rc, out = self.driver("send", self.timer, WM_TRAY_NOTIFY, TRAY_ID + 1, mouse)
            self.assertEqual((rc, out), (0, "result=0"))
        time.sleep(1.5)
        self.assertFalse([w for w in self.windows() if w["class"] == "#32768" and w["visible"] == "1"])
        self.assertEqual(self.timer_info()["visible"], "0")
        # The same notification with the icon's own id does act.
        self.driver("post", self.timer, WM_TRAY_NOTIFY, TRAY_ID, WM_LBUTTONDBLCLK)
        self.assert_shown_in_front()


class HideAndRestore(TrayCase):
    def test_double_click_brings_the_window_back_repainted_and_in_front(self):
        self.start()
        before = self.timer_info()
        self.wait_buttons(1)
        self.hide_by_close()
        self.xdotool("mousemove", ICON[0], ICON[1], "click", "--repeat", 2, "--delay", 80, 1)
        info = self.assert_shown_in_front()
        self.assertEqual(info["rect"], before["rect"])
        l, t, r, b = map(int, info["rect"].split(","))
        # A window shown again without a repaint keeps a black client area;
        # the banner strip is the only black the window draws itself. The
        # paint comes after the show: wait for it, bounded.
        self.wait_until(lambda: self.black_fraction((l, t, r, b)) < 0.2, timeout=15,
                        message="the client area to be painted, not left black")

    def test_close_removes_window_and_taskbar_button_while_the_tick_runs(self):
        due = datetime.datetime.now() + datetime.timedelta(seconds=25)
        self.prefix.write_ini("SOUND", {"DWSTART": 1, "DWACTION": 16, "DWHOUR": due.hour,
                                        "DWMIN": due.minute, "DWSEC": due.second, "DWDAY": 0})
        self.start()
        self.wait_buttons(1)
        self.hide_by_close()
        info = self.timer_info()
        self.assertEqual(info["visible"], "0")
        self.assertNotEqual(info["parent"], self.desktop())
        self.assertEqual(self.tip_at_icon(), TIP)
        rc, out = self.driver("wait-visible", "title:" + COUNTDOWN_TITLE, 60000, timeout=90)
        self.assertEqual(rc, 0, "no countdown from the hidden window's tick: " + out)
        self.driver("click", "title:" + COUNTDOWN_TITLE, IDC_COUNTDOWN_CANCEL)
        self.assertIsNone(self.app.poll())


class TracedTrayCase(TrayCase):
    """The program started with its shell calls traced."""

    def notify_calls(self):
        """Shell_NotifyIconA calls in the relay trace: (message, record, result)."""
        text = self.log.read_bytes().decode("latin-1")
        calls = re.findall(r"Call shell32\.Shell_NotifyIconA\(([0-9a-f]+),([0-9a-f]+)\).*?"
                           r"Ret  shell32\.Shell_NotifyIconA\(\) retval=([0-9a-f]+)", text, re.S)
        return [(int(m, 16), r, int(v, 16)) for m, r, v in calls]

    def start_traced(self):
        """Starts the program and waits for its icon's add: the window shows
        before the program asks the shell for it."""
        self.prefix.reg_add("HKCU\\Software\\Wine\\Debug", "RelayInclude", "shell32.Shell_NotifyIconA")
        self.log = self.prefix.path / "relay.log"
        self.start(extra_env={"WINEDEBUG": "+relay"}, log=self.log)
        self.wait_until(lambda: len(self.notify_calls()) >= 1, message="the icon's add")


class ShellBroadcastAndExit(TracedTrayCase):
    def test_taskbar_created_from_another_program_adds_the_icon_again(self):
        self.start_traced()
        self.assertEqual([c[0] for c in self.notify_calls()], [0])
        rc, out = self.driver("broadcast", "TaskbarCreated")
        self.assertEqual(rc, 0, out)
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and len(self.notify_calls()) < 3:
            time.sleep(0.2)
        calls = self.notify_calls()
        # The same record goes to the shell again as an add. Wine's shell still
        # holds the icon and refuses a second add of it; the program then finds
        # the icon still there (a modify succeeds) and keeps it as shown.
        self.assertEqual([c[0] for c in calls], [0, 0, 1])
        self.assertEqual(calls[1][1], calls[0][1])
        self.assertEqual(self.tip_at_icon(), TIP)
        self.open_menu()
        self.choose(VK_ESCAPE)

    def test_exit_item_removes_the_icon_and_ends_the_process(self):
        self.start_traced()
        self.hide_by_close()
        self.open_menu()
        self.choose(VK_UP, VK_RETURN)  # up from no selection: the last item
        self.assertEqual(self.app.wait(timeout=60), 0)
        calls = self.notify_calls()
        self.assertEqual([c[0] for c in calls], [0, 2])  # add, then one delete
        self.assertEqual(calls[1][2], 1)
        rc, out = self.driver("wait-gone", self.timer, 10000, timeout=60)
        self.assertEqual(rc, 0, out)
        self.assertIsNone(self.tip_at_icon(wait=4.0))


class CloseRequests(TracedTrayCase):
    """A close request to the program's hidden windows ends it as Exit does:
    the icon goes, no window is left half alive."""

    def assert_ended_with_the_icon_removed(self):
        self.assertEqual(self.app.wait(timeout=60), 0)
        calls = self.notify_calls()
        self.assertEqual(calls[-1][0], 2, calls)  # the last call deletes the icon...
        self.assertEqual(calls[-1][2], 1, calls)  # ...and the shell took it
        self.assertIsNone(self.tip_at_icon(wait=4.0), "the icon stayed behind")

    def test_wm_close_to_every_window_then_taskbar_created(self):
        # What taskkill without /F does, to a program hidden in the tray.
        self.start_traced()
        self.hide_by_close()
        pid = self.timer_info()["pid"]
        ours = [w for w in self.windows() if w["pid"] == pid]
        self.assertIn("VaroTimerTray", [w["class"] for w in ours])
        for window in ours:
            self.driver("post", "hwnd:" + window["hwnd"], WM_CLOSE, 0, 0)
        # A shell restart right after: the program has either ended, or it
        # would still hear this and put its icon back. It ends.
        self.driver("broadcast", "TaskbarCreated")
        self.assert_ended_with_the_icon_removed()

    def test_the_installers_close_by_class_name(self):
        self.start_traced()
        rc, out = self.driver("find", "class:VaroTimerTray")
        self.assertEqual(rc, 0, "no window of class VaroTimerTray: " + out)
        tray = parse_info(out)
        self.assertEqual(tray["pid"], self.timer_info()["pid"])
        self.assertEqual(tray["visible"], "0")
        self.driver("post", "class:VaroTimerTray", WM_CLOSE, 0, 0)
        self.assert_ended_with_the_icon_removed()


class ShellNotReady(TrayCase):
    """The test build with a shell that refuses the icon while a file exists,
    as a taskbar does that is not up yet at logon."""

    def start_refused(self):
        self.refusal = self.prefix.path / "drive_c" / "refuse-tray"
        self.refusal.write_bytes(b"")
        shutil.copy2(HOOKED_EXE, self.prefix.app_dir / "VaroTimer.exe")
        self.start(extra_env={"VARO_TEST_TRAY_REFUSE_WHILE": "C:\\refuse-tray"})

    def test_close_minimises_until_the_shell_takes_the_icon_then_hides(self):
        self.start_refused()
        time.sleep(5)  # two retries at least, all refused
        self.assertIsNone(self.tip_at_icon(wait=3.0))
        for close in (lambda: self.driver("click", self.timer, IDCANCEL),
                      lambda: self.driver("post", self.timer, WM_CLOSE, 0, 0)):
            self.driver("send", self.timer, WM_SYSCOMMAND, SC_RESTORE, 0)
            close()
            self.wait_until(lambda: self.timer_info()["iconic"] == "1", timeout=15, message="a minimised window")
            info = self.timer_info()
            self.assertEqual(info["visible"], "1", "hidden with no icon to bring it back")
            self.assertEqual(info["parent"], self.desktop())
            self.wait_buttons(1)  # the button to bring it back

        # The shell comes up: a retry adds the icon, within two seconds in the
        # program's first minute, within thirty after it.
        self.refusal.unlink()
        self.assertEqual(self.wait_tip(), TIP)
        self.assertTrue(self.icon_is_ours())
        # The icon's default command brings the window back from the taskbar,
        # and Close hides it into the tray again.
        self.driver("post", self.timer, WM_TRAY_NOTIFY, TRAY_ID, WM_LBUTTONDBLCLK)
        self.wait_until(lambda: self.timer_info()["iconic"] == "0", timeout=15, message="a restored window")
        self.assert_shown_in_front()
        self.hide_by_close()
        self.assertNotEqual(self.timer_info()["parent"], self.desktop())

    def test_taskbar_created_adds_a_refused_icon_at_once(self):
        self.start_refused()
        self.refusal.unlink()
        rc, out = self.driver("broadcast", "TaskbarCreated")
        self.assertEqual(rc, 0, out)
        self.assertEqual(self.tip_at_icon(wait=10.0), TIP)


class AddTimedOut(TrayCase):
    def test_an_icon_put_up_by_a_failed_add_is_gone_after_exit(self):
        shutil.copy2(HOOKED_EXE, self.prefix.app_dir / "VaroTimer.exe")
        self.start(extra_env={"VARO_TEST_TRAY_ADD_TIMES_OUT": "1"})
        self.assertEqual(self.wait_tip(), TIP)
        self.driver("command", self.timer, ID_APP_EXIT)
        self.assertEqual(self.app.wait(timeout=60), 0)
        self.assertIsNone(self.tip_at_icon(wait=4.0), "a ghost icon stayed behind")


class ExitFromNestedDialog(TrayCase):
    def test_exit_while_the_remote_dialog_is_open_ends_the_process(self):
        self.start()
        self.hide_by_close()
        self.driver("command", self.timer, ID_TRAY_REMOTE)
        rc, out = self.driver("wait-visible", "title:" + REMOTE_TITLE, 30000, timeout=60)
        self.assertEqual(rc, 0, "remote power-on window did not open: " + out)
        self.driver("command", self.timer, ID_APP_EXIT)
        posted = time.monotonic()
        self.assertEqual(self.app.wait(timeout=60), 0)
        self.assertLess(time.monotonic() - posted, 5.0, "the process took too long to end")
        self.assertIsNone(self.tip_at_icon(wait=4.0))


if __name__ == "__main__":
    unittest.main()
