"""The countdown against sleep and against timer messages that come too
early or too late, end to end (the shipped program, its real 30 seconds).

The count is measured in time the program saw pass while the system was
awake: resume messages end it without the action, forged timer messages do
not bring zero sooner, and a program that stalls comes back to the number
of the time that passed, never to a smaller one."""
import os
import signal
import time
from pathlib import Path

from test_countdown import CANCEL, COUNTDOWN, CountdownCase

WM_TIMER, WM_POWERBROADCAST = 0x113, 0x218
PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC = 0x4, 0x12
COUNTDOWN_TIMER = 123


def linux_pids_of(name):
    """Linux process ids whose command line names `name` (the sandbox's own
    process namespace holds only this test's processes)."""
    pids = []
    for entry in Path("/proc").iterdir():
        if entry.name.isdigit():
            try:
                if name.encode() in (entry / "cmdline").read_bytes():
                    pids.append(int(entry.name))
            except OSError:
                pass
    return pids


class SleepDuringCountdown(CountdownCase):
    def start_countdown(self):
        self.start_traced(0x10)
        self.start_again()

    def shown_ts(self):
        shows = [ts for ts, wp in self.relay.refresh().messages(self.countdown, "WM_SHOWWINDOW") if wp == 1]
        self.assertTrue(shows, "no WM_SHOWWINDOW for the countdown in the trace")
        return shows[0]

    def test_resume_or_suspend_ends_it_without_the_action(self):
        for event in (PBT_APMRESUMEAUTOMATIC, PBT_APMSUSPEND):
            with self.subTest(event=event):
                if event == PBT_APMRESUMEAUTOMATIC:
                    self.start_countdown()
                else:
                    self.start_again()
                rc, out = self.driver("post", COUNTDOWN, WM_POWERBROADCAST, event, 0)
                self.assertEqual(rc, 0, out)
                self.assertEqual(self.driver("wait-gone", COUNTDOWN, 10000)[0], 0)
                kills = [a for _, a in self.relay.refresh().calls("KillTimer", self.since)
                         if a.startswith("%08x,%08x" % (self.countdown, COUNTDOWN_TIMER))]
                self.assertTrue(kills, "the countdown's timer was not ended")
                self.wait_handled()
                self.assert_no_power_step()

    def start_again(self):
        """Applies a schedule a few seconds ahead and waits for the countdown's
        first second."""
        fire = self.apply_schedule()
        info = self.wait_countdown()
        self.countdown = int(info["hwnd"], 16)
        self.since = self.wall_to_ts(fire)
        self.wait_until(lambda: self.relay.refresh().count_texts(self.since), timeout=10,
                        message="the first second of the countdown")

    def test_forged_early_and_late_ticks_bring_zero_no_sooner(self):
        self.start_countdown()
        # Early: a flood of the countdown's own timer message.
        for _ in range(40):
            self.driver("post", COUNTDOWN, WM_TIMER, COUNTDOWN_TIMER, 0)
        # Late: the whole program stalls for 3 s, as on a machine that hangs.
        pids = linux_pids_of("VaroTimer.exe")
        self.assertTrue(pids, "the program's process was not found")
        for pid in pids:
            os.kill(pid, signal.SIGSTOP)
        try:
            time.sleep(3)
        finally:
            for pid in pids:
                os.kill(pid, signal.SIGCONT)
        resumed = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
        self.wait_until(lambda: self.relay.refresh().count_texts(resumed), timeout=10,
                        message="the count to go on after the stall")
        self.assertEqual(self.driver("click", COUNTDOWN, CANCEL)[0], 0)
        self.assertEqual(self.driver("wait-gone", COUNTDOWN, 10000)[0], 0)

        shown = self.shown_ts()
        texts = self.relay.refresh().count_texts(self.since)
        numbers = [int(t) for _, t in texts]
        self.assertEqual(numbers, list(range(29, 29 - len(numbers), -1)), texts)
        # Each number comes no sooner than its second of counted time: the
        # flood and the stall only ever make it later.
        for ts, text in texts:
            self.assertGreaterEqual(ts - shown, 30 - int(text) - 0.05, texts)
        self.assert_no_power_step()


if __name__ == "__main__":
    import unittest
    unittest.main()
