// Text objects of the drawing board: short texts laid out on one origin and
// drawn over every layer. They stay editable after creation; only making a
// new one is an undo step, every other change edits the current state.
#pragma once

#include <cstdint>
#include <string>

namespace varn::drawing {

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

}  // namespace varn::drawing
