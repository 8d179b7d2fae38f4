#include "cropper/profile_output.h"

#include <unistd.h>

#include <algorithm>

#include "cropper/display_picture.h"
#include "platform/imaging/image_codec.h"
#include "platform/system/unique_fd.h"

namespace varn::cropper {
namespace {

// value * numerator / denominator, all unsigned, truncated.
uint64_t Scale(int64_t value, uint32_t numerator, int32_t denominator) {
  return static_cast<uint64_t>(value) * numerator / static_cast<uint64_t>(denominator);
}

}  // namespace

std::optional<imaging::Rect> SourceRegion(const CropSelection& selection, OutputSource source,
                                          uint32_t pictureWidth, uint32_t pictureHeight,
                                          int32_t clientWidth, int32_t clientHeight) {
  if (clientWidth <= 0 || clientHeight <= 0 || pictureWidth == 0 || pictureHeight == 0) {
    return std::nullopt;
  }
  // A selection kept inside a client area smaller than itself sticks out to
  // the left or the top; negative values must not reach unsigned arithmetic.
  const auto clampX = [&](int64_t x) { return std::clamp<int64_t>(x, 0, clientWidth); };
  const auto clampY = [&](int64_t y) { return std::clamp<int64_t>(y, 0, clientHeight); };
  const RECT& r = selection.rect;
  const int64_t left = clampX(r.left);
  const int64_t right = std::max(left, clampX(r.right));
  const int64_t top = clampY(r.top);
  const int64_t bottom = std::max(top, clampY(r.bottom));
  const int64_t squareTop = clampY(int64_t{r.top} + selection.squareOffset);

  uint64_t x = Scale(left, pictureWidth, clientWidth);
  uint64_t width = Scale(right - left, pictureWidth, clientWidth);
  uint64_t y = 0;
  uint64_t height = 0;
  if (source == OutputSource::kSquare) {
    y = Scale(squareTop, pictureHeight, clientHeight);
    height = width;
  } else {
    y = Scale(top, pictureHeight, clientHeight);
    height = Scale(bottom - top, pictureWidth, clientWidth);
  }
  // Rounding, or a client area of other proportions than the picture, may
  // carry the far edges past the picture: the region moves back, and shrinks
  // only when it is larger than the picture itself.
  width = std::clamp<uint64_t>(width, 1, pictureWidth);
  height = std::clamp<uint64_t>(height, 1, pictureHeight);
  x = std::min<uint64_t>(x, pictureWidth - width);
  y = std::min<uint64_t>(y, pictureHeight - height);
  return imaging::Rect{static_cast<int32_t>(x), static_cast<int32_t>(y),
                       static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

std::unique_ptr<imaging::Bitmap> RenderProfileOutput(const imaging::Bitmap& picture,
                                                     const imaging::Rect& region,
                                                     const ProfileOutput& output) {
  auto image = std::make_unique<imaging::Bitmap>(output.width, output.height,
                                                 imaging::PixelFormat::Format24bppRGB);
  DrawScaled(*image, picture, region);
  return image;
}

std::string ProfileOutputPath(const system::OpenDirectory& directory, const ProfileOutput& output) {
  // The directory's path already ends with "/"; the pages and the site have
  // always been given these paths with a second separator before the name.
  std::string path = directory.Path();
  path += '/';
  path += output.fileName;
  return path;
}

bool WriteProfileOutput(const system::OpenDirectory& directory, const ProfileOutput& output,
                        const imaging::Bitmap& image, const CLSID& jpegEncoder) {
  const std::string name(output.fileName);
  if (directory.RemoveFile(name) != system::FileError::None) return false;
  system::FileResult<system::UniqueFd> file = directory.CreateFileForWriting(name);
  if (!file) return false;
  const imaging::EncoderParameters params{kProfileJpegQuality};
  if (image.GetLastStatus() == imaging::Status::Ok &&
      image.Save(file.value.Get(), jpegEncoder, &params) == imaging::Status::Ok &&
      ::close(file.value.Release()) == 0) {
    return true;
  }
  directory.RemoveFile(name);
  return false;
}

}  // namespace varn::cropper
