// GetVersionString against modules that carry version resources of their own.
#include "app/version_query.h"

#include <gtest/gtest.h>

#include <string>

#include "afx/module_directory.h"

namespace {

// Loads version_<name>.dll from beside the test program.
class FixtureModule {
 public:
  explicit FixtureModule(const std::string& name)
      : m_module(::LoadLibraryA((GetModuleDirectory() + "version_" + name + ".dll").c_str())) {}
  ~FixtureModule() {
    if (m_module) ::FreeLibrary(m_module);
  }
  FixtureModule(const FixtureModule&) = delete;
  FixtureModule& operator=(const FixtureModule&) = delete;
  HINSTANCE Get() const { return m_module; }

 private:
  HMODULE m_module;
};

// The text the fixtures keep in the Unicode-code-page table of the user's
// language; empty when they have no table for it.
std::string UserLanguageTable() {
  switch (::GetUserDefaultLangID()) {
    case 0x0409: return "table 0409 04B0";
    case 0x0411: return "table 0411 04B0";
    case 0x0412: return "table 0412 04B0";
    default: return "";
  }
}

// A UTF-8 text in the ANSI code page, as the A-functions return it.
std::string Ansi(const char* utf8) {
  wchar_t wide[256] = {};
  ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 256);
  char ansi[512] = {};
  ::WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
  return ansi;
}

struct VersionCase {
  const char* fixture;
  const char* name;
  std::string expected;
};

class VersionQuery : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionQuery, ReadsTheTableTheTranslationEntryChooses) {
  const VersionCase& c = GetParam();
  FixtureModule module(c.fixture);
  ASSERT_NE(module.Get(), nullptr) << c.fixture;
  EXPECT_EQ(GetVersionString(module.Get(), c.name), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, VersionQuery,
    ::testing::Values(
        // One pair: its own table, code page included, whatever the user's language.
        VersionCase{"one_pair", "ProductVersion", "table 0409 04E4"},
        VersionCase{"one_pair", "productversion", "table 0409 04E4"},
        VersionCase{"one_pair", "Comments", ""},
        VersionCase{"one_pair", "FileVersion", ""},
        // Two pairs, or none: the user's language with code page 04B0.
        VersionCase{"two_pairs", "ProductVersion", UserLanguageTable()},
        VersionCase{"no_translation", "ProductVersion", UserLanguageTable()},
        // Nothing to read.
        VersionCase{"none", "ProductVersion", ""},
        VersionCase{"damaged", "ProductVersion", ""},
        VersionCase{"one_pair", "", ""}));

TEST(VersionQuery, NameTooLongForThePathGivesEmptyTextAndLaterQueriesStillWork) {
  FixtureModule module("one_pair");
  ASSERT_NE(module.Get(), nullptr);
  EXPECT_EQ(GetVersionString(module.Get(), std::string(300, 'P')), "");
  EXPECT_EQ(GetVersionString(module.Get(), "ProductVersion"), "table 0409 04E4");
}

TEST(VersionQuery, NullModuleReadsTheProgramsOwnResource) {
  EXPECT_EQ(GetVersionString(nullptr, "ProductVersion"), "1, 0, 0, 4");
  EXPECT_EQ(GetVersionString(nullptr, "FileVersion"), "1, 0, 0, 4");
  // Japanese texts arrive in the ANSI code page.
  EXPECT_EQ(GetVersionString(nullptr, "FileDescription"), Ansi("電源タイマープログラム"));
}

}  // namespace
