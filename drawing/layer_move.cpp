#include <algorithm>
#include <cstdlib>
#include <limits>

#include "drawing/drawing_state.h"
#include "drawing/drawing_tools.h"
#include "drawing/tool_pixels.h"
#include "platform/imaging/graphics.h"

namespace varn::drawing {

namespace {

// One axis of the move limits: a bitmap of size below the limit stays within
// size - L ... L - size; a larger one keeps covering the canvas's far edge
// and never starts right of its origin. Applying it twice changes nothing,
// so repeated repaints of one drag leave the layer where it is.
int64_t LimitOffset(int64_t offset, int64_t size, int64_t canvasSize) {
  const int64_t limit = kLayerMoveLimit;
  if (size < limit) {
    if (offset > 0 && offset + size > limit) return limit - size;
    if (offset <= 0 && size - offset > limit) return size - limit;
    return offset;
  }
  return std::clamp<int64_t>(offset, std::min<int64_t>(canvasSize - limit, 0), 0);
}

int32_t ToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

void OffsetSelectedLayer(CDrawingState& state, std::span<const PointF> points) {
  if (points.size() < 2) return;
  DrawingLayer& layer = state.SelectedLayer();
  if (!layer.bitmap) return;
  const int64_t dx = TruncateCoordinate(points[1].X - points[0].X);
  const int64_t dy = TruncateCoordinate(points[1].Y - points[0].Y);
  layer.x =
      ToInt32(LimitOffset(int64_t{layer.x} + dx, layer.bitmap->GetWidth(), state.canvasWidth));
  layer.y =
      ToInt32(LimitOffset(int64_t{layer.y} + dy, layer.bitmap->GetHeight(), state.canvasHeight));
}

void CommitLayerMove(CDrawingState& state) {
  DrawingLayer& layer = state.SelectedLayer();
  if (!layer.bitmap) return;
  const int64_t width = layer.bitmap->GetWidth();
  const int64_t height = layer.bitmap->GetHeight();
  const int64_t limit = kLayerMoveLimit;
  if (width >= limit && height >= limit) return;
  // An axis already at the limit still covers the canvas and does not grow,
  // so dragging a long layer again and again cannot make it grow without end.
  const bool growX = width < limit;
  const bool growY = height < limit;
  const int64_t newWidth = growX ? width + std::llabs(layer.x) : width;
  const int64_t newHeight = growY ? height + std::llabs(layer.y) : height;
  // Nothing moved on the axes that may grow: the bitmap stays as it is.
  if (newWidth == width && newHeight == height) return;
  if (newWidth > std::numeric_limits<int32_t>::max() ||
      newHeight > std::numeric_limits<int32_t>::max()) {
    return;
  }
  std::shared_ptr<imaging::Bitmap> grown =
      CreateLayerBitmap(static_cast<int32_t>(newWidth), static_cast<int32_t>(newHeight));
  if (!grown) return;
  const int32_t drawX = growX ? std::max(layer.x, 0) : 0;
  const int32_t drawY = growY ? std::max(layer.y, 0) : 0;
  {
    imaging::Graphics graphics(*grown);
    graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
    if (graphics.DrawImage(*layer.bitmap, drawX, drawY) != imaging::Status::Ok) return;
  }
  layer.bitmap = std::move(grown);
  if (growX) layer.x = std::min(layer.x, 0);
  if (growY) layer.y = std::min(layer.y, 0);
}

}  // namespace varn::drawing
