#pragma once
// Test helper: assembles GIF byte streams block by block and remembers where
// each block lies, so tests can compare extracted frames with the source.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

class GifBuilder {
 public:
  using Bytes = std::vector<std::uint8_t>;
  struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t size() const { return end - begin; }
  };

  // Signature, version, screen size, packed byte (table bits), background,
  // aspect, then a global colour table of the announced length.
  GifBuilder& Header(std::uint16_t width = 40, std::uint16_t height = 30,
                     std::uint8_t packed = 0x80, const char* version = "89a") {
    Append("GIF");
    Append(version);
    U16(width);
    U16(height);
    Byte(packed);
    Byte(0);
    Byte(0);
    Filler(TableLength(packed), 0x40);
    return *this;
  }

  GifBuilder& Application(std::initializer_list<std::uint8_t> subBlockData = {1, 0, 0}) {
    return Block([&] {
      Byte(0x21);
      Byte(0xFF);
      Byte(11);
      Append("NETSCAPE2.0");
      SubBlocks(Bytes(subBlockData), 255);
    });
  }

  GifBuilder& Comment(const std::string& text, std::size_t chunk = 255) {
    return Block([&] {
      Byte(0x21);
      Byte(0xFE);
      SubBlocks(Bytes(text.begin(), text.end()), chunk);
    });
  }

  GifBuilder& GraphicControl(std::uint16_t delay, std::uint8_t disposal,
                             std::uint8_t otherBits = 0) {
    return Block([&] {
      Byte(0x21);
      Byte(0xF9);
      Byte(4);
      Byte(static_cast<std::uint8_t>(((disposal & 7) << 2) | otherBits));
      U16(delay);
      Byte(0);  // transparent index
      Byte(0);  // terminator
    });
  }

  GifBuilder& PlainText(const std::string& text = "hi") {
    return Block([&] {
      Byte(0x21);
      Byte(0x01);
      Byte(12);
      Filler(12, 1);
      SubBlocks(Bytes(text.begin(), text.end()), 255);
    });
  }

  // Image descriptor, local colour table per packed, code size, data chain.
  GifBuilder& Image(std::uint16_t left, std::uint16_t top, std::uint16_t width,
                    std::uint16_t height, std::uint8_t packed = 0, std::size_t dataBytes = 7,
                    std::size_t chunk = 255) {
    return Block([&] {
      Byte(0x2C);
      U16(left);
      U16(top);
      U16(width);
      U16(height);
      Byte(packed);
      Filler(TableLength(packed), 0x77);
      Byte(2);  // minimum code size
      Bytes data(dataBytes);
      for (std::size_t i = 0; i < dataBytes; ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 1);
      SubBlocks(data, chunk);
    });
  }

  GifBuilder& Trailer() {
    return Block([&] { Byte(0x3B); });
  }

  GifBuilder& Raw(std::initializer_list<std::uint8_t> raw) {
    return Block([&] { bytes_.insert(bytes_.end(), raw.begin(), raw.end()); });
  }

  // Drops the last n bytes, as a download cut short would.
  GifBuilder& Cut(std::size_t n) {
    bytes_.resize(bytes_.size() - n);
    return *this;
  }

  const Bytes& bytes() const { return bytes_; }
  std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  // Blocks in the order they were added (the header is not one).
  const std::vector<Span>& blocks() const { return blocks_; }
  const Span& block(std::size_t i) const { return blocks_.at(i); }

  static std::size_t TableLength(std::uint8_t packed) {
    return (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0u;
  }

 private:
  template <typename Fill>
  GifBuilder& Block(Fill fill) {
    Span span;
    span.begin = bytes_.size();
    fill();
    span.end = bytes_.size();
    blocks_.push_back(span);
    return *this;
  }
  void Byte(std::uint8_t b) { bytes_.push_back(b); }
  void U16(std::uint16_t v) {
    Byte(static_cast<std::uint8_t>(v & 0xFF));
    Byte(static_cast<std::uint8_t>(v >> 8));
  }
  void Append(const char* text) {
    for (; *text != '\0'; ++text) Byte(static_cast<std::uint8_t>(*text));
  }
  void Filler(std::size_t n, std::uint8_t value) { bytes_.insert(bytes_.end(), n, value); }
  void SubBlocks(const Bytes& data, std::size_t chunk) {
    for (std::size_t at = 0; at < data.size(); at += chunk) {
      const std::size_t n = std::min(chunk, data.size() - at);
      Byte(static_cast<std::uint8_t>(n));
      bytes_.insert(bytes_.end(), data.begin() + at, data.begin() + at + n);
    }
    Byte(0);
  }

  Bytes bytes_;
  std::vector<Span> blocks_;
};
