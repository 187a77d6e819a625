#include "app/core/version_path.h"

#include <cstdio>
#include <cstring>

const char kVersionTranslationPath[] = "\\VarFileInfo\\Translation";

namespace {

// The 4-byte translation value, read little-endian whatever the host's order.
std::uint32_t ReadPair(const void* translation) {
  const auto* b = static_cast<const unsigned char*>(translation);
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

}  // namespace

bool FormatVersionPath(char (&out)[kVersionPathSize], const void* translation,
                       std::size_t translationLength, std::uint16_t userLanguage,
                       const char* name) {
  if (name == nullptr) name = "";
  int written;
  if (translation != nullptr && translationLength == 4) {
    const std::uint32_t t = ReadPair(translation);
    written = std::snprintf(out, sizeof out, "\\StringFileInfo\\%02X%02X%02X%02X\\%s",
                            static_cast<unsigned>((t >> 8) & 0xFF), static_cast<unsigned>(t & 0xFF),
                            static_cast<unsigned>(t >> 24), static_cast<unsigned>((t >> 16) & 0xFF),
                            name);
  } else {
    written = std::snprintf(out, sizeof out, "\\StringFileInfo\\%04X04B0\\%s",
                            static_cast<unsigned>(userLanguage), name);
  }
  if (written < 0 || static_cast<std::size_t>(written) >= sizeof out) {
    std::memset(out, 0, sizeof out);
    return false;
  }
  return true;
}
