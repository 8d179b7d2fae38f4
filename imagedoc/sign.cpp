// Drawing the signature or stamp. The signature file is read on every
// rendering, so a changed file shows at once; nothing of it is kept.
#include "imagedoc/sign.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "imagedoc/decorations.h"
#include "imagedoc/render_pipeline.h"
#include "imagedoc/text_items.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/brush.h"
#include "platform/imaging/encoded_picture.h"
#include "platform/imaging/pen.h"
#include "platform/system/utf_convert.h"

namespace varn::imagedoc {

using imaging::PointF;
using imaging::RectF;

namespace {

constexpr int32_t kSignatureBox = 100;
constexpr int32_t kInset = 10;
constexpr float kStampPenWidth = 3.0f;

enum SignAlign : int32_t {
  kFree = 0,
  kTopRight = 1,
  kBottomRight = 2,
  kTopLeft = 3,
  kBottomLeft = 4
};

// A dragged position can be anything a float holds; far outside any picture
// it is as good as the int limits.
int32_t Truncate(float value) {
  if (std::isnan(value)) return 0;
  return static_cast<int32_t>(std::clamp(value, -1e9f, 1e9f));
}

std::string SignPathUtf8(const CHistoryNode& node) {
  if (!node.signFilePath || node.signFilePath->empty()) return {};
  return system::Utf16ToUtf8(*node.signFilePath);
}

void DrawSignature(CHistoryNode& node, imaging::Bitmap& image) {
  const std::string path = SignPathUtf8(node);
  if (path.empty()) return;
  // Only regular files within the decode limits: a FIFO or device never
  // blocks the rendering.
  const std::unique_ptr<imaging::Bitmap> signature = imaging::DecodeUprightFile(path);
  if (!IsUsable(signature.get())) return;
  const imaging::Size size = FittedSignatureSize(
      {static_cast<int32_t>(signature->GetWidth()), static_cast<int32_t>(signature->GetHeight())});
  const imaging::Point at = PlaceSignature(
      node.signAlign, node.signPosition,
      {static_cast<int32_t>(image.GetWidth()), static_cast<int32_t>(image.GetHeight())}, size);
  imaging::Graphics graphics(image);
  graphics.SetInterpolationMode(imaging::InterpolationMode::Default);
  graphics.DrawImage(*signature, at.X, at.Y, size.Width, size.Height);
}

void DrawStamp(const CHistoryNode& node, imaging::Bitmap& image) {
  if (!node.stampText || node.stampText->empty()) return;
  imaging::Graphics graphics(image);
  graphics.SetSmoothingMode(imaging::SmoothingMode::AntiAlias);
  graphics.SetTextRenderingHint(imaging::TextRenderingHint::AntiAlias);
  const std::optional<StampLayout> layout = LayoutStamp(
      node, graphics,
      {static_cast<int32_t>(image.GetWidth()), static_cast<int32_t>(image.GetHeight())});
  if (!layout) return;
  const imaging::SolidBrush fill(FillColor(node.stampFont));
  const imaging::Pen outline(TextColor(node.stampFont), kStampPenWidth);
  if (node.stampShape == kStampCircle) {
    graphics.FillEllipse(fill, layout->shapeBounds);
    graphics.DrawEllipse(outline, layout->shapeBounds);
  } else if (node.stampShape == kStampBox) {
    const std::vector<PointF> octagon = StampOctagon(layout->textBox);
    graphics.FillPolygon(fill, octagon);
    graphics.DrawPolygon(outline, octagon);
  }
  const imaging::StringFormat format = SettingsFormat(node.stampFont);
  graphics.DrawString(StampLines(*node.stampText), SettingsFont(node.stampFont),
                      RectF{layout->origin.X, layout->origin.Y, 0, 0}, &format,
                      imaging::SolidBrush(TextColor(node.stampFont)));
  graphics.SetTextRenderingHint(imaging::TextRenderingHint::SystemDefault);
}

}  // namespace

imaging::Size FittedSignatureSize(imaging::Size size) {
  if (size.Width <= kSignatureBox && size.Height <= kSignatureBox) return size;
  // In 64 bits: the picture's own size may be near the decode limit.
  if (size.Height < size.Width) {
    return {kSignatureBox, static_cast<int32_t>(int64_t{size.Height} * kSignatureBox / size.Width)};
  }
  return {static_cast<int32_t>(int64_t{size.Width} * kSignatureBox / size.Height), kSignatureBox};
}

imaging::Point PlaceSignature(int32_t align, PointF& position, imaging::Size picture,
                              imaging::Size sign) {
  const int32_t right = picture.Width - sign.Width - kInset;
  const int32_t bottom = picture.Height - sign.Height - kInset;
  switch (align) {
    case kTopRight:
      return {right, kInset};
    case kBottomRight:
      return {right, bottom};
    case kTopLeft:
      return {kInset, kInset};
    case kBottomLeft:
      return {kInset, bottom};
    case kFree:
      break;
    default:
      return {Truncate(position.X), Truncate(position.Y)};
  }
  imaging::Point at{Truncate(position.X), Truncate(position.Y)};
  // Dragged past an edge, it snaps back inside and stays there.
  if (at.X < 0) position.X = static_cast<float>(at.X = kInset);
  if (at.Y < 0) position.Y = static_cast<float>(at.Y = kInset);
  if (picture.Width - sign.Width < at.X) position.X = static_cast<float>(at.X = right);
  if (picture.Height - sign.Height < at.Y) position.Y = static_cast<float>(at.Y = bottom);
  return at;
}

std::u16string StampLines(std::u16string_view text) {
  std::u16string lines(text);
  std::replace_if(
      lines.begin(), lines.end(), [](char16_t c) { return c == u' ' || c == u'\u3000'; }, u'\n');
  return lines;
}

StampLayout PlaceStamp(const RectF& measured, PointF origin, int32_t shape, int32_t align,
                       imaging::Size picture) {
  const float diagonal = std::hypot(measured.Width, measured.Height);
  // The circle's margins around the text; the box has none.
  const float mx = shape == kStampCircle ? (diagonal - measured.Width) / 2 : 0.0f;
  const float my = shape == kStampCircle ? (diagonal - measured.Height) / 2 : 0.0f;
  const auto width = static_cast<float>(picture.Width);
  const auto height = static_cast<float>(picture.Height);
  const float toRight = width - measured.Right() - mx - kInset;
  const float toBottom = height - measured.Bottom() - my - kInset;
  const float toLeft = mx + kInset - measured.X;
  const float toTop = my + kInset - measured.Y;
  PointF shift;
  switch (align) {
    case kTopRight:
      shift = {toRight, toTop};
      break;
    case kBottomRight:
      shift = {toRight, toBottom};
      break;
    case kTopLeft:
      shift = {toLeft, toTop};
      break;
    case kBottomLeft:
      shift = {toLeft, toBottom};
      break;
    default:
      break;
  }
  StampLayout layout;
  layout.origin = {origin.X + shift.X, origin.Y + shift.Y};
  layout.textBox = {measured.X + shift.X, measured.Y + shift.Y, measured.Width, measured.Height};
  const RectF& box = layout.textBox;
  if (shape == kStampCircle) {
    layout.shapeBounds = {box.X + box.Width / 2 - diagonal / 2,
                          box.Y + box.Height / 2 - diagonal / 2, diagonal, diagonal};
  } else if (shape == kStampBox) {
    layout.shapeBounds = {box.X - 1, box.Y - 1, box.Width + 2, box.Height + 2};
  } else {
    layout.shapeBounds = box;
  }
  return layout;
}

std::optional<StampLayout> LayoutStamp(const CHistoryNode& node, imaging::Graphics& graphics,
                                       imaging::Size picture) {
  if (!node.stampText || node.stampText->empty()) return std::nullopt;
  const std::optional<RectF> measured =
      MeasureText(graphics, StampLines(*node.stampText), SettingsFont(node.stampFont),
                  SettingsFormat(node.stampFont), node.signPosition);
  if (!measured) return std::nullopt;
  return PlaceStamp(*measured, node.signPosition, node.stampShape, node.signAlign, picture);
}

std::vector<PointF> StampOctagon(const RectF& textBox) {
  const float x = textBox.X;
  const float y = textBox.Y;
  const float r = textBox.Right();
  const float b = textBox.Bottom();
  return {{x + 1, y - 1}, {x - 1, y + 1}, {x - 1, b - 1}, {x + 1, b + 1},
          {r - 1, b + 1}, {r + 1, b - 1}, {r + 1, y + 1}, {r - 1, y - 1}};
}

void DrawSign(CHistoryNode& node, imaging::Bitmap& image) {
  if (node.signKind == kSignPicture) {
    DrawSignature(node, image);
  } else if (node.signKind == kSignStamp) {
    DrawStamp(node, image);
  }
}

std::optional<RectF> FreeSignBounds(const CHistoryNode& node) {
  if (node.signAlign != kFree) return std::nullopt;
  const imaging::Size picture = node.BaseSize();
  if (node.signKind == kSignPicture) {
    const std::string path = SignPathUtf8(node);
    if (path.empty()) return std::nullopt;
    // The header tells the size; the pixels are not needed for a click.
    const imaging::EncodedPicture signature = imaging::EncodedPicture::FromFile(path);
    if (signature.GetStatus() != imaging::Status::Ok) return std::nullopt;
    const imaging::Size size = FittedSignatureSize(
        {static_cast<int32_t>(signature.GetWidth()), static_cast<int32_t>(signature.GetHeight())});
    // Where the next rendering draws it, should the position lie past an edge.
    PointF position = node.signPosition;
    const imaging::Point at = PlaceSignature(kFree, position, picture, size);
    return RectF{static_cast<float>(at.X), static_cast<float>(at.Y), static_cast<float>(size.Width),
                 static_cast<float>(size.Height)};
  }
  if (node.signKind == kSignStamp) {
    imaging::Bitmap scratch(1, 1, imaging::PixelFormat::Format32bppARGB);
    imaging::Graphics graphics(scratch);
    graphics.SetTextRenderingHint(imaging::TextRenderingHint::AntiAlias);
    // The whole circle or box can be grabbed, not only the text inside it.
    const std::optional<StampLayout> layout = LayoutStamp(node, graphics, picture);
    if (layout) return layout->shapeBounds;
  }
  return std::nullopt;
}

}  // namespace varn::imagedoc
