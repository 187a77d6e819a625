#include "app/clock.h"

#include <windows.h>

ClockReading ReadLocalClock() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  ClockReading r;
  r.year = now.wYear;
  r.month = now.wMonth;
  r.day = now.wDay;
  r.hour = now.wHour;
  r.minute = now.wMinute;
  r.second = now.wSecond;
  r.weekday = now.wDayOfWeek + 1;  // the system counts from Sunday = 0
  return r;
}
