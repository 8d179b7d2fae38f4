#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/layer_operations.h"
#include "model_test_support.h"

namespace varn::drawing {
namespace {

using testing::LayerPixel;
using testing::SetLayerPixel;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;

class LayerStack : public ::testing::Test {
 protected:
  CDrawingState& Current() { return *document.current; }
  std::vector<int32_t> Ids() {
    std::vector<int32_t> ids;
    for (const DrawingLayer& layer : Current().layers) ids.push_back(layer.id);
    return ids;
  }
  // [A, B, C] with ids 0, 1, 2 and C selected.
  void MakeThreeLayers() {
    ASSERT_TRUE(AddLayer(Current()));
    ASSERT_TRUE(AddLayer(Current()));
  }

  CDrawingDocument document;
};

TEST_F(LayerStack, NewBoardHasOneTransparentCanvasLayer) {
  const CDrawingState& state = Current();
  ASSERT_EQ(state.layers.size(), 1u);
  const DrawingLayer& layer = state.layers[0];
  EXPECT_EQ(layer.id, 0);
  EXPECT_EQ(layer.visible, 1);
  EXPECT_EQ(layer.x, 0);
  EXPECT_EQ(layer.y, 0);
  EXPECT_EQ(layer.bitmap->GetWidth(), 300u);
  EXPECT_EQ(layer.bitmap->GetHeight(), 300u);
  EXPECT_EQ(layer.bitmap->GetPixelFormat(), imaging::PixelFormat::Format32bppARGB);
  EXPECT_EQ(LayerPixel(state, 0, 150, 150), 0u);
  EXPECT_EQ(nextLayerId, 1);
  EXPECT_EQ(state.selectedLayer, 0);
}

TEST_F(LayerStack, TenAddLayersGiveIdsOneToNineThenRefuse) {
  for (int32_t k = 1; k <= 9; ++k) {
    ASSERT_TRUE(AddLayer(Current())) << k;
    EXPECT_EQ(Current().layers.back().id, k);
    EXPECT_EQ(Current().selectedLayer, k);
  }
  const CDrawingState* before = document.current;
  EXPECT_FALSE(AddLayer(Current()));
  EXPECT_EQ(document.current, before);
  EXPECT_EQ(Current().layers.size(), 10u);
  EXPECT_EQ(nextLayerId, 10);
}

// A selection past the end of the stack would write through a stale layer:
// the board stops instead, whichever operation meets it first.
using LayerStackDeathTest = LayerStack;

TEST_F(LayerStackDeathTest, SelectionPastTheEndStopsBeforeAnyWrite) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  MakeThreeLayers();
  Current().selectedLayer = 3;
  EXPECT_DEATH(Current().SelectedLayer(), "invariant broken");
  EXPECT_DEATH(DeleteLayer(Current()), "invariant broken");
  Current().selectedLayer = -1;
  EXPECT_DEATH(MoveLayer(Current(), LayerDirection::Up), "invariant broken");
}

TEST_F(LayerStack, AddedLayerIsAStepOfItsOwn) {
  ASSERT_TRUE(AddLayer(Current()));
  EXPECT_EQ(document.CountStates(), 2);
  ASSERT_NE(Current().previous, nullptr);
  EXPECT_EQ(Current().previous->layers.size(), 1u);
  // The records are copied, the untouched bitmap is shared.
  EXPECT_EQ(Current().layers[0].bitmap, Current().previous->layers[0].bitmap);
}

TEST_F(LayerStack, NewBoardResetsTheProcessWideCounter) {
  MakeThreeLayers();
  CDrawingDocument other;
  EXPECT_EQ(nextLayerId, 1);
  EXPECT_EQ(other.current->layers[0].id, 0);
}

TEST_F(LayerStack, DeleteRefusesTheLastLayer) {
  EXPECT_FALSE(DeleteLayer(Current()));
  EXPECT_EQ(document.CountStates(), 1);
}

TEST_F(LayerStack, DeleteOfTheTopLayerSelectsTheNewTop) {
  MakeThreeLayers();
  ASSERT_TRUE(DeleteLayer(Current()));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(Current().selectedLayer, 1);
}

TEST_F(LayerStack, DeleteInTheMiddleSelectsTheLayerThatTookItsPlace) {
  MakeThreeLayers();
  ASSERT_TRUE(SelectLayer(Current(), 1));
  ASSERT_TRUE(DeleteLayer(Current()));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(Current().selectedLayer, 1);
  EXPECT_EQ(Current().SelectedLayer().id, 2);
}

TEST_F(LayerStack, LayerThatTakesTheSelectionAfterDeleteIsShown) {
  MakeThreeLayers();
  ASSERT_TRUE(SelectLayer(Current(), 1));
  ASSERT_TRUE(ToggleLayerVisibility(Current(), 2));
  ASSERT_EQ(Current().layers[2].visible, 0);
  ASSERT_TRUE(DeleteLayer(Current()));
  EXPECT_EQ(Current().SelectedLayer().id, 2);
  EXPECT_EQ(Current().SelectedLayer().visible, 1);
}

TEST_F(LayerStack, SelectChangesTheStateInPlaceAndShowsTheLayer) {
  MakeThreeLayers();
  ASSERT_TRUE(ToggleLayerVisibility(Current(), 0));
  ASSERT_EQ(Current().layers[0].visible, 0);
  const int32_t states = document.CountStates();
  CDrawingState* before = document.current;
  ASSERT_TRUE(SelectLayer(Current(), 0));
  EXPECT_EQ(document.current, before);
  EXPECT_EQ(document.CountStates(), states);
  EXPECT_EQ(Current().selectedLayer, 0);
  EXPECT_EQ(Current().layers[0].visible, 1);
}

TEST_F(LayerStack, SelectRefusesTheSelectedIndexAndIndexesOutside) {
  MakeThreeLayers();
  EXPECT_FALSE(SelectLayer(Current(), 2));
  EXPECT_FALSE(SelectLayer(Current(), 3));
  EXPECT_FALSE(SelectLayer(Current(), -1));
  EXPECT_EQ(Current().selectedLayer, 2);
}

TEST_F(LayerStack, ToggleFlipsOnlyTheNewState) {
  MakeThreeLayers();
  ASSERT_TRUE(ToggleLayerVisibility(Current(), 1));
  EXPECT_EQ(Current().layers[1].visible, 0);
  EXPECT_EQ(Current().previous->layers[1].visible, 1);
  ASSERT_TRUE(ToggleLayerVisibility(Current(), 1));
  EXPECT_EQ(Current().layers[1].visible, 1);
}

TEST_F(LayerStack, ToggleRefusesTheSelectedLayerAndIndexesOutside) {
  MakeThreeLayers();
  const int32_t states = document.CountStates();
  EXPECT_FALSE(ToggleLayerVisibility(Current(), 2));
  EXPECT_FALSE(ToggleLayerVisibility(Current(), 3));
  EXPECT_FALSE(ToggleLayerVisibility(Current(), -5));
  EXPECT_EQ(document.CountStates(), states);
  EXPECT_EQ(Current().layers[2].visible, 1);
}

TEST_F(LayerStack, MoveRefusesAtTheEndsWithoutAStep) {
  EXPECT_FALSE(MoveLayer(Current(), LayerDirection::Up));
  EXPECT_FALSE(MoveLayer(Current(), LayerDirection::Down));
  MakeThreeLayers();
  const int32_t states = document.CountStates();
  EXPECT_FALSE(MoveLayer(Current(), LayerDirection::Up));
  ASSERT_TRUE(SelectLayer(Current(), 0));
  EXPECT_FALSE(MoveLayer(Current(), LayerDirection::Down));
  EXPECT_EQ(document.CountStates(), states);
}

TEST_F(LayerStack, MoveCarriesTheWholeRecordAndTheSelection) {
  MakeThreeLayers();
  Current().layers[2].x = -7;
  Current().layers[2].y = 4;
  const auto bitmap = Current().layers[2].bitmap;
  ASSERT_TRUE(MoveLayer(Current(), LayerDirection::Down));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{0, 2, 1}));
  EXPECT_EQ(Current().selectedLayer, 1);
  const DrawingLayer& moved = Current().layers[1];
  EXPECT_EQ(moved.x, -7);
  EXPECT_EQ(moved.y, 4);
  EXPECT_EQ(moved.bitmap, bitmap);
  ASSERT_TRUE(MoveLayer(Current(), LayerDirection::Up));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(Current().selectedLayer, 2);
}

