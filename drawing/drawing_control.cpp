#include "drawing/drawing_control.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

#include "drawing/layer_operations.h"

namespace varn::drawing {
namespace {

// The size the page should give the control; saturates instead of wrapping
// when a large zoom meets a large canvas.
int32_t ZoomedExtent(int32_t zoom, int32_t extent) {
  const int64_t product = int64_t{zoom} * extent;
  return static_cast<int32_t>(std::min<int64_t>(product, std::numeric_limits<int32_t>::max()));
}

std::unique_ptr<imaging::Bitmap> MakeBackBuffer(int32_t width, int32_t height) {
  auto buffer =
      std::make_unique<imaging::Bitmap>(width, height, imaging::PixelFormat::Format24bppRGB);
  if (buffer->GetLastStatus() != imaging::Status::Ok) return nullptr;
  return buffer;
}

}  // namespace

CDrawingControl::CDrawingControl() : document_(std::make_unique<CDrawingDocument>()) {
  backBuffer_ = MakeBackBuffer(Current().canvasWidth, Current().canvasHeight);
  if (backBuffer_ == nullptr) throw std::bad_alloc();
  strokePoints_.reserve(kReservedStrokePoints);
}

// The document and the back buffer go before the imaging runtime does.
CDrawingControl::~CDrawingControl() {
  document_.reset();
  backBuffer_.reset();
}

void CDrawingControl::Repaint() { Window().Invalidate(); }

void CDrawingControl::FireSizeChange() {
  const CDrawingState& state = Current();
  Fire(kOnSizeChange, ZoomedExtent(zoom_, state.canvasWidth),
       ZoomedExtent(zoom_, state.canvasHeight));
}

bool CDrawingControl::RemakeBackBuffer() {
  std::unique_ptr<imaging::Bitmap> buffer =
      MakeBackBuffer(Current().canvasWidth, Current().canvasHeight);
  if (buffer == nullptr) return false;
  backBuffer_ = std::move(buffer);
  return true;
}

HRESULT CDrawingControl::get_zoomValue(int32_t* value) {
  *value = zoom_;
  return S_OK;
}

// A zoom below 1 would divide pointer positions by zero or flip them; such
// values change nothing.
HRESULT CDrawingControl::put_zoomValue(int32_t value) {
  if (value < 1 || value == zoom_) return S_OK;
  zoom_ = value;
  FireSizeChange();
  return S_OK;
}

HRESULT CDrawingControl::get_imageWidth(int32_t* value) {
  *value = Current().canvasWidth;
  return S_OK;
}

HRESULT CDrawingControl::put_imageWidth(int32_t value) {
  return PutCanvasSize(Axis::kWidth, value);
}

HRESULT CDrawingControl::get_imageHeight(int32_t* value) {
  *value = Current().canvasHeight;
  return S_OK;
}

HRESULT CDrawingControl::put_imageHeight(int32_t value) {
  return PutCanvasSize(Axis::kHeight, value);
}

// The back buffer of the new size is made first, so a size whose buffer
// cannot be allocated leaves the drawing as it was.
HRESULT CDrawingControl::PutCanvasSize(Axis axis, int32_t value) {
  CDrawingState& state = Current();
  const int32_t width = axis == Axis::kWidth ? value : state.canvasWidth;
  const int32_t height = axis == Axis::kHeight ? value : state.canvasHeight;
  if (value < 1 || (width == state.canvasWidth && height == state.canvasHeight)) return S_OK;
  if (!IsValidCanvasSize(width, height)) return S_OK;
  std::unique_ptr<imaging::Bitmap> buffer = MakeBackBuffer(width, height);
  if (buffer == nullptr) return S_OK;
  const bool changed =
      axis == Axis::kWidth ? SetCanvasWidth(state, width) : SetCanvasHeight(state, height);
  if (!changed) return S_OK;
  backBuffer_ = std::move(buffer);
  FireSizeChange();
  return S_OK;
}

void CDrawingControl::AfterHistoryMove(int32_t moved) {
  if ((moved & kHistorySizeChanged) != 0) {
    // Keeping the old buffer when the new one cannot be made only crops or
    // pads what is shown; the drawing itself is intact.
    RemakeBackBuffer();
    FireSizeChange();
  }
  if ((moved & kHistoryMoved) != 0) {
    Fire(kOnInvalidateInfo);
    Repaint();
  }
}

HRESULT CDrawingControl::Undo() {
  AfterHistoryMove(document_->Undo());
  return S_OK;
}

HRESULT CDrawingControl::Redo() {
  AfterHistoryMove(document_->Redo());
  return S_OK;
}

HRESULT CDrawingControl::Clear() {
  if (document_->Clear()) {
    Fire(kOnInvalidateInfo);
    Repaint();
  }
  return S_OK;
}

HRESULT CDrawingControl::AddLayer() {
  const int32_t oldIndex = Current().selectedLayer;
  if (!drawing::AddLayer(Current())) return S_OK;
  const int32_t newIndex = Current().selectedLayer;
  Fire(kOnAddLayer, Current().SelectedLayer().id);
  Fire(kOnSelectLayer, oldIndex, newIndex);
  return S_OK;
}

HRESULT CDrawingControl::DeleteLayer() {
  const int32_t oldIndex = Current().selectedLayer;
  if (!drawing::DeleteLayer(Current())) return S_OK;
  const int32_t newIndex = Current().selectedLayer;
  Fire(kOnDeleteLayer, oldIndex);
  Fire(kOnSelectLayer, int32_t{-1}, newIndex);
  Repaint();
  return S_OK;
}

HRESULT CDrawingControl::SelectLayer(int32_t index) {
  CDrawingState& state = Current();
  const int32_t oldIndex = state.selectedLayer;
  const bool wasHidden = index >= 0 && static_cast<size_t>(index) < state.layers.size() &&
                         state.layers[static_cast<size_t>(index)].visible == 0;
  if (!drawing::SelectLayer(state, index)) return S_OK;
  Fire(kOnSelectLayer, oldIndex, index);
  Fire(kOnToggleLayerVisibility, index, true);
  if (wasHidden) Repaint();
  return S_OK;
}

HRESULT CDrawingControl::ToggleLayerVisibility(int32_t index) {
  if (!drawing::ToggleLayerVisibility(Current(), index)) return S_OK;
  const bool visible = Current().layers[static_cast<size_t>(index)].visible != 0;
  Fire(kOnToggleLayerVisibility, index, visible);
  Repaint();
  return S_OK;
}

// Only the low 16 bits of the page's flag count.
HRESULT CDrawingControl::MoveLayer(VARIANT_BOOL up) {
  const int32_t oldIndex = Current().selectedLayer;
  const LayerDirection direction =
      (static_cast<uint16_t>(up) != 0) ? LayerDirection::Up : LayerDirection::Down;
  if (!drawing::MoveLayer(Current(), direction)) return S_OK;
  Fire(kOnMoveLayer, oldIndex, Current().selectedLayer);
  Repaint();
  return S_OK;
}

HRESULT CDrawingControl::MergeLayer() {
  if (!drawing::MergeLayer(Current())) return S_OK;
  Fire(kOnInvalidateInfo);
  Repaint();
  return S_OK;
}

// A page handler may change the layers while the reports run, so each one
// reads the current state afresh.
HRESULT CDrawingControl::RequestLayersInfo() {
  for (size_t i = 0; i < Current().layers.size(); ++i) {
    const CDrawingState& state = Current();
    const DrawingLayer& layer = state.layers[i];
    Fire(kOnUpdateLayerInfo, static_cast<int32_t>(i), layer.id,
         static_cast<int32_t>(i) == state.selectedLayer, layer.visible != 0);
  }
  return S_OK;
}

}  // namespace varn::drawing
