#include <algorithm>
#include <cmath>

#include "drawing/drawing_tools.h"
#include "drawing/stroke_layer.h"
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

// The points' box grown by the pen's reach, in whole pixels, its corner on a
// multiple of 8 so that the hatch pattern lines up with the canvas; cut to
// limit. Empty when nothing of it is left.
imaging::Rect MaskArea(std::span<const PointF> points, const SegmentPen& pen,
                       const imaging::Rect& limit) {
  float minX = points[0].X, maxX = points[0].X, minY = points[0].Y, maxY = points[0].Y;
  for (const PointF& p : points) {
    minX = std::min(minX, p.X);
    maxX = std::max(maxX, p.X);
    minY = std::min(minY, p.Y);
    maxY = std::max(maxY, p.Y);
  }
  if (!std::isfinite(minX) || !std::isfinite(maxX) || !std::isfinite(minY) ||
      !std::isfinite(maxY)) {
    return limit;
  }
  const int32_t reach = PenReach(pen);
  auto clampTo = [](double v, double low, double high) { return std::clamp(v, low, high); };
  const double lowX = limit.X, lowY = limit.Y;
  const double highX = static_cast<double>(limit.Right());
  const double highY = static_cast<double>(limit.Bottom());
  const double left = std::floor((clampTo(std::floor(minX) - reach, lowX, highX)) / 8) * 8;
  const double top = std::floor((clampTo(std::floor(minY) - reach, lowY, highY)) / 8) * 8;
  const double right = clampTo(std::ceil(maxX) + reach + 1, lowX, highX);
  const double bottom = clampTo(std::ceil(maxY) + reach + 1, lowY, highY);
  if (right <= left || bottom <= top) return imaging::Rect{};
  return imaging::Rect{static_cast<int32_t>(left), static_cast<int32_t>(top),
                       static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

// A hard pen's stroke: the mask of the whole point list, then one blend of
// it into the target or the selected layer. False when the mask cannot be
// made.
bool StrokeHardPen(CDrawingState& state, const SegmentPen& pen, std::span<const PointF> points,
                   imaging::Graphics* target) {
  DrawingLayer& layer = state.SelectedLayer();
  if (target == nullptr && !layer.bitmap) return true;
  const imaging::Rect limit =
      target != nullptr
          ? imaging::Rect{0, 0, state.canvasWidth, state.canvasHeight}
          : imaging::Rect{layer.x, layer.y, static_cast<int32_t>(layer.bitmap->GetWidth()),
                          static_cast<int32_t>(layer.bitmap->GetHeight())};
  const imaging::Rect area = MaskArea(points, pen, limit);
  if (area.IsEmptyArea()) return true;
  imaging::Bitmap mask(area.Width, area.Height, imaging::PixelFormat::Format32bppARGB);
  if (mask.GetLastStatus() != imaging::Status::Ok) return false;
  {
    imaging::Graphics graphics(mask);
    graphics.TranslateTransform(-static_cast<float>(area.X), -static_cast<float>(area.Y));
    DrawStrokeSegments(graphics, pen, points);
  }
  PaintFigure(state, target, [&](imaging::Graphics& graphics) {
    graphics.SetCompositingMode(imaging::CompositingMode::SourceOver);
    graphics.DrawImage(mask, area.X, area.Y);
  });
  return true;
}

}  // namespace

void StrokePen(CDrawingState& state, std::span<const PointF> points, imaging::Graphics* target) {
  if (points.size() < 2) return;
  const float width = StrokeWidth(state.penWidth);
  if (width <= 0) return;
  SegmentPen hardPen;
  // Without memory for the mask the polyline is drawn whole in one pass.
  if (HardPenOf(state, &hardPen) && StrokeHardPen(state, hardPen, points, target)) return;
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
