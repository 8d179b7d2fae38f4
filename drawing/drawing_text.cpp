#include "drawing/drawing_text.h"

#include <functional>
#include <map>

#include "platform/imaging/brush.h"
#include "platform/imaging/pen.h"
#include "platform/imaging/string_format.h"

namespace varn::drawing {

using imaging::Font;
using imaging::FontFamily;
using imaging::RectF;
using imaging::Status;
using imaging::StringAlignment;
using imaging::StringFormat;

namespace {

constexpr size_t kMaxCachedFamilies = 64;

// Asking the font system for a family takes a good part of a millisecond,
// too slow for every text at every repaint, and the installed fonts do not
// change while the module runs. Lookups made without a GUI runtime are not
// kept: they fail for that reason only.
FontFamily LookUpFamily(std::u16string_view name) {
  static std::map<std::u16string, FontFamily, std::less<>> cache;
  if (const auto found = cache.find(name); found != cache.end()) return found->second;
  FontFamily family(name);
  const Status status = family.GetLastStatus();
  if (status == Status::Ok || status == Status::FontFamilyNotFound) {
    if (cache.size() >= kMaxCachedFamilies) cache.clear();
    cache.emplace(std::u16string(name), family);
  }
  return family;
}

// An alignment outside near..far is refused by the format and leaves it near.
StringFormat MakeTextFormat(const DrawingText& text) {
  StringFormat format;
  format.SetAlignment(static_cast<StringAlignment>(text.align));
  return format;
}

// Width and height 0: one line per line break from the origin, never wrapped.
RectF LayoutOrigin(const DrawingText& text) { return RectF{text.x, text.y, 0, 0}; }

}  // namespace

std::optional<Font> MakeTextFont(const DrawingText& text) {
  const float size = static_cast<float>(text.fontSize);
  const FontFamily* sans = FontFamily::GenericSansSerif();
  const FontFamily named = LookUpFamily(text.fontName);
  const FontFamily& family = named.GetLastStatus() == Status::Ok ? named : *sans;
  std::optional<Font> font(std::in_place, family, size, text.style, imaging::Unit::Point);
  if (font->GetLastStatus() != Status::Ok) {
    font.emplace(*sans, size, text.style, imaging::Unit::Point);
  }
  if (font->GetLastStatus() != Status::Ok) return std::nullopt;
  return font;
}

bool MeasureTextObject(imaging::Graphics& graphics, const DrawingText& text, RectF* box) {
  const std::optional<Font> font = MakeTextFont(text);
  if (!font) return false;
  const StringFormat format = MakeTextFormat(text);
  RectF measured;
  if (graphics.MeasureString(text.text, *font, LayoutOrigin(text), &format, &measured) !=
      Status::Ok) {
    return false;
  }
  *box = measured;
  return true;
}

void DrawTextObject(imaging::Graphics& graphics, const DrawingText& text, TextFrame frame) {
  const std::optional<Font> font = MakeTextFont(text);
  if (!font) return;
  const StringFormat format = MakeTextFormat(text);
  if (frame == TextFrame::Dashed) {
    RectF box;
    if (graphics.MeasureString(text.text, *font, LayoutOrigin(text), &format, &box) == Status::Ok) {
      imaging::Pen pen(kTextFrameColor, 1.0f);
      pen.SetDashStyle(imaging::DashStyle::Dash);
      graphics.DrawRectangle(pen, box);
    }
  }
  const imaging::SolidBrush brush(static_cast<uint32_t>(text.colour) | imaging::kOpaqueBlack);
  graphics.DrawString(text.text, *font, LayoutOrigin(text), &format, brush);
}

}  // namespace varn::drawing
