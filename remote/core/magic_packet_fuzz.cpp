// Builds the packet from arbitrary MAC text and checks its frame and that
// each address byte comes from the piece at its position alone.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "remote/core/magic_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string mac(reinterpret_cast<const char*>(data), size);
  const MagicPacket packet = BuildMagicPacket(mac);
  for (std::size_t i = 0; i < 6; ++i) {
    if (packet[i] != 0xFF) std::abort();
  }
  for (std::size_t k = 0; k < 6; ++k) {
    const std::string piece = 3 * k < mac.size() ? mac.substr(3 * k, 2) : std::string();
    const int value = ParseMacByte(piece);
    if (value < -0xFF || value > 0xFF) std::abort();
    for (std::size_t copy = 0; copy < 16; ++copy) {
      if (packet[6 + 6 * copy + k] != static_cast<std::uint8_t>(value & 0xFF)) std::abort();
    }
  }
  return 0;
}
