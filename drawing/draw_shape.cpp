#include <cmath>

#include "drawing/drawing_tools.h"
#include "drawing/tool_painting.h"
#include "platform/imaging/brush.h"
#include "platform/imaging/pen.h"

namespace varn::drawing {

namespace {

// The box of the first two points, in float.
imaging::RectF BoxOf(std::span<const PointF> points) {
  const PointF& a = points[0];
  const PointF& b = points[1];
  return imaging::RectF{std::min(a.X, b.X), std::min(a.Y, b.Y), std::fabs(a.X - b.X),
                        std::fabs(a.Y - b.Y)};
}

bool IsOutline(int32_t type) {
  return type == kShapeRectangle || type == kShapeEllipse || type == kShapePolygon;
}

bool IsFill(int32_t type) {
  return type == kShapeFilledRectangle || type == kShapeFilledEllipse ||
         type == kShapeFilledPolygon;
}

void DrawOutline(imaging::Graphics& graphics, int32_t type, const imaging::Pen& pen,
                 std::span<const PointF> points) {
  if (type == kShapeRectangle) {
    graphics.DrawRectangle(pen, BoxOf(points));
  } else if (type == kShapeEllipse) {
    graphics.DrawEllipse(pen, BoxOf(points));
  } else {
    graphics.DrawPolygon(pen, points);
  }
}

void DrawFill(imaging::Graphics& graphics, int32_t type, const imaging::SolidBrush& brush,
              std::span<const PointF> points) {
  if (type == kShapeFilledRectangle) {
    graphics.FillRectangle(brush, BoxOf(points));
  } else if (type == kShapeFilledEllipse) {
    graphics.FillEllipse(brush, BoxOf(points));
  } else {
    graphics.FillPolygon(brush, points);
  }
}

}  // namespace

void DrawShape(CDrawingState& state, std::span<const PointF> points, imaging::Graphics* target) {
  if (points.size() < 2) return;
  const int32_t type = state.shapeType;
  const float width = StrokeWidth(state.shapeWidth);
  if (!(IsOutline(type) && width > 0) && !IsFill(type)) return;
  const imaging::ARGB color = ToolColor(state.shapeAlpha, state.colour);
  PaintFigure(state, target, [&](imaging::Graphics& graphics) {
    graphics.SetCompositingMode(imaging::CompositingMode::SourceOver);
    graphics.SetSmoothingMode(imaging::SmoothingMode::None);
    if (IsFill(type)) {
      DrawFill(graphics, type, imaging::SolidBrush(color), points);
      return;
    }
    imaging::Pen pen(color, width);
    pen.SetLineJoin(imaging::LineJoin::Miter);
    pen.SetStartCap(imaging::LineCap::Flat);
    pen.SetEndCap(imaging::LineCap::Flat);
    DrawOutline(graphics, type, pen, points);
  });
}

}  // namespace varn::drawing
