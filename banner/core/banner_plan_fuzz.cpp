// Any bytes the network serves go through the plan before anything else:
// it must never read outside them, whatever the headers claim.
#include <cstddef>
#include <cstdint>
#include <limits>

#include "banner/core/banner_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > std::numeric_limits<std::uint32_t>::max()) return 0;
  const auto length = static_cast<std::uint32_t>(size);
  const BannerPlan plan = PlanBanner(data, length);
  if (plan.accepted && !WithinPixelBudget(plan.pixels)) __builtin_trap();
  for (PictureFormat format : {PictureFormat::Jpeg, PictureFormat::Png, PictureFormat::Bmp, PictureFormat::Icon}) {
    StillPictureSize(format, data, length);
  }
  return 0;
}
