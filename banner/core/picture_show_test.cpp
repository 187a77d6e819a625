#include "banner/core/picture_show.h"

#include <gtest/gtest.h>

#include <string>

namespace {

BannerPlan Accepted(PictureFormat format, std::uint32_t frames) {
  BannerPlan plan;
  plan.format = format;
  plan.frames = frames;
  plan.accepted = true;
  return plan;
}

TEST(PictureShow, ByPlanAndDecodedPictures) {
  BannerPlan refused = Accepted(PictureFormat::Gif, 3);
  refused.accepted = false;
  const struct {
    BannerPlan plan;
    std::uint32_t decoded;
    PictureShow show;
  } cases[] = {
      {refused, 3, PictureShow::Nothing},  // over the budget: nothing, whatever would decode
      {Accepted(PictureFormat::Png, 1), 1, PictureShow::Still},
      {Accepted(PictureFormat::Jpeg, 1), 0, PictureShow::Nothing},  // the decoder refused it
      {Accepted(PictureFormat::Gif, 1), 1, PictureShow::Still},
      {Accepted(PictureFormat::Gif, 3), 0, PictureShow::Nothing},  // no frame decoded
      {Accepted(PictureFormat::Gif, 3), 1, PictureShow::Still},    // the one decoded frame is shown
      {Accepted(PictureFormat::Gif, 2), 2, PictureShow::Animation},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChoosePictureShow(c.plan, c.decoded), c.show)
        << static_cast<int>(c.plan.format) << " " << c.plan.frames << " " << c.decoded;
  }
}

TEST(PictureShow, Names) {
  EXPECT_EQ(std::string(PictureShowName(PictureShow::Nothing)), "nothing");
  EXPECT_EQ(std::string(PictureShowName(PictureShow::Still)), "still");
  EXPECT_EQ(std::string(PictureShowName(PictureShow::Animation)), "animation");
}

}  // namespace
