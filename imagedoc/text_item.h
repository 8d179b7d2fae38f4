// Texts placed in a picture and the font settings they are made from.
#pragma once

#include <cstdint>
#include <string>

namespace varn::imagedoc {

// Colours are 0xRRGGBB without alpha; transparency is the alpha of the
// balloon's fill, 0 to 255. Size in points; align a string alignment (0 near,
// 1 centre, 2 far); style the font style bits (1 bold, 2 italic, 4 underline,
// 8 strikeout).
struct FontSettings {
  std::u16string name = u"ＭＳ Ｐ明朝";
  int32_t size = 10;
  int32_t align = 0;
  int32_t style = 0;
  uint32_t color = 0x000000;
  uint32_t backgroundColor = 0xFFFFFF;
  int32_t transparency = 255;

  friend bool operator==(const FontSettings&, const FontSettings&) = default;
};

// The stamp's font starts half transparent.
inline FontSettings StampFontDefaults() {
  FontSettings font;
  font.transparency = 128;
  return font;
}

// The numeric font settings, as the control's font properties address them.
enum class FontValue : int32_t { Size, Align, Style, Color, BackgroundColor, Transparency };

int32_t GetFontValue(const FontSettings& font, FontValue which);
// Colours are masked to 0xRRGGBB.
void SetFontValue(FontSettings& font, FontValue which, int32_t value);

// One text of a picture with its balloon.
struct TextItem {
  // Layout origin in picture coordinates.
  float x = 0.0f;
  float y = 0.0f;
  // Balloon style: high nibble the shape, low nibble the tail's corner.
  int32_t cartoonIndex = 1;
  std::u16string text;
  FontSettings font;

  friend bool operator==(const TextItem&, const TextItem&) = default;
};

}  // namespace varn::imagedoc
