"""The installer end to end: a silent install into a throwaway prefix, the
program started the way its Start menu shortcut starts it, the list saved in
the folder the installer named in the registry, and silent uninstalls that
keep the user's data, or remove it when asked. Then what users do next, with
the program running and hidden in the tray: an upgrade, an uninstall, and an
upgrade that meets a file it cannot write."""
import datetime
import os
import re
import stat
import struct
import subprocess
import unittest
from pathlib import Path, PureWindowsPath

from test_banner import IDC_BANNER, SAMPLE, BannerCase, closed_port
from test_remote import ADD, REMOTE, RemoteDialogCase, list_file
from varo_e2e import DRIVER, EXE, ROOT, TIMER_TITLE, AppTestCase, stop


def product_version():
    text = (ROOT / "res" / "version.rc").read_text(encoding="utf-8")
    return ".".join(re.search(r"^\s*PRODUCTVERSION\s+(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", text, re.M).groups())


VERSION = product_version()
SETUP = Path(os.environ.get("VARO_SETUP", ROOT / "out" / "dist" / ("VaroTimer-%s-setup.exe" % VERSION)))
TIMER = "title:" + TIMER_TITLE
IDCANCEL = 2
TIMERON = 1057

# Where a 32-bit program lands in the (64-bit) test prefix.
PROGRAM_DIR = "C:\\Program Files (x86)\\VaroTimer"
DATA_DIR = "C:\\ProgramData\\Lumetra\\VaroTimer"
PROGRAMS = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
STARTUP = PROGRAMS + "\\StartUp"
PRODUCT_KEY = "HKLM\\Software\\Lumetra\\VaroTimer"
MAKER_KEY = "HKLM\\Software\\Lumetra"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VaroTimer"
EXE_WIN = PROGRAM_DIR + "\\VaroTimer.exe"
UNINSTALLER_WIN = PROGRAM_DIR + "\\uninstall.exe"


def utf16z(data, pos):
    end = pos
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[pos:end].decode("utf-16-le")


def read_shortcut(data):
    """(target, working directory) of a shell link file's bytes."""
    flags = struct.unpack_from("<I", data, 0x14)[0]
    unicode = bool(flags & 0x80)
    pos = 0x4C
    if flags & 0x01:  # item id list
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & 0x02:  # link info
        size, header_size, info_flags = struct.unpack_from("<III", data, pos)
        if info_flags & 0x01:
            if header_size >= 0x24:
                target = utf16z(data, pos + struct.unpack_from("<I", data, pos + 0x1C)[0])
            else:
                offset = struct.unpack_from("<I", data, pos + 0x10)[0]
                target = data[pos + offset:data.index(b"\0", pos + offset)].decode("cp932")
        pos += size
    strings = {}
    for flag, name in ((0x04, "name"), (0x08, "relative"), (0x10, "workdir"), (0x20, "args"), (0x40, "icon")):
        if flags & flag:
            count = struct.unpack_from("<H", data, pos)[0]
            pos += 2
            width = 2 if unicode else 1
            raw = data[pos:pos + count * width]
            # Wine counts the terminating zero; Windows does not.
            strings[name] = raw.decode("utf-16-le" if unicode else "cp932").rstrip("\0")
            pos += count * width
    return target, strings.get("workdir")


