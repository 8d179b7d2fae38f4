#include <gtest/gtest.h>

#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/layer_operations.h"
#include "drawing/render.h"
#include "drawing/tool_types.h"
#include "model_test_support.h"

namespace varn::drawing {
namespace {

using imaging::Bitmap;
using imaging::PixelFormat;
using imaging::PointF;
using testing::PixelAt;
using testing::SetLayerPixel;

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A tool without a preview or a step before the selected layer.
    Current().toolType = kToolHand;
  }
  CDrawingState& Current() { return *document.current; }
  void RenderCurrent(const std::vector<PointF>& points = {}) {
    Render(Current(), target, points, RenderMode::Screen);
  }
  uint32_t Shown(int32_t x, int32_t y) { return PixelAt(target, x, y); }
  // [bottom, middle, top] with the middle one selected.
  void MakeThreeLayersMiddleSelected() {
    ASSERT_TRUE(AddLayer(Current()));
    ASSERT_TRUE(AddLayer(Current()));
    ASSERT_TRUE(SelectLayer(Current(), 1));
  }

  CDrawingDocument document;
  Bitmap target{300, 300, PixelFormat::Format24bppRGB};
};

TEST_F(RenderTest, EmptyBoardIsWhite) {
  RenderCurrent();
  EXPECT_EQ(Shown(0, 0), kWhite);
  EXPECT_EQ(Shown(299, 299), kWhite);
  EXPECT_EQ(Current().belowComposite, nullptr);
  EXPECT_EQ(Current().aboveComposite, nullptr);
}

TEST_F(RenderTest, LayersStackInListOrderAroundTheSelectedOne) {
  MakeThreeLayersMiddleSelected();
  SetLayerPixel(Current(), 0, 5, 5, kRed);
  SetLayerPixel(Current(), 1, 5, 5, kGreen);
  SetLayerPixel(Current(), 2, 5, 5, kBlue);
  SetLayerPixel(Current(), 0, 6, 6, kRed);
  SetLayerPixel(Current(), 1, 6, 6, kGreen);
  SetLayerPixel(Current(), 0, 7, 7, kRed);
  RenderCurrent();
  EXPECT_EQ(Shown(5, 5), kBlue);
  EXPECT_EQ(Shown(6, 6), kGreen);
  EXPECT_EQ(Shown(7, 7), kRed);
  EXPECT_EQ(Shown(8, 8), kWhite);
}

TEST_F(RenderTest, HiddenLayersAreLeftOutButTheSelectedOneIsAlwaysShown) {
  MakeThreeLayersMiddleSelected();
  SetLayerPixel(Current(), 0, 1, 1, kRed);
  SetLayerPixel(Current(), 1, 2, 2, kGreen);
  SetLayerPixel(Current(), 2, 3, 3, kBlue);
  ASSERT_TRUE(ToggleLayerVisibility(Current(), 2));
  // A loaded drawing may select a hidden layer.
  Current().layers[1].visible = 0;
  RenderCurrent();
  EXPECT_EQ(Shown(1, 1), kRed);
  EXPECT_EQ(Shown(2, 2), kGreen);
  EXPECT_EQ(Shown(3, 3), kWhite);
  EXPECT_EQ(Current().aboveComposite, nullptr);
}

TEST_F(RenderTest, SelectedLayerShowsAtItsOffsetCutAtTheEdge) {
  SetLayerPixel(Current(), 0, 20, 0, kRed);
  SetLayerPixel(Current(), 0, 19, 0, kGreen);
  SetLayerPixel(Current(), 0, 299, 289, kBlue);
  SetLayerPixel(Current(), 0, 21, 290, kBlue);
  Current().layers[0].x = -20;
  Current().layers[0].y = 10;
  RenderCurrent();
  EXPECT_EQ(Shown(0, 10), kRed);
  EXPECT_EQ(Shown(279, 299), kBlue);
  EXPECT_EQ(Shown(0, 9), kWhite);
  EXPECT_EQ(Shown(1, 299), kWhite);
  for (int32_t x = 280; x < 300; ++x) EXPECT_EQ(Shown(x, 100), kWhite) << x;
}

TEST_F(RenderTest, CompositeWithNoVisibleLayerIsNotMade) {
  MakeThreeLayersMiddleSelected();
  ASSERT_TRUE(ToggleLayerVisibility(Current(), 0));
  RenderCurrent();
  EXPECT_EQ(Current().belowComposite, nullptr);
  EXPECT_NE(Current().aboveComposite, nullptr);
}

