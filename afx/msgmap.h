#pragma once
// Message tables: each window class lists the messages, control notifications
// and commands it handles, and the base class's table is searched after its own.
#include <windows.h>

class CWnd;

enum class AfxSig {
  kEnd,
  kVoid,           // void ()
  kBool,           // BOOL () -- returns through the message result
  kUint,           // void (UINT)
  kUintLparam,     // void (UINT, LPARAM)
  kTimer,          // void (UINT_PTR)
  kLresultWl,      // LRESULT (WPARAM, LPARAM)
  kNotify,         // void (NMHDR*, LRESULT*)
  kHcursor,        // HCURSOR ()
};

using AFX_PMSG = void (CWnd::*)();

struct AFX_MSGMAP_ENTRY {
  UINT message;         // window message, or WM_COMMAND / WM_NOTIFY
  UINT code;            // notification code for WM_COMMAND / WM_NOTIFY
  UINT id;              // control or command id for WM_COMMAND / WM_NOTIFY
  const UINT* registered;  // for registered messages: where the number lives
  AfxSig sig;
  AFX_PMSG pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* entries;
};

#define DECLARE_MESSAGE_MAP()                        \
 protected:                                          \
  static const AFX_MSGMAP* GetThisMessageMap();      \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                \
    using ThisClass = theClass;                                                     \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                  \
  {0, 0, 0, nullptr, AfxSig::kEnd, nullptr}};                              \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                           \
  }

// Member pointers of the derived class are stored as pointers into CWnd and
// cast back to their own signature when dispatched.
#define AFX_PMSG_CAST(sigType, fn) \
  reinterpret_cast<AFX_PMSG>(static_cast<sigType>(fn))

#define ON_COMMAND(id, fn) \
  {WM_COMMAND, 0, (UINT)(id), nullptr, AfxSig::kVoid, AFX_PMSG_CAST(void (CWnd::*)(), &ThisClass::fn)},
#define ON_CONTROL(code, id, fn) \
  {WM_COMMAND, (UINT)(code), (UINT)(id), nullptr, AfxSig::kVoid, AFX_PMSG_CAST(void (CWnd::*)(), &ThisClass::fn)},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_STN_CLICKED(id, fn) ON_CONTROL(STN_CLICKED, id, fn)
#define ON_NOTIFY(code, id, fn)                                       \
  {WM_NOTIFY, (UINT)(code), (UINT)(id), nullptr, AfxSig::kNotify,     \
   AFX_PMSG_CAST(void (CWnd::*)(NMHDR*, LRESULT*), &ThisClass::fn)},
#define ON_MESSAGE(msg, fn)                                           \
  {(UINT)(msg), 0, 0, nullptr, AfxSig::kLresultWl,                    \
   AFX_PMSG_CAST(LRESULT (CWnd::*)(WPARAM, LPARAM), &ThisClass::fn)},
#define ON_REGISTERED_MESSAGE(msgVar, fn)                             \
  {0xC000, 0, 0, &(msgVar), AfxSig::kLresultWl,                       \
   AFX_PMSG_CAST(LRESULT (CWnd::*)(WPARAM, LPARAM), &ThisClass::fn)},
#define ON_WM_TIMER() \
  {WM_TIMER, 0, 0, nullptr, AfxSig::kTimer, AFX_PMSG_CAST(void (CWnd::*)(UINT_PTR), &ThisClass::OnTimer)},
#define ON_WM_SYSCOMMAND()                                            \
  {WM_SYSCOMMAND, 0, 0, nullptr, AfxSig::kUintLparam,                 \
   AFX_PMSG_CAST(void (CWnd::*)(UINT, LPARAM), &ThisClass::OnSysCommand)},
#define ON_WM_PAINT() \
  {WM_PAINT, 0, 0, nullptr, AfxSig::kVoid, AFX_PMSG_CAST(void (CWnd::*)(), &ThisClass::OnPaint)},
#define ON_WM_DESTROY() \
  {WM_DESTROY, 0, 0, nullptr, AfxSig::kVoid, AFX_PMSG_CAST(void (CWnd::*)(), &ThisClass::OnDestroy)},
#define ON_WM_QUERYDRAGICON() \
  {WM_QUERYDRAGICON, 0, 0, nullptr, AfxSig::kHcursor, AFX_PMSG_CAST(HCURSOR (CWnd::*)(), &ThisClass::OnQueryDragIcon)},
