// Fills: a solid colour or the 25 percent hatch. Brushes are plain values; a
// pen or a Graphics call takes a copy, so a brush may go away after the call.
#pragma once

#include <cstdint>

#include "platform/imaging/color.h"
#include "platform/imaging/status.h"

namespace varn::imaging {

enum class BrushType : int32_t {
  SolidColor = 0,
  HatchFill = 1,
};

enum class HatchStyle : int32_t {
  Percent25 = 9,
};

class Brush {
 public:
  BrushType GetType() const { return type_; }
  Status GetLastStatus() const { return status_; }

  // Solid: the fill colour. Hatch: the foreground (pattern) colour.
  ARGB GetForegroundColor() const { return foreColor_; }
  ARGB GetBackgroundColor() const { return backColor_; }
  HatchStyle GetHatchStyle() const { return hatchStyle_; }

 protected:
  Brush(BrushType type, ARGB fore, ARGB back, HatchStyle hatch, Status status)
      : type_(type), foreColor_(fore), backColor_(back), hatchStyle_(hatch), status_(status) {}

  BrushType type_;
  ARGB foreColor_;
  ARGB backColor_;
  HatchStyle hatchStyle_;
  Status status_;
};

class SolidBrush : public Brush {
 public:
  explicit SolidBrush(ARGB color)
      : Brush(BrushType::SolidColor, color, color, HatchStyle::Percent25, Status::Ok) {}

  ARGB GetColor() const { return foreColor_; }
  Status SetColor(ARGB color) {
    foreColor_ = color;
    backColor_ = color;
    return Status::Ok;
  }
};

// An 8 x 8 pattern anchored at the surface's origin (0, 0), unaffected by
// the Graphics' translation, as hatches are on the platform we stand in for.
// Only Percent25 exists; another style gives a failed brush (NotImplemented).
class HatchBrush : public Brush {
 public:
  HatchBrush(HatchStyle style, ARGB foreColor, ARGB backColor = kOpaqueBlack)
      : Brush(BrushType::HatchFill, foreColor, backColor, style,
              style == HatchStyle::Percent25 ? Status::Ok : Status::NotImplemented) {}
};

}  // namespace varn::imaging
