// The class layer under Wine: the profile through the real private-profile
// functions, message-table dispatch, and the dialog's data exchange.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "afx/app.h"
#include "afx/controls.h"
#include "afx/ddx.h"
#include "afx/dialog.h"
#include "afx/module_directory.h"
#include "res/resource.h"

namespace {

std::string WindowsDirFile(const std::string& name) {
  char dir[MAX_PATH] = {};
  ::GetWindowsDirectoryA(dir, MAX_PATH);
  return std::string(dir) + "\\" + name;
}

TEST(Profile, LivesInTheWindowsDirectoryAsDecimalText) {
  CWinApp* app = AfxGetApp();
  ASSERT_NE(app, nullptr);
  app->SetModule(::GetModuleHandleA(nullptr));
  EXPECT_EQ(app->m_profileName, app->m_appName + ".INI");
  EXPECT_EQ(std::string(AfxGetAppName()), app->m_appName);
  const std::string path = WindowsDirFile(app->m_profileName);
  ::DeleteFileA(path.c_str());

  EXPECT_EQ(static_cast<int>(app->GetProfileIntA("SOUND", "DWHOUR", 7)), 7);
  EXPECT_TRUE(app->WriteProfileInt("SOUND", "DWHOUR", 23));
  EXPECT_TRUE(app->WriteProfileInt("SOUND", "DWDAY", -1));
  EXPECT_EQ(static_cast<int>(app->GetProfileIntA("SOUND", "DWHOUR", 0)), 23);
  EXPECT_EQ(static_cast<int>(app->GetProfileIntA("SOUND", "DWDAY", 0)), -1);
  EXPECT_EQ(static_cast<int>(app->GetProfileIntA("OTHER", "DWHOUR", 5)), 5);

  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file.good()) << path;
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("[SOUND]"), std::string::npos);
  EXPECT_NE(text.str().find("DWHOUR=23"), std::string::npos);
  EXPECT_NE(text.str().find("DWDAY=-1"), std::string::npos);

  // Text that is not a number reads as 0, like a missing entry with default 0.
  ::WritePrivateProfileStringA("SOUND", "DWMIN", "abc", app->m_profileName.c_str());
  EXPECT_EQ(static_cast<int>(app->GetProfileIntA("SOUND", "DWMIN", 0)), 0);

  // As text, which the schedule reads: missing gives the default, blanks
  // around the value are dropped, a text too long for a number reads empty.
  EXPECT_EQ(app->GetProfileStringA("SOUND", "DWMIN", "x"), "abc");
  EXPECT_EQ(app->GetProfileStringA("SOUND", "DWSEC", "x"), "x");
  EXPECT_EQ(app->GetProfileStringA("SOUND", "DWSEC", ""), "");
  ::WritePrivateProfileStringA("SOUND", "DWSEC", "  42  ", app->m_profileName.c_str());
  EXPECT_EQ(app->GetProfileStringA("SOUND", "DWSEC", ""), "42");
  ::WritePrivateProfileStringA("SOUND", "DWSEC", "", app->m_profileName.c_str());
  EXPECT_EQ(app->GetProfileStringA("SOUND", "DWSEC", "x"), "");
  ::WritePrivateProfileStringA("SOUND", "DWSEC", std::string(80, '1').c_str(), app->m_profileName.c_str());
  EXPECT_EQ(app->GetProfileStringA("SOUND", "DWSEC", ""), "");
  ::DeleteFileA(path.c_str());
}

// The tests run with the Japanese code page: a double-byte name's second
// byte may be 0x5C, and the program's own name is not cut there.
TEST(ModuleName, LeadBytesOfTheAnsiCodePage) {
  ASSERT_EQ(::GetACP(), 932u);
  EXPECT_TRUE(IsAnsiLeadByte(0x83));  // ソ is 83 5C
  EXPECT_FALSE(IsAnsiLeadByte('\\'));
  EXPECT_FALSE(IsAnsiLeadByte('A'));
  const std::string directory = GetModuleDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.back(), '\\');
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  EXPECT_EQ(std::string(path).rfind(directory, 0), 0u);
}

