#include "banner/core/picture_show.h"

PictureShow ChoosePictureShow(const BannerPlan& plan, std::uint32_t decodedPictures) {
  if (!plan.accepted || decodedPictures == 0) return PictureShow::Nothing;
  if (plan.format != PictureFormat::Gif || decodedPictures == 1) return PictureShow::Still;
  return PictureShow::Animation;
}

const char* PictureShowName(PictureShow show) {
  switch (show) {
    case PictureShow::Nothing:
      return "nothing";
    case PictureShow::Still:
      return "still";
    case PictureShow::Animation:
      return "animation";
  }
  return "nothing";
}
