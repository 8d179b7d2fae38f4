// The drawing board's history is a chain of whole states, not of commands:
// every step derives a new CDrawingState from the current one (DeriveState),
// copying the layer records and text objects and sharing the layer bitmaps by
// reference; only a painting step copies one bitmap, the selected layer's.
// Undo and redo move the document's current pointer along the chain.
//
// Ownership: each state owns its newer neighbour (next); previous is a plain
// back pointer; the document owns the oldest state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drawing/drawing_layer.h"
#include "drawing/drawing_text.h"
#include "platform/imaging/bitmap.h"

namespace varn::drawing {

class CDrawingDocument;

// Canvas limits: a side of at most kMaxCanvasSide and an area of at most
// kMaxCanvasPixels (one layer is then 64 MB), so a script cannot make the
// board allocate without bound.
inline constexpr int32_t kMaxCanvasSide = 8192;
inline constexpr int64_t kMaxCanvasPixels = int64_t{4096} * 4096;
inline constexpr int32_t kDefaultCanvasSize = 300;

bool IsValidCanvasSize(int64_t width, int64_t height);

// Whether a step gives the new state a private copy of the selected layer's
// bitmap (every step that paints) or shares it with the source.
enum class LayerCopy { Shared, Deep };

class CDrawingState {
 public:
  CDrawingState() = default;
  // Destroys the newer chain as well.
  ~CDrawingState();
  CDrawingState(const CDrawingState&) = delete;
  CDrawingState& operator=(const CDrawingState&) = delete;

  CDrawingDocument* document = nullptr;
  std::unique_ptr<CDrawingState> next;
  CDrawingState* previous = nullptr;

  int32_t selectedLayer = 0;
  // Index 0 is the bottom layer, drawn first.
  std::vector<DrawingLayer> layers;
  // RGB in the low 24 bits, top byte 0.
  uint32_t colour = 0;
  int32_t toolType = 2;
  int32_t canvasWidth = kDefaultCanvasSize;
  int32_t canvasHeight = kDefaultCanvasSize;

  // Caches of the visible layers above and below the selected one, canvas
  // size, built by Render on demand: below is opaque (white and the layers
  // under the selection), above is premultiplied, so a repaint is one blend
  // pass per row. They move to a derived state, so a run of
  // strokes on one layer never rebuilds them; any change of the layer list,
  // the selection, a visibility or the canvas size discards them.
  std::unique_ptr<imaging::Bitmap> aboveComposite;
  std::unique_ptr<imaging::Bitmap> belowComposite;
  // The selected layer as the running eraser gesture leaves it.
  std::unique_ptr<imaging::Bitmap> eraserPreview;

  // Alpha fields hold the alpha in the top byte and 0 below it.
  int32_t penType = 0;
  int32_t penWidth = 1;
  int32_t penAlpha = static_cast<int32_t>(0xFF000000u);
  int32_t eraserType = 0;
  int32_t eraserWidth = 5;
  int32_t lineType = 0;
  int32_t lineWidth = 1;
  int32_t lineAlpha = static_cast<int32_t>(0xFF000000u);
  int32_t shapeType = 0;
  int32_t shapeWidth = 1;
  int32_t shapeAlpha = static_cast<int32_t>(0xFF000000u);
  int32_t effectType = 0;
  int32_t effectWidth = 5;

  // UTF-8 paths of the last files written for submission; empty in a new state.
  std::string submitImagePath;
  std::string submitThumbnailPath;

  // Drawn over every layer in list order.
  std::vector<DrawingText> texts;
  float textInsertX = 50.0f;
  float textInsertY = 50.0f;
  std::u16string defaultFontName = u"ＭＳ Ｐ明朝";
  int32_t defaultFontSize = 10;
  int32_t defaultAlign = 0;
  int32_t defaultStyle = 0;
  int32_t selectedText = -1;

  // The selected record; the list is never empty and selectedLayer stays
  // inside it.
  DrawingLayer& SelectedLayer();
  const DrawingLayer& SelectedLayer() const;

  // Selects index (inside the list), shows that layer and drops the
  // composites and the eraser preview, which depend on the selection.
  void SelectLayerIndex(int32_t index);
  void DiscardComposites();
};

// Makes the step after source: the new state becomes the document's current
// one, source's redo chain is destroyed, the composites move over, and with
// LayerCopy::Deep the selected layer gets its own copy of its pixels. The
// oldest states beyond the history limit are destroyed (never source's
// document's current state). Returns the new state.
CDrawingState& DeriveState(CDrawingState& source, LayerCopy copy);

}  // namespace varn::drawing