TEST_F(LayerStack, MergeDropsHiddenLayersAndRestartsIds) {
  MakeThreeLayers();
  SetLayerPixel(Current(), 0, 1, 1, kRed);
  SetLayerPixel(Current(), 1, 2, 2, kGreen);
  SetLayerPixel(Current(), 2, 3, 3, kBlue);
  // C sits shifted by (5, 0): the merge draws it at its offset.
  Current().layers[2].x = 5;
  ASSERT_TRUE(ToggleLayerVisibility(Current(), 1));
  ASSERT_TRUE(MergeLayer(Current()));

  const CDrawingState& merged = Current();
  ASSERT_EQ(merged.layers.size(), 1u);
  EXPECT_EQ(merged.layers[0].id, 0);
  EXPECT_EQ(merged.layers[0].x, 0);
  EXPECT_EQ(merged.selectedLayer, 0);
  EXPECT_EQ(LayerPixel(merged, 0, 1, 1), kRed);
  EXPECT_EQ(LayerPixel(merged, 0, 2, 2), 0u);
  EXPECT_EQ(LayerPixel(merged, 0, 8, 3), kBlue);
  EXPECT_EQ(LayerPixel(merged, 0, 3, 3), 0u);
  EXPECT_EQ(nextLayerId, 1);

  ASSERT_TRUE(AddLayer(Current()));
  EXPECT_EQ(Current().layers.back().id, 1);
}

