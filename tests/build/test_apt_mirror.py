"""scripts/apt-mirror.sh: the machine's own archive URI for a suite, read
from apt's sources in both forms, against made-up apt folders."""
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[2] / "scripts" / "apt-mirror.sh"


class AptMirror(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="varo-apt-"))
        (self.dir / "sources.list.d").mkdir()

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def write(self, name, text):
        (self.dir / name).write_text(text)

    def mirror(self, suite="bookworm"):
        result = subprocess.run(["bash", str(SCRIPT), suite, str(self.dir)], stdout=subprocess.PIPE,
                                universal_newlines=True)
        return result.returncode, result.stdout.strip()

    def test_deb822_stanza_of_the_suite(self):
        self.write("sources.list.d/debian.sources", """\
Types: deb-src
URIs: file:/srv/source-only/debian
Suites: bookworm
Components: main

Types: deb
URIs: file:/srv/disabled/debian
Suites: bookworm
Enabled: no

Types: deb
# file:/srv/commented/debian
URIs: file:/srv/archive/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: file:/srv/security/debian-security
Suites: bookworm-security
""")
        self.assertEqual(self.mirror(), (0, "file:/srv/archive/debian"))
        self.assertEqual(self.mirror("bookworm-security"), (0, "file:/srv/security/debian-security"))

    def test_suite_on_a_continuation_line_and_several_uris(self):
        self.write("sources.list.d/multi.sources", """\
Types: deb deb-src
URIs: file:/srv/first/debian
 file:/srv/second/debian
Suites: bookworm-updates
 bookworm
""")
        self.assertEqual(self.mirror(), (0, "file:/srv/first/debian"))

    def test_one_line_form_with_options_and_comments(self):
        self.write("sources.list", """\
# deb file:/srv/commented/debian bookworm main
deb-src file:/srv/source-only/debian bookworm main
deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] file:/srv/archive/debian bookworm main
""")
        self.assertEqual(self.mirror(), (0, "file:/srv/archive/debian"))
        self.write("sources.list", "deb [ trusted=yes ] file:/srv/spaced/debian bookworm main\n")
        self.assertEqual(self.mirror(), (0, "file:/srv/spaced/debian"))

    def test_list_files_of_other_suites_are_not_taken(self):
        self.write("sources.list.d/other.list", "deb file:/srv/other/apt cloud-bookworm main\n"
                                                "deb file:/srv/other/apt bookworm-backports main\n")
        self.write("sources.list.d/debian.sources", "Types: deb\nURIs: file:/srv/archive/debian\n"
                                                    "Suites: bookworm\n")
        self.assertEqual(self.mirror(), (0, "file:/srv/archive/debian"))

    def test_commented_out_backports_is_not_a_source(self):
        # setup.sh asks for bookworm-backports this way before adding a source of its own.
        self.write("sources.list", "deb file:/srv/archive/debian bookworm main\n"
                                   "# deb file:/srv/archive/debian bookworm-backports main\n"
                                   "#deb file:/srv/archive/debian bookworm-backports main\n")
        self.write("sources.list.d/backports.sources", "# Types: deb\n# URIs: file:/srv/archive/debian\n"
                                                       "# Suites: bookworm-backports\n")
        self.assertEqual(self.mirror("bookworm-backports"), (1, ""))
        self.write("sources.list.d/backports.list", "deb file:/srv/archive/debian bookworm-backports main\n")
        self.assertEqual(self.mirror("bookworm-backports"), (0, "file:/srv/archive/debian"))

    def test_line_of_blank_space_ends_a_stanza(self):
        # Merged, the second stanza's URIs would follow the first's Suites.
        self.write("sources.list.d/debian.sources", "Types: deb\nURIs: file:/srv/other/apt\nSuites: cloud\n"
                                                    "   \t\nTypes: deb\nURIs: file:/srv/archive/debian\n"
                                                    "Suites: bookworm\n")
        self.assertEqual(self.mirror(), (0, "file:/srv/archive/debian"))
        self.assertEqual(self.mirror("cloud"), (0, "file:/srv/other/apt"))

    def test_crlf_line_ends_are_read(self):
        self.write("sources.list.d/debian.sources", "Types: deb\r\nURIs: file:/srv/archive/debian\r\n"
                                                    "Suites: bookworm\r\nEnabled: yes\r\n\r\n"
                                                    "Types: deb\r\nURIs: file:/srv/off/debian\r\n"
                                                    "Suites: bookworm-updates\r\nEnabled: no\r\n")
        self.assertEqual(self.mirror(), (0, "file:/srv/archive/debian"))
        self.assertEqual(self.mirror("bookworm-updates"), (1, ""))
        self.write("sources.list.d/debian.sources", "")
        self.write("sources.list", "deb file:/srv/crlf/debian bookworm main\r\n")
        self.assertEqual(self.mirror(), (0, "file:/srv/crlf/debian"))

    def test_no_source_for_the_suite(self):
        self.assertEqual(self.mirror(), (1, ""))
        self.write("sources.list.d/debian.sources", "Types: deb\nURIs: file:/srv/archive/debian\n"
                                                    "Suites: trixie\n")
        self.assertEqual(self.mirror(), (1, ""))


if __name__ == "__main__":
    unittest.main()
