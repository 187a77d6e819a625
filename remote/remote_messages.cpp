#include "remote/remote_messages.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "afx/app.h"
#include "res/resource.h"

namespace {

// The string-table text id with printf-style arguments; the buffer holds
// the text and every path the arguments can bring.
std::string FormatStringId(UINT id, ...) {
  const std::string format = AfxLoadString(id);
  std::vector<char> text(format.size() + 2 * MAX_PATH + 64);
  va_list args;
  va_start(args, id);
  std::vsnprintf(text.data(), text.size(), format.c_str(), args);
  va_end(args);
  text.back() = '\0';
  return text.data();
}

// The path as the user can find it: ".\varotimer.dat" says nothing about where.
std::string FullPathOf(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
}

}  // namespace

void ShowListLoadProblem(const ListLoadResult& load, const std::string& listPath) {
  if (!load.recoveredFrom.empty()) {
    AfxMessageBox(FormatStringId(IDS_LIST_RECOVERED, FullPathOf(load.recoveredFrom).c_str()).c_str(), MB_OK);
  }
  switch (load.state) {
    case ListLoadState::kUnreadable:
      AfxMessageBox(FormatStringId(IDS_LIST_UNREADABLE, load.error, FullPathOf(listPath).c_str()).c_str(), MB_OK);
      break;
    case ListLoadState::kIncomplete:
      AfxMessageBox(FormatStringId(IDS_LIST_INCOMPLETE, FullPathOf(listPath).c_str()).c_str(), MB_OK);
      break;
    case ListLoadState::kNotAList:
      AfxMessageBox(FormatStringId(IDS_LIST_NOT_A_LIST, FullPathOf(listPath).c_str()).c_str(), MB_OK);
      break;
    case ListLoadState::kLoaded:
    case ListLoadState::kNoFile:
      break;
  }
}

void ShowListSaveFailed(unsigned long error, const std::string& listPath) {
  AfxMessageBox(FormatStringId(IDS_LIST_SAVE_FAILED, error, FullPathOf(listPath).c_str()).c_str(), MB_OK);
}

void ShowListChangedElsewhere(bool changeMade) {
  AfxMessageBox(changeMade ? IDS_LIST_CHANGED_ELSEWHERE : IDS_LIST_CHANGE_NOT_MADE, MB_OK);
}

void ShowListLeftAside(unsigned long error, const std::string& leftAside) {
  AfxMessageBox(FormatStringId(IDS_LIST_LEFT_ASIDE, error, FullPathOf(leftAside).c_str()).c_str(), MB_OK);
}

void ShowListBackupFailed(unsigned long error, const std::string& backupPath) {
  AfxMessageBox(FormatStringId(IDS_LIST_BACKUP_FAILED, error, FullPathOf(backupPath).c_str()).c_str(), MB_OK);
}

void ShowListBackupKept(const std::string& backupPath) {
  AfxMessageBox(FormatStringId(IDS_LIST_BACKUP_KEPT, FullPathOf(backupPath).c_str()).c_str(), MB_OK);
}

void ShowWakeSendFailed(int winsockError) {
  AfxMessageBox(FormatStringId(IDS_WAKE_SEND_FAILED, winsockError).c_str(), MB_OK);
}
