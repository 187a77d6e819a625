#include "banner/core/picture_show.h"

PictureShow ChoosePictureShow(bool isGif, std::uint32_t frameCount, std::uint32_t decodedFrames) {
  if (!isGif) return PictureShow::Still;
  if (frameCount == 0) return PictureShow::Nothing;
  if (frameCount == 1) return PictureShow::Still;
  if (decodedFrames == 0) return PictureShow::Nothing;
  // A multi-frame GIF of which only one frame decoded still has a picture to
  // show: show that frame rather than nothing.
  if (decodedFrames == 1) return PictureShow::Still;
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
