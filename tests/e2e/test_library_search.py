"""Libraries loaded by name, end to end: a file named like the help control
planted beside the program (as in a portable copy unpacked into a Downloads
folder) is never loaded, even when the control's registration names it by
its bare name, and the start-up takes the current folder out of the library
search. Both are read from Wine's relay trace of the program's calls."""
import re
import shutil
import unittest

from test_countdown import HELP_TITLE, ID_TRAY_HELP, TIMER, Relay
from varo_e2e import DRIVER, AppTestCase, parse_info

HELP_CONTROL_KEY = "HKCR\\CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32"
# A library without the control's entry point, built beside the test programs.
PLANTED = DRIVER.parents[1] / "win" / "version_none.dll"
TRACED = "kernel32.SetDllDirectoryA;kernelbase.SetDllDirectoryA;kernel32.LoadLibraryA;kernelbase.LoadLibraryA"


class PlantedHelpControl(AppTestCase):
    def test_control_beside_the_program_is_never_loaded(self):
        self.prefix.wine64("reg", "add", HELP_CONTROL_KEY, "/ve", "/d", "hhctrl.ocx", "/f", "/reg:32", check=True)
        shutil.copy2(PLANTED, self.prefix.app_dir / "hhctrl.ocx")
        self.prefix.reg_add("HKCU\\Software\\Wine\\Debug", "RelayInclude", TRACED)
        log = self.prefix.path / "relay.log"
        self.start_app(extra_env={"WINEDEBUG": "+timestamp,+relay"}, log=log)
        self.wait_timer_window()

        self.assertEqual(self.driver("command", TIMER, ID_TRAY_HELP)[0], 0)
        rc, out = self.driver("wait-visible", "class:HH Parent", 30000, timeout=60)
        self.assertEqual(rc, 0, "the help did not open: " + out)
        self.assertEqual(parse_info(out)["title"], HELP_TITLE)

        relay = Relay(log)
        settings = relay.calls("SetDllDirectoryA")
        self.assertEqual(len(settings), 1, settings)
        self.assertTrue(settings[0][1].endswith(' ""'), settings)
        loads = [(ts, args) for ts, args in relay.calls("LoadLibraryA") if "hhctrl" in args.lower()]
        self.assertEqual(len(loads), 1, loads)
        self.assertLess(settings[0][0], loads[0][0])
        path = re.search(r'"(.*)"$', loads[0][1]).group(1).replace("\\\\", "\\").lower()
        self.assertEqual(path, "c:\\windows\\system32\\hhctrl.ocx")


if __name__ == "__main__":
    unittest.main()
