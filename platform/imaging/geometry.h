// Plain value types for positions and areas, integer and float, with the
// member names the drawing code is written in (X, Y, Width, Height).
#pragma once

#include <cstdint>

namespace varn::imaging {

struct Point {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct PointF {
  float X = 0;
  float Y = 0;
  friend bool operator==(const PointF&, const PointF&) = default;
};

struct Size {
  int32_t Width = 0;
  int32_t Height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;

  // Computed in 64 bits so that rectangles near the int32 limits stay correct.
  int64_t Right() const { return int64_t{X} + Width; }
  int64_t Bottom() const { return int64_t{Y} + Height; }
  bool IsEmptyArea() const { return Width <= 0 || Height <= 0; }
  bool Contains(int32_t x, int32_t y) const {
    return x >= X && y >= Y && x < Right() && y < Bottom();
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct RectF {
  float X = 0;
  float Y = 0;
  float Width = 0;
  float Height = 0;

  float Right() const { return X + Width; }
  float Bottom() const { return Y + Height; }
  bool IsEmptyArea() const { return !(Width > 0) || !(Height > 0); }
  bool Contains(float x, float y) const { return x >= X && y >= Y && x < Right() && y < Bottom(); }
  friend bool operator==(const RectF&, const RectF&) = default;
};

}  // namespace varn::imaging
