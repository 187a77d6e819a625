#pragma once
#include <cstddef>
#include <cstdint>

// Where the bytes of an extracted frame come from. On Windows the blocks are
// fixed global memory, so that a stream can take one over and free it itself;
// elsewhere any allocator serves.
class FrameAllocator {
 public:
  virtual ~FrameAllocator() = default;
  // A block of exactly size bytes, or nullptr when none can be had.
  virtual std::uint8_t* Allocate(std::size_t size) = 0;
  virtual void Free(std::uint8_t* block) = 0;
};

// std::malloc / std::free, for tools and tests.
class MallocFrameAllocator : public FrameAllocator {
 public:
  std::uint8_t* Allocate(std::size_t size) override;
  void Free(std::uint8_t* block) override;
};

// Sole owner of one allocator block; frees it on destruction unless Release()
// handed it on. The allocator must outlive the buffer.
class FrameBuffer {
 public:
  FrameBuffer() = default;
  FrameBuffer(FrameAllocator& allocator, std::uint8_t* block, std::uint32_t size)
      : allocator_(&allocator), block_(block), size_(size) {}
  FrameBuffer(FrameBuffer&& other) noexcept { MoveFrom(other); }
  FrameBuffer& operator=(FrameBuffer&& other) noexcept {
    if (this != &other) {
      Reset();
      MoveFrom(other);
    }
    return *this;
  }
  FrameBuffer(const FrameBuffer&) = delete;
  FrameBuffer& operator=(const FrameBuffer&) = delete;
  ~FrameBuffer() { Reset(); }

  std::uint8_t* data() const { return block_; }
  std::uint32_t size() const { return size_; }

  // Gives up ownership: from now on the caller (or whatever it hands the block
  // to, such as a stream that frees it) must return it to the allocator's Free.
  std::uint8_t* Release() {
    std::uint8_t* block = block_;
    block_ = nullptr;
    size_ = 0;
    return block;
  }

 private:
  void Reset() {
    if (block_ != nullptr) allocator_->Free(block_);
    block_ = nullptr;
    size_ = 0;
  }
  void MoveFrom(FrameBuffer& other) {
    allocator_ = other.allocator_;
    block_ = other.block_;
    size_ = other.size_;
    other.block_ = nullptr;
    other.size_ = 0;
  }

  FrameAllocator* allocator_ = nullptr;
  std::uint8_t* block_ = nullptr;
  std::uint32_t size_ = 0;
};
