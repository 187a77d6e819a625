#pragma once
// The remote power-on window: the list of computers and the wake command.
#include <string>
#include <vector>

#include "afx/dialog.h"
#include "afx/listctrl.h"
#include "banner/animated_picture.h"
#include "remote/core/list_file_keeper.h"
#include "remote/win_list_file_system.h"

class CRemotePowerDlg : public CDialog {
 public:
  explicit CRemotePowerDlg(CWnd* parent = nullptr);
  ~CRemotePowerDlg() override;

  // Writes the list's rows to the list file (bStore nonzero) or reads the
  // file into them. FALSE only when reading or writing broke off.
  BOOL SerializeComputerList(BOOL bStore);

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnFirstShown() override;  // starts the banner
  void OnOK() override;      // sends the wake packet; the dialog stays open
  void OnCancel() override;  // stops the banner and closes

  void OnAddEntry();
  void OnUpdateEntry();
  void OnDeleteEntry();
  void OnChangeMac1();
  void OnChangeMac2();
  void OnChangeMac3();
  void OnChangeMac4();
  void OnChangeMac5();
  void OnChangeMac6();
  void OnClickList(NMHDR* hdr, LRESULT* result);
  void OnBannerClicked();
  LRESULT OnShowListLoadProblem(WPARAM, LPARAM);

  DECLARE_MESSAGE_MAP()

  std::string m_strListPath;
  CAnimatedPicture m_banner;
  CListCtrl m_list;
  std::string m_strName;
  std::string m_strMac1;
  std::string m_strMac2;
  std::string m_strMac3;
  std::string m_strMac4;
  std::string m_strMac5;
  std::string m_strMac6;
  std::string m_strPort;

 private:
  void SetUpColumns();
  bool AnyMacPartEmpty() const;
  std::string JoinedMacText() const;
  // Moves on to the next field once part holds two bytes.
  void OnMacPartChanged(const std::string& part);
  void AdvanceToNextField();
  // Saves the list after change. When another copy had changed the file,
  // the rows show what it held with change made on it, and the user is told
  // once. When the save fails the user is told, and the rows go back to what
  // was last loaded or saved.
  void SaveChange(const ListChange& change);
  // The row as last loaded or saved, for a change made on it since.
  ComputerEntry SavedRow(int row) const;

  WinListFileSystem m_listFiles;
  ComputerListKeeper m_listKeeper;
  ListLoadResult m_listLoad = {ListLoadState::kNoFile, 0};
  ListSaveResult m_listSave;
  ListChange m_pendingChange;  // what the next store makes again on a file changed meanwhile
  std::vector<ComputerEntry> m_savedRows;
};
