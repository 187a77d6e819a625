// The computer list file under the faults of a real Windows disk, with real
// files in the prefix: for each fault the stored entries that are lost are
// counted, and printed as a table. The answer must always be 0.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "remote/core/computer_list_file.h"
#include "remote/core/file_errors.h"
#include "remote/core/list_file_keeper.h"
#include "remote/list_file_io.h"
#include "remote/win_handle.h"
#include "remote/win_list_file_system.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::vector<ComputerEntry> kStored = {
    {"PC1", "00-11-22-33-44-55", "40000"}, {"PC2", "aa-bb-cc-dd-ee-ff", "40000"}, {"PC3", "10-20-30-40-50-60", "9"}};

Bytes Encode(const std::vector<ComputerEntry>& entries) {
  ComputerTable rows(entries);
  return EncodeComputerList(rows);
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Every file in a folder, by name.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return names;
}

// A folder where only the list file may be written: the sandbox runs as root,
// which no folder permission stops, so the folder's refusal is injected.
class FolderNotWritable : public WinListFileSystem {
 public:
  Error CreateUniqueFile(const std::string&, std::string&) override { return ERROR_ACCESS_DENIED; }
  Error CopyToNewFile(const std::string&, const std::string&) override { return ERROR_ACCESS_DENIED; }
};

// A disk that fills up while the new list is being written, wherever it goes.
class FullHalfway : public WinListFileSystem {
 public:
  explicit FullHalfway(Bytes newBytes) : m_new(std::move(newBytes)) {}

 protected:
  Error WriteBytes(HANDLE file, const std::uint8_t* data, std::size_t size) override {
    if (size != m_new.size() || !std::equal(m_new.begin(), m_new.end(), data)) {
      return WinListFileSystem::WriteBytes(file, data, size);
    }
    WinListFileSystem::WriteBytes(file, data, size / 2);
    return ERROR_DISK_FULL;
  }

 private:
  Bytes m_new;
};

class ListFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    m_dir = std::string(temp) + "varo_list_faults";
    ClearFolder();
    ::CreateDirectoryA(m_dir.c_str(), nullptr);
    m_path = m_dir + "\\varotimer.dat";
  }
  void TearDown() override {
    ClearFolder();
    ::RemoveDirectoryA(m_dir.c_str());
  }

  void ClearFolder() {
    for (const std::string& name : FilesIn(m_dir)) {
      const std::string path = m_dir + "\\" + name;
      ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileA(path.c_str());
    }
  }

  // The stored entries found in no file of the folder; none when a file
  // still holds the original bytes.
  int EntriesLost(const Bytes& original) {
    std::vector<ComputerEntry> seen;
    for (const std::string& name : FilesIn(m_dir)) {
      const Bytes bytes = ReadAll(m_dir + "\\" + name);
      if (bytes == original) return 0;
      MemoryByteSource source(bytes);
      ComputerTable rows;
      (void)LoadComputerList(source, rows, &Utf16ToAnsiCodePage);
      seen.insert(seen.end(), rows.Entries().begin(), rows.Entries().end());
    }
    int lost = 0;
    for (const ComputerEntry& entry : kStored) lost += std::find(seen.begin(), seen.end(), entry) == seen.end();
    return lost;
  }

  static void Report(const char* fault, int lost) {
    std::printf("| %-64s | entries lost: %d |\n", fault, lost);
    std::fflush(stdout);
  }

  std::string m_dir;
  std::string m_path;
};

