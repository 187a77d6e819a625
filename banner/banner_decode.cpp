#include "banner/banner_decode.h"

#include <cstring>
#include <utility>

#include "banner/core/decoded_pixel_tally.h"
#include "banner/core/frame_placement.h"
#include "banner/core/gif_walker.h"
#include "banner/global_frame_allocator.h"
#include "banner/global_memory.h"

namespace {

constexpr int kHimetricPerInch = 2540;

// Decodes the GIF's frames one by one, up to the plan's frame count; a
// frame that fails to decode is dropped. A frame larger than planned, or one
// that takes the tally past the budget, ends the load with nothing.
std::vector<GifFrame> DecodeFrames(const std::uint8_t* data, DWORD length, const BannerPlan& plan,
                                   PictureDecoder decoder, SIZE pixelsPerInch, DecodedPixelTally& tally) {
  const PixelSize screen{plan.width, plan.height};
  GifWalker walker(data, length);
  GlobalFrameAllocator allocator;
  std::vector<GifFrame> frames;
  for (std::uint32_t tried = 0; tried < plan.frames; ++tried) {
    std::optional<ExtractedGifFrame> extracted = walker.ExtractFrame(allocator);
    if (!extracted) break;
    const DWORD frameLength = extracted->buffer.size();
    // The stream takes the fixed block over and frees it when released.
    PictureRef picture = decoder(static_cast<HGLOBAL>(extracted->buffer.Release()), frameLength, true);
    if (!picture) continue;
    const GifFrameRect rect{extracted->left, extracted->top, extracted->width, extracted->height};
    if (!tally.Add(PictureDecodedPixels(picture.get(), pixelsPerInch),
                   PlannedFramePixels(rect, plan.width, plan.height))) {
      return {};
    }
    GifFrame frame;
    const SIZE size = PicturePixelSize(picture.get(), pixelsPerInch);
    frame.drawn = PlaceFramePicture(PixelSize{static_cast<std::uint32_t>(size.cx), static_cast<std::uint32_t>(size.cy)},
                                    rect, screen);
    frame.picture = std::move(picture);
    frame.width = extracted->width;
    frame.height = extracted->height;
    frame.left = extracted->left;
    frame.top = extracted->top;
    frame.delay = extracted->delay;
    frame.disposal = extracted->disposal;
    frames.push_back(std::move(frame));
  }
  return frames;
}

}  // namespace

SIZE PicturePixelSize(IPicture* picture, SIZE pixelsPerInch) {
  const SIZE himetric = PictureHimetricSize(picture);
  const int width = ::MulDiv(himetric.cx, pixelsPerInch.cx, kHimetricPerInch);
  const int height = ::MulDiv(himetric.cy, pixelsPerInch.cy, kHimetricPerInch);
  return SIZE{width < 0 ? 0 : width, height < 0 ? 0 : height};
}

std::uint64_t PictureDecodedPixels(IPicture* picture, SIZE pixelsPerInch) {
  // A bitmap holds its own pixel size, whatever size it says it has.
  short type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  BITMAP bitmap{};
  if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle)) &&
      ::GetObjectA(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(handle)), sizeof(bitmap), &bitmap) != 0) {
    const std::int64_t width = bitmap.bmWidth;
    const std::int64_t height = bitmap.bmHeight;
    return static_cast<std::uint64_t>(width < 0 ? -width : width) * static_cast<std::uint64_t>(height < 0 ? -height : height);
  }
  const SIZE size = PicturePixelSize(picture, pixelsPerInch);
  return std::uint64_t(size.cx) * std::uint64_t(size.cy);
}

SIZE WindowPixelsPerInch(HWND window) {
  SIZE perInch{96, 96};
  HDC dc = ::GetDC(window);
  if (dc == nullptr) return perInch;
  perInch.cx = ::GetDeviceCaps(dc, LOGPIXELSX);
  perInch.cy = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(window, dc);
  return perInch;
}

DecodedBanner DecodeBanner(HGLOBAL block, DWORD length, PictureDecoder decoder, SIZE pixelsPerInch) {
  DecodedBanner banner;
  if (length == 0) return banner;
  GlobalLockGuard data(block);
  if (!data) return banner;
  banner.plan = PlanBanner(data.data(), length);
  if (!banner.plan.accepted) return banner;

  // What the decoder makes is held to the plan picture by picture, so that
  // the fetch's check and the control reach the same verdict.
  DecodedPixelTally tally(banner.plan);
  std::uint32_t decoded = 0;
  if (banner.plan.format == PictureFormat::Gif) {
    banner.frames = DecodeFrames(data.data(), length, banner.plan, decoder, pixelsPerInch, tally);
    decoded = static_cast<std::uint32_t>(banner.frames.size());
  } else {
    data.Unlock();
    banner.still = decoder(block, length, false);
    const std::uint64_t planned = std::uint64_t{banner.plan.width} * banner.plan.height;
    if (banner.still && !tally.Add(PictureDecodedPixels(banner.still.get(), pixelsPerInch), planned)) {
      banner.still.reset();
    }
    decoded = banner.still ? 1 : 0;
  }
  banner.show = ChoosePictureShow(banner.plan, decoded);
  return banner;
}

bool IsShowableBanner(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty() || bytes.size() > MAXDWORD) return false;
  const auto length = static_cast<DWORD>(bytes.size());
  const GlobalBlock block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD, length));
  if (!block) return false;
  {
    GlobalLockGuard data(block.get());
    if (!data) return false;
    std::memcpy(data.data(), bytes.data(), length);
  }
  const DecodedBanner banner = DecodeBanner(block.get(), length, &DecodePicture, WindowPixelsPerInch(nullptr));
  return banner.show != PictureShow::Nothing;
}
