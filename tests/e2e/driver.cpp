// Drives the program's windows from another process in the same Wine prefix
// and desktop. Results go to stdout as UTF-8 text. Status: 0 done, 1 the
// condition failed or timed out, 2 bad usage.
// "driver COMMAND ARGS" runs one command and exits with its status.
// "driver serve" runs one command per stdin line (UTF-8, arguments separated
// by tabs) and ends each answer with a line "\x1e<status>": a scenario pays
// the start of a Wine process once instead of once per command.
// "driver keep-desktop" stays on the desktop until it is ended.
//
// Wine closes a virtual desktop one second after its last program has left
// it; a program that opens it in that second gets a desktop that is going
// away and cannot create a window. Between two test programs on a busy
// machine that gap is easily longer, so "serve" and "keep-desktop" stay on
// the desktop as a user of it for as long as they run.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

std::wstring TextOf(HWND hwnd) {
  wchar_t buffer[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 3000, &copied);
  return buffer;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetClassNameW(hwnd, buffer, 256);
  return buffer;
}

unsigned long Number(const wchar_t* text) { return std::wcstoul(text, nullptr, 0); }

// A target is "title:TEXT", "class:NAME" or "hwnd:0x1234".
struct Target {
  std::wstring kind, value;
};

Target ParseTarget(const wchar_t* spec) {
  std::wstring s = spec;
  const size_t colon = s.find(L':');
  if (colon == std::wstring::npos) return {L"title", s};
  return {s.substr(0, colon), s.substr(colon + 1)};
}

struct FindState {
  const Target* target;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lp) {
  FindState* st = reinterpret_cast<FindState*>(lp);
  if (st->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
  const Target& t = *st->target;
  bool match = false;
  if (t.kind == L"title") match = TextOf(hwnd) == t.value;
  else if (t.kind == L"class") match = ClassOf(hwnd) == t.value;
  if (match) {
    st->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindInChildrenProc(HWND top, LPARAM lp) {
  FindState* st = reinterpret_cast<FindState*>(lp);
  EnumChildWindows(top, FindProc, lp);
  return st->found ? FALSE : TRUE;
}

HWND Find(const Target& t, bool visibleOnly) {
  if (t.kind == L"hwnd") {
    HWND h = reinterpret_cast<HWND>(static_cast<UINT_PTR>(Number(t.value.c_str())));
    if (!IsWindow(h) || (visibleOnly && !IsWindowVisible(h))) return nullptr;
    return h;
  }
  FindState st = {&t, visibleOnly, nullptr};
  EnumWindows(FindProc, reinterpret_cast<LPARAM>(&st));
  if (!st.found) {
    // A window hidden into the tray is a child of an owner window, not a
    // top-level window: look among the descendants as well.
    EnumWindows(FindInChildrenProc, reinterpret_cast<LPARAM>(&st));
  }
  return st.found;
}

// Waits up to timeoutMs for the target, visible or any.
HWND WaitFor(const Target& t, bool visibleOnly, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND h = Find(t, visibleOnly)) return h;
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(50);
  }
}

int Fail(const char* what) {
  std::printf("%s\n", what);
  return 1;
}

void PrintInfo(HWND h) {
  RECT r = {};
  GetWindowRect(h, &r);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  std::printf("hwnd=0x%lx visible=%d enabled=%d iconic=%d foreground=%d style=0x%08lx exstyle=0x%08lx "
              "rect=%ld,%ld,%ld,%ld owner=0x%lx parent=0x%lx pid=%lu class=%s title=%s\n",
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(h)), IsWindowVisible(h) ? 1 : 0,
              IsWindowEnabled(h) ? 1 : 0, IsIconic(h) ? 1 : 0, GetForegroundWindow() == h ? 1 : 0,
              static_cast<unsigned long>(GetWindowLongW(h, GWL_STYLE)),
              static_cast<unsigned long>(GetWindowLongW(h, GWL_EXSTYLE)), r.left, r.top, r.right, r.bottom,
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(GetWindow(h, GW_OWNER))),
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(GetAncestor(h, GA_PARENT))), pid,
              Utf8(ClassOf(h)).c_str(), Utf8(TextOf(h)).c_str());
}

