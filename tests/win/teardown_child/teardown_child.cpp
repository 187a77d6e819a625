// The child of afx/teardown_test.cpp, built with the shipped program's
// compilers and runtime: a window of the class layer destroyed during static
// teardown, after the per-thread objects of the main thread are gone. Its
// messages must still dispatch, and dispatching must write nowhere but into
// live memory. The check runs in a static destructor; a fault ends the
// program with status 3.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "afx/wndcreate.h"

namespace {

constexpr unsigned char kFill = 0xA5;

bool g_perThreadObjectsGone = false;

// A per-thread object of this thread, destroyed with the others at exit.
struct PerThreadWitness {
  ~PerThreadWitness() { g_perThreadObjectsGone = true; }
  void Touch() {}
};
thread_local PerThreadWitness t_witness;

// Answers WM_GETTEXT through Default(), which needs the class layer's record
// of the message being handled; counts the messages it saw being destroyed.
class TeardownWindow : public CWnd {
 public:
  int destroyMessages = 0;
  std::string textByDefault;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_DESTROY) {
      ++destroyMessages;
      char text[64] = {};
      ::SendMessageA(m_hWnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
      textByDefault = text;
    }
    if (msg == WM_GETTEXT) return Default();
    return CWnd::WindowProc(msg, wp, lp);
  }
};

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "static teardown: %s\n", what);
  std::fflush(stderr);
  std::_Exit(3);
}

// Destroys its window from its destructor, as a static owner of a hidden
// window would. Freed blocks of every small size are taken and filled first:
// a dispatch that writes into per-thread memory already freed overwrites one
// of them, and the fill shows it.
class StaticOwner {
 public:
  ~StaticOwner() {
    if (!m_armed) return;
    std::vector<std::vector<unsigned char>> blocks;
    for (int round = 0; round < 8; ++round) {
      for (std::size_t size = 8; size <= 1024; size *= 2) blocks.emplace_back(size, kFill);
    }
    AfxDestroyWindow(m_window);
    for (const auto& block : blocks) {
      for (unsigned char byte : block) {
        if (byte != kFill) Fail("a dispatch wrote into freed memory");
      }
    }
    if (m_window.destroyMessages != 1) Fail("WM_DESTROY did not reach the window object");
    if (m_window.textByDefault != "teardown") Fail("Default() lost the message being handled");
    std::printf("static teardown: dispatch checked%s\n",
                g_perThreadObjectsGone ? " after the per-thread objects were destroyed" : "");
    std::fflush(stdout);
  }
  void Arm() {
    t_witness.Touch();
    if (!AfxCreateWindowEx(m_window, 0, AfxRegisterWndClass(0), "teardown", WS_POPUP, 0, 0, 10, 10, nullptr,
                           nullptr)) {
      Fail("no window");
    }
    m_armed = true;
  }
  TeardownWindow m_window;

 private:
  bool m_armed = false;
};

StaticOwner s_owner;

}  // namespace

int main() {
  s_owner.Arm();
  // While the program runs, the same path works: the text comes through Default().
  char text[64] = {};
  ::SendMessageA(s_owner.m_window.m_hWnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  if (std::strcmp(text, "teardown") != 0) Fail("Default() failed while the program runs");
  std::fflush(stdout);
  std::exit(0);  // per-thread objects first, then static ones
}
