#pragma once
// Sizes of pictures for the DPI the windows are laid out at.
#include <cstddef>

// The DPI at which a picture's size is given: 100 % scaling.
constexpr int kBaseDpi = 96;

// A length in pixels at 96 DPI, at `dpi`, rounded to the nearest pixel. A
// DPI below 1 (a failed query) counts as 96.
int ScaleToDpi(int length, int dpi);

// The scale of a dialog, as a DPI: 96 times the ratio of its horizontal
// dialog unit now (`unitNow`, the average character width of its font) to
// the unit of the same font at 96 DPI. Fonts round to whole pixels, so a
// dialog grows a little more or less than the screen's DPI (at 120 DPI a
// 9-point font grows from 6 to 8 pixels); pictures that keep their share of
// the dialog follow this scale. Units below 1 count as 96 DPI.
int DialogDpi(int unitNow, int unit96);

// The icon size for a place of `wanted` pixels: the drawn size (of
// `drawnSizes`) within 4 % of it, which keeps its image sharp, else `wanted`.
int IconSizeForPlace(int wanted, const int* drawnSizes, std::size_t count);

// Of images drawn for the DPIs in `imageDpis` (ascending, at least one), the
// index of the one to show at `dpi`: the image drawn for that DPI; else the
// smallest drawn for a higher DPI, which loses least when scaled down; else
// the largest.
std::size_t PickImageForDpi(const int* imageDpis, std::size_t count, int dpi);
