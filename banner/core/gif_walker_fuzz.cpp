// Walks and splits arbitrary bytes; every frame cut out must be laid out as
// header + the source's frame bytes + trailer, and re-walk as that one frame.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "banner/core/gif_walker.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Check(bool condition) {
  if (!condition) std::abort();
}

// Reads fuzz bytes one at a time; zeros once they run out.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  std::uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
  void Take(Bytes& out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out.push_back(Next());
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

void Chain(Input& in, Bytes& out) {
  const int count = in.Next() % 4;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t n = in.Next();
    if (n == 0) break;
    out.push_back(n);
    out.insert(out.end(), n, 0x55);
  }
  out.push_back(0);
}

// The block walker's own coverage is not fed back to the fuzzer, so most
// inputs are read as a recipe of well-formed blocks with stray bytes and
// cuts in between; short runs then still reach every block kind.
Bytes BuildFromRecipe(Input& in) {
  Bytes out{'G', 'I', 'F', '8', '9', 'a'};
  in.Take(out, 4);
  const std::uint8_t packed = in.Next();
  out.push_back(packed);
  out.push_back(0);
  out.push_back(0);
  if (packed & 0x80) out.insert(out.end(), 3u << ((packed & 7) + 1), 0);
  while (!in.Empty()) {
    switch (in.Next() % 8) {
      case 0:  // graphic control extension
        out.insert(out.end(), {0x21, 0xF9, 0x04});
        in.Take(out, 3);
        out.insert(out.end(), {0x00, 0x00});
        break;
      case 1: {  // image with optional local table
        out.push_back(0x2C);
        in.Take(out, 8);
        const std::uint8_t local = in.Next();
        out.push_back(local);
        if (local & 0x80) out.insert(out.end(), 3u << ((local & 7) + 1), 0);
        out.push_back(2);
        Chain(in, out);
        break;
      }
      case 2:
        out.insert(out.end(), {0x21, 0xFE});
        Chain(in, out);
        break;
      case 3:
        out.insert(out.end(), {0x21, 0xFF, 11});
        out.insert(out.end(), 11, 'N');
        Chain(in, out);
        break;
      case 4:
        out.insert(out.end(), {0x21, 0x01, 12});
        out.insert(out.end(), 12, 0);
        Chain(in, out);
        break;
      case 5:
        out.push_back(0x3B);
        break;
      case 6:  // stray byte
        out.push_back(in.Next());
        break;
      case 7:  // cut short
        out.resize(out.size() - std::min<std::size_t>(out.size(), in.Next() % 16));
        break;
    }
  }
  return out;
}

void WalkAndCheck(const Bytes& bytes) {
  GifWalker walker(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  const std::uint32_t count = walker.CountFrames();
  Check(walker.IsGifHeader() || count == 0);

  MallocFrameAllocator allocator;
  const std::uint32_t header = walker.HeaderLength();
  std::uint32_t extracted = 0;
  walker.Rewind();
  while (auto frame = walker.ExtractFrame(allocator)) {
    ++extracted;
    const std::uint8_t* out = frame->buffer.data();
    const std::uint32_t length = frame->buffer.size();
    Check(length > header + 1);
    const std::uint32_t blocks = length - header - 1;
    // The frame's blocks end where the cursor now stands.
    Check(walker.Cursor() >= blocks);
    Check(std::memcmp(out, bytes.data(), header) == 0);
    Check(std::memcmp(out + header, bytes.data() + walker.Cursor() - blocks, blocks) == 0);
    Check(out[length - 1] == 0x3B);
    Check(frame->disposal <= 7);

    GifWalker again(out, length);
    Check(again.IsGifHeader());
    Check(again.CountFrames() == 1);
    again.Rewind();
    auto copy = again.ExtractFrame(allocator);
    Check(copy.has_value());
    Check(copy->buffer.size() == length && std::memcmp(copy->buffer.data(), out, length) == 0);
    Check(copy->delay == frame->delay && copy->disposal == frame->disposal);
    Check(copy->left == frame->left && copy->top == frame->top);
    Check(copy->width == frame->width && copy->height == frame->height);
    Check(!again.ExtractFrame(allocator).has_value());
  }
  Check(extracted == count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 0xFFFF0000u) return 0;
  Input in(data + 1, size - 1);
  Bytes bytes;
  switch (data[0] % 4) {
    case 0:  // raw bytes, signature test included
      bytes.assign(data + 1, data + size);
      break;
    case 1:  // raw bytes behind a valid signature
      bytes.assign({'G', 'I', 'F', '8', '9', 'a'});
      bytes.insert(bytes.end(), data + 1, data + size);
      break;
    default:
      bytes = BuildFromRecipe(in);
      break;
  }
  // An exact-size heap block, so reads past the end are caught.
  WalkAndCheck(Bytes(bytes.begin(), bytes.end()));
  return 0;
}
