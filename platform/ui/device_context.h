// The little of GDI device-context drawing the controls use, over the surface
// of a DrawContext: stock pens and brushes, rectangles, focus rectangles, text
// at an aligned point, copies and constant-alpha blends, and a clip
// rectangle. Coordinates are client coordinates; results are pixel-exact as
// GDI draws them (text aside, whose glyphs are the font library's).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/com/types.h"
#include "platform/ui/draw_context.h"

enum StockObject : int32_t {
  WHITE_BRUSH = 0,
  LTGRAY_BRUSH = 1,
  GRAY_BRUSH = 2,
  DKGRAY_BRUSH = 3,
  BLACK_BRUSH = 4,
  NULL_BRUSH = 5,
  WHITE_PEN = 6,
  BLACK_PEN = 7,
  NULL_PEN = 8,
};

constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;

constexpr int32_t TRANSPARENT = 1;
constexpr int32_t OPAQUE = 2;

namespace varn::ui {

class DeviceContext {
 public:
  // Starts as a fresh GDI context: black pen, white brush, black text on an
  // opaque white background, left/top alignment, no clip beyond the surface.
  explicit DeviceContext(const DrawContext& context);

  // A pen or a brush, by its kind; other values are ignored.
  void SelectObject(StockObject object);
  void SetTextAlign(UINT align) { textAlign_ = align; }
  void SetTextColor(uint32_t argb) { textColor_ = argb; }
  void SetBkColor(uint32_t argb) { backColor_ = argb; }
  void SetBkMode(int32_t mode) { backMode_ = mode; }

  // Drawing is kept inside the rectangle as well until ResetClip.
  void IntersectClipRect(const RECT& rect);
  void ResetClip();

  // Outline with the pen, inside the rectangle, filled with the brush. With
  // the null pen the fill is one pixel narrower and lower, as in GDI.
  void Rectangle(const RECT& rect);
  void FillRect(const RECT& rect, StockObject brush);
  // The dotted rectangle of keyboard focus, drawn by inverting pixels: drawing
  // it twice restores what was there.
  void DrawFocusRect(const RECT& rect);
  // Text at (x, y) per the alignment, in the context's default font. Needs a
  // Qt GUI application for fonts; without one nothing is drawn.
  void TextOut(int32_t x, int32_t y, std::u16string_view text);

  // Copies a w x h block of `source` (another surface, its own coordinates)
  // to (x, y); the part outside either surface is left out.
  void BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, const VarnSurface& source,
              int32_t sourceX, int32_t sourceY);
  // The same block blended over what is there with one alpha for all pixels.
  void AlphaBlend(int32_t x, int32_t y, int32_t w, int32_t h, const VarnSurface& source,
                  int32_t sourceX, int32_t sourceY, uint8_t constantAlpha);

 private:
  // The surface row holding client row `clientY`; index it with x - origin.x.
  uint32_t* PixelRow(int32_t clientY) const;
  // The part of `rect` that may be written: inside the clip and the surface.
  RECT Writable(const RECT& rect) const;
  void Fill(const RECT& rect, uint32_t argb);
  template <class Combine>
  void Transfer(int32_t x, int32_t y, int32_t w, int32_t h, const VarnSurface& source,
                int32_t sourceX, int32_t sourceY, Combine combine);

  DrawContext context_;
  RECT clip_;
  bool penVisible_ = true;
  uint32_t penColor_ = 0xFF000000u;
  bool brushVisible_ = true;
  uint32_t brushColor_ = 0xFFFFFFFFu;
  UINT textAlign_ = TA_LEFT | TA_TOP;
  uint32_t textColor_ = 0xFF000000u;
  uint32_t backColor_ = 0xFFFFFFFFu;
  int32_t backMode_ = OPAQUE;
};

}  // namespace varn::ui
