#include "drawing/drawing_tools.h"
#include "drawing/stroke_layer.h"
#include "drawing/tool_painting.h"

namespace varn::drawing {

void StrokeEraser(CDrawingState& state, std::span<const PointF> points, imaging::Bitmap* target) {
  if (points.size() < 2) return;
  DrawingLayer& layer = state.SelectedLayer();
  imaging::Bitmap* pixels = target != nullptr ? target : layer.bitmap.get();
  if (pixels == nullptr) return;
  SegmentPen pen;
  if (!EraserPenOf(state, &pen)) return;
  imaging::Graphics graphics(*pixels);
  ShiftToLayer(graphics, layer);
  // Segment by segment in source copy, as the kept stroke of a gesture:
  // covered pixels become exactly transparent instead of blending.
  DrawStrokeSegments(graphics, pen, points);
}

}  // namespace varn::drawing
