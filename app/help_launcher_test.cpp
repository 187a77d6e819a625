// The help control loader through its seam, and the registry read of the
// control's path.
#include "app/help_launcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A stand-in system: which names load, whether the entry point exists, and a
// record of every call.
struct FakeSystem {
  std::string registeredPath;  // empty: no registry entry
  std::string systemDirectory = "C:\\windows\\system32";
  UINT systemDirectoryResult = 0;  // 0: the length of systemDirectory
  std::vector<std::string> loadable;
  bool hasEntry = true;

  std::vector<std::string> loads;
  std::vector<ULONG_PTR> lookups;
  int entryCalls = 0;
  HWND lastOwner = nullptr;
  std::string lastFile;
  UINT lastCommand = 0;
  DWORD_PTR lastData = 0;
};

FakeSystem* g_fake = nullptr;
// Distinct non-null values that are never dereferenced.
HMODULE const kFakeModule = reinterpret_cast<HMODULE>(0x10000);
HWND const kHelpWindow = reinterpret_cast<HWND>(0x4242);

BOOL FakeFindPath(char (&path)[kHelpControlPathSize]) {
  if (g_fake->registeredPath.empty()) return FALSE;
  std::strncpy(path, g_fake->registeredPath.c_str(), kHelpControlPathSize - 1);
  return TRUE;
}

HMODULE FakeLoad(const char* name) {
  g_fake->loads.push_back(name);
  for (const std::string& ok : g_fake->loadable) {
    if (ok == name) return kFakeModule;
  }
  return nullptr;
}

HWND WINAPI FakeEntry(HWND owner, LPCSTR file, UINT command, DWORD_PTR data) {
  ++g_fake->entryCalls;
  g_fake->lastOwner = owner;
  g_fake->lastFile = file;
  g_fake->lastCommand = command;
  g_fake->lastData = data;
  return kHelpWindow;
}

FARPROC FakeGetProc(HMODULE module, const char* name) {
  EXPECT_EQ(module, kFakeModule);
  g_fake->lookups.push_back(reinterpret_cast<ULONG_PTR>(name));
  return g_fake->hasEntry ? reinterpret_cast<FARPROC>(&FakeEntry) : nullptr;
}

UINT FakeSystemDirectory(char* buffer, UINT size) {
  const std::string& dir = g_fake->systemDirectory;
  if (dir.size() < size) std::memcpy(buffer, dir.c_str(), dir.size() + 1);
  if (g_fake->systemDirectoryResult) return g_fake->systemDirectoryResult;
  return static_cast<UINT>(dir.size() < size ? dir.size() : dir.size() + 1);
}

class HelpLoader : public ::testing::Test {
 protected:
  void SetUp() override { g_fake = &m_fake; }
  void TearDown() override { g_fake = nullptr; }

  FakeSystem m_fake;
  HelpControlLoader m_loader{{&FakeFindPath, &FakeLoad, &FakeGetProc, &FakeSystemDirectory}};
};

const char kRegistered[] = "C:\\Program Files\\Help\\hhctrl.ocx";
const char kInSystem[] = "C:\\windows\\system32\\hhctrl.ocx";

struct LoadCase {
  const char* what;
  std::string registeredPath;
  std::vector<std::string> loadable;
  std::vector<std::string> expectedLoads;
  bool loads;
};

