#include "afx/core/module_path.h"

#include <gtest/gtest.h>

namespace {

// Lead bytes of code page 932 (Shift-JIS).
bool IsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool NoLeadBytes(unsigned char) { return false; }

// "電源ソフト" in code page 932; the second byte of ソ (83 5C) is a backslash.
const std::string kDenGenSofuto = "\x93\x64\x8C\xB9\x83\x5C\x83\x74\x83\x67";
// "表" (95 5C) and "能" (94 5C) end in 0x5C as well.
const std::string kHyou = "\x95\x5C";

TEST(ModulePath, DoubleByteNameIsNotCutAtItsTrailByte) {
  const ModulePathParts parts = SplitModulePath("C:\\Tools\\" + kDenGenSofuto + ".exe", IsShiftJisLead);
  EXPECT_EQ(parts.directory, "C:\\Tools\\");
  EXPECT_EQ(parts.baseName, kDenGenSofuto);
  // A folder whose name ends in such a byte keeps its own separator.
  const ModulePathParts inFolder =
      SplitModulePath("D:\\" + kHyou + "\\" + kHyou + "\\VaroTimer.exe", IsShiftJisLead);
  EXPECT_EQ(inFolder.directory, "D:\\" + kHyou + "\\" + kHyou + "\\");
  EXPECT_EQ(inFolder.baseName, "VaroTimer");
}

TEST(ModulePath, PlainPathsSplitAsBefore) {
  struct Case {
    const char* path;
    const char* directory;
    const char* baseName;
  };
  const Case cases[] = {
      {"C:\\VaroTimer\\VaroTimer.exe", "C:\\VaroTimer\\", "VaroTimer"},
      {"C:\\a.b\\VaroTimer.x.exe", "C:\\a.b\\", "VaroTimer.x"},
      {"C:\\a.b\\VaroTimer", "C:\\a.b\\", "VaroTimer"},
      {"\\\\server\\share\\Varo.exe", "\\\\server\\share\\", "Varo"},
      {"C:Varo.exe", "C:", "Varo"},
      {"C:/dir/Varo.exe", "C:/dir/", "Varo"},
      {"Varo.exe", "", "Varo"},
      {"", "", ""},
      {"C:\\dir\\", "C:\\dir\\", ""},
  };
  for (const Case& c : cases) {
    const ModulePathParts parts = SplitModulePath(c.path, IsShiftJisLead);
    EXPECT_EQ(parts.directory, c.directory) << c.path;
    EXPECT_EQ(parts.baseName, c.baseName) << c.path;
  }
  // A lead byte at the very end has no trail byte to skip.
  EXPECT_EQ(SplitModulePath("C:\\x\\a\x83", IsShiftJisLead).baseName, "a\x83");
  // In a single-byte code page every 0x5C is a separator.
  EXPECT_EQ(SplitModulePath("C:\\" + kDenGenSofuto + ".exe", NoLeadBytes).baseName, "\x83\x74\x83\x67");
}

}  // namespace
