#include "banner/core/decoded_pixel_tally.h"

bool DecodedPixelTally::Add(std::uint64_t decoded, std::uint64_t planned) {
  if (decoded > planned) return false;
  // Both sides are within the budget here, so the sum cannot wrap.
  if (!WithinPixelBudget(decoded) || !WithinPixelBudget(m_total)) return false;
  m_total += decoded;
  return WithinPixelBudget(m_total);
}
