#pragma once
// Bounds-checked little- and big-endian reads over one buffer.
#include <cstdint>
#include <cstring>

class ByteView {
 public:
  ByteView(const std::uint8_t* data, std::uint32_t length) : m_data(data), m_length(data == nullptr ? 0 : length) {}
  std::uint32_t length() const { return m_length; }
  const std::uint8_t* data() const { return m_data; }
  bool Has(std::uint64_t offset, std::uint64_t count) const {
    return offset <= m_length && count <= m_length - offset;
  }
  // The reads below expect Has to have been checked.
  std::uint8_t U8(std::uint64_t at) const { return m_data[at]; }
  std::uint32_t BigU16(std::uint64_t at) const { return (std::uint32_t{m_data[at]} << 8) | m_data[at + 1]; }
  std::uint32_t BigU32(std::uint64_t at) const { return (BigU16(at) << 16) | BigU16(at + 2); }
  std::uint32_t LittleU16(std::uint64_t at) const { return m_data[at] | (std::uint32_t{m_data[at + 1]} << 8); }
  std::uint32_t LittleU32(std::uint64_t at) const { return LittleU16(at) | (LittleU16(at + 2) << 16); }
  bool Matches(std::uint64_t at, const void* bytes, std::uint32_t count) const {
    return Has(at, count) && std::memcmp(m_data + at, bytes, count) == 0;
  }

 private:
  const std::uint8_t* m_data;
  std::uint32_t m_length;
};
