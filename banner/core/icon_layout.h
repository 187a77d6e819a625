#pragma once
// Reads an icon or cursor file's directory the way the platform's picture
// decoder does, and checks each image against its entry.
#include <optional>

#include "banner/core/byte_view.h"
#include "banner/core/picture_format.h"

// The largest image's size, when every image lies wholly inside the file and
// its own header (a bitmap header, or a PNG's IHDR) gives the size of its
// directory entry (a side of 0 there means 256). Nothing otherwise.
std::optional<PixelSize> IconLargestSize(const ByteView& bytes);
