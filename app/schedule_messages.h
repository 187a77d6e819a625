#pragma once
// What the timer window tells the user about its profile.

// An Apply whose profile write failed: `timerOn` says which way the box was.
void ShowScheduleNotSaved(bool timerOn, unsigned long error);
