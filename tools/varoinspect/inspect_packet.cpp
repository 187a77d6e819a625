#include <string>

#include "remote/core/magic_packet.h"
#include "tools/varoinspect/inspect.h"

int InspectPacket(const char* macText, std::ostream& out) {
  static const char kHexDigits[] = "0123456789abcdef";
  std::string line;
  for (std::uint8_t byte : BuildMagicPacket(macText)) {
    line += kHexDigits[byte >> 4];
    line += kHexDigits[byte & 0x0F];
  }
  out << line << '\n';
  return 0;
}