TEST_F(ListFaults, HeldOpenWhileTheDialogOpensThenReleasedBeforeADelete) {
  WriteAll(m_path, Encode(kStored));
  WinFileHandle holder(::CreateFileA(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder.IsValid());
  WinListFileSystem files;
  ComputerListKeeper keeper(files, &Utf16ToAnsiCodePage);
  ComputerTable rows;
  const DWORD start = ::GetTickCount();
  const ListLoadResult load = keeper.Load(m_path, rows);
  const DWORD waited = ::GetTickCount() - start;
  EXPECT_EQ(load.state, ListLoadState::kUnreadable);
  EXPECT_EQ(load.error, static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
  EXPECT_GE(waited, 900u) << "a held file is tried again for about a second";
  EXPECT_TRUE(rows.Entries().empty());

  // A Delete while it is still held: no backup can be made, so nothing is written.
  EXPECT_EQ(keeper.Save(m_path, rows).error, static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
  holder.Close();
  EXPECT_EQ(ReadAll(m_path), Encode(kStored));
  EXPECT_EQ(FilesIn(m_dir).size(), 1u);
  int lost = EntriesLost(Encode(kStored));
  Report("held open with no sharing at opening and at a Delete", lost);
  EXPECT_EQ(lost, 0);

  // Released before the next Delete: the old bytes go to the backup first,
  // and the save, which can now read the list, writes it back whole.
  const ListSaveResult save = keeper.Save(m_path, rows);
  EXPECT_EQ(save.error, 0u);
  EXPECT_EQ(save.backup, m_path + ".bak");
  EXPECT_EQ(ReadAll(m_path + ".bak"), Encode(kStored));
  EXPECT_EQ(ReadAll(m_path), Encode(kStored));
  EXPECT_EQ(rows.Entries(), kStored);
  lost = EntriesLost(Encode(kStored));
  Report("held open with no sharing at opening, released before a Delete", lost);
  EXPECT_EQ(lost, 0);
}

TEST_F(ListFaults, FilesThatDidNotLoadWholeAreKeptBeforeTheFirstSave) {
  Bytes otherHeader = Encode(kStored);
  otherHeader[3] = 'X';  // "PMX"
  Bytes shortCount = Encode(kStored);
  shortCount[4] = 5;  // a count of 5 over 3 entries
  const struct {
    const char* fault;
    Bytes file;
    ListLoadState state;
    std::size_t shown;
  } cases[] = {
      {"a header other than \"PMS\"", otherHeader, ListLoadState::kNotAList, 0},
      {"a count larger than the entries present", shortCount, ListLoadState::kIncomplete, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    ClearFolder();
    WriteAll(m_path, c.file);
    WinListFileSystem files;
    ComputerListKeeper keeper(files, &Utf16ToAnsiCodePage);
    ComputerTable rows;
    EXPECT_EQ(keeper.Load(m_path, rows).state, c.state);
    EXPECT_EQ(rows.Entries().size(), c.shown);
    rows.InsertRow(0, "added");  // an Add
    const ListSaveResult save = keeper.Save(m_path, rows);
    EXPECT_EQ(save.error, 0u);
    EXPECT_EQ(ReadAll(save.backup), c.file);
    EXPECT_EQ(ReadAll(m_path), Encode(rows.Entries()));
    const int lost = EntriesLost(c.file);
    Report(c.fault, lost);
    EXPECT_EQ(lost, 0);
  }
}

TEST_F(ListFaults, FolderNotWritableWithAWritableListFile) {
  WriteAll(m_path, Encode(kStored));
  ASSERT_TRUE(::SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_HIDDEN));
  FolderNotWritable files;
  ComputerListKeeper keeper(files, &Utf16ToAnsiCodePage);
  ComputerTable rows;
  EXPECT_EQ(keeper.Load(m_path, rows).state, ListLoadState::kLoaded);
  rows.InsertRow(0, "added");
  EXPECT_EQ(keeper.Save(m_path, rows).error, 0u) << "written in place, as the plain write did";
  EXPECT_EQ(ReadAll(m_path), Encode(rows.Entries()));
  EXPECT_EQ(FilesIn(m_dir).size(), 1u);
  EXPECT_TRUE(::GetFileAttributesA(m_path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  const int lost = EntriesLost(Encode(kStored));
  Report("a folder that cannot be written, with a writable list file", lost);
  EXPECT_EQ(lost, 0);

  // Shorter content cuts the file to its length.
  SetRows(rows, {kStored[0]});
  EXPECT_EQ(keeper.Save(m_path, rows).error, 0u);
  EXPECT_EQ(ReadAll(m_path), Encode({kStored[0]}));
}

TEST_F(ListFaults, SaveThatFailsHalfway) {
  WriteAll(m_path, Encode(kStored));
  std::vector<ComputerEntry> changed = kStored;
  changed.insert(changed.begin(), {"added", "01-02-03-04-05-06", "40000"});
  FullHalfway files(Encode(changed));
  ComputerListKeeper keeper(files, &Utf16ToAnsiCodePage);
  ComputerTable rows;
  EXPECT_EQ(keeper.Load(m_path, rows).state, ListLoadState::kLoaded);
  SetRows(rows, changed);
  EXPECT_EQ(keeper.Save(m_path, rows).error, static_cast<unsigned long>(ERROR_DISK_FULL));
  EXPECT_EQ(ReadAll(m_path), Encode(kStored)) << "the in-place write put the old bytes back";
  EXPECT_EQ(FilesIn(m_dir).size(), 1u) << "no temporary file left";
  const int lost = EntriesLost(Encode(kStored));
  Report("a save that fails halfway (disk full)", lost);
  EXPECT_EQ(lost, 0);
}

TEST_F(ListFaults, ReplaceKeepsTheListFilesAttributes) {
  WriteAll(m_path, Encode(kStored));
  ASSERT_TRUE(::SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ComputerTable rows(kStored);
  rows.InsertRow(0, "added");
  EXPECT_TRUE(SaveListFile(m_path, rows));
  EXPECT_EQ(ReadAll(m_path), Encode(rows.Entries()));
  EXPECT_TRUE(::GetFileAttributesA(m_path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(FilesIn(m_dir).size(), 1u);
}

struct ConcurrentSave {
  std::string path;
  std::vector<ComputerEntry> entries;
  HANDLE go;
  bool saved = false;
};

DWORD WINAPI SaveWhenSignalled(void* parameter) {
  auto* save = static_cast<ConcurrentSave*>(parameter);
  ::WaitForSingleObject(save->go, INFINITE);
  ComputerTable rows(save->entries);
  save->saved = SaveListFile(save->path, rows);
  return 0;
}

TEST_F(ListFaults, TwoSavesAtTheSameMoment) {
  std::vector<ComputerEntry> first = kStored;
  first.push_back({"first", "01-01-01-01-01-01", "40000"});
  std::vector<ComputerEntry> second = kStored;
  second.push_back({"second", "02-02-02-02-02-02", "40000"});
  int lost = 0;
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    WriteAll(m_path, Encode(kStored));
    HANDLE go = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(go, nullptr);
    ConcurrentSave a{m_path, first, go};
    ConcurrentSave b{m_path, second, go};
    HANDLE threads[2] = {::CreateThread(nullptr, 0, SaveWhenSignalled, &a, 0, nullptr),
                         ::CreateThread(nullptr, 0, SaveWhenSignalled, &b, 0, nullptr)};
    ::SetEvent(go);
    if (::WaitForMultipleObjects(2, threads, TRUE, 60000) != WAIT_OBJECT_0) {
      // Results read now would race the saves, which still use this round's data.
      ADD_FAILURE() << "the saves did not end";
      for (HANDLE thread : threads) ::TerminateThread(thread, 1);
    }
    for (HANDLE thread : threads) ::CloseHandle(thread);
    ::CloseHandle(go);

    const Bytes now = ReadAll(m_path);
    EXPECT_TRUE(a.saved || b.saved);
    // Whoever reported success wrote whole bytes of its own; the file holds
    // the list of one that did.
    const char* holds = now == Encode(first) ? "the first list" : now == Encode(second) ? "the second list"
                        : now == Encode(kStored) ? "the old list" : "other bytes";
    EXPECT_TRUE((a.saved && now == Encode(first)) || (b.saved && now == Encode(second)))
        << "first saved " << a.saved << ", second saved " << b.saved << ", the file holds " << holds;
    // The one file a race may leave beside the list is the old list moved
    // aside: the other save still held it open when this one removed it.
    // Never a part of a list, and never new bytes that no list holds.
    for (const std::string& name : FilesIn(m_dir)) {
      if (m_dir + "\\" + name == m_path) continue;
      EXPECT_EQ(ReadAll(m_dir + "\\" + name), Encode(kStored)) << name << " left beside the list";
      ::DeleteFileA((m_dir + "\\" + name).c_str());
    }
    lost += EntriesLost(Encode(kStored));
  }
  Report("two saves at the same moment (20 rounds)", lost);
  EXPECT_EQ(lost, 0);
}

}  // namespace
