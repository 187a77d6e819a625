#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "remote/core/byte_source.h"
#include "remote/core/computer_list_file.h"
#include "tools/varoinspect/inspect.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A list file read straight from the disk.
class StdioByteSource : public ByteSource {
 public:
  StdioByteSource(FileHandle file, std::uint64_t size) : file_(std::move(file)), size_(size) {}

  bool Read(std::uint8_t* buffer, std::size_t maxBytes, std::size_t& bytesRead) override {
    bytesRead = std::fread(buffer, 1, maxBytes, file_.get());
    position_ += bytesRead;
    return !std::ferror(file_.get());
  }
  std::uint64_t Remaining() const override { return position_ < size_ ? size_ - position_ : 0; }

 private:
  FileHandle file_;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
};

// UTF-16LE to code page 932, the ANSI code page of a Japanese system. Like
// the system conversion, characters it has no code for become '?'.
class Cp932Converter {
 public:
  Cp932Converter() : handle_(iconv_open("CP932", "UTF-16LE")) {}
  ~Cp932Converter() {
    if (Usable()) iconv_close(handle_);
  }
  Cp932Converter(const Cp932Converter&) = delete;
  Cp932Converter& operator=(const Cp932Converter&) = delete;

  bool Usable() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  std::string operator()(const std::u16string& wide) const {
    std::vector<char> input;
    for (char16_t unit : wide) {
      input.push_back(static_cast<char>(unit & 0xFF));
      input.push_back(static_cast<char>(unit >> 8));
    }
    std::string result;
    char* in = input.data();
    std::size_t inLeft = input.size();
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
      char chunk[256];
      char* outPos = chunk;
      std::size_t outLeft = sizeof chunk;
      const std::size_t done = iconv(handle_, &in, &inLeft, &outPos, &outLeft);
      result.append(chunk, static_cast<std::size_t>(outPos - chunk));
      if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      // Unconvertible or broken: one '?' for the character, a surrogate pair
      // counting as one.
      result += '?';
      std::size_t skip = 2;
      if (inLeft >= 4 && IsHighSurrogate(in) && IsLowSurrogate(in + 2)) skip = 4;
      if (skip > inLeft) skip = inLeft;
      in += skip;
      inLeft -= skip;
    }
    return result;
  }

 private:
  static unsigned Unit(const char* p) {
    return static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8);
  }
  static bool IsHighSurrogate(const char* p) { return Unit(p) >= 0xD800 && Unit(p) < 0xDC00; }
  static bool IsLowSurrogate(const char* p) { return Unit(p) >= 0xDC00 && Unit(p) < 0xE000; }

  iconv_t handle_;
};

}  // namespace

int InspectList(const char* path, std::ostream& out) {
  std::error_code error;
  const bool regular = std::filesystem::is_regular_file(path, error);
  const std::uint64_t size = regular ? std::filesystem::file_size(path, error) : 0;
  FileHandle file(regular && !error ? std::fopen(path, "rb") : nullptr);
  if (!file) {
    out << "cannot read " << path << ": not a readable file\n";
    return 1;
  }
  const Cp932Converter converter;
  if (!converter.Usable()) {
    out << "cannot convert UTF-16 text: code page 932 unavailable\n";
    return 1;
  }

  StdioByteSource source(std::move(file), size);
  ComputerTable rows;
  const bool result = LoadComputerList(source, rows, std::cref(converter));
  for (const ComputerEntry& entry : rows.Entries()) {
    out << entry.name << '\t' << entry.mac << '\t' << entry.port << '\n';
  }
  out << "result: " << (result ? "TRUE" : "FALSE") << '\n';
  return 0;
}
