#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "remote/core/byte_source.h"

// Reads a list file the way the class library's loading archive does: through
// a 4096-byte buffer that is refilled from the file only when a read needs
// more bytes than it holds. The list loader asks whether this buffer is
// empty, so where its content ends decides how much of a file is read.
class ArchiveReader {
 public:
  static constexpr std::size_t kBufferSize = 4096;

  explicit ArchiveReader(ByteSource& source) : source_(source) {}
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // Fixed-size little-endian values. False at the end of the data or on a
  // read error.
  [[nodiscard]] bool ReadU8(std::uint8_t& value);
  [[nodiscard]] bool ReadU16(std::uint16_t& value);
  [[nodiscard]] bool ReadU32(std::uint32_t& value);
  [[nodiscard]] bool ReadI32(std::int32_t& value);

  // Reads exactly count bytes into out; false when fewer remain.
  [[nodiscard]] bool ReadBytes(std::uint8_t* out, std::size_t count);

  // True when every byte taken from the file so far has been consumed.
  bool BufferEmpty() const { return cursor_ == end_; }

  // Bytes still to read: the unread part of the buffer and the rest of the file.
  std::uint64_t Remaining() const { return (end_ - cursor_) + source_.Remaining(); }

 private:
  // Keeps the unread bytes, moved to the front, and fills the rest of the
  // buffer from the file as far as it allows.
  bool TopUp();
  bool ReadFixed(std::uint8_t* out, std::size_t count);

  ByteSource& source_;
  std::array<std::uint8_t, kBufferSize> buffer_{};
  std::size_t cursor_ = 0;
  std::size_t end_ = 0;
};
