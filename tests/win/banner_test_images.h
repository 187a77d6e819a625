#pragma once
// Test helper: writes small GIF (still or animated) and BMP images in solid
// colours, so tests know every pixel the decoder must produce.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace banner_test {

using Bytes = std::vector<std::uint8_t>;

// The four colours of every test GIF, by index.
enum GifColor : std::uint8_t { kRed = 0, kGreen = 1, kBlue = 2, kWhite = 3 };
constexpr std::uint32_t kGifRgb[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

struct TestFrame {
  std::uint16_t left = 0, top = 0, width = 8, height = 8;
  GifColor color = kRed;
  int delay = 10;  // hundredths; -1: no graphic control extension
  std::uint8_t disposal = 0;
  bool plainText = false;  // a plain text block instead of an image
  bool bare = false;       // image data of one end code only, whatever the size
};

inline void PutU16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// Image data of one colour with 2-bit codes: a clear code before every
// second pixel keeps the code width at 3 bits, so no real compressor is needed.
inline Bytes SolidImageData(std::size_t pixels, std::uint8_t index) {
  constexpr unsigned kClear = 4, kEnd = 5, kCodeBits = 3;
  std::vector<unsigned> codes;
  for (std::size_t i = 0; i < pixels; ++i) {
    if (i % 2 == 0) codes.push_back(kClear);
    codes.push_back(index);
  }
  codes.push_back(kEnd);
  Bytes packed;
  unsigned buffer = 0, bits = 0;
  for (unsigned code : codes) {
    buffer |= code << bits;
    bits += kCodeBits;
    while (bits >= 8) {
      packed.push_back(static_cast<std::uint8_t>(buffer & 0xFF));
      buffer >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0) packed.push_back(static_cast<std::uint8_t>(buffer & 0xFF));
  Bytes out{2};  // minimum code size
  for (std::size_t at = 0; at < packed.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, packed.size() - at);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), packed.begin() + at, packed.begin() + at + n);
  }
  out.push_back(0);
  return out;
}

inline Bytes MakeGif(unsigned width, unsigned height, const std::vector<TestFrame>& frames) {
  Bytes out{'G', 'I', 'F', '8', '9', 'a'};
  PutU16(out, width);
  PutU16(out, height);
  out.push_back(0x81);  // global table of 4 entries
  out.push_back(kWhite);
  out.push_back(0);
  for (std::uint32_t rgb : kGifRgb) {
    out.push_back(static_cast<std::uint8_t>(rgb >> 16));
    out.push_back(static_cast<std::uint8_t>(rgb >> 8));
    out.push_back(static_cast<std::uint8_t>(rgb));
  }
  if (frames.size() > 1) {  // loop for ever
    const Bytes loop{0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0};
    out.insert(out.end(), loop.begin(), loop.end());
  }
  for (const TestFrame& f : frames) {
    if (f.delay >= 0) {
      out.insert(out.end(), {0x21, 0xF9, 4, static_cast<std::uint8_t>((f.disposal & 7) << 2)});
      PutU16(out, static_cast<unsigned>(f.delay));
      out.insert(out.end(), {0, 0});
    }
    if (f.plainText) {
      out.insert(out.end(), {0x21, 0x01, 12});
      out.insert(out.end(), 12, 1);
      out.insert(out.end(), {2, 'h', 'i', 0});
      continue;
    }
    out.push_back(0x2C);
    PutU16(out, f.left);
    PutU16(out, f.top);
    PutU16(out, f.width);
    PutU16(out, f.height);
    out.push_back(0);
    const Bytes data = f.bare ? Bytes{2, 1, 5, 0} : SolidImageData(static_cast<std::size_t>(f.width) * f.height, f.color);
    out.insert(out.end(), data.begin(), data.end());
  }
  out.push_back(0x3B);
  return out;
}

// A 24-bit bottom-up BMP of one colour (0xRRGGBB).
inline Bytes MakeBmp(unsigned width, unsigned height, std::uint32_t rgb) {
  const unsigned stride = (width * 3 + 3) & ~3u;
  const unsigned imageSize = stride * height;
  Bytes out{'B', 'M'};
  auto u32 = [&out](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  u32(54 + imageSize);
  u32(0);
  u32(54);
  u32(40);
  u32(width);
  u32(height);
  PutU16(out, 1);
  PutU16(out, 24);
  u32(0);
  u32(imageSize);
  u32(3780);  // 96 DPI
  u32(3780);
  u32(0);
  u32(0);
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      out.push_back(static_cast<std::uint8_t>(rgb));
      out.push_back(static_cast<std::uint8_t>(rgb >> 8));
      out.push_back(static_cast<std::uint8_t>(rgb >> 16));
    }
    out.insert(out.end(), stride - width * 3, 0);
  }
  return out;
}

inline Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace banner_test
