// Measuring and drawing text.
#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QString>
#include <cmath>

#include "platform/imaging/graphics.h"
#include "platform/imaging/graphics_impl.h"
#include "platform/imaging/imaging_startup.h"

namespace varn::imaging {

namespace {

// The longest text laid out in one call, in UTF-16 units.
constexpr size_t kMaxTextLength = 1 << 20;

int AlignmentFlags(const StringFormat* format, const RectF& layout) {
  const StringAlignment horizontal = format ? format->GetAlignment() : StringAlignment::Near;
  const StringAlignment vertical = format ? format->GetLineAlignment() : StringAlignment::Near;
  int flags = Qt::TextDontClip;
  switch (horizontal) {
    case StringAlignment::Center:
      flags |= Qt::AlignHCenter;
      break;
    case StringAlignment::Far:
      flags |= Qt::AlignRight;
      break;
    default:
      flags |= Qt::AlignLeft;
  }
  switch (vertical) {
    case StringAlignment::Center:
      flags |= Qt::AlignVCenter;
      break;
    case StringAlignment::Far:
      flags |= Qt::AlignBottom;
      break;
    default:
      flags |= Qt::AlignTop;
  }
  // A layout of width 0 is an origin: no wrapping.
  if (layout.Width > 0) flags |= Qt::TextWordWrap;
  return flags;
}

bool IsFiniteLayout(const RectF& layout) {
  return std::isfinite(layout.X) && std::isfinite(layout.Y) && std::isfinite(layout.Width) &&
         std::isfinite(layout.Height);
}

QRectF LayoutRect(const RectF& layout) {
  return QRectF(layout.X, layout.Y, std::max(0.0f, layout.Width), std::max(0.0f, layout.Height));
}

QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// Checks shared by measuring and drawing; readies font and transform.
Status BeginText(Graphics::Impl& g, std::u16string_view text, const Font& font, const RectF& layout,
                 const StringFormat* format) {
  if (g.Check() != Status::Ok) return g.Check();
  if (!IsImagingGuiAvailable()) return g.Report(Status::GdiplusNotInitialized);
  if (font.GetLastStatus() != Status::Ok) return g.Report(font.GetLastStatus());
  if (format != nullptr && format->GetLastStatus() != Status::Ok) {
    return g.Report(format->GetLastStatus());
  }
  if (!IsFiniteLayout(layout) || text.size() > kMaxTextLength) {
    return g.Report(Status::InvalidParameter);
  }
  g.Prepare(DrawKind::ImageOrText);
  g.painter->setRenderHint(QPainter::TextAntialiasing,
                           g.textHint != TextRenderingHint::SingleBitPerPixel &&
                               g.textHint != TextRenderingHint::SingleBitPerPixelGridFit);
  g.painter->setFont(ToQFont(font, g.textHint));
  return Status::Ok;
}

}  // namespace

Status Graphics::MeasureString(std::u16string_view text, const Font& font, const RectF& layout,
                               const StringFormat* format, RectF* box) {
  if (impl_->Check() != Status::Ok) return impl_->Check();
  if (box == nullptr) return impl_->Report(Status::InvalidParameter);
  if (const Status status = BeginText(*impl_, text, font, layout, format); status != Status::Ok) {
    return status;
  }
  const QRectF measured = impl_->painter->boundingRect(
      LayoutRect(layout), AlignmentFlags(format, layout), ToQString(text));
  *box = RectF{static_cast<float>(measured.x()), static_cast<float>(measured.y()),
               static_cast<float>(measured.width()), static_cast<float>(measured.height())};
  return impl_->Report(Status::Ok);
}

Status Graphics::DrawString(std::u16string_view text, const Font& font, const RectF& layout,
                            const StringFormat* format, const Brush& brush) {
  if (impl_->Check() != Status::Ok) return impl_->Check();
  if (brush.GetLastStatus() != Status::Ok) return impl_->Report(brush.GetLastStatus());
  if (const Status status = BeginText(*impl_, text, font, layout, format); status != Status::Ok) {
    return status;
  }
  impl_->painter->setPen(QPen(ToQBrush(brush), 0));
  AnchorBrush(brush, *impl_);
  impl_->painter->drawText(LayoutRect(layout), AlignmentFlags(format, layout), ToQString(text));
  return impl_->Report(Status::Ok);
}

}  // namespace varn::imaging
