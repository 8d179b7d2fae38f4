// Inside the imaging layer only: how the implementation files reach a
// bitmap's pixels. Qt types are only named here, never included.
#pragma once

#include <memory>

#include "platform/imaging/bitmap.h"

class QImage;

namespace varn::imaging {

struct BitmapAccess {
  // Never null for a bitmap that was not moved from.
  static const std::shared_ptr<Bitmap::Impl>& ImplOf(const Bitmap& bitmap);
  // Takes over image, which must already be in the storage format of format
  // (RGB32 for 24bpp, ARGB32 for 32bpp).
  static std::unique_ptr<Bitmap> Adopt(QImage&& image, PixelFormat format);
  static std::unique_ptr<Bitmap> Failed(Status status);
  // Writes back and releases the rows of a lock on impl.
  static Status Unlock(Bitmap::Impl& impl, BitmapData& data);
};

// The pixels of a bitmap impl; Mutable detaches them from any clone.
const QImage& ImageOf(const Bitmap::Impl& impl);
QImage& MutableImageOf(Bitmap::Impl& impl);
PixelFormat FormatOf(const Bitmap::Impl& impl);
Status CreationStatusOf(const Bitmap::Impl& impl);
bool IsLocked(const Bitmap::Impl& impl);
void SetLocked(Bitmap::Impl& impl, bool locked);
// Remembers status as the bitmap's last status and returns it.
Status Report(const Bitmap::Impl& impl, Status status);
// Restores alpha 0xFF over a 24bpp bitmap after something may have written
// other alpha values into it.
void ForceOpaque(Bitmap::Impl& impl);

// Converts any decoded or drawn image into the storage format of format.
QImage ToStorageFormat(const QImage& image, PixelFormat format);
// The format a decoded image keeps: 32bpp when it has an alpha channel.
PixelFormat NaturalFormatOf(const QImage& image);

}  // namespace varn::imaging
