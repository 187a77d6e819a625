#!/usr/bin/env python3
"""Fails when a Windows program would not load on Windows XP SP3.

Reads the program's header and import table with objdump and checks:
  - the subsystem and operating-system versions it asks for are at most 5.1;
  - every imported library is one that XP SP3 ships;
  - every imported function is declared by the Windows and C runtime headers
    when they are told to describe XP SP3 (_WIN32_WINNT=0x0501). A C file
    that takes the address of each name is compiled; a name the headers
    keep for later systems (GetTickCount64, for one) does not compile.
A few runtime start-up functions that no header declares are listed below.

usage: xp_imports.py --objdump OBJDUMP --cc CC [--stamp FILE] PROGRAM
Prints one line per library and a verdict; exit status 0 when it loads.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

XP_VERSION = (5, 1)

# Libraries present on every XP SP3 installation, lower case.
XP_LIBRARIES = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "olepro32.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
    "version.dll", "wininet.dll", "winmm.dll", "ws2_32.dll", "wsock32.dll", "iphlpapi.dll",
}

# The C runtime's start-up entry points, which MinGW's start-up code imports
# from msvcrt.dll and no header declares; XP's msvcrt.dll exports each.
UNDECLARED_RUNTIME_NAMES = {
    "__getmainargs", "__wgetmainargs", "__set_app_type", "__setusermatherr", "__p__fmode",
    "__p__commode", "__p__acmdln", "__p__wcmdln", "__p___argc", "__p___argv", "__p___wargv",
    "__p__environ", "__p__wenviron", "_amsg_exit", "__dllonexit", "_initterm", "__lconv_init",
    "__initenv", "__winitenv", "_acmdln", "_wcmdln", "_fmode", "_commode", "__mb_cur_max",
    "_iob", "__iob_func", "_XcptFilter", "__C_specific_handler", "_onexit",
}

HEADERS = """
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wininet.h>
#include <winver.h>
#include <iphlpapi.h>
#include <assert.h>
#include <ctype.h>
#include <direct.h>
#include <errno.h>
#include <fcntl.h>
#include <float.h>
#include <io.h>
#include <locale.h>
#include <malloc.h>
#include <math.h>
#include <mbstring.h>
#include <process.h>
#include <setjmp.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/timeb.h>
#include <time.h>
#include <wchar.h>
"""

XP_DEFINES = ["-D_WIN32_WINNT=0x0501", "-DWINVER=0x0501", "-D_WIN32_IE=0x0600",
              "-DNTDDI_VERSION=0x05010300", "-D__MSVCRT_VERSION__=0x0700"]


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


def undeclared(cc, names):
    """Names that the XP SP3 headers do not declare."""
    if not names:
        return []
    body = "".join("  (void)&%s;\n" % name for name in names)
    source = HEADERS + "void take_every_import(void) {\n" + body + "}\n"
    with tempfile.NamedTemporaryFile("w", suffix=".c", delete=False) as handle:
        handle.write(source)
        path = handle.name
    try:
        result = subprocess.run([cc, "-fsyntax-only", "-x", "c", *XP_DEFINES, path],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, universal_newlines=True,
                                env=dict(os.environ, LC_ALL="C"))
    finally:
        os.unlink(path)
    if result.returncode == 0:
        return []
    missing = sorted(set(re.findall(r"'(\w+)' undeclared", result.stdout)))
    if not missing:
        raise SystemExit("the import check's test file did not compile:\n" + result.stdout)
    return missing


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--cc", required=True)
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

    to_compile = []
    for library, names, ordinals in libraries:
        print("%s: %-13s %3d functions" % (name, library, len(names) + len(ordinals)))
        if library.lower() not in XP_LIBRARIES:
            faults.append("imports %s, which is not known to ship with XP SP3" % library)
        for ordinal in ordinals:
            faults.append("imports ordinal %d of %s, which no header can vouch for" % (ordinal, library))
        to_compile += [n for n in names if n not in UNDECLARED_RUNTIME_NAMES]
    for missing in undeclared(args.cc, sorted(set(to_compile))):
        faults.append("imports %s, which Windows XP SP3 does not export" % missing)

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
