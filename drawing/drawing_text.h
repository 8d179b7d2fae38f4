// Text objects of the drawing board: short texts laid out on one origin and
// drawn over every layer. They stay editable after creation; only making a
// new one is an undo step, every other change edits the current state.
//
// The state operations below take the document's current state. Values from
// the page are untrusted: contents and font names beyond the limits here are
// refused whole (never cut), and font sizes the imaging layer cannot make
// leave the text undrawn.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/tool_types.h"
#include "platform/imaging/font.h"
#include "platform/imaging/geometry.h"
#include "platform/imaging/graphics.h"

namespace varn::drawing {

class CDrawingState;

struct DrawingText {
  // Layout origin on the canvas; align says how the text sits against x.
  float x = 0;
  float y = 0;
  std::u16string text;
  std::u16string fontName;
  // Em size in points at the bitmap resolution (96 dpi).
  int32_t fontSize = 0;
  // 0 near (starts at x), 1 centred on x, 2 far (ends at x).
  int32_t align = 0;
  // FontStyle bits: 1 bold, 2 italic, 4 underline, 8 strikeout.
  int32_t style = 0;
  // RGB in the low 24 bits; the text is always drawn opaque.
  int32_t colour = 0;

  friend bool operator==(const DrawingText&, const DrawingText&) = default;
};

// Every state copies all its texts, so their number and length are bounded.
inline constexpr size_t kMaxTextLength = size_t{32} * 1024;
inline constexpr size_t kMaxFontNameLength = 256;
inline constexpr size_t kMaxTextObjects = 256;

// The selection frame: black at alpha 192, dashed, one pixel wide.
inline constexpr imaging::ARGB kTextFrameColor = 0xC0000000;

enum class TextFrame { None, Dashed };

// The font of a text: its family, or the generic sans-serif family when that
// does not exist or the font cannot be made from it. Null when no font can be
// made at all (a size of 0 or less, or too large).
std::optional<imaging::Font> MakeTextFont(const DrawingText& text);

// The box the text fills when drawn, in canvas coordinates. False (box
// untouched) when the text has no font.
bool MeasureTextObject(imaging::Graphics& graphics, const DrawingText& text, imaging::RectF* box);

// Draws the text opaque in its colour, framed by its measured box when asked.
void DrawTextObject(imaging::Graphics& graphics, const DrawingText& text, TextFrame frame);

// The selected text, or null when none is (or selectedText is stale).
DrawingText* SelectedText(CDrawingState& state);
const DrawingText* SelectedText(const CDrawingState& state);

// The topmost text whose drawn box holds point (left and top edges inside,
// right and bottom outside), or -1.
int32_t HitTestText(const CDrawingState& state, imaging::PointF point);

// The page's textCurrent put; nullopt stands for the null string. With a
// text selected: a string replaces its content, null removes it (the next
// text goes where it stood). Without one: a string makes a new text at the
// insertion point with the defaults as a new undo step and selects it there;
// null does nothing. True when something changed (the control repaints).
bool SetTextContent(CDrawingState& state, std::optional<std::u16string_view> value);

// The colour rule, for every put of the drawing colour: the state takes the
// low 24 bits, and with the text tool active so does the selected text. True
// when the picture may have changed (repaint): always outside the text tool,
// with it only when a text is selected.
bool ApplyColorRule(CDrawingState& state, uint32_t colour);

// Getters of the text properties: the selected text's values, else the
// defaults for the next text. GetTextCurrent is null when none is selected.
const std::u16string* GetTextCurrent(const CDrawingState& state);
const std::u16string& GetTextFontName(const CDrawingState& state);
int32_t GetTextFontSize(const CDrawingState& state);
int32_t GetTextFontAlign(const CDrawingState& state);
int32_t GetTextFontStyle(const CDrawingState& state);

// Puts: the value becomes the default for the next text and, when a text is
// selected, that text's own at once. True when a selected text changed (the
// control repaints); a font name over kMaxFontNameLength is refused whole.
bool PutTextFontName(CDrawingState& state, std::u16string_view name);
bool PutTextFontSize(CDrawingState& state, int32_t size);
bool PutTextFontAlign(CDrawingState& state, int32_t align);
bool PutTextFontStyle(CDrawingState& state, int32_t style);

// The text tool's press: selects the text under the pointer (or none, when
// the press is beside every text), takes its colour and starts dragging it.
// Changing the selection moves the insertion point to the press.
ToolResult OnTextToolDown(CDrawingState& state, std::vector<imaging::PointF>& strokePoints,
                          imaging::PointF position);
// The text tool's drag: moves the selected text by the step since the last
// position, which strokePoints[0] keeps.
ToolResult OnTextToolMove(CDrawingState& state, std::vector<imaging::PointF>& strokePoints,
                          imaging::PointF position);

}  // namespace varn::drawing
