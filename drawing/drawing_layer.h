// One layer of the drawing board: a value record copied from state to state.
// The bitmap is shared by reference between the records of different states;
// a step that paints gives its state a private copy first, so an older state
// never sees later pixels.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/imaging/bitmap.h"

namespace varn::drawing {

inline constexpr int32_t kMaxLayers = 10;

struct DrawingLayer {
  // Taken from nextLayerId when the layer is made; the page knows layers by it.
  int32_t id = 0;
  // Canvas position of the bitmap's top-left corner; may be negative.
  int32_t x = 0;
  int32_t y = 0;
  // 0 or 1: whether the layer takes part in the composites.
  int32_t visible = 1;
  // 32bpp non-premultiplied ARGB, of any size (not necessarily the canvas's).
  std::shared_ptr<imaging::Bitmap> bitmap;
};

// The id the next new layer takes, shared by every board in the process and
// touched only from the window thread. Undo and redo leave it alone.
extern int32_t nextLayerId;

// Hands out nextLayerId and counts it on (past the int32 maximum it wraps).
int32_t TakeNextLayerId();

// A transparent 32bpp bitmap, or null when that size cannot be made (0 or
// less, too large, out of memory): callers refuse their step then.
std::shared_ptr<imaging::Bitmap> CreateLayerBitmap(int32_t width, int32_t height);

// A visible layer at (0, 0) over a new transparent bitmap, with the id taken
// from nextLayerId (which then counts on). Null bitmap, and no id taken,
// when the bitmap cannot be made.
DrawingLayer MakeLayer(int32_t width, int32_t height);

}  // namespace varn::drawing
