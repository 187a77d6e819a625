#pragma once
#include <cstdint>

#include "banner/core/banner_plan.h"

// What the banner control ends up showing after a load.
enum class PictureShow { Nothing, Still, Animation };

// plan: the file's plan; decodedPictures: how many pictures decoded (the
// still picture, or the GIF frames that decoded, tried up to the plan's
// frame count). A refused file shows nothing whatever decoded; a GIF shows
// the only frame that decoded still.
PictureShow ChoosePictureShow(const BannerPlan& plan, std::uint32_t decodedPictures);

const char* PictureShowName(PictureShow show);  // "nothing", "still", "animation"
