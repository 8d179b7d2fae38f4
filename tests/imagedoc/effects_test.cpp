// The whole-picture filters: the worked cases, and the fast row loops held
// against plain per-pixel versions of the same arithmetic on random pictures.
#include "imagedoc/effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/bitmap_data.h"
#include "tests/imagedoc/pixel_rows.h"

namespace varn::imagedoc {
namespace {

using imaging::Bitmap;
using testing::Applied;
using testing::Noise;
using testing::Picture;
using testing::Pixels;

Picture Uniform(int32_t width, int32_t height, uint32_t rgb) {
  return Picture{width, height, Pixels(size_t(width) * height, 0xFF000000u | rgb)};
}

// Smooth gradients with noise, so histograms have tails like a photograph's.
Picture PhotoLike(int32_t width, int32_t height, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int32_t> noise(-40, 40);
  Picture picture{width, height, {}};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      auto channel = [&](int32_t base) {
        return uint32_t(std::clamp(base + noise(random), 0, 255));
      };
      const uint32_t b = channel(30 + 150 * x / width);
      const uint32_t g = channel(60 + 120 * y / height);
      const uint32_t r = channel(220 - 100 * (x + y) / (width + height));
      picture.pixels.push_back(0xFF000000u | r << 16 | g << 8 | b);
    }
  }
  return picture;
}

uint32_t Channel(uint32_t pixel, int32_t channel) { return (pixel >> (8 * channel)) & 0xFF; }

// ----------------------------------------------------- plain per-pixel versions

Picture ReferenceConvolution(const Picture& in, const ConvolutionMatrix& m) {
  Picture out = in;
  if (m.divisor == 0) return out;
  for (int32_t y = 1; y + 1 < in.height; ++y) {
    for (int32_t x = 1; x + 1 < in.width; ++x) {
      uint32_t result = 0xFF000000u;
      for (int32_t c = 0; c < 3; ++c) {
        int64_t sum = 0;
        for (int32_t k = 0; k < 9; ++k) {
          const uint32_t neighbour = in.pixels[(y + k / 3 - 1) * in.width + x + k % 3 - 1];
          sum += int64_t{m.weights[k]} * Channel(neighbour, c);
        }
        const int64_t value = std::clamp<int64_t>(sum / m.divisor + m.offset, 0, 255);
        result |= uint32_t(value) << (8 * c);
      }
      out.pixels[y * in.width + x] = result;
    }
  }
  return out;
}

Picture ReferenceGrayscale(const Picture& in) {
  Picture out = in;
  for (uint32_t& pixel : out.pixels) {
    const long double sum = static_cast<long double>(Channel(pixel, 1)) * 0.587f +
                            static_cast<long double>(Channel(pixel, 0)) * 0.114f +
                            static_cast<long double>(Channel(pixel, 2)) * 0.299f;
    const uint32_t gray = std::min<uint32_t>(static_cast<uint32_t>(sum), 255);
    pixel = 0xFF000000u | gray * 0x010101u;
  }
  return out;
}

// channels lists the channels (0 B, 1 G, 2 R) that share one histogram.
void ReferenceStretch(Picture& picture, const std::vector<int32_t>& channels) {
  std::vector<uint64_t> histogram(256, 0);
  for (uint32_t pixel : picture.pixels) {
    for (int32_t c : channels) ++histogram[Channel(pixel, c)];
  }
  uint64_t total = 0;
  for (uint64_t count : histogram) total += count;
  const double t = 0.005 * double(total);
  int32_t low = 0, high = 255;
  for (int32_t i = 0; i < 256; ++i) {
    uint64_t count = 0;
    for (int32_t k = 0; k <= i; ++k) count += histogram[k];
    if (double(count) < t) low = i;
  }
  for (int32_t j = 255; j >= 0; --j) {
    uint64_t count = 0;
    for (int32_t k = j; k < 256; ++k) count += histogram[k];
    if (double(count) < t) high = j;
  }
  for (uint32_t& pixel : picture.pixels) {
    for (int32_t c : channels) {
      const double v = double((int32_t(Channel(pixel, c)) - low) * 255) / double(high - low);
      const auto mapped = uint32_t(std::clamp<int64_t>(int64_t(v), 0, 255));
      pixel = (pixel & ~(0xFFu << (8 * c))) | mapped << (8 * c);
    }
  }
}

Picture ReferenceAutoLevels(const Picture& in) {
  Picture out = in;
  for (int32_t c = 0; c < 3; ++c) ReferenceStretch(out, {c});
  return out;
}

Picture ReferenceAutoContrast(const Picture& in) {
  Picture out = in;
  ReferenceStretch(out, {0, 1, 2});
  return out;
}

// ------------------------------------------------------------------- the cases

struct NamedMatrix {
  std::string name;
  ConvolutionMatrix matrix;
};

