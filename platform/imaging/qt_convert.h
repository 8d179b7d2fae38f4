// Inside the imaging layer only: pictures decoded through Qt's image readers,
// shared by Bitmap and EncodedPicture so both accept exactly the same files
// under the same limits.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/status.h"

namespace varn::imaging {

enum class DecodeOrientation {
  AsStored,  // the rows as the file stores them (the drawing board's files)
  Upright,   // turned by the EXIF orientation, as the photo was taken
};

struct PictureHeader {
  Status status = Status::Ok;
  // Upright size, swapped for orientations that turn by a quarter.
  uint32_t width = 0;
  uint32_t height = 0;
  int exifOrientation = 1;
};

// What the header alone tells: the format must be PNG, JPEG, GIF or BMP by
// content, the size must be there and within kMaxBitmapPixels.
PictureHeader ReadPictureHeader(std::span<const uint8_t> bytes);

// The whole picture under the header's rules; a failed bitmap when refused.
// Upright decoding also refuses pixels of another size than the header gave,
// since callers lay such pictures out before decoding them.
std::unique_ptr<Bitmap> DecodePicture(std::span<const uint8_t> bytes,
                                      DecodeOrientation orientation);

}  // namespace varn::imaging
