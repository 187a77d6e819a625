#include "banner/core/gif_report.h"

#include "banner/core/frame_buffer.h"
#include "banner/core/frame_wait.h"
#include "banner/core/gif_walker.h"
#include "banner/core/picture_show.h"

void WriteGifReport(const std::uint8_t* data, std::uint32_t length, std::ostream& out) {
  GifWalker walker(data, length);
  const std::uint32_t frameCount = walker.CountFrames();

  MallocFrameAllocator allocator;
  std::uint32_t extracted = 0;
  walker.Rewind();
  while (auto frame = walker.ExtractFrame(allocator)) {
    out << "frame " << extracted << " left " << frame->left << " top " << frame->top << " width "
        << frame->width << " height " << frame->height << " delay " << frame->delay << " wait_ms "
        << FrameWaitMilliseconds(frame->delay) << " disposal " << frame->disposal << " bytes "
        << frame->buffer.size() << '\n';
    ++extracted;
  }
  out << "show: " << PictureShowName(ChoosePictureShow(walker.IsGifHeader(), frameCount, extracted))
      << '\n';
}