std::vector<NamedMatrix> Matrices() {
  return {
      {"soften", SoftenMatrix()},
      {"sharpen", SharpenMatrix()},
      {"identity", ConvolutionMatrix{}},
      {"negative divisor, offset", {{1, -2, 3, -4, 5, -6, 7, -8, 9}, -3, 17}},
      {"large offset", {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 9, -300}},
      {"asymmetric", {{0, 0, 0, 0, 3, 2, -1, 0, 0}, 5, 0}},
      {"divisor whose 16-bit multiplier is inexact", {{62, 0, 0, 0, 0, 0, 0, 0, 0}, 7, 0}},
      {"weights too large for short sums", {{100000, 0, -7, 0, 3, 0, 0, 0, -99999}, 7, 2}},
      {"extreme weights", {{INT32_MIN, INT32_MAX, 0, 0, 1, 0, 0, 0, 0}, INT32_MIN, 0}},
  };
}

TEST(Convolution, MatchesPlainVersionOnRandomPictures) {
  const std::vector<std::pair<int32_t, int32_t>> sizes = {{3, 3},  {4, 3},  {3, 4},  {9, 5},
                                                          {17, 6}, {33, 3}, {41, 7}, {70, 4}};
  uint32_t seed = 1;
  for (const NamedMatrix& named : Matrices()) {
    for (auto [width, height] : sizes) {
      const Picture in = Noise(width, height, seed++);
      const Picture out =
          Applied(in, [&](Bitmap& bitmap) { EXPECT_TRUE(ApplyConvolution(bitmap, named.matrix)); });
      EXPECT_EQ(out.pixels, ReferenceConvolution(in, named.matrix).pixels)
          << named.name << " " << width << "x" << height;
    }
  }
}

TEST(Convolution, LeavesUniformPicturesUnchanged) {
  for (const ConvolutionMatrix& matrix : {SoftenMatrix(), SharpenMatrix()}) {
    for (uint32_t rgb : {0x000000u, 0xFFFFFFu, 0x123456u, 0x80C040u}) {
      const Picture in = Uniform(37, 6, rgb);
      EXPECT_EQ(Applied(in, [&](Bitmap& b) { ApplyConvolution(b, matrix); }).pixels, in.pixels)
          << std::hex << rgb;
    }
  }
}

TEST(Convolution, KeepsTheBorderAndPicturesBelowThreePixels) {
  for (auto [width, height] :
       std::vector<std::pair<int32_t, int32_t>>{{2, 9}, {9, 2}, {1, 1}, {2, 2}, {40, 30}}) {
    const Picture in = Noise(width, height, 7);
    const Picture out = Applied(in, [](Bitmap& b) { ApplyConvolution(b, SoftenMatrix()); });
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const bool border = x == 0 || y == 0 || x == width - 1 || y == height - 1;
        if (border || width < 3 || height < 3) {
          EXPECT_EQ(out.pixels[y * width + x], in.pixels[y * width + x]) << x << "," << y;
        }
      }
    }
  }
}

TEST(Convolution, SharpenOfOneBrightPixelClampsBothWays) {
  Picture in = Uniform(5, 5, 0);
  in.pixels[2 * 5 + 2] = 0xFFC8C8C8;  // 200 in every channel
  const Picture out = Applied(in, [](Bitmap& b) { ApplyConvolution(b, SharpenMatrix()); });
  EXPECT_EQ(out.pixels[2 * 5 + 2], 0xFFFFFFFFu);  // 200 x 8 / 4 = 400
  for (int32_t at : {1 * 5 + 2, 3 * 5 + 2, 2 * 5 + 1, 2 * 5 + 3}) {
    EXPECT_EQ(out.pixels[at], 0xFF000000u) << at;  // -200 / 4 = -50
  }
}

TEST(Convolution, DivisorZeroLeavesThePicture) {
  const Picture in = Noise(8, 8, 3);
  ConvolutionMatrix matrix = SoftenMatrix();
  matrix.divisor = 0;
  const Picture out = Applied(in, [&](Bitmap& b) { EXPECT_FALSE(ApplyConvolution(b, matrix)); });
  EXPECT_EQ(out.pixels, in.pixels);
}

TEST(Grayscale, PrimariesAndExtremes) {
  const std::vector<std::pair<uint32_t, uint32_t>> cases = {
      {0xFF0000, 76}, {0x00FF00, 149}, {0x0000FF, 29}, {0xFFFFFF, 255}, {0x000000, 0}};
  for (auto [rgb, gray] : cases) {
    const Picture out = Applied(Uniform(3, 2, rgb), ApplyGrayscale);
    EXPECT_EQ(out.pixels[0], 0xFF000000u | gray * 0x010101u) << std::hex << rgb;
  }
}

// The fast form was checked once against the extended-precision sum over all
// 2^24 colours; random pictures keep the row loop and its tail honest.
TEST(Grayscale, MatchesExtendedPrecisionOnRandomPictures) {
  for (auto [width, height] : std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {31, 3}, {67, 40}}) {
    const Picture in = Noise(width, height, uint32_t(width));
    EXPECT_EQ(Applied(in, ApplyGrayscale).pixels, ReferenceGrayscale(in).pixels) << width;
  }
}

