#pragma once
// The walker measures some blocks by the sizes the GIF layout prescribes,
// where a decoder reads the size bytes the file gives. A file in which the
// two differ is split by the walker in one place and decoded in another, so
// what was planned is not what gets decoded: such a file is refused whole.
#include <cstdint>

// True when every block from the first to the trailer is one the walker
// recognises, each fixed part carries the size byte the walker takes for
// granted (graphic control 4 with a zero terminator, application 11, plain
// text 12), and the walk ends at a trailer: nothing cut, nothing hidden.
bool GifBlocksReadAsWalked(const std::uint8_t* data, std::uint32_t length);
