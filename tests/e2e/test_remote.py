"""The remote power-on window end to end: opened from the tray command, the
computer list edited through the real controls and checked in the file's
bytes, and the wake broadcast received in a second network namespace."""
import os
import socket
import struct
import subprocess
import sys
import time
import unittest

from varo_e2e import TIMER_TITLE, AppTestCase, parse_info

TIMER = "title:" + TIMER_TITLE
REMOTE_TITLE = "リモート電源オン"
REMOTE = "title:" + REMOTE_TITLE
BOX = "title:VaroTimer"  # message boxes carry the program's name
ID_TRAY_REMOTE = 32772
IDOK = 1
MAC_PARTS = [1000, 1001, 1002, 1003, 1004, 1005]
LIST, PORT, ADD, UPDATE, NAME, DELETE = 1006, 1007, 1008, 1009, 1010, 1011
LVM_GETITEMCOUNT, LVM_GETNEXTITEM, LVM_APPROXIMATEVIEWRECT = 0x1004, 0x100C, 0x1040
LVM_GETCOLUMNWIDTH, LVM_GETEXTENDEDLISTVIEWSTYLE = 0x101D, 0x1037
GRIDLINES_FULLROWSELECT_FLATSB = 0x121
LVNI_SELECTED = 2
MSG_DUPLICATE = "すでに登録済みのMACアドレスです。"
MSG_INCOMPLETE = "MACアドレスをすべて入力してください。"
WAKE_PORT = 40000


def archive_string(text):
    data = text.encode("cp932")
    assert len(data) < 255
    return bytes([len(data)]) + data


def list_file(*entries):
    """The list file's bytes for (name, mac, port) entries, top row first."""
    out = archive_string("PMS") + struct.pack("<i", len(entries))
    for entry in entries:
        out += b"".join(archive_string(field) for field in entry)
    return out


def magic_packet(address):
    return b"\xff" * 6 + bytes(address) * 16


def in_private_namespace():
    """Only inside the Wine sandbox's namespace, with nothing but loopback."""
    if os.environ.get("VARO_IN_SANDBOX") != "1":
        return False
    with open("/proc/net/dev") as dev:
        names = [line.split(":")[0].strip() for line in dev.readlines()[2:]]
    return names == ["lo"]


