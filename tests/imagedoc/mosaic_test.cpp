// The mosaic's block averaging on a work picture.
#include "imagedoc/mosaic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/bitmap_data.h"
#include "tests/imagedoc/pixel_rows.h"

namespace varn::imagedoc {
namespace {

using imaging::Bitmap;
using testing::Picture;
using testing::Pixels;

// Averages blocks of a width x height picture given as 0xFFRRGGBB rows.
Pixels Averaged(int32_t width, int32_t height, const Pixels& pixels, int32_t blockSize) {
  return testing::Applied(Picture{width, height, pixels},
                          [blockSize](Bitmap& bitmap) { AverageBlocks(bitmap, blockSize); })
      .pixels;
}

// Each block by itself: its pixels summed per channel and divided.
Pixels ReferenceAveraged(int64_t width, int64_t height, const Pixels& pixels, int64_t side) {
  Pixels out = pixels;
  for (int64_t top = 0; top < height; top += side) {
    for (int64_t left = 0; left < width; left += side) {
      const int64_t right = std::min(width, left + side);
      const int64_t bottom = std::min(height, top + side);
      uint64_t sums[3] = {0, 0, 0};
      for (int64_t y = top; y < bottom; ++y) {
        for (int64_t x = left; x < right; ++x) {
          for (int32_t c = 0; c < 3; ++c) sums[c] += (pixels[y * width + x] >> (8 * c)) & 0xFF;
        }
      }
      const auto count = uint64_t((right - left) * (bottom - top));
      uint32_t mean = 0xFF000000u;
      for (int32_t c = 0; c < 3; ++c) mean |= uint32_t(sums[c] / count) << (8 * c);
      for (int64_t y = top; y < bottom; ++y) {
        std::fill(&out[y * width + left], &out[y * width + right], mean);
      }
    }
  }
  return out;
}

TEST(AverageBlocks, CutsTheLastColumnAndRowOfBlocks) {
  // Blue is the column, green the row: a block's means are the middles of
  // its column and row spans, truncated.
  const int32_t width = 12, height = 7;
  Pixels pixels;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) pixels.push_back(0xFFC80000u | y << 8 | x);
  }
  const Pixels out = Averaged(width, height, pixels, 5);
  const uint32_t columnMeans[] = {2, 2, 2, 2, 2, 7, 7, 7, 7, 7, 10, 10};  // 10.5 truncated
  const uint32_t rowMeans[] = {2, 2, 2, 2, 2, 5, 5};                      // 5.5 truncated
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      EXPECT_EQ(out[y * width + x], 0xFFC80000u | rowMeans[y] << 8 | columnMeans[x])
          << x << "," << y;
    }
  }
}

TEST(AverageBlocks, MatchesBlockByBlockMeans) {
  struct Case {
    int32_t width, height, blockSize, side;
  };
  const Case cases[] = {
      {12, 7, 5, 5},     {9, 9, 3, 3},  {13, 11, 4, 4},       {1, 1, 3, 3},
      {12, 7, 100, 100},  // one block: the mean of everything
      {6, 5, 1, 1},       // one pixel a block: unchanged
      {6, 5, 0, 1},      {6, 5, -7, 1}, {6, 5, INT32_MIN, 1}, {7, 3, INT32_MAX, INT32_MAX},
  };
  for (const Case& c : cases) {
    const Pixels pixels =
        testing::Noise(c.width, c.height, uint32_t(c.width) * 31 + uint32_t(c.blockSize)).pixels;
    const Pixels out = Averaged(c.width, c.height, pixels, c.blockSize);
    EXPECT_EQ(out, ReferenceAveraged(c.width, c.height, pixels, c.side))
        << c.width << "x" << c.height << " block " << c.blockSize;
    if (c.side == 1) {
      EXPECT_EQ(out, pixels) << c.blockSize;
    }
  }
}

}  // namespace
}  // namespace varn::imagedoc
