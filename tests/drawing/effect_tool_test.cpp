// The effect tool: blur and sharpen squares along the gesture, and the 3 x 3
// filter they run.
#include <gtest/gtest.h>

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

std::vector<PointF> At(float x, float y) { return {PointF{x, y}}; }

using EffectTool = testing::DocumentTest;

TEST_F(EffectTool, BlurSpreadsASinglePixelWithoutBleedingTransparency) {
  // Transparent pixels carry blue that must not reach the result.
  for (int32_t y = 0; y < 20; ++y) {
    for (int32_t x = 0; x < 20; ++x) Layer().SetPixel(x, y, 0x000000FF);
  }
  Layer().SetPixel(10, 10, kRed);
  State().effectWidth = 5;
  ApplyEffect(State(), At(10.7f, 10.2f));
  EXPECT_EQ(PixelAt(Layer(), 10, 10), 0x7FFF0000u);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{9, 9}, {10, 9}, {11, 11}, {9, 11}}) {
    EXPECT_EQ(PixelAt(Layer(), x, y), 0x0FFF0000u) << x << "," << y;
  }
  // Two away from the pixel no block reaches it; the square's edge row is
  // never a block centre.
  EXPECT_EQ(PixelAt(Layer(), 12, 10), 0x000000FFu);
  EXPECT_EQ(PixelAt(Layer(), 8, 8), 0x000000FFu);
}

TEST_F(EffectTool, SquaresOfOnePassReadOneSnapshot) {
  Layer().SetPixel(10, 10, kRed);
  ApplyEffect(State(), std::vector<PointF>{{10, 10}, {10, 10}, {10, 10}});
  EXPECT_EQ(PixelAt(Layer(), 10, 10), 0x7FFF0000u);
  // A second pass reads what the first one left.
  ApplyEffect(State(), At(10, 10));
  EXPECT_LT(PixelAt(Layer(), 10, 10) >> 24, 0x7Fu);
}

TEST_F(EffectTool, HugeWidthsAreLimited) {
  Layer().SetPixel(150, 150, kRed);
  State().effectWidth = 2'000'000'000;
  ApplyEffect(State(), At(10, 10));
  EXPECT_EQ(PixelAt(Layer(), 150, 150), kRed);
  State().effectWidth = kMaxEffectWidth;
  ApplyEffect(State(), At(100, 100));
  EXPECT_EQ(PixelAt(Layer(), 150, 150), 0x7FFF0000u);
  State().effectWidth = -3;
  ApplyEffect(State(), At(150, 150));
  EXPECT_EQ(PixelAt(Layer(), 150, 150), 0x7FFF0000u);
}

TEST_F(EffectTool, NeverWritesPixelsAnOlderStateShares) {
  Layer().SetPixel(10, 10, kRed);
  // A step without a copy, as when the tool becomes the effect mid-gesture.
  CDrawingState& step = DeriveState(State(), LayerCopy::Shared);
  ApplyEffect(step, At(10, 10));
  EXPECT_EQ(PixelAt(*step.SelectedLayer().bitmap, 10, 10), 0x7FFF0000u);
  EXPECT_EQ(PixelAt(*step.previous->SelectedLayer().bitmap, 10, 10), kRed);
}

TEST_F(EffectTool, FollowsTheLayerOffset) {
  State().SelectedLayer().x = -5;
  State().SelectedLayer().y = 3;
  Layer().SetPixel(15, 7, kRed);
  ApplyEffect(State(), At(10, 10));
  EXPECT_EQ(PixelAt(Layer(), 15, 7), 0x7FFF0000u);
}

TEST_F(EffectTool, SharpenClampsAndUnknownTypesChangeNothing) {
  for (int32_t y = 0; y < 9; ++y) {
    for (int32_t x = 0; x < 9; ++x) Layer().SetPixel(x, y, 0xFF808080);
  }
  Layer().SetPixel(4, 4, 0xFFF0F0F0);
  State().effectType = 42;
  ApplyEffect(State(), At(4, 4));
  EXPECT_EQ(PixelAt(Layer(), 4, 4), 0xFFF0F0F0u);
  State().effectType = kEffectSharpen;
  ApplyEffect(State(), At(4, 4));
  // (8 * 240 - 4 * 128) / 4 = 352, limited to 255; (8 * 128 - 3 * 128 - 240) / 4
  // = 100 beside it.
  EXPECT_EQ(PixelAt(Layer(), 4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(PixelAt(Layer(), 4, 3), 0xFF646464u);
  // A uniform area stays as it is.
  EXPECT_EQ(PixelAt(Layer(), 2, 2), 0xFF808080u);
}

TEST_F(EffectTool, Filter3x3CutsTheSquareAtTheBitmapEdges) {
  Bitmap source(6, 6, PixelFormat::Format32bppARGB);
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 6; ++x) source.SetPixel(x, y, kRed);
  }
  Bitmap destination(6, 6, PixelFormat::Format32bppARGB);
  // A square at (-2, -2) of side 5 shrinks to the 3 x 3 in the corner: only
  // its centre is written.
  ApplyFilter3x3(destination, source, KernelForEffect(kEffectBlur), -2, -2, 5);
  EXPECT_EQ(PixelAt(destination, 1, 1), kRed);
  EXPECT_EQ(PixelAt(destination, 0, 0), 0u);
  EXPECT_EQ(PixelAt(destination, 2, 1), 0u);
  // Past the bottom right corner nothing is left of the square.
  ApplyFilter3x3(destination, source, KernelForEffect(kEffectBlur), 5, 5, 9);
  EXPECT_EQ(PixelAt(destination, 4, 4), 0u);
  FilterKernel zero = KernelForEffect(kEffectBlur);
  zero.divisor = 0;
  ApplyFilter3x3(destination, source, zero, 0, 0, 6);
  EXPECT_EQ(PixelAt(destination, 3, 3), 0u);
}

TEST_F(EffectTool, Filter3x3KeepsTheColourWhereNoWeightRemains) {
  Bitmap source(3, 3, PixelFormat::Format32bppARGB);
  Bitmap destination(3, 3, PixelFormat::Format32bppARGB);
  destination.SetPixel(1, 1, 0x00123456);
  ApplyFilter3x3(destination, source, KernelForEffect(kEffectBlur), 0, 0, 3);
  EXPECT_EQ(PixelAt(destination, 1, 1), 0x00123456u);
}

}  // namespace
}  // namespace varn::drawing
