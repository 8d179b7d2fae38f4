// Drawing onto a bitmap or onto a caller's pixel surface (the HDC of a draw
// call, a VarnSurface on this platform, wrapped without copying).
//
// A Graphics on a failed bitmap, or on a surface that is null or inconsistent,
// is failed: every call returns that status and draws nothing. The bitmap (or
// surface) must outlive the Graphics; while it exists, the bitmap's pixels are
// its own (clones taken earlier keep the old pixels).
//
// Figures follow the usual pixel model of the platform we stand in for: with
// anti-aliasing a 1-pixel line along y = 5 covers row 5, not half of rows 4
// and 5.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/com/types.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/brush.h"
#include "platform/imaging/color.h"
#include "platform/imaging/font.h"
#include "platform/imaging/geometry.h"
#include "platform/imaging/pen.h"
#include "platform/imaging/rendering_modes.h"
#include "platform/imaging/status.h"
#include "platform/imaging/string_format.h"

namespace varn::imaging {

class Graphics {
 public:
  explicit Graphics(Bitmap& bitmap);
  explicit Graphics(VarnSurface& surface);
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  // Never null; a null argument gives a failed Graphics (InvalidParameter).
  static std::unique_ptr<Graphics> FromImage(Bitmap* bitmap);
  static std::unique_ptr<Graphics> FromHDC(HDC hdc);

  // The status of the last call (the creation status while failed).
  Status GetLastStatus() const;

  // Sets every pixel of the target to color, whatever the transform and modes
  // (a 24bpp bitmap keeps alpha 0xFF).
  Status Clear(ARGB color);

  // Draws a source rectangle of image into dest, stretched when the sizes
  // differ, by the interpolation mode, blended by the source's alpha unless
  // the compositing mode is SourceCopy.
  Status DrawImage(const Bitmap& image, const Rect& dest, int32_t srcX, int32_t srcY,
                   int32_t srcWidth, int32_t srcHeight);
  Status DrawImage(const Bitmap& image, const RectF& dest, float srcX, float srcY, float srcWidth,
                   float srcHeight);
  // The whole image into (x, y, width, height).
  Status DrawImage(const Bitmap& image, int32_t x, int32_t y, int32_t width, int32_t height);
  Status DrawImage(const Bitmap& image, const RectF& dest);
  // The whole image at its own size.
  Status DrawImage(const Bitmap& image, int32_t x, int32_t y);

  Status SetInterpolationMode(InterpolationMode mode);
  InterpolationMode GetInterpolationMode() const;
  Status SetSmoothingMode(SmoothingMode mode);
  SmoothingMode GetSmoothingMode() const;
  Status SetCompositingMode(CompositingMode mode);
  CompositingMode GetCompositingMode() const;
  Status SetTextRenderingHint(TextRenderingHint hint);
  TextRenderingHint GetTextRenderingHint() const;

  // Moves the origin of everything drawn later by (dx, dy).
  Status TranslateTransform(float dx, float dy);
  Status ResetTransform();

  // Open polylines; at least 2 points (InvalidParameter otherwise).
  Status DrawLines(const Pen& pen, std::span<const PointF> points);
  Status DrawLines(const Pen& pen, std::span<const Point> points);
  // A cardinal spline through the points (at least 2); tension 0 gives
  // straight segments, 0.5 the usual curve.
  Status DrawCurve(const Pen& pen, std::span<const PointF> points, float tension = 0.5f);
  Status DrawCurve(const Pen& pen, std::span<const Point> points, float tension = 0.5f);

  Status DrawRectangle(const Pen& pen, const RectF& rect);
  Status DrawRectangle(const Pen& pen, const Rect& rect);
  Status DrawEllipse(const Pen& pen, const RectF& rect);
  Status DrawEllipse(const Pen& pen, const Rect& rect);
  // Closed polygons; at least 2 points for drawing; filling fewer than 3
  // points draws nothing. Fills use the alternate (even-odd) rule.
  Status DrawPolygon(const Pen& pen, std::span<const PointF> points);
  Status DrawPolygon(const Pen& pen, std::span<const Point> points);
  Status FillRectangle(const Brush& brush, const RectF& rect);
  Status FillRectangle(const Brush& brush, const Rect& rect);
  Status FillEllipse(const Brush& brush, const RectF& rect);
  Status FillEllipse(const Brush& brush, const Rect& rect);
  Status FillPolygon(const Brush& brush, std::span<const PointF> points);
  Status FillPolygon(const Brush& brush, std::span<const Point> points);

  // Text laid out against layout: with a width or height of 0, from the
  // origin (layout.X, layout.Y) on one line per line break, without wrapping
  // or clipping; otherwise inside the rectangle, wrapped at its width. format
  // may be null (near, near). box receives the bounding box DrawString fills.
  // Needs StartImaging (GdiplusNotInitialized otherwise).
  Status MeasureString(std::u16string_view text, const Font& font, const RectF& layout,
                       const StringFormat* format, RectF* box);
  Status DrawString(std::u16string_view text, const Font& font, const RectF& layout,
                    const StringFormat* format, const Brush& brush);

  struct Impl;

 private:
  explicit Graphics(std::unique_ptr<Impl> impl);

  std::unique_ptr<Impl> impl_;
};

}  // namespace varn::imaging