// Reads or writes a structure in the target's process for messages that
// carry a pointer (the system does not marshal them between processes).
class RemoteBuffer {
 public:
  RemoteBuffer(HWND h, SIZE_T size) : m_size(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (m_process) m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (m_address) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    if (m_process) CloseHandle(m_process);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool Ok() const { return m_address != nullptr; }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(m_address); }
  bool Write(const void* data) { return WriteProcessMemory(m_process, m_address, data, m_size, nullptr); }
  bool Read(void* data) { return ReadProcessMemory(m_process, m_address, data, m_size, nullptr); }

 private:
  HANDLE m_process = nullptr;
  void* m_address = nullptr;
  SIZE_T m_size;
};

BOOL CALLBACK ListProc(HWND h, LPARAM) {
  PrintInfo(h);
  return TRUE;
}

BOOL CALLBACK ChildListProc(HWND h, LPARAM) {
  std::printf("  id=%d ", GetDlgCtrlID(h));
  PrintInfo(h);
  return TRUE;
}

// Whether each child's text fits its control, measured with the dialog's
// font (face, points) as the dialog made it for the screen's DPI. The font
// handle itself cannot cross processes. One line per control with text:
// needed and available size in pixels, fits=0|1.
struct TextFitState {
  HDC dc;
  int dpi;
  int lineHeight;
};

int Scaled(int pixelsAt96, int dpi) { return MulDiv(pixelsAt96, dpi, 96); }

BOOL CALLBACK TextFitProc(HWND h, LPARAM lp) {
  const TextFitState& st = *reinterpret_cast<const TextFitState*>(lp);
  const std::wstring cls = ClassOf(h), text = TextOf(h);
  if (text.empty() || !IsWindowVisible(h)) return TRUE;
  const LONG style = GetWindowLongW(h, GWL_STYLE);
  int margin = 0;  // pixels of the control that its text cannot use
  bool multiLine = false;
  UINT prefix = 0;
  if (cls == L"Static") {
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_SIMPLE &&
        type != SS_LEFTNOWORDWRAP) {
      return TRUE;  // a picture or a frame
    }
    if (style & SS_NOPREFIX) prefix = DT_NOPREFIX;
    if (style & (WS_BORDER | SS_SUNKEN)) margin = Scaled(4, st.dpi);
    multiLine = type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP;
  } else if (cls == L"Button") {
    const LONG type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
      margin = Scaled(6, st.dpi);  // frame and focus rectangle
    } else if (type == BS_GROUPBOX) {
      margin = Scaled(12, st.dpi);  // the caption's indent and gaps in the frame
    } else {
      margin = Scaled(17, st.dpi);  // check box or radio button before the text
    }
    multiLine = (style & BS_MULTILINE) != 0;
  } else {
    return TRUE;  // edit fields, lists and pickers scroll their text
  }
  RECT client = {};
  GetClientRect(h, &client);
  const int haveWidth = client.right - margin, haveHeight = client.bottom;
  RECT one = {0, 0, 0, 0};
  DrawTextW(st.dc, text.c_str(), -1, &one, DT_CALCRECT | DT_SINGLELINE | prefix);
  bool fits;
  int needWidth = one.right, needHeight = one.bottom;
  if (multiLine && haveHeight >= 2 * st.lineHeight) {
    // Room for more than one line: the text may wrap, but all of it must show.
    RECT wrapped = {0, 0, haveWidth, 0};
    DrawTextW(st.dc, text.c_str(), -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | prefix);
    needWidth = wrapped.right;
    needHeight = wrapped.bottom;
  }
  fits = needWidth <= haveWidth && needHeight <= haveHeight;
  std::printf("id=%d class=%s need=%d,%d have=%d,%d fits=%d text=%s\n", GetDlgCtrlID(h), Utf8(cls).c_str(),
              needWidth, needHeight, haveWidth, haveHeight, fits ? 1 : 0, Utf8(text).c_str());
  return TRUE;
}

