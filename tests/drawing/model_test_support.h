// Small helpers for the drawing model's tests: pixels read and written one
// at a time on tiny pictures, and a painting step as the tools make one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "drawing/drawing_document.h"
#include "drawing/drawing_state.h"
#include "platform/imaging/bitmap.h"

namespace varn::drawing::testing {

// A fresh drawing document; its current state and that state's selected layer.
class DocumentTest : public ::testing::Test {
 protected:
  CDrawingState& State() { return *document.current; }
  imaging::Bitmap& Layer() { return *State().SelectedLayer().bitmap; }

  CDrawingDocument document;
};

inline uint32_t PixelAt(const imaging::Bitmap& bitmap, int32_t x, int32_t y) {
  imaging::ARGB color = 0x12345678;
  bitmap.GetPixel(x, y, &color);
  return color;
}

inline uint32_t LayerPixel(const CDrawingState& state, size_t layer, int32_t x, int32_t y) {
  return PixelAt(*state.layers.at(layer).bitmap, x, y);
}

// A painting step: derives with a private copy of the selected layer and
// sets one pixel of it.
inline CDrawingState& PaintStep(CDrawingDocument& document, int32_t x, int32_t y, uint32_t color) {
  CDrawingState& state = DeriveState(*document.current, LayerCopy::Deep);
  state.SelectedLayer().bitmap->SetPixel(x, y, color);
  return state;
}

// Paints one pixel of layer index in place, as a test's set-up.
inline void SetLayerPixel(CDrawingState& state, size_t layer, int32_t x, int32_t y,
                          uint32_t color) {
  state.layers.at(layer).bitmap->SetPixel(x, y, color);
}

}  // namespace varn::drawing::testing
