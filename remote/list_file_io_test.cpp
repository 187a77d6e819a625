// The list file through a real list control and real files in the prefix.
#include "remote/list_file_io.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "afx/listctrl.h"
#include "remote/list_ctrl_rows.h"
#include "remote/win_handle.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A report-view list control with the dialog's three columns, in a hidden window.
class ListControlFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(m_owner, nullptr);
    HWND list = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT | LVS_SINGLESEL, 0, 0, 500, 200,
                                  m_owner, nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(m_list.SubclassWindow(list));
    for (int column = 0; column < 3; ++column) m_list.InsertColumn(column, "c", LVCFMT_LEFT, 100);

    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    m_dir = std::string(temp) + "varo_list_test";
    ::CreateDirectoryA(m_dir.c_str(), nullptr);
    m_path = m_dir + "\\varotimer.dat";
    ::DeleteFileA(m_path.c_str());
  }

  void TearDown() override {
    m_list.UnsubclassWindow();
    if (m_owner) ::DestroyWindow(m_owner);
    ::DeleteFileA(m_path.c_str());
    ::RemoveDirectoryA(m_dir.c_str());
  }

  // True when the folder holds the list file alone: no temporary file left.
  bool OnlyTheListFile() const {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((m_dir + "\\*").c_str(), &found);
    int files = 0;
    bool onlyList = true;
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      ++files;
      onlyList = onlyList && std::string(found.cFileName) == "varotimer.dat";
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return files == 1 && onlyList;
  }

  void AddRow(const std::string& name, const std::string& mac, const std::string& port) {
    const int row = m_list.InsertItem(m_list.GetItemCount(), name.c_str());
    m_list.SetItemText(row, 1, mac.c_str());
    m_list.SetItemText(row, 2, port.c_str());
  }

  std::vector<std::vector<std::string>> Rows() const {
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < m_list.GetItemCount(); ++row) {
      rows.push_back({m_list.GetItemText(row, 0), m_list.GetItemText(row, 1), m_list.GetItemText(row, 2)});
    }
    return rows;
  }

  static Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  static bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  HWND m_owner = nullptr;
  CListCtrl m_list;
  std::string m_dir;
  std::string m_path;
};

const Bytes kOneEntryFile = {0x03, 'P', 'M', 'S', 0x01, 0x00, 0x00, 0x00, 0x03, 'P', 'C', '1', 0x11,
                             '0',  '0', '-', '1', '1', '-', '2', '2', '-', '3', '3', '-', '4', '4', '-',
                             '5',  '5', 0x05, '4', '0', '0', '0', '0'};

TEST_F(ListControlFixture, SavesTheDocumentedBytesFromTheControl) {
  AddRow("PC1", "00-11-22-33-44-55", "40000");
  ListCtrlRows rows(m_list);
  EXPECT_TRUE(SaveListFile(m_path, rows));
  EXPECT_EQ(ReadAll(m_path), kOneEntryFile);
  EXPECT_TRUE(OnlyTheListFile());
}

TEST_F(ListControlFixture, SaveThenLoadKeepsRowsAndOrder) {
  const std::string longName(300, 'n');  // beyond the one-byte prefix
  const std::string japanese = "\x83\x52\x83\x93\x83\x73\x83\x85\x81\x5B\x83\x5E";  // katakana, code page 932
  AddRow("alpha", "00-11-22-33-44-55", "40000");
  AddRow("", "aa-bb-cc-dd-ee-ff", "40000");
  AddRow(longName, "AA-BB-CC-DD-EE-FF", "9");
  if (::GetACP() == 932) AddRow(japanese, "01-02-03-04-05-06", "40000");
  // Enough rows to carry the file past the reader's 4096-byte buffer.
  for (int i = 0; i < 150; ++i) AddRow("pc" + std::to_string(i), "10-20-30-40-50-60", "40000");
  const auto saved = Rows();

  ListCtrlRows rows(m_list);
  ASSERT_TRUE(SaveListFile(m_path, rows));
  ASSERT_GT(ReadAll(m_path).size(), 4096u);
  m_list.DeleteAllItems();
  EXPECT_TRUE(LoadListFile(m_path, rows));
  EXPECT_EQ(Rows(), saved);
}

