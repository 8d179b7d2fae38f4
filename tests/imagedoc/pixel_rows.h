// Small 24bpp pictures as plain rows of 0xFFRRGGBB, for holding the pixel
// filters against per-pixel versions written out in the tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/bitmap_data.h"

namespace varn::imagedoc::testing {

using Pixels = std::vector<uint32_t>;

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  Pixels pixels;  // 0xFFRRGGBB, rows top down
};

inline std::unique_ptr<imaging::Bitmap> ToBitmap(const Picture& picture) {
  using imaging::PixelFormat;
  auto bitmap =
      std::make_unique<imaging::Bitmap>(picture.width, picture.height, PixelFormat::Format24bppRGB);
  imaging::BitmapData data;
  EXPECT_EQ(bitmap->LockBits(imaging::Rect{0, 0, picture.width, picture.height},
                             imaging::ImageLockMode::Write, PixelFormat::Format24bppRGB, &data),
            imaging::Status::Ok);
  for (int32_t y = 0; y < picture.height; ++y) {
    std::copy_n(picture.pixels.begin() + y * picture.width, picture.width, data.Row(y));
  }
  bitmap->UnlockBits(&data);
  return bitmap;
}

inline Picture FromBitmap(imaging::Bitmap& bitmap) {
  Picture picture{
      static_cast<int32_t>(bitmap.GetWidth()), static_cast<int32_t>(bitmap.GetHeight()), {}};
  imaging::BitmapData data;
  EXPECT_EQ(
      bitmap.LockBits(imaging::Rect{0, 0, picture.width, picture.height},
                      imaging::ImageLockMode::Read, imaging::PixelFormat::Format24bppRGB, &data),
      imaging::Status::Ok);
  for (int32_t y = 0; y < picture.height; ++y) {
    picture.pixels.insert(picture.pixels.end(), data.ConstRow(y), data.ConstRow(y) + picture.width);
  }
  bitmap.UnlockBits(&data);
  return picture;
}

inline Picture Noise(int32_t width, int32_t height, uint32_t seed) {
  std::mt19937 random(seed);
  Picture picture{width, height, {}};
  for (int32_t i = 0; i < width * height; ++i) picture.pixels.push_back(0xFF000000u | random());
  return picture;
}

// The picture after filter has worked on it as a bitmap.
inline Picture Applied(const Picture& picture,
                       const std::function<void(imaging::Bitmap&)>& filter) {
  auto bitmap = ToBitmap(picture);
  filter(*bitmap);
  return FromBitmap(*bitmap);
}

}  // namespace varn::imagedoc::testing
