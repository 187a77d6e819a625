// `varoinspect gif`: the banner report for a file, read back as a script
// would, and the bound on what it reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "banner/core/banner_plan.h"
#include "banner/core/gif_test_builder.h"
#include "tools/varoinspect/inspect.h"

namespace {

namespace fs = std::filesystem;

class InspectGifFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("varoinspect_gif_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::vector<std::uint8_t>& bytes) {
    const fs::path path = dir_ / "banner.gif";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  int Inspect(const fs::path& path, std::string& report) {
    std::ostringstream out;
    const int code = InspectGif(path.string().c_str(), out);
    report = out.str();
    return code;
  }

  fs::path dir_;
};

TEST_F(InspectGifFile, ReportsTheFramesAndWhatTheProgramWouldShow) {
  GifBuilder gif;
  gif.Header(24, 8, 0).GraphicControl(10, 2).Image(0, 0, 8, 8).GraphicControl(3, 0).Image(8, 0, 8, 8).Trailer();
  std::string report;
  EXPECT_EQ(Inspect(Write(gif.bytes()), report), 0);
  EXPECT_EQ(report,
            "frame 0 left 0 top 0 width 8 height 8 delay 10 wait_ms 100 disposal 2 bytes 42\n"
            "frame 1 left 8 top 0 width 8 height 8 delay 3 wait_ms 100 disposal 0 bytes 42\n"
            "show: animation\n");

  // A graphic control extension that says 3 bytes hides a block from the
  // walker: the program would refuse it, and so does the report.
  GifBuilder lying;
  lying.Header(8, 8, 0).Raw({0x21, 0xF9, 3, 0, 10, 0, 0, 0}).Image(0, 0, 8, 8).Trailer();
  EXPECT_EQ(Inspect(Write(lying.bytes()), report), 0);
  EXPECT_EQ(report, "show: nothing\n");
}

TEST_F(InspectGifFile, WhatCannotOrMustNotBeReadIsSaidSo) {
  std::string report;
  EXPECT_EQ(Inspect(dir_ / "missing.gif", report), 1);
  EXPECT_NE(report.find("not a readable file"), std::string::npos) << report;
  EXPECT_EQ(Inspect(dir_, report), 1) << "a folder";

  // Larger than any banner the program reads: refused before it is read (a
  // sparse file, so the test itself writes next to nothing).
  const fs::path huge = Write({'G', 'I', 'F', '8', '9', 'a'});
  fs::resize_file(huge, std::uintmax_t{kBannerMaxFileBytes} + 1);
  EXPECT_EQ(Inspect(huge, report), 1);
  EXPECT_NE(report.find("file too large"), std::string::npos) << report;
  fs::resize_file(huge, kBannerMaxFileBytes);
  EXPECT_EQ(Inspect(huge, report), 0) << "the largest file read";
  EXPECT_EQ(report, "show: nothing\n");
}

}  // namespace
