#pragma once
// Sizes of pictures for the DPI the windows are laid out at.
#include <cstddef>

// The DPI at which a picture's size is given: 100 % scaling.
constexpr int kBaseDpi = 96;

// A length in pixels at 96 DPI, at `dpi`, rounded to the nearest pixel. A
// DPI below 1 (a failed query) counts as 96.
int ScaleToDpi(int length, int dpi);

// Of images drawn for the DPIs in `imageDpis` (ascending, at least one), the
// index of the one to show at `dpi`: the image drawn for that DPI; else the
// smallest drawn for a higher DPI, which loses least when scaled down; else
// the largest.
std::size_t PickImageForDpi(const int* imageDpis, std::size_t count, int dpi);
