// Two copies of the program on one list file, each in a process of its own,
// as with fast user switching or a remote desktop: every entry either saved
// is in the file once. The counts are printed as a table.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "afx/handles.h"
#include "remote/core/computer_list_file.h"
#include "remote/core/list_change.h"
#include "remote/core/list_file_keeper.h"
#include "remote/list_file_io.h"
#include "remote/list_file_mutex.h"
#include "remote/win_list_file_system.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Entries = std::vector<ComputerEntry>;

const Entries kStored = {{"PC1", "00-11-22-33-44-55", "40000"}, {"PC2", "aa-bb-cc-dd-ee-ff", "40000"}};
constexpr int kRounds = 50;
constexpr DWORD kWaitMs = 120000;

Bytes Encode(const Entries& entries) {
  ComputerTable rows(entries);
  return EncodeComputerList(rows);
}

Entries LoadFile(const std::string& path) {
  ComputerTable rows;
  EXPECT_TRUE(LoadListFile(path, rows));
  return rows.Entries();
}

// The entry a copy tagged tag adds in round (as remote_list_copy makes it).
ComputerEntry EntryFor(char tag, int round) {
  char mac[32];
  std::snprintf(mac, sizeof mac, "%02x-00-00-00-%02x-%02x", static_cast<unsigned>(tag) & 0xFF, (round >> 8) & 0xFF,
                round & 0xFF);
  return {std::string(1, tag) + std::to_string(round), mac, "40000"};
}

std::string Folder() {
  char module[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string path = module;
  return path.substr(0, path.find_last_of('\\') + 1);
}

class TwoCopies : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    m_dir = std::string(temp) + "varo_two_copies";
    ::CreateDirectoryA(m_dir.c_str(), nullptr);
    m_path = m_dir + "\\varotimer.dat";
    ::DeleteFileA(m_path.c_str());
    m_prefix = "VaroTwoCopies." + std::to_string(::GetCurrentProcessId());
    m_done.reset(::CreateSemaphoreA(nullptr, 0, 4 * kRounds, (m_prefix + ".done").c_str()));
    ASSERT_TRUE(m_done);
  }

  void TearDown() override {
    ::DeleteFileA(m_path.c_str());
    ::RemoveDirectoryA(m_dir.c_str());
  }

  void WriteList(const Entries& entries) {
    const Bytes bytes = Encode(entries);
    std::ofstream(m_path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // Starts a copy that adds `rounds` entries tagged tag.
  KernelHandle StartCopy(char tag, int rounds) {
    std::string command = "\"" + Folder() + "remote_list_copy.exe\" \"" + m_path + "\" " + std::string(1, tag) +
                          " " + std::to_string(rounds) + " " + m_prefix;
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      ADD_FAILURE() << "cannot start " << command << ": " << ::GetLastError();
      return KernelHandle();
    }
    ::CloseHandle(process.hThread);
    return KernelHandle(process.hProcess);
  }

  bool WaitDone(int times) {
    for (int i = 0; i < times; ++i) {
      if (::WaitForSingleObject(m_done.get(), kWaitMs) != WAIT_OBJECT_0) return false;
    }
    return true;
  }

  static DWORD ExitCode(const KernelHandle& process) {
    if (::WaitForSingleObject(process.get(), kWaitMs) != WAIT_OBJECT_0) return 999;
    DWORD code = 999;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
  }

  std::string m_dir;
  std::string m_path;
  std::string m_prefix;
  KernelHandle m_done;
};

struct Count {
  int lost = 0;
  int duplicated = 0;
};

// Of the expected entries: those not in the file, and the extra times an
// entry's address appears.
Count Tally(const Entries& expected, const Entries& file) {
  std::map<std::string, int> seen;
  for (const ComputerEntry& entry : file) ++seen[entry.mac];
  Count count;
  for (const ComputerEntry& entry : expected) {
    bool found = false;
    for (const ComputerEntry& row : file) found = found || row == entry;
    if (!found) ++count.lost;
  }
  for (const auto& address : seen) count.duplicated += address.second - 1;
  return count;
}

TEST_F(TwoCopies, BothSaveAtTheSameMomentEveryRound) {
  WriteList(kStored);
  std::vector<KernelHandle> go;
  for (int round = 0; round < kRounds; ++round) {
    go.emplace_back(::CreateEventA(nullptr, TRUE, FALSE, (m_prefix + ".go." + std::to_string(round)).c_str()));
    ASSERT_TRUE(go.back());
  }
  KernelHandle first = StartCopy('a', kRounds);
  KernelHandle second = StartCopy('b', kRounds);
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(WaitDone(2)) << "the copies did not load";
  int roundsRun = 0;
  for (int round = 0; round < kRounds; ++round) {
    ::SetEvent(go[static_cast<std::size_t>(round)].get());  // both wait on this one event
    if (!WaitDone(2)) break;
    ++roundsRun;
  }
  EXPECT_EQ(roundsRun, kRounds);
  EXPECT_EQ(ExitCode(first), 0u) << "saves that failed";
  EXPECT_EQ(ExitCode(second), 0u) << "saves that failed";

  Entries expected = kStored;
  for (int round = 0; round < kRounds; ++round) {
    expected.push_back(EntryFor('a', round));
    expected.push_back(EntryFor('b', round));
  }
  const Entries file = LoadFile(m_path);
  const Count count = Tally(expected, file);
  std::printf("\n| two copies, one list file | rounds | entries expected | entries lost | entries duplicated |\n"
              "|---|---|---|---|---|\n| both save at the same moment | %d | %zu | %d | %d |\n\n",
              roundsRun, expected.size(), count.lost, count.duplicated);
  EXPECT_EQ(count.lost, 0);
  EXPECT_EQ(count.duplicated, 0);
  EXPECT_EQ(file.size(), expected.size());
}

