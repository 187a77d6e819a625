// The support tool's reports, read back as a script would read them.
#include <gtest/gtest.h>

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
