// Text items and their cartoon balloons: the measured text box, the balloon's
// body and tail around it, and the font a text or stamp is drawn with.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "imagedoc/text_item.h"
#include "platform/imaging/color.h"
#include "platform/imaging/font.h"
#include "platform/imaging/geometry.h"
#include "platform/imaging/graphics.h"
#include "platform/imaging/string_format.h"

namespace varn::imagedoc {

// Balloon bodies, the high nibble of a cartoon index; other values draw none.
enum class BalloonBody : int32_t { PlainBox = 0, Rectangle = 1, Rounded = 2, Concave = 3 };

// The outline of a balloon around a text box, as filled polygons. Empty when
// that part is not drawn.
struct BalloonShape {
  std::vector<imaging::PointF> body;
  std::vector<imaging::PointF> tail;
};

// The balloon of cartoonIndex around the text box. A tail goes with a body
// other than the plain box, at corners 0 to 3 of the low nibble only.
BalloonShape BalloonGeometry(int32_t cartoonIndex, const imaging::RectF& box);

// The font of settings at its size in points, in the generic sans-serif
// family when settings' family is not installed. Failed for sizes below 1.
imaging::Font SettingsFont(const FontSettings& settings);
// Near, centre or far by settings' align; other values stay near.
imaging::StringFormat SettingsFormat(const FontSettings& settings);
// The text colour, always opaque, and the balloon fill with settings'
// transparency (clamped to 0..255) as its alpha.
imaging::ARGB TextColor(const FontSettings& settings);
imaging::ARGB FillColor(const FontSettings& settings);

// The box text fills when laid out from origin; none when it cannot be
// measured (no imaging, a failed font).
std::optional<imaging::RectF> MeasureText(imaging::Graphics& graphics, std::u16string_view text,
                                          const imaging::Font& font,
                                          const imaging::StringFormat& format,
                                          imaging::PointF origin);

// One item with its balloon onto graphics; selected adds the dashed box
// around its text.
void DrawTextItem(const TextItem& item, imaging::Graphics& graphics, bool selected);

}  // namespace varn::imagedoc
