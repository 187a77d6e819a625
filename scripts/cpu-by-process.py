#!/usr/bin/env python3
"""Runs a command and prints where the machine's processor time went: the
busy seconds of the whole machine, and the seconds of every process that
ended meanwhile, summed by process name (kernel process accounting, so
Wine's services and servers in the sandboxes' process namespaces count too).
Figures, not pass or fail. Needs root.

usage: scripts/cpu-by-process.py [--top N] -- COMMAND [ARGS...]
  e.g. scripts/cpu-by-process.py -- ctest --test-dir build/win32 -R e2e_test_startup.StartUp$
"""
import argparse
import collections
import ctypes
import os
import struct
import subprocess
import sys
import tempfile
import time

RECORD = 64  # struct acct_v3


def comp_t(value):
    """Decodes the kernel's 16-bit comp_t: a 13-bit count, a base-8 exponent."""
    return (value & 0x1FFF) << (3 * (value >> 13))


def records(data):
    """Yields (name, processor seconds) for every acct_v3 record in DATA."""
    for offset in range(0, len(data) - RECORD + 1, RECORD):
        record = data[offset:offset + RECORD]
        if (record[1] & 0x0F) != 3:
            continue  # not a version 3 record
        user, system = struct.unpack_from("<HH", record, 32)
        name = record[48:64].split(b"\0")[0].decode("utf-8", "replace")
        yield name, (comp_t(user) + comp_t(system)) / 100.0  # AHZ: 100 ticks a second


def busy_seconds():
    with open("/proc/stat") as stat:
        fields = [int(v) for v in stat.readline().split()[1:]]
    return (sum(fields) - fields[3] - fields[4]) / os.sysconf("SC_CLK_TCK")  # idle and iowait left out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--top", type=int, default=20)
    parser.add_argument("command", nargs="+")
    args = parser.parse_args()
    libc = ctypes.CDLL(None, use_errno=True)
    with tempfile.NamedTemporaryFile(prefix="varo-acct-") as log:
        if libc.acct(log.name.encode()) != 0:
            sys.exit("cpu-by-process: process accounting refused (errno %d); run as root" % ctypes.get_errno())
        start, busy = time.monotonic(), busy_seconds()
        try:
            status = subprocess.call(args.command)
        finally:
            libc.acct(None)
        wall, busy = time.monotonic() - start, busy_seconds() - busy
        by_name = collections.defaultdict(lambda: [0, 0.0])
        for name, seconds in records(log.read()):
            by_name[name][0] += 1
            by_name[name][1] += seconds
    print("wall %.1f s, machine busy %.1f processor-s, ended processes %.1f processor-s"
          % (wall, busy, sum(v[1] for v in by_name.values())))
    for name, (count, seconds) in sorted(by_name.items(), key=lambda item: -item[1][1])[:args.top]:
        print("%8.1f s %6d x %s" % (seconds, count, name))
    return status


if __name__ == "__main__":
    sys.exit(main())