TEST_F(LayerStack, MergeBlendsSourceOverInListOrder) {
  ASSERT_TRUE(AddLayer(Current()));
  SetLayerPixel(Current(), 0, 0, 0, kRed);
  SetLayerPixel(Current(), 1, 0, 0, 0x800000FF);
  ASSERT_TRUE(MergeLayer(Current()));
  const uint32_t pixel = LayerPixel(Current(), 0, 0, 0);
  EXPECT_EQ(pixel >> 24, 0xFFu);
  EXPECT_NEAR(static_cast<int>((pixel >> 16) & 0xFF), 0x7F, 1);
  EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 0x80, 1);
}

TEST_F(LayerStack, MergeRefusesASingleLayer) {
  EXPECT_FALSE(MergeLayer(Current()));
  EXPECT_EQ(document.CountStates(), 1);
}

TEST_F(LayerStack, WiderCanvasCentresLayersAndNarrowingKeepsThem) {
  ASSERT_TRUE(AddLayer(Current()));
  SetLayerPixel(Current(), 0, 0, 7, kRed);
  SetLayerPixel(Current(), 1, 299, 8, kGreen);
  const auto oldBottom = Current().layers[0].bitmap;

  ASSERT_TRUE(SetCanvasWidth(Current(), 400));
  EXPECT_EQ(Current().canvasWidth, 400);
  for (const DrawingLayer& layer : Current().layers) {
    EXPECT_EQ(layer.bitmap->GetWidth(), 400u);
    EXPECT_EQ(layer.bitmap->GetHeight(), 300u);
    EXPECT_EQ(layer.x, 0);
  }
  EXPECT_EQ(LayerPixel(Current(), 0, 50, 7), kRed);
  EXPECT_EQ(LayerPixel(Current(), 0, 0, 7), 0u);
  EXPECT_EQ(LayerPixel(Current(), 1, 349, 8), kGreen);
  // The older state keeps its own records and pixels.
  EXPECT_EQ(Current().previous->layers[0].bitmap, oldBottom);
  EXPECT_EQ(LayerPixel(*Current().previous, 0, 0, 7), kRed);

  const auto grownBottom = Current().layers[0].bitmap;
  ASSERT_TRUE(SetCanvasWidth(Current(), 300));
  EXPECT_EQ(Current().layers[0].bitmap, grownBottom);
  EXPECT_EQ(Current().layers[0].bitmap->GetWidth(), 400u);
}

TEST_F(LayerStack, HigherCanvasCentresVerticallyAndResetsOnlyThatOffset) {
  Current().layers[0].x = 3;
  Current().layers[0].y = 9;
  SetLayerPixel(Current(), 0, 4, 0, kBlue);
  ASSERT_TRUE(SetCanvasHeight(Current(), 305));
  const DrawingLayer& layer = Current().layers[0];
  EXPECT_EQ(layer.bitmap->GetHeight(), 305u);
  EXPECT_EQ(layer.x, 3);
  EXPECT_EQ(layer.y, 0);
  EXPECT_EQ(LayerPixel(Current(), 0, 4, 2), kBlue);
}

