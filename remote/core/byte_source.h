#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A file opened for reading, read front to back in chunks. Windows plugs in
// its file handle; tests and tools plug in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to maxBytes into buffer and stores how many arrived in
  // bytesRead (0 at the end of the data). False on a read error.
  virtual bool Read(std::uint8_t* buffer, std::size_t maxBytes, std::size_t& bytesRead) = 0;
  // Bytes from the current position to the end of the data. Lets the reader
  // refuse a length prefix before allocating for it.
  virtual std::uint64_t Remaining() const = 0;
};

// Bytes held in memory. maxChunk limits each Read, so tests can check that
// the reader copes with sources that deliver less than it asked for.
class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::vector<std::uint8_t> bytes, std::size_t maxChunk = SIZE_MAX);

  bool Read(std::uint8_t* buffer, std::size_t maxBytes, std::size_t& bytesRead) override;
  std::uint64_t Remaining() const override;

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t maxChunk_;
  std::size_t position_ = 0;
};
