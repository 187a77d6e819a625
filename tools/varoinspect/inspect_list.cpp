#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "remote/core/byte_source.h"
#include "remote/core/computer_list_file.h"
#include "remote/core/list_fingerprint.h"
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

bool IsShiftJisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsShiftJisTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

void AppendHex(std::string& out, unsigned char c) {
  static const char kHexDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0x0F];
}

// A field as one line-safe token: control bytes and the backslash escaped,
// so that no name can forge a column, a row or the result line. A lead byte
// passes with the byte after it only when that is a real second byte (which
// may be a backslash, never a control byte); a lead byte without one is
// written as \xHH and the byte after it is escaped on its own.
std::string Escaped(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const auto c = static_cast<unsigned char>(field[i]);
    if (IsShiftJisLeadByte(c)) {
      if (i + 1 < field.size() && IsShiftJisTrailByte(static_cast<unsigned char>(field[i + 1]))) {
        out += field[i];
        out += field[++i];
      } else {
        AppendHex(out, c);
      }
      continue;
    }
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\0': out += "\\0"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          AppendHex(out, c);
        } else {
          out += field[i];
        }
    }
  }
  return out;
}

// Why path can't be read as a list file; empty when it can.
std::string Unreadable(const char* path, FileHandle& file, std::uint64_t& size) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error) return error.message();
  if (std::filesystem::is_directory(status)) return "is a directory";
  if (!std::filesystem::is_regular_file(status)) return "not a regular file";
  size = std::filesystem::file_size(path, error);
  if (error) return error.message();
  errno = 0;
  file.reset(std::fopen(path, "rb"));
  if (!file) return errno != 0 ? std::strerror(errno) : "cannot open";
  return {};
}

}  // namespace

int InspectList(const char* path, std::ostream& out, std::ostream& err) {
  FileHandle file;
  std::uint64_t size = 0;
  const std::string why = Unreadable(path, file, size);
  if (!why.empty()) {
    // The program leaves its list as it is and goes on: that answer is TRUE.
    err << "cannot read " << path << ": " << why << '\n';
    out << "result: TRUE\n";
    return 1;
  }
  const Cp932Converter converter;
  if (!converter.Usable()) {
    err << "cannot convert UTF-16 text: code page 932 unavailable\n";
    return 1;
  }

  StdioByteSource onDisk(std::move(file), size);
  FingerprintingSource source(onDisk);
  ComputerTable rows;
  const ListReadOutcome outcome = ReadComputerList(source, rows, std::cref(converter));
  // The program takes a list with bytes its reader never reached as one
  // that did not load whole.
  std::uint64_t unread = 0;
  const bool readToTheEnd = source.Finish(unread).kind == ListFingerprint::Kind::kPresent;
  const bool result = outcome == ListReadOutcome::kNotAList ||
                      (outcome == ListReadOutcome::kFinished && readToTheEnd && unread == 0);
  for (const ComputerEntry& entry : rows.Entries()) {
    out << Escaped(entry.name) << '\t' << Escaped(entry.mac) << '\t' << Escaped(entry.port) << '\n';
  }
  out << "result: " << (result ? "TRUE" : "FALSE") << '\n';
  return 0;
}
