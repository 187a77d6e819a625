#include "remote/remote_power_dlg.h"

#include "afx/app.h"
#include "afx/ddx.h"
#include "app/dpi_pictures.h"
#include "banner/banner_background.h"
#include "banner/banner_fetch.h"
#include "remote/core/directed_broadcast.h"
#include "remote/core/magic_packet.h"
#include "remote/install_path.h"
#include "remote/ipv4_interfaces.h"
#include "remote/list_ctrl_rows.h"
#include "remote/list_file_io.h"
#include "remote/magic_packet_sender.h"
#include "remote/remote_messages.h"
#include "remote/wake_port.h"
#include "res/resource.h"

namespace {

const char kBannerFileName[] = "sorel-ads.gif";
const char kDefaultPort[] = "40000";
const char kMacSeparator[] = "-";
constexpr int kColumnName = 0;
constexpr int kColumnMac = 1;
constexpr int kColumnPort = 2;
// The three columns always share 500 pixels: 2u, 2u and 4 * (125 - u).
constexpr int kColumnShareTotal = 125;
constexpr DWORD kListExtendedStyles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_FLATSB;
// Selects the whole text of the next field, so typing replaces it.
constexpr LPARAM kSelectAllEnd = 1024;
// Posted at initialisation, so that a load problem is told once the window shows.
constexpr UINT kMsgShowListLoadProblem = WM_APP + 0x31;

// The up to two bytes of a MAC text that make part k (0..5): the parse is by
// position, so every part is taken as two bytes and a separator.
std::string MacPartAt(const std::string& macText, int k) {
  const std::size_t start = static_cast<std::size_t>(3 * k);
  return start < macText.size() ? macText.substr(start, 2) : std::string();
}

}  // namespace

BEGIN_MESSAGE_MAP(CRemotePowerDlg, CDialog)
  ON_BN_CLICKED(IDC_ADD_ENTRY, OnAddEntry)
  ON_BN_CLICKED(IDC_UPDATE_ENTRY, OnUpdateEntry)
  ON_BN_CLICKED(IDC_DELETE_ENTRY, OnDeleteEntry)
  ON_EN_CHANGE(IDC_MAC1, OnChangeMac1)
  ON_EN_CHANGE(IDC_MAC2, OnChangeMac2)
  ON_EN_CHANGE(IDC_MAC3, OnChangeMac3)
  ON_EN_CHANGE(IDC_MAC4, OnChangeMac4)
  ON_EN_CHANGE(IDC_MAC5, OnChangeMac5)
  ON_EN_CHANGE(IDC_MAC6, OnChangeMac6)
  ON_NOTIFY(NM_CLICK, IDC_COMPUTER_LIST, OnClickList)
  ON_STN_CLICKED(IDC_REMOTE_BANNER, OnBannerClicked)
  ON_MESSAGE(kMsgShowListLoadProblem, OnShowListLoadProblem)
END_MESSAGE_MAP()

CRemotePowerDlg::CRemotePowerDlg(CWnd* parent)
    : CDialog(IDD_REMOTE, parent), m_listKeeper(m_listFiles, &Utf16ToAnsiCodePage) {}

CRemotePowerDlg::~CRemotePowerDlg() = default;

void CRemotePowerDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_REMOTE_BANNER, m_banner);
  DDX_Control(dx, IDC_COMPUTER_LIST, m_list);
  DDX_Text(dx, IDC_COMPUTER_NAME, m_strName);
  DDX_Text(dx, IDC_MAC1, m_strMac1);
  DDX_Text(dx, IDC_MAC2, m_strMac2);
  DDX_Text(dx, IDC_MAC3, m_strMac3);
  DDX_Text(dx, IDC_MAC4, m_strMac4);
  DDX_Text(dx, IDC_MAC5, m_strMac5);
  DDX_Text(dx, IDC_MAC6, m_strMac6);
  DDX_Text(dx, IDC_PORT, m_strPort);
}

BOOL CRemotePowerDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const int dpi = DialogDpiOf(m_hWnd);
  ShowLargeIcon(m_hWnd, IDC_REMOTE_ICON, IDR_MAINFRAME, dpi);
  m_banner.SetDisplayDpi(dpi);

  m_strListPath = ResolveComputerListPath();
  SetUpColumns();
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | kListExtendedStyles);
  SerializeComputerList(FALSE);
  if ((m_listLoad.state != ListLoadState::kLoaded && m_listLoad.state != ListLoadState::kNoFile) ||
      !m_listLoad.recoveredFrom.empty()) {
    ::PostMessageA(m_hWnd, kMsgShowListLoadProblem, 0, 0);
  }

  m_strPort = kDefaultPort;
  ::EnableWindow(GetDlgItem(IDC_PORT), FALSE);  // the port is fixed for the dialog's life
  UpdateData(FALSE);
  return TRUE;  // focus to the first tab stop, the wake button
}

