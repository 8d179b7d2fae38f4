#include "drawing/layer_operations.h"

#include <algorithm>
#include <utility>

#include "drawing/drawing_document.h"
#include "platform/imaging/graphics.h"
#include "platform/system/check.h"

namespace varn::drawing {

namespace {

bool IsLayerIndex(const CDrawingState& state, int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < state.layers.size();
}

// Copies from exactly, at a position, onto a new transparent bitmap.
std::shared_ptr<imaging::Bitmap> CopyOntoNew(const imaging::Bitmap& from, int32_t width,
                                             int32_t height, int32_t x, int32_t y) {
  std::shared_ptr<imaging::Bitmap> grown = CreateLayerBitmap(width, height);
  if (!grown) return nullptr;
  imaging::Graphics graphics(*grown);
  graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
  graphics.DrawImage(from, x, y);
  if (graphics.GetLastStatus() != imaging::Status::Ok) return nullptr;
  return grown;
}

bool SetCanvasSize(CDrawingState& state, int32_t width, int32_t height) {
  if (width == state.canvasWidth && height == state.canvasHeight) return false;
  if (!IsValidCanvasSize(width, height)) return false;
  std::vector<DrawingLayer> layers = state.layers;
  if (!FitLayersToCanvas(layers, width, height)) return false;
  CDrawingState& derived = DeriveState(state, LayerCopy::Shared);
  derived.canvasWidth = width;
  derived.canvasHeight = height;
  derived.DiscardComposites();
  derived.layers = std::move(layers);
  return true;
}

}  // namespace

bool AddLayer(CDrawingState& state) {
  if (state.layers.size() >= static_cast<size_t>(kMaxLayers)) return false;
  // The bitmap comes first: a canvas too large for another layer refuses
  // the step instead of leaving a state without pixels.
  DrawingLayer layer = MakeLayer(state.canvasWidth, state.canvasHeight);
  if (!layer.bitmap) return false;
  CDrawingState& derived = DeriveState(state, LayerCopy::Shared);
  derived.layers.push_back(std::move(layer));
  derived.SelectLayerIndex(static_cast<int32_t>(derived.layers.size()) - 1);
  return true;
}

bool DeleteLayer(CDrawingState& state) {
  if (state.layers.size() < 2) return false;
  CDrawingState& derived = DeriveState(state, LayerCopy::Shared);
  const int32_t index = derived.selectedLayer;
  VARN_CHECK(IsLayerIndex(derived, index));
  derived.layers.erase(derived.layers.begin() + index);
  const int32_t last = static_cast<int32_t>(derived.layers.size()) - 1;
  // The layer that takes the selection is shown, as any selected layer is:
  // a hidden selected layer could be neither seen in the stack nor shown.
  derived.SelectLayerIndex(std::min(index, last));
  return true;
}

bool SelectLayer(CDrawingState& state, int32_t index) {
  if (index == state.selectedLayer || !IsLayerIndex(state, index)) return false;
  state.SelectLayerIndex(index);
  return true;
}

bool ToggleLayerVisibility(CDrawingState& state, int32_t index) {
  if (index == state.selectedLayer || !IsLayerIndex(state, index)) return false;
  CDrawingState& derived = DeriveState(state, LayerCopy::Shared);
  DrawingLayer& layer = derived.layers[static_cast<size_t>(index)];
  layer.visible = layer.visible ? 0 : 1;
  derived.DiscardComposites();
  return true;
}

bool MoveLayer(CDrawingState& state, LayerDirection direction) {
  const int32_t count = static_cast<int32_t>(state.layers.size());
  const int32_t from = state.selectedLayer;
  const int32_t to = direction == LayerDirection::Up ? from + 1 : from - 1;
  if (count < 2 || to < 0 || to >= count) return false;
  VARN_CHECK(IsLayerIndex(state, from));
  CDrawingState& derived = DeriveState(state, LayerCopy::Shared);
  std::swap(derived.layers[static_cast<size_t>(from)], derived.layers[static_cast<size_t>(to)]);
  derived.SelectLayerIndex(to);
  return true;
}

bool MergeLayer(CDrawingState& state) {
  if (state.layers.size() < 2) return false;
  std::shared_ptr<imaging::Bitmap> merged =
      CreateLayerBitmap(state.canvasWidth, state.canvasHeight);
  if (!merged) return false;
  {
    imaging::Graphics graphics(*merged);
    for (const DrawingLayer& layer : state.layers) {
      if (layer.visible && layer.bitmap) graphics.DrawImage(*layer.bitmap, layer.x, layer.y);
    }
  }
  CDrawingState& derived = DeriveState(state, LayerCopy::Shared);
  nextLayerId = 0;
  DrawingLayer layer;
  layer.id = TakeNextLayerId();
  layer.bitmap = std::move(merged);
  derived.layers.clear();
  derived.layers.push_back(std::move(layer));
  derived.SelectLayerIndex(0);
  return true;
}

bool SetCanvasWidth(CDrawingState& state, int32_t width) {
  return SetCanvasSize(state, width, state.canvasHeight);
}

bool SetCanvasHeight(CDrawingState& state, int32_t height) {
  return SetCanvasSize(state, state.canvasWidth, height);
}

bool FitLayersToCanvas(std::vector<DrawingLayer>& layers, int32_t canvasWidth,
                       int32_t canvasHeight) {
  std::vector<DrawingLayer> fitted = layers;
  for (DrawingLayer& layer : fitted) {
    if (!layer.bitmap) return false;
    const auto width = static_cast<int32_t>(layer.bitmap->GetWidth());
    const auto height = static_cast<int32_t>(layer.bitmap->GetHeight());
    if (width < canvasWidth) {
      layer.bitmap = CopyOntoNew(*layer.bitmap, canvasWidth, height, (canvasWidth - width) >> 1, 0);
      if (!layer.bitmap) return false;
      layer.x = 0;
    }
    const auto grownWidth = static_cast<int32_t>(layer.bitmap->GetWidth());
    if (height < canvasHeight) {
      layer.bitmap =
          CopyOntoNew(*layer.bitmap, grownWidth, canvasHeight, 0, (canvasHeight - height) >> 1);
      if (!layer.bitmap) return false;
      layer.y = 0;
    }
  }
  layers = std::move(fitted);
  return true;
}

}  // namespace varn::drawing