// This process is the open window; the other copy saves once meanwhile.
TEST_F(TwoCopies, WindowsAddUpdateAndDeleteKeepTheOtherCopysEntry) {
  WriteList(kStored);
  WinListFileSystem files;
  ComputerListKeeper window(files, &Utf16ToAnsiCodePage);
  ComputerTable rows;
  ASSERT_EQ(window.Load(m_path, rows).state, ListLoadState::kLoaded);

  KernelHandle go(::CreateEventA(nullptr, TRUE, TRUE, (m_prefix + ".go.0").c_str()));
  KernelHandle other = StartCopy('z', 1);
  ASSERT_TRUE(other);
  EXPECT_EQ(ExitCode(other), 0u);
  const ComputerEntry theirs = EntryFor('z', 0);

  const ComputerEntry added = {"mine", "01-02-03-04-05-06", "40000"};
  rows.InsertRow(0, added.name);
  rows.SetText(0, 1, added.mac);
  rows.SetText(0, 2, added.port);
  ListSaveResult saved = window.Save(m_path, rows, {ListChange::Kind::kAdd, {}, added});
  EXPECT_EQ(saved.error, 0u);
  EXPECT_TRUE(saved.reread);
  EXPECT_EQ(LoadFile(m_path), (Entries{added, theirs, kStored[0], kStored[1]}));
  EXPECT_EQ(rows.Entries(), LoadFile(m_path)) << "the window shows the file";

  // The other copy changes the list again, behind the window.
  const Entries behind = {theirs, added, kStored[0], kStored[1], {"late", "0f-0f-0f-0f-0f-0f", "40000"}};
  WriteList(behind);
  const ComputerEntry updated = {"PC1 new", kStored[0].mac, "40000"};
  rows.SetText(2, 0, updated.name);
  saved = window.Save(m_path, rows, {ListChange::Kind::kUpdate, kStored[0], updated});
  EXPECT_TRUE(saved.reread);
  EXPECT_TRUE(saved.changeMade);
  EXPECT_EQ(LoadFile(m_path), (Entries{theirs, added, updated, kStored[1], behind[4]}));

  WriteList({theirs, updated, kStored[1], behind[4]});
  SetRows(rows, {theirs, added, updated, kStored[1], behind[4]});
  saved = window.Save(m_path, rows, {ListChange::Kind::kDelete, kStored[1], {}});
  EXPECT_TRUE(saved.reread);
  EXPECT_EQ(LoadFile(m_path), (Entries{theirs, updated, behind[4]})) << "the other copy's delete stays";
}

TEST(ListMutexName, OneNamePerFileWhateverTheSpelling) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = temp;
  const std::string name = ListMutexName(folder + "varotimer.dat");
  EXPECT_EQ(name.rfind("Global\\", 0), 0u) << name;
  EXPECT_EQ(ListMutexName(folder + "VAROTIMER.DAT"), name);
  EXPECT_EQ(ListMutexName(folder + ".\\varotimer.dat"), name);
  EXPECT_NE(ListMutexName(folder + "other.dat"), name);
}

struct MutexProbe {
  HANDLE mutex;
  DWORD waited;
};

DWORD WINAPI TryToTakeMutex(void* parameter) {
  auto* probe = static_cast<MutexProbe*>(parameter);
  probe->waited = ::WaitForSingleObject(probe->mutex, 0);
  if (probe->waited == WAIT_OBJECT_0) ::ReleaseMutex(probe->mutex);
  return 0;
}

DWORD ProbeFromAnotherThread(HANDLE mutex) {
  MutexProbe probe{mutex, WAIT_FAILED};
  KernelHandle thread(::CreateThread(nullptr, 0, TryToTakeMutex, &probe, 0, nullptr));
  EXPECT_EQ(::WaitForSingleObject(thread.get(), kWaitMs), WAIT_OBJECT_0);
  return probe.waited;
}

TEST(ListMutex, NobodyElseTakesItWhileItIsHeld) {
  // A wait from the holding thread would pass (the mutex counts recursion),
  // so the probe runs in another thread.
  const std::string path = "C:\\varo-mutex-test\\varotimer.dat";
  std::unique_ptr<ListFileLock> held = LockListFile(path);
  ASSERT_NE(held, nullptr);
  KernelHandle mutex(::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, ListMutexName(path).c_str()));
  ASSERT_TRUE(mutex) << "every user may open it: " << ::GetLastError();
  EXPECT_EQ(ProbeFromAnotherThread(mutex.get()), static_cast<DWORD>(WAIT_TIMEOUT));
  held.reset();
  EXPECT_EQ(ProbeFromAnotherThread(mutex.get()), static_cast<DWORD>(WAIT_OBJECT_0));
}

}  // namespace
