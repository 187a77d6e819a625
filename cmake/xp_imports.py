#!/usr/bin/env python3
"""Fails when a Windows program would not load on Windows XP SP3.

Reads the program's header and import table with objdump and checks:
  - the subsystem and operating-system versions it asks for are at most 5.1;
  - every imported library is one that XP SP3 ships;
  - every imported function is one that XP SP3's own DLL exports, by the
    checked-in list beside this script (xp_sp3_exports.txt). The headers are
    no guide: they declare names XP lacks (RegGetValueA, GetThreadId), and
    MinGW links the C runtime's "_s" functions straight to msvcrt.dll.

usage: xp_imports.py --objdump OBJDUMP [--exports LIST] [--stamp FILE] PROGRAM
Prints one line per library and a verdict; exit status 0 when it loads.
"""
import argparse
import os
import re
import subprocess
import sys

XP_VERSION = (5, 1)
EXPORTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xp_sp3_exports.txt")

# Libraries present on every XP SP3 installation, lower case.
XP_LIBRARIES = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "olepro32.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "version.dll", "wininet.dll", "winmm.dll", "ws2_32.dll", "wsock32.dll", "iphlpapi.dll",
}


def read_exports(path):
    """{'kernel32.dll': {'GetTickCount', ...}} from the list's [library] sections."""
    exports = {}
    names = None
    with open(path, encoding="utf-8") as handle:
        for number, line in enumerate(handle, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            section = re.fullmatch(r"\[([\w.-]+)\]", line)
            if section:
                names = exports.setdefault(section.group(1).lower(), set())
            elif names is not None and re.fullmatch(r"\w+", line):
                names.add(line)
            else:
                raise SystemExit("%s:%d: not a [library] or a name: %s" % (path, number, line))
    return exports


def read_program(objdump, program):
    """Returns ({'MajorSubsystemVersion': 4, ...}, [(library, [names], [ordinals])])."""
    text = subprocess.run([objdump, "-p", program], check=True, stdout=subprocess.PIPE,
                          universal_newlines=True).stdout
    header = {}
    for key in ("MajorOSystemVersion", "MinorOSystemVersion", "MajorSubsystemVersion",
                "MinorSubsystemVersion"):
        match = re.search(r"^%s\s+(\d+)" % key, text, re.M)
        if not match:
            raise SystemExit("%s: objdump shows no %s" % (program, key))
        header[key] = int(match.group(1))
    libraries = []
    table = text.partition("The Import Tables")[2]
    for line in table.splitlines()[1:]:
        if re.match(r"^\S", line):
            break  # the next part of objdump's report
        library = re.match(r"^\s*DLL Name: (\S+)", line)
        if library:
            libraries.append((library.group(1), [], []))
            continue
        if not libraries:
            continue
        entry = re.match(r"^\s+[0-9a-f]+\s+(\d+)\s+(\S+)\s*$", line)
        if entry and entry.group(2) == "<none>":
            libraries[-1][2].append(int(entry.group(1)))
        elif entry:
            libraries[-1][1].append(entry.group(2))
    return header, libraries


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--exports", default=EXPORTS)
    parser.add_argument("--stamp")
    parser.add_argument("program")
    args = parser.parse_args()
    if args.stamp and os.path.exists(args.stamp):
        os.remove(args.stamp)  # a refusal must not leave an earlier pass standing

    header, libraries = read_program(args.objdump, args.program)
    name = os.path.basename(args.program)
    faults = []
    for kind, label in (("Subsystem", "subsystem"), ("OSystem", "operating system")):
        version = (header["Major%sVersion" % kind], header["Minor%sVersion" % kind])
        if version > XP_VERSION:
            faults.append("asks for %s version %d.%d (XP is 5.1)" % ((label,) + version))

    exports = read_exports(args.exports)
    for library, names, ordinals in libraries:
        print("%s: %-13s %3d functions" % (name, library, len(names) + len(ordinals)))
        known = exports.get(library.lower())
        if library.lower() not in XP_LIBRARIES:
            faults.append("imports %s, which is not known to ship with XP SP3" % library)
        elif known is None:
            faults.append("imports from %s, whose XP SP3 exports %s does not list"
                          % (library, os.path.basename(args.exports)))
        else:
            faults += ["imports %s, which Windows XP SP3's %s does not export" % (n, library.lower())
                       for n in names if n not in known]
        for ordinal in ordinals:
            faults.append("imports ordinal %d of %s, which no list can vouch for" % (ordinal, library))

    total = sum(len(n) + len(o) for _, n, o in libraries)
    if faults:
        for fault in faults:
            print("%s: %s" % (name, fault), file=sys.stderr)
        print("%s: will not load on Windows XP SP3" % name, file=sys.stderr)
        return 1
    print("%s: subsystem %d.%d, %d functions from %d libraries, every one on Windows XP SP3"
          % (name, header["MajorSubsystemVersion"], header["MinorSubsystemVersion"], total, len(libraries)))
    if args.stamp:
        with open(args.stamp, "w") as handle:
            handle.write("ok\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
