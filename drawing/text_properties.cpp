// The text properties of the scripting surface: they read the selected text
// or, without one, the defaults that the next new text takes; a put sets the
// default and the selected text at once.
#include <utility>

#include "drawing/drawing_state.h"
#include "drawing/drawing_text.h"

namespace varn::drawing {

namespace {

// Stores value as the default and, when a text is selected, as its own;
// true when a selected text changed.
template <typename Value>
bool PutTextFormat(CDrawingState& state, Value CDrawingState::*defaultField,
                   Value DrawingText::*textField, Value value) {
  state.*defaultField = value;
  DrawingText* selected = SelectedText(state);
  if (selected == nullptr) return false;
  selected->*textField = std::move(value);
  return true;
}

}  // namespace

const std::u16string* GetTextCurrent(const CDrawingState& state) {
  const DrawingText* selected = SelectedText(state);
  return selected ? &selected->text : nullptr;
}

const std::u16string& GetTextFontName(const CDrawingState& state) {
  const DrawingText* selected = SelectedText(state);
  return selected ? selected->fontName : state.defaultFontName;
}

int32_t GetTextFontSize(const CDrawingState& state) {
  const DrawingText* selected = SelectedText(state);
  return selected ? selected->fontSize : state.defaultFontSize;
}

int32_t GetTextFontAlign(const CDrawingState& state) {
  const DrawingText* selected = SelectedText(state);
  return selected ? selected->align : state.defaultAlign;
}

int32_t GetTextFontStyle(const CDrawingState& state) {
  const DrawingText* selected = SelectedText(state);
  return selected ? selected->style : state.defaultStyle;
}

bool PutTextFontName(CDrawingState& state, std::u16string_view name) {
  if (name.size() > kMaxFontNameLength) return false;
  return PutTextFormat(state, &CDrawingState::defaultFontName, &DrawingText::fontName,
                       std::u16string(name));
}

bool PutTextFontSize(CDrawingState& state, int32_t size) {
  return PutTextFormat(state, &CDrawingState::defaultFontSize, &DrawingText::fontSize, size);
}

bool PutTextFontAlign(CDrawingState& state, int32_t align) {
  return PutTextFormat(state, &CDrawingState::defaultAlign, &DrawingText::align, align);
}

bool PutTextFontStyle(CDrawingState& state, int32_t style) {
  return PutTextFormat(state, &CDrawingState::defaultStyle, &DrawingText::style, style);
}

}  // namespace varn::drawing