int TextFit(HWND h, const wchar_t* face, int points) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  TextFitState st = {dc, GetDeviceCaps(screen, LOGPIXELSY), 0};
  ReleaseDC(nullptr, screen);
  HFONT font;
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (std::wstring(face) == L"*message" &&
      SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font = CreateFontIndirectW(&metrics.lfMessageFont);  // the font of message boxes
  } else {
    font = CreateFontW(-MulDiv(points, st.dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
  }
  HGDIOBJ before = SelectObject(dc, font);
  TEXTMETRICW tm = {};
  GetTextMetricsW(dc, &tm);
  st.lineHeight = tm.tmHeight;
  std::printf("dpi=%d line=%d\n", st.dpi, st.lineHeight);
  EnumChildWindows(h, TextFitProc, reinterpret_cast<LPARAM>(&st));
  SelectObject(dc, before);
  DeleteObject(font);
  DeleteDC(dc);
  return 0;
}

struct PidWindow {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK VisibleWindowOfProc(HWND h, LPARAM lp) {
  PidWindow* st = reinterpret_cast<PidWindow*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != st->pid || !IsWindowVisible(h)) return TRUE;
  st->found = h;
  return FALSE;
}

// Starts exe with the rest of argv as its command line, from exe's folder,
// and prints the milliseconds until a top-level window of it is visible;
// then ends that process. A figure for benchmarks, not a test.
int LaunchTime(int argc, const wchar_t* const* argv) {
  std::wstring commandLine = L"\"" + std::wstring(argv[2]) + L"\"";
  for (int i = 3; i < argc; ++i) commandLine += L" " + std::wstring(argv[i]);
  std::wstring folder = argv[2];
  folder.erase(folder.find_last_of(L"\\/") == std::wstring::npos ? 0 : folder.find_last_of(L"\\/"));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  LARGE_INTEGER frequency, started, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&started);
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return Fail("cannot start");
  }
  PidWindow st = {process.dwProcessId, nullptr};
  double ms = 0;
  for (;;) {
    EnumWindows(VisibleWindowOfProc, reinterpret_cast<LPARAM>(&st));
    QueryPerformanceCounter(&now);
    ms = 1000.0 * static_cast<double>(now.QuadPart - started.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (st.found || ms > 120000 || WaitForSingleObject(process.hProcess, 2) == WAIT_OBJECT_0) break;
  }
  TerminateProcess(process.hProcess, 1);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!st.found) return Fail("no window");
  std::printf("ms=%.1f\n", ms);
  return 0;
}

int Usage() {
  std::printf(
      "usage: driver COMMAND ARGS\n"
      "  list | children TARGET\n"
      "  find TARGET [ms] | wait-visible TARGET ms | wait-hidden TARGET ms | wait-gone TARGET ms\n"
      "  info TARGET | item TARGET ID\n"
      "  click TARGET ID | command TARGET ID | post TARGET MSG WP LP | send TARGET MSG WP LP\n"
      "  settime TARGET ID HH:MM:SS | gettime TARGET ID | select TARGET ID INDEX | cursel TARGET ID\n"
      "  settext TARGET ID TEXT   WM_SETTEXT, as a paste would\n"
      "  key TARGET VK | broadcast NAME | foreground TARGET | client TARGET\n"
      "  text-fit TARGET FACE POINTS   whether each control's text fits it, in the dialog's font\n"
      "                    (FACE *message: the message boxes' font)\n"
      "  hold FILE ms      keeps FILE open without sharing, as a virus scanner may\n"
      "  launch-time EXE [ARGS]   ms from starting EXE to its first visible window; then ends it\n"
      "  serve             commands from stdin, one per line, arguments tab-separated\n"
      "  keep-desktop      stays on the desktop, so that Wine does not close it between programs\n"
      "TARGET: title:TEXT | class:NAME | hwnd:0x1234\n");
  return 2;
}

