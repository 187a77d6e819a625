#pragma once
// Follows a JPEG's markers the way a decoder does, from the start of image
// to the end of image, and reads the size from the one frame header a
// decoder would read. What it cannot follow, it refuses.
#include <optional>

#include "banner/core/byte_view.h"
#include "banner/core/picture_format.h"

// The frame header's size, when the file is followed marker by marker to its
// end-of-image marker: FF 00 is stuffing only inside entropy-coded data, a run
// of FF is fill, restart markers and TEM carry no length. Nothing for a file
// with stray bytes between segments, no frame header or more than one, a scan
// before the frame header, a segment or scan that runs past the data, or no
// end-of-image marker.
std::optional<PixelSize> JpegFrameSize(const ByteView& bytes);
