#pragma once
// Frame buffers in fixed global memory: such a block is its own HGLOBAL, so
// a stream can take it over and free it when it is released.
#include "banner/core/frame_buffer.h"

class GlobalFrameAllocator : public FrameAllocator {
 public:
  std::uint8_t* Allocate(std::size_t size) override;
  void Free(std::uint8_t* block) override;
};
