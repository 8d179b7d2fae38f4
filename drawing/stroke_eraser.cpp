#include "drawing/drawing_tools.h"
#include "drawing/tool_painting.h"
#include "platform/imaging/pen.h"

namespace varn::drawing {

void StrokeEraser(CDrawingState& state, std::span<const PointF> points, imaging::Bitmap* target) {
  if (points.size() < 2) return;
  const float width = StrokeWidth(state.eraserWidth);
  if (width <= 0) return;
  DrawingLayer& layer = state.SelectedLayer();
  imaging::Bitmap* pixels = target != nullptr ? target : layer.bitmap.get();
  if (pixels == nullptr) return;
  const imaging::LineCap caps =
      state.eraserType == kEraserSquare ? imaging::LineCap::Square : imaging::LineCap::Round;
  imaging::Pen pen(imaging::kTransparent, width);
  pen.SetStartCap(caps);
  pen.SetEndCap(caps);
  pen.SetLineJoin(imaging::LineJoin::Round);
  imaging::Graphics graphics(*pixels);
  ShiftToLayer(graphics, layer);
  graphics.SetSmoothingMode(imaging::SmoothingMode::None);
  // Source copy: covered pixels become exactly transparent instead of blending.
  graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
  graphics.DrawLines(pen, points);
}

}  // namespace varn::drawing
