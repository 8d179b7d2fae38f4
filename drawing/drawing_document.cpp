#include "drawing/drawing_document.h"

#include <utility>

#include "platform/system/check.h"

namespace varn::drawing {

CDrawingDocument::CDrawingDocument() {
  oldest_ = std::make_unique<CDrawingState>();
  current = oldest_.get();
  current->document = this;
  nextLayerId = 0;
  current->layers.push_back(MakeLayer(current->canvasWidth, current->canvasHeight));
}

CDrawingDocument::~CDrawingDocument() = default;

CDrawingState& CDrawingDocument::Append(CDrawingState& source,
                                        std::unique_ptr<CDrawingState> state) {
  // A state of another document would link two histories into one chain.
  VARN_CHECK(source.document == this);
  state->document = this;
  state->previous = &source;
  state->next.reset();
  // A new step discards the redo states.
  source.next = std::move(state);
  current = source.next.get();
  TrimHistory(*current);
  return *current;
}

CDrawingState& CDrawingDocument::LinkState(std::unique_ptr<CDrawingState> state) {
  return Append(*current, std::move(state));
}

void CDrawingDocument::TrimHistory(CDrawingState& newest) {
  CDrawingState* keptOldest = &newest;
  for (int32_t step = 1; step < kMaxHistoryStates; ++step) {
    if (!keptOldest->previous) return;
    keptOldest = keptOldest->previous;
  }
  CDrawingState* dropped = keptOldest->previous;
  if (!dropped) return;
  // The oldest kept state is owned by the newest dropped one; take it over
  // before the dropped part of the chain goes.
  std::unique_ptr<CDrawingState> kept = std::move(dropped->next);
  kept->previous = nullptr;
  std::unique_ptr<CDrawingState> droppedChain = std::move(oldest_);
  oldest_ = std::move(kept);
  droppedChain.reset();
  VARN_DCHECK(CountStates() <= kMaxHistoryStates);
}

namespace {

int32_t MoveResult(const CDrawingState& from, const CDrawingState& to) {
  int32_t result = kHistoryMoved;
  if (from.canvasWidth != to.canvasWidth || from.canvasHeight != to.canvasHeight) {
    result |= kHistorySizeChanged;
  }
  return result;
}

}  // namespace

int32_t CDrawingDocument::Undo() {
  CDrawingState* from = current;
  VARN_CHECK(from != nullptr);
  if (!from->previous) return 0;
  current = from->previous;
  return MoveResult(*from, *current);
}

int32_t CDrawingDocument::Redo() {
  CDrawingState* from = current;
  VARN_CHECK(from != nullptr);
  if (!from->next) return 0;
  current = from->next.get();
  return MoveResult(*from, *current);
}

bool CDrawingDocument::Clear() {
  if (!current->previous) return false;
  // Made before the step so that a failed allocation leaves the counter and
  // the drawing as they were.
  std::shared_ptr<imaging::Bitmap> bitmap =
      CreateLayerBitmap(current->canvasWidth, current->canvasHeight);
  if (!bitmap) return false;
  nextLayerId = 0;
  CDrawingState& state = DeriveState(*current, LayerCopy::Shared);
  state.selectedLayer = 0;
  state.DiscardComposites();
  state.layers.clear();
  DrawingLayer layer;
  layer.id = TakeNextLayerId();
  layer.bitmap = std::move(bitmap);
  state.layers.push_back(std::move(layer));
  state.texts.clear();
  return true;
}

int32_t CDrawingDocument::CountStates() const {
  int32_t count = 0;
  for (const CDrawingState* state = oldest_.get(); state; state = state->next.get()) ++count;
  return count;
}

void CopyStateSettings(const CDrawingState& source, CDrawingState& target) {
  target.colour = source.colour;
  target.toolType = source.toolType;
  target.penType = source.penType;
  target.penWidth = source.penWidth;
  target.penAlpha = source.penAlpha;
  target.eraserType = source.eraserType;
  target.eraserWidth = source.eraserWidth;
  target.lineType = source.lineType;
  target.lineWidth = source.lineWidth;
  target.lineAlpha = source.lineAlpha;
  target.shapeType = source.shapeType;
  target.shapeWidth = source.shapeWidth;
  target.shapeAlpha = source.shapeAlpha;
  target.effectType = source.effectType;
  target.effectWidth = source.effectWidth;
  target.defaultFontName = source.defaultFontName;
  target.defaultFontSize = source.defaultFontSize;
  target.defaultAlign = source.defaultAlign;
  target.defaultStyle = source.defaultStyle;
  target.textInsertX = source.textInsertX;
  target.textInsertY = source.textInsertY;
}

}  // namespace varn::drawing
