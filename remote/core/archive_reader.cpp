#include "remote/core/archive_reader.h"

#include <algorithm>
#include <cstring>

bool ArchiveReader::TopUp() {
  const std::size_t unread = end_ - cursor_;
  if (cursor_ > 0 && unread > 0) std::memmove(buffer_.data(), buffer_.data() + cursor_, unread);
  cursor_ = 0;
  end_ = unread;
  while (end_ < kBufferSize) {
    std::size_t got = 0;
    if (!source_.Read(buffer_.data() + end_, kBufferSize - end_, got)) return false;
    if (got == 0) break;
    end_ += std::min(got, kBufferSize - end_);
  }
  return true;
}

bool ArchiveReader::ReadFixed(std::uint8_t* out, std::size_t count) {
  if (end_ - cursor_ < count) {
    if (!TopUp() || end_ - cursor_ < count) return false;
  }
  std::memcpy(out, buffer_.data() + cursor_, count);
  cursor_ += count;
  return true;
}

bool ArchiveReader::ReadU8(std::uint8_t& value) { return ReadFixed(&value, 1); }

bool ArchiveReader::ReadU16(std::uint16_t& value) {
  std::uint8_t b[2];
  if (!ReadFixed(b, sizeof b)) return false;
  value = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool ArchiveReader::ReadU32(std::uint32_t& value) {
  std::uint8_t b[4];
  if (!ReadFixed(b, sizeof b)) return false;
  value = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
          (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  return true;
}

bool ArchiveReader::ReadI32(std::int32_t& value) {
  std::uint32_t raw = 0;
  if (!ReadU32(raw)) return false;
  value = static_cast<std::int32_t>(raw);  // two's complement on every target
  return true;
}

bool ArchiveReader::ReadBytes(std::uint8_t* out, std::size_t count) {
  // Large reads pass through the buffer one refill at a time, so the buffer
  // ends where the library's would: a whole number of refills after the
  // point where the read found it empty.
  while (count > 0) {
    if (cursor_ == end_) {
      if (!TopUp() || end_ == 0) return false;
    }
    const std::size_t take = std::min(count, end_ - cursor_);
    std::memcpy(out, buffer_.data() + cursor_, take);
    cursor_ += take;
    out += take;
    count -= take;
  }
  return true;
}
