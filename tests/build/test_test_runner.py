"""The test runner's own pieces: the names of tests that passed only on a
second run (scripts/retried-tests.sh), read from ctest's output, the list of
scenario classes that become tests (tests/e2e/list_scenarios.py), and what
each Wine sandbox keeps to itself (scripts/wine-sandbox.sh), and the
reading of the kernel's process accounting (scripts/cpu-by-process.py)."""
import importlib.util
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]

LOG = """\
 1/78 Test  #1: win_afx_test .....................   Passed    3.10 sec
      Start 37: e2e_test_countdown.RunToZero
14/78 Test #14: win_remote_list_faults_test ......***Failed    5.80 sec
21/78 Test #37: e2e_test_countdown.RunToZero .....***Failed  128.10 sec
22/78 Test #39: e2e_test_startup.ApplyButton_win10 ***Timeout 600.02 sec
23/78 Test #40: e2e_test_tray.IconAndMenu ........***Failed   12.00 sec
    Test #14: win_remote_list_faults_test ......   Passed    6.88 sec
    Test #39: e2e_test_startup.ApplyButton_win10   Passed   30.00 sec
    Test #40: e2e_test_tray.IconAndMenu ........***Failed   11.00 sec
    Test #37: e2e_test_countdown.RunToZero .....   Passed  101.00 sec
The following tests FAILED:
	 40 - e2e_test_tray.IconAndMenu (Failed)
"""


class RetriedTests(unittest.TestCase):
    def retried(self, text):
        with tempfile.NamedTemporaryFile("w", suffix=".log") as log:
            log.write(text)
            log.flush()
            out = subprocess.run([str(ROOT / "scripts" / "retried-tests.sh"), log.name], check=True,
                                 capture_output=True, text=True).stdout
        return out.split()

    def test_names_each_test_that_slipped_and_then_passed(self):
        # Failed or timed out first, passed on the second run; a test that
        # failed both times is a failure, not a retry; one that passed at
        # once is not named.
        self.assertEqual(self.retried(LOG), ["e2e_test_countdown.RunToZero", "e2e_test_startup.ApplyButton_win10",
                                             "win_remote_list_faults_test"])

    def test_a_clean_run_names_nothing(self):
        clean = "\n".join(line for line in LOG.splitlines() if "***" not in line)
        self.assertEqual(self.retried(clean), [])


class ScenarioList(unittest.TestCase):
    def test_every_class_with_tests_once_in_file_order(self):
        with tempfile.TemporaryDirectory() as folder:
            scenario = Path(folder) / "test_sample.py"
            scenario.write_text(
                "import unittest\n"
                "class Base(unittest.TestCase):\n    helper = 1\n"
                "class Second(Base):\n    def test_b(self): pass\n    def test_a(self): pass\n"
                "class First(unittest.TestCase):\n    def test_c(self): pass\n")
            out = subprocess.run([sys.executable, str(ROOT / "tests" / "e2e" / "list_scenarios.py"), str(scenario)],
                                 cwd=folder, check=True, capture_output=True, text=True).stdout
        self.assertEqual(sorted(out.split()), ["test_sample.First", "test_sample.Second"])

    def test_a_file_that_does_not_load_stops_the_listing(self):
        with tempfile.TemporaryDirectory() as folder:
            (Path(folder) / "test_broken.py").write_text("import no_such_module_here\n")
            proc = subprocess.run([sys.executable, str(ROOT / "tests" / "e2e" / "list_scenarios.py"),
                                   str(Path(folder) / "test_broken.py")], cwd=folder, capture_output=True, text=True)
        self.assertNotEqual(proc.returncode, 0)
        self.assertIn("test_broken", proc.stderr)


class Sandbox(unittest.TestCase):
    """Sandboxes run side by side, each with its X server on display :0: what
    such a server writes under a fixed name must stay in its own sandbox, and
    what a command leaves behind goes with the sandbox."""

    def bare_sandbox(self, folder, script):
        """Runs sh -c SCRIPT in a --bare sandbox whose parent folder is FOLDER."""
        stamp = re.search(r"^stamp=(\S+)", (ROOT / "scripts" / "make-wine-template.sh").read_text(), re.M).group(1)
        template = Path(folder) / "template"
        template.mkdir(exist_ok=True)
        (template / ".complete").write_text(stamp + "\n")  # no Wine needed for --bare
        env = dict(os.environ, VARO_TEMPLATE=str(template), VARO_SANDBOX_PARENT=folder)
        env.pop("VARO_IN_SANDBOX", None)
        return subprocess.run([str(ROOT / "scripts" / "wine-sandbox.sh"), "--bare", "--", "sh", "-c", script],
                              env=env, capture_output=True, text=True, timeout=120)

    def test_a_prefix_left_mounted_goes_with_the_sandbox(self):
        with tempfile.TemporaryDirectory() as folder:
            template = Path(folder) / "template"
            template.mkdir()
            (template / "system.reg").write_text("kept\n")
            proc = self.bare_sandbox(folder, '"%s" "%s" "$TMPDIR/prefix" && rm "$TMPDIR/prefix/system.reg"'
                                     % (ROOT / "scripts" / "overlay-prefix.sh", template))
            self.assertEqual(proc.returncode, 0, proc.stderr)
            self.assertEqual(proc.stderr, "")
            self.assertEqual((template / "system.reg").read_text(), "kept\n")
            self.assertEqual(sorted(p.name for p in Path(folder).iterdir()), ["template"])

    def test_display_sockets_and_keymaps_stay_inside(self):
        with tempfile.TemporaryDirectory() as folder:
            probe = "varo-sandbox-probe-%d" % os.getpid()
            proc = self.bare_sandbox(folder, "touch /var/lib/xkb/%s /tmp/.X11-unix/%s && echo $DISPLAY"
                                     % (probe, probe))
            self.assertEqual(proc.returncode, 0, proc.stderr)
            self.assertRegex(proc.stdout.strip(), r"^:\d+$", "the sandbox's X server did not start")
            for folder_seen_by_all in ("/var/lib/xkb", "/tmp/.X11-unix"):
                leaked = Path(folder_seen_by_all) / probe
                shared = leaked.exists()
                leaked.unlink(missing_ok=True)
                self.assertFalse(shared, "%s is shared with the machine" % folder_seen_by_all)


class ProcessAccounting(unittest.TestCase):
    @staticmethod
    def reader():
        spec = importlib.util.spec_from_file_location("cpu_by_process", ROOT / "scripts" / "cpu-by-process.py")
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        return module

    @staticmethod
    def record(name, user, system, version=3):
        data = bytearray(64)
        data[1] = version
        struct.pack_into("<HH", data, 32, user, system)
        data[48:48 + len(name)] = name
        return bytes(data)

    def test_times_names_and_foreign_records(self):
        # comp_t: 13 bits of count and a base-8 exponent; 100 ticks a second.
        # 0x2001 is 1 << 3 = 8 ticks; 8191 the largest plain count.
        data = (self.record(b"wineserver64", 150, 50) + self.record(b"VaroTimer.exe", 0x2001, 8191)
                + self.record(b"old-format", 100, 0, version=2) + b"\0" * 10)
        self.assertEqual(list(self.reader().records(data)), [("wineserver64", 2.0), ("VaroTimer.exe", 81.99)])


if __name__ == "__main__":
    unittest.main()