// argv[0] is unused, as in a command line.
int Run(int argc, const wchar_t* const* argv) {
  if (argc < 2) return Usage();
  const std::wstring cmd = argv[1];
  auto arg = [&](int i) -> const wchar_t* { return i < argc ? argv[i] : L""; };

  if (cmd == L"list") {
    EnumWindows(ListProc, 0);
    return 0;
  }
  if (cmd == L"launch-time") return argc < 3 ? Usage() : LaunchTime(argc, argv);
  if (cmd == L"broadcast") {
    const UINT msg = RegisterWindowMessageW(arg(2));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, msg, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    std::printf("message=0x%x\n", msg);
    return 0;
  }
  if (argc < 3) return Usage();
  if (cmd == L"hold") {
    HANDLE file = CreateFileW(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("cannot open");
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(Number(arg(3)));
    CloseHandle(file);
    return 0;
  }
  const Target target = ParseTarget(argv[2]);

  if (cmd == L"find" || cmd == L"wait-visible") {
    const DWORD timeout = argc > 3 ? Number(argv[3]) : 0;
    HWND h = WaitFor(target, cmd == L"wait-visible", timeout);
    if (!h) return Fail("not found");
    PrintInfo(h);
    return 0;
  }
  if (cmd == L"wait-hidden" || cmd == L"wait-gone") {
    const DWORD timeout = Number(arg(3));
    const DWORD start = GetTickCount();
    for (;;) {
      HWND h = Find(target, false);
      if (!h || (cmd == L"wait-hidden" && !IsWindowVisible(h))) return 0;
      if (GetTickCount() - start >= timeout) return Fail("still there");
      Sleep(50);
    }
  }

  HWND h = Find(target, false);
  if (!h) return Fail("not found");

  if (cmd == L"info") {
    PrintInfo(h);
    return 0;
  }
  if (cmd == L"children") {
    EnumChildWindows(h, ChildListProc, 0);
    return 0;
  }
  if (cmd == L"text-fit") {
    return TextFit(h, arg(3), static_cast<int>(Number(arg(4))));
  }
  if (cmd == L"foreground") {
    return SetForegroundWindow(h) ? 0 : Fail("refused");
  }
  if (cmd == L"client") {
    RECT r = {};
    if (!GetClientRect(h, &r)) return Fail("no client area");
    std::printf("width=%ld height=%ld\n", r.right - r.left, r.bottom - r.top);
    return 0;
  }
  if (cmd == L"post" || cmd == L"send") {
    const UINT msg = Number(arg(3));
    const WPARAM wp = Number(arg(4));
    const LPARAM lp = static_cast<LPARAM>(Number(arg(5)));
    if (cmd == L"post") return PostMessageW(h, msg, wp, lp) ? 0 : Fail("post failed");
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result)) return Fail("send failed");
    std::printf("result=%ld\n", static_cast<long>(result));
    return 0;
  }
  if (cmd == L"command") {
    return PostMessageW(h, WM_COMMAND, Number(arg(3)), 0) ? 0 : Fail("post failed");
  }
  if (cmd == L"key") {
    const WPARAM vk = Number(arg(3));
    GUITHREADINFO gti = {};
    gti.cbSize = sizeof(gti);
    HWND focus = h;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(h, nullptr), &gti) && gti.hwndFocus) focus = gti.hwndFocus;
    PostMessageW(focus, WM_KEYDOWN, vk, 1);
    PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
    return 0;
  }

  const int id = static_cast<int>(Number(arg(3)));
  HWND item = GetDlgItem(h, id);
  if (!item) return Fail("no such item");

  if (cmd == L"item") {
    const LRESULT check = SendMessageW(item, BM_GETCHECK, 0, 0);
    std::printf("visible=%d enabled=%d checked=%d text=%s\n", IsWindowVisible(item) ? 1 : 0,
                IsWindowEnabled(item) ? 1 : 0, static_cast<int>(check), Utf8(TextOf(item)).c_str());
    return 0;
  }
  if (cmd == L"click") {
    // A disabled button would still take BM_CLICK under Wine; a user could not.
    if (!IsWindowEnabled(item)) return Fail("disabled");
    return PostMessageW(item, BM_CLICK, 0, 0) ? 0 : Fail("post failed");
  }
  if (cmd == L"settext") {
    // The system carries WM_SETTEXT's string between processes. Typing
    // characters the keyboard lacks through the X server loses some of them
    // on a busy machine (each one remaps a key that Wine reads later).
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(arg(4)), SMTO_ABORTIFHUNG, 5000, &result) ||
        !result) {
      return Fail("refused");
    }
    return 0;
  }
  if (cmd == L"cursel") {
    std::printf("%ld\n", static_cast<long>(SendMessageW(item, CB_GETCURSEL, 0, 0)));
    return 0;
  }
  if (cmd == L"select") {
    // As a user's choice: select, then tell the owner.
    SendMessageW(item, CB_SETCURSEL, Number(arg(4)), 0);
    PostMessageW(h, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(item));
    return 0;
  }
  if (cmd == L"settime" || cmd == L"gettime") {
    RemoteBuffer remote(item, sizeof(SYSTEMTIME));
    if (!remote.Ok()) return Fail("no remote memory");
    SYSTEMTIME st = {};
    if (cmd == L"gettime") {
      SendMessageW(item, DTM_GETSYSTEMTIME, 0, remote.Address());
      remote.Read(&st);
      std::printf("%02u:%02u:%02u\n", st.wHour, st.wMinute, st.wSecond);
      return 0;
    }
    GetLocalTime(&st);
    unsigned hh = 0, mm = 0, ss = 0;
    if (swscanf(arg(4), L"%u:%u:%u", &hh, &mm, &ss) != 3) return Usage();
    st.wHour = static_cast<WORD>(hh);
    st.wMinute = static_cast<WORD>(mm);
    st.wSecond = static_cast<WORD>(ss);
    st.wMilliseconds = 0;
    remote.Write(&st);
    if (!SendMessageW(item, DTM_SETSYSTEMTIME, GDT_VALID, remote.Address())) return Fail("refused");
    // As a user's change: the owner hears DTN_DATETIMECHANGE. A WM_NOTIFY
    // cannot cross processes, so the test enables Apply another way.
    return 0;
  }
  return Usage();
}

