#include "drawing/drawing_tools.h"
#include "drawing/tool_painting.h"
#include "platform/imaging/pen.h"

namespace varn::drawing {

namespace {

imaging::Pen RoundPen(imaging::ARGB color, float width) {
  imaging::Pen pen(color, width);
  pen.SetStartCap(imaging::LineCap::Round);
  pen.SetEndCap(imaging::LineCap::Round);
  pen.SetLineJoin(imaging::LineJoin::Round);
  return pen;
}

imaging::Pen DottedPen(imaging::ARGB color, float width) {
  imaging::Pen pen(color, width);
  pen.SetStartCap(imaging::LineCap::Flat);
  pen.SetEndCap(imaging::LineCap::Flat);
  pen.SetDashCap(imaging::DashCap::Flat);
  pen.SetDashStyle(imaging::DashStyle::Dot);
  return pen;
}

}  // namespace

void StrokeLine(CDrawingState& state, std::span<const PointF> points, imaging::Graphics* target) {
  if (points.size() < 2) return;
  const float width = StrokeWidth(state.lineWidth);
  if (width <= 0) return;
  const int32_t type = state.lineType;
  if (type != kLineStraight && type != kLineCurve && type != kLineDotted && type != kLinePolyline) {
    return;
  }
  const imaging::ARGB color = ToolColor(state.lineAlpha, state.colour);
  // The drag lines run from the start to the pointer, whatever else the list holds.
  const std::span<const PointF> ends = points.first(2);
  PaintFigure(state, target, [&](imaging::Graphics& graphics) {
    graphics.SetCompositingMode(imaging::CompositingMode::SourceOver);
    graphics.SetSmoothingMode(imaging::SmoothingMode::None);
    switch (type) {
      case kLineStraight:
        graphics.DrawLines(RoundPen(color, width), ends);
        break;
      case kLineCurve:
        graphics.DrawCurve(RoundPen(color, width), points, 0.5f);
        break;
      case kLineDotted:
        graphics.DrawLines(DottedPen(color, width), ends);
        break;
      default:
        graphics.DrawLines(RoundPen(color, width), points);
        break;
    }
  });
}

}  // namespace varn::drawing
