// The layer stack's operations. Each works on the document's current state,
// passed in, and returns false when it refused: then nothing changed and no
// state was made. Those that change the stack derive a new state (an undo
// step); SelectLayer changes the current state in place.
#pragma once

#include <cstdint>
#include <vector>

#include "drawing/drawing_state.h"

namespace varn::drawing {

enum class LayerDirection { Down, Up };

// Appends a transparent canvas-size layer on top and selects it; refused at
// kMaxLayers layers.
bool AddLayer(CDrawingState& state);
// Removes the selected layer; refused with a single layer. The selection
// stays at its index, or moves to the new top when that index is gone.
bool DeleteLayer(CDrawingState& state);
// Refused for the selected index and indexes outside the list.
bool SelectLayer(CDrawingState& state, int32_t index);
// Refused for the selected index (it cannot be hidden) and outside the list.
bool ToggleLayerVisibility(CDrawingState& state, int32_t index);
// Exchanges the selected layer with its neighbour and follows it.
bool MoveLayer(CDrawingState& state, LayerDirection direction);
// Flattens the visible layers into one new layer with id 0 (nextLayerId
// starts again); hidden layers are dropped.
bool MergeLayer(CDrawingState& state);
// Refused when unchanged and when the canvas would be out of bounds
// (IsValidCanvasSize) or its layers cannot be grown.
bool SetCanvasWidth(CDrawingState& state, int32_t width);
bool SetCanvasHeight(CDrawingState& state, int32_t height);

// Grows every layer narrower or lower than the canvas to the canvas width or
// height, its pixels centred on the grown axis and its offset on that axis
// reset to 0. Larger layers stay as they are. All or nothing: false (layers
// untouched) when a bitmap cannot be made.
bool FitLayersToCanvas(std::vector<DrawingLayer>& layers, int32_t canvasWidth,
                       int32_t canvasHeight);

}  // namespace varn::drawing
