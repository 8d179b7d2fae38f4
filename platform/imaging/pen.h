// Pen settings as plain values; the Graphics turns them into strokes.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/imaging/brush.h"
#include "platform/imaging/color.h"
#include "platform/imaging/status.h"

namespace varn::imaging {

enum class LineCap : int32_t { Flat = 0, Square = 1, Round = 2, Triangle = 3 };
enum class LineJoin : int32_t { Miter = 0, Bevel = 1, Round = 2, MiterClipped = 3 };
// Dot is {1, 1} and Dash {3, 1} in pen widths.
enum class DashStyle : int32_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4 };
enum class DashCap : int32_t { Flat = 0, Round = 2, Triangle = 3 };
// Inset keeps the stroke of a rectangle or ellipse inside its outline.
enum class PenAlignment : int32_t { Center = 0, Inset = 1 };

class Pen {
 public:
  // A width that is negative or not finite gives a failed pen (InvalidParameter).
  explicit Pen(ARGB color, float width = 1.0f);
  // A pen whose stroke is filled with a copy of the brush.
  explicit Pen(const Brush& brush, float width = 1.0f);

  Status GetLastStatus() const { return status_; }

  float GetWidth() const { return width_; }
  Status SetWidth(float width);
  // The colour of a solid pen; setting it makes the pen solid again.
  ARGB GetColor() const { return color_; }
  Status SetColor(ARGB color);
  // The brush of a brush-filled pen, or none.
  const std::optional<Brush>& GetBrush() const { return brush_; }
  Status SetBrush(const Brush& brush);

  LineCap GetStartCap() const { return startCap_; }
  LineCap GetEndCap() const { return endCap_; }
  Status SetStartCap(LineCap cap);
  Status SetEndCap(LineCap cap);
  LineJoin GetLineJoin() const { return lineJoin_; }
  Status SetLineJoin(LineJoin join);
  DashStyle GetDashStyle() const { return dashStyle_; }
  Status SetDashStyle(DashStyle style);
  DashCap GetDashCap() const { return dashCap_; }
  Status SetDashCap(DashCap cap);
  PenAlignment GetAlignment() const { return alignment_; }
  Status SetAlignment(PenAlignment alignment);

 private:
  Status Apply(bool valid);

  ARGB color_ = kOpaqueBlack;
  float width_ = 1.0f;
  std::optional<Brush> brush_;
  LineCap startCap_ = LineCap::Flat;
  LineCap endCap_ = LineCap::Flat;
  LineJoin lineJoin_ = LineJoin::Miter;
  DashStyle dashStyle_ = DashStyle::Solid;
  DashCap dashCap_ = DashCap::Flat;
  PenAlignment alignment_ = PenAlignment::Center;
  Status status_ = Status::Ok;
};

}  // namespace varn::imaging