TEST(AutoLevels, StretchesTwoRedValuesByTheirTails) {
  Picture in = Uniform(10, 10, 0x320000);                          // red 50
  std::fill(in.pixels.begin() + 50, in.pixels.end(), 0xFFC80000);  // red 200
  const Picture out = Applied(in, ApplyAutoLevels);
  EXPECT_EQ(out.pixels.front(), 0xFF010000u);  // low 49, high 201: 255 / 152
  EXPECT_EQ(out.pixels.back(), 0xFFFD0000u);   // 151 x 255 / 152
}

TEST(AutoLevels, UniformPicturesGoToMiddleUnlessBlackOrWhite) {
  const std::vector<std::pair<uint32_t, uint32_t>> cases = {{0, 0},     {1, 127},   {50, 127},
                                                            {128, 127}, {254, 127}, {255, 255}};
  for (auto effect : {ApplyAutoLevels, ApplyAutoContrast}) {
    for (auto [value, expected] : cases) {
      const Picture out = Applied(Uniform(6, 4, value * 0x010101u), effect);
      EXPECT_EQ(out.pixels[0], 0xFF000000u | expected * 0x010101u) << value;
    }
  }
}

// Photo-like pictures of odd sizes, and pictures with one row of every value
// in every channel (so each stretch is checked over all 256 inputs) whose
// other rows fall in a band that sets the stretch's ends.
TEST(AutoLevels, MatchesPlainVersions) {
  std::vector<Picture> pictures = {PhotoLike(1, 1, 1), PhotoLike(3, 3, 2), PhotoLike(101, 67, 3)};
  const std::vector<std::pair<uint32_t, uint32_t>> bands = {
      {0, 255}, {0, 0}, {255, 255}, {17, 18}, {40, 200}, {1, 254}, {100, 101}, {3, 250}};
  std::mt19937 random(9);
  for (auto [low, high] : bands) {
    Picture& in = pictures.emplace_back(Picture{256, 40, {}});
    for (uint32_t v = 0; v < 256; ++v) in.pixels.push_back(0xFF000000u | v * 0x010101u);
    std::uniform_int_distribution<uint32_t> band{low, high};
    while (in.pixels.size() < 256 * 40) {
      in.pixels.push_back(0xFF000000u | band(random) << 16 | band(random) << 8 | band(random));
    }
  }
  for (size_t i = 0; i < pictures.size(); ++i) {
    const Picture& in = pictures[i];
    EXPECT_EQ(Applied(in, ApplyAutoLevels).pixels, ReferenceAutoLevels(in).pixels) << i;
    EXPECT_EQ(Applied(in, ApplyAutoContrast).pixels, ReferenceAutoContrast(in).pixels) << i;
  }
}

TEST(AutoContrast, KeepsTheColourBalance) {
  // Blue runs 0..99 and red 50..149: one stretch maps equal values of both
  // alike, keeps red above blue and leaves blue short of white, where levels
  // would stretch each channel to its own range.
  Picture in{100, 1, {}};
  for (uint32_t i = 0; i < 100; ++i) in.pixels.push_back(0xFF003200u | (50 + i) << 16 | i);
  const Picture out = Applied(in, ApplyAutoContrast);
  for (size_t i = 0; i < 100; ++i) {
    EXPECT_GT(Channel(out.pixels[i], 2), Channel(out.pixels[i], 0)) << i;
    if (i < 50) {
      EXPECT_EQ(Channel(out.pixels[i], 2), Channel(out.pixels[i + 50], 0)) << i;
    }
  }
  // Contrast: low 0, high 149 for all; levels: blue alone has high 100.
  EXPECT_EQ(Channel(out.pixels[99], 0), 169u);
  EXPECT_EQ(Channel(Applied(in, ApplyAutoLevels).pixels[99], 0), 252u);
}

TEST(ApplyEffect, RunsTheCodedEffectAndSkipsOthers) {
  const Picture in = PhotoLike(23, 9, 5);
  const std::vector<std::pair<int32_t, Picture>> cases = {
      {kEffectSoften, ReferenceConvolution(in, SoftenMatrix())},
      {kEffectSharpen, ReferenceConvolution(in, SharpenMatrix())},
      {kEffectGrayscale, ReferenceGrayscale(in)},
      {kEffectAutoLevels, ReferenceAutoLevels(in)},
      {kEffectAutoContrast, ReferenceAutoContrast(in)},
      {-1, in},
      {5, in},
  };
  for (const auto& [code, expected] : cases) {
    EXPECT_EQ(Applied(in, [&](Bitmap& b) { ApplyEffect(b, code); }).pixels, expected.pixels)
        << code;
  }
}

}  // namespace
}  // namespace varn::imagedoc
