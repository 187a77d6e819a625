#include "app/core/version_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Format(const void* translation, std::size_t length, std::uint16_t language,
                   const char* name, bool* fits = nullptr) {
  char out[kVersionPathSize];
  std::memset(out, 'x', sizeof out);  // a stale buffer must not leak through
  const bool ok = FormatVersionPath(out, translation, length, language, name);
  if (fits) *fits = ok;
  return std::string(out);
}

TEST(VersionPath, OnePairSelectsThatTable) {
  struct Case {
    unsigned char bytes[4];
    const char* expected;
  } const cases[] = {
      // Language 0x0412, code page 0x04B0: the program's own resource.
      {{0x12, 0x04, 0xB0, 0x04}, "\\StringFileInfo\\041204B0\\ProductVersion"},
      {{0x09, 0x04, 0xE4, 0x04}, "\\StringFileInfo\\040904E4\\ProductVersion"},
      {{0x00, 0x00, 0x00, 0x00}, "\\StringFileInfo\\00000000\\ProductVersion"},
      {{0xFF, 0xFE, 0xAB, 0xCD}, "\\StringFileInfo\\FEFFCDAB\\ProductVersion"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Format(c.bytes, 4, 0x0411, "ProductVersion"), c.expected);
  }
}

TEST(VersionPath, AnythingButOnePairFallsBackToUserLanguage) {
  const unsigned char twoPairs[8] = {0x12, 0x04, 0xB0, 0x04, 0x09, 0x04, 0xE4, 0x04};
  const char* expected = "\\StringFileInfo\\041104B0\\ProductVersion";
  EXPECT_EQ(Format(twoPairs, 8, 0x0411, "ProductVersion"), expected);
  EXPECT_EQ(Format(twoPairs, 2, 0x0411, "ProductVersion"), expected);
  EXPECT_EQ(Format(twoPairs, 0, 0x0411, "ProductVersion"), expected);
  EXPECT_EQ(Format(nullptr, 4, 0x0411, "ProductVersion"), expected);  // failed query
  EXPECT_EQ(Format(nullptr, 0, 0x0409, "FileVersion"), "\\StringFileInfo\\040904B0\\FileVersion");
  EXPECT_EQ(Format(nullptr, 0, 0xABCD, "X"), "\\StringFileInfo\\ABCD04B0\\X");
}

TEST(VersionPath, NullNameIsEmptyName) {
  EXPECT_EQ(Format(nullptr, 0, 0x0411, nullptr), "\\StringFileInfo\\041104B0\\");
}

TEST(VersionPath, LongestFittingNameAndFirstOverflow) {
  // "\StringFileInfo\" + 8 digits + "\" is 25 characters, leaving 230 for the name.
  const unsigned char pair[4] = {0x12, 0x04, 0xB0, 0x04};
  for (const void* translation : {static_cast<const void*>(pair), static_cast<const void*>(nullptr)}) {
    bool fits = false;
    const std::string longest(230, 'N');
    const std::string path = Format(translation, 4, 0x0411, longest.c_str(), &fits);
    EXPECT_TRUE(fits);
    EXPECT_EQ(path.size(), 255u);
    EXPECT_EQ(path.substr(25), longest);

    const std::string tooLong(231, 'N');
    EXPECT_EQ(Format(translation, 4, 0x0411, tooLong.c_str(), &fits), "");
    EXPECT_FALSE(fits);
    const std::string huge(100000, 'N');
    EXPECT_EQ(Format(translation, 4, 0x0411, huge.c_str(), &fits), "");
    EXPECT_FALSE(fits);
  }
}

}  // namespace
