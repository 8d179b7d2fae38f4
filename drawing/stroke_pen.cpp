#include "drawing/drawing_tools.h"
#include "drawing/tool_painting.h"
#include "platform/imaging/brush.h"
#include "platform/imaging/pen.h"

namespace varn::drawing {

namespace {

using imaging::LineCap;

bool IsSoftPen(int32_t penType) { return penType >= kPenSoftSquare; }

LineCap CapsFor(int32_t penType) {
  return penType == kPenSquare || penType == kPenSoftSquare ? LineCap::Square : LineCap::Round;
}

imaging::Pen MakePen(imaging::ARGB color, float width, LineCap caps) {
  imaging::Pen pen(color, width);
  pen.SetStartCap(caps);
  pen.SetEndCap(caps);
  pen.SetLineJoin(imaging::LineJoin::Round);
  return pen;
}

// Soft pens draw the same polyline several times, narrowing by two pixels
// each pass at a fraction of the alpha: the overlap darkens the middle.
void DrawSoftPasses(imaging::Graphics& graphics, std::span<const PointF> points,
                    const CDrawingState& state, float width) {
  const uint32_t alpha = AlphaOf(state.penAlpha);
  const uint32_t passAlpha = state.penType <= kPenSoftRound ? alpha * 3 / 5 : alpha / 5;
  const imaging::ARGB color = (passAlpha << 24) | state.colour;
  imaging::Pen pen = MakePen(color, width, CapsFor(state.penType));
  for (auto passWidth = static_cast<int32_t>(width); passWidth >= 1; passWidth -= 2) {
    pen.SetWidth(static_cast<float>(passWidth));
    graphics.DrawLines(pen, points);
  }
}

}  // namespace

void StrokePen(CDrawingState& state, std::span<const PointF> points, imaging::Graphics* target) {
  if (points.size() < 2) return;
  const float width = StrokeWidth(state.penWidth);
  if (width <= 0) return;
  const imaging::ARGB color = ToolColor(state.penAlpha, state.colour);
  PaintFigure(state, target, [&](imaging::Graphics& graphics) {
    const bool soft = IsSoftPen(state.penType);
    graphics.SetCompositingMode(imaging::CompositingMode::SourceOver);
    graphics.SetSmoothingMode(soft ? imaging::SmoothingMode::AntiAlias
                                   : imaging::SmoothingMode::None);
    if (soft && width >= 3.0f) {
      DrawSoftPasses(graphics, points, state, width);
      return;
    }
    imaging::Pen pen = MakePen(color, width, CapsFor(state.penType));
    if (state.penType == kPenHatch) {
      pen.SetBrush(
          imaging::HatchBrush(imaging::HatchStyle::Percent25, color, imaging::kTransparent));
    }
    graphics.DrawLines(pen, points);
  });
}

}  // namespace varn::drawing