TEST_F(LayerStack, CanvasSizeRefusesUnchangedAndOutOfRangeValues) {
  EXPECT_FALSE(SetCanvasWidth(Current(), 300));
  EXPECT_FALSE(SetCanvasWidth(Current(), 0));
  EXPECT_FALSE(SetCanvasHeight(Current(), -4));
  EXPECT_FALSE(SetCanvasWidth(Current(), 100000));
  EXPECT_FALSE(SetCanvasHeight(Current(), INT32_MAX));
  EXPECT_EQ(document.CountStates(), 1);
  EXPECT_EQ(Current().canvasWidth, 300);
  EXPECT_EQ(Current().canvasHeight, 300);
  EXPECT_EQ(Current().layers[0].bitmap->GetWidth(), 300u);
}

TEST_F(LayerStack, HugeCanvasAreaIsRefusedWithoutAStep) {
  ASSERT_TRUE(SetCanvasWidth(Current(), kMaxCanvasSide));
  EXPECT_FALSE(SetCanvasHeight(Current(), kMaxCanvasSide));
  EXPECT_EQ(Current().canvasHeight, 300);
  EXPECT_EQ(document.CountStates(), 2);
  EXPECT_TRUE(IsValidCanvasSize(4096, 4096));
  EXPECT_FALSE(IsValidCanvasSize(4097, 4096));
}

// A canvas no bitmap can be made for (a state read from outside, say):
// every step that needs a new canvas-size bitmap refuses and changes nothing.
TEST_F(LayerStack, StepsNeedingAnUnmakeableBitmapAreRefused) {
  ASSERT_TRUE(AddLayer(Current()));
  Current().canvasWidth = 200000;
  Current().canvasHeight = 200000;
  const int32_t states = document.CountStates();
  const int32_t counter = nextLayerId;
  EXPECT_FALSE(AddLayer(Current()));
  EXPECT_FALSE(MergeLayer(Current()));
  EXPECT_FALSE(document.Clear());
  EXPECT_EQ(document.CountStates(), states);
  EXPECT_EQ(nextLayerId, counter);
  EXPECT_EQ(Current().layers.size(), 2u);
}

TEST_F(LayerStack, CounterSetFromOutsideWrapsInsteadOfOverflowing) {
  nextLayerId = INT32_MAX;
  ASSERT_TRUE(AddLayer(Current()));
  EXPECT_EQ(Current().layers.back().id, INT32_MAX);
  EXPECT_EQ(nextLayerId, INT32_MIN);
}

TEST_F(LayerStack, FitToCanvasLeavesLargerLayersAlone) {
  std::vector<DrawingLayer> layers(1);
  layers[0].bitmap = CreateLayerBitmap(500, 40);
  layers[0].x = -30;
  const auto bitmap = layers[0].bitmap;
  ASSERT_TRUE(FitLayersToCanvas(layers, 300, 30));
  EXPECT_EQ(layers[0].bitmap, bitmap);
  EXPECT_EQ(layers[0].x, -30);
}

TEST_F(LayerStack, FitToCanvasFailsWholeWhenALayerHasNoBitmap) {
  std::vector<DrawingLayer> layers(2);
  layers[0].bitmap = CreateLayerBitmap(10, 10);
  const auto bitmap = layers[0].bitmap;
  EXPECT_FALSE(FitLayersToCanvas(layers, 20, 20));
  EXPECT_EQ(layers[0].bitmap, bitmap);
}

TEST_F(LayerStack, LayerBitmapsRefuseSizesTheyCannotMake) {
  EXPECT_EQ(CreateLayerBitmap(0, 10), nullptr);
  EXPECT_EQ(CreateLayerBitmap(10, -1), nullptr);
  EXPECT_EQ(CreateLayerBitmap(INT32_MAX, INT32_MAX), nullptr);
  const int32_t before = nextLayerId;
  EXPECT_EQ(MakeLayer(-1, 5).bitmap, nullptr);
  EXPECT_EQ(nextLayerId, before);
}

}  // namespace
}  // namespace varn::drawing
