// The drawing board's document: the chain of whole states (see
// drawing_state.h) and the pointer to the one shown. Undo and redo only move
// that pointer; they never make or destroy states.
#pragma once

#include <cstdint>
#include <memory>

#include "drawing/drawing_state.h"

namespace varn::drawing {

// The chain keeps the newest state and at most kMaxHistoryStates - 1 older ones.
inline constexpr int32_t kMaxHistoryStates = 20;

// Bits of the result of Undo and Redo.
inline constexpr int32_t kHistoryMoved = 1;
// The state reached has another canvas size: the control remakes its back buffer.
inline constexpr int32_t kHistorySizeChanged = 2;

class CDrawingDocument {
 public:
  // Starts the chain with the first state: one transparent 300 x 300 layer
  // with id 0, which resets nextLayerId to 0 and leaves it at 1.
  CDrawingDocument();
  ~CDrawingDocument();
  CDrawingDocument(const CDrawingDocument&) = delete;
  CDrawingDocument& operator=(const CDrawingDocument&) = delete;

  // The state shown and edited; never null.
  CDrawingState* current = nullptr;

  // 0 when there is no older (newer) state; otherwise kHistoryMoved, with
  // kHistorySizeChanged when the canvas size differs from the state left.
  int32_t Undo();
  int32_t Redo();
  // Empties the drawing as an undoable step (one empty layer with id 0, no
  // texts). Refused (false) when the current state has no older state, and
  // when the empty layer cannot be made.
  bool Clear();

  // Destroys the states older than the 19th older neighbour of newest.
  void TrimHistory(CDrawingState& newest);

  // Makes state the step after the current one as DeriveState would (redo
  // chain dropped, history trimmed) and returns it: for states built whole,
  // such as one read from a paint file.
  CDrawingState& LinkState(std::unique_ptr<CDrawingState> state);

  // Number of states in the chain, oldest to newest.
  int32_t CountStates() const;
  const CDrawingState* Oldest() const { return oldest_.get(); }

 private:
  friend CDrawingState& DeriveState(CDrawingState& source, LayerCopy copy);
  CDrawingState& Append(CDrawingState& source, std::unique_ptr<CDrawingState> state);

  std::unique_ptr<CDrawingState> oldest_;
};

// Copies what a state carries besides the drawing itself: colour, tool type,
// every tool setting, the text defaults and the text insertion point.
void CopyStateSettings(const CDrawingState& source, CDrawingState& target);

}  // namespace varn::drawing
