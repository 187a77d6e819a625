#include "app/core/dpi_scale.h"

#include <cstdint>

int ScaleToDpi(int length, int dpi) {
  if (dpi < 1) dpi = kBaseDpi;
  const std::int64_t product = static_cast<std::int64_t>(length) * dpi;
  const std::int64_t half = product < 0 ? -kBaseDpi / 2 : kBaseDpi / 2;
  return static_cast<int>((product + half) / kBaseDpi);
}

int DialogDpi(int unitNow, int unit96) {
  if (unitNow < 1 || unit96 < 1) return kBaseDpi;
  return (kBaseDpi * unitNow + unit96 / 2) / unit96;
}

int IconSizeForPlace(int wanted, const int* drawnSizes, std::size_t count) {
  int best = wanted;
  int bestGap = wanted * 4 / 100 + 1;  // within 4 %
  for (std::size_t i = 0; i < count; ++i) {
    const int gap = drawnSizes[i] > wanted ? drawnSizes[i] - wanted : wanted - drawnSizes[i];
    if (gap < bestGap) {
      best = drawnSizes[i];
      bestGap = gap;
    }
  }
  return best;
}

std::size_t PickImageForDpi(const int* imageDpis, std::size_t count, int dpi) {
  for (std::size_t i = 0; i < count; ++i) {
    if (imageDpis[i] >= dpi) return i;
  }
  return count == 0 ? 0 : count - 1;
}
