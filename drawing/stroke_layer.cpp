#include "drawing/stroke_layer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "drawing/drawing_tools.h"
#include "drawing/tool_painting.h"
#include "platform/imaging/bitmap_data.h"
#include "platform/imaging/brush.h"
#include "platform/imaging/pen.h"

namespace varn::drawing {

namespace {

using imaging::PointF;
using imaging::Rect;

imaging::Pen MakeSegmentPen(const SegmentPen& spec, imaging::LineCap caps) {
  imaging::Pen pen(spec.color, spec.width);
  pen.SetStartCap(caps);
  pen.SetEndCap(caps);
  pen.SetLineJoin(imaging::LineJoin::Round);
  if (spec.hatch) {
    pen.SetBrush(
        imaging::HatchBrush(imaging::HatchStyle::Percent25, spec.color, imaging::kTransparent));
  }
  return pen;
}

// Source copy: a pixel two segments cover keeps the one value, so the mask
// holds the union.
void PrepareMaskGraphics(imaging::Graphics& graphics) {
  graphics.SetSmoothingMode(imaging::SmoothingMode::None);
  graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
}

void DrawOneSegment(imaging::Graphics& graphics, const imaging::Pen& roundPen, PointF from,
                    PointF to) {
  const PointF ends[] = {from, to};
  graphics.DrawLines(roundPen, ends);
}

// A square end is a flat piece half the width long beyond the end point,
// along the direction from `from` to `end`.
void DrawSquareEnd(imaging::Graphics& graphics, const imaging::Pen& flatPen, float width,
                   PointF end, PointF from) {
  const float dx = end.X - from.X;
  const float dy = end.Y - from.Y;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (!(length > 0)) return;
  const float scale = width / 2 / length;
  const PointF piece[] = {end, {end.X + dx * scale, end.Y + dy * scale}};
  graphics.DrawLines(flatPen, piece);
}

bool SamePoint(PointF a, PointF b) { return a.X == b.X && a.Y == b.Y; }

// Whole pixels around from and to, grown by reach; saturating far outside.
Rect SegmentBox(PointF from, PointF to, int32_t reach) {
  auto clampCoordinate = [](double v) {
    if (!(v > -1e9)) return -1e9;
    return v < 1e9 ? v : 1e9;
  };
  const double left = clampCoordinate(std::floor(std::min(from.X, to.X))) - reach;
  const double top = clampCoordinate(std::floor(std::min(from.Y, to.Y))) - reach;
  const double right = clampCoordinate(std::ceil(std::max(from.X, to.X))) + reach + 1;
  const double bottom = clampCoordinate(std::ceil(std::max(from.Y, to.Y))) + reach + 1;
  return Rect{static_cast<int32_t>(left), static_cast<int32_t>(top),
              static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

Rect Intersect(const Rect& a, const Rect& b) {
  const int64_t left = std::max<int64_t>(a.X, b.X);
  const int64_t top = std::max<int64_t>(a.Y, b.Y);
  const int64_t right = std::min(a.Right(), b.Right());
  const int64_t bottom = std::min(a.Bottom(), b.Bottom());
  if (right <= left || bottom <= top) return Rect{};
  return Rect{static_cast<int32_t>(left), static_cast<int32_t>(top),
              static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

Rect Union(const Rect& a, const Rect& b) {
  if (a.IsEmptyArea()) return b;
  if (b.IsEmptyArea()) return a;
  const int64_t left = std::min<int64_t>(a.X, b.X);
  const int64_t top = std::min<int64_t>(a.Y, b.Y);
  return Rect{static_cast<int32_t>(left), static_cast<int32_t>(top),
              static_cast<int32_t>(std::max(a.Right(), b.Right()) - left),
              static_cast<int32_t>(std::max(a.Bottom(), b.Bottom()) - top)};
}

}  // namespace

bool HardPenOf(const CDrawingState& state, SegmentPen* pen) {
  if (state.penType >= kPenSoftSquare) return false;
  const float width = StrokeWidth(state.penWidth);
  if (width <= 0) return false;
  pen->color = ToolColor(state.penAlpha, state.colour);
  pen->width = width;
  pen->squareEnds = state.penType == kPenSquare;
  pen->hatch = state.penType == kPenHatch;
  return true;
}

int32_t PenReach(const SegmentPen& pen) {
  // A square end's corner lies 0.71 widths from the end point.
  return static_cast<int32_t>(std::ceil(pen.width * 0.75f)) + 2;
}

void DrawPenMask(imaging::Graphics& graphics, const SegmentPen& pen,
                 std::span<const PointF> points) {
  if (points.size() < 2) return;
  PrepareMaskGraphics(graphics);
  const imaging::Pen roundPen = MakeSegmentPen(pen, imaging::LineCap::Round);
  for (size_t i = 1; i < points.size(); ++i) {
    if (i == 1 || !SamePoint(points[i], points[i - 1])) {
      DrawOneSegment(graphics, roundPen, points[i - 1], points[i]);
    }
  }
  if (!pen.squareEnds) return;
  const imaging::Pen flatPen = MakeSegmentPen(pen, imaging::LineCap::Flat);
  const auto firstOther = std::find_if(points.begin(), points.end(),
                                       [&](PointF p) { return !SamePoint(p, points.front()); });
  if (firstOther == points.end()) return;
  DrawSquareEnd(graphics, flatPen, pen.width, points.front(), *firstOther);
  const auto lastOther = std::find_if(points.rbegin(), points.rend(),
                                      [&](PointF p) { return !SamePoint(p, points.back()); });
  DrawSquareEnd(graphics, flatPen, pen.width, points.back(), *lastOther);
}

bool StrokeLayer::Begin(const CDrawingState& state, PointF start) {
  active_ = false;
  if (!HardPenOf(state, &pen_)) return false;
  const int32_t width = state.canvasWidth;
  const int32_t height = state.canvasHeight;
  if (!mask_ || mask_->GetWidth() != static_cast<uint32_t>(width) ||
      mask_->GetHeight() != static_cast<uint32_t>(height)) {
    mask_.reset();
    auto mask =
        std::make_unique<imaging::Bitmap>(width, height, imaging::PixelFormat::Format32bppARGB);
    if (mask->GetLastStatus() != imaging::Status::Ok) return false;
    mask_ = std::move(mask);
  } else if (!touched_.IsEmptyArea()) {
    imaging::Graphics graphics(*mask_);
    graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
    graphics.FillRectangle(imaging::SolidBrush(imaging::kTransparent), touched_);
  }
  touched_ = Rect{};
  endPatchArea_ = Rect{};
  start_ = last_ = start;
  segments_ = 0;
  startEndDrawn_ = false;
  active_ = true;
  return true;
}

Rect StrokeLayer::Extend(PointF point) {
  if (!active_) return Rect{};
  const PointF from = last_;
  const bool first = segments_ == 0;
  if (!first && SamePoint(point, from)) return Rect{};
  last_ = point;
  ++segments_;
  const Rect canvas{0, 0, static_cast<int32_t>(mask_->GetWidth()),
                    static_cast<int32_t>(mask_->GetHeight())};
  const int32_t reach = PenReach(pen_);
  // The square end of the previous point gives way to the new segment.
  Rect changed = endPatchArea_;
  RestoreEndPatch();
  const bool startEnd = pen_.squareEnds && !startEndDrawn_ && !SamePoint(point, start_);
  {
    imaging::Graphics graphics(*mask_);
    PrepareMaskGraphics(graphics);
    DrawOneSegment(graphics, MakeSegmentPen(pen_, imaging::LineCap::Round), from, point);
    changed = Union(changed, SegmentBox(from, point, reach));
    if (startEnd) {
      startEndDrawn_ = true;
      DrawSquareEnd(graphics, MakeSegmentPen(pen_, imaging::LineCap::Flat), pen_.width, start_,
                    point);
      changed = Union(changed, SegmentBox(start_, start_, reach));
    }
  }
  if (pen_.squareEnds && !SamePoint(point, from)) {
    SaveEndPatch(Intersect(SegmentBox(point, point, reach), canvas));
    imaging::Graphics graphics(*mask_);
    PrepareMaskGraphics(graphics);
    DrawSquareEnd(graphics, MakeSegmentPen(pen_, imaging::LineCap::Flat), pen_.width, point, from);
    changed = Union(changed, endPatchArea_);
  }
  changed = Intersect(changed, canvas);
  touched_ = Union(touched_, changed);
  return changed;
}

void StrokeLayer::SaveEndPatch(const Rect& area) {
  endPatchArea_ = Rect{};
  if (area.IsEmptyArea()) return;
  imaging::BitmapData rows;
  if (mask_->LockBits(area, imaging::ImageLockMode::Read, imaging::PixelFormat::Format32bppARGB,
                      &rows) != imaging::Status::Ok) {
    return;
  }
  endPatch_.resize(static_cast<size_t>(area.Width) * area.Height);
  for (int32_t y = 0; y < area.Height; ++y) {
    std::copy_n(rows.ConstRow(y), area.Width, endPatch_.data() + size_t(y) * area.Width);
  }
  endPatchArea_ = area;
}

void StrokeLayer::RestoreEndPatch() {
  const Rect area = std::exchange(endPatchArea_, Rect{});
  if (area.IsEmptyArea()) return;
  imaging::BitmapData rows;
  if (mask_->LockBits(area, imaging::ImageLockMode::Write, imaging::PixelFormat::Format32bppARGB,
                      &rows) != imaging::Status::Ok) {
    return;
  }
  for (int32_t y = 0; y < area.Height; ++y) {
    std::copy_n(endPatch_.data() + size_t(y) * area.Width, area.Width, rows.Row(y));
  }
}

void StrokeLayer::End() { active_ = false; }

bool StrokeLayer::Serves(const CDrawingState& state) const {
  SegmentPen pen;
  return active_ && state.toolType == kToolPen && HardPenOf(state, &pen) &&
         pen.color == pen_.color && pen.width == pen_.width && pen.squareEnds == pen_.squareEnds &&
         pen.hatch == pen_.hatch && mask_->GetWidth() == static_cast<uint32_t>(state.canvasWidth) &&
         mask_->GetHeight() == static_cast<uint32_t>(state.canvasHeight);
}

}  // namespace varn::drawing
