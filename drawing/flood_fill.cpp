#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "drawing/drawing_state.h"
#include "drawing/tool_pixels.h"

namespace varn::drawing {

namespace {

struct Seed {
  int32_t x;
  int32_t y;
};

// Pushes the left end of every run of target pixels in row[left..right].
void PushRuns(const uint32_t* row, int32_t y, int32_t left, int32_t right, uint32_t target,
              std::vector<Seed>& pending) {
  bool inRun = false;
  for (int32_t x = left; x <= right; ++x) {
    const bool match = row[x] == target;
    if (match && !inRun) pending.push_back({x, y});
    inRun = match;
  }
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
  // Scanline fill with its own stack: the region may be the whole bitmap.
  std::vector<Seed> pending;
  pending.push_back({static_cast<int32_t>(x), static_cast<int32_t>(y)});
  const auto lastColumn = static_cast<int32_t>(width - 1);
  const auto lastRow = static_cast<int32_t>(height - 1);
  while (!pending.empty()) {
    const Seed seed = pending.back();
    pending.pop_back();
    uint32_t* row = data.Row(seed.y);
    if (row[seed.x] != target) continue;
    int32_t left = seed.x;
    int32_t right = seed.x;
    while (left > 0 && row[left - 1] == target) --left;
    while (right < lastColumn && row[right + 1] == target) ++right;
    for (int32_t i = left; i <= right; ++i) row[i] = fill;
    if (seed.y > 0) PushRuns(data.ConstRow(seed.y - 1), seed.y - 1, left, right, target, pending);
    if (seed.y < lastRow) {
      PushRuns(data.ConstRow(seed.y + 1), seed.y + 1, left, right, target, pending);
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
