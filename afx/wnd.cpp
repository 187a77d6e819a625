#include "afx/wnd.h"

#include "afx/app.h"

namespace {

const char kObjectProperty[] = "VaroWndObject";

// The message each window object is handling, for Default(): one record on
// the stack of each AfxWndProc call, linked innermost first. The per-thread
// part is a bare pointer with no destructor, so windows destroyed during
// static teardown (after per-thread objects are gone) still dispatch safely.
struct CurrentMessage {
  CWnd* wnd;
  UINT msg;
  WPARAM wp;
  LPARAM lp;
  const CurrentMessage* outer;
};
thread_local const CurrentMessage* t_innermost = nullptr;

}  // namespace

// The window whose control notifications are ignored while its data exchange
// runs (setting a control's text would otherwise look like a user edit).
thread_local HWND g_lockoutNotifyWindow = nullptr;

CWnd::~CWnd() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) UnsubclassWindow();
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr, AfxSig::kEnd, nullptr}};
  static const AFX_MSGMAP map = {nullptr, entries};
  return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  return hwnd ? static_cast<CWnd*>(::GetPropA(hwnd, kObjectProperty)) : nullptr;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return FALSE;
  m_hWnd = hwnd;
  ::SetPropA(hwnd, kObjectProperty, this);
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
  HWND hwnd = m_hWnd;
  if (!hwnd) return nullptr;
  if (m_pfnSuper) ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  ::RemovePropA(hwnd, kObjectProperty);
  m_pfnSuper = nullptr;
  m_hWnd = nullptr;
  return hwnd;
}

std::string CWnd::GetWindowText() const {
  const int length = ::GetWindowTextLengthA(m_hWnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, msg, wp, lp);
  return ::DefWindowProcA(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::Default() {
  for (const CurrentMessage* m = t_innermost; m; m = m->outer) {
    if (m->wnd == this) return DefWindowProc(m->msg, m->wp, m->lp);
  }
  return 0;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (!OnWndMsg(msg, wp, lp, &result)) result = DefWindowProc(msg, wp, lp);
  return result;
}

const AFX_MSGMAP_ENTRY* CWnd::FindEntry(const AFX_MSGMAP* map, UINT msg, UINT code, UINT id) {
  for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->entries; e->sig != AfxSig::kEnd; ++e) {
      const UINT entryMsg = e->registered ? *e->registered : e->message;
      if (entryMsg != msg || entryMsg == 0) continue;
      if (msg == WM_COMMAND || msg == WM_NOTIFY) {
        if (e->code == code && e->id == id) return e;
      } else {
        return e;
      }
    }
  }
  return nullptr;
}

LRESULT CWnd::Dispatch(const AFX_MSGMAP_ENTRY* e, WPARAM wp, LPARAM lp) {
  switch (e->sig) {
    case AfxSig::kVoid:
      (this->*e->pfn)();
      return 0;
    case AfxSig::kBool:
      return (this->*reinterpret_cast<BOOL (CWnd::*)()>(e->pfn))();
    case AfxSig::kUint:
      (this->*reinterpret_cast<void (CWnd::*)(UINT)>(e->pfn))(static_cast<UINT>(wp));
      return 0;
    case AfxSig::kUintLparam:
      (this->*reinterpret_cast<void (CWnd::*)(UINT, LPARAM)>(e->pfn))(static_cast<UINT>(wp), lp);
      return 0;
    case AfxSig::kTimer:
      (this->*reinterpret_cast<void (CWnd::*)(UINT_PTR)>(e->pfn))(static_cast<UINT_PTR>(wp));
      return 0;
    case AfxSig::kLresultWl:
      return (this->*reinterpret_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(e->pfn))(wp, lp);
    case AfxSig::kHcursor:
      return reinterpret_cast<LRESULT>((this->*reinterpret_cast<HCURSOR (CWnd::*)()>(e->pfn))());
    case AfxSig::kNotify:
    case AfxSig::kEnd:
      break;
  }
  return 0;
}

BOOL CWnd::OnCommand(WPARAM wp, LPARAM lp) {
  const UINT id = LOWORD(wp);
  const UINT code = HIWORD(wp);
  const bool fromControl = lp != 0;
  if (fromControl && g_lockoutNotifyWindow == m_hWnd) return TRUE;  // data exchange runs
  // Menu and accelerator commands, and BN_CLICKED (code 0), bind by id alone.
  const AFX_MSGMAP_ENTRY* e = FindEntry(GetMessageMap(), WM_COMMAND, fromControl ? code : 0, id);
  if (!e) {
    // What no window handles goes on to the application's command table.
    CWinApp* app = AfxGetApp();
    return !fromControl && app ? app->OnCommand(id) : FALSE;
  }
  Dispatch(e, wp, lp);
  return TRUE;
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lp, LRESULT* result) {
  const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
  if (!hdr) return FALSE;
  if (g_lockoutNotifyWindow == m_hWnd) return TRUE;
  const AFX_MSGMAP_ENTRY* e =
      FindEntry(GetMessageMap(), WM_NOTIFY, static_cast<UINT>(hdr->code), static_cast<UINT>(hdr->idFrom));
  if (!e) return FALSE;
  *result = 0;
  (this->*reinterpret_cast<void (CWnd::*)(NMHDR*, LRESULT*)>(e->pfn))(const_cast<NMHDR*>(hdr), result);
  return TRUE;
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  if (msg == WM_COMMAND) return OnCommand(wp, lp);
  if (msg == WM_NOTIFY) return OnNotify(wp, lp, result);
  const AFX_MSGMAP_ENTRY* e = FindEntry(GetMessageMap(), msg, 0, 0);
  if (!e && msg == WM_HELP) {
    // F1: the Help command, like the menu item of that name.
    *result = TRUE;
    return OnCommand(AFX_ID_HELP, 0);
  }
  if (!e) return FALSE;
  *result = Dispatch(e, wp, lp);
  return TRUE;
}

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
  if (!wnd) return ::DefWindowProcA(hwnd, msg, wp, lp);
  const CurrentMessage current = {wnd, msg, wp, lp, t_innermost};
  t_innermost = &current;
  LRESULT result = wnd->WindowProc(msg, wp, lp);
  t_innermost = current.outer;
  if (msg == WM_NCDESTROY) {
    wnd->UnsubclassWindow();
    wnd->PostNcDestroy();
  }
  return result;
}
