// Inside the imaging layer only: the state behind a Graphics, shared by the
// files that implement its groups of calls. Qt types are only named here.
#pragma once

#include <memory>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/graphics.h"

class QImage;
class QPainter;
class QPen;
class QBrush;
class QFont;
class QPointF;
class QRectF;

namespace varn::imaging {

// What a drawing call paints: figures take the pixel-centre offset that
// anti-aliasing needs, images and text do not.
enum class DrawKind { Figure, ImageOrText };

struct Graphics::Impl {
  Impl();
  ~Impl();

  Status creationStatus = Status::Ok;
  Status lastStatus = Status::Ok;
  // Keeps the target bitmap's pixels alive for as long as the painter runs.
  std::shared_ptr<Bitmap::Impl> bitmap;
  // The caller's surface rows, wrapped without copying.
  std::unique_ptr<QImage> surface;
  QImage* target = nullptr;
  std::unique_ptr<QPainter> painter;
  // A 24bpp bitmap gets its alpha restored once painting is over, when a
  // source-copy drawing may have written other alpha values into it.
  bool opaqueTarget = false;
  bool alphaWritten = false;

  InterpolationMode interpolation = InterpolationMode::Bilinear;
  SmoothingMode smoothing = SmoothingMode::None;
  CompositingMode compositing = CompositingMode::SourceOver;
  TextRenderingHint textHint = TextRenderingHint::SystemDefault;
  float translateX = 0;
  float translateY = 0;

  // The failed status of creation, or Ok when calls may proceed.
  Status Check() const { return creationStatus; }
  Status Report(Status status) {
    lastStatus = status;
    return status;
  }
  bool AntiAlias() const {
    return smoothing == SmoothingMode::AntiAlias || smoothing == SmoothingMode::HighQuality;
  }
  // Sets the painter's transform, hints and composition for one call.
  void Prepare(DrawKind kind);
  // The offset that figures are drawn with, added to the translation.
  float FigureOffset() const;
};

// Conversions of the layer's plain values into Qt's.
QPen ToQPen(const Pen& pen, const Graphics::Impl& graphics);
QBrush ToQBrush(const Brush& brush);
QFont ToQFont(const Font& font, TextRenderingHint hint);
// Brushes with a pattern are anchored to the surface, not to the transform.
void AnchorBrush(const Brush& brush, Graphics::Impl& graphics);

// Draws from (pixels of source) unscaled on the target's rows when the
// placement is in whole pixels; false when the call needs Qt's painter.
bool TryBlit(Graphics::Impl& graphics, const Bitmap::Impl& source, const QImage& from,
             const RectF& dest, const QRectF& sourceRect);

}  // namespace varn::imaging
