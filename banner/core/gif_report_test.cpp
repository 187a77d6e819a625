#include "banner/core/gif_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "banner/core/gif_test_builder.h"
#include "banner/core/still_test_builder.h"

namespace {

std::string ReportOf(const std::vector<std::uint8_t>& bytes) {
  std::ostringstream out;
  WriteGifReport(bytes.data(), static_cast<std::uint32_t>(bytes.size()), out);
  return out.str();
}

TEST(GifReport, AnimationListsEveryFrame) {
  GifBuilder gif;
  gif.Header(237, 31, 0x80)
      .Application()
      .GraphicControl(4, 2)
      .Image(0, 0, 237, 31, 0, 7)
      .GraphicControl(25, 3)
      .Image(10, 5, 20, 8, 0, 7)
      .Image(1, 2, 3, 4, 0, 7)
      .Trailer();
  // Header 13 + 6; GCE 8; images 11 + 8 + 1 = 20.
  EXPECT_EQ(
      ReportOf(gif.bytes()),
      "frame 0 left 0 top 0 width 237 height 31 delay 4 wait_ms 100 disposal 2 bytes 48\n"
      "frame 1 left 10 top 5 width 20 height 8 delay 25 wait_ms 250 disposal 3 bytes 48\n"
      "frame 2 left 1 top 2 width 3 height 4 delay 4294967295 wait_ms 100 disposal 0 bytes 40\n"
      "show: animation\n");
}

TEST(GifReport, Verdicts) {
  GifBuilder still;
  still.Header(8, 8, 0).GraphicControl(0, 0).Image(0, 0, 8, 8, 0, 7).Trailer();
  EXPECT_EQ(ReportOf(still.bytes()),
            "frame 0 left 0 top 0 width 8 height 8 delay 0 wait_ms 100 disposal 0 bytes 42\n"
            "show: still\n");

  GifBuilder empty;
  empty.Header(8, 8, 0).Comment("nothing here").Trailer();
  EXPECT_EQ(ReportOf(empty.bytes()), "show: nothing\n");

  const std::vector<std::uint8_t> png = still_test::Png(96, 48);
  EXPECT_EQ(ReportOf(png), "show: still\n");
  // A PNG that ends behind its header is cut: nothing.
  EXPECT_EQ(ReportOf(std::vector<std::uint8_t>(png.begin(), png.begin() + 33)), "show: nothing\n");
  // What the control refuses shows nothing: no bytes, no picture, no size.
  EXPECT_EQ(ReportOf({}), "show: nothing\n");
  const std::string page = "<html>login</html>";
  EXPECT_EQ(ReportOf(std::vector<std::uint8_t>(page.begin(), page.end())), "show: nothing\n");
  EXPECT_EQ(ReportOf(std::vector<std::uint8_t>(png.begin(), png.begin() + 8)), "show: nothing\n");
}

TEST(GifReport, AGifOverTheBudgetListsNoFrames) {
  GifBuilder huge;
  huge.Header(65535, 65535, 0x80).GraphicControl(4, 0).Image(0, 0, 8, 8).Trailer();
  EXPECT_EQ(ReportOf(huge.bytes()), "show: nothing\n");
}

}  // namespace
