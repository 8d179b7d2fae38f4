// The text objects' state operations: selection, hit testing, content and
// the colour rule. Everything but the creation of a text edits the current
// state in place.
#include <utility>

#include "drawing/drawing_state.h"
#include "drawing/drawing_text.h"
#include "platform/imaging/bitmap.h"

namespace varn::drawing {

namespace {

constexpr uint32_t kRgbMask = 0x00FFFFFF;

}  // namespace

DrawingText* SelectedText(CDrawingState& state) {
  const int32_t index = state.selectedText;
  if (index < 0 || static_cast<size_t>(index) >= state.texts.size()) return nullptr;
  return &state.texts[static_cast<size_t>(index)];
}

const DrawingText* SelectedText(const CDrawingState& state) {
  return SelectedText(const_cast<CDrawingState&>(state));
}

int32_t HitTestText(const CDrawingState& state, imaging::PointF point) {
  if (state.texts.empty()) return -1;
  // Measuring needs only the resolution, which every bitmap shares; a
  // Graphics on a layer bitmap would take it private from the older states.
  imaging::Bitmap scratch(1, 1, imaging::PixelFormat::Format32bppARGB);
  imaging::Graphics graphics(scratch);
  for (size_t i = state.texts.size(); i-- > 0;) {
    imaging::RectF box;
    if (MeasureTextObject(graphics, state.texts[i], &box) && box.Contains(point.X, point.Y)) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

bool SetTextContent(CDrawingState& state, std::optional<std::u16string_view> value) {
  if (value && value->size() > kMaxTextLength) return false;
  if (DrawingText* selected = SelectedText(state)) {
    if (value) {
      selected->text.assign(*value);
      return true;
    }
    state.textInsertX = selected->x;
    state.textInsertY = selected->y;
    state.texts.erase(state.texts.begin() + state.selectedText);
    state.selectedText = -1;
    return true;
  }
  state.selectedText = -1;
  if (!value || state.texts.size() >= kMaxTextObjects) return false;
  DrawingText text;
  text.x = state.textInsertX;
  text.y = state.textInsertY;
  text.text.assign(*value);
  text.fontName = state.defaultFontName;
  text.fontSize = state.defaultFontSize;
  text.align = state.defaultAlign;
  text.style = state.defaultStyle;
  text.colour = static_cast<int32_t>(state.colour & kRgbMask);
  CDrawingState& next = DeriveState(state, LayerCopy::Shared);
  next.texts.push_back(std::move(text));
  next.selectedText = static_cast<int32_t>(next.texts.size() - 1);
  return true;
}

bool ApplyColorRule(CDrawingState& state, uint32_t colour) {
  state.colour = colour & kRgbMask;
  if (state.toolType != kToolText) return true;
  DrawingText* selected = SelectedText(state);
  if (selected == nullptr) return false;
  selected->colour = static_cast<int32_t>(state.colour);
  return true;
}

}  // namespace varn::drawing
