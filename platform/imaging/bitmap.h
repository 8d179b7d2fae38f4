// A picture in memory: 24bpp RGB or 32bpp non-premultiplied ARGB. Copies made
// by Clone share their pixels until one side writes (a write lock or a
// Graphics on it), so keeping many states of one layer costs nothing until
// they differ; a clone never sees later writes to its original.
//
// A bitmap whose creation failed keeps that status: every later call on it
// does nothing and returns it. Other failures (a pixel outside, a wrong lock)
// are returned and remembered as the last status, and the bitmap stays usable.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <string_view>

#include "platform/com/types.h"
#include "platform/imaging/bitmap_data.h"
#include "platform/imaging/color.h"
#include "platform/imaging/geometry.h"
#include "platform/imaging/image_codec.h"
#include "platform/imaging/pixel_format.h"
#include "platform/imaging/status.h"

namespace varn::imaging {

enum class RotateFlipType : int32_t {
  RotateNoneFlipNone = 0,
  Rotate90FlipNone = 1,
  Rotate180FlipNone = 2,
  Rotate270FlipNone = 3,
  RotateNoneFlipX = 4,
  Rotate90FlipX = 5,
  Rotate180FlipX = 6,
  Rotate270FlipX = 7,
};

// Largest picture created or decoded, in pixels (width times height).
inline constexpr int64_t kMaxBitmapPixels = 100'000'000;
// Largest encoded picture read from a stream or memory, in bytes.
inline constexpr int64_t kMaxEncodedBytes = int64_t{512} * 1024 * 1024;

// Whether a new bitmap's pixels are set before it is handed out.
enum class BitmapFill : int32_t {
  Cleared,
  // Left as the memory held them, for a caller that writes every pixel
  // through a write lock before anything else reads the bitmap; a reader
  // that fills it from a file saves a pass over every pixel.
  Uninitialized,
};

class Bitmap {
 public:
  // An empty picture: transparent black for 32bpp, opaque black for 24bpp
  // (unless fill says Uninitialized). A size of 0 or less fails with
  // InvalidParameter, more than kMaxBitmapPixels (or a failed allocation)
  // with OutOfMemory.
  Bitmap(int32_t width, int32_t height, PixelFormat format, BitmapFill fill = BitmapFill::Cleared);
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  Bitmap(Bitmap&&) noexcept;
  Bitmap& operator=(Bitmap&&) noexcept;

  // Decoders choose the format by content, whatever the file is called:
  // JPEG, GIF (first frame), PNG and BMP. Anything else fails with
  // UnknownImageFormat, a missing file with FileNotFound, a picture of more
  // than kMaxBitmapPixels with OutOfMemory. Pictures with an alpha channel
  // become 32bpp ARGB, the others 24bpp RGB. Never null.
  static std::unique_ptr<Bitmap> FromFile(std::string_view utf8Path);
  static std::unique_ptr<Bitmap> FromStream(std::istream& stream);
  static std::unique_ptr<Bitmap> FromMemory(std::span<const uint8_t> bytes);

  // Exact copies; never null (a failed bitmap gives a failed copy). An area
  // must lie inside the bitmap, else the copy fails with InvalidParameter.
  std::unique_ptr<Bitmap> Clone() const;
  std::unique_ptr<Bitmap> Clone(const Rect& area, PixelFormat format) const;

  Status GetLastStatus() const;
  // 0 for a failed bitmap.
  uint32_t GetWidth() const;
  uint32_t GetHeight() const;
  PixelFormat GetPixelFormat() const;

  // InvalidParameter outside the bitmap (color untouched).
  Status GetPixel(int32_t x, int32_t y, ARGB* color) const;
  Status SetPixel(int32_t x, int32_t y, ARGB color);

  // One lock at a time (ObjectBusy otherwise). The rectangle must lie inside
  // the bitmap. Locking in the bitmap's own format hands out its rows
  // directly; a 32bpp bitmap locked as 24bpp gets an opaque copy that is
  // written back on unlock. Whatever was written, a 24bpp bitmap is opaque
  // again after UnlockBits.
  Status LockBits(const Rect& rect, ImageLockMode mode, PixelFormat format, BitmapData* data);
  Status UnlockBits(BitmapData* data);

  // Clockwise rotation in place; width and height swap for 90 and 270.
  Status RotateFlip(RotateFlipType type);

  // Saves with the encoder of that class identifier (see GetImageEncoders).
  // JPEG takes params->Quality (default 75); a quality above 100 gives
  // InvalidParameter. An encoder this platform cannot write fails with
  // NotImplemented, a file that cannot be written with Win32Error.
  Status Save(std::string_view utf8Path, const CLSID& encoder,
              const EncoderParameters* params = nullptr) const;
  // The same onto a file the caller opened for writing and keeps open.
  Status Save(int fd, const CLSID& encoder, const EncoderParameters* params = nullptr) const;

  struct Impl;

 private:
  friend struct BitmapAccess;
  explicit Bitmap(std::shared_ptr<Impl> impl);

  std::shared_ptr<Impl> impl_;
};

}  // namespace varn::imaging
