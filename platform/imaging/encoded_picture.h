// A picture file kept as its encoded bytes: a few megabytes for a phone photo
// instead of tens of megabytes of pixels. Size and EXIF orientation come from
// the header alone; pixels are decoded only on request, already turned
// upright, so nothing downstream ever sees a sideways photo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/status.h"

namespace varn::imaging {

class EncodedPicture {
 public:
  EncodedPicture();  // failed (Status::InvalidParameter), size 0
  // Reads a regular file of at most kMaxEncodedBytes; a directory, device or FIFO fails
  // without blocking. Failures: FileNotFound (missing), Win32Error (unreadable, not a
  // regular file), UnknownImageFormat (not JPEG/PNG/GIF/BMP, or no size in its header),
  // OutOfMemory (more than kMaxBitmapPixels or kMaxEncodedBytes), InvalidParameter (a
  // path holding a zero byte).
  static EncodedPicture FromFile(std::string_view utf8Path);
  static EncodedPicture FromBytes(std::vector<uint8_t> bytes);

  Status GetStatus() const;
  // Upright size: width and height swapped for EXIF orientations 5 to 8. 0 when failed.
  uint32_t GetWidth() const;
  uint32_t GetHeight() const;
  int GetExifOrientation() const;  // 1 to 8; 1 when the file has none
  size_t GetEncodedSize() const;
  // Full-size upright pixels (24bpp, or 32bpp ARGB for pictures with alpha), decoded
  // now; a failed bitmap when decoding fails. Never null.
  std::unique_ptr<Bitmap> Decode() const;

 private:
  // Copies of a picture share its bytes, which never change.
  std::shared_ptr<const std::vector<uint8_t>> bytes_;
  Status status_ = Status::InvalidParameter;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  int exifOrientation_ = 1;
};

// Bitmap::FromFile's rules, regular files only, turned upright by EXIF orientation.
std::unique_ptr<Bitmap> DecodeUprightFile(std::string_view utf8Path);

}  // namespace varn::imaging
