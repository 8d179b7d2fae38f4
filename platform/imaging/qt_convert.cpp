// Pens, brushes and fonts of the layer as Qt's drawing objects.
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QString>

#include "platform/imaging/graphics_impl.h"

namespace varn::imaging {

namespace {

// The miter limit the platform we stand in for uses, in half pen widths.
constexpr qreal kMiterLimit = 10.0;

Qt::PenCapStyle ToQtCap(LineCap cap) {
  switch (cap) {
    case LineCap::Square:
      return Qt::SquareCap;
    case LineCap::Round:
      return Qt::RoundCap;
    default:
      return Qt::FlatCap;
  }
}

Qt::PenJoinStyle ToQtJoin(LineJoin join) {
  switch (join) {
    case LineJoin::Bevel:
      return Qt::BevelJoin;
    case LineJoin::Round:
      return Qt::RoundJoin;
    case LineJoin::MiterClipped:
      return Qt::SvgMiterJoin;
    default:
      return Qt::MiterJoin;
  }
}

QList<qreal> DashPattern(DashStyle style) {
  switch (style) {
    case DashStyle::Dot:
      return {1, 1};
    case DashStyle::Dash:
      return {3, 1};
    case DashStyle::DashDot:
      return {3, 1, 1, 1};
    case DashStyle::DashDotDot:
      return {3, 1, 1, 1, 1, 1};
    default:
      return {};
  }
}

// The 25 percent hatch: rows 0x88 and 0x22 alternating, leftmost pixel in
// the most significant bit.
QImage HatchTexture(ARGB fore, ARGB back) {
  QImage texture(8, 8, QImage::Format_ARGB32_Premultiplied);
  const QRgb foreground = qPremultiply(fore);
  const QRgb background = qPremultiply(back);
  for (int y = 0; y < 8; ++y) {
    const unsigned bits = (y % 2 == 0) ? 0x88u : 0x22u;
    auto* row = reinterpret_cast<QRgb*>(texture.scanLine(y));
    for (int x = 0; x < 8; ++x) row[x] = (bits & (0x80u >> x)) ? foreground : background;
  }
  return texture;
}

}  // namespace

QBrush ToQBrush(const Brush& brush) {
  if (brush.GetType() == BrushType::HatchFill) {
    return QBrush(HatchTexture(brush.GetForegroundColor(), brush.GetBackgroundColor()));
  }
  return QBrush(QColor::fromRgba(brush.GetForegroundColor()));
}

QPen ToQPen(const Pen& pen, const Graphics::Impl&) {
  const QBrush fill =
      pen.GetBrush() ? ToQBrush(*pen.GetBrush()) : QBrush(QColor::fromRgba(pen.GetColor()));
  QPen result(fill, pen.GetWidth());
  result.setCosmetic(false);
  result.setJoinStyle(ToQtJoin(pen.GetLineJoin()));
  result.setMiterLimit(kMiterLimit);
  if (pen.GetDashStyle() == DashStyle::Solid) {
    // Qt has one cap for both ends; the controls always set them alike.
    result.setCapStyle(ToQtCap(pen.GetStartCap()));
  } else {
    result.setDashPattern(DashPattern(pen.GetDashStyle()));
    result.setCapStyle(pen.GetDashCap() == DashCap::Round ? Qt::RoundCap : Qt::FlatCap);
  }
  return result;
}

void AnchorBrush(const Brush& brush, Graphics::Impl& graphics) {
  if (brush.GetType() != BrushType::HatchFill) return;
  // The texture follows the world transform; shifting its origin back by the
  // whole translation keeps the pattern on the surface's own grid.
  const float offset = graphics.FigureOffset();
  graphics.painter->setBrushOrigin(
      QPointF(-graphics.translateX - offset, -graphics.translateY - offset));
}

QFont ToQFont(const Font& font, TextRenderingHint hint) {
  const std::u16string& family = font.GetFamilyName();
  QFont result(QString(reinterpret_cast<const QChar*>(family.data()),
                       static_cast<qsizetype>(family.size())));
  // Whole pixels, as Qt would round them anyway (10 pt gives 13 px).
  result.setPixelSize(qMax(1, qRound(font.GetPixelSize())));
  const int32_t style = font.GetStyle();
  result.setBold((style & FontStyleBold) != 0);
  result.setItalic((style & FontStyleItalic) != 0);
  result.setUnderline((style & FontStyleUnderline) != 0);
  result.setStrikeOut((style & FontStyleStrikeout) != 0);
  const bool singleBit = hint == TextRenderingHint::SingleBitPerPixel ||
                         hint == TextRenderingHint::SingleBitPerPixelGridFit;
  // Grey-level anti-aliasing only, so pictures do not depend on the display.
  result.setStyleStrategy(
      singleBit ? QFont::NoAntialias
                : QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
  return result;
}

}  // namespace varn::imaging
