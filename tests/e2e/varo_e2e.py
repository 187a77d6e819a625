"""Harness for the end-to-end scenarios: a throwaway Wine prefix, the real
VaroTimer.exe started in it, and the driver program that reads and drives
its windows from a second process on the same virtual desktop.

The scenarios run inside scripts/wine-sandbox.sh, which provides the private
network namespace, the Xvfb display and the template prefix (VARO_TEMPLATE).
"""
import os
import queue
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest
from pathlib import Path

ROOT = Path(os.environ.get("VARO_ROOT", Path(__file__).resolve().parents[2]))
EXE = Path(os.environ.get("VARO_EXE", ROOT / "out" / "VaroTimer" / "VaroTimer.exe"))
DRIVER = Path(os.environ.get("VARO_DRIVER", ROOT / "build" / "win32" / "tests" / "e2e" / "driver.exe"))
TEMPLATE = Path(os.environ.get("VARO_TEMPLATE", ROOT / "build" / "wine-template"))
# The test build (VARO_TEST_HOOKS) lives in the build folder, two levels above the driver.
HOOKED_EXE = Path(os.environ.get("VARO_TEST_HOOKS_EXE", ROOT / "build" / "product" / "test-hooks" / "VaroTimer.exe"))

# Wine's 64-bit loader, as the sandbox found it: Wine's own programs are
# 64-bit in this prefix.
WINE64 = os.environ.get("VARO_WINE64", "wine")

TIMER_TITLE = "電源タイマープログラム"
APP_DIR_WIN = "C:\\VaroTimer"


