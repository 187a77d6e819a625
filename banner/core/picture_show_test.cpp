#include "banner/core/picture_show.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PictureShow, ByWalkerResultAndDecodedFrames) {
  const struct {
    bool isGif;
    std::uint32_t frames, decoded;
    PictureShow show;
  } cases[] = {
      {false, 0, 0, PictureShow::Still},   // any other picture, decoded whole
      {true, 0, 0, PictureShow::Nothing},  // no frame to count
      {true, 1, 0, PictureShow::Still},    // one frame: the whole file decoded
      {true, 3, 0, PictureShow::Nothing},  // no frame decoded
      {true, 3, 1, PictureShow::Still},    // one decoded frame is still shown
      {true, 2, 1, PictureShow::Still},     {true, 2, 2, PictureShow::Animation},
      {true, 5, 3, PictureShow::Animation},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChoosePictureShow(c.isGif, c.frames, c.decoded), c.show)
        << c.isGif << " " << c.frames << " " << c.decoded;
  }
}

TEST(PictureShow, Names) {
  EXPECT_EQ(std::string(PictureShowName(PictureShow::Nothing)), "nothing");
  EXPECT_EQ(std::string(PictureShowName(PictureShow::Still)), "still");
  EXPECT_EQ(std::string(PictureShowName(PictureShow::Animation)), "animation");
}

}  // namespace
