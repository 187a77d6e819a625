"""The banner end to end: downloaded from a stand-in site reached through
the prefix's proxy (so the shipped URL and host name are used unchanged),
shown and animated in both windows, stopped and restarted with the timer
window, kept when the download fails, and a click that opens the site."""
import os
import re
import subprocess
import sys
import threading
import time
import unittest
from pathlib import Path

from varo_e2e import ROOT, TIMER_TITLE, AppTestCase, parse_info, stop

SITE_SCRIPT = ROOT / "scripts" / "banner-site.py"
SAMPLE = ROOT / "res" / "images" / "sorel-ads.gif"
MAKE_BANNER = ROOT / "res" / "images" / "make_banner.py"
BANNER_NAME = "sorel-ads.gif"
TIMER = "title:" + TIMER_TITLE
REMOTE_TITLE = "リモート電源オン"
IDC_BANNER, IDC_REMOTE_BANNER = 1013, 1014
ID_TRAY_SHOWTIMER, ID_TRAY_REMOTE, ID_APP_EXIT = 32771, 32772, 57665
WM_CLOSE = 0x10
INTERNET_SETTINGS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"


class Site:
    """scripts/banner-site.py on a free port of 127.0.0.1; collects its log."""

    def __init__(self, mode="ok", banner=SAMPLE, hostile=None):
        extra = ["--hostile", hostile] if hostile else []
        self.proc = subprocess.Popen([sys.executable, str(SITE_SCRIPT), "--port", "0", "--mode", mode,
                                      "--banner", str(banner)] + extra,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        first = self.proc.stdout.readline().decode().split()
        if len(first) != 2 or first[0] != "PORT":
            raise RuntimeError("banner site did not start")
        self.port = int(first[1])
        self.requests = []
        self.times = []  # when each request arrived (time.monotonic)
        threading.Thread(target=self._collect, daemon=True).start()

    def _collect(self):
        for line in self.proc.stdout:
            self.times.append(time.monotonic())
            self.requests.append(line.decode("utf-8", "replace").strip())

    def close(self):
        stop(self.proc)
        self.proc.stdout.close()

    def banner_requests(self):
        return len([r for r in self.requests if "/ads/" in r])


def closed_port():
    import socket
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


_earlier = []


def earlier_banner():
    """A banner of an earlier run: the same size as the site's sample but
    other bytes (5 frames at 300 ms), so that a scenario can tell whether the
    download replaced the file. The program folder copied into each prefix
    may hold the sample itself, left there by make run."""
    if not _earlier:
        import tempfile
        with tempfile.TemporaryDirectory() as work:
            path = Path(work) / "earlier.gif"
            subprocess.run([sys.executable, str(MAKE_BANNER), str(path), "--frames", "5", "--delay", "30"],
                           check=True, timeout=120, stdout=subprocess.DEVNULL)
            _earlier.append(path.read_bytes())
    if _earlier[0] == SAMPLE.read_bytes():
        raise RuntimeError("the earlier banner must differ from the site's")
    return _earlier[0]


class BannerCase(AppTestCase):
    def setUp(self):
        super().setUp()
        self.site = None
        # Every scenario starts from a banner other than the one served.
        self.banner_file.write_bytes(earlier_banner())

    def tearDown(self):
        if self.site:
            self.site.close()
        super().tearDown()

    def use_proxy(self, port):
        self.prefix.reg_add(INTERNET_SETTINGS, "ProxyEnable", 1, "REG_DWORD")
        self.prefix.reg_add(INTERNET_SETTINGS, "ProxyServer", "127.0.0.1:%d" % port)

    def serve(self, mode="ok", banner=SAMPLE, hostile=None):
        self.site = Site(mode, banner, hostile)
        self.use_proxy(self.site.port)

    @property
    def banner_file(self):
        return self.prefix.app_dir / BANNER_NAME

    def start_timer(self):
        """Starts the program, its debugger output to a log; answers when its
        window was seen visible."""
        self.debug_log = self.prefix.path / "debug.log"
        self.app = self.start_app(extra_env={"WINEDEBUG": "-all,+debugstr"}, log=self.debug_log)
        info = self.wait_timer_window()
        self.timer = "hwnd:" + info["hwnd"]
        return time.monotonic()

    def banner_outcomes(self):
        """What each ended download did to the banner file, in order, as the
        program tells the debugger: "replaced" or "kept"."""
        text = self.debug_log.read_bytes().decode("utf-8", "replace")
        return re.findall(BANNER_NAME.replace(".", r"\.") + r": (replaced|kept)", text)

    def wait_downloads(self, count):
        """The windows show before their downloads end: waits until count
        downloads have ended, and answers their outcomes."""
        self.wait_until(lambda: len(self.banner_outcomes()) >= count, timeout=60,
                        message="%d ended banner downloads" % count)
        return self.banner_outcomes()

    def wait_banner_size(self, target, ident, size=(237, 31)):
        """The control takes the banner's size once a banner arrives."""
        def size_now():
            l, t, r, b = self.child_rect(target, ident)
            return (r - l, b - t)
        self.wait_for(size_now, size, message="the banner control at the banner's size")

    def child_rect(self, target, ident):
        rc, out = self.driver("children", target)
        self.assertEqual(rc, 0, out)
        for line in out.splitlines():
            head, _, rest = line.strip().partition(" ")
            if head == "id=%d" % ident:
                return [int(v) for v in parse_info(rest)["rect"].split(",")]
        self.fail("no control %d in %s" % (ident, target))

    def pixels(self, rect):
        """The screen's RGB bytes inside rect (left, top, right, bottom)."""
        l, t, r, b = rect
        return subprocess.run(["/usr/bin/import", "-display", self.prefix.env["DISPLAY"], "-window", "root",
                               "-crop", "%dx%d+%d+%d" % (r - l, b - t, l, t), "rgb:-"],
                              stdout=subprocess.PIPE, check=True, timeout=60).stdout

    def assert_animates(self, rect):
        first = self.pixels(rect)
        self.wait_until(lambda: self.pixels(rect) != first, timeout=20, interval=0.3,
                        message="the banner to change")

    def wait_requests(self, count):
        """The site's log line of a request reaches us through a pipe and a
        thread, after the program may already have gone on: wait for it."""
        self.wait_until(lambda: self.site.banner_requests() >= count, timeout=30,
                        message="%d banner requests in the site's log" % count)
        return self.site.banner_requests()

    def app_pid(self):
        """The Linux process of VaroTimer.exe in this prefix."""
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                cmdline = (entry / "cmdline").read_bytes()
                environ = (entry / "environ").read_bytes()
            except OSError:
                continue
            if b"VaroTimer.exe" in cmdline and ("WINEPREFIX=%s" % self.prefix.path).encode() in environ:
                return int(entry.name)
        self.fail("VaroTimer.exe process not found")

    def thread_count(self):
        return len(os.listdir("/proc/%d/task" % self.app_pid()))

    def settle_threads(self):
        """The thread count once it has stayed the same for a second."""
        last, since = self.thread_count(), time.monotonic()
        deadline = since + 20
        while time.monotonic() < deadline:
            time.sleep(0.25)
            now = self.thread_count()
            if now != last:
                last, since = now, time.monotonic()
            elif time.monotonic() - since >= 1.0:
                return now
        return last


class BannerShown(BannerCase):
    def test_downloaded_banner_shows_at_its_size_and_animates(self):
        self.serve()
        self.start_timer()
        self.assertEqual(self.wait_downloads(1), ["replaced"])
        self.assertEqual(self.banner_file.read_bytes(), SAMPLE.read_bytes())
        self.wait_requests(1)
        self.assertTrue(any("/ads/" + BANNER_NAME in r and "VAROFETCH" in r for r in self.site.requests),
                        self.site.requests)
        self.wait_banner_size(self.timer, IDC_BANNER)
        self.assert_animates(self.child_rect(self.timer, IDC_BANNER))

    def test_close_stops_the_drawing_thread_and_restore_starts_exactly_one(self):
        self.serve()
        self.start_timer()
        animating = self.settle_threads()
        self.assertEqual(self.driver("post", self.timer, WM_CLOSE, 0, 0)[0], 0)
        self.assertEqual(self.driver("wait-hidden", self.timer, 20000, timeout=60)[0], 0)
        # The drawing thread ends after the window hides: wait for the count,
        # then for it to stay.
        self.wait_for(self.thread_count, animating - 1, message="the drawing thread to end")
        self.assertEqual(self.settle_threads(), animating - 1)
        for _ in range(2):  # shown twice: the second Start leaves the one thread
            self.assertEqual(self.driver("command", self.timer, ID_TRAY_SHOWTIMER)[0], 0)
            self.assertEqual(self.driver("wait-visible", self.timer, 20000, timeout=60)[0], 0)
            self.wait_for(self.thread_count, animating, message="one drawing thread")
            self.assertEqual(self.settle_threads(), animating)
        self.assert_animates(self.child_rect(self.timer, IDC_BANNER))

    def test_remote_window_shows_its_own_banner(self):
        self.serve()
        self.start_timer()
        before = self.wait_requests(1)
        self.assertEqual(self.driver("command", self.timer, ID_TRAY_REMOTE)[0], 0)
        rc, out = self.driver("wait-visible", "title:" + REMOTE_TITLE, 30000, timeout=60)
        self.assertEqual(rc, 0, out)
        self.assertEqual(self.wait_requests(before + 1), before + 1, "downloaded again")
        self.wait_banner_size("title:" + REMOTE_TITLE, IDC_REMOTE_BANNER)
        self.assert_animates(self.child_rect("title:" + REMOTE_TITLE, IDC_REMOTE_BANNER))


class BannerKept(BannerCase):
    """A failed download keeps the banner of an earlier run, and shows it."""

    def assert_previous_banner_shown(self):
        self.assertEqual(self.wait_downloads(1), ["kept"])
        self.assertEqual(self.banner_file.read_bytes(), earlier_banner())
        self.wait_banner_size(self.timer, IDC_BANNER)
        self.assert_animates(self.child_rect(self.timer, IDC_BANNER))

    def test_server_down(self):
        self.use_proxy(closed_port())
        self.start_timer()
        self.assert_previous_banner_shown()

    def test_error_page_is_not_taken_for_the_banner(self):
        for mode in ("404", "500"):
            with self.subTest(mode=mode):
                self.serve(mode)
                self.start_timer()
                self.wait_requests(1)  # the site was asked
                self.assert_previous_banner_shown()
                stop(self.app)
                self.site.close()

    def test_stalling_server_gets_its_request_after_the_window_shows(self):
        # The window does not wait for the download: it is up before the
        # request goes out, and the download gives up on its own.
        self.serve("stall")
        shown = self.start_timer()
        self.wait_requests(1)
        # The window was seen through the driver, a round trip late: the
        # request of a window that waited would come 3 s before it.
        self.assertGreater(self.site.times[0], shown - 1.5, "the request came before the window")
        self.assert_previous_banner_shown()

    def test_program_ends_while_an_abandoned_download_still_hangs(self):
        # A proxy whose queue is full never answers the connect.
        import socket
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(0)
        fillers = []
        for _ in range(4):
            s = socket.socket()
            s.setblocking(False)
            s.connect_ex(listener.getsockname())
            fillers.append(s)
        try:
            self.use_proxy(listener.getsockname()[1])
            self.start_timer()
            self.assert_previous_banner_shown()
            self.assertEqual(self.driver("command", self.timer, ID_APP_EXIT)[0], 0)
            self.app.wait(timeout=30)
        finally:
            for s in fillers:
                s.close()
            listener.close()


class BannerClick(BannerCase):
    def test_click_opens_the_site_in_the_browser(self):
        # The prefix's browser for http URLs writes down what it was given.
        record = "C:\\clicked.txt"
        self.prefix.wine64("reg", "add", "HKCR\\http\\shell\\open\\command", "/ve", "/d",
                         "C:\\windows\\system32\\cmd.exe /c echo %%1> %s" % record, "/f", check=True)
        self.serve()
        self.start_timer()
        self.driver("foreground", self.timer)
        l, t, r, b = self.child_rect(self.timer, IDC_BANNER)
        subprocess.run(["xdotool", "mousemove", str((l + r) // 2), str((t + b) // 2), "click", "1"],
                       env=self.prefix.env, check=True, timeout=60)
        clicked = self.prefix.path / "drive_c" / "clicked.txt"
        self.wait_until(clicked.exists, timeout=30, message="the browser to be started")
        self.wait_until(lambda: clicked.read_bytes().strip() != b"", timeout=10, message="its argument")
        self.assertEqual(clicked.read_bytes().decode("ascii", "replace").strip(), "http://www.lumetra.example/")


if __name__ == "__main__":
    unittest.main()
