"""Prints "module.Class" for every test class of the scenario files given,
one per line: each becomes a test of its own, so that the runner can spread
them over the processor's cores."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))  # the harness


def tests_of(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from tests_of(item)
        else:
            yield item


for path in sys.argv[1:]:
    module = Path(path).stem
    sys.path.insert(0, str(Path(path).resolve().parent))
    seen = []
    for test in tests_of(unittest.defaultTestLoader.loadTestsFromName(module)):
        if isinstance(test, unittest.loader._FailedTest):
            sys.exit("cannot load %s: %s" % (module, test._exception))
        name = "%s.%s" % (module, type(test).__name__)
        if name not in seen:
            seen.append(name)
    print("\n".join(seen))
