#!/usr/bin/env python3
"""Takes the README's screenshots: docs/timer-window.png (the timer window
with the banner from the local stand-in site), docs/tray-menu.png (the
tray menu opened with a right click on the icon) and
docs/timer-window-150.png (the timer window on a screen at 150 %, 144 DPI).
Runs the built program in throwaway copies of the template prefix; run it
inside the sandbox:

    scripts/wine-sandbox.sh --bare -- python3 scripts/take-screenshots.py
"""
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from test_banner import INTERNET_SETTINGS, Site  # noqa: E402
from test_tray import ICON  # noqa: E402
from varo_e2e import TIMER_TITLE, Prefix, parse_info, stop  # noqa: E402


def crop(display, rect, target):
    left, top, right, bottom = rect
    subprocess.run(["/usr/bin/import", "-display", display, "-window", "root", "-crop",
                    "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage", str(target)],
                   check=True, timeout=60)
    print("wrote", target.relative_to(ROOT))


def wait_for(prefix, predicate, what, timeout=60):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = predicate()
        if found:
            return found
        time.sleep(0.3)
    raise SystemExit("timed out waiting for " + what)


def visible_menu(prefix):
    _, out = prefix.driver("list")
    menus = [parse_info(line) for line in out.splitlines() if "class=#32768" in line]
    return next((m for m in menus if m.get("visible") == "1"), None)


def timer_window(prefix, site, target):
    """Starts the program and crops its timer window into target; answers the Popen."""
    prefix.reg_add(INTERNET_SETTINGS, "ProxyEnable", 1, "REG_DWORD")
    prefix.reg_add(INTERNET_SETTINGS, "ProxyServer", "127.0.0.1:%d" % site.port)
    app = prefix.start_app()
    rc, out = prefix.driver("wait-visible", "title:" + TIMER_TITLE, 60000, timeout=120)
    if rc != 0:
        stop(app)
        raise SystemExit("the timer window did not appear: " + out)
    time.sleep(3)  # the first frames of the banner, and the caption's repaint
    window = [int(v) for v in parse_info(out)["rect"].split(",")]
    crop(prefix.env["DISPLAY"], window, target)
    return app


def main():
    site = Site()
    try:
        scaled = Prefix(dpi=144)
        try:
            stop(timer_window(scaled, site, ROOT / "docs" / "timer-window-150.png"))
        finally:
            scaled.close()
        tray_menu_and_timer_window(site)
    finally:
        site.close()


def tray_menu_and_timer_window(site):
    prefix = Prefix()
    app = None
    try:
        app = timer_window(prefix, site, ROOT / "docs" / "timer-window.png")
        display = prefix.env["DISPLAY"]

        subprocess.run(["xdotool", "mousemove", str(ICON[0]), str(ICON[1]), "click", "3"],
                       env=prefix.env, check=True, timeout=30)
        menu = wait_for(prefix, lambda: visible_menu(prefix), "the tray menu")
        # Off the icon, so that its tip does not cover the menu.
        subprocess.run(["xdotool", "mousemove", "600", "300"], env=prefix.env, check=True, timeout=30)
        time.sleep(2)
        left, top, _, _ = [int(v) for v in menu["rect"].split(",")]
        crop(display, (left - 4, top - 4, 1024, 768), ROOT / "docs" / "tray-menu.png")
    finally:
        if app:
            stop(app)
        prefix.close()


if __name__ == "__main__":
    main()
