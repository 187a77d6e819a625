#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "banner/core/banner_plan.h"
#include "banner/core/gif_report.h"
#include "tools/varoinspect/inspect.h"

int InspectGif(const char* path, std::ostream& out) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    out << "cannot read " << path << ": not a readable file\n";
    return 1;
  }
  // The program reads no larger banner file; neither is this read whole.
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kBannerMaxFileBytes) {
    out << "cannot read " << path << ": file too large\n";
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
  // Grown while it was read.
  if (bytes.size() > kBannerMaxFileBytes) {
    out << "cannot read " << path << ": file too large\n";
    return 1;
  }
  WriteGifReport(bytes.data(), static_cast<std::uint32_t>(bytes.size()), out);
  return 0;
}
