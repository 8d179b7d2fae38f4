#include "platform/ui/device_context.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>

#include "platform/ui/rect_ops.h"

namespace varn::ui {
namespace {

constexpr uint32_t kOpaque = 0xFF000000u;
// The height of the system font a fresh context draws with.
constexpr int kDefaultFontPixels = 16;

uint32_t StockColor(StockObject object) {
  switch (object) {
    case WHITE_BRUSH:
    case WHITE_PEN:
      return 0xFFFFFFFFu;
    case LTGRAY_BRUSH:
      return 0xFFC0C0C0u;
    case GRAY_BRUSH:
      return 0xFF808080u;
    case DKGRAY_BRUSH:
      return 0xFF404040u;
    default:
      return 0xFF000000u;
  }
}

uint8_t BlendChannel(uint32_t source, uint32_t target, int shift, uint32_t alpha) {
  const uint32_t s = (source >> shift) & 0xFF;
  const uint32_t t = (target >> shift) & 0xFF;
  return static_cast<uint8_t>((s * alpha + t * (255 - alpha) + 127) / 255);
}

const uint32_t* SourceRow(const VarnSurface& source, int32_t y) {
  return reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(source.pixels) +
                                           static_cast<std::ptrdiff_t>(y) * source.stride);
}

}  // namespace

DeviceContext::DeviceContext(const DrawContext& context) : context_(context) { ResetClip(); }

void DeviceContext::SelectObject(StockObject object) {
  switch (object) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
      brushVisible_ = true;
      brushColor_ = StockColor(object);
      break;
    case NULL_BRUSH:
      brushVisible_ = false;
      break;
    case WHITE_PEN:
    case BLACK_PEN:
      penVisible_ = true;
      penColor_ = StockColor(object);
      break;
    case NULL_PEN:
      penVisible_ = false;
      break;
  }
}

void DeviceContext::IntersectClipRect(const RECT& rect) { clip_ = Intersect(clip_, rect); }

void DeviceContext::ResetClip() {
  const VarnSurface& surface = *context_.surface;
  clip_ = RECT{context_.origin.x, context_.origin.y, context_.origin.x + surface.width,
               context_.origin.y + surface.height};
}

uint32_t* DeviceContext::PixelRow(int32_t clientY) const {
  const VarnSurface& surface = *context_.surface;
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(surface.pixels) +
                                     static_cast<std::ptrdiff_t>(clientY - context_.origin.y) *
                                         surface.stride);
}

RECT DeviceContext::Writable(const RECT& rect) const { return Intersect(rect, clip_); }

void DeviceContext::Fill(const RECT& rect, uint32_t argb) {
  const RECT area = Writable(rect);
  if (IsEmpty(area)) return;
  const int32_t left = area.left - context_.origin.x;
  const int32_t right = area.right - context_.origin.x;
  for (int32_t y = area.top; y < area.bottom; ++y) {
    std::fill(PixelRow(y) + left, PixelRow(y) + right, argb | kOpaque);
  }
}

void DeviceContext::Rectangle(const RECT& rect) {
  if (!penVisible_) {
    if (brushVisible_)
      Fill(RECT{rect.left, rect.top, rect.right - 1, rect.bottom - 1}, brushColor_);
    return;
  }
  if (brushVisible_) {
    Fill(RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, brushColor_);
  }
  Fill(RECT{rect.left, rect.top, rect.right, rect.top + 1}, penColor_);
  Fill(RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, penColor_);
  Fill(RECT{rect.left, rect.top + 1, rect.left + 1, rect.bottom - 1}, penColor_);
  Fill(RECT{rect.right - 1, rect.top + 1, rect.right, rect.bottom - 1}, penColor_);
}

void DeviceContext::FillRect(const RECT& rect, StockObject brush) {
  if (brush == NULL_BRUSH || brush == WHITE_PEN || brush == BLACK_PEN || brush == NULL_PEN) return;
  Fill(rect, StockColor(brush));
}

