#include "app/core/version_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Format(const void* translation, std::size_t length, const char* name,
                   bool* fits = nullptr) {
  char out[kVersionPathSize];
  std::memset(out, 'x', sizeof out);  // a stale buffer must not leak through
  const bool ok = FormatVersionPath(out, translation, length, 0x0411, name);
  if (fits) *fits = ok;
  return std::string(out);
}

TEST(VersionPath, OnePairSelectsThatTable) {
  const unsigned char own[4] = {0x12, 0x04, 0xB0, 0x04};  // language 0x0412, code page 0x04B0
  EXPECT_EQ(Format(own, 4, "ProductVersion"), "\\StringFileInfo\\041204B0\\ProductVersion");
  const unsigned char mixed[4] = {0xFF, 0xFE, 0xAB, 0xCD};
  EXPECT_EQ(Format(mixed, 4, "X"), "\\StringFileInfo\\FEFFCDAB\\X");
}

TEST(VersionPath, AnythingButOnePairFallsBackToUserLanguage) {
  const unsigned char twoPairs[8] = {0x12, 0x04, 0xB0, 0x04, 0x09, 0x04, 0xE4, 0x04};
  const char* expected = "\\StringFileInfo\\041104B0\\ProductVersion";
  EXPECT_EQ(Format(twoPairs, 8, "ProductVersion"), expected);
  EXPECT_EQ(Format(twoPairs, 2, "ProductVersion"), expected);
  EXPECT_EQ(Format(nullptr, 4, "ProductVersion"), expected);  // no translation entry
  EXPECT_EQ(Format(nullptr, 0, nullptr), "\\StringFileInfo\\041104B0\\");
}

TEST(VersionPath, LongestFittingNameAndOverflow) {
  // "\StringFileInfo\" + 8 digits + "\" is 25 characters, leaving 230 for the name.
  const unsigned char pair[4] = {0x12, 0x04, 0xB0, 0x04};
  for (const void* translation : {static_cast<const void*>(pair), static_cast<const void*>(nullptr)}) {
    bool fits = false;
    EXPECT_EQ(Format(translation, 4, std::string(230, 'N').c_str(), &fits).size(), 255u);
    EXPECT_TRUE(fits);
    EXPECT_EQ(Format(translation, 4, std::string(231, 'N').c_str(), &fits), "");
    EXPECT_FALSE(fits);
    EXPECT_EQ(Format(translation, 4, std::string(100000, 'N').c_str(), &fits), "");
    EXPECT_FALSE(fits);
  }
}

}  // namespace