class HelpLoaderOrder : public HelpLoader, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(HelpLoaderOrder, TriesTheRegisteredPathThenTheSystemFolder) {
  const LoadCase& c = GetParam();
  m_fake.registeredPath = c.registeredPath;
  m_fake.loadable = c.loadable;
  const HWND result = m_loader.Call(nullptr, "x.chm", 0, 0);
  EXPECT_EQ(m_fake.loads, c.expectedLoads) << c.what;
  EXPECT_EQ(result, c.loads ? kHelpWindow : nullptr) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Order, HelpLoaderOrder,
    ::testing::Values(
        LoadCase{"registered path loads", kRegistered, {kRegistered}, {kRegistered}, true},
        LoadCase{"no registry entry", "", {kInSystem}, {kInSystem}, true},
        LoadCase{"registered path broken", kRegistered, {kInSystem}, {kRegistered, kInSystem}, true},
        LoadCase{"nothing loads", kRegistered, {}, {kRegistered, kInSystem}, false},
        // Values the library search would resolve, starting in the program's folder.
        LoadCase{"bare registered name", "hhctrl.ocx", {"hhctrl.ocx", kInSystem}, {kInSystem}, true},
        LoadCase{"relative registered path", "help\\hhctrl.ocx", {kInSystem}, {kInSystem}, true},
        LoadCase{"unexpanded registered path", "%SystemRoot%\\System32\\hhctrl.ocx", {kInSystem}, {kInSystem},
                 true},
        LoadCase{"registered share path", "\\\\server\\help\\hhctrl.ocx", {"\\\\server\\help\\hhctrl.ocx"},
                 {"\\\\server\\help\\hhctrl.ocx"}, true}));

// Where the system folder cannot be had whole, nothing is loaded by a name
// the library search would resolve.
TEST_F(HelpLoader, SystemFolderPathsOfEveryShape) {
  struct Case {
    const char* what;
    std::string directory;
    UINT result;  // 0: as the real call would answer
    std::vector<std::string> expectedLoads;
  };
  const std::string longest(kHelpControlPathSize - sizeof "\\hhctrl.ocx", 'd');
  const Case cases[] = {
      {"root folder, ends in a backslash", "C:\\", 0, {"C:\\hhctrl.ocx"}},
      {"call fails", "", 0, {}},
      {"folder longer than the buffer", std::string(300, 'x'), 0, {}},
      {"longest folder that still fits", longest, 0, {longest + "\\hhctrl.ocx"}},
      {"folder fits, the file name does not", longest + 'y', 0, {}},
      {"answer claims more than the buffer holds", "C:\\windows", kHelpControlPathSize, {}},
  };
  for (const Case& c : cases) {
    FakeSystem fake;
    fake.systemDirectory = c.directory;
    fake.systemDirectoryResult = c.result;
    g_fake = &fake;
    HelpControlLoader loader({&FakeFindPath, &FakeLoad, &FakeGetProc, &FakeSystemDirectory});
    EXPECT_EQ(loader.Call(nullptr, "x.chm", 0, 0), nullptr) << c.what;
    EXPECT_EQ(fake.loads, c.expectedLoads) << c.what;
  }
  g_fake = &m_fake;
}

TEST_F(HelpLoader, LoadsOnceAndPassesTheValuesThrough) {
  m_fake.loadable = {kInSystem};
  const HWND owner = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(m_loader.Call(owner, "C:\\Tools\\VaroTimer.chm", 0, 0), kHelpWindow);
  EXPECT_EQ(m_loader.Call(owner, "other.chm", 0x12, 0xDEADBEEF), kHelpWindow);
  EXPECT_EQ(m_fake.loads.size(), 1u);
  ASSERT_EQ(m_fake.lookups.size(), 1u);
  EXPECT_EQ(m_fake.lookups[0], 14u);  // by ordinal
  EXPECT_EQ(m_fake.entryCalls, 2);
  EXPECT_EQ(m_fake.lastOwner, owner);
  EXPECT_EQ(m_fake.lastFile, "other.chm");
  EXPECT_EQ(m_fake.lastCommand, 0x12u);
  EXPECT_EQ(m_fake.lastData, 0xDEADBEEFu);
}

TEST_F(HelpLoader, FailedLoadIsNeverRetried) {
  EXPECT_EQ(m_loader.Call(nullptr, "x.chm", 0, 0), nullptr);
  const size_t attempts = m_fake.loads.size();
  m_fake.loadable = {kInSystem};  // would load now
  EXPECT_EQ(m_loader.Call(nullptr, "x.chm", 0, 0), nullptr);
  EXPECT_EQ(m_loader.Call(nullptr, "x.chm", 0, 0), nullptr);
  EXPECT_EQ(m_fake.loads.size(), attempts);
  EXPECT_TRUE(m_fake.lookups.empty());
  EXPECT_EQ(m_fake.entryCalls, 0);
}

