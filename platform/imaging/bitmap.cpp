#include "platform/imaging/bitmap.h"

#include <QImage>
#include <QTransform>

#include "platform/imaging/bitmap_access.h"

namespace varn::imaging {

namespace {

// 96 dots per inch, so that point sizes of text drawn on any bitmap match.
constexpr int kDotsPerMeter = 3780;

QImage::Format StorageFormat(PixelFormat format) {
  return format == PixelFormat::Format24bppRGB ? QImage::Format_RGB32 : QImage::Format_ARGB32;
}

}  // namespace

struct Bitmap::Impl {
  QImage image;
  PixelFormat format = PixelFormat::Undefined;
  // A failed creation sticks; every call on the bitmap then returns it.
  Status creationStatus = Status::Ok;
  mutable Status lastStatus = Status::Ok;
  bool locked = false;

  Status Report(Status status) const {
    lastStatus = status;
    return status;
  }
};

const std::shared_ptr<Bitmap::Impl>& BitmapAccess::ImplOf(const Bitmap& bitmap) {
  return bitmap.impl_;
}

std::unique_ptr<Bitmap> BitmapAccess::Adopt(QImage&& image, PixelFormat format) {
  auto impl = std::make_shared<Bitmap::Impl>();
  if (image.isNull()) {
    impl->creationStatus = impl->lastStatus = Status::OutOfMemory;
  } else {
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    impl->image = std::move(image);
    impl->format = format;
  }
  return std::unique_ptr<Bitmap>(new Bitmap(std::move(impl)));
}

std::unique_ptr<Bitmap> BitmapAccess::Failed(Status status) {
  auto impl = std::make_shared<Bitmap::Impl>();
  impl->creationStatus = impl->lastStatus = status;
  return std::unique_ptr<Bitmap>(new Bitmap(std::move(impl)));
}

const QImage& ImageOf(const Bitmap::Impl& impl) { return impl.image; }

QImage& MutableImageOf(Bitmap::Impl& impl) {
  impl.image.detach();
  return impl.image;
}

PixelFormat FormatOf(const Bitmap::Impl& impl) { return impl.format; }
Status CreationStatusOf(const Bitmap::Impl& impl) { return impl.creationStatus; }
bool IsLocked(const Bitmap::Impl& impl) { return impl.locked; }
void SetLocked(Bitmap::Impl& impl, bool locked) { impl.locked = locked; }
Status Report(const Bitmap::Impl& impl, Status status) { return impl.Report(status); }

void ForceOpaque(Bitmap::Impl& impl) {
  if (impl.format != PixelFormat::Format24bppRGB || impl.image.isNull()) return;
  QImage& image = MutableImageOf(impl);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) row[x] |= 0xFF000000u;
  }
}

QImage ToStorageFormat(const QImage& image, PixelFormat format) {
  if (format == PixelFormat::Format24bppRGB && image.hasAlphaChannel() &&
      image.format() != QImage::Format_ARGB32) {
    // Through unpremultiplied values, so that dropping alpha keeps the
    // colour channels as they are instead of darkening them.
    return image.convertToFormat(QImage::Format_ARGB32).convertToFormat(QImage::Format_RGB32);
  }
  return image.convertToFormat(StorageFormat(format));
}

PixelFormat NaturalFormatOf(const QImage& image) {
  return image.hasAlphaChannel() ? PixelFormat::Format32bppARGB : PixelFormat::Format24bppRGB;
}

