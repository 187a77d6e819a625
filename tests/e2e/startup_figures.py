"""Start-up figures (make bench): milliseconds from starting VaroTimer.exe to
its visible timer window, beside a bare dialog that loads the same system
libraries (bare_dialog.exe), in turns in one prefix. No banner file, and a
download that fails at once (the stand-in site answers 404). Not a test."""
import statistics
import subprocess
import unittest

from test_banner import BannerCase
from varo_e2e import APP_DIR_WIN, DRIVER, EXE

RUNS = 15


def imported_libraries(exe):
    """The DLL names in exe's import table."""
    out = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(exe)], stdout=subprocess.PIPE, check=True,
                         timeout=60).stdout.decode()
    return [line.split()[-1] for line in out.splitlines() if "DLL Name:" in line]


class StartupFigures(BannerCase):
    def launch_ms(self, exe, *args):
        rc, out = self.driver("launch-time", exe, *args, timeout=180)
        self.assertEqual(rc, 0, out)
        return float(out.split("ms=")[1])

    def bench_startup(self):
        self.banner_file.unlink()
        self.serve("404")
        bare = DRIVER.parent / "bare_dialog.exe"
        (self.prefix.app_dir / bare.name).write_bytes(bare.read_bytes())
        libraries = imported_libraries(EXE)
        program, yardstick = [], []
        self.launch_ms(APP_DIR_WIN + "\\VaroTimer.exe")  # the first start fills the caches
        for _ in range(RUNS):  # each start follows one of the other program
            yardstick.append(self.launch_ms(APP_DIR_WIN + "\\" + bare.name, *libraries))
            program.append(self.launch_ms(APP_DIR_WIN + "\\VaroTimer.exe"))
        ratios = sorted(p / y for p, y in zip(program, yardstick))
        print("Start to visible window, %d runs each in turns (ms; emulated, so far slower than a PC)" % RUNS)
        print("%-28s %8s %8s %8s" % ("", "median", "min", "max"))
        for name, figures in (("bare dialog, same libraries", yardstick), ("VaroTimer.exe", program)):
            print("%-28s %8.0f %8.0f %8.0f" % (name, statistics.median(figures), min(figures), max(figures)))
        print("ratio of medians %.2f; run by run: median %.2f, %.2f to %.2f" % (
            statistics.median(program) / statistics.median(yardstick), statistics.median(ratios), ratios[0],
            ratios[-1]))


if __name__ == "__main__":
    unittest.main()