class Prefix:
    """A fresh copy of the template prefix with its own wineserver."""

    def __init__(self, windows_version=None, copy_app=True, dpi=None):
        if not TEMPLATE.is_dir():
            raise RuntimeError("no Wine template prefix at %s (run inside scripts/wine-sandbox.sh)" % TEMPLATE)
        self._driver = None
        self.xvfb = None
        self.path = Path(tempfile.mkdtemp(prefix="varo-e2e-"))
        shutil.rmtree(self.path)
        self.env = dict(os.environ)
        self.env.update(WINEPREFIX=str(self.path), WINEDEBUG="-all", LANG="ja_JP.UTF-8",
                        LC_ALL="ja_JP.UTF-8", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("WINESERVER", None)
        try:
            self._open(windows_version, copy_app, dpi)
        except BaseException:
            self.close()  # what was started so far: a test whose setUp failed gets no tearDown
            raise

    def _open(self, windows_version, copy_app, dpi=None):
        if os.environ.get("VARO_PREFIX_OVERLAY") == "1":
            # The sandbox's own mount namespace: the template through an overlay.
            subprocess.run([str(ROOT / "scripts" / "overlay-prefix.sh"), str(TEMPLATE), str(self.path)], check=True)
        else:
            subprocess.run(["cp", "-a", str(TEMPLATE), str(self.path)], check=True)
            (self.path / "wineserver").unlink(missing_ok=True)
        windows_version = windows_version or os.environ.get("VARO_WINDOWS_VERSION")
        if windows_version:
            set_program_windows_version(self.path, windows_version)
        if dpi:
            set_screen_dpi(self.path, dpi)
        # A display of its own: two virtual desktops on one display collide.
        self.xvfb, display = start_xvfb()
        self.env["DISPLAY"] = display
        # Now and then (about one prefix start in a hundred, on an idle
        # machine too) the desktop never comes, however long the first
        # program waits; Wine started again in the prefix brings it. Once.
        for _ in range(2):
            up, out = self._start_wine()
            if up:
                break
            self._stop_wine()
        else:
            raise RuntimeError("the virtual desktop did not come up, twice: " + out)
        self.app_dir = self.path / "drive_c" / "VaroTimer"
        if not copy_app:
            return  # the scenario installs the program its own way
        self.app_dir.mkdir(parents=True, exist_ok=True)
        for item in EXE.parent.iterdir():
            if item.is_file():
                shutil.copy2(item, self.app_dir / item.name)
        shutil.copy2(EXE, self.app_dir / "VaroTimer.exe")

    def _start_wine(self):
        """The prefix's server, services and virtual desktop; answers whether
        the desktop came, and the driver's last word."""
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        # Wine's services first, started by Wine's own 64-bit program: the
        # 32-bit loader runs emulated here and costs most of a second. They
        # must not inherit a pipe of ours, or reading it would wait for them.
        self.wine64("wineboot", timeout=300, capture=False)
        # Then the driver, to stay: it starts the virtual desktop and, as a
        # user of it, keeps Wine from closing it whenever no program of the
        # scenario's is running (a program that starts just then finds no
        # desktop).
        self._driver = DriverProcess(self.env)
        rc, out = self.driver("wait-visible", "class:Shell_TrayWnd", 90000, timeout=150)
        return rc == 0, out

    def _stop_wine(self):
        """Ends every Wine process of this prefix, and its server."""
        if self._driver is not None:
            self._driver.stop()
            self._driver = None
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)

    @property
    def windows_dir(self):
        return self.path / "drive_c" / "windows"

    def ini_path(self, name="VaroTimer.INI"):
        return self.windows_dir / name

    def write_ini(self, section, entries, name="VaroTimer.INI"):
        lines = ["[%s]" % section] + ["%s=%s" % (k, v) for k, v in entries.items()]
        self.ini_path(name).write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))

    def read_ini(self, name="VaroTimer.INI"):
        """Returns {section: {entry: text}} as the file stands."""
        result, section = {}, None
        path = self.ini_path(name)
        if not path.exists():
            return result
        for raw in path.read_bytes().decode("cp932").splitlines():
            line = raw.strip()
            if line.startswith("[") and line.endswith("]"):
                section = result.setdefault(line[1:-1], {})
            elif "=" in line and section is not None:
                key, value = line.split("=", 1)
                section[key] = value
        return result

    def wine(self, *args, timeout=60, env=None, check=False, capture=True, loader="wine"):
        out = subprocess.PIPE if capture else subprocess.DEVNULL
        return subprocess.run([loader, *args], env=env or self.env, timeout=timeout, check=check,
                              stdin=subprocess.DEVNULL, stdout=out, stderr=out)

    def wine64(self, *args, **kwargs):
        """Runs one of Wine's own programs (reg, wineboot...) through the
        64-bit loader, natively: the same program through "wine" first
        starts the emulated 32-bit loader."""
        return self.wine(*args, loader=WINE64, **kwargs)

    def reg_add(self, key, name, value, kind="REG_SZ", view32=False):
        args = ["reg", "add", key, "/v", name, "/t", kind, "/d", str(value), "/f"]
        if view32:
            args.append("/reg:32")
        self.wine64(*args, check=True)

    def start_app(self, extra_env=None, log=None):
        """Starts VaroTimer.exe from its folder; returns the Popen."""
        env = dict(self.env)
        env.update(extra_env or {})
        out = open(log, "wb") if log else subprocess.DEVNULL
        try:
            return subprocess.Popen(["wine", APP_DIR_WIN + "\\VaroTimer.exe"], env=env,
                                    cwd=str(self.app_dir), stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT)
        finally:
            if log:
                out.close()

    def driver(self, *args, timeout=60):
        """Runs one driver command; returns (exit status, output text).

        The commands go to one driver process per prefix ("driver serve"):
        starting a Wine process costs more than most commands take."""
        if self._driver is None or self._driver.poll() is not None:
            self._driver = DriverProcess(self.env)
        try:
            return self._driver.run(args, timeout)
        except subprocess.TimeoutExpired:
            self._driver.stop()
            self._driver = None
            raise

    def close(self):
        if self.path.is_dir():
            self._stop_wine()
        elif self._driver is not None:
            self._driver.stop()
        if self.xvfb is not None:
            stop(self.xvfb)
        if os.path.ismount(self.path):
            subprocess.run(["umount", str(self.path)], check=False)
        shutil.rmtree(self.path, ignore_errors=True)
        shutil.rmtree(str(self.path) + ".layers", ignore_errors=True)


class DriverProcess:
    """A "driver serve" process: one command per line in, each answer ends
    with a line "\\x1e<status>". Lines are read by a thread of their own, so
    that a wait can end on time and a driver that died is noticed."""

    END = b"\x1e"

    def __init__(self, env):
        self.proc = subprocess.Popen(["wine", str(DRIVER), "serve"], env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, args=(self.proc.stdout, self.lines), daemon=True).start()

    @staticmethod
    def _read(stream, lines):
        for line in iter(stream.readline, b""):
            lines.put(line)
        lines.put(None)

    def poll(self):
        return self.proc.poll()

    def run(self, args, timeout):
        if any("\t" in str(a) or "\n" in str(a) for a in args):
            raise ValueError("a driver argument holds a tab or a line break: %r" % (args,))
        try:
            self.proc.stdin.write(("\t".join(map(str, args)) + "\n").encode("utf-8"))
            self.proc.stdin.flush()
        except OSError:
            return self._ended([])
        out, deadline = [], time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=min(0.5, max(0.0, deadline - time.monotonic())))
            except queue.Empty:
                if self.proc.poll() is not None:
                    return self._ended(out)
                if time.monotonic() >= deadline:
                    raise subprocess.TimeoutExpired(["driver", *map(str, args)], timeout)
                continue
            if line is None:
                return self._ended(out)
            if line.startswith(self.END):
                return int(line[1:]), b"".join(out).decode("utf-8", "replace").strip()
            out.append(line)

    def _ended(self, out):
        """The driver died mid-command (a power action ends every process of
        the prefix): answer as the one-shot driver's killed process would."""
        try:
            status = self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            status = None
        return status if status not in (None, 0) else 1, b"".join(out).decode("utf-8", "replace").strip()

    def stop(self):
        stop(self.proc)
        for stream in (self.proc.stdin, self.proc.stdout):
            try:
                stream.close()
            except OSError:
                pass


