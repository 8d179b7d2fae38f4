// How the figure tools reach their pixels: a preview onto the caller's
// Graphics in canvas coordinates, or a commit into the selected layer's
// bitmap shifted by the layer's offset.
#pragma once

#include <algorithm>
#include <cstdint>

#include "drawing/drawing_state.h"
#include "drawing/drawing_tools.h"
#include "platform/imaging/color.h"
#include "platform/imaging/graphics.h"

namespace varn::drawing {

// A tool's drawing colour: its alpha field over the state's colour.
inline imaging::ARGB ToolColor(int32_t alphaField, uint32_t colour) {
  return static_cast<uint32_t>(alphaField) | colour;
}

// The alpha byte of an alpha field.
inline uint32_t AlphaOf(int32_t alphaField) { return static_cast<uint32_t>(alphaField) >> 24; }

// A width from the page as a pen width; 0 (draw nothing) for widths below 1,
// kMaxStrokeWidth for larger ones, so no script sizes a stroke without bound.
inline float StrokeWidth(int32_t width) {
  if (width < 1) return 0.0f;
  return static_cast<float>(std::min(width, kMaxStrokeWidth));
}

// Keeps a caller's Graphics modes as they were around a tool's drawing.
class GraphicsModesScope {
 public:
  explicit GraphicsModesScope(imaging::Graphics& graphics)
      : graphics_(graphics),
        smoothing_(graphics.GetSmoothingMode()),
        compositing_(graphics.GetCompositingMode()) {}
  ~GraphicsModesScope() {
    graphics_.SetSmoothingMode(smoothing_);
    graphics_.SetCompositingMode(compositing_);
  }
  GraphicsModesScope(const GraphicsModesScope&) = delete;
  GraphicsModesScope& operator=(const GraphicsModesScope&) = delete;

 private:
  imaging::Graphics& graphics_;
  imaging::SmoothingMode smoothing_;
  imaging::CompositingMode compositing_;
};

// Shifts graphics on the layer's bitmap so that canvas positions land on its
// pixels. The offset is negated as a float: the int32 minimum has no int32
// negation.
inline void ShiftToLayer(imaging::Graphics& graphics, const DrawingLayer& layer) {
  graphics.TranslateTransform(-static_cast<float>(layer.x), -static_cast<float>(layer.y));
}

// Calls draw(graphics) onto target, or onto the selected layer's bitmap with
// canvas positions shifted into it when target is null.
template <typename Draw>
void PaintFigure(CDrawingState& state, imaging::Graphics* target, Draw&& draw) {
  if (target != nullptr) {
    GraphicsModesScope modes(*target);
    draw(*target);
    return;
  }
  DrawingLayer& layer = state.SelectedLayer();
  if (!layer.bitmap) return;
  imaging::Graphics graphics(*layer.bitmap);
  ShiftToLayer(graphics, layer);
  draw(graphics);
}

}  // namespace varn::drawing
