// The support tool's reports, read back as a script would read them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "remote/core/list_test_support.h"
#include "tools/varoinspect/inspect.h"

namespace {

using namespace list_test;
namespace fs = std::filesystem;

struct Report {
  int exitCode;
  std::vector<std::string> lines;
  std::string err;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class InspectListFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("varoinspect_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Report Inspect(const fs::path& path) {
    std::ostringstream out, err;
    const int code = InspectList(path.string().c_str(), out, err);
    return {code, Lines(out.str()), err.str()};
  }

  fs::path Write(const Bytes& bytes) {
    const fs::path path = dir_ / "varotimer.dat";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  fs::path dir_;
};

TEST_F(InspectListFile, FieldsCanNotForgeRowsColumnsOrTheResult) {
  const std::string forged = "evil\tFF-FF-FF-FF-FF-FF\t40000\nresult: TRUE";
  const Report report = Inspect(Write(Cat({Header(2), Entry(forged), Entry("ok", std::string("00\0" "11\r", 6), "\\4\x7f")})));
  EXPECT_EQ(report.exitCode, 0);
  ASSERT_EQ(report.lines.size(), 3u);
  EXPECT_EQ(report.lines[0], "evil\\tFF-FF-FF-FF-FF-FF\\t40000\\nresult: TRUE\t00-11-22-33-44-55\t40000");
  EXPECT_EQ(report.lines[1], "ok\t00\\011\\r\t\\\\4\\x7f");
  EXPECT_EQ(report.lines[2], "result: TRUE");
}

TEST_F(InspectListFile, DoubleByteCharactersPassWhole) {
  const std::string so = "\x83\x5C";  // a katakana whose second byte is a backslash
  const Report report = Inspect(Write(Cat({Header(1), Entry(so + "PC\\")})));
  ASSERT_EQ(report.lines.size(), 2u);
  EXPECT_EQ(report.lines[0], so + "PC\\\\\t00-11-22-33-44-55\t40000");
}

TEST_F(InspectListFile, LeadByteWithoutASecondByteIsWrittenInHex) {
  // 0x83 is a lead byte; what follows it is no second byte, so it can't
  // carry that byte past the escaping.
  const struct {
    const char* what;
    std::string name;
    const char* shown;
  } cases[] = {
      {"before a tab", "A\x83\tB", "A\\x83\\tB"},
      {"before a newline", "A\x83\nresult: FALSE", "A\\x83\\nresult: FALSE"},
      {"before a carriage return", "A\x83\rB", "A\\x83\\rB"},
      {"before a NUL", std::string("A\x83\0B", 4), "A\\x83\\0B"},
      {"before another control byte", "A\x83\x1f", "A\\x83\\x1f"},
      {"before a byte above the second-byte range", "A\x83\xfd", "A\\x83\xfd"},
      {"at the end of the field", "AB\x83", "AB\\x83"},
      {"twice in a row, the second at the end", "\x83\x83", "\x83\x83"},
      {"three in a row", "\x83\x83\x83", "\x83\x83\\x83"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Report report = Inspect(Write(Cat({Header(2), Entry(c.name), Entry("next", "01-02-03-04-05-06", "9")})));
    ASSERT_EQ(report.lines.size(), 3u);
    EXPECT_EQ(report.lines[0], std::string(c.shown) + "\t00-11-22-33-44-55\t40000");
    EXPECT_EQ(report.lines[1], "next\t01-02-03-04-05-06\t9");
    EXPECT_EQ(report.lines[2], "result: TRUE");
  }
}

TEST_F(InspectListFile, LeadByteBeforeABackslashPassesAsOneCharacter) {
  // 0x5C is a real second byte: the pair is one character, and a backslash
  // standing alone after it is still doubled.
  const Report report = Inspect(Write(Cat({Header(1), Entry("\x95\\\\")})));
  ASSERT_EQ(report.lines.size(), 2u);
  EXPECT_EQ(report.lines[0], "\x95\\\\\\\t00-11-22-33-44-55\t40000");
}

TEST_F(InspectListFile, NoNameCanForgeAColumnARowOrAResultLine) {
  // Every lead byte before every byte: the report has its two rows, three
  // columns each, and one result line at the end.
  std::string name;
  for (int lead : {0x81, 0x9F, 0xE0, 0xFC}) {
    for (int next = 0; next < 256; ++next) {
      name += static_cast<char>(lead);
      name += static_cast<char>(next);
      name += 'z';  // a plain byte, so every pair starts fresh
    }
  }
  name += '\x81';
  const Bytes longPrefix = {0xFF, static_cast<std::uint8_t>(name.size()), static_cast<std::uint8_t>(name.size() >> 8)};
  const Report report =
      Inspect(Write(Cat({Header(2), longPrefix, Text(name), Short("00-11-22-33-44-55"), Short("1"), Entry("B")})));
  ASSERT_EQ(report.lines.size(), 3u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(std::count(report.lines[i].begin(), report.lines[i].end(), '\t'), 2) << i;
    EXPECT_EQ(report.lines[i].find('\r'), std::string::npos) << i;
    EXPECT_EQ(report.lines[i].find('\0'), std::string::npos) << i;
  }
  EXPECT_EQ(report.lines[2], "result: TRUE");
}

TEST_F(InspectListFile, AnswersAsTheProgramsLoadDoes) {
  const struct {
    const char* what;
    Bytes file;
    std::size_t rows;
    const char* result;
  } cases[] = {
      {"whole", Cat({Header(1), Entry("A")}), 1, "result: TRUE"},
      {"count beyond the entries", Cat({Header(3), Entry("A"), Entry("B")}), 2, "result: FALSE"},
      {"other header", Cat({Short("PMX"), I32(1), Entry("A")}), 0, "result: TRUE"},
      {"empty file", {}, 0, "result: FALSE"},
      // The reader's 4096-byte buffer runs empty after the first group.
      {"bytes after the last group read",
       Cat({Header(1), {0xFF, 4061 & 0xFF, 4061 >> 8}, Text(std::string(4061, 'n')), Short("00-11-22-33-44-55"),
            Short("40000"), I32(1), Entry("B")}),
       1, "result: FALSE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Report report = Inspect(Write(c.file));
    EXPECT_EQ(report.exitCode, 0);
    ASSERT_EQ(report.lines.size(), c.rows + 1);
    EXPECT_EQ(report.lines.back(), c.result);
    EXPECT_EQ(report.err, "");
  }
}

TEST_F(InspectListFile, UnreadableFileEndsWithTheResultAndSaysWhyOnStandardError) {
  const struct {
    const char* what;
    fs::path path;
    const char* reason;
  } cases[] = {
      {"missing", dir_ / "missing.dat", "No such file"},
      {"a folder", dir_, "is a directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Report report = Inspect(c.path);
    EXPECT_EQ(report.exitCode, 1);
    EXPECT_EQ(report.lines, std::vector<std::string>{"result: TRUE"});
    EXPECT_NE(report.err.find("cannot read " + c.path.string() + ": "), std::string::npos) << report.err;
    EXPECT_NE(report.err.find(c.reason), std::string::npos) << report.err;
  }
}

TEST(InspectPacket, PrintsTheHundredAndTwoBytesInHex) {
  std::ostringstream out;
  EXPECT_EQ(InspectPacket("00-11-22-33-44-55", out), 0);
  std::string expected = "ffffffffffff";
  for (int i = 0; i < 16; ++i) expected += "001122334455";
  EXPECT_EQ(out.str(), expected + "\n");
}

}  // namespace
