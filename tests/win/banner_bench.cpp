// Figures for the banner control under Wine: how long a load takes (every
// frame decoded) and how much processor time an animation costs.
//   banner_bench load FILE [TIMES]
//   banner_bench cpu FILE SECONDS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "banner/animated_picture.h"

namespace {

double Seconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 1e7;
}

double ProcessorSeconds() {
  FILETIME created, exited, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  return Seconds(kernel) + Seconds(user);
}

// Runs the message loop for the given time; answers the processor time used
// as a percentage of one core.
double PumpFor(DWORD ms) {
  const double cpuBefore = ProcessorSeconds();
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < ms) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  }
  const double wall = (::GetTickCount() - start) / 1000.0;
  return 100.0 * (ProcessorSeconds() - cpuBefore) / wall;
}

HWND ShowBannerWindow() {
  HWND window = ::CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE | SS_NOTIFY | SS_BLACKRECT, 100, 100, 237, 31,
                                nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  for (int attempt = 0; attempt < 100 && window == nullptr; ++attempt) {
    ::Sleep(200);  // the desktop may still be coming up
    window = ::CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE | SS_NOTIFY | SS_BLACKRECT, 100, 100, 237, 31,
                             nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  }
  return window;
}

int Load(const std::string& file, int times) {
  HWND window = ShowBannerWindow();
  CAnimatedPicture picture;
  picture.SubclassWindow(window);
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  int loaded = 0;
  for (int i = 0; i < times; ++i) loaded += picture.LoadFromFile(file) ? 1 : 0;
  ::QueryPerformanceCounter(&end);
  const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart / times;
  std::printf("load %s: %.1f ms per load (%d of %d loaded, animation %s)\n", file.c_str(), ms, loaded, times,
              picture.IsAnimation() ? "yes" : "no");
  picture.Clear();
  ::DestroyWindow(window);
  return loaded == times ? 0 : 1;
}

int Cpu(const std::string& file, DWORD seconds) {
  HWND window = ShowBannerWindow();
  CAnimatedPicture picture;
  picture.SubclassWindow(window);
  if (!picture.LoadFromFile(file)) {
    std::printf("cannot load %s\n", file.c_str());
    return 1;
  }
  const double idle = PumpFor(seconds * 1000);
  picture.Start();
  const double animating = PumpFor(seconds * 1000);
  picture.Stop();
  std::printf("cpu over %lu s, %% of one core: no banner %.2f, animating %.2f, difference %.2f\n",
              static_cast<unsigned long>(seconds), idle, animating, animating - idle);
  ::DestroyWindow(window);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "load" && argc >= 3) return Load(argv[2], argc >= 4 ? std::atoi(argv[3]) : 5);
  if (mode == "cpu" && argc >= 4) return Cpu(argv[2], static_cast<DWORD>(std::atoi(argv[3])));
  std::printf("usage: banner_bench load FILE [TIMES] | cpu FILE SECONDS\n");
  return 2;
}
