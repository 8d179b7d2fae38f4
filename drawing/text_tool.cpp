// The text tool's press and drag. A press picks the topmost text under the
// pointer (or clears the selection); dragging moves the picked text.
#include "drawing/drawing_state.h"
#include "drawing/drawing_text.h"

namespace varn::drawing {

ToolResult OnTextToolDown(CDrawingState& state, std::vector<imaging::PointF>& strokePoints,
                          imaging::PointF position) {
  ToolResult result = kNoResult;
  const int32_t hit = HitTestText(state, position);
  if (hit >= 0) {
    // Choosing a text makes its colour the drawing colour without telling
    // the page; paletteColor reads it back.
    state.colour = static_cast<uint32_t>(state.texts[static_cast<size_t>(hit)].colour) & 0x00FFFFFF;
    strokePoints.push_back(position);
    result |= kCapture;
  }
  if (hit != state.selectedText) {
    state.textInsertX = position.X;
    state.textInsertY = position.Y;
    result |= kRedraw | kLayersChanged;
  }
  state.selectedText = hit;
  return result;
}

ToolResult OnTextToolMove(CDrawingState& state, std::vector<imaging::PointF>& strokePoints,
                          imaging::PointF position) {
  DrawingText* selected = SelectedText(state);
  if (selected == nullptr) return kNoResult;
  // strokePoints[0] is the last position the text was moved to.
  if (strokePoints.empty()) {
    strokePoints.push_back(position);
    return kNoResult;
  }
  selected->x += position.X - strokePoints.front().X;
  selected->y += position.Y - strokePoints.front().Y;
  strokePoints.front() = position;
  return kRedraw;
}

}  // namespace varn::drawing
