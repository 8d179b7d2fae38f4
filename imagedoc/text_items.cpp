// Drawing text items: the body and tail of each balloon behind its text, the
// selection's dashed box, and the same measurement for the hit test.
#include "imagedoc/text_items.h"

#include <algorithm>
#include <array>

#include "imagedoc/decorations.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/brush.h"
#include "platform/imaging/pen.h"

namespace varn::imagedoc {

using imaging::PointF;
using imaging::RectF;

namespace {

// The hook of a tail, about 11 pixels wide and 5 high, before it is turned
// toward its corner.
constexpr std::array<PointF, 8> kTailTemplate{
    {{0, 0}, {0, 1}, {2, 3}, {7, 5}, {11, 4}, {8, 3}, {6, 1}, {6, 0}}};

// Balloons stand this far outside the text.
constexpr float kPad = 6.0f;

constexpr imaging::ARGB kSelectionColor = 0xC0000000u;

std::vector<PointF> BodyOutline(int32_t body, const RectF& box) {
  const float x = box.X;
  const float y = box.Y;
  const float r = box.X + box.Width;
  const float b = box.Y + box.Height;
  switch (static_cast<BalloonBody>(body)) {
    case BalloonBody::PlainBox:
      return {{x, y}, {r, y}, {r, b}, {x, b}};
    case BalloonBody::Rectangle:
      return {
          {x - kPad, y - kPad}, {r + kPad, y - kPad}, {r + kPad, b + kPad}, {x - kPad, b + kPad}};
    case BalloonBody::Rounded:
      return {{x, y - 6}, {x - 3, y - 5}, {x - 5, y - 3}, {x - 6, y},
              {x - 6, b}, {x - 5, b + 3}, {x - 3, b + 5}, {x, b + 6},
              {r, b + 6}, {r + 3, b + 5}, {r + 5, b + 3}, {r + 6, b},
              {r + 6, y}, {r + 5, y - 3}, {r + 3, y - 5}, {r, y - 6}};
    case BalloonBody::Concave:
      return {{x + 5, y - 6}, {x + 2, y - 4}, {x + 1, y - 3}, {x, y},         {x - 3, y + 1},
              {x - 4, y + 2}, {x - 6, y + 5}, {x - 6, b - 5}, {x - 4, b - 2}, {x - 3, b - 1},
              {x, b},         {x + 1, b + 3}, {x + 2, b + 4}, {x + 5, b + 6}, {r - 5, b + 6},
              {r - 2, b + 4}, {r - 1, b + 3}, {r, b},         {r + 3, b - 1}, {r + 4, b - 2},
              {r + 6, b - 5}, {r + 6, y + 5}, {r + 4, y + 2}, {r + 3, y + 1}, {r, y},
              {r - 1, y - 3}, {r - 2, y - 4}, {r - 5, y - 6}};
  }
  return {};
}

std::vector<PointF> TailOutline(int32_t corner, const RectF& box) {
  const float r = box.X + box.Width;
  const float b = box.Y + box.Height;
  // Root on the body's edge, tip pointing away from the nearer corner; the
  // right-hand tails mirror the template.
  float rootX = 0;
  float rootY = 0;
  float sx = 1;
  float sy = 1;
  switch (corner) {
    case 0:
      rootX = r - 14, rootY = box.Y - kPad, sx = -1, sy = -1;
      break;
    case 1:
      rootX = r - 14, rootY = b + kPad, sx = -1;
      break;
    case 2:
      rootX = box.X + 10, rootY = box.Y - kPad, sy = -1;
      break;
    case 3:
      rootX = box.X + 10, rootY = b + kPad;
      break;
    default:
      // No corner of that number: the balloon goes without a tail.
      return {};
  }
  std::vector<PointF> points;
  points.reserve(kTailTemplate.size());
  for (const PointF& t : kTailTemplate) points.push_back({rootX + sx * t.X, rootY + sy * t.Y});
  return points;
}

}  // namespace

BalloonShape BalloonGeometry(int32_t cartoonIndex, const RectF& box) {
  const int32_t body = (cartoonIndex >> 4) & 0xF;
  BalloonShape shape;
  shape.body = BodyOutline(body, box);
  if (body != 0) shape.tail = TailOutline(cartoonIndex & 0xF, box);
  return shape;
}

imaging::Font SettingsFont(const FontSettings& settings) {
  const imaging::FontFamily family(settings.name);
  const imaging::FontFamily& use = family.GetLastStatus() == imaging::Status::Ok
                                       ? family
                                       : *imaging::FontFamily::GenericSansSerif();
  return imaging::Font(use, static_cast<float>(settings.size), settings.style,
                       imaging::Unit::Point);
}

imaging::StringFormat SettingsFormat(const FontSettings& settings) {
  imaging::StringFormat format;
  format.SetAlignment(static_cast<imaging::StringAlignment>(settings.align));
  return format;
}

imaging::ARGB TextColor(const FontSettings& settings) {
  return 0xFF000000u | (settings.color & 0xFFFFFFu);
}

imaging::ARGB FillColor(const FontSettings& settings) {
  const auto alpha = static_cast<uint32_t>(std::clamp(settings.transparency, 0, 255));
  return alpha << 24 | (settings.backgroundColor & 0xFFFFFFu);
}

std::optional<RectF> MeasureText(imaging::Graphics& graphics, std::u16string_view text,
                                 const imaging::Font& font, const imaging::StringFormat& format,
                                 PointF origin) {
  RectF box;
  if (graphics.MeasureString(text, font, RectF{origin.X, origin.Y, 0, 0}, &format, &box) !=
      imaging::Status::Ok) {
    return std::nullopt;
  }
  return box;
}

void DrawTextItem(const TextItem& item, imaging::Graphics& graphics, bool selected) {
  const imaging::Font font = SettingsFont(item.font);
  const imaging::StringFormat format = SettingsFormat(item.font);
  const std::optional<RectF> box = MeasureText(graphics, item.text, font, format, {item.x, item.y});
  if (!box) return;
  const imaging::SolidBrush fill(FillColor(item.font));
  const BalloonShape balloon = BalloonGeometry(item.cartoonIndex, *box);
  graphics.SetSmoothingMode(imaging::SmoothingMode::AntiAlias);
  if (!balloon.body.empty()) graphics.FillPolygon(fill, balloon.body);
  if (!balloon.tail.empty()) graphics.FillPolygon(fill, balloon.tail);
  graphics.SetSmoothingMode(imaging::SmoothingMode::None);
  if (selected) {
    // Hugs the text, not the balloon, so it shows what a click can grab.
    imaging::Pen dashed(kSelectionColor, 1.0f);
    dashed.SetDashStyle(imaging::DashStyle::Dash);
    graphics.DrawRectangle(dashed, *box);
  }
  graphics.DrawString(item.text, font, RectF{item.x, item.y, 0, 0}, &format,
                      imaging::SolidBrush(TextColor(item.font)));
}

void DrawTextItems(const CHistoryNode& node, imaging::Bitmap& image, bool showSelection) {
  if (node.textItems.empty()) return;
  imaging::Graphics graphics(image);
  for (size_t i = 0; i < node.textItems.size(); ++i) {
    const bool selected = showSelection && static_cast<int32_t>(i) == node.selectedText;
    DrawTextItem(node.textItems[i], graphics, selected);
  }
}

std::optional<RectF> TextItemBounds(const TextItem& item) {
  // Measured as drawn, on a scratch surface: no picture is at hand here.
  imaging::Bitmap scratch(1, 1, imaging::PixelFormat::Format32bppARGB);
  imaging::Graphics graphics(scratch);
  return MeasureText(graphics, item.text, SettingsFont(item.font), SettingsFormat(item.font),
                     {item.x, item.y});
}

}  // namespace varn::imagedoc
