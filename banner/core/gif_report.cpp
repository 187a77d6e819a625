#include "banner/core/gif_report.h"

#include "banner/core/banner_plan.h"
#include "banner/core/frame_buffer.h"
#include "banner/core/frame_wait.h"
#include "banner/core/gif_walker.h"
#include "banner/core/picture_show.h"

void WriteGifReport(const std::uint8_t* data, std::uint32_t length, std::ostream& out) {
  const BannerPlan plan = PlanBanner(data, length);
  std::uint32_t decoded = plan.format == PictureFormat::Gif ? 0 : 1;
  if (plan.accepted && plan.format == PictureFormat::Gif) {
    GifWalker walker(data, length);
    MallocFrameAllocator allocator;
    while (decoded < plan.frames) {
      const auto frame = walker.ExtractFrame(allocator);
      if (!frame) break;
      out << "frame " << decoded << " left " << frame->left << " top " << frame->top << " width "
          << frame->width << " height " << frame->height << " delay " << frame->delay << " wait_ms "
          << FrameWaitMilliseconds(frame->delay) << " disposal " << frame->disposal << " bytes "
          << frame->buffer.size() << '\n';
      ++decoded;
    }
  }
  out << "show: " << PictureShowName(ChoosePictureShow(plan, decoded)) << '\n';
}
