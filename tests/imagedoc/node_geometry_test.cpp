// Crop, the framed view's 15-pixel shift, resizing and turning layers, and
// the steps refused because their bitmaps cannot be made.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "imagedoc/effects.h"
#include "tests/imagedoc/history_fixture.h"

namespace varn::imagedoc {
namespace {

using imaging::Bitmap;
using imaging::Point;
using imaging::Rect;
using imaging::Size;
using testing::HistoryTest;
using testing::PixelAt;
using testing::SamePixels;
using testing::SizeOf;

uint32_t AlphaAt(const Bitmap& layer, int32_t x, int32_t y) { return PixelAt(layer, x, y) >> 24; }

// Crop rectangles on the 400 x 300 picture and what is left of them.
struct CropCase {
  const char* name;
  int32_t frameIndex;
  int32_t frameUseUrl;
  Rect asked;
  Rect cut;  // in picture coordinates; empty: refused
};

class CropCut : public HistoryTest, public ::testing::WithParamInterface<CropCase> {};

TEST_P(CropCut, KeepsThePartInsideThePicture) {
  const CropCase& c = GetParam();
  Node().SetFrameIndex(c.frameIndex);
  Node().SetFrameUseUrl(c.frameUseUrl);
  Node().RedrawImage(false, false);
  const std::unique_ptr<Bitmap> base = Node().renderedImage->Clone();
  const int32_t nodes = history->CountNodes();
  const int32_t result = Node().Crop(c.asked);
  if (c.cut.IsEmptyArea()) {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(history->CountNodes(), nodes);
    return;
  }
  ASSERT_EQ(result, 1);
  EXPECT_TRUE(Node().cropped);
  EXPECT_EQ(Node().sizeType, kSizeFree);
  EXPECT_EQ(Node().workingWidth, static_cast<uint32_t>(c.cut.Width));
  EXPECT_EQ(Node().fullWidth, c.cut.Width);
  ASSERT_TRUE(Node().RedrawImage(false, false));
  const std::unique_ptr<Bitmap> expected = base->Clone(c.cut, imaging::PixelFormat::Format24bppRGB);
  EXPECT_TRUE(SamePixels(*Node().renderedImage, *expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, CropCut,
    ::testing::Values(CropCase{"Inside", 0, 0, {20, 30, 100, 80}, {20, 30, 100, 80}},
                      CropCase{"StartsLeftAndAbove", 0, 0, {-20, -5, 100, 50}, {0, 0, 80, 45}},
                      CropCase{
                          "ReachesPastTheCorner", 0, 0, {390, 290, 50, 50}, {390, 290, 10, 10}},
                      CropCase{"Outside", 0, 0, {400, 10, 50, 50}, {}},
                      CropCase{"NoWidth", 0, 0, {10, 10, 0, 50}, {}},
                      CropCase{"RoundedCornersNoShift", 1, 0, {20, 30, 100, 80}, {20, 30, 100, 80}},
                      CropCase{"MarginFrameShifts", 3, 0, {35, 45, 100, 80}, {20, 30, 100, 80}},
                      // The caption band under the picture is no part of it.
                      CropCase{"CaptionBandLeftOut", 2, 1, {15, 265, 100, 200}, {0, 250, 100, 50}},
                      CropCase{"MarginOnly", 2, 0, {0, 0, 10, 10}, {}}),
    [](const ::testing::TestParamInfo<CropCase>& param) { return param.param.name; });

TEST_F(HistoryTest, MosaicStaysOutOfTheCaptionBand) {
  Node().SetFrameIndex(2);
  Node().SetFrameUseUrl(1);
  const int32_t nodes = history->CountNodes();
  // Under the picture, where the frame's caption goes: nothing to cover.
  EXPECT_EQ(Node().ApplyMosaic({15, 15 + 300, 100, 20}, 5), 0);
  EXPECT_EQ(history->CountNodes(), nodes);
  EXPECT_EQ(Node().ApplyMosaic({15, 15 + 290, 100, 30}, 5), 1);
  EXPECT_EQ(AlphaAt(*Node().mosaicLayer, 50, 299), 255u);
}

TEST_F(HistoryTest, CropKeepsMosaicInItsBaseAndMovesOnlyTheSelectedText) {
  Node().ApplyMosaic({0, 0, 60, 60}, 20);
  Node().SetCurrentText(u"one");
  Node().ReleaseCurrentText();
  Node().SetCurrentText(u"two");
  Node().ChangeEffect(kEffectGrayscale, 1);
  Node().RedrawImage(false, false);
  const std::unique_ptr<Bitmap> base = Node().renderedImage->Clone();
  ASSERT_EQ(Node().Crop({10, 20, 100, 100}), 1);
  // The base keeps the colour blocks; the effect applies to it again.
  EXPECT_EQ(PixelAt(*Node().mosaicLayer, 5, 5), PixelAt(*base, 15, 25));
  EXPECT_EQ(Node().effects, std::vector<int32_t>{kEffectGrayscale});
  EXPECT_EQ(Node().textItems[0].x, 20.0f);
  EXPECT_EQ(Node().textItems[1].x, 35.0f - 10.0f);
  EXPECT_EQ(Node().textItems[1].y, 35.0f - 20.0f);
}

// Strokes cover the whole cropped picture: a layer made after the crop has
// its size, and one made before is cut to the same area.
TEST_F(HistoryTest, PenLayerOfACroppedStateHasTheCroppedSize) {
  ASSERT_EQ(Node().Crop({50, 40, 120, 90}), 1);
  const std::vector<Point> across{{0, 85}, {119, 85}};
  ASSERT_EQ(Node().DrawPenStroke(across), 1);
  EXPECT_EQ(SizeOf(Node().penLayer.get()), (Size{120, 90}));
  EXPECT_EQ(AlphaAt(*Node().penLayer, 110, 85), 255u);
  ASSERT_EQ(Node().Crop({20, 50, 100, 40}), 1);
  EXPECT_EQ(SizeOf(Node().penLayer.get()), (Size{100, 40}));
  EXPECT_EQ(AlphaAt(*Node().penLayer, 50, 35), 255u);
  EXPECT_EQ(AlphaAt(*Node().penLayer, 50, 10), 0u);
}

// Every operation that takes points from the framed view lands 15 pixels up
// and to the left: a view point reaches picture point (20, 30), never (35, 45).
struct ShiftCase {
  const char* name;
  std::function<int32_t(CHistoryNode&, int32_t viewX, int32_t viewY)> step;
  std::function<const Bitmap*(const CHistoryNode&)> layer;
  bool clears;  // the step clears pixels of the layer instead of setting them
};

class FrameShift : public HistoryTest,
                   public ::testing::WithParamInterface<std::tuple<ShiftCase, int32_t>> {};

TEST_P(FrameShift, LandsUnderTheMouse) {
  const auto& [c, frame] = GetParam();
  if (c.clears) {
    Node().penWidth = 40;
    const std::vector<Point> cover{{0, 40}, {399, 40}};
    Node().DrawPenStroke(cover);
  }
  Node().SetFrameIndex(frame);
  const int32_t shift = frame >= 2 ? 15 : 0;
  ASSERT_EQ(c.step(Node(), 20 + shift, 30 + shift), 1);
  const Bitmap* layer = c.layer(Node());
  ASSERT_NE(layer, nullptr);
  EXPECT_EQ(AlphaAt(*layer, 20, 30), c.clears ? 0u : 255u);
  EXPECT_EQ(AlphaAt(*layer, 35, 45), c.clears ? 255u : 0u);
}

const Bitmap* PenLayer(const CHistoryNode& node) { return node.penLayer.get(); }
const Bitmap* MosaicLayer(const CHistoryNode& node) { return node.mosaicLayer.get(); }

INSTANTIATE_TEST_SUITE_P(
    Operations, FrameShift,
    ::testing::Combine(::testing::Values(ShiftCase{"Pen",
                                                   [](CHistoryNode& n, int32_t x, int32_t y) {
                                                     const std::vector<Point> p{{x, y}, {x + 1, y}};
                                                     n.penWidth = 3;
                                                     n.penColor = 0xFF00FF00u;
                                                     return n.DrawPenStroke(p);
                                                   },
                                                   PenLayer, false},
                                         ShiftCase{
                                             "Eraser",
                                             [](CHistoryNode& n, int32_t x, int32_t y) {
                                               const std::vector<Point> p{{x - 2, y}, {x + 2, y}};
                                               return n.EraseStroke(p);
                                             },
                                             PenLayer, true},
                                         ShiftCase{"Mosaic",
                                                   [](CHistoryNode& n, int32_t x, int32_t y) {
                                                     return n.ApplyMosaic({x, y, 4, 4}, 2);
                                                   },
                                                   MosaicLayer, false}),
                       ::testing::Values(0, 1, 3)),
    [](const ::testing::TestParamInfo<std::tuple<ShiftCase, int32_t>>& param) {
      return std::string(std::get<0>(param.param).name) + "Frame" +
             std::to_string(std::get<1>(param.param));
    });

TEST_F(HistoryTest, ResizedAndTurnedLayersStayTransparentAroundStrokes) {
  const std::vector<Point> stroke{{0, 10}, {399, 10}};
  Node().DrawPenStroke(stroke);
  ASSERT_EQ(Node().SetWidth(200), 1);
  EXPECT_EQ(SizeOf(Node().penLayer.get()), (Size{200, 150}));
  EXPECT_EQ(PixelAt(*Node().penLayer, 100, 100), 0u);
  EXPECT_GT(AlphaAt(*Node().penLayer, 100, 5), 0u);
  ASSERT_EQ(Node().SetSizeType(3), 1);
  EXPECT_EQ(SizeOf(Node().penLayer.get()), (Size{300, 225}));
  EXPECT_EQ(PixelAt(*Node().penLayer, 150, 150), 0u);
  ASSERT_EQ(Node().Rotate(90), 1);
  // Turned clockwise, the stroke near the top runs down the right side.
  EXPECT_EQ(SizeOf(Node().penLayer.get()), (Size{300, 400}));
  EXPECT_GT(AlphaAt(*Node().penLayer, 290, 200), 0u);
  EXPECT_EQ(PixelAt(*Node().penLayer, 100, 200), 0u);
}

TEST_F(HistoryTest, TurningACroppedStateTurnsItsBase) {
  ASSERT_EQ(Node().Crop({10, 10, 120, 80}), 1);
  Node().RedrawImage(false, false);
  const std::unique_ptr<Bitmap> before = Node().renderedImage->Clone();
  ASSERT_EQ(Node().Rotate(90), 1);
  EXPECT_EQ(Node().workingWidth, 80u);
  EXPECT_EQ(Node().fullWidth, 80);
  ASSERT_TRUE(Node().RedrawImage(false, false));
  EXPECT_EQ(SizeOf(Node().renderedImage.get()), (Size{80, 120}));
  EXPECT_EQ(PixelAt(*Node().renderedImage, 79, 0), PixelAt(*before, 0, 0));
}

// Sizes whose bitmaps cannot be made are refused before any state is added.
struct RefusedCase {
  const char* name;
  std::function<int32_t(CHistoryNode&)> step;
};

class Refused : public HistoryTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(Refused, LeavesTheHistoryAsItWas) {
  const std::vector<Point> stroke{{0, 10}, {399, 10}};
  Node().DrawPenStroke(stroke);
  const int32_t nodes = history->CountNodes();
  const uint32_t width = Node().workingWidth;
  EXPECT_EQ(GetParam().step(Node()), 0);
  EXPECT_EQ(history->CountNodes(), nodes);
  EXPECT_EQ(Node().workingWidth, width);
  EXPECT_NE(Node().GetRenderedImage(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, Refused,
    ::testing::Values(RefusedCase{"ZeroWidth", [](CHistoryNode& n) { return n.SetWidth(0); }},
                      RefusedCase{"NegativeWidth", [](CHistoryNode& n) { return n.SetWidth(-5); }},
                      RefusedCase{"NoHeightLeft", [](CHistoryNode& n) { return n.SetWidth(1); }},
                      RefusedCase{"BeyondThePixelLimit",
                                  [](CHistoryNode& n) { return n.SetWidth(20000); }},
                      RefusedCase{"NegativePenWidth",
                                  [](CHistoryNode& n) {
                                    n.penWidth = -3;
                                    const std::vector<Point> p{{0, 0}, {5, 5}};
                                    return n.DrawPenStroke(p);
                                  }}),
    [](const ::testing::TestParamInfo<RefusedCase>& param) { return param.param.name; });

}  // namespace
}  // namespace varn::imagedoc
