// Feeds arbitrary bytes to the picture decoders as members' files reach them:
// the header check of EncodedPicture, its upright decode, and the drawing
// board's decode as stored. Whatever is accepted must keep the sizes the
// header promised; anything else must be refused without a crash or an
// allocation beyond the limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/encoded_picture.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Larger pictures are only checked by their header; decoding them would slow
// the fuzzer down without reaching other code.
constexpr int64_t kMaxDecodedPixels = int64_t{1024} * 1024;

// A decoded bitmap is either failed and empty, or of the size given.
bool CheckDecoded(const varn::imaging::Bitmap& bitmap, uint32_t width, uint32_t height) {
  using namespace varn::imaging;
  if (bitmap.GetLastStatus() != Status::Ok) {
    Check(bitmap.GetWidth() == 0 && bitmap.GetHeight() == 0);
    return false;
  }
  Check(bitmap.GetWidth() == width && bitmap.GetHeight() == height);
  const PixelFormat format = bitmap.GetPixelFormat();
  Check(format == PixelFormat::Format24bppRGB || format == PixelFormat::Format32bppARGB);
  ARGB corner = 0;
  Check(bitmap.GetPixel(static_cast<int32_t>(width - 1), static_cast<int32_t>(height - 1),
                        &corner) == Status::Ok);
  if (format == PixelFormat::Format24bppRGB) Check((corner >> 24) == 0xFF);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace varn::imaging;
  const std::span<const uint8_t> bytes(data, size);
  const EncodedPicture picture =
      EncodedPicture::FromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  if (picture.GetStatus() != Status::Ok) {
    Check(picture.GetWidth() == 0 && picture.GetHeight() == 0 && picture.GetEncodedSize() == 0);
    Check(picture.Decode()->GetLastStatus() == picture.GetStatus());
    return 0;
  }
  const uint32_t width = picture.GetWidth();
  const uint32_t height = picture.GetHeight();
  const int orientation = picture.GetExifOrientation();
  Check(width > 0 && height > 0 && int64_t{width} * height <= kMaxBitmapPixels);
  Check(orientation >= 1 && orientation <= 8);
  Check(picture.GetEncodedSize() == size);
  if (int64_t{width} * height > kMaxDecodedPixels) return 0;

  // Upright pixels have the size the header promised, or none at all.
  if (!CheckDecoded(*picture.Decode(), width, height)) return 0;
  // The same decoder then gives the rows as stored: width and height swap
  // back for the orientations that turn by a quarter.
  const bool turned = orientation >= 5;
  const auto asStored = Bitmap::FromMemory(bytes);
  Check(asStored->GetLastStatus() == Status::Ok);
  CheckDecoded(*asStored, turned ? height : width, turned ? width : height);
  return 0;
}
