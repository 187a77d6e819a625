#include "tray/core/tip_copy.h"

#include <cstring>

std::size_t CopyMultibyteBounded(char* field, std::size_t fieldSize, const char* text,
                                 std::size_t maxBytes, LeadBytePredicate isLeadByte) {
  if (field == nullptr || fieldSize == 0) return 0;
  std::memset(field, 0, fieldSize);
  if (text == nullptr) return 0;
  const std::size_t bound = maxBytes < fieldSize ? maxBytes : fieldSize - 1;
  std::size_t n = 0;
  while (n < bound && text[n] != '\0') {
    const bool lead = isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(text[n]));
    if (!lead) {
      field[n] = text[n];
      ++n;
      continue;
    }
    // A double-byte character goes in whole or not at all.
    if (n + 2 > bound || text[n + 1] == '\0') break;
    field[n] = text[n];
    field[n + 1] = text[n + 1];
    n += 2;
  }
  return n;
}
