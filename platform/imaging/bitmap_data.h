// The rows of a locked bitmap area. Every pixel is one uint32 0xAARRGGBB,
// whatever the bitmap's format; row 0 is the top row of the locked rectangle
// and element 0 of a row its left column.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/imaging/geometry.h"
#include "platform/imaging/pixel_format.h"
#include "platform/system/check.h"

namespace varn::imaging {

class Bitmap;
struct BitmapAccess;

enum class ImageLockMode : int32_t {
  Read = 1,
  Write = 2,
  ReadWrite = 3,
};

// Unlocks on destruction if still locked, and keeps the locked pixels alive
// until then even when the bitmap goes first.
class BitmapData {
 public:
  BitmapData();
  ~BitmapData();
  BitmapData(const BitmapData&) = delete;
  BitmapData& operator=(const BitmapData&) = delete;

  int32_t Width = 0;
  int32_t Height = 0;
  // Bytes from one row to the next.
  int32_t Stride = 0;
  PixelFormat Format = PixelFormat::Undefined;

  bool IsLocked() const { return scan0_ != nullptr; }
  bool IsWritable() const { return writable_; }

  // Rows for reading; valid for every lock until UnlockBits.
  // Pixel loops call these for every row: the bound is checked in debug builds.
  const uint32_t* ConstRow(int32_t y) const {
    VARN_DCHECK(y >= 0 && y < Height);
    return reinterpret_cast<const uint32_t*>(scan0_ + static_cast<intptr_t>(y) * Stride);
  }
  // Rows for writing; null for a read-only lock, whose rows may be shared
  // with clones of the bitmap and must not change.
  uint32_t* Row(int32_t y) {
    if (!writable_) return nullptr;
    VARN_DCHECK(y >= 0 && y < Height);
    return reinterpret_cast<uint32_t*>(scan0_ + static_cast<intptr_t>(y) * Stride);
  }

 private:
  friend class Bitmap;
  friend struct BitmapAccess;
  struct Conversion;

  uint8_t* scan0_ = nullptr;
  bool writable_ = false;
  // The locked bitmap's pixel store (type-erased).
  std::shared_ptr<void> owner_;
  Rect rect_;
  // Set when the rows are a converted copy of the bitmap's pixels.
  std::unique_ptr<Conversion> conversion_;
};

}  // namespace varn::imaging
