// Graphics creation, modes, transforms, clearing and drawing of images.
#include "platform/imaging/graphics.h"

#include <QImage>
#include <QPainter>
#include <QTransform>
#include <cmath>

#include "platform/imaging/bitmap_access.h"
#include "platform/imaging/graphics_impl.h"

namespace varn::imaging {

namespace {

constexpr int kDotsPerMeter = 3780;

bool IsHighQuality(InterpolationMode mode) {
  return mode == InterpolationMode::HighQuality || mode == InterpolationMode::HighQualityBilinear ||
         mode == InterpolationMode::HighQualityBicubic;
}

bool IsValidSurface(const VarnSurface& surface) {
  return surface.pixels != nullptr && surface.width > 0 && surface.height > 0 &&
         surface.stride % 4 == 0 && int64_t{surface.stride} >= int64_t{surface.width} * 4;
}

bool IsWhole(float value) { return std::isfinite(value) && value == std::floor(value); }

}  // namespace

Graphics::Impl::Impl() = default;

Graphics::Impl::~Impl() {
  if (painter && painter->isActive()) painter->end();
  if (bitmap && opaqueTarget && alphaWritten) ForceOpaque(*bitmap);
}

void Graphics::Impl::Prepare(DrawKind kind) {
  const float offset = kind == DrawKind::Figure ? FigureOffset() : 0.0f;
  painter->setWorldTransform(QTransform::fromTranslate(translateX + offset, translateY + offset));
  if (compositing == CompositingMode::SourceCopy) alphaWritten = true;
  painter->setCompositionMode(compositing == CompositingMode::SourceCopy
                                  ? QPainter::CompositionMode_Source
                                  : QPainter::CompositionMode_SourceOver);
  painter->setRenderHint(QPainter::Antialiasing, kind == DrawKind::Figure && AntiAlias());
}

float Graphics::Impl::FigureOffset() const {
  // Pixel centres sit on whole coordinates in the model the controls were
  // written for, and half-way between them in Qt's.
  return AntiAlias() ? 0.5f : 0.0f;
}

Graphics::Graphics(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Graphics::Graphics(Bitmap& bitmap) : impl_(std::make_unique<Impl>()) {
  const std::shared_ptr<Bitmap::Impl>& target = BitmapAccess::ImplOf(bitmap);
  if (!target) {
    impl_->creationStatus = impl_->lastStatus = Status::InvalidParameter;
    return;
  }
  if (CreationStatusOf(*target) != Status::Ok) {
    impl_->creationStatus = impl_->lastStatus = CreationStatusOf(*target);
    return;
  }
  QImage& image = MutableImageOf(*target);
  if (image.paintingActive()) {
    // Qt lets one painter at a time work on an image.
    impl_->creationStatus = impl_->lastStatus = Status::ObjectBusy;
    return;
  }
  impl_->bitmap = target;
  impl_->target = &image;
  impl_->opaqueTarget = FormatOf(*target) == PixelFormat::Format24bppRGB;
  impl_->painter = std::make_unique<QPainter>();
  if (!impl_->painter->begin(&image)) {
    impl_->painter.reset();
    impl_->creationStatus = impl_->lastStatus = Status::GenericError;
  }
}

Graphics::Graphics(VarnSurface& surface) : impl_(std::make_unique<Impl>()) {
  if (!IsValidSurface(surface)) {
    impl_->creationStatus = impl_->lastStatus = Status::InvalidParameter;
    return;
  }
  // The caller's rows are drawn on in place; the controls draw opaque pixels.
  impl_->surface = std::make_unique<QImage>(reinterpret_cast<uchar*>(surface.pixels), surface.width,
                                            surface.height, surface.stride, QImage::Format_RGB32);
  impl_->surface->setDotsPerMeterX(kDotsPerMeter);
  impl_->surface->setDotsPerMeterY(kDotsPerMeter);
  impl_->target = impl_->surface.get();
  impl_->painter = std::make_unique<QPainter>();
  if (!impl_->painter->begin(impl_->target)) {
    impl_->painter.reset();
    impl_->creationStatus = impl_->lastStatus = Status::GenericError;
  }
}

Graphics::~Graphics() = default;

std::unique_ptr<Graphics> Graphics::FromImage(Bitmap* bitmap) {
  if (bitmap == nullptr) {
    auto impl = std::make_unique<Impl>();
    impl->creationStatus = impl->lastStatus = Status::InvalidParameter;
    return std::unique_ptr<Graphics>(new Graphics(std::move(impl)));
  }
  return std::make_unique<Graphics>(*bitmap);
}

std::unique_ptr<Graphics> Graphics::FromHDC(HDC hdc) {
  if (hdc == nullptr) {
    auto impl = std::make_unique<Impl>();
    impl->creationStatus = impl->lastStatus = Status::InvalidParameter;
    return std::unique_ptr<Graphics>(new Graphics(std::move(impl)));
  }
  return std::make_unique<Graphics>(*static_cast<VarnSurface*>(hdc));
}

Status Graphics::GetLastStatus() const { return impl_->lastStatus; }

Status Graphics::Clear(ARGB color) {
  if (impl_->Check() != Status::Ok) return impl_->Check();
  if (impl_->opaqueTarget) color |= 0xFF000000u;
  impl_->target->fill(color);
  return impl_->Report(Status::Ok);
}

Status Graphics::DrawImage(const Bitmap& image, const RectF& dest, float srcX, float srcY,
                           float srcWidth, float srcHeight) {
  if (impl_->Check() != Status::Ok) return impl_->Check();
  const std::shared_ptr<Bitmap::Impl>& source = BitmapAccess::ImplOf(image);
  if (!source || CreationStatusOf(*source) != Status::Ok) {
    return impl_->Report(Status::InvalidParameter);
  }
  if (!(srcWidth > 0) || !(srcHeight > 0) || !std::isfinite(dest.Width) ||
      !std::isfinite(dest.Height)) {
    return impl_->Report(Status::InvalidParameter);
  }
  if (dest.Width == 0 || dest.Height == 0) return impl_->Report(Status::Ok);

  // Drawing a bitmap onto itself reads from a snapshot.
  const QImage& pixels = ImageOf(*source);
  const QImage snapshot = (&pixels == impl_->target) ? pixels.copy() : QImage();
  const QImage& from = snapshot.isNull() ? pixels : snapshot;

  const QRectF sourceRect(srcX, srcY, srcWidth, srcHeight);
  if (TryBlit(*impl_, *source, from, dest, sourceRect)) return impl_->Report(Status::Ok);
  impl_->Prepare(DrawKind::ImageOrText);
  QPainter& painter = *impl_->painter;
  const bool shrinks = std::fabs(dest.Width) < srcWidth || std::fabs(dest.Height) < srcHeight;
  if (IsHighQuality(impl_->interpolation) && shrinks && dest.Width > 0 && dest.Height > 0) {
    // Prefiltered reduction, fast on RGB32 and premultiplied pixels.
    const QRect area = sourceRect.toAlignedRect().intersected(from.rect());
    if (area.isEmpty()) return impl_->Report(Status::Ok);
    const QImage cut = area == from.rect() ? from : from.copy(area);
    const QImage working = cut.convertToFormat(FormatOf(*source) == PixelFormat::Format24bppRGB
                                                   ? QImage::Format_RGB32
                                                   : QImage::Format_ARGB32_Premultiplied);
    const int width = std::max(1, static_cast<int>(std::lround(dest.Width)));
    const int height = std::max(1, static_cast<int>(std::lround(dest.Height)));
    const QImage reduced =
        working.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (reduced.isNull()) return impl_->Report(Status::OutOfMemory);
    painter.drawImage(QPointF(dest.X, dest.Y), reduced);
    return impl_->Report(Status::Ok);
  }
  const bool nearest = impl_->interpolation == InterpolationMode::NearestNeighbor;
  painter.setRenderHint(QPainter::SmoothPixmapTransform, !nearest);
  const QRectF target(dest.X, dest.Y, dest.Width, dest.Height);
  if (nearest && IsWhole(dest.X) && IsWhole(dest.Y) && sourceRect == QRectF(from.rect())) {
    // An explicit target rectangle keeps nearest-neighbour sampling in phase.
    painter.drawImage(target, from);
  } else {
    painter.drawImage(target, from, sourceRect);
  }
  return impl_->Report(Status::Ok);
}

Status Graphics::DrawImage(const Bitmap& image, const Rect& dest, int32_t srcX, int32_t srcY,
                           int32_t srcWidth, int32_t srcHeight) {
  return DrawImage(image,
                   RectF{static_cast<float>(dest.X), static_cast<float>(dest.Y),
                         static_cast<float>(dest.Width), static_cast<float>(dest.Height)},
                   static_cast<float>(srcX), static_cast<float>(srcY), static_cast<float>(srcWidth),
                   static_cast<float>(srcHeight));
}

Status Graphics::DrawImage(const Bitmap& image, int32_t x, int32_t y, int32_t width,
                           int32_t height) {
  return DrawImage(image, Rect{x, y, width, height}, 0, 0, static_cast<int32_t>(image.GetWidth()),
                   static_cast<int32_t>(image.GetHeight()));
}

Status Graphics::DrawImage(const Bitmap& image, const RectF& dest) {
  return DrawImage(image, dest, 0.0f, 0.0f, static_cast<float>(image.GetWidth()),
                   static_cast<float>(image.GetHeight()));
}

Status Graphics::DrawImage(const Bitmap& image, int32_t x, int32_t y) {
  return DrawImage(image, x, y, static_cast<int32_t>(image.GetWidth()),
                   static_cast<int32_t>(image.GetHeight()));
}

Status Graphics::SetInterpolationMode(InterpolationMode mode) {
  if (impl_->Check() != Status::Ok) return impl_->Check();
  const int raw = static_cast<int>(mode);
  if (raw < 0 || raw > 7) return impl_->Report(Status::InvalidParameter);
  impl_->interpolation = mode;
  return impl_->Report(Status::Ok);
}

InterpolationMode Graphics::GetInterpolationMode() const { return impl_->interpolation; }

Status Graphics::SetSmoothingMode(SmoothingMode mode) {
  if (impl_->Check() != Status::Ok) return impl_->Check();
  const int raw = static_cast<int>(mode);
  if (raw < 0 || raw > 4) return impl_->Report(Status::InvalidParameter);
  impl_->smoothing = mode;
  return impl_->Report(Status::Ok);
}

SmoothingMode Graphics::GetSmoothingMode() const { return impl_->smoothing; }

Status Graphics::SetCompositingMode(CompositingMode mode) {
  if (impl_->Check() != Status::Ok) return impl_->Check();
  if (mode != CompositingMode::SourceOver && mode != CompositingMode::SourceCopy) {
    return impl_->Report(Status::InvalidParameter);
  }
  impl_->compositing = mode;
  return impl_->Report(Status::Ok);
}

CompositingMode Graphics::GetCompositingMode() const { return impl_->compositing; }

Status Graphics::SetTextRenderingHint(TextRenderingHint hint) {
  if (impl_->Check() != Status::Ok) return impl_->Check();
  const int raw = static_cast<int>(hint);
  if (raw < 0 || raw > 5) return impl_->Report(Status::InvalidParameter);
  impl_->textHint = hint;
  return impl_->Report(Status::Ok);
}

TextRenderingHint Graphics::GetTextRenderingHint() const { return impl_->textHint; }

Status Graphics::TranslateTransform(float dx, float dy) {
  if (impl_->Check() != Status::Ok) return impl_->Check();
  if (!std::isfinite(dx) || !std::isfinite(dy)) return impl_->Report(Status::InvalidParameter);
  impl_->translateX += dx;
  impl_->translateY += dy;
  return impl_->Report(Status::Ok);
}

Status Graphics::ResetTransform() {
  if (impl_->Check() != Status::Ok) return impl_->Check();
  impl_->translateX = 0;
  impl_->translateY = 0;
  return impl_->Report(Status::Ok);
}

}  // namespace varn::imaging
