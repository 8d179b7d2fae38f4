#include <QImage>
#include <vector>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/bitmap_access.h"
#include "platform/imaging/bitmap_data.h"

namespace varn::imaging {

struct BitmapData::Conversion {
  std::vector<uint32_t> pixels;
};

BitmapData::BitmapData() = default;

BitmapData::~BitmapData() {
  if (IsLocked() && owner_) {
    BitmapAccess::Unlock(*std::static_pointer_cast<Bitmap::Impl>(owner_), *this);
  }
}

namespace {

bool IsValidLockMode(ImageLockMode mode) {
  const int raw = static_cast<int>(mode);
  return raw >= 1 && raw <= 3;
}

bool Writes(ImageLockMode mode) { return (static_cast<int>(mode) & 2) != 0; }

}  // namespace

Status Bitmap::LockBits(const Rect& rect, ImageLockMode mode, PixelFormat format,
                        BitmapData* data) {
  if (!impl_) return Status::InvalidParameter;
  Impl& impl = *impl_;
  if (CreationStatusOf(impl) != Status::Ok) return CreationStatusOf(impl);
  if (data == nullptr || data->IsLocked() || !IsValidLockMode(mode) ||
      !IsSupportedPixelFormat(format)) {
    return Report(impl, Status::InvalidParameter);
  }
  if (IsLocked(impl)) return Report(impl, Status::ObjectBusy);
  const QImage& current = ImageOf(impl);
  if (rect.IsEmptyArea() || rect.X < 0 || rect.Y < 0 || rect.Right() > current.width() ||
      rect.Bottom() > current.height()) {
    return Report(impl, Status::InvalidParameter);
  }

  const bool writable = Writes(mode);
  // Writing detaches the pixels from clones; reading leaves them shared.
  const QImage& image = writable ? MutableImageOf(impl) : current;
  auto* origin = const_cast<uint8_t*>(image.constScanLine(rect.Y)) + size_t{4} * rect.X;
  data->Width = rect.Width;
  data->Height = rect.Height;
  data->Format = format;
  data->writable_ = writable;
  data->owner_ = impl_;
  data->rect_ = rect;

  if (FormatOf(impl) == PixelFormat::Format32bppARGB && format == PixelFormat::Format24bppRGB) {
    // A 24bpp view of a transparent picture is an opaque copy of its rows.
    auto conversion = std::make_unique<BitmapData::Conversion>();
    conversion->pixels.resize(size_t(rect.Width) * rect.Height);
    for (int32_t y = 0; y < rect.Height; ++y) {
      const auto* source = reinterpret_cast<const uint32_t*>(origin + y * image.bytesPerLine());
      uint32_t* target = conversion->pixels.data() + size_t(y) * rect.Width;
      for (int32_t x = 0; x < rect.Width; ++x) target[x] = source[x] | 0xFF000000u;
    }
    data->Stride = rect.Width * 4;
    data->scan0_ = reinterpret_cast<uint8_t*>(conversion->pixels.data());
    data->conversion_ = std::move(conversion);
  } else {
    data->Stride = static_cast<int32_t>(image.bytesPerLine());
    data->scan0_ = origin;
  }
  SetLocked(impl, true);
  return Report(impl, Status::Ok);
}

Status Bitmap::UnlockBits(BitmapData* data) {
  if (!impl_) return Status::InvalidParameter;
  Impl& impl = *impl_;
  if (CreationStatusOf(impl) != Status::Ok) return CreationStatusOf(impl);
  if (data == nullptr || !data->IsLocked() || data->owner_ != impl_ || !IsLocked(impl)) {
    return Report(impl, Status::InvalidParameter);
  }
  return Report(impl, BitmapAccess::Unlock(impl, *data));
}

Status BitmapAccess::Unlock(Bitmap::Impl& impl, BitmapData& data) {
  if (data.writable_) {
    QImage& image = MutableImageOf(impl);
    // The rectangle is copied out: the rows are 32-bit words the compiler
    // must assume may alias its fields, which would keep the loops scalar.
    const Rect rect = data.rect_;
    const bool opaqueFormat = FormatOf(impl) == PixelFormat::Format24bppRGB;
    for (int32_t y = 0; y < rect.Height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(image.scanLine(rect.Y + y)) + rect.X;
      if (data.conversion_) {
        const uint32_t* source = data.conversion_->pixels.data() + size_t(y) * rect.Width;
        for (int32_t x = 0; x < rect.Width; ++x) row[x] = source[x] | 0xFF000000u;
      } else if (opaqueFormat) {
        for (int32_t x = 0; x < rect.Width; ++x) row[x] |= 0xFF000000u;
      }
    }
  }
  data.conversion_.reset();
  data.scan0_ = nullptr;
  data.writable_ = false;
  data.owner_.reset();
  SetLocked(impl, false);
  return Status::Ok;
}

}  // namespace varn::imaging
