"""scripts/private-namespaces.sh: the command sees only loopback and is
process 1 of its own namespace, for root and for a user without root (who
gets the namespaces inside a user namespace of their own)."""
import subprocess
import unittest
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[2] / "scripts" / "private-namespaces.sh"
PROBE = "id -u; echo $$; ip -o link | cut -d: -f2 | tr -d ' '"


def run(*prefix):
    return subprocess.run([*prefix, str(SCRIPT), "bash", "-c", PROBE], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, universal_newlines=True)


class PrivateNamespaces(unittest.TestCase):
    def assertPrivate(self, result):
        self.assertEqual(result.returncode, 0, result.stderr)
        uid, pid, *links = result.stdout.split()
        self.assertEqual((uid, pid, links), ("0", "1", ["lo"]))

    def test_as_the_caller(self):
        self.assertPrivate(run())

    def test_as_a_user_without_root(self):
        # Uid 1000 with no capabilities: what a user with sudo is before sudo.
        user = ["unshare", "--user", "--map-user=1000", "--map-group=1000", "--"]
        if subprocess.run(user + ["true"], stderr=subprocess.DEVNULL).returncode != 0:
            self.skipTest("this system lets no one make a user namespace")
        self.assertPrivate(run(*user))


if __name__ == "__main__":
    unittest.main()
