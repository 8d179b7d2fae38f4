// Where a text item lies: the box the platform's string measurement gives
// for its text, font and alignment at its layout origin. Drawing its balloon
// and hit-testing it both start from this box.
#include "imagedoc/decorations.h"
#include "platform/imaging/font.h"
#include "platform/imaging/graphics.h"
#include "platform/imaging/string_format.h"

namespace varn::imagedoc {

std::optional<imaging::RectF> TextItemBounds(const TextItem& item) {
  const imaging::FontFamily family(item.font.name);
  // A family that is not installed is drawn in the generic sans-serif one.
  const imaging::FontFamily* used = family.GetLastStatus() == imaging::Status::Ok
                                        ? &family
                                        : imaging::FontFamily::GenericSansSerif();
  if (used->GetLastStatus() != imaging::Status::Ok) return std::nullopt;
  const imaging::Font font(*used, static_cast<float>(item.font.size), item.font.style,
                           imaging::Unit::Point);
  if (font.GetLastStatus() != imaging::Status::Ok) return std::nullopt;
  imaging::StringFormat format;
  // An alignment outside near, centre and far leaves the format near.
  format.SetAlignment(static_cast<imaging::StringAlignment>(item.font.align));
  // Measuring needs a surface but none of its pixels.
  imaging::Bitmap scratch(1, 1, imaging::PixelFormat::Format24bppRGB);
  imaging::Graphics graphics(scratch);
  imaging::RectF box;
  if (graphics.MeasureString(item.text, font, {item.x, item.y, 0.0f, 0.0f}, &format, &box) !=
      imaging::Status::Ok) {
    return std::nullopt;
  }
  return box;
}

}  // namespace varn::imagedoc