TEST_F(ListControlFixture, LoadOutcomes) {
  struct Case {
    const char* what;
    bool fileExists;
    Bytes bytes;
    bool result;
    std::vector<std::vector<std::string>> rows;
  };
  const std::vector<std::vector<std::string>> before = {{"old", "x", "y"}};
  const std::vector<Case> cases = {
      {"missing file", false, {}, true, before},
      {"empty file", true, {}, false, before},
      // A 32-bit length far beyond the file: refused, never allocated.
      {"huge length", true, {0x03, 'P', 'M', 'S', 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0x7F}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_list.DeleteAllItems();
    AddRow("old", "x", "y");
    ::DeleteFileA(m_path.c_str());
    if (c.fileExists) WriteAll(m_path, c.bytes);
    ListCtrlRows rows(m_list);
    EXPECT_EQ(LoadListFile(m_path, rows), c.result);
    EXPECT_EQ(Rows(), c.rows);
  }
}

TEST_F(ListControlFixture, Utf16TextLoadsInTheAnsiCodePage) {
  if (::GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  // FF, FFFE, then 3 UTF-16LE characters: "PCコ" (U+30B3).
  Bytes file = {0x03, 'P', 'M', 'S', 1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 3, 'P', 0, 'C', 0, 0xB3, 0x30,
                1,    'm', 1,   'p'};
  WriteAll(m_path, file);
  ListCtrlRows rows(m_list);
  EXPECT_TRUE(LoadListFile(m_path, rows));
  ASSERT_EQ(m_list.GetItemCount(), 1);
  EXPECT_EQ(m_list.GetItemText(0, 0), "PC\x83\x52");
}

// The control keeps its texts as UTF-16: the ANSI get-text answers with a
// count that is no byte count for double-byte names, and a buffer cut may
// fall inside a character. Lengths around the first buffer of 256 bytes.
TEST_F(ListControlFixture, DoubleByteNamesReadBackWhole) {
  if (::GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  const std::string ko = "\x83\x52";  // one katakana, two bytes
  std::vector<std::string> names;
  for (int characters : {1, 126, 127, 128, 129, 200, 300}) {
    std::string name;
    for (int i = 0; i < characters; ++i) name += ko;
    names.push_back(name);
    names.push_back("a" + name);  // an odd byte count: a cut lands inside a character
  }
  for (const std::string& name : names) AddRow(name, ko + "-" + name, "40000");
  for (std::size_t row = 0; row < names.size(); ++row) {
    SCOPED_TRACE(names[row].size());
    EXPECT_EQ(m_list.GetItemText(static_cast<int>(row), 0), names[row]);
    EXPECT_EQ(m_list.GetItemText(static_cast<int>(row), 1), ko + "-" + names[row]);
  }
  // And through the list file: saved and loaded back unchanged.
  ListCtrlRows rows(m_list);
  ASSERT_TRUE(SaveListFile(m_path, rows));
  const auto saved = Rows();
  m_list.DeleteAllItems();
  EXPECT_TRUE(LoadListFile(m_path, rows));
  EXPECT_EQ(Rows(), saved);
}

// A list control that keeps its texts as UTF-16 may answer the ANSI
// get-text with the text's length in characters, not bytes. Wine's answers
// in bytes; this puts the character count in its place.
WNDPROC g_listProc = nullptr;

LRESULT CALLBACK AnswersInCharacters(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT answer = ::CallWindowProcA(g_listProc, hwnd, message, wParam, lParam);
  if (message != LVM_GETITEMTEXTA) return answer;
  const auto* item = reinterpret_cast<const LVITEMA*>(lParam);
  return ::MultiByteToWideChar(CP_ACP, 0, item->pszText, -1, nullptr, 0) - 1;
}

TEST_F(ListControlFixture, DoubleByteNamesReadBackWholeWhereTheAnswerCountsCharacters) {
  if (::GetACP() != 932) GTEST_SKIP() << "needs code page 932";
  std::string katakana;
  for (int i = 0; i < 10; ++i) katakana += "\x83\x52";
  AddRow(katakana, "00-11-22-33-44-55", "40000");
  g_listProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      m_list.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AnswersInCharacters)));
  const std::string read = m_list.GetItemText(0, 0);
  ::SetWindowLongPtrA(m_list.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
  EXPECT_EQ(read, katakana);
}

TEST_F(ListControlFixture, FailedReplaceKeepsTheOldFileWhole) {
  WriteAll(m_path, kOneEntryFile);
  AddRow("new", "66-77-88-99-AA-BB", "40000");
  // Another program holds the list file open without sharing it: it can't be replaced.
  WinFileHandle holder(::CreateFileA(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder.IsValid());
  ListCtrlRows rows(m_list);
  EXPECT_FALSE(SaveListFile(m_path, rows));
  holder.Close();
  EXPECT_EQ(ReadAll(m_path), kOneEntryFile);
  EXPECT_TRUE(OnlyTheListFile());
}

// Nothing written is a failed save now: the window must not show rows that
// are on no disk.
TEST_F(ListControlFixture, UncreatableFileWritesNothingAndFails) {
  AddRow("new", "66-77-88-99-AA-BB", "40000");
  const std::string missingDir = m_dir + "\\no-such-dir\\varotimer.dat";
  ListCtrlRows rows(m_list);
  EXPECT_FALSE(SaveListFile(missingDir, rows));
  EXPECT_FALSE(Exists(missingDir));
}

}  // namespace