void DeviceContext::DrawFocusRect(const RECT& rect) {
  // Four edges inverted through a checkerboard anchored at the client origin;
  // the sides leave the corners to the top and bottom edges.
  const RECT edges[] = {
      {rect.left, rect.top, rect.right, rect.top + 1},
      {rect.left, rect.bottom - 1, rect.right, rect.bottom},
      {rect.left, rect.top + 1, rect.left + 1, rect.bottom - 1},
      {rect.right - 1, rect.top + 1, rect.right, rect.bottom - 1},
  };
  if (IsEmpty(rect)) return;
  for (const RECT& edge : edges) {
    const RECT area = Writable(edge);
    if (IsEmpty(area)) continue;
    for (int32_t y = area.top; y < area.bottom; ++y) {
      uint32_t* row = PixelRow(y);
      for (int32_t x = area.left; x < area.right; ++x) {
        uint32_t& pixel = row[x - context_.origin.x];
        if (((x + y) & 1) == 0) pixel = (pixel ^ 0x00FFFFFFu) | kOpaque;
      }
    }
  }
}

void DeviceContext::TextOut(int32_t x, int32_t y, std::u16string_view text) {
  if (text.empty() || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    return;
  }
  VarnSurface& surface = *context_.surface;
  QImage image(reinterpret_cast<uchar*>(surface.pixels), surface.width, surface.height,
               surface.stride, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.translate(-context_.origin.x, -context_.origin.y);
  painter.setClipRect(QRect(clip_.left, clip_.top, Width(clip_), Height(clip_)));
  QFont font(QStringLiteral("sans-serif"));
  font.setPixelSize(kDefaultFontPixels);
  painter.setFont(font);
  const QFontMetrics metrics(font);
  const QString string = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
  const int width = metrics.horizontalAdvance(string);
  int left = x;
  if ((textAlign_ & TA_CENTER) == TA_CENTER) {
    left = x - width / 2;
  } else if ((textAlign_ & TA_CENTER) == TA_RIGHT) {
    left = x - width;
  }
  int baseline = y + metrics.ascent();
  if ((textAlign_ & TA_BASELINE) == TA_BASELINE) {
    baseline = y;
  } else if ((textAlign_ & TA_BASELINE) == TA_BOTTOM) {
    baseline = y - metrics.descent();
  }
  if (backMode_ == OPAQUE) {
    painter.fillRect(QRect(left, baseline - metrics.ascent(), width, metrics.height()),
                     QColor::fromRgb(backColor_ | kOpaque));
  }
  painter.setPen(QColor::fromRgb(textColor_ | kOpaque));
  painter.drawText(QPoint(left, baseline), string);
}

template <class Combine>
void DeviceContext::Transfer(int32_t x, int32_t y, int32_t w, int32_t h, const VarnSurface& source,
                             int32_t sourceX, int32_t sourceY, Combine combine) {
  if (source.pixels == nullptr || source.width <= 0 || source.height <= 0 ||
      int64_t{source.stride} < int64_t{source.width} * 4) {
    return;
  }
  // The block as the source allows it, moved to the target, then clipped there.
  const RECT fromSource = Intersect(RECT{sourceX, sourceY, sourceX + w, sourceY + h},
                                    RECT{0, 0, source.width, source.height});
  const int32_t dx = x - sourceX;
  const int32_t dy = y - sourceY;
  const RECT area = Writable(RECT{fromSource.left + dx, fromSource.top + dy, fromSource.right + dx,
                                  fromSource.bottom + dy});
  if (IsEmpty(area)) return;
  for (int32_t ty = area.top; ty < area.bottom; ++ty) {
    const uint32_t* from = SourceRow(source, ty - dy);
    uint32_t* to = PixelRow(ty);
    for (int32_t tx = area.left; tx < area.right; ++tx) {
      uint32_t& pixel = to[tx - context_.origin.x];
      pixel = combine(from[tx - dx], pixel);
    }
  }
}

void DeviceContext::BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, const VarnSurface& source,
                           int32_t sourceX, int32_t sourceY) {
  Transfer(x, y, w, h, source, sourceX, sourceY,
           [](uint32_t from, uint32_t /*to*/) { return from | kOpaque; });
}

void DeviceContext::AlphaBlend(int32_t x, int32_t y, int32_t w, int32_t h,
                               const VarnSurface& source, int32_t sourceX, int32_t sourceY,
                               uint8_t constantAlpha) {
  const uint32_t alpha = constantAlpha;
  Transfer(x, y, w, h, source, sourceX, sourceY, [alpha](uint32_t from, uint32_t to) {
    return kOpaque | uint32_t{BlendChannel(from, to, 16, alpha)} << 16 |
           uint32_t{BlendChannel(from, to, 8, alpha)} << 8 | BlendChannel(from, to, 0, alpha);
  });
}

}  // namespace varn::ui