void CRemotePowerDlg::OnFirstShown() {
  if (const CWinApp* app = AfxGetApp(); app != nullptr && app->IsExiting()) return;
  // The window never waits for the banner: it comes when it is ready.
  ShowBannerInBackground(m_banner, kBannerFileName);
  if (IsWindowVisible()) m_banner.Start();
}

void CRemotePowerDlg::SetUpColumns() {
  RECT client = {};
  m_list.GetClientRect(&client);
  const int unit = (client.right - client.left) / 5;
  m_list.InsertColumn(kColumnName, AfxLoadString(IDS_COL_NAME).c_str(), LVCFMT_LEFT, 2 * unit);
  m_list.InsertColumn(kColumnMac, AfxLoadString(IDS_COL_MAC).c_str(), LVCFMT_LEFT, 2 * unit);
  m_list.InsertColumn(kColumnPort, AfxLoadString(IDS_COL_PORT).c_str(), LVCFMT_LEFT,
                      4 * (kColumnShareTotal - unit));
}

BOOL CRemotePowerDlg::SerializeComputerList(BOOL bStore) {
  ListCtrlRows rows(m_list);
  if (bStore) {
    m_listSave = m_listKeeper.Save(m_strListPath, rows, m_pendingChange);
    m_pendingChange = {};
    if (m_listSave.error != 0) return FALSE;
  } else {
    m_listLoad = m_listKeeper.Load(m_strListPath, rows);
  }
  m_savedRows = CopyRows(rows);
  return bStore || m_listLoad.state != ListLoadState::kIncomplete ? TRUE : FALSE;
}

LRESULT CRemotePowerDlg::OnShowListLoadProblem(WPARAM, LPARAM) {
  // A modal dialog first shows when its queue runs empty, after this
  // message: the user should see the window the message speaks of.
  if (!::IsWindowVisible(m_hWnd)) {
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::UpdateWindow(m_hWnd);
  }
  ShowListLoadProblem(m_listLoad, m_strListPath);
  return 0;
}

void CRemotePowerDlg::SaveChange(const ListChange& change) {
  m_pendingChange = change;
  if (SerializeComputerList(TRUE)) {
    if (m_listSave.reread) ShowListChangedElsewhere(m_listSave.changeMade);
    if (!m_listSave.backup.empty()) ShowListBackupKept(m_listSave.backup);
    return;
  }
  if (!m_listSave.backupRefused.empty()) {
    ShowListBackupFailed(m_listSave.error, m_listSave.backupRefused);
  } else if (!m_listSave.leftAside.empty()) {
    ShowListLeftAside(m_listSave.error, m_listSave.leftAside);
  } else {
    ShowListSaveFailed(m_listSave.error, m_strListPath);
  }
  ListCtrlRows rows(m_list);
  SetRows(rows, m_savedRows);
}

bool CRemotePowerDlg::AnyMacPartEmpty() const {
  return m_strMac1.empty() || m_strMac2.empty() || m_strMac3.empty() || m_strMac4.empty() || m_strMac5.empty() ||
         m_strMac6.empty();
}

ComputerEntry CRemotePowerDlg::SavedRow(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < m_savedRows.size() ? m_savedRows[static_cast<std::size_t>(row)]
                                                                          : ComputerEntry{};
}

std::string CRemotePowerDlg::JoinedMacText() const {
  return m_strMac1 + kMacSeparator + m_strMac2 + kMacSeparator + m_strMac3 + kMacSeparator + m_strMac4 +
         kMacSeparator + m_strMac5 + kMacSeparator + m_strMac6;
}

void CRemotePowerDlg::OnOK() {
  std::string macText;
  bool found = false;
  for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row != -1; row = m_list.GetNextItem(row, LVNI_SELECTED)) {
    macText = m_list.GetItemText(row, kColumnMac);
    found = true;
  }
  if (!found) return;

  const MagicPacket packet = BuildMagicPacket(macText);
  // Beside the limited broadcast, which leaves through one adapter only,
  // each network the computer is on gets the packet at its own broadcast.
  const std::vector<std::uint32_t> networks = DirectedBroadcastAddresses(ReadIpv4Interfaces());
  const WakeSendReport report = SendMagicPacket(packet, WakePortFromText(m_strPort), networks);
  if (report.sent == 0) {
    ShowWakeSendFailed(report.error);
    return;
  }
  AfxMessageBox("OK", MB_OK);
}

