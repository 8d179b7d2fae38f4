// The fill tool: a 4-connected flood fill of the selected layer, and the
// bitmap fill under it.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/drawing_tools.h"
#include "drawing/tool_pixels.h"
#include "model_test_support.h"

namespace varn::drawing {
namespace {

using imaging::Bitmap;
using imaging::PixelFormat;
using testing::PixelAt;

constexpr uint32_t kRed = 0xFFFF0000;

using FillTool = testing::DocumentTest;

TEST_F(FillTool, FillsTheFourConnectedRegionOpaque) {
  // A closed square ring from (10, 10) to (20, 20) whose corner (20, 20) is
  // missing: the gap is diagonal, which a 4-connected fill does not cross.
  for (int32_t i = 10; i <= 20; ++i) {
    Layer().SetPixel(i, 10, kRed);
    Layer().SetPixel(10, i, kRed);
    if (i < 20) Layer().SetPixel(i, 20, kRed);
    if (i < 20) Layer().SetPixel(20, i, kRed);
  }
  State().colour = 0x00336699;
  FloodFill(State(), PointF{15.9f, 15.2f});
  EXPECT_EQ(PixelAt(Layer(), 11, 11), 0xFF336699u);
  EXPECT_EQ(PixelAt(Layer(), 19, 19), 0xFF336699u);
  EXPECT_EQ(PixelAt(Layer(), 10, 15), kRed);
  EXPECT_EQ(PixelAt(Layer(), 20, 20), 0u);
  EXPECT_EQ(PixelAt(Layer(), 25, 25), 0u);
}

TEST_F(FillTool, ChangesNothingOnTheFillColourOrOutsideTheLayer) {
  Layer().SetPixel(5, 5, 0xFF000000);
  FloodFill(State(), PointF{5, 5});
  EXPECT_EQ(PixelAt(Layer(), 6, 5), 0u);
  FloodFill(State(), PointF{-1, 5});
  FloodFill(State(), PointF{300, 5});
  EXPECT_EQ(PixelAt(Layer(), 0, 5), 0u);
  EXPECT_EQ(PixelAt(Layer(), 299, 5), 0u);
}

TEST_F(FillTool, FollowsTheLayerOffset) {
  State().SelectedLayer().x = 100;
  Layer().SetPixel(0, 0, kRed);
  FloodFill(State(), PointF{99, 0});
  EXPECT_EQ(PixelAt(Layer(), 1, 0), 0u);
  FloodFill(State(), PointF{100, 0});
  EXPECT_EQ(PixelAt(Layer(), 0, 0), 0xFF000000u);
  EXPECT_EQ(PixelAt(Layer(), 1, 0), 0u);
}

TEST_F(FillTool, BitmapFillCoversA1200SquareRegionAndAComb) {
  Bitmap bitmap(1200, 1200, PixelFormat::Format32bppARGB);
  ASSERT_TRUE(FloodFillBitmap(bitmap, 600, 600, kRed));
  EXPECT_EQ(PixelAt(bitmap, 0, 0), kRed);
  EXPECT_EQ(PixelAt(bitmap, 1199, 1199), kRed);
  // Walls open at alternate ends make one long serpentine region.
  Bitmap comb(401, 401, PixelFormat::Format32bppARGB);
  for (int32_t x = 1; x < 401; x += 2) {
    for (int32_t y = 0; y < 400; ++y) comb.SetPixel(x, (x / 2) % 2 == 0 ? y : y + 1, kRed);
  }
  ASSERT_TRUE(FloodFillBitmap(comb, 0, 0, 0xFF00FF00));
  EXPECT_EQ(PixelAt(comb, 400, 0), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(comb, 400, 400), 0xFF00FF00u);
  EXPECT_FALSE(FloodFillBitmap(comb, 0, 0, 0xFF00FF00));
}

// Random pictures of two or three colours, including runs longer than the
// fill's eight-pixel steps, against a plain breadth-first 4-connected fill.
TEST_F(FillTool, BitmapFillMatchesAPlainFillOnRandomPictures) {
  constexpr int32_t kWidth = 53;
  constexpr int32_t kHeight = 37;
  std::mt19937 random(20261208);
  for (int round = 0; round < 60; ++round) {
    const uint32_t colours = round % 2 == 0 ? 2 : 3;
    std::vector<uint32_t> expected(size_t{kWidth} * kHeight);
    Bitmap bitmap(kWidth, kHeight, PixelFormat::Format32bppARGB);
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth;) {
        const auto colour = static_cast<uint32_t>(random() % colours) + 0xFF000001u;
        const int32_t run = static_cast<int32_t>(random() % (round % 3 == 0 ? 20 : 3)) + 1;
        for (int32_t i = 0; i < run && x < kWidth; ++i, ++x) {
          bitmap.SetPixel(x, y, colour);
          expected[size_t{kWidth} * y + x] = colour;
        }
      }
    }
    const auto seedX = static_cast<int32_t>(random() % kWidth);
    const auto seedY = static_cast<int32_t>(random() % kHeight);
    const uint32_t target = expected[size_t{kWidth} * seedY + seedX];
    std::vector<std::pair<int32_t, int32_t>> queue{{seedX, seedY}};
    expected[size_t{kWidth} * seedY + seedX] = kRed;
    for (size_t next = 0; next < queue.size(); ++next) {
      const auto [x, y] = queue[next];
      const std::pair<int32_t, int32_t> neighbours[] = {
          {x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
      for (const auto& [nx, ny] : neighbours) {
        if (nx < 0 || ny < 0 || nx >= kWidth || ny >= kHeight) continue;
        uint32_t& pixel = expected[size_t{kWidth} * ny + nx];
        if (pixel != target) continue;
        pixel = kRed;
        queue.emplace_back(nx, ny);
      }
    }
    ASSERT_TRUE(FloodFillBitmap(bitmap, seedX, seedY, kRed));
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        ASSERT_EQ(PixelAt(bitmap, x, y), expected[size_t{kWidth} * y + x])
            << "round " << round << " at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
}  // namespace varn::drawing
