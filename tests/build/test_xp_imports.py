"""The XP SP3 import check (cmake/xp_imports.py) against small programs
built here: one it must pass and one for each way a program fails to load
on XP. Needs the MinGW-w64 cross compilers (VARO_MINGW_CC, VARO_MINGW_CXX
name the product's; the test also uses the -posix C++ compiler)."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
CHECK = ROOT / "cmake" / "xp_imports.py"
OBJDUMP = os.environ.get("VARO_MINGW_OBJDUMP", "i686-w64-mingw32-objdump")


def product_compiler(language):
    """The compiler the product's toolchain file names for C or CXX."""
    text = (ROOT / "cmake" / "mingw-i686-win32.cmake").read_text()
    return re.search(r"set\(CMAKE_%s_COMPILER (\S+)\)" % language, text).group(1)


CC = os.environ.get("VARO_MINGW_CC", product_compiler("C"))
CXX = os.environ.get("VARO_MINGW_CXX", product_compiler("CXX"))

WINMAIN = """#include <windows.h>
int WINAPI WinMain(HINSTANCE a, HINSTANCE b, LPSTR c, int d) { return (int)%s; }
"""


class XpImportCheck(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="varo-xp-imports-"))

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def build(self, name, source, compiler=CC, flags=(), suffix=".c"):
        src = self.dir / (name + suffix)
        src.write_text(source)
        exe = self.dir / (name + ".exe")
        subprocess.run([compiler, "-static", "-O1", str(src), "-o", str(exe), *flags], check=True)
        return exe

    def check(self, exe):
        stamp = self.dir / "check.ok"  # one for every program: each check replaces it
        result = subprocess.run([sys.executable, str(CHECK), "--objdump", OBJDUMP,
                                 "--stamp", str(stamp), str(exe)],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, universal_newlines=True)
        return result.returncode, result.stdout + result.stderr, stamp.exists()

    def assertRefused(self, exe, *reasons):
        status, output, stamped = self.check(exe)
        self.assertEqual(status, 1, output)
        self.assertFalse(stamped, "a refused program must leave no stamp")
        self.assertIn("will not load on Windows XP SP3", output)
        for reason in reasons:
            self.assertIn(reason, output)

    def test_program_of_xp_calls_passes(self):
        exe = self.build("plain", WINMAIN % "GetTickCount() + GetVersion()", flags=["-mwindows"])
        status, output, stamped = self.check(exe)
        self.assertEqual(status, 0, output)
        self.assertTrue(stamped)
        self.assertRegex(output, r"plain\.exe: KERNEL32\.dll +\d+ functions")
        self.assertRegex(output, r"subsystem \d\.\d, \d+ functions from 2 libraries, every one on Windows XP SP3")

    def test_function_of_a_later_system_fails(self):
        exe = self.build("later", "#define _WIN32_WINNT 0x0600\n" + WINMAIN % "GetTickCount64()")
        self.assertRefused(exe, "imports GetTickCount64, which Windows XP SP3's kernel32.dll does not export")

    def test_function_the_headers_declare_but_xp_lacks_fails(self):
        exe = self.build("declared", "#define _WIN32_WINNT 0x0600\n" + WINMAIN
                         % "RegGetValueA(HKEY_CURRENT_USER, \"a\", \"b\", RRF_RT_ANY, 0, 0, 0)",
                         flags=["-ladvapi32"])
        self.assertRefused(exe, "imports RegGetValueA, which Windows XP SP3's advapi32.dll does not export")

    def test_secure_runtime_function_linked_to_msvcrt_fails(self):
        exe = self.build("secure", "#define MINGW_HAS_SECURE_API 1\n#include <string.h>\n"
                         "int main(int argc, char **argv) { char b[8]; return strcpy_s(b, sizeof b, argv[0]); }\n")
        self.assertRefused(exe, "imports strcpy_s, which Windows XP SP3's msvcrt.dll does not export")

    def test_library_without_a_list_of_exports_fails(self):
        exe = self.build("unlisted", "#include <windows.h>\n#include <mmsystem.h>\n" + WINMAIN % "timeGetTime()",
                         flags=["-lwinmm"])
        self.assertRefused(exe, "imports from WINMM.DLL, whose XP SP3 exports xp_sp3_exports.txt does not list")

    def test_later_subsystem_or_system_version_fails(self):
        exe = self.build("subsystem", WINMAIN % "GetTickCount()", flags=["-Wl,--subsystem,windows:6.0"])
        self.assertRefused(exe, "asks for subsystem version 6.0")
        exe = self.build("system", WINMAIN % "GetTickCount()",
                         flags=["-Wl,--major-os-version,6", "-Wl,--minor-os-version,0"])
        self.assertRefused(exe, "asks for operating system version 6.0")

    def test_library_xp_lacks_fails(self):
        exe = self.build("library", "#include <windows.h>\n#include <bcrypt.h>\n"
                         + WINMAIN % "BCryptGenRandom(0, 0, 0, 0)", flags=["-lbcrypt"])
        self.assertRefused(exe, "imports bcrypt.dll, which is not known to ship with XP SP3")

    def test_import_by_ordinal_fails(self):
        (self.dir / "ordinal.def").write_text("LIBRARY comctl32.dll\nEXPORTS\nfoo@0 @17 NONAME\n")
        subprocess.run(["i686-w64-mingw32-dlltool", "-d", str(self.dir / "ordinal.def"),
                        "-l", str(self.dir / "libordinal.a")], check=True)
        exe = self.build("ordinal", "void __stdcall foo(void);\nint main(void) { foo(); return 0; }\n",
                         flags=["-L" + str(self.dir), "-lordinal"])
        self.assertRefused(exe, "imports ordinal 17 of comctl32.dll")

    def test_threads_runtime_of_the_posix_compilers_fails_the_product_compilers_pass(self):
        # C++ with exceptions is enough to link the threads runtime in.
        source = ("#include <stdexcept>\nint main(int argc, char**) {\n"
                  "  try { if (argc > 5) throw std::runtime_error(\"x\"); } catch (const std::exception&) { return 2; }\n"
                  "  return 0;\n}\n")
        product = self.build("product", source, compiler=CXX, suffix=".cpp",
                             flags=["-static-libgcc", "-static-libstdc++"])
        status, output, stamped = self.check(product)
        self.assertEqual(status, 0, output)
        self.assertTrue(stamped)
        posix = self.build("posix", source, compiler="i686-w64-mingw32-g++-posix", suffix=".cpp",
                           flags=["-static-libgcc", "-static-libstdc++"])
        self.assertRefused(posix, "imports GetTickCount64")  # and the earlier stamp is gone


if __name__ == "__main__":
    unittest.main()
