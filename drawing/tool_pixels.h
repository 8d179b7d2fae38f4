// Pixel work of the effect and fill tools on locked rows, apart from any
// state so that it can be checked on tiny bitmaps.
#pragma once

#include <cstdint>

#include "drawing/drawing_tools.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/bitmap_data.h"
#include "platform/imaging/color.h"

namespace varn::drawing {

// ApplyFilter3x3 over rows already locked: source readable, destination
// writable, both of the same size.
void FilterSquare(const imaging::BitmapData& source, imaging::BitmapData& destination,
                  const FilterKernel& kernel, int64_t left, int64_t top, int64_t side);

// Fills the 4-connected region of exactly the value at (x, y) with fill.
// False when nothing changed: (x, y) outside, the pixel already fill, or the
// bitmap could not be locked.
bool FloodFillBitmap(imaging::Bitmap& bitmap, int64_t x, int64_t y, imaging::ARGB fill);

// trunc(v) as a whole number; NaN gives a value far outside any bitmap.
int64_t TruncateCoordinate(float v);

}  // namespace varn::drawing