constexpr UINT WM_TEST_PLAIN = WM_APP + 1;
UINT g_registered = ::RegisterWindowMessageA("VaroAfxTestMessage");

class CBaseWnd : public CWnd {
 public:
  std::vector<std::string> calls;

 protected:
  void OnBaseCommand() { calls.push_back("base-cmd"); }
  void OnOverridden() { calls.push_back("base-overridden"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
  ON_COMMAND(200, OnBaseCommand)
  ON_COMMAND(201, OnOverridden)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
 protected:
  void OnTimer(UINT_PTR id) { calls.push_back("timer " + std::to_string(id)); }
  void OnCmd() { calls.push_back("cmd"); }
  void OnClicked() { calls.push_back("clicked"); }
  void OnDerivedOverride() { calls.push_back("derived-overridden"); }
  LRESULT OnPlain(WPARAM wp, LPARAM lp) {
    calls.push_back("plain");
    return static_cast<LRESULT>(wp + lp);
  }
  LRESULT OnRegistered(WPARAM, LPARAM) {
    calls.push_back("registered");
    return 42;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
  ON_WM_TIMER()
  ON_COMMAND(100, OnCmd)
  ON_BN_CLICKED(101, OnClicked)
  ON_COMMAND(201, OnDerivedOverride)
  ON_MESSAGE(WM_TEST_PLAIN, OnPlain)
  ON_REGISTERED_MESSAGE(g_registered, OnRegistered)
END_MESSAGE_MAP()

TEST(MessageTable, DispatchesByMessageCodeAndIdDerivedFirst) {
  HWND hwnd = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  CDerivedWnd wnd;
  ASSERT_TRUE(wnd.SubclassWindow(hwnd));
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &wnd);

  ::SendMessageA(hwnd, WM_TIMER, 7, 0);
  ::SendMessageA(hwnd, WM_COMMAND, 100, 0);                            // menu command
  ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
  ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(101, BN_DOUBLECLICKED), reinterpret_cast<LPARAM>(hwnd));
  ::SendMessageA(hwnd, WM_COMMAND, 200, 0);                            // from the base table
  ::SendMessageA(hwnd, WM_COMMAND, 201, 0);                            // the derived entry wins
  ::SendMessageA(hwnd, WM_COMMAND, 999, 0);                            // nobody's: default
  EXPECT_EQ(::SendMessageA(hwnd, WM_TEST_PLAIN, 2, 3), 5);
  EXPECT_EQ(::SendMessageA(hwnd, g_registered, 0, 0), 42);
  const std::vector<std::string> expected = {"timer 7", "cmd", "clicked", "base-cmd", "derived-overridden",
                                             "plain", "registered"};
  EXPECT_EQ(wnd.calls, expected);

  // Unhandled messages reach the window's own procedure.
  ::SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello"));
  EXPECT_EQ(wnd.GetWindowText(), "hello");

  ::DestroyWindow(hwnd);
  EXPECT_EQ(wnd.m_hWnd, nullptr);  // detached on the window's last message
}

// A dialog on the timer window's template that checks its own data exchange.
class CExchangeDlg : public CDialog {
 public:
  CExchangeDlg() : CDialog(IDD_TIMER) {}
  std::string boxText = "first";
  CComboBox list;
  int notificationsSeen = 0;
  int cancels = 0;
  bool sendDuringExchange = false;

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_DAYLIST, list);
    DDX_Text(dx, IDC_TIMERON, boxText);
    if (sendDuringExchange) SendClick();
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();  // moves boxText into the control
    PostMessage(WM_APP + 7);
    return TRUE;
  }
  void OnCancel() override {
    ++cancels;
    CDialog::OnCancel();
  }
  void OnBoxClicked() { ++notificationsSeen; }
  LRESULT OnRunChecks(WPARAM, LPARAM) {
    checksRan = true;
    listBound = list.m_hWnd == GetDlgItem(IDC_DAYLIST);
    list.AddString("x");
    listCount = list.GetCount();
    textShown = ::IsWindow(GetDlgItem(IDC_TIMERON)) ? CWndText(IDC_TIMERON) : "";
    ::SetWindowTextA(GetDlgItem(IDC_TIMERON), "second");
    UpdateData(TRUE);
    SendClick();                 // outside data exchange: handled
    sendDuringExchange = true;   // inside: ignored
    UpdateData(FALSE);
    sendDuringExchange = false;
    PostMessage(WM_CLOSE);       // the dialog manager turns it into Cancel
    return 0;
  }
  void SendClick() {
    SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TIMERON, BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(IDC_TIMERON)));
  }
  std::string CWndText(int id) {
    char buffer[256] = {};
    ::GetWindowTextA(GetDlgItem(id), buffer, sizeof(buffer));
    return buffer;
  }
  DECLARE_MESSAGE_MAP()

 public:
  bool checksRan = false, listBound = false;
  int listCount = 0;
  std::string textShown;
};

