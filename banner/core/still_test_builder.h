#pragma once
// Test helper: whole PNG, JPEG and BMP files built byte by byte, as far as
// their layout goes (the pixels are not meant to decode), and the pieces
// lying files are made of.
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace still_test {

using Bytes = std::vector<std::uint8_t>;

inline void Append(Bytes& out, std::initializer_list<std::uint8_t> bytes) { out.insert(out.end(), bytes); }
inline void Append(Bytes& out, const Bytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }
inline void BigU16(Bytes& out, std::uint32_t v) { Append(out, {std::uint8_t(v >> 8), std::uint8_t(v)}); }
inline void BigU32(Bytes& out, std::uint32_t v) {
  BigU16(out, v >> 16);
  BigU16(out, v & 0xFFFF);
}
inline void LittleU32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// One chunk: length, type, data, a CRC nobody here checks.
inline void PngChunk(Bytes& out, const char* type, const Bytes& data) {
  BigU32(out, static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), type, type + 4);
  Append(out, data);
  BigU32(out, 0);
}

inline Bytes Png(std::uint32_t width, std::uint32_t height) {
  Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  BigU32(header, width);
  BigU32(header, height);
  Append(header, {8, 2, 0, 0, 0});
  PngChunk(out, "IHDR", header);
  PngChunk(out, "IDAT", Bytes{0x78, 0x9C, 0x03, 0x00});
  PngChunk(out, "IEND", Bytes());
  return out;
}

// A baseline frame header segment (FF C0) of one component.
inline Bytes JpegFrameHeader(std::uint32_t width, std::uint32_t height) {
  Bytes out{0xFF, 0xC0, 0, 11, 8};
  BigU16(out, height);
  BigU16(out, width);
  Append(out, {1, 1, 0x11, 0});
  return out;
}

// Start of scan and entropy-coded data holding a stuffed FF 00, a restart
// marker and fill before the next marker.
inline Bytes JpegScan() {
  return Bytes{0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 0x3F, 0, 0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56, 0xFF, 0xFF};
}

// SOI, an APP0 segment, a fill byte, the frame header, a scan, EOI.
inline Bytes Jpeg(std::uint32_t width, std::uint32_t height) {
  Bytes out{0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F', 0xFF};
  Append(out, JpegFrameHeader(width, height));
  Append(out, JpegScan());
  Append(out, {0xFF, 0xD9});
  return out;
}

// An uncompressed 24-bit bitmap with all its rows.
inline Bytes Bmp(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel = 24) {
  const std::uint32_t absHeight = static_cast<std::uint32_t>(height < 0 ? -std::int64_t{height} : height);
  const std::uint32_t stride = width > 0 ? (static_cast<std::uint32_t>(width) * bitsPerPixel + 31) / 32 * 4 : 0;
  const std::uint32_t size = 54 + stride * absHeight;
  Bytes out{'B', 'M'};
  LittleU32(out, size);
  LittleU32(out, 0);
  LittleU32(out, 54);
  for (std::uint32_t v : {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)}) {
    LittleU32(out, v);
  }
  Append(out, {1, 0, static_cast<std::uint8_t>(bitsPerPixel), 0});
  out.resize(size, 0);
  return out;
}

// An 8-bit run-length bitmap whose pixels take compressedBytes: large
// pictures in small files.
inline Bytes BmpRle(std::int32_t width, std::int32_t height, std::uint32_t compressedBytes = 4) {
  Bytes out = Bmp(1, 1, 8);
  out.resize(54);
  const std::uint32_t size = 54 + compressedBytes;
  const std::uint32_t fields[][2] = {{2, size}, {18, static_cast<std::uint32_t>(width)},
                                     {22, static_cast<std::uint32_t>(height)}, {30, 1}, {34, compressedBytes}};
  for (const auto& field : fields) {
    for (int i = 0; i < 4; ++i) out[field[0] + i] = static_cast<std::uint8_t>(field[1] >> (8 * i));
  }
  out.resize(size, 0);
  return out;
}

// An icon (type 1) or cursor (type 2) file of one image for each size:
// 32-bit bitmaps, colour rows and mask, as the directory announces them.
// headerSides overrides what an image's own header says.
inline Bytes Icon(std::initializer_list<std::uint32_t> sides, std::uint16_t type = 1,
                  std::initializer_list<std::uint32_t> headerSides = {}) {
  Bytes out{0, 0, static_cast<std::uint8_t>(type), 0, static_cast<std::uint8_t>(sides.size()), 0};
  std::vector<Bytes> images;
  auto header = headerSides.begin();
  for (std::uint32_t side : sides) {
    const std::uint32_t inHeader = header != headerSides.end() ? *header++ : side;
    Bytes image;
    for (std::uint32_t v : {40u, inHeader, 2 * inHeader}) LittleU32(image, v);
    Append(image, {1, 0, 32, 0});
    image.resize(40 + side * side * 4 + side * ((side + 31) / 32 * 4), 0);
    images.push_back(image);
  }
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * sides.size());
  auto side = sides.begin();
  for (const Bytes& image : images) {
    Append(out, {static_cast<std::uint8_t>(*side), static_cast<std::uint8_t>(*side), 0, 0, 1, 0, 32, 0});
    ++side;
    LittleU32(out, static_cast<std::uint32_t>(image.size()));
    LittleU32(out, offset);
    offset += static_cast<std::uint32_t>(image.size());
  }
  for (const Bytes& image : images) Append(out, image);
  return out;
}

}  // namespace still_test
