#include <algorithm>

#include "drawing/drawing_state.h"
#include "drawing/drawing_tools.h"
#include "drawing/tool_pixels.h"

namespace varn::drawing {

void ApplyEffect(CDrawingState& state, std::span<const PointF> points) {
  if (points.empty()) return;
  // Any other type filters with the identity kernel, which changes nothing.
  if (state.effectType != kEffectBlur && state.effectType != kEffectSharpen) return;
  const int64_t side = std::min(state.effectWidth, kMaxEffectWidth);
  if (side <= 0) return;
  DrawingLayer& layer = state.SelectedLayer();
  if (!layer.bitmap) return;
  // The effect press gives its state a private bitmap; a tool switched to the
  // effect during another gesture has not, and older states must keep their
  // pixels. Clones share pixels until written, so this costs one copy.
  if (layer.bitmap.use_count() > 1) {
    std::shared_ptr<imaging::Bitmap> own = layer.bitmap->Clone();
    if (own->GetLastStatus() != imaging::Status::Ok) return;
    layer.bitmap = std::move(own);
  }
  imaging::Bitmap& pixels = *layer.bitmap;
  const imaging::Rect whole{0, 0, static_cast<int32_t>(pixels.GetWidth()),
                            static_cast<int32_t>(pixels.GetHeight())};
  if (whole.IsEmptyArea()) return;
  // Every square of one pass reads the picture as it was before the pass.
  std::unique_ptr<imaging::Bitmap> snapshot = pixels.Clone();
  imaging::BitmapData in;
  imaging::BitmapData out;
  if (snapshot->LockBits(whole, imaging::ImageLockMode::Read, imaging::PixelFormat::Format32bppARGB,
                         &in) != imaging::Status::Ok) {
    return;
  }
  if (pixels.LockBits(whole, imaging::ImageLockMode::ReadWrite,
                      imaging::PixelFormat::Format32bppARGB, &out) != imaging::Status::Ok) {
    snapshot->UnlockBits(&in);
    return;
  }
  const FilterKernel kernel = KernelForEffect(state.effectType);
  for (const PointF& point : points) {
    const int64_t left = TruncateCoordinate(point.X) - layer.x - side / 2;
    const int64_t top = TruncateCoordinate(point.Y) - layer.y - side / 2;
    FilterSquare(in, out, kernel, left, top, side);
  }
  pixels.UnlockBits(&out);
  snapshot->UnlockBits(&in);
}

}  // namespace varn::drawing
