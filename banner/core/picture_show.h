#pragma once
#include <cstdint>

// What the banner control ends up showing after a load.
enum class PictureShow { Nothing, Still, Animation };

// isGif: the walker's signature test. frameCount: the frames the walker
// counts. decodedFrames: of the frames split out of a multi-frame GIF, how
// many decoded (ignored otherwise). Data that is not a GIF, or a GIF of one
// frame, is decoded whole as a still picture.
PictureShow ChoosePictureShow(bool isGif, std::uint32_t frameCount, std::uint32_t decodedFrames);

const char* PictureShowName(PictureShow show);  // "nothing", "still", "animation"
