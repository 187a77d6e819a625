#pragma once
// Recognises the picture formats the banner control takes by their
// signature, and reads the pixel size of a still picture from its headers,
// so that nothing is decoded before its size is known.
#include <cstdint>
#include <optional>

enum class PictureFormat { Unknown, Gif, Jpeg, Png, Bmp, Icon };

// GIF87a/GIF89a, JPEG, PNG, BMP, or an icon or cursor file, by the first
// bytes; Unknown otherwise.
PictureFormat SniffPictureFormat(const std::uint8_t* data, std::uint32_t length);

struct PixelSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// The size a JPEG, PNG or BMP announces (a frame header, the IHDR chunk, the
// bitmap header), or an icon's largest image, read where a decoder reads it, and only from a file that
// is whole for its format: a JPEG followed to its end-of-image marker, a PNG
// to its IEND chunk, a BMP holding its pixels and the file size its header
// gives. Nothing when the file is cut, cannot be followed, or either side
// is 0.
std::optional<PixelSize> StillPictureSize(PictureFormat format, const std::uint8_t* data, std::uint32_t length);
