// Arbitrary bytes through the bounded multibyte copy: the copy stays within
// its bound, ends in NUL and never splits a Shift-JIS character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tray/core/notify_icon_record.h"
#include "tray/core/tip_copy.h"

namespace {

bool IsShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t maxBytes = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);  // may hold NULs
  char field[kTipFieldSize];
  const std::size_t n = CopyMultibyteBounded(field, sizeof field, text.c_str(), maxBytes, IsShiftJisLead);
  const std::size_t bound = maxBytes < kTipMaxBytes ? maxBytes : kTipMaxBytes;
  if (n > bound || field[n] != '\0') std::abort();
  // Walk the source as the copy should: the copy ends on a character boundary.
  std::size_t i = 0;
  while (i < n) i += IsShiftJisLead(static_cast<unsigned char>(text[i])) ? 2 : 1;
  if (i != n || text.compare(0, n, field, n) != 0) std::abort();
  return 0;
}
