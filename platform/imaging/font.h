// Font families and fonts. A family "exists" when the font system knows it
// or when our substitution table maps it to an installed family (the four
// Japanese system families to their metric-compatible IPA fonts, "Verdana" to
// DejaVu Sans). Looking up a family needs StartImaging to have run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/imaging/status.h"

namespace varn::imaging {

// Style bits, combined with |.
enum FontStyle : int32_t {
  FontStyleRegular = 0,
  FontStyleBold = 1,
  FontStyleItalic = 2,
  FontStyleBoldItalic = 3,
  FontStyleUnderline = 4,
  FontStyleStrikeout = 8,
};

enum class Unit : int32_t {
  World = 0,
  Display = 1,
  Pixel = 2,
  Point = 3,
  Inch = 4,
  Document = 5,
  Millimeter = 6,
};

// Largest font size accepted, in pixels; larger sizes give ValueOverflow.
inline constexpr float kMaxFontPixels = 4096.0f;

class FontFamily {
 public:
  // Fails with FontFamilyNotFound when the family does not exist, with
  // GdiplusNotInitialized when no GUI runtime is up.
  explicit FontFamily(std::u16string_view name);

  // The generic sans-serif family, looked up once per process (the first
  // successful lookup is kept). Never null; check its status.
  static const FontFamily* GenericSansSerif();

  Status GetLastStatus() const { return status_; }
  // The name asked for.
  const std::u16string& GetFamilyName() const { return name_; }
  // The installed family that renders it.
  const std::u16string& GetResolvedName() const { return resolved_; }

 private:
  struct GenericTag {};
  explicit FontFamily(GenericTag);

  std::u16string name_;
  std::u16string resolved_;
  Status status_ = Status::Ok;
};

class Font {
 public:
  // Sizes are points at 96 dots per inch (Unit::Point) or pixels
  // (Unit::Pixel). A failed family, a size that is not positive and finite,
  // or another unit gives a failed font.
  Font(const FontFamily& family, float emSize, int32_t style = FontStyleRegular,
       Unit unit = Unit::Point);

  Status GetLastStatus() const { return status_; }
  const std::u16string& GetFamilyName() const { return family_; }
  float GetSize() const { return size_; }
  int32_t GetStyle() const { return style_; }
  Unit GetUnit() const { return unit_; }
  // The size in pixels at 96 dots per inch.
  float GetPixelSize() const;

 private:
  std::u16string family_;
  float size_ = 0;
  int32_t style_ = FontStyleRegular;
  Unit unit_ = Unit::Point;
  Status status_ = Status::Ok;
};

}  // namespace varn::imaging