class RemoteDialogCase(AppTestCase):
    """Opens the dialog in a started program and works its controls."""

    def setUp(self):
        super().setUp()
        self.start_app()
        self.wait_timer_window()

    @property
    def list_path(self):
        return self.prefix.app_dir / "varotimer.dat"

    def open_remote(self):
        self.assertEqual(self.driver("command", TIMER, ID_TRAY_REMOTE)[0], 0)
        rc, out = self.driver("wait-visible", REMOTE, 30000, timeout=60)
        self.assertEqual(rc, 0, "remote power-on window did not appear: " + out)
        self.children = self.read_children()
        return parse_info(out)

    def read_children(self):
        rc, out = self.driver("children", REMOTE)
        self.assertEqual(rc, 0, out)
        found = {}
        for line in out.splitlines():
            line = line.strip()
            if not line.startswith("id="):
                continue
            ident, _, rest = line.partition(" ")
            info = parse_info(rest)
            found.setdefault(int(ident[3:]), info)
            if info.get("class") == "SysHeader32":
                found["header"] = info
        return found

    def rect(self, key):
        return [int(v) for v in self.children[key]["rect"].split(",")]

    def xdotool(self, *args):
        """Real mouse and keyboard input on the prefix's own display."""
        subprocess.run(["xdotool", *map(str, args)], env=self.prefix.env, check=True, timeout=60)

    def click_at(self, x, y):
        self.xdotool("mousemove", x, y, "click", 1)
        time.sleep(0.4)

    def click_field(self, control_id):
        left, top, right, bottom = self.rect(control_id)
        self.click_at((left + right) // 2, (top + bottom) // 2)

    def type_text(self, text):
        self.xdotool("type", "--delay", 60, text)
        time.sleep(0.5)

    def clear_field(self, control_id):
        self.click_field(control_id)
        self.xdotool("key", "End", *["BackSpace"] * 24)
        time.sleep(0.3)

    def text(self, control_id):
        return self.item(REMOTE, control_id)["text"]

    def list_send(self, msg, wp=0, lp=0):
        rc, out = self.driver("send", "hwnd:" + self.children[LIST]["hwnd"], msg, wp, lp)
        self.assertEqual(rc, 0, out)
        return int(out.split("=", 1)[1])

    def row_count(self):
        return self.list_send(LVM_GETITEMCOUNT)

    def selected_row(self):
        return self.list_send(LVM_GETNEXTITEM, 0xFFFFFFFF, LVNI_SELECTED)

    def click_row(self, row):
        # The view's approximate height grows by one row height per row.
        empty = (self.list_send(LVM_APPROXIMATEVIEWRECT, 0, 0xFFFFFFFF) >> 16) & 0xFFFF
        one = (self.list_send(LVM_APPROXIMATEVIEWRECT, 1, 0xFFFFFFFF) >> 16) & 0xFFFF
        row_height = max(one - empty, 8)
        left, _, right, header_bottom = self.rect("header")
        self.click_at(left + 30, header_bottom + row_height * row + row_height // 2)

    def fill_form(self, name, mac_text):
        """Types the name, then the MAC digits into part 1 only: after two
        characters each part moves the focus on and selects the next part's
        text, so the typing replaces what the parts held."""
        self.clear_field(NAME)
        if name:
            self.type_text(name)
        self.clear_field(MAC_PARTS[0])
        self.type_text(mac_text.replace("-", ""))

    def press(self, control_id):
        self.assertEqual(self.driver("click", REMOTE, control_id)[0], 0)
        time.sleep(0.8)

    def box_text(self, timeout_ms=10000):
        """Waits for a message box and returns its texts; None when none came."""
        rc, _ = self.driver("wait-visible", BOX, timeout_ms, timeout=timeout_ms / 1000 + 30)
        if rc != 0:
            return None
        rc, out = self.driver("children", BOX)
        return [parse_info(line.strip().partition(" ")[2])["title"] for line in out.splitlines()
                if line.strip().startswith("id=")]

    def dismiss_box(self):
        self.assertEqual(self.driver("click", BOX, IDOK)[0], 0)
        self.assertEqual(self.driver("wait-gone", BOX, 10000, timeout=40)[0], 0)

    def expect_file(self, expected):
        """The program writes the file inside the button's handler; give it time."""
        deadline = time.monotonic() + 15
        while self.file_bytes() != expected and time.monotonic() < deadline:
            time.sleep(0.25)
        self.assertEqual(self.file_bytes(), expected)

    def file_bytes(self):
        return self.list_path.read_bytes() if self.list_path.exists() else None


class RemoteList(RemoteDialogCase):
    def test_add_update_delete_through_the_controls(self):
        self.open_remote()
        self.assertEqual(self.text(PORT), "40000")
        self.assertEqual(self.item(REMOTE, PORT)["enabled"], "0")
        self.assertEqual(self.row_count(), 0)
        self.assertIsNone(self.file_bytes())
        # Name and address share the width equally; the three columns always make 500 pixels.
        widths = [self.list_send(LVM_GETCOLUMNWIDTH, column) for column in range(3)]
        self.assertEqual(widths[0], widths[1])
        self.assertEqual(sum(widths), 500)
        styles = self.list_send(LVM_GETEXTENDEDLISTVIEWSTYLE)
        self.assertEqual(styles & GRIDLINES_FULLROWSELECT_FLATSB, GRIDLINES_FULLROWSELECT_FLATSB)

        # Two characters per part move the focus on, so the digits spread over the parts.
        self.fill_form("PC1", "00-11-22-33-44-55")
        self.assertEqual([self.text(p) for p in MAC_PARTS], ["00", "11", "22", "33", "44", "55"])
        self.press(ADD)
        pc1 = ("PC1", "00-11-22-33-44-55", "40000")
        self.expect_file(list_file(pc1))
        self.assertEqual(len(self.file_bytes()), 36)

        # A new entry goes on top; case makes another address.
        self.fill_form("PC2", "aa-bb-cc-dd-ee-ff")
        self.press(ADD)
        pc2 = ("PC2", "aa-bb-cc-dd-ee-ff", "40000")
        self.expect_file(list_file(pc2, pc1))
        self.fill_form("PC3", "AA-BB-CC-DD-EE-FF")
        self.press(ADD)
        pc3 = ("PC3", "AA-BB-CC-DD-EE-FF", "40000")
        self.expect_file(list_file(pc3, pc2, pc1))
        self.assertEqual(self.row_count(), 3)

        # The exact address again: refused with its message.
        self.fill_form("again", "00-11-22-33-44-55")
        self.press(ADD)
        self.assertIn(MSG_DUPLICATE, self.box_text())
        self.dismiss_box()
        self.assertEqual(self.file_bytes(), list_file(pc3, pc2, pc1))

        # A missing part: refused, nothing added.
        self.clear_field(MAC_PARTS[3])
        self.press(ADD)
        self.assertIn(MSG_INCOMPLETE, self.box_text())
        self.dismiss_box()
        self.assertEqual(self.row_count(), 3)

        # A click on a row fills the form from it.
        self.click_row(2)
        self.assertEqual(self.selected_row(), 2)
        self.assertEqual(self.text(NAME), "PC1")
        self.assertEqual([self.text(p) for p in MAC_PARTS], ["00", "11", "22", "33", "44", "55"])

        # Update: new name and address for the selected row.
        self.fill_form("server", "01-02-03-04-05-06")
        self.press(UPDATE)
        server = ("server", "01-02-03-04-05-06", "40000")
        self.expect_file(list_file(pc3, pc2, server))

        # Update with a missing part: the row takes the name, the file keeps the old one.
        self.clear_field(NAME)
        self.type_text("renamed")
        self.clear_field(MAC_PARTS[0])
        self.press(UPDATE)
        self.assertIn(MSG_INCOMPLETE, self.box_text())
        self.dismiss_box()
        self.assertEqual(self.file_bytes(), list_file(pc3, pc2, server))

        # Delete the selected row; the row's unsaved new name goes with it.
        self.assertEqual(self.selected_row(), 2)
        self.press(DELETE)
        self.assertEqual(self.row_count(), 2)
        self.expect_file(list_file(pc3, pc2))

        # Delete with nothing selected rewrites the unchanged list.
        self.assertEqual(self.selected_row(), -1)
        self.list_path.write_bytes(b"stale")
        self.press(DELETE)
        self.expect_file(list_file(pc3, pc2))

    def test_list_survives_a_restart(self):
        self.open_remote()
        self.fill_form("PC1", "00-11-22-33-44-55")
        self.press(ADD)
        self.expect_file(list_file(("PC1", "00-11-22-33-44-55", "40000")))
        self.fill_form("PC2", "10-20-30-40-50-60")
        self.press(ADD)
        saved = list_file(("PC2", "10-20-30-40-50-60", "40000"), ("PC1", "00-11-22-33-44-55", "40000"))
        self.expect_file(saved)
        for proc in self.procs:
            proc.kill()
            proc.wait(timeout=30)
        self.assertEqual(self.driver("wait-gone", TIMER, 20000, timeout=60)[0], 0)

        self.start_app()
        self.wait_timer_window()
        self.open_remote()
        self.assertEqual(self.row_count(), 2)
        self.click_row(0)
        self.assertEqual(self.text(NAME), "PC2")
        self.assertEqual(self.file_bytes(), saved)  # opening alone writes nothing

    def test_second_command_opens_no_second_window(self):
        first = self.open_remote()
        self.assertEqual(self.driver("command", TIMER, ID_TRAY_REMOTE)[0], 0)
        time.sleep(2)
        rc, out = self.driver("list")
        self.assertEqual(out.count("title=" + REMOTE_TITLE), 1, out)
        self.assertEqual(parse_info(self.driver("info", REMOTE)[1])["hwnd"], first["hwnd"])
        self.assertEqual(parse_info(self.driver("info", REMOTE)[1])["visible"], "1")


class RemoteBroadcast(RemoteDialogCase):
    """The sender's namespace is the sandbox's own; the listener sits in a
    second namespace joined to it by a veth pair. Nothing else is reachable."""

    LISTENER = r"""
import json, socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("0.0.0.0", int(sys.argv[1])))
s.settimeout(float(sys.argv[2]))
got = []
print("ready", flush=True)
try:
    while True:
        data, (host, port) = s.recvfrom(2048)
        got.append({"host": host, "port": port, "data": data.hex()})
except socket.timeout:
    pass
print(json.dumps(got), flush=True)
"""

    def setUp(self):
        if not in_private_namespace():
            self.skipTest("broadcasts only inside the sandbox's private network namespace")
        super().setUp()
        self.listener = None
        self.veth_up = False

    def tearDown(self):
        if self.listener and self.listener.poll() is None:
            self.listener.kill()
            self.listener.wait(timeout=10)
        if self.veth_up:
            # Gone already when the listener's namespace ended with it.
            subprocess.run(["ip", "link", "del", "vwake0"], check=False, stderr=subprocess.DEVNULL)
        super().tearDown()

    def start_listener(self, seconds):
        self.listener = subprocess.Popen(["unshare", "-n", sys.executable, "-c", self.LISTENER, str(WAKE_PORT),
                                          str(seconds)], stdout=subprocess.PIPE, text=True)
        self.assertEqual(self.listener.stdout.readline().strip(), "ready")
        pid = str(self.listener.pid)
        ip = lambda *args: subprocess.run(["ip", *args], check=True)
        ip("link", "add", "vwake0", "type", "veth", "peer", "name", "vwake1", "netns", pid)
        self.veth_up = True
        ip("addr", "add", "10.99.0.1/24", "dev", "vwake0")
        ip("link", "set", "vwake0", "up")
        ip("route", "add", "255.255.255.255/32", "dev", "vwake0")
        listener_ip = ["nsenter", "-t", pid, "-n", "ip"]
        subprocess.run(listener_ip + ["addr", "add", "10.99.0.2/24", "dev", "vwake1"], check=True)
        subprocess.run(listener_ip + ["link", "set", "vwake1", "up"], check=True)
        subprocess.run(listener_ip + ["link", "set", "lo", "up"], check=True)

    def received(self):
        import json
        out, _ = self.listener.communicate(timeout=60)
        return json.loads(out.strip().splitlines()[-1])

    def add_and_select(self):
        self.open_remote()
        self.fill_form("PC1", "00-11-22-33-44-55")
        self.press(ADD)
        self.expect_file(list_file(("PC1", "00-11-22-33-44-55", "40000")))
        self.click_row(0)
        self.assertEqual(self.selected_row(), 0)

    def test_enter_in_the_name_field_sends_one_packet(self):
        self.add_and_select()
        self.start_listener(8)
        self.click_field(NAME)
        self.xdotool("key", "Return")
        self.assertIn("OK", self.box_text())
        self.dismiss_box()
        got = self.received()
        self.assertEqual(len(got), 1, got)
        self.assertEqual(got[0]["port"], WAKE_PORT)
        self.assertEqual(got[0]["host"], "10.99.0.1")
        self.assertEqual(bytes.fromhex(got[0]["data"]), magic_packet([0x00, 0x11, 0x22, 0x33, 0x44, 0x55]))
        print("capture: %s:%d -> 255.255.255.255:%d, %d bytes, %s..." % (
            got[0]["host"], got[0]["port"], WAKE_PORT, len(got[0]["data"]) // 2, got[0]["data"][:36]))
        self.assertTrue(self.item(REMOTE, IDOK)["visible"] == "1")  # the window stays open

    def test_taken_port_sends_nothing_and_says_nothing(self):
        self.add_and_select()
        self.start_listener(5)
        holder = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        holder.bind(("0.0.0.0", WAKE_PORT))
        try:
            self.press(IDOK)
            self.assertIsNone(self.box_text(timeout_ms=3000))
            self.assertEqual(self.received(), [])
        finally:
            holder.close()


if __name__ == "__main__":
    unittest.main()