void CRemotePowerDlg::OnCancel() {
  m_banner.Stop();
  CDialog::OnCancel();
}

void CRemotePowerDlg::OnAddEntry() {
  UpdateData(TRUE);
  if (AnyMacPartEmpty()) {
    AfxMessageBox(IDS_MAC_INCOMPLETE, MB_OK);
    return;
  }
  const std::string macText = JoinedMacText();
  const int count = m_list.GetItemCount();
  for (int row = 0; row < count; ++row) {
    // Byte for byte: "aa-..." and "AA-..." are different addresses here.
    if (m_list.GetItemText(row, kColumnMac) == macText) {
      AfxMessageBox(IDS_MAC_DUPLICATE, MB_OK);
      return;
    }
  }
  m_list.InsertItem(0, m_strName.c_str());
  m_list.SetItemText(0, kColumnMac, macText.c_str());
  m_list.SetItemText(0, kColumnPort, m_strPort.c_str());
  ListChange change;
  change.kind = ListChange::Kind::kAdd;
  change.after = {m_strName, macText, m_strPort};
  SaveChange(change);
}

void CRemotePowerDlg::OnUpdateEntry() {
  UpdateData(TRUE);
  ListChange change;
  for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row != -1; row = m_list.GetNextItem(row, LVNI_SELECTED)) {
    // The new name stays in the row even when the address turns out incomplete.
    m_list.SetItemText(row, kColumnName, m_strName.c_str());
    if (AnyMacPartEmpty()) {
      AfxMessageBox(IDS_MAC_INCOMPLETE, MB_OK);
      return;
    }
    m_list.SetItemText(row, kColumnMac, JoinedMacText().c_str());
    m_list.SetItemText(row, kColumnPort, m_strPort.c_str());
    change.kind = ListChange::Kind::kUpdate;
    change.before = SavedRow(row);
    change.after = {m_strName, JoinedMacText(), m_strPort};
  }
  SaveChange(change);
}

void CRemotePowerDlg::OnDeleteEntry() {
  // Rows move up after a delete, so each search starts from the top again.
  ListChange change;
  for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row != -1; row = m_list.GetNextItem(-1, LVNI_SELECTED)) {
    if (!m_list.DeleteItem(row)) break;
    change.kind = ListChange::Kind::kDelete;
    change.before = SavedRow(row);
  }
  SaveChange(change);
}

void CRemotePowerDlg::OnClickList(NMHDR*, LRESULT* result) {
  bool found = false;
  for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row != -1; row = m_list.GetNextItem(row, LVNI_SELECTED)) {
    m_strName = m_list.GetItemText(row, kColumnName);
    const std::string macText = m_list.GetItemText(row, kColumnMac);
    std::string* parts[] = {&m_strMac1, &m_strMac2, &m_strMac3, &m_strMac4, &m_strMac5, &m_strMac6};
    for (int k = 0; k < 6; ++k) *parts[k] = MacPartAt(macText, k);
    found = true;
  }
  if (found) UpdateData(FALSE);
  *result = 0;
}

void CRemotePowerDlg::OnChangeMac1() {
  UpdateData(TRUE);
  OnMacPartChanged(m_strMac1);
}

void CRemotePowerDlg::OnChangeMac2() {
  UpdateData(TRUE);
  OnMacPartChanged(m_strMac2);
}

void CRemotePowerDlg::OnChangeMac3() {
  UpdateData(TRUE);
  OnMacPartChanged(m_strMac3);
}

void CRemotePowerDlg::OnChangeMac4() {
  UpdateData(TRUE);
  OnMacPartChanged(m_strMac4);
}

void CRemotePowerDlg::OnChangeMac5() {
  UpdateData(TRUE);
  OnMacPartChanged(m_strMac5);
}

void CRemotePowerDlg::OnChangeMac6() {
  UpdateData(TRUE);
  OnMacPartChanged(m_strMac6);
}

void CRemotePowerDlg::OnMacPartChanged(const std::string& part) {
  if (part.size() == 2) AdvanceToNextField();  // bytes: a double-byte character counts as two
}

void CRemotePowerDlg::AdvanceToNextField() {
  HWND focus = ::GetFocus();
  // Text set from outside while the focus is elsewhere does not move it.
  if (!focus || !::IsChild(m_hWnd, focus)) return;
  HWND next = ::GetNextDlgTabItem(m_hWnd, focus, FALSE);
  if (!next) return;
  ::SetFocus(next);
  ::SendMessageA(next, EM_SETSEL, 0, kSelectAllEnd);
}

void CRemotePowerDlg::OnBannerClicked() { OpenMakerSite(); }