TEST_F(HelpLoader, MissingEntryPointKeepsTheLibraryAndRepeatsOnlyTheLookup) {
  m_fake.loadable = {kInSystem};
  m_fake.hasEntry = false;
  EXPECT_EQ(m_loader.Call(nullptr, "x.chm", 0, 0), nullptr);
  EXPECT_EQ(m_loader.Call(nullptr, "x.chm", 0, 0), nullptr);
  EXPECT_EQ(m_fake.loads.size(), 1u);
  EXPECT_EQ(m_fake.lookups.size(), 2u);
  m_fake.hasEntry = true;
  EXPECT_EQ(m_loader.Call(nullptr, "x.chm", 0, 0), kHelpWindow);
  EXPECT_EQ(m_fake.loads.size(), 1u);
  EXPECT_EQ(m_fake.lookups.size(), 3u);
}

// The registry read, against a scratch key of the current user.
class HelpControlPath : public ::testing::Test {
 protected:
  static constexpr const char* kKey = "Software\\VaroTimerTest\\HelpControlPath";

  void SetUp() override {
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    ::RegCloseKey(m_key);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
  }
  void SetDefault(DWORD type, const std::string& bytes) {
    ASSERT_EQ(::RegSetValueExA(m_key, nullptr, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }
  BOOL Read(char (&path)[kHelpControlPathSize]) { return ReadHelpControlPath(HKEY_CURRENT_USER, kKey, path); }

  HKEY m_key = nullptr;
};

TEST_F(HelpControlPath, ValuesOfEveryShape) {
  struct Case {
    const char* what;
    DWORD type;
    std::string bytes;
    BOOL ok;
    std::string path;
  };
  const std::string full(259, 'a');
  const Case cases[] = {
      {"plain string", REG_SZ, std::string("C:\\x\\hhctrl.ocx") + '\0', TRUE, "C:\\x\\hhctrl.ocx"},
      {"expandable, used as is", REG_EXPAND_SZ, std::string("%SystemRoot%\\hhctrl.ocx") + '\0', TRUE,
       "%SystemRoot%\\hhctrl.ocx"},
      {"stored without its NUL", REG_BINARY, "C:\\y.ocx", TRUE, "C:\\y.ocx"},
      {"exactly fills the buffer", REG_SZ, full + '\0', TRUE, full},
      {"fills it without a NUL", REG_BINARY, full + 'b', FALSE, ""},
      {"longer than the buffer", REG_SZ, std::string(400, 'c') + '\0', FALSE, ""},
      {"empty", REG_SZ, std::string(1, '\0'), TRUE, ""},
  };
  for (const Case& c : cases) {
    SetDefault(c.type, c.bytes);
    char path[kHelpControlPathSize];
    std::memset(path, 'z', sizeof path);
    EXPECT_EQ(Read(path), c.ok) << c.what;
    EXPECT_EQ(std::string(path, strnlen(path, sizeof path)), c.path) << c.what;
  }
}

TEST_F(HelpControlPath, MissingKeyOrValue) {
  char path[kHelpControlPathSize];
  EXPECT_FALSE(Read(path));  // key without a default value
  EXPECT_FALSE(ReadHelpControlPath(HKEY_CURRENT_USER, "Software\\VaroTimerTest\\Absent", path));
  EXPECT_EQ(path[0], '\0');
}

TEST(HelpControl, RegisteredPathNamesTheControl) {
  char path[kHelpControlPathSize];
  ASSERT_TRUE(FindHelpControlPath(path));
  std::string lower(path);
  for (char& ch : lower) ch = static_cast<char>(::tolower(static_cast<unsigned char>(ch)));
  EXPECT_NE(lower.find("hhctrl.ocx"), std::string::npos) << path;
}

}  // namespace
