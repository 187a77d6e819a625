// The about box shows the program's product version.
#include "app/about_dlg.h"

#include <gtest/gtest.h>

#include "app/modal_test_support.h"
#include "res/resource.h"

namespace {

TEST(AboutBox, ShowsTheProductVersionAndEndsWithOkOrEsc) {
  struct EndCase {
    const char* how;
    void (*end)(HWND);
    INT_PTR result;
  };
  const EndCase cases[] = {
      {"OK", [](HWND hwnd) { ::PostMessageA(::GetDlgItem(hwnd, IDOK), BM_CLICK, 0, 0); }, IDOK},
      {"Esc",
       [](HWND hwnd) {
         ::PostMessageA(::GetDlgItem(hwnd, IDOK), WM_KEYDOWN, VK_ESCAPE, 1);
         ::PostMessageA(::GetDlgItem(hwnd, IDOK), WM_KEYUP, VK_ESCAPE, 0xC0000001);
       },
       IDCANCEL},
  };
  for (const EndCase& c : cases) {
    CAboutDlg about;
    const INT_PTR result = RunModalWatched(about, "VaroShutdown Information", [&](HWND hwnd) {
      EXPECT_EQ(WindowTextOf(::GetDlgItem(hwnd, IDC_VERSION)), "1, 0, 0, 4") << c.how;
      c.end(hwnd);
    });
    EXPECT_EQ(result, c.result) << c.how;
  }
}

}  // namespace
