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

void DrawStrokeSegments(imaging::Graphics& graphics, const SegmentPen& pen,
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

bool EraserPenOf(const CDrawingState& state, SegmentPen* pen) {
  const float width = StrokeWidth(state.eraserWidth);
  if (width <= 0) return false;
  pen->color = imaging::kTransparent;
  pen->width = width;
  pen->squareEnds = state.eraserType == kEraserSquare;
  pen->hatch = false;
  return true;
}

bool StrokeLayer::Begin(CDrawingState& state, PointF start) {
  active_ = false;
  erases_ = state.toolType == kToolEraser;
  if (state.toolType != kToolPen && !erases_) return false;
  if (erases_) {
    if (!EraserPenOf(state, &pen_)) return false;
    DrawingLayer& layer = state.SelectedLayer();
    if (!state.eraserPreview && layer.bitmap) state.eraserPreview = layer.bitmap->Clone();
    if (!state.eraserPreview || state.eraserPreview->GetLastStatus() != imaging::Status::Ok) {
      return false;
    }
    preview_ = state.eraserPreview.get();
    offsetX_ = layer.x;
    offsetY_ = layer.y;
  } else {
    if (!HardPenOf(state, &pen_) || !PrepareMask(state.canvasWidth, state.canvasHeight)) {
      return false;
    }
    preview_ = nullptr;
    offsetX_ = offsetY_ = 0;
  }
  canvas_ = Rect{0, 0, state.canvasWidth, state.canvasHeight};
  endPatchArea_ = Rect{};
  start_ = last_ = start;
  segments_ = 0;
  startEndDrawn_ = false;
  active_ = true;
  return true;
}

bool StrokeLayer::PrepareMask(int32_t width, int32_t height) {
  if (!mask_ || mask_->GetWidth() != static_cast<uint32_t>(width) ||
      mask_->GetHeight() != static_cast<uint32_t>(height)) {
    mask_.reset();
    touched_ = Rect{};
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
  return true;
}

imaging::Bitmap* StrokeLayer::TargetIn(CDrawingState& state) const {
  if (!erases_) return mask_.get();
  return state.eraserPreview.get() == preview_ ? preview_ : nullptr;
}

Rect StrokeLayer::Extend(CDrawingState& state, PointF point) {
  if (!Serves(state)) return Rect{};
  imaging::Bitmap& target = *TargetIn(state);
  const PointF from = last_;
  const bool first = segments_ == 0;
  if (!first && SamePoint(point, from)) return Rect{};
  last_ = point;
  ++segments_;
  const int32_t reach = PenReach(pen_);
  // The square end of the previous point gives way to the new segment.
  Rect changed = endPatchArea_;
  RestoreEndPatch(target);
  const bool startEnd = pen_.squareEnds && !startEndDrawn_ && !SamePoint(point, start_);
  {
    imaging::Graphics graphics(target);
    graphics.TranslateTransform(-static_cast<float>(offsetX_), -static_cast<float>(offsetY_));
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
    SaveEndPatch(target, SegmentBox(point, point, reach));
    imaging::Graphics graphics(target);
    graphics.TranslateTransform(-static_cast<float>(offsetX_), -static_cast<float>(offsetY_));
    PrepareMaskGraphics(graphics);
    DrawSquareEnd(graphics, MakeSegmentPen(pen_, imaging::LineCap::Flat), pen_.width, point, from);
    changed = Union(changed, endPatchArea_);
  }
  changed = Intersect(changed, canvas_);
  if (!erases_) touched_ = Union(touched_, changed);
  return changed;
}

// area: canvas pixels; the patch keeps the part of them on the target.
void StrokeLayer::SaveEndPatch(imaging::Bitmap& target, const Rect& area) {
  endPatchArea_ = Rect{};
  const Rect shifted{static_cast<int32_t>(int64_t{area.X} - offsetX_),
                     static_cast<int32_t>(int64_t{area.Y} - offsetY_), area.Width, area.Height};
  const Rect onTarget = Intersect(shifted, Rect{0, 0, static_cast<int32_t>(target.GetWidth()),
                                                static_cast<int32_t>(target.GetHeight())});
  if (onTarget.IsEmptyArea()) return;
  imaging::BitmapData rows;
  if (target.LockBits(onTarget, imaging::ImageLockMode::Read, imaging::PixelFormat::Format32bppARGB,
                      &rows) != imaging::Status::Ok) {
    return;
  }
  endPatch_.resize(static_cast<size_t>(onTarget.Width) * onTarget.Height);
  for (int32_t y = 0; y < onTarget.Height; ++y) {
    std::copy_n(rows.ConstRow(y), onTarget.Width, endPatch_.data() + size_t(y) * onTarget.Width);
  }
  endPatchTarget_ = onTarget;
  endPatchArea_ =
      Rect{static_cast<int32_t>(int64_t{onTarget.X} + offsetX_),
           static_cast<int32_t>(int64_t{onTarget.Y} + offsetY_), onTarget.Width, onTarget.Height};
}

void StrokeLayer::RestoreEndPatch(imaging::Bitmap& target) {
  if (std::exchange(endPatchArea_, Rect{}).IsEmptyArea()) return;
  const Rect area = endPatchTarget_;
  imaging::BitmapData rows;
  if (target.LockBits(area, imaging::ImageLockMode::Write, imaging::PixelFormat::Format32bppARGB,
                      &rows) != imaging::Status::Ok) {
    return;
  }
  for (int32_t y = 0; y < area.Height; ++y) {
    std::copy_n(endPatch_.data() + size_t(y) * area.Width, area.Width, rows.Row(y));
  }
}

void StrokeLayer::End() { active_ = false; }

bool StrokeLayer::Serves(const CDrawingState& state) const {
  if (!active_ || state.canvasWidth != canvas_.Width || state.canvasHeight != canvas_.Height) {
    return false;
  }
  if (state.selectedLayer < 0 || static_cast<size_t>(state.selectedLayer) >= state.layers.size()) {
    return false;
  }
  SegmentPen pen;
  if (erases_) {
    const DrawingLayer& layer = state.SelectedLayer();
    if (state.toolType != kToolEraser || !EraserPenOf(state, &pen) ||
        state.eraserPreview.get() != preview_ || layer.x != offsetX_ || layer.y != offsetY_) {
      return false;
    }
  } else if (state.toolType != kToolPen || !HardPenOf(state, &pen)) {
    return false;
  }
  return pen.color == pen_.color && pen.width == pen_.width && pen.squareEnds == pen_.squareEnds &&
         pen.hatch == pen_.hatch;
}

}  // namespace varn::drawing
