#include "banner/core/frame_buffer.h"

#include <cstdlib>

std::uint8_t* MallocFrameAllocator::Allocate(std::size_t size) {
  // malloc(0) may return nullptr; a frame is never empty, but keep it defined.
  return static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size));
}

void MallocFrameAllocator::Free(std::uint8_t* block) { std::free(block); }
