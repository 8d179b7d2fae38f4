#include "drawing/drawing_state.h"

#include <utility>

#include "drawing/drawing_document.h"
#include "platform/system/check.h"

namespace varn::drawing {

bool IsValidCanvasSize(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxCanvasSide && height <= kMaxCanvasSide &&
         width * height <= kMaxCanvasPixels;
}

CDrawingState::~CDrawingState() {
  // Unlinks the newer chain one state at a time, so no destructor recurses.
  std::unique_ptr<CDrawingState> newer = std::move(next);
  while (newer) newer = std::move(newer->next);
}

DrawingLayer& CDrawingState::SelectedLayer() {
  VARN_CHECK(selectedLayer >= 0 && static_cast<size_t>(selectedLayer) < layers.size());
  return layers[static_cast<size_t>(selectedLayer)];
}

const DrawingLayer& CDrawingState::SelectedLayer() const {
  VARN_CHECK(selectedLayer >= 0 && static_cast<size_t>(selectedLayer) < layers.size());
  return layers[static_cast<size_t>(selectedLayer)];
}

void CDrawingState::SelectLayerIndex(int32_t index) {
  selectedLayer = index;
  SelectedLayer().visible = 1;
  DiscardComposites();
  // A preview of the layer left would stand in for the new one.
  eraserPreview.reset();
}

void CDrawingState::DiscardComposites() {
  aboveComposite.reset();
  belowComposite.reset();
}

namespace {

void CopyTextObjects(const CDrawingState& source, CDrawingState& target) {
  target.texts = source.texts;
  target.textInsertX = source.textInsertX;
  target.textInsertY = source.textInsertY;
  target.defaultFontName = source.defaultFontName;
  target.defaultFontSize = source.defaultFontSize;
  target.defaultAlign = source.defaultAlign;
  target.defaultStyle = source.defaultStyle;
  target.selectedText = -1;
}

}  // namespace

CDrawingState& DeriveState(CDrawingState& source, LayerCopy copy) {
  auto state = std::make_unique<CDrawingState>();
  state->selectedLayer = source.selectedLayer;
  state->layers = source.layers;
  state->canvasWidth = source.canvasWidth;
  state->canvasHeight = source.canvasHeight;
  state->aboveComposite = std::move(source.aboveComposite);
  state->belowComposite = std::move(source.belowComposite);
  source.eraserPreview.reset();
  CopyStateSettings(source, *state);
  CopyTextObjects(source, *state);
  if (copy == LayerCopy::Deep) {
    // A clone shares the pixels until one side writes, so the copy is cheap
    // and the older state still never sees the new step's strokes.
    DrawingLayer& layer = state->SelectedLayer();
    if (layer.bitmap) layer.bitmap = std::shared_ptr<imaging::Bitmap>(layer.bitmap->Clone());
  }
  return source.document->Append(source, std::move(state));
}

}  // namespace varn::drawing
