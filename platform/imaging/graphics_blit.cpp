// Unscaled drawing of an image at whole-pixel positions, done on the rows
// directly: exact for non-premultiplied pixels (a layer copied onto a
// transparent bitmap keeps every value) and cheaper than Qt's conversions.
#include <QImage>
#include <cmath>

#include "platform/imaging/bitmap_access.h"
#include "platform/imaging/graphics_impl.h"

namespace varn::imaging {

namespace {

uint32_t Channel(uint32_t color, int shift) { return (color >> shift) & 0xFF; }

// Source over an opaque pixel; the result is opaque.
uint32_t OverOpaque(uint32_t source, uint32_t dest) {
  const uint32_t alpha = source >> 24;
  const uint32_t rest = 255 - alpha;
  uint32_t result = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t value =
        (Channel(source, shift) * alpha + Channel(dest, shift) * rest + 127) / 255;
    result |= value << shift;
  }
  return result;
}

// Source over a pixel with its own alpha, both unpremultiplied.
uint32_t OverTransparent(uint32_t source, uint32_t dest) {
  const uint32_t alpha = source >> 24;
  const uint32_t destWeight = ((dest >> 24) * (255 - alpha) + 127) / 255;
  const uint32_t outAlpha = alpha + destWeight;
  if (outAlpha == 0) return 0;
  uint32_t result = outAlpha << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t value =
        (Channel(source, shift) * alpha + Channel(dest, shift) * destWeight + outAlpha / 2) /
        outAlpha;
    result |= value << shift;
  }
  return result;
}

void BlitRow(const uint32_t* source, uint32_t* dest, int count, bool copy, bool opaqueSource,
             bool opaqueDest) {
  for (int x = 0; x < count; ++x) {
    uint32_t pixel = source[x];
    if (opaqueSource) pixel |= 0xFF000000u;
    const uint32_t alpha = pixel >> 24;
    if (copy || alpha == 255) {
      dest[x] = opaqueDest ? (pixel | 0xFF000000u) : pixel;
    } else if (alpha != 0) {
      dest[x] =
          opaqueDest ? OverOpaque(pixel, dest[x] | 0xFF000000u) : OverTransparent(pixel, dest[x]);
    }
  }
}

// Positions beyond this are left to Qt, which clips them.
constexpr double kMaxBlitCoordinate = 1 << 30;

bool IsWhole(double value) {
  return std::isfinite(value) && value == std::floor(value) &&
         std::fabs(value) <= kMaxBlitCoordinate;
}

}  // namespace

bool TryBlit(Graphics::Impl& g, const Bitmap::Impl& source, const QImage& from, const RectF& dest,
             const QRectF& sourceRect) {
  const double left = double{dest.X} + g.translateX;
  const double top = double{dest.Y} + g.translateY;
  if (!IsWhole(left) || !IsWhole(top) || !IsWhole(sourceRect.x()) || !IsWhole(sourceRect.y()) ||
      dest.Width != sourceRect.width() || dest.Height != sourceRect.height() ||
      !QRectF(from.rect()).contains(sourceRect)) {
    return false;
  }
  QImage& target = *g.target;
  // Whole-pixel areas, clipped to the target.
  const QRect wanted(static_cast<int>(left), static_cast<int>(top),
                     static_cast<int>(sourceRect.width()), static_cast<int>(sourceRect.height()));
  const QRect area = wanted.intersected(target.rect());
  if (area.isEmpty()) return true;
  const int sourceX = static_cast<int>(sourceRect.x()) + (area.x() - wanted.x());
  const int sourceY = static_cast<int>(sourceRect.y()) + (area.y() - wanted.y());
  const bool copy = g.compositing == CompositingMode::SourceCopy;
  const bool opaqueSource = FormatOf(source) == PixelFormat::Format24bppRGB;
  const bool opaqueDest = target.format() == QImage::Format_RGB32;
  for (int y = 0; y < area.height(); ++y) {
    const auto* sourceRow =
        reinterpret_cast<const uint32_t*>(from.constScanLine(sourceY + y)) + sourceX;
    auto* destRow = reinterpret_cast<uint32_t*>(target.scanLine(area.y() + y)) + area.x();
    BlitRow(sourceRow, destRow, area.width(), copy, opaqueSource, opaqueDest);
  }
  return true;
}

}  // namespace varn::imaging
