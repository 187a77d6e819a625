#pragma once
// Decoding of one image (BMP, GIF, JPEG, PNG, ...) into a picture object by
// the platform's picture decoder, and drawing it.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "banner/com_ref.h"

using PictureRef = ComRef<IPicture>;

// Decodes the first length bytes of block. With streamOwnsBlock the block is
// freed when decoding is over, whatever the outcome; otherwise it stays the
// caller's. Empty on failure.
PictureRef DecodePicture(HGLOBAL block, DWORD length, bool streamOwnsBlock);
using PictureDecoder = PictureRef (*)(HGLOBAL block, DWORD length, bool streamOwnsBlock);

// The picture's natural size in HIMETRIC units (0.01 mm).
SIZE PictureHimetricSize(IPicture* picture);

// Draws the whole picture, upright, scaled into (x, y, width, height) of dc.
bool RenderPicture(IPicture* picture, HDC dc, int x, int y, int width, int height);
