#include "platform/imaging/pen.h"

#include <cmath>

namespace varn::imaging {

namespace {

bool IsValidWidth(float width) { return std::isfinite(width) && width >= 0; }

template <typename E>
bool InRange(E value, int low, int high) {
  const int raw = static_cast<int>(value);
  return raw >= low && raw <= high;
}

}  // namespace

Pen::Pen(ARGB color, float width)
    : color_(color),
      width_(width),
      status_(IsValidWidth(width) ? Status::Ok : Status::InvalidParameter) {}

Pen::Pen(const Brush& brush, float width)
    : color_(brush.GetForegroundColor()),
      width_(width),
      brush_(brush),
      status_(!IsValidWidth(width) ? Status::InvalidParameter : brush.GetLastStatus()) {}

Status Pen::Apply(bool valid) {
  if (status_ != Status::Ok) return status_;
  return valid ? Status::Ok : Status::InvalidParameter;
}

Status Pen::SetWidth(float width) {
  const Status status = Apply(IsValidWidth(width));
  if (status == Status::Ok) width_ = width;
  return status;
}

Status Pen::SetColor(ARGB color) {
  const Status status = Apply(true);
  if (status == Status::Ok) {
    color_ = color;
    brush_.reset();
  }
  return status;
}

Status Pen::SetBrush(const Brush& brush) {
  const Status status = Apply(brush.GetLastStatus() == Status::Ok);
  if (status == Status::Ok) {
    brush_ = brush;
    color_ = brush.GetForegroundColor();
  }
  return status;
}

Status Pen::SetStartCap(LineCap cap) {
  const Status status = Apply(InRange(cap, 0, 3));
  if (status == Status::Ok) startCap_ = cap;
  return status;
}

Status Pen::SetEndCap(LineCap cap) {
  const Status status = Apply(InRange(cap, 0, 3));
  if (status == Status::Ok) endCap_ = cap;
  return status;
}

Status Pen::SetLineJoin(LineJoin join) {
  const Status status = Apply(InRange(join, 0, 3));
  if (status == Status::Ok) lineJoin_ = join;
  return status;
}

Status Pen::SetDashStyle(DashStyle style) {
  const Status status = Apply(InRange(style, 0, 4));
  if (status == Status::Ok) dashStyle_ = style;
  return status;
}

Status Pen::SetDashCap(DashCap cap) {
  const Status status =
      Apply(cap == DashCap::Flat || cap == DashCap::Round || cap == DashCap::Triangle);
  if (status == Status::Ok) dashCap_ = cap;
  return status;
}

Status Pen::SetAlignment(PenAlignment alignment) {
  const Status status = Apply(InRange(alignment, 0, 1));
  if (status == Status::Ok) alignment_ = alignment;
  return status;
}

}  // namespace varn::imaging
