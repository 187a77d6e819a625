#include "banner/global_frame_allocator.h"

#include <windows.h>

std::uint8_t* GlobalFrameAllocator::Allocate(std::size_t size) {
  return static_cast<std::uint8_t*>(::GlobalAlloc(GMEM_FIXED, size));
}

void GlobalFrameAllocator::Free(std::uint8_t* block) { ::GlobalFree(block); }
