#pragma once
// Pictures loaded for the DPI the windows are laid out at: each icon at the
// size of its place from the image drawn for that size, and bitmaps from the
// image drawn for the nearest DPI.
#include <windows.h>

#include <cstddef>

#include "afx/handles.h"

// A bitmap of our own (not one a control loaded from its template).
using BitmapHandle = UniqueHandle<HBITMAP, &::DeleteObject>;

// The screen's DPI, which dialog templates and fonts are scaled to: 96 at
// 100 %, 144 at 150 %.
int ScreenDpi();

// The icon resource's image drawn for size x size pixels. The system scales
// an image only when the icon has none of that size. Null on failure.
HICON LoadIconAtSize(HINSTANCE module, UINT id, int size);

// The icon for the caption and the tray: the system's small-icon size,
// which grows with the DPI (16, 20, 24, 32 at 100, 125, 150, 200 %).
HICON LoadSmallIcon(HINSTANCE module, UINT id);

// How much `dialog` has grown with its font, as a DPI (DialogDpi): 96 for
// a dialog laid out as at 100 %.
int DialogDpiOf(HWND dialog);

// The size of the icons shown in `dialog`: 32 pixels at 96 DPI, grown with
// the dialog, or the nearby size of an image drawn for it. dialogDpi, when
// given, is DialogDpiOf(dialog) already measured.
int LargeIconSizeFor(HWND dialog, int dialogDpi = 0);

// Icon `id` of `module` at size x size pixels, loaded once and kept until
// the program ends, so that every window showing it shows the same icon
// (as the system's shared icons are). User-interface thread only.
HICON SharedIconAtSize(HINSTANCE module, UINT id, int size);

// Shows icon `iconId` at LargeIconSizeFor(dialog, dialogDpi) in the static
// icon control `controlId` of `dialog`, which takes the icon's size at its
// place. Returns the (shared) icon; null when it or the control is missing.
HICON ShowLargeIcon(HWND dialog, int controlId, UINT iconId, int dialogDpi = 0);

// One bitmap resource drawn for a DPI.
struct BitmapForDpi {
  UINT id;
  int dpi;
};

// A bitmap of `width96` x `height96` pixels at 96 DPI, at `dpi` (the
// screen's, or a dialog's from DialogDpiOf): the image
// drawn for that DPI, or the one PickImageForDpi names scaled with halftone
// filtering. `images` in ascending DPI. Null on failure.
HBITMAP LoadBitmapForDpi(HINSTANCE module, const BitmapForDpi* images, std::size_t count, int width96,
                         int height96, int dpi);

// Shows `bitmap` in the static bitmap control `controlId` of `dialog`,
// which takes its size; the bitmap the control showed before is deleted.
// The caller keeps `bitmap` as long as the control.
void ShowBitmap(HWND dialog, int controlId, HBITMAP bitmap);
