#pragma once
// Holds a load to its plan while it decodes: the plan was made from the
// headers, the tally counts what the decoder actually made, so that a file
// that reads one way to the plan and another to the decoder is stopped at
// the first picture that exceeds its share, and the total never passes the
// budget whatever the headers said.
#include <cstdint>

#include "banner/core/banner_plan.h"

class DecodedPixelTally {
 public:
  // Starts with the plan's surface (and save area) counted.
  explicit DecodedPixelTally(const BannerPlan& plan) : m_total(PlannedSurfacePixels(plan)) {}

  // Counts one decoded picture of decoded pixels that the plan allowed
  // planned for. False, and the load must end, when the picture is larger
  // than planned or the running total passes the budget.
  bool Add(std::uint64_t decoded, std::uint64_t planned);

  std::uint64_t total() const { return m_total; }

 private:
  std::uint64_t m_total;
};
