#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>
#include <vector>

#include "banner/core/gif_report.h"
#include "tools/varoinspect/inspect.h"

int InspectGif(const char* path, std::ostream& out) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    out << "cannot read " << path << ": not a readable file\n";
    return 1;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    out << "cannot read " << path << '\n';
    return 1;
  }
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  if (in.bad()) {
    out << "cannot read " << path << '\n';
    return 1;
  }
  // The program loads a banner into one 32-bit sized block.
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
    out << "cannot read " << path << ": file too large\n";
    return 1;
  }
  WriteGifReport(bytes.data(), static_cast<std::uint32_t>(bytes.size()), out);
  return 0;
}
