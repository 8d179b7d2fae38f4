#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "drawing/drawing_state.h"
#include "drawing/tool_pixels.h"

namespace varn::drawing {

namespace {

// Row y still to be scanned over [x1, x2]: the part of its parent span, on row
// y - dy, that was filled. Only what lies outside the parent's range can lead
// back to the parent's row, so that is all that is looked at there.
struct Span {
  int32_t x1;
  int32_t x2;
  int32_t y;
  int32_t dy;
};

// Fills the run of target pixels that starts at from (up to limit) and
// returns its end, the first x whose pixel is not target, or limit. Eight
// pixels a step, tested together, so the compiler can use vector compares and
// stores; the tail one by one.
int32_t FillRun(uint32_t* row, int32_t from, int32_t limit, uint32_t target, uint32_t fill) {
  int32_t x = from;
  for (; x + 8 <= limit; x += 8) {
    uint32_t differ = 0;
    for (int32_t i = 0; i < 8; ++i) differ |= row[x + i] ^ target;
    if (differ != 0) break;
    for (int32_t i = 0; i < 8; ++i) row[x + i] = fill;
  }
  for (; x < limit && row[x] == target; ++x) row[x] = fill;
  return x;
}

// The first x in [from, limit) whose pixel is target, or limit.
int32_t StartOfRun(const uint32_t* row, int32_t from, int32_t limit, uint32_t target) {
  int32_t x = from;
  for (; x + 8 <= limit; x += 8) {
    uint32_t equal = 0;
    for (int32_t i = 0; i < 8; ++i) equal |= static_cast<uint32_t>(row[x + i] == target);
    if (equal != 0) break;
  }
  while (x < limit && row[x] != target) ++x;
  return x;
}

}  // namespace

int64_t TruncateCoordinate(float v) {
  // Far outside any bitmap, yet small enough to add offsets to safely.
  constexpr double kFar = 4.0e12;
  if (std::isnan(v)) return static_cast<int64_t>(kFar);
  return static_cast<int64_t>(std::clamp<double>(std::trunc(static_cast<double>(v)), -kFar, kFar));
}

bool FloodFillBitmap(imaging::Bitmap& bitmap, int64_t x, int64_t y, imaging::ARGB fill) {
  const int64_t width = bitmap.GetWidth();
  const int64_t height = bitmap.GetHeight();
  if (x < 0 || y < 0 || x >= width || y >= height) return false;
  imaging::BitmapData data;
  const imaging::Rect whole{0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
  if (bitmap.LockBits(whole, imaging::ImageLockMode::ReadWrite,
                      imaging::PixelFormat::Format32bppARGB, &data) != imaging::Status::Ok) {
    return false;
  }
  const uint32_t target = data.ConstRow(static_cast<int32_t>(y))[x];
  if (target == fill) {
    bitmap.UnlockBits(&data);
    return false;
  }
  // Span fill with its own stack (the region may be the whole bitmap): each
  // row's runs are found and filled once, and a span looks back at its
  // parent's row only beyond the parent's ends.
  const auto columns = static_cast<int32_t>(width);
  const auto rows = static_cast<int32_t>(height);
  const auto seedX = static_cast<int32_t>(x);
  const auto seedY = static_cast<int32_t>(y);
  std::vector<Span> pending{{seedX, seedX, seedY, 1}, {seedX, seedX, seedY - 1, -1}};
  while (!pending.empty()) {
    const Span span = pending.back();
    pending.pop_back();
    if (span.y < 0 || span.y >= rows) continue;
    uint32_t* row = data.Row(span.y);
    int32_t x1 = span.x1;
    int32_t start = x1;
    if (row[x1] == target) {
      while (start > 0 && row[start - 1] == target) --start;
      std::fill(row + start, row + x1, fill);
      if (start < x1) pending.push_back({start, x1 - 1, span.y - span.dy, -span.dy});
    }
    while (x1 <= span.x2) {
      const int32_t end = FillRun(row, x1, columns, target, fill);
      if (end > start) pending.push_back({start, end - 1, span.y + span.dy, span.dy});
      if (end - 1 > span.x2) pending.push_back({span.x2 + 1, end - 1, span.y - span.dy, -span.dy});
      x1 = end + 1;
      if (x1 < span.x2) x1 = StartOfRun(row, x1, span.x2, target);
      start = x1;
    }
  }
  bitmap.UnlockBits(&data);
  return true;
}

void FloodFill(CDrawingState& state, PointF position) {
  DrawingLayer& layer = state.SelectedLayer();
  if (!layer.bitmap) return;
  const int64_t x = TruncateCoordinate(position.X) - layer.x;
  const int64_t y = TruncateCoordinate(position.Y) - layer.y;
  FloodFillBitmap(*layer.bitmap, x, y, state.colour | imaging::kOpaqueBlack);
}

}  // namespace varn::drawing
