#include "banner/picture_decoder.h"

#include <objidl.h>

PictureRef DecodePicture(HGLOBAL block, DWORD length, bool streamOwnsBlock) {
  ComRef<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(block, streamOwnsBlock ? TRUE : FALSE, stream.put()))) {
    if (streamOwnsBlock) ::GlobalFree(block);
    return PictureRef();
  }
  PictureRef picture;
  void** out = reinterpret_cast<void**>(picture.put());
  if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(length), FALSE, IID_IPicture, out))) {
    return PictureRef();
  }
  return picture;
}

SIZE PictureHimetricSize(IPicture* picture) {
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  picture->get_Width(&width);
  picture->get_Height(&height);
  return SIZE{width, height};
}

bool RenderPicture(IPicture* picture, HDC dc, int x, int y, int width, int height) {
  const SIZE himetric = PictureHimetricSize(picture);
  // Picture space runs bottom-up: start at the top edge and step downwards.
  return SUCCEEDED(picture->Render(dc, x, y, width, height, 0, himetric.cy, himetric.cx, -himetric.cy, nullptr));
}
