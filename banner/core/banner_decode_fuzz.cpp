// The plan against real decoders: whatever bytes the plan accepts, giflib
// and libjpeg must decode no picture larger than the plan allowed for it,
// and read the sizes the plan read. A trap here is a file that reads one
// way to the size check and another to a decoder.
#include <gif_lib.h>

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include <jpeglib.h>

#include "banner/core/banner_plan.h"
#include "banner/core/gif_walker.h"

namespace {

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

// The image frames the walker plans, in file order (plain text frames, which
// giflib does not decode as images, left out).
std::vector<GifFrameRect> PlannedImages(const std::uint8_t* data, std::uint32_t length, const BannerPlan& plan) {
  GifWalker walker(data, length);
  walker.Rewind();
  std::vector<GifFrameRect> images;
  for (std::uint32_t i = 0; i < plan.frames; ++i) {
    // Read the rendering block's kind before SkipFrame passes it.
    GifWalker probe = walker;
    while (probe.ClassifyBlock() != GifBlockKind::ImageDescriptor &&
           probe.ClassifyBlock() != GifBlockKind::PlainTextExtension && probe.SkipBlock()) {
    }
    const bool image = probe.ClassifyBlock() == GifBlockKind::ImageDescriptor;
    GifFrameRect rect;
    if (!walker.SkipFrame(&rect)) break;
    if (image) images.push_back(rect);
  }
  return images;
}

struct GifSource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;
};

int ReadGif(GifFileType* gif, GifByteType* out, int count) {
  auto* source = static_cast<GifSource*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), source->size - source->at);
  std::memcpy(out, source->data + source->at, n);
  source->at += n;
  return static_cast<int>(n);
}

void DecodeGif(const std::uint8_t* data, std::uint32_t length, const BannerPlan& plan) {
  const std::vector<GifFrameRect> planned = PlannedImages(data, length, plan);
  GifSource source{data, length, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&source, &ReadGif, &error);
  if (gif == nullptr) return;
  Check(static_cast<std::uint32_t>(gif->SWidth) == plan.width && static_cast<std::uint32_t>(gif->SHeight) == plan.height);
  std::uint64_t total = PlannedSurfacePixels(plan);
  std::size_t image = 0;
  std::vector<GifPixelType> row;
  for (bool more = true; more;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) break;
    switch (record) {
      case IMAGE_DESC_RECORD_TYPE: {
        if (DGifGetImageDesc(gif) == GIF_ERROR) {
          more = false;
          break;
        }
        const GifImageDesc& desc = gif->Image;
        // The plan stops at the budget and the cap; an image beyond them
        // must never be reached by a load either.
        Check(image < planned.size());
        const GifFrameRect& rect = planned[image++];
        Check(rect.left == static_cast<std::uint32_t>(desc.Left) && rect.top == static_cast<std::uint32_t>(desc.Top) &&
              rect.width == static_cast<std::uint32_t>(desc.Width) &&
              rect.height == static_cast<std::uint32_t>(desc.Height));
        const std::uint64_t pixels = std::uint64_t(desc.Width) * std::uint64_t(desc.Height);
        Check(pixels <= PlannedFramePixels(rect, plan.width, plan.height));
        total += pixels;
        Check(WithinPixelBudget(total));
        row.assign(static_cast<std::size_t>(desc.Width) + 1, 0);
        for (int y = 0; y < desc.Height && more; ++y) {
          if (DGifGetLine(gif, row.data(), desc.Width) == GIF_ERROR) more = false;
        }
        break;
      }
      case EXTENSION_RECORD_TYPE: {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
          more = false;
          break;
        }
        while (block != nullptr) {
          if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
            more = false;
            break;
          }
        }
        break;
      }
      default:
        more = false;
        break;
    }
  }
  DGifCloseFile(gif, &error);
}

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf exit;
};

void JpegExit(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->exit, 1); }
void JpegQuiet(j_common_ptr, int) {}

void DecodeJpeg(const std::uint8_t* data, std::uint32_t length, const BannerPlan& plan) {
  jpeg_decompress_struct info;
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = &JpegExit;
  errors.manager.emit_message = &JpegQuiet;
  std::vector<JSAMPLE> row;
  if (setjmp(errors.exit) != 0) {
    jpeg_destroy_decompress(&info);
    return;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, length);
  if (jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK) {
    // The frame header the decoder took is the one the plan read.
    Check(info.image_width == plan.width && info.image_height == plan.height);
    jpeg_start_decompress(&info);
    const std::uint64_t pixels = std::uint64_t{info.output_width} * info.output_height;
    Check(pixels <= std::uint64_t{plan.width} * plan.height);
    Check(WithinPixelBudget(PlannedSurfacePixels(plan) + pixels));
    row.resize(static_cast<std::size_t>(info.output_width) * info.output_components);
    JSAMPROW rows[1] = {row.data()};
    while (info.output_scanline < info.output_height) {
      if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
    }
    jpeg_abort_decompress(&info);
  }
  jpeg_destroy_decompress(&info);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > std::numeric_limits<std::uint32_t>::max()) return 0;
  const auto length = static_cast<std::uint32_t>(size);
  const BannerPlan plan = PlanBanner(data, length);
  if (!plan.accepted) return 0;
  if (plan.format == PictureFormat::Gif) DecodeGif(data, length, plan);
  if (plan.format == PictureFormat::Jpeg) DecodeJpeg(data, length, plan);
  return 0;
}
