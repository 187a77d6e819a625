#include "remote/wake_port.h"

#include <cstdint>
#include <cstdlib>

unsigned short WakePortFromText(const std::string& text) {
  long value = std::strtol(text.c_str(), nullptr, 10);
  // long may be wider than 32 bits elsewhere; keep the 32-bit saturation.
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  return static_cast<unsigned short>(static_cast<std::uint32_t>(static_cast<std::int32_t>(value)) & 0xFFFFu);
}
