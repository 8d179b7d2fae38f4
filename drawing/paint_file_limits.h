// Limits that the paint file's writer and reader share: the writer refuses a
// state the reader would refuse, so every saved file opens again.
#pragma once

#include <cstdint>

#include "drawing/drawing_state.h"
#include "drawing/tool_types.h"
#include "platform/imaging/bitmap.h"

namespace varn::drawing {

// A layer bitmap of any size the board can make: fitted to a canvas of the
// largest side, or grown by the move tool on a smaller one.
inline bool IsStorableLayerSize(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxCanvasSide && height <= kMaxCanvasSide &&
         width * height <= imaging::kMaxBitmapPixels;
}

// A layer offset the board can make: the move tool keeps a layer within
// kLayerMoveLimit of the canvas's origin, and every other step keeps an
// offset or sets it to 0. Files cannot bring the tools offsets near the ends
// of int32, where their sums would overflow.
inline bool IsStorableLayerOffset(int64_t x, int64_t y) {
  return x >= -kLayerMoveLimit && x <= kLayerMoveLimit && y >= -kLayerMoveLimit &&
         y <= kLayerMoveLimit;
}

// Six 4-byte fields and two empty strings (a count and a 0 character each).
inline constexpr uint64_t kMinTextRecordBytes = 6 * 4 + 2 * (4 + 2);

inline constexpr uint32_t kPaintFileRgbMask = 0x00FFFFFF;

}  // namespace varn::drawing
