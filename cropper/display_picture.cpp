#include "cropper/display_picture.h"

#include <algorithm>
#include <new>
#include <utility>

#include "platform/imaging/encoded_picture.h"
#include "platform/imaging/graphics.h"

namespace varn::cropper {
namespace {

using imaging::Bitmap;
using imaging::PixelFormat;
using imaging::Status;

constexpr imaging::ARGB kOpaqueWhite = 0xFFFFFFFFu;

}  // namespace

void DrawScaled(Bitmap& target, const Bitmap& source, const imaging::Rect& from) {
  imaging::Graphics graphics(target);
  graphics.Clear(kOpaqueWhite);
  const imaging::Rect whole{0, 0, static_cast<int32_t>(target.GetWidth()),
                            static_cast<int32_t>(target.GetHeight())};
  // The filtered pass blends over the sharp one wherever the picture is
  // partly transparent or the filter reaches past its edge.
  graphics.SetInterpolationMode(imaging::InterpolationMode::NearestNeighbor);
  graphics.DrawImage(source, whole, from.X, from.Y, from.Width, from.Height);
  graphics.SetInterpolationMode(imaging::InterpolationMode::HighQualityBilinear);
  graphics.DrawImage(source, whole, from.X, from.Y, from.Width, from.Height);
}

std::unique_ptr<DisplayPicture> DisplayPicture::FromPicture(const Bitmap& picture) {
  if (picture.GetLastStatus() != Status::Ok) return nullptr;
  const DisplaySize size = FitDisplaySize(picture.GetWidth(), picture.GetHeight());
  if (size.width <= 0 || size.height <= 0) return nullptr;
  Bitmap scaled(size.width, size.height, PixelFormat::Format24bppRGB);
  if (scaled.GetLastStatus() != Status::Ok) return nullptr;
  DrawScaled(scaled, picture,
             imaging::Rect{0, 0, static_cast<int32_t>(picture.GetWidth()),
                           static_cast<int32_t>(picture.GetHeight())});

  imaging::BitmapData data;
  if (scaled.LockBits(imaging::Rect{0, 0, size.width, size.height}, imaging::ImageLockMode::Read,
                      PixelFormat::Format24bppRGB, &data) != Status::Ok) {
    return nullptr;
  }
  std::vector<uint32_t> pixels(static_cast<size_t>(size.width) * static_cast<size_t>(size.height));
  for (int32_t y = 0; y < size.height; ++y) {
    const uint32_t* row = data.ConstRow(y);
    std::copy(row, row + size.width, pixels.begin() + static_cast<ptrdiff_t>(y) * size.width);
  }
  scaled.UnlockBits(&data);
  return std::unique_ptr<DisplayPicture>(new DisplayPicture(size, std::move(pixels)));
}

VarnSurface DisplayPicture::Surface() const {
  // The device context only reads a source surface.
  return VarnSurface{const_cast<uint32_t*>(pixels_.data()), size_.width, size_.height,
                     size_.width * 4};
}

std::unique_ptr<DisplayPicture> LoadDisplayPicture(std::string_view utf8Path) {
  const std::unique_ptr<Bitmap> picture = imaging::DecodeUprightFile(utf8Path);
  return DisplayPicture::FromPicture(*picture);
}

}  // namespace varn::cropper