def set_program_windows_version(prefix, version):
    """Makes Wine report VERSION ("winxp", "win7", "win10", "win98"...) to
    VaroTimer.exe alone, through the program's application default. Written
    into the registry file before the prefix's server starts: a reg call
    costs seconds under emulation. (winecfg -v refuses 16-bit-era versions in
    a 64-bit prefix, and would change the driver's version too.)"""
    with open(prefix / "user.reg", "a", encoding="ascii", newline="\n") as reg:
        reg.write('\n[Software\\\\Wine\\\\AppDefaults\\\\VaroTimer.exe] %d\n"Version"="%s"\n'
                  % (time.time(), version))


def set_screen_dpi(prefix, dpi):
    """Gives every program of the prefix a screen of DPI pixels per inch
    (96 is 100 %, 144 is 150 %), written before the prefix's server starts."""
    with open(prefix / "user.reg", "a", encoding="ascii", newline="\n") as reg:
        reg.write('\n[Control Panel\\\\Desktop] %d\n"LogPixels"=dword:%08x\n' % (time.time(), dpi))


def start_xvfb():
    """Starts an Xvfb on a free display number; returns (Popen, ":N")."""
    read_end, write_end = os.pipe()
    with tempfile.TemporaryFile() as errors:
        proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp", "-nolock"], pass_fds=(write_end,),
                                stdout=subprocess.DEVNULL, stderr=errors)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            stop(proc)
            errors.seek(0)
            raise RuntimeError("Xvfb did not start: " + errors.read().decode("utf-8", "replace")[-2000:])
    return proc, ":" + number


def parse_info(text):
    """Turns the driver's 'key=value ...' line into a dict (title last)."""
    info = {}
    head, _, title = text.partition(" title=")
    for part in head.split():
        if "=" in part:
            key, value = part.split("=", 1)
            info[key] = value
    info["title"] = title
    return info


def stop(proc, timeout=10):
    """Ends a process this test started, by PID."""
    if proc.poll() is None:
        proc.send_signal(signal.SIGKILL)
    try:
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        pass


def screenshot(path, display):
    subprocess.run(["/usr/bin/import", "-display", display, "-window", "root", str(path)],
                   check=False, timeout=60)


class AppTestCase(unittest.TestCase):
    """One fresh prefix per test; helpers to start the program and wait on it."""

    windows_version = None
    copy_app = True  # False: C:\VaroTimer stays empty
    dpi = None  # e.g. 144: the screen's DPI in the prefix

    def setUp(self):
        self.prefix = Prefix(self.windows_version, self.copy_app, self.dpi)
        self.procs = []

    def tearDown(self):
        for proc in self.procs:
            stop(proc)
        self.prefix.close()

    def start_app(self, **kwargs):
        proc = self.prefix.start_app(**kwargs)
        self.procs.append(proc)
        return proc

    def driver(self, *args, **kwargs):
        return self.prefix.driver(*args, **kwargs)

    def wait_timer_window(self, timeout_ms=60000):
        rc, out = self.driver("wait-visible", "title:" + TIMER_TITLE, timeout_ms, timeout=timeout_ms / 1000 + 30)
        self.assertEqual(rc, 0, "timer window did not appear: " + out)
        return parse_info(out)

    def item(self, target, item_id):
        rc, out = self.driver("item", target, item_id)
        self.assertEqual(rc, 0, out)
        return parse_info(out)

    def wait_until(self, predicate, timeout=20.0, interval=0.25, message="condition"):
        self.wait_for(lambda: bool(predicate()), True, timeout=timeout, interval=interval, message=message)

    def wait_for(self, read, expected, timeout=30.0, interval=0.25, message="value"):
        """Waits until read() answers expected, as it does once the program has
        acted; fails naming what was awaited and what was read last."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                last = read()
            except (KeyError, OSError, UnicodeDecodeError) as error:
                last = error  # a file caught while the program rewrites it
            if last == expected:
                return last
            if time.monotonic() >= deadline:
                self.fail("timed out waiting for %s: expected %r, last read %r" % (message, expected, last))
            time.sleep(interval)