std::wstring Wide(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

bool ReadLine(std::string& line) {
  line.clear();
  char chunk[4096];
  while (std::fgets(chunk, sizeof chunk, stdin)) {
    line += chunk;
    if (!line.empty() && line.back() == '\n') break;
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return !std::feof(stdin) || !line.empty();
}

// A message-only window: enough to be counted as a user of the desktop,
// invisible to the window lists the scenarios read.
HWND JoinDesktop() {
  return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
}

int KeepDesktop() {
  if (!JoinDesktop()) return Fail("cannot join the desktop");
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

int Serve() {
  JoinDesktop();
  std::string line;
  while (ReadLine(line)) {
    std::vector<std::wstring> args = {L"driver"};
    size_t start = 0;
    for (;;) {
      const size_t tab = line.find('\t', start);
      args.push_back(Wide(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    std::vector<const wchar_t*> argv;
    for (const std::wstring& a : args) argv.push_back(a.c_str());
    // Modes that last are not commands. (A hold answers once its time is up:
    // a hold meant to last while the scenario goes on needs a process too.)
    const bool ownProcess = args[1] == L"serve" || args[1] == L"keep-desktop";
    const int status = ownProcess ? Usage() : Run(static_cast<int>(argv.size()), argv.data());
    std::printf("\x1e%d\n", status);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"serve") return Serve();
  if (argc == 2 && std::wstring(argv[1]) == L"keep-desktop") return KeepDesktop();
  return Run(argc, argv);
}