BEGIN_MESSAGE_MAP(CExchangeDlg, CDialog)
  ON_BN_CLICKED(IDC_TIMERON, OnBoxClicked)
  ON_MESSAGE(WM_APP + 7, OnRunChecks)
END_MESSAGE_MAP()

TEST(Dialog, DataExchangeBindsMovesTextAndLocksOutNotifications) {
  CExchangeDlg dlg;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  ASSERT_TRUE(dlg.checksRan);
  EXPECT_TRUE(dlg.listBound);
  EXPECT_EQ(dlg.listCount, 1);
  EXPECT_EQ(dlg.textShown, "first");
  EXPECT_EQ(dlg.boxText, "second");
  EXPECT_EQ(dlg.notificationsSeen, 1);
  EXPECT_EQ(dlg.cancels, 1);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(dlg.list.m_hWnd, nullptr);
}

// Stands in for the program's application object while it lives.
class ProbeApp : public CWinApp {
 public:
  int helps = 0;
  void OnHelp() override { ++helps; }
};

TEST(AppCommands, HelpFromF1OrTheCommandReachesTheApplicationOnce) {
  CWinApp* const program = AfxGetApp();
  {
    ProbeApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    CBaseWnd wnd;
    HWND hwnd = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(wnd.SubclassWindow(hwnd));
    HELPINFO info = {};
    info.cbSize = sizeof info;
    ::SendMessageA(hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(app.helps, 1);
    ::SendMessageA(hwnd, WM_COMMAND, AFX_ID_HELP, 0);
    EXPECT_EQ(app.helps, 2);
    // A command the window binds stays with the window; a control's
    // notification and an unbound command do not reach the application.
    ::SendMessageA(hwnd, WM_COMMAND, 200, 0);
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(AFX_ID_HELP, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
    ::SendMessageA(hwnd, WM_COMMAND, 4321, 0);
    EXPECT_EQ(app.helps, 2);
    EXPECT_EQ(wnd.calls, std::vector<std::string>{"base-cmd"});
    wnd.UnsubclassWindow();
    ::DestroyWindow(hwnd);
  }
  EXPECT_EQ(AfxGetApp(), program);
}

HWND g_outermostDialog = nullptr;

VOID CALLBACK EndAllFromTimer(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  AfxEndThreadDialogs(42, g_outermostDialog);
}

// Opens itself again inside its own modal loop until `depth` is reached;
// the innermost opens a message box, inside whose loop a timer ends every
// dialog of the thread.
class NestedDialog : public CDialog {
 public:
  NestedDialog(int depth, std::vector<INT_PTR>& results) : CDialog(IDD_ABOUTBOX), m_depth(depth), m_results(results) {}

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    if (!g_outermostDialog) g_outermostDialog = m_hWnd;
    PostMessage(WM_APP + 9);
    return TRUE;
  }
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg != WM_APP + 9) return CDialog::WindowProc(msg, wp, lp);
    if (m_depth > 1) {
      NestedDialog inner(m_depth - 1, m_results);
      m_results.push_back(inner.DoModal());
    } else {
      ::SetTimer(nullptr, 0, 300, &EndAllFromTimer);
      ::MessageBoxA(m_hWnd, "end", "nested", MB_OK);
    }
    return 0;
  }

 private:
  int m_depth;
  std::vector<INT_PTR>& m_results;
};

