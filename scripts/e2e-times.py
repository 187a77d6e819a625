#!/usr/bin/env python3
"""Where the end-to-end scenarios spend their time: runs scenario modules or
classes (as unittest names) and prints, per test, its wall and processor
time and the part spent making the prefix (copy, server, desktop, services),
in driver commands, in other Wine calls and in ending the prefix; the rest is
the scenario's own waiting. Figures, not pass or fail.

  scripts/wine-sandbox.sh --bare -- python3 scripts/e2e-times.py test_startup test_tray.IconAndMenu
"""
import resource
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import varo_e2e  # noqa: E402

spent = {}


def timed(cls, name, key):
    inner = getattr(cls, name)

    def wrapper(*args, **kwargs):
        start = time.monotonic()
        try:
            return inner(*args, **kwargs)
        finally:
            count, total = spent.get(key, (0, 0.0))
            spent[key] = (count + 1, total + time.monotonic() - start)

    setattr(cls, name, wrapper)


timed(varo_e2e.Prefix, "__init__", "prefix")
timed(varo_e2e.Prefix, "driver", "driver")
timed(varo_e2e.Prefix, "wine", "wine")
timed(varo_e2e.Prefix, "close", "close")


def processor_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


class TimedResult(unittest.TextTestResult):
    totals = {}

    def startTest(self, test):
        spent.clear()
        self.started, self.processor = time.monotonic(), processor_seconds()
        super().startTest(test)

    def stopTest(self, test):
        super().stopTest(test)
        wall = time.monotonic() - self.started
        parts = " ".join("%s %dx %.1f s" % (key, n, s) for key, (n, s) in sorted(spent.items()))
        print("%7.1f s wall %6.1f s cpu  %s  [%s]" % (wall, processor_seconds() - self.processor, test.id(), parts),
              file=sys.stderr, flush=True)
        for key, (_, s) in spent.items():
            TimedResult.totals[key] = TimedResult.totals.get(key, 0.0) + s
        TimedResult.totals["wall"] = TimedResult.totals.get("wall", 0.0) + wall


if __name__ == "__main__":
    names = sys.argv[1:]
    if not names:
        sys.exit(__doc__)
    suite = unittest.defaultTestLoader.loadTestsFromNames(names)
    result = unittest.TextTestRunner(resultclass=TimedResult, verbosity=0).run(suite)
    totals = TimedResult.totals
    print("total: " + ", ".join("%s %.0f s" % (k, v) for k, v in sorted(totals.items())), file=sys.stderr)
    sys.exit(not result.wasSuccessful())
