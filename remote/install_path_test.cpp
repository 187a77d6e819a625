// The install path lookup against the prefix's registry, as a 32-bit program sees it.
#include "remote/install_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kKey[] = "Software\\Lumetra\\VaroTimer";

class InstallPathFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveKeys();
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);  // ends in a backslash
    m_dirWithSlash = std::string(temp) + "varo_install\\";
    m_dir = m_dirWithSlash.substr(0, m_dirWithSlash.size() - 1);
    ::CreateDirectoryA(m_dir.c_str(), nullptr);
  }
  void TearDown() override {
    RemoveKeys();
    ::RemoveDirectoryA(m_dir.c_str());
  }

  static void RemoveKeys() {
    for (REGSAM view : {REGSAM(0), REGSAM(KEY_WOW64_64KEY)}) {
      ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, view, 0);
      ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Lumetra", view, 0);
    }
  }

  static void SetValue(DWORD type, const std::vector<BYTE>& data, REGSAM view = 0) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, "installpath", 0, type, data.data(), static_cast<DWORD>(data.size()));
    ::RegCloseKey(key);
  }

  static void SetText(const std::string& text, REGSAM view = 0) {
    std::vector<BYTE> data(text.begin(), text.end());
    data.push_back(0);
    SetValue(REG_SZ, data, view);
  }

  std::string m_dir;
  std::string m_dirWithSlash;
};

std::string BufferText(const InstallPathBuffer& buffer) { return std::string(buffer.data()); }

TEST_F(InstallPathFixture, MissingKeyGivesItsErrorAndTheDefaultPath) {
  InstallPathBuffer buffer{};
  EXPECT_EQ(ReadInstallPath(buffer), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(BufferText(buffer), "");
  EXPECT_EQ(ResolveComputerListPath(), ".\\varotimer.dat");
}

TEST_F(InstallPathFixture, ValueToListPath) {
  struct Case {
    const char* what;
    std::string value;
    std::string path;
  };
  const std::vector<Case> cases = {
      {"existing directory", m_dir, m_dir + "\\varotimer.dat"},
      {"trailing backslash doubles it", m_dirWithSlash, m_dirWithSlash + "\\varotimer.dat"},
      {"missing directory", m_dir + "\\gone", ".\\varotimer.dat"},
      {"empty text", "", ".\\varotimer.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetText(c.value);
    InstallPathBuffer buffer{};
    EXPECT_EQ(ReadInstallPath(buffer), ERROR_SUCCESS);
    EXPECT_EQ(BufferText(buffer), c.value);
    EXPECT_EQ(ResolveComputerListPath(), c.path);
  }
}

TEST_F(InstallPathFixture, OverlongValueFailsTheQueryAndKeepsTheDefault) {
  SetText(std::string(300, 'a'));
  InstallPathBuffer buffer{};
  EXPECT_EQ(ReadInstallPath(buffer), ERROR_MORE_DATA);
  EXPECT_EQ(BufferText(buffer), "");
  EXPECT_EQ(ResolveComputerListPath(), ".\\varotimer.dat");
}

TEST_F(InstallPathFixture, UnterminatedValueOfFullSizeStaysBounded) {
  SetValue(REG_BINARY, std::vector<BYTE>(260, 'b'));
  InstallPathBuffer buffer{};
  EXPECT_EQ(ReadInstallPath(buffer), ERROR_SUCCESS);
  EXPECT_EQ(BufferText(buffer), std::string(259, 'b'));
}

TEST_F(InstallPathFixture, TheProgramReadsThe32BitView) {
  // Installers of a 32-bit program write through the 32-bit view, which a
  // 64-bit system keeps under Wow6432Node.
  SetText(m_dir);
  HKEY redirected = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\Lumetra\\VaroTimer", 0,
                            KEY_READ | KEY_WOW64_64KEY, &redirected),
            ERROR_SUCCESS);
  ::RegCloseKey(redirected);
  RemoveKeys();

  // A value only in the 64-bit view is not the program's.
  SetText(m_dir, KEY_WOW64_64KEY);
  InstallPathBuffer buffer{};
  EXPECT_EQ(ReadInstallPath(buffer), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ResolveComputerListPath(), ".\\varotimer.dat");
}

}  // namespace