TEST(Dialog, EndingEveryDialogOfTheThreadUnwindsNestedModalLoops) {
  std::vector<INT_PTR> results;
  g_outermostDialog = nullptr;
  NestedDialog dialog(3, results);
  const INT_PTR result = dialog.DoModal();
  EXPECT_EQ(result, 42);
  EXPECT_EQ(results, (std::vector<INT_PTR>{42, 42}));
  EXPECT_FALSE(::IsWindow(g_outermostDialog));
}

// Records when its deferred start-up runs: after the window has shown and
// painted, and once, however often the window shows. Start stands for the
// ways a dialog meets its start.
class FirstShownDialog : public CDialog {
 public:
  enum class Start { kShown, kEnsuredInInit, kShowNeverSeen };
  explicit FirstShownDialog(Start start) : CDialog(IDD_ABOUTBOX), m_start(start) {}

  int runs = 0, paintsAtRun = -1;
  bool visibleAtRun = false;

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    if (m_start == Start::kEnsuredInInit) EnsureFirstShown();  // as a close that comes first
    ::SetTimer(m_hWnd, kCheckTimer, 100, nullptr);
    return TRUE;
  }
  void OnFirstShown() override {
    ++runs;
    paintsAtRun = m_paints;
    visibleAtRun = ::IsWindowVisible(m_hWnd) != FALSE;
  }
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_PAINT) ++m_paints;
    if (msg == WM_SHOWWINDOW && m_start == Start::kShowNeverSeen) return DefWindowProc(msg, wp, lp);
    if (msg == WM_TIMER && wp == kCheckTimer) {
      Check();
      return 0;
    }
    return CDialog::WindowProc(msg, wp, lp);
  }

 private:
  static constexpr UINT_PTR kCheckTimer = 1;
  // Once it has run: hidden and shown again, then ended a little later, so
  // that a second run would come first. Ended anyway after 20 s.
  void Check() {
    ++m_checks;
    if (runs == 1 && m_showAgainAt == 0) {
      ShowWindow(SW_HIDE);
      ShowWindow(SW_SHOW);
      m_showAgainAt = m_checks;
    }
    if ((m_showAgainAt != 0 && m_checks >= m_showAgainAt + 5) || m_checks >= 200) EndDialog(IDOK);
  }
  Start m_start;
  int m_paints = 0, m_checks = 0, m_showAgainAt = 0;
};

TEST(Dialog, DeferredStartUpRunsOnceAfterTheFirstPaintWhenAskedOrAtTheLatest) {
  FirstShownDialog shown(FirstShownDialog::Start::kShown);
  EXPECT_EQ(shown.DoModal(), IDOK);
  EXPECT_EQ(shown.runs, 1);
  EXPECT_TRUE(shown.visibleAtRun);
  EXPECT_GT(shown.paintsAtRun, 0) << "ran before the window was drawn";

  FirstShownDialog ensured(FirstShownDialog::Start::kEnsuredInInit);
  EXPECT_EQ(ensured.DoModal(), IDOK);
  EXPECT_EQ(ensured.runs, 1) << "run when asked for, and not again at the show";
  EXPECT_FALSE(ensured.visibleAtRun);

  FirstShownDialog unseen(FirstShownDialog::Start::kShowNeverSeen);
  EXPECT_EQ(unseen.DoModal(), IDOK);
  EXPECT_EQ(unseen.runs, 1) << "a dialog whose show never came still finishes its start";
}

}  // namespace
