#include "app/core/dpi_scale.h"

#include <cstdint>

int ScaleToDpi(int length, int dpi) {
  if (dpi < 1) dpi = kBaseDpi;
  const std::int64_t product = static_cast<std::int64_t>(length) * dpi;
  const std::int64_t half = product < 0 ? -kBaseDpi / 2 : kBaseDpi / 2;
  return static_cast<int>((product + half) / kBaseDpi);
}

std::size_t PickImageForDpi(const int* imageDpis, std::size_t count, int dpi) {
  for (std::size_t i = 0; i < count; ++i) {
    if (imageDpis[i] >= dpi) return i;
  }
  return count == 0 ? 0 : count - 1;
}
