// Frames: rounded picture corners (frame 1), or the picture in a canvas with a
// margin drawn in one of eight styles (frames 2 to 9) and, when the node asks
// for it, the process-wide caption in a band under the picture.
#include "imagedoc/frame.h"

#include <array>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "imagedoc/corner_artwork.h"
#include "imagedoc/decorations.h"
#include "imagedoc/render_pipeline.h"
#include "platform/imaging/brush.h"
#include "platform/imaging/font.h"
#include "platform/imaging/graphics.h"
#include "platform/imaging/pen.h"
#include "platform/imaging/string_format.h"

namespace varn::imagedoc {

using imaging::ARGB;
using imaging::Bitmap;
using imaging::Graphics;
using imaging::Pen;
using imaging::PointF;
using imaging::Rect;
using imaging::SolidBrush;

namespace {

// The caption text and its lock, made on first use.
struct CaptionStore {
  std::mutex lock;
  std::u16string text;
};

CaptionStore& Caption() {
  static CaptionStore store;
  return store;
}

constexpr ARGB kWhite = 0xFFFFFFFFu;
constexpr ARGB kEdgeGray = 0xFFC0C0C0u;
constexpr ARGB kCaptionGray = 0xFF808080u;
constexpr int32_t kCaptionHeight = 30;
constexpr float kCaptionPixels = 10.0f;

// What a margin frame draws besides its background and edge.
enum class Extra {
  None,
  // A gray sheet tilted behind a white card with a thin outline.
  Card,
  // A 5-pixel light border inside the edge.
  Band,
  // Four faint inset rectangles darkening toward the edge.
  Shadow,
  // A gray dot every 5 pixels.
  Dots,
};

struct MarginStyle {
  ARGB background;
  Extra extra;
  // A 1-pixel rectangle along the canvas's edge; 0 for none.
  ARGB edge;
  // Corner artwork on the canvas and on the picture; 0 for none.
  int32_t canvasCorners;
  int32_t pictureCorners;
};

// Frames 2 to 9, in order.
constexpr std::array<MarginStyle, kFrameCount - kFirstMarginFrame> kMarginStyles{{
    {kWhite, Extra::None, kEdgeGray, 0, 0},
    {kWhite, Extra::None, kEdgeGray, kCornerArc, kCornerRound10},
    {0xFF000000u, Extra::None, 0, 0, 0},
    {0xFFE5E5E5u, Extra::None, 0, 0, 0},
    {kWhite, Extra::Card, 0, 0, 0},
    {kWhite, Extra::Band, kEdgeGray, kCornerArcBand, 0},
    {kWhite, Extra::Shadow, 0xFFE9E9E9u, 0, 0},
    {kWhite, Extra::Dots, 0, 0, 0},
}};

// The margins around picture, or the whole canvas when the picture may let
// the background show through; the picture covers the rest.
void FillBackground(Graphics& graphics, ARGB color, int32_t width, int32_t height,
                    const Rect& picture, bool opaquePicture) {
  const SolidBrush brush(color);
  if (!opaquePicture) {
    graphics.FillRectangle(brush, Rect{0, 0, width, height});
    return;
  }
  const int32_t below = picture.Y + picture.Height;
  graphics.FillRectangle(brush, Rect{0, 0, width, picture.Y});
  graphics.FillRectangle(brush, Rect{0, below, width, height - below});
  graphics.FillRectangle(brush, Rect{0, picture.Y, picture.X, picture.Height});
  graphics.FillRectangle(brush, Rect{picture.X + picture.Width, picture.Y,
                                     width - picture.X - picture.Width, picture.Height});
}

// The part of a convex polygon inside rect, by cutting it with each of the
// rectangle's sides in turn.
std::vector<PointF> ClipConvex(std::span<const PointF> polygon, const imaging::RectF& rect) {
  struct Side {
    bool alongX;
    float limit;
    // Whether the points at or above the limit are kept (else those below).
    bool keepAbove;
  };
  const std::array<Side, 4> sides{{{true, rect.X, true},
                                   {true, rect.X + rect.Width, false},
                                   {false, rect.Y, true},
                                   {false, rect.Y + rect.Height, false}}};
  std::vector<PointF> points(polygon.begin(), polygon.end());
  for (const Side& side : sides) {
    const auto value = [&side](const PointF& p) { return side.alongX ? p.X : p.Y; };
    const auto inside = [&side, &value](const PointF& p) {
      return side.keepAbove ? value(p) >= side.limit : value(p) <= side.limit;
    };
    std::vector<PointF> kept;
    for (size_t i = 0; i < points.size(); ++i) {
      const PointF& from = points[i];
      const PointF& to = points[(i + 1) % points.size()];
      if (inside(from)) kept.push_back(from);
      if (inside(from) != inside(to)) {
        const float t = (side.limit - value(from)) / (value(to) - value(from));
        kept.push_back({from.X + t * (to.X - from.X), from.Y + t * (to.Y - from.Y)});
      }
    }
    points = std::move(kept);
  }
  return points;
}

void DrawExtra(Graphics& graphics, Extra extra, int32_t width, int32_t height) {
  const auto fw = static_cast<float>(width);
  const auto fh = static_cast<float>(height);
  switch (extra) {
    case Extra::Card: {
      // The card and its outline cover pixels 5 to W - 6 across and 5 to
      // H - 6 down; the sheet is filled only in the four strips round them,
      // split on pixel edges so that every pixel gets the same coverage as
      // from the whole figure.
      const std::array<PointF, 4> sheet{{{0, 10}, {10, fh - 1}, {fw - 1, fh - 10}, {fw - 10, 0}}};
      const std::array<imaging::RectF, 4> strips{{{-0.5f, -0.5f, fw, 5},
                                                  {-0.5f, fh - 5.5f, fw, 5},
                                                  {-0.5f, 4.5f, 5, fh - 10},
                                                  {fw - 5.5f, 4.5f, 5, fh - 10}}};
      graphics.SetSmoothingMode(imaging::SmoothingMode::AntiAlias);
      for (const imaging::RectF& strip : strips) {
        const std::vector<PointF> piece = ClipConvex(sheet, strip);
        if (piece.size() >= 3) graphics.FillPolygon(SolidBrush(0xFFD3D3D3u), piece);
      }
      graphics.SetSmoothingMode(imaging::SmoothingMode::Default);
      const Rect card{5, 5, width - 11, height - 11};
      graphics.FillRectangle(SolidBrush(kWhite), card);
      graphics.DrawRectangle(Pen(kEdgeGray), card);
      break;
    }
    case Extra::Band: {
      Pen pen(0xFFF2F2F2u, 5.0f);
      pen.SetAlignment(imaging::PenAlignment::Inset);
      graphics.DrawRectangle(pen, Rect{0, 0, width, height});
      break;
    }
    case Extra::Shadow: {
      // Each narrower pass darkens the pixels nearer the edge once more.
      Pen pen(0x04000000u);
      pen.SetAlignment(imaging::PenAlignment::Inset);
      for (const float penWidth : {5.0f, 4.0f, 3.0f, 2.0f}) {
        pen.SetWidth(penWidth);
        graphics.DrawRectangle(pen, Rect{0, 0, width, height});
      }
      break;
    }
    case Extra::None:
    case Extra::Dots:
      break;
  }
}

// Dots at every fifth pixel from (2, 2), outside picture when it is opaque
// (it covers them there).
void DrawDots(Bitmap& canvas, const Rect& picture, bool opaquePicture) {
  const auto width = static_cast<int32_t>(canvas.GetWidth());
  const auto height = static_cast<int32_t>(canvas.GetHeight());
  imaging::BitmapData data;
  if (canvas.LockBits(Rect{0, 0, width, height}, imaging::ImageLockMode::ReadWrite,
                      canvas.GetPixelFormat(), &data) != imaging::Status::Ok) {
    return;
  }
  for (int32_t y = 2; y < height; y += 5) {
    uint32_t* row = data.Row(y);
    if (row == nullptr) break;
    // Dots of this row with from <= x < to.
    const auto dots = [row](int32_t from, int32_t to) {
      for (int32_t x = from <= 2 ? 2 : from + (5 - (from - 2) % 5) % 5; x < to; x += 5) {
        row[x] = kEdgeGray;
      }
    };
    if (opaquePicture && y >= picture.Y && y < picture.Y + picture.Height) {
      dots(0, picture.X);
      dots(picture.X + picture.Width, width);
    } else {
      dots(0, width);
    }
  }
  canvas.UnlockBits(&data);
}

// "Verdana", or the generic sans-serif family where it is missing; looked up
// once, as a lookup costs more than drawing the caption. None while the font
// system is not up.
std::optional<imaging::FontFamily> CaptionFamily() {
  static std::mutex lock;
  static std::optional<imaging::FontFamily> found;
  const std::lock_guard guard(lock);
  if (found) return found;
  imaging::FontFamily verdana(u"Verdana");
  if (verdana.GetLastStatus() == imaging::Status::Ok) {
    found = std::move(verdana);
  } else if (verdana.GetLastStatus() == imaging::Status::FontFamilyNotFound &&
             imaging::FontFamily::GenericSansSerif()->GetLastStatus() == imaging::Status::Ok) {
    found = *imaging::FontFamily::GenericSansSerif();
  }
  return found;
}

void DrawCaption(Graphics& graphics, int32_t width, int32_t height) {
  const std::u16string text = FrameCaptionText();
  if (text.empty()) return;
  const std::optional<imaging::FontFamily> family = CaptionFamily();
  if (!family) return;
  const imaging::Font font(*family, kCaptionPixels, imaging::FontStyleBold, imaging::Unit::Pixel);
  imaging::StringFormat format;
  format.SetAlignment(imaging::StringAlignment::Center);
  format.SetLineAlignment(imaging::StringAlignment::Center);
  // One line centred in the band from the picture's bottom margin down: a
  // layout of no size is a centre point, so a long caption is never wrapped
  // up into the picture.
  const int32_t top = height - kFrameMargin - kCaptionBand;
  const imaging::RectF centre{static_cast<float>(width) / 2,
                              static_cast<float>(top) + kCaptionHeight / 2.0f, 0, 0};
  graphics.DrawString(text, font, centre, &format, SolidBrush(kCaptionGray));
}

}  // namespace

void SetFrameCaptionText(std::u16string_view text) {
  CaptionStore& store = Caption();
  const std::lock_guard lock(store.lock);
  store.text.assign(text);
}

std::u16string FrameCaptionText() {
  CaptionStore& store = Caption();
  const std::lock_guard lock(store.lock);
  return store.text;
}

void DrawFrame(const CHistoryNode& node, std::unique_ptr<Bitmap>& image) {
  if (!IsUsable(image.get())) return;
  const auto pictureWidth = static_cast<int32_t>(image->GetWidth());
  const auto pictureHeight = static_cast<int32_t>(image->GetHeight());
  const int32_t frame = node.frameIndex;
  if (frame == 1) {
    Graphics graphics(*image);
    DrawCorners(graphics, kCornerRound15, Rect{0, 0, pictureWidth, pictureHeight});
    return;
  }
  if (frame < kFirstMarginFrame || frame >= kFrameCount) return;

  const MarginStyle& style = kMarginStyles[static_cast<size_t>(frame - kFirstMarginFrame)];
  const bool caption = node.frameUseUrl != 0;
  constexpr int64_t kMargins = int64_t{2} * kFrameMargin;
  const int64_t width = int64_t{pictureWidth} + kMargins;
  const int64_t height = int64_t{pictureHeight} + kMargins + (caption ? kCaptionBand : 0);
  if (!IsBitmapSize(width, height)) return;
  const auto w = static_cast<int32_t>(width);
  const auto h = static_cast<int32_t>(height);
  auto canvas = std::make_unique<Bitmap>(w, h, image->GetPixelFormat());
  if (!IsUsable(canvas.get())) return;
  const Rect picture{kFrameMargin, kFrameMargin, pictureWidth, pictureHeight};
  const bool opaquePicture = image->GetPixelFormat() == imaging::PixelFormat::Format24bppRGB;

  {
    Graphics graphics(*canvas);
    FillBackground(graphics, style.background, w, h, picture, opaquePicture);
    DrawExtra(graphics, style.extra, w, h);
    if (style.edge != 0) graphics.DrawRectangle(Pen(style.edge), Rect{0, 0, w - 1, h - 1});
    if (style.canvasCorners != 0) {
      DrawCorners(graphics, static_cast<CornerArtwork>(style.canvasCorners), Rect{0, 0, w, h});
    }
  }
  // The dotted frame has neither edge nor corners, so its dots still come
  // straight after the background.
  if (style.extra == Extra::Dots) DrawDots(*canvas, picture, opaquePicture);
  {
    Graphics graphics(*canvas);
    graphics.DrawImage(*image, picture.X, picture.Y);
    if (style.pictureCorners != 0) {
      DrawCorners(graphics, static_cast<CornerArtwork>(style.pictureCorners), picture);
    }
    if (caption) DrawCaption(graphics, w, h);
  }
  image = std::move(canvas);
}

}  // namespace varn::imagedoc
