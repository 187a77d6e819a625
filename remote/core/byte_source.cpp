#include "remote/core/byte_source.h"

#include <algorithm>
#include <cstring>
#include <utility>

MemoryByteSource::MemoryByteSource(std::vector<std::uint8_t> bytes, std::size_t maxChunk)
    : bytes_(std::move(bytes)), maxChunk_(maxChunk == 0 ? 1 : maxChunk) {}

bool MemoryByteSource::Read(std::uint8_t* buffer, std::size_t maxBytes, std::size_t& bytesRead) {
  bytesRead = std::min({maxBytes, maxChunk_, bytes_.size() - position_});
  if (bytesRead > 0) std::memcpy(buffer, bytes_.data() + position_, bytesRead);
  position_ += bytesRead;
  return true;
}

std::uint64_t MemoryByteSource::Remaining() const { return bytes_.size() - position_; }