class InstalledCase(RemoteDialogCase, BannerCase):
    """A prefix without the program; the test installs it."""

    copy_app = False

    def setUp(self):
        AppTestCase.setUp(self)  # nothing is started before the install
        self.site = None
        self.assertTrue(SETUP.is_file(), "no installer at %s (make dist makes it)" % SETUP)
        # Shortcuts must not leave desktop entries in the host's home folder.
        self.prefix.env["WINEDLLOVERRIDES"] += ";winemenubuilder.exe=d"
        self.use_proxy(closed_port())  # the banner download fails at once

    @property
    def list_path(self):
        return self.unix(DATA_DIR) / "varotimer.dat"

    def unix(self, windows_path):
        parts = PureWindowsPath(windows_path).parts
        self.assertEqual(parts[0].upper(), "C:\\")
        return self.prefix.path.joinpath("drive_c", *parts[1:])

    def install(self, *options, status=0):
        downloads = self.unix("C:\\Downloads")
        downloads.mkdir(exist_ok=True)
        (downloads / SETUP.name).write_bytes(SETUP.read_bytes())
        # Not through a pipe: the program the installer starts again would
        # hold it open.
        log = self.prefix.path / "setup.log"
        with open(log, "wb") as out:
            done = subprocess.run(["wine", "C:\\Downloads\\" + SETUP.name, "/S", *options], env=self.prefix.env,
                                  timeout=600, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
        self.assertEqual(done.returncode, status, log.read_bytes())

    def uninstall(self, *options):
        """Runs the entry's quiet command; the uninstaller copies itself to the
        temporary folder and returns at once, so wait for that copy to end."""
        command = self.reg_values(UNINSTALL_KEY)["QuietUninstallString"]
        program, args = re.fullmatch(r'"([^"]+)"\s*(.*)', command).groups()
        done = self.prefix.wine(program, *args.split(), *options, timeout=300)
        self.assertEqual(done.returncode, 0, done.stdout)
        self.wait_until(lambda: not self.wine_processes("~nsu"), timeout=300, interval=1,
                        message="the uninstaller to end")

    def wine_processes(self, text):
        """Command lines of this prefix's processes that contain text."""
        found = []
        marker = ("WINEPREFIX=%s\0" % self.prefix.path).encode()
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                if marker not in (entry / "environ").read_bytes():
                    continue
                cmdline = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode("utf-8", "replace")
            except OSError:
                continue
            if text in cmdline:
                found.append(cmdline)
        return found

    def reg_values(self, key, view=32):
        """{name: text} of a key in the given registry view; None when it is missing."""
        done = self.prefix.wine64("reg", "query", key, "/reg:%d" % view)
        if done.returncode != 0:
            return None
        values = {}
        for line in done.stdout.decode("utf-8", "replace").splitlines():
            match = re.match(r"^ {4}(.*?) {4}(REG_\w+) {4}(.*)$", line)
            if match:
                values[match.group(1)] = match.group(3)
        return values

    def shortcut(self, folder):
        path = self.unix(folder) / "VaroTimer.lnk"
        self.assertTrue(path.is_file(), "no shortcut in " + folder)
        return read_shortcut(path.read_bytes())

    def write_profile(self):
        self.prefix.write_ini("SOUND", {"DWSTART": 1, "DWACTION": 16, "DWHOUR": 23, "DWMIN": 0, "DWSEC": 0,
                                        "DWDAY": 0})


class RunningCase(InstalledCase):
    """An install whose program runs from its Start menu shortcut, armed for
    an hour ago every day (so that it never fires during the scenario), and
    closed into the tray."""

    def install_and_run_in_tray(self):
        self.install()
        # The installed program made to differ from the one the next install
        # brings: bytes after the image change nothing when it runs.
        self.old_exe = EXE.read_bytes() + b"an earlier build"
        (self.unix(PROGRAM_DIR) / "VaroTimer.exe").write_bytes(self.old_exe)
        due = datetime.datetime.now() - datetime.timedelta(hours=1)
        self.prefix.write_ini("SOUND", {"DWSTART": 1, "DWACTION": 16, "DWHOUR": due.hour, "DWMIN": due.minute,
                                        "DWSEC": 0, "DWDAY": 0})
        self.profile = self.prefix.ini_path().read_bytes()
        target, workdir = self.shortcut(PROGRAMS)
        self.procs.append(subprocess.Popen(["wine", target], env=self.prefix.env, cwd=str(self.unix(workdir)),
                                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL))
        self.wait_timer_window()
        self.assertEqual(self.item(TIMER, TIMERON)["checked"], "1")
        self.driver("click", TIMER, IDCANCEL)
        rc, out = self.driver("wait-hidden", TIMER, 15000, timeout=60)
        self.assertEqual(rc, 0, out)
        return self.procs[-1]

    def assert_runs_again_armed(self):
        """A copy started by the installer runs, and its schedule is on."""
        self.wait_timer_window(timeout_ms=120000)
        self.assertEqual(self.item(TIMER, TIMERON)["checked"], "1")
        self.assertEqual(len(self.wine_processes("VaroTimer.exe")), 1, self.wine_processes("VaroTimer.exe"))
        self.assertEqual(self.prefix.ini_path().read_bytes(), self.profile)


class UpgradeOverTray(RunningCase):
    def test_upgrade_ends_the_copy_in_the_tray_replaces_it_and_starts_it_again(self):
        old = self.install_and_run_in_tray()
        self.install()
        self.assertIsNotNone(old.poll(), "the copy in the tray still runs")
        program = self.unix(PROGRAM_DIR)
        self.assertEqual((program / "VaroTimer.exe").read_bytes(), EXE.read_bytes())
        self.assertEqual(sorted(p.name for p in program.iterdir()),
                         ["VaroTimer.chm", "VaroTimer.exe", "sorel-ads.gif", "uninstall.exe"])
        self.assert_runs_again_armed()


class UninstallOverTray(RunningCase):
    def test_uninstall_ends_the_copy_in_the_tray_and_removes_its_files(self):
        old = self.install_and_run_in_tray()
        self.uninstall()
        self.assertIsNotNone(old.poll(), "the copy in the tray still runs")
        self.assertEqual(self.wine_processes("VaroTimer.exe"), [])
        self.assertFalse(self.unix(PROGRAM_DIR).exists(),
                         list(self.unix(PROGRAM_DIR).iterdir()) if self.unix(PROGRAM_DIR).exists() else None)
        self.assertIsNone(self.reg_values(UNINSTALL_KEY))
        self.assertEqual(self.prefix.ini_path().read_bytes(), self.profile)


class UpgradeMeetsUnwritableFile(RunningCase):
    """The help file held open by another program, as a help viewer or a
    virus scanner holds it, for the whole install."""

    def test_install_fails_visibly_and_the_old_install_stays_whole(self):
        old = self.install_and_run_in_tray()
        program = self.unix(PROGRAM_DIR)
        before = {p.name: p.read_bytes() for p in program.iterdir()}
        entry = self.reg_values(UNINSTALL_KEY)
        holder = subprocess.Popen(["wine", str(DRIVER), "hold", PROGRAM_DIR + "\\VaroTimer.chm", "600000"],
                                  env=self.prefix.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
        self.procs.append(holder)
        self.assertEqual(holder.stdout.readline().strip(), b"held")
        holder.stdout.close()

        self.install(status=2)
        self.assertEqual({p.name: p.read_bytes() for p in program.iterdir()}, before)
        self.assertEqual(before["VaroTimer.exe"], self.old_exe)
        self.assertEqual(self.reg_values(UNINSTALL_KEY), entry)
        # Stopped before anything changed: the copy in the tray was left running.
        self.assertIsNone(old.poll(), "the copy in the tray was ended for an install that could not be done")
        self.assertEqual(len(self.wine_processes("VaroTimer.exe")), 1)
        self.assertEqual(self.driver("wait-hidden", TIMER, 1000)[0], 0)
        stop(holder)


class UpgradeMeetsCopyOfAnotherSession(RunningCase):
    """A copy on another desktop stands in for one in another user's
    session: the installer's window search cannot see it, and its program
    file cannot be written while it runs."""

    def test_install_says_so_and_stops(self):
        self.install()
        program = self.unix(PROGRAM_DIR)
        installed = program / "VaroTimer.exe"
        installed.write_bytes(EXE.read_bytes() + b"an earlier build")
        before = {p.name: p.read_bytes() for p in program.iterdir()}
        self.procs.append(subprocess.Popen(["wine", "explorer", "/desktop=other,640x480", EXE_WIN],
                                           env=self.prefix.env, cwd=str(program), stdin=subprocess.DEVNULL,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        self.wait_until(lambda: self.maps_of(installed), timeout=120, message="the other copy to run")

        self.install(status=2)
        self.assertEqual({p.name: p.read_bytes() for p in program.iterdir()}, before)
        self.assertTrue(self.maps_of(installed), "the other copy was ended")

    def maps_of(self, path):
        """Processes of this prefix that have path mapped."""
        found = []
        marker = ("WINEPREFIX=%s\0" % self.prefix.path).encode()
        for entry in Path("/proc").iterdir():
            try:
                if entry.name.isdigit() and marker in (entry / "environ").read_bytes() \
                        and str(path) in (entry / "maps").read_text(errors="replace"):
                    found.append(entry.name)
            except OSError:
                continue
        return found


class ListIsKept(InstalledCase):
    """The user's list is where the installed program looks, whichever copy
    kept it before."""

    def test_installpath_naming_a_folder_with_a_list_stays(self):
        kept = self.unix("C:\\Lists")
        kept.mkdir()
        saved = list_file(("PC1", "00-11-22-33-44-55", "40000"))
        (kept / "varotimer.dat").write_bytes(saved)
        self.prefix.reg_add(PRODUCT_KEY, "installpath", "C:\\Lists", view32=True)
        self.install()
        self.assertEqual(self.reg_values(PRODUCT_KEY), {"installpath": "C:\\Lists"})
        self.assertEqual((kept / "varotimer.dat").read_bytes(), saved)
        self.assertEqual(self.shortcut(PROGRAMS), (EXE_WIN, "C:\\Lists"))

    def test_running_portable_copy_is_ended_and_its_list_brought_along(self):
        portable = self.unix("C:\\Portable")
        portable.mkdir()
        (portable / "VaroTimer.exe").write_bytes(EXE.read_bytes())
        saved = list_file(("PC2", "00-11-22-33-44-66", "40000"))
        (portable / "varotimer.dat").write_bytes(saved)
        self.procs.append(subprocess.Popen(["wine", "C:\\Portable\\VaroTimer.exe"], env=self.prefix.env,
                                           cwd=str(portable), stdin=subprocess.DEVNULL,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        self.wait_timer_window()
        self.install()
        self.assertIsNotNone(self.procs[0].poll(), "the portable copy still runs")
        self.assertEqual(self.list_path.read_bytes(), saved)
        self.assertEqual((portable / "varotimer.dat").read_bytes(), saved)
        # The installed program runs in its place.
        self.wait_timer_window(timeout_ms=120000)
        self.assertEqual([line for line in self.wine_processes("VaroTimer.exe") if "Portable" in line], [])
        self.assertEqual(len(self.wine_processes("VaroTimer.exe")), 1)


class SilentInstall(InstalledCase):
    def test_install_then_the_list_lands_in_installpath_and_uninstall_keeps_it(self):
        self.install()
        program = self.unix(PROGRAM_DIR)
        self.assertEqual(sorted(p.name for p in program.iterdir()),
                         ["VaroTimer.chm", "VaroTimer.exe", "sorel-ads.gif", "uninstall.exe"])
        self.assertEqual((program / "VaroTimer.exe").read_bytes(), EXE.read_bytes())
        self.assertEqual((program / "sorel-ads.gif").read_bytes(), SAMPLE.read_bytes())

        self.assertEqual(self.reg_values(PRODUCT_KEY), {"installpath": DATA_DIR})
        self.assertIsNone(self.reg_values(PRODUCT_KEY, view=64), "written to the 64-bit view")
        self.assertTrue(self.unix(DATA_DIR).is_dir())
        # Wine keeps a folder's access list as its Unix mode: the entry that
        # lets Users modify the data folder shows as the group's write bit.
        self.assertTrue(self.unix(DATA_DIR).stat().st_mode & stat.S_IWGRP, "Users may not modify the data folder")
        self.assertFalse(self.unix(DATA_DIR).parent.stat().st_mode & stat.S_IWGRP)

        entry = self.reg_values(UNINSTALL_KEY)
        self.assertEqual(entry["DisplayName"], "VaroTimer")
        self.assertEqual(entry["DisplayVersion"], VERSION)
        self.assertEqual(entry["Publisher"], "Lumetra")
        self.assertEqual(entry["DisplayIcon"], EXE_WIN + ",0")
        self.assertEqual(entry["InstallLocation"], PROGRAM_DIR)
        self.assertEqual(entry["UninstallString"], '"%s"' % UNINSTALLER_WIN)
        self.assertEqual(entry["QuietUninstallString"], '"%s" /S' % UNINSTALLER_WIN)
        self.assertEqual((entry["NoModify"], entry["NoRepair"]), ("0x1", "0x1"))
        self.assertGreater(int(entry["EstimatedSize"], 16), 0)

        target, workdir = self.shortcut(PROGRAMS)
        self.assertEqual((target, workdir), (EXE_WIN, DATA_DIR))
        self.assertFalse((self.unix(STARTUP) / "VaroTimer.lnk").exists(), "Startup shortcut without its box")

        # Started as the Start menu starts it; the site cannot be reached, so
        # the banner shown is the one shipped beside the program.
        self.procs.append(subprocess.Popen(["wine", target], env=self.prefix.env, cwd=str(self.unix(workdir)),
                                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL))
        self.wait_timer_window()
        self.wait_banner_size(TIMER, IDC_BANNER)
        self.assert_animates(self.child_rect(TIMER, IDC_BANNER))
        self.open_remote()
        self.fill_form("PC1", "00-11-22-33-44-55")
        self.press(ADD)
        saved = list_file(("PC1", "00-11-22-33-44-55", "40000"))
        self.expect_file(saved)
        self.assertFalse((program / "varotimer.dat").exists())
        self.write_profile()
        profile = self.prefix.ini_path().read_bytes()
        self.assertEqual(self.driver("click", REMOTE, IDCANCEL)[0], 0)
        self.assertEqual(self.driver("wait-gone", REMOTE, 20000, timeout=60)[0], 0)

        # Uninstalled while the program still runs in the tray: it is ended,
        # and only the user's data stays.
        self.uninstall()
        self.assertEqual(self.procs[0].wait(timeout=60), 0)
        self.assertFalse(program.exists(), list(program.iterdir()) if program.exists() else None)
        self.assertFalse((self.unix(PROGRAMS) / "VaroTimer.lnk").exists())
        self.assertIsNone(self.reg_values(PRODUCT_KEY))
        self.assertIsNone(self.reg_values(MAKER_KEY))
        self.assertIsNone(self.reg_values(UNINSTALL_KEY))
        self.assertEqual(self.list_path.read_bytes(), saved)
        self.assertEqual(self.prefix.ini_path().read_bytes(), profile)

    def test_startup_box_and_an_uninstall_that_removes_the_data(self):
        self.install("/STARTUP")
        self.assertEqual(self.shortcut(STARTUP), (EXE_WIN, DATA_DIR))
        self.list_path.write_bytes(list_file(("PC1", "00-11-22-33-44-55", "40000")))
        self.write_profile()
        # The banner download, and what Windows diverts into a standard
        # user's virtual store: every profile's copies go.
        leftovers = [self.unix("C:\\windows\\Temp\\test.gif")]
        for profile in self.unix("C:\\users").iterdir():
            if profile.name == "Public":
                continue
            store = profile / "AppData" / "Local" / "VirtualStore"
            leftovers += [store / "Windows" / "VaroTimer.INI", store / "Windows" / "Temp" / "test.gif",
                          store.joinpath(*PureWindowsPath(PROGRAM_DIR).parts[1:]) / "sorel-ads.gif"]
        for path in leftovers:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(b"left behind")

        self.uninstall("/REMOVEDATA")
        self.assertFalse((self.unix(STARTUP) / "VaroTimer.lnk").exists())
        self.assertFalse(self.unix(PROGRAM_DIR).exists())
        self.assertFalse(self.unix("C:\\ProgramData\\Lumetra").exists())
        self.assertFalse(self.prefix.ini_path().exists())
        self.assertIsNone(self.reg_values(UNINSTALL_KEY))
        self.assertEqual([path for path in leftovers if path.exists()], [])
        self.assertFalse(leftovers[-1].parent.exists())


if __name__ == "__main__":
    unittest.main()