Bitmap::Bitmap(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

Bitmap::Bitmap(int32_t width, int32_t height, PixelFormat format, BitmapFill fill)
    : impl_(std::make_shared<Impl>()) {
  Status status = Status::Ok;
  if (width <= 0 || height <= 0 || !IsSupportedPixelFormat(format)) {
    status = Status::InvalidParameter;
  } else if (int64_t{width} * height > kMaxBitmapPixels) {
    status = Status::OutOfMemory;
  } else {
    QImage image(width, height, StorageFormat(format));
    if (image.isNull()) {
      status = Status::OutOfMemory;
    } else {
      if (fill == BitmapFill::Cleared) {
        image.fill(format == PixelFormat::Format24bppRGB ? kOpaqueBlack : kTransparent);
      }
      image.setDotsPerMeterX(kDotsPerMeter);
      image.setDotsPerMeterY(kDotsPerMeter);
      impl_->image = std::move(image);
      impl_->format = format;
    }
  }
  impl_->creationStatus = impl_->lastStatus = status;
}

Bitmap::~Bitmap() = default;
Bitmap::Bitmap(Bitmap&&) noexcept = default;
Bitmap& Bitmap::operator=(Bitmap&&) noexcept = default;

std::unique_ptr<Bitmap> Bitmap::Clone() const {
  if (!impl_) return BitmapAccess::Failed(Status::InvalidParameter);
  if (impl_->creationStatus != Status::Ok) return BitmapAccess::Failed(impl_->creationStatus);
  // Shares the pixels; whichever side writes first detaches. Rows locked for
  // writing are being changed through raw pointers, so those are copied.
  QImage shared = impl_->locked ? impl_->image.copy() : impl_->image;
  impl_->Report(Status::Ok);
  return BitmapAccess::Adopt(std::move(shared), impl_->format);
}

std::unique_ptr<Bitmap> Bitmap::Clone(const Rect& area, PixelFormat format) const {
  if (!impl_) return BitmapAccess::Failed(Status::InvalidParameter);
  if (impl_->creationStatus != Status::Ok) return BitmapAccess::Failed(impl_->creationStatus);
  const QImage& image = impl_->image;
  if (!IsSupportedPixelFormat(format) || area.IsEmptyArea() || area.X < 0 || area.Y < 0 ||
      area.Right() > image.width() || area.Bottom() > image.height()) {
    impl_->Report(Status::InvalidParameter);
    return BitmapAccess::Failed(Status::InvalidParameter);
  }
  QImage copy = image.copy(area.X, area.Y, area.Width, area.Height);
  if (copy.isNull()) {
    impl_->Report(Status::OutOfMemory);
    return BitmapAccess::Failed(Status::OutOfMemory);
  }
  impl_->Report(Status::Ok);
  return BitmapAccess::Adopt(ToStorageFormat(copy, format), format);
}

Status Bitmap::GetLastStatus() const {
  return impl_ ? impl_->lastStatus : Status::InvalidParameter;
}

uint32_t Bitmap::GetWidth() const {
  return impl_ && impl_->creationStatus == Status::Ok ? impl_->image.width() : 0;
}

uint32_t Bitmap::GetHeight() const {
  return impl_ && impl_->creationStatus == Status::Ok ? impl_->image.height() : 0;
}

PixelFormat Bitmap::GetPixelFormat() const {
  return impl_ ? impl_->format : PixelFormat::Undefined;
}

Status Bitmap::GetPixel(int32_t x, int32_t y, ARGB* color) const {
  if (!impl_) return Status::InvalidParameter;
  if (impl_->creationStatus != Status::Ok) return impl_->creationStatus;
  const QImage& image = impl_->image;
  if (color == nullptr || x < 0 || y < 0 || x >= image.width() || y >= image.height()) {
    return impl_->Report(Status::InvalidParameter);
  }
  ARGB value = reinterpret_cast<const uint32_t*>(image.constScanLine(y))[x];
  if (impl_->format == PixelFormat::Format24bppRGB) value |= 0xFF000000u;
  *color = value;
  return impl_->Report(Status::Ok);
}

Status Bitmap::SetPixel(int32_t x, int32_t y, ARGB color) {
  if (!impl_) return Status::InvalidParameter;
  if (impl_->creationStatus != Status::Ok) return impl_->creationStatus;
  if (impl_->locked) return impl_->Report(Status::ObjectBusy);
  QImage& image = impl_->image;
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) {
    return impl_->Report(Status::InvalidParameter);
  }
  if (impl_->format == PixelFormat::Format24bppRGB) color |= 0xFF000000u;
  reinterpret_cast<uint32_t*>(MutableImageOf(*impl_).scanLine(y))[x] = color;
  return impl_->Report(Status::Ok);
}

Status Bitmap::RotateFlip(RotateFlipType type) {
  if (!impl_) return Status::InvalidParameter;
  if (impl_->creationStatus != Status::Ok) return impl_->creationStatus;
  // A Graphics painting on the pixels, or a lock, holds on to the buffer
  // that a rotation would replace.
  if (impl_->locked || impl_->image.paintingActive()) return impl_->Report(Status::ObjectBusy);
  const int raw = static_cast<int>(type);
  if (raw < 0 || raw > 7) return impl_->Report(Status::InvalidParameter);
  QImage result = impl_->image;
  if (const int quarter = raw & 3; quarter != 0) {
    result = result.transformed(QTransform().rotate(90.0 * quarter));
  }
  if (raw & 4) result = result.mirrored(true, false);
  result = ToStorageFormat(result, impl_->format);
  if (result.isNull()) return impl_->Report(Status::OutOfMemory);
  result.setDotsPerMeterX(kDotsPerMeter);
  result.setDotsPerMeterY(kDotsPerMeter);
  impl_->image = std::move(result);
  return impl_->Report(Status::Ok);
}

}  // namespace varn::imaging