TEST_F(RenderTest, CompositesMoveToTheDerivedStateAndAreReused) {
  MakeThreeLayersMiddleSelected();
  SetLayerPixel(Current(), 0, 4, 4, kRed);
  SetLayerPixel(Current(), 2, 8, 8, kBlue);
  RenderCurrent();
  ASSERT_NE(Current().belowComposite, nullptr);
  ASSERT_NE(Current().aboveComposite, nullptr);
  const Bitmap* below = Current().belowComposite.get();
  const Bitmap* above = Current().aboveComposite.get();

  CDrawingState& painted = testing::PaintStep(document, 50, 50, kGreen);
  EXPECT_EQ(painted.belowComposite.get(), below);
  EXPECT_EQ(painted.previous->belowComposite, nullptr);
  RenderCurrent();
  EXPECT_EQ(Current().belowComposite.get(), below);
  EXPECT_EQ(Current().aboveComposite.get(), above);
  EXPECT_EQ(Shown(4, 4), kRed);
  EXPECT_EQ(Shown(8, 8), kBlue);
  EXPECT_EQ(Shown(50, 50), kGreen);
}

TEST_F(RenderTest, SelectionChangeRebuildsTheComposites) {
  MakeThreeLayersMiddleSelected();
  SetLayerPixel(Current(), 0, 4, 4, kRed);
  SetLayerPixel(Current(), 1, 5, 5, kGreen);
  SetLayerPixel(Current(), 2, 6, 6, kBlue);
  RenderCurrent();
  ASSERT_NE(Current().belowComposite, nullptr);
  ASSERT_TRUE(SelectLayer(Current(), 2));
  EXPECT_EQ(Current().belowComposite, nullptr);
  EXPECT_EQ(Current().aboveComposite, nullptr);
  RenderCurrent();
  EXPECT_EQ(Current().aboveComposite, nullptr);
  ASSERT_NE(Current().belowComposite, nullptr);
  // The old middle layer is part of the rebuilt composite now.
  EXPECT_EQ(PixelAt(*Current().belowComposite, 5, 5), kGreen);
  EXPECT_EQ(Shown(4, 4), kRed);
  EXPECT_EQ(Shown(5, 5), kGreen);
  EXPECT_EQ(Shown(6, 6), kBlue);
}

TEST_F(RenderTest, LayerChangesDiscardTheComposites) {
  MakeThreeLayersMiddleSelected();
  SetLayerPixel(Current(), 0, 4, 4, kRed);
  SetLayerPixel(Current(), 2, 4, 4, kBlue);
  RenderCurrent();
  ASSERT_TRUE(ToggleLayerVisibility(Current(), 2));
  EXPECT_EQ(Current().aboveComposite, nullptr);
  RenderCurrent();
  EXPECT_EQ(Shown(4, 4), kRed);
  ASSERT_TRUE(SetCanvasWidth(Current(), 310));
  EXPECT_EQ(Current().belowComposite, nullptr);
}

TEST_F(RenderTest, EraserPreviewStandsInForTheLayerUntilTheStep) {
  Current().toolType = kToolEraser;
  Current().eraserWidth = 5;
  for (int32_t x = 0; x < 40; ++x) SetLayerPixel(Current(), 0, x, 10, kRed);
  RenderCurrent({{10, 10}, {20, 10}});
  EXPECT_EQ(Shown(15, 10), kWhite);
  EXPECT_EQ(Shown(35, 10), kRed);
  EXPECT_EQ(testing::LayerPixel(Current(), 0, 15, 10), kRed);
  ASSERT_NE(Current().eraserPreview, nullptr);
}

TEST_F(RenderTest, SelectingAnotherLayerDropsTheEraserPreview) {
  ASSERT_TRUE(AddLayer(Current()));
  Current().toolType = kToolEraser;
  SetLayerPixel(Current(), 1, 3, 3, kBlue);
  RenderCurrent();
  ASSERT_NE(Current().eraserPreview, nullptr);
  ASSERT_TRUE(SelectLayer(Current(), 0));
  EXPECT_EQ(Current().eraserPreview, nullptr);
  RenderCurrent();
  EXPECT_EQ(Shown(3, 3), kBlue);
}

TEST_F(RenderTest, SelectionOffTheListShowsOnlyWhite) {
  SetLayerPixel(Current(), 0, 1, 1, kRed);
  Current().selectedLayer = 3;
  RenderCurrent();
  EXPECT_EQ(Shown(1, 1), kWhite);
  Current().selectedLayer = -1;
  RenderCurrent();
  EXPECT_EQ(Shown(1, 1), kWhite);
}

TEST_F(RenderTest, TargetSmallerThanTheCanvasIsCut) {
  Bitmap small(10, 10, PixelFormat::Format24bppRGB);
  SetLayerPixel(Current(), 0, 9, 9, kRed);
  SetLayerPixel(Current(), 0, 10, 10, kBlue);
  Render(Current(), small, {}, RenderMode::Export);
  EXPECT_EQ(PixelAt(small, 9, 9), kRed);
}

}  // namespace
}  // namespace varn::drawing
