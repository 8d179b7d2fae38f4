#include <gtest/gtest.h>

#include "drawing/drawing_document.h"
#include "drawing/layer_operations.h"
#include "model_test_support.h"

namespace varn::drawing {
namespace {

using testing::LayerPixel;
using testing::PaintStep;

constexpr uint32_t kInk = 0xFF102030;

class History : public testing::DocumentTest {
 protected:
  CDrawingState& Current() { return State(); }
};

TEST_F(History, UndoAndRedoOnANewBoardDoNothing) {
  EXPECT_EQ(document.Undo(), 0);
  EXPECT_EQ(document.Redo(), 0);
  EXPECT_EQ(document.CountStates(), 1);
}

TEST_F(History, KeepsTwentyStatesAndNineteenUndos) {
  for (int32_t stroke = 1; stroke <= 25; ++stroke) {
    PaintStep(document, stroke, 0, kInk);
    EXPECT_LE(document.CountStates(), kMaxHistoryStates);
  }
  EXPECT_EQ(document.CountStates(), kMaxHistoryStates);
  for (int32_t undo = 1; undo <= 19; ++undo) {
    EXPECT_EQ(document.Undo(), kHistoryMoved) << undo;
  }
  EXPECT_EQ(document.Undo(), 0);
  EXPECT_EQ(Current().previous, nullptr);
  // The oldest kept state is the one after the sixth stroke.
  for (int32_t x = 1; x <= 6; ++x) EXPECT_EQ(LayerPixel(Current(), 0, x, 0), kInk) << x;
  EXPECT_EQ(LayerPixel(Current(), 0, 7, 0), 0u);
  EXPECT_EQ(document.Oldest(), document.current);
}

TEST_F(History, RedoWalksBackToTheNewest) {
  for (int32_t stroke = 1; stroke <= 3; ++stroke) PaintStep(document, stroke, 0, kInk);
  CDrawingState* newest = document.current;
  EXPECT_EQ(document.Undo(), kHistoryMoved);
  EXPECT_EQ(document.Undo(), kHistoryMoved);
  EXPECT_EQ(document.Redo(), kHistoryMoved);
  EXPECT_EQ(document.Redo(), kHistoryMoved);
  EXPECT_EQ(document.current, newest);
  EXPECT_EQ(document.Redo(), 0);
}

TEST_F(History, AStepAfterUndoDropsTheRedoStates) {
  for (int32_t stroke = 1; stroke <= 3; ++stroke) PaintStep(document, stroke, 0, kInk);
  document.Undo();
  document.Undo();
  PaintStep(document, 9, 9, kInk);
  EXPECT_EQ(document.Redo(), 0);
  EXPECT_EQ(document.CountStates(), 3);
  EXPECT_EQ(LayerPixel(Current(), 0, 2, 0), 0u);
  EXPECT_EQ(LayerPixel(Current(), 0, 9, 9), kInk);
}

TEST_F(History, AStateNeverSeesPixelsOfALaterStep) {
  PaintStep(document, 1, 1, kInk);
  const CDrawingState* first = document.current;
  PaintStep(document, 2, 2, kInk);
  EXPECT_EQ(LayerPixel(*first, 0, 2, 2), 0u);
  EXPECT_NE(first->layers[0].bitmap, Current().layers[0].bitmap);
  document.Undo();
  EXPECT_EQ(LayerPixel(Current(), 0, 1, 1), kInk);
  EXPECT_EQ(LayerPixel(Current(), 0, 2, 2), 0u);
}

TEST_F(History, OnlyThePaintedLayerIsCopied) {
  ASSERT_TRUE(AddLayer(Current()));
  CDrawingState& painted = PaintStep(document, 0, 0, kInk);
  const CDrawingState& before = *painted.previous;
  EXPECT_EQ(painted.layers[0].bitmap, before.layers[0].bitmap);
  EXPECT_NE(painted.layers[1].bitmap, before.layers[1].bitmap);
}

TEST_F(History, UndoAcrossACanvasSizeChangeReportsIt) {
  ASSERT_TRUE(SetCanvasWidth(Current(), 400));
  EXPECT_EQ(document.Undo(), kHistoryMoved | kHistorySizeChanged);
  EXPECT_EQ(Current().canvasWidth, 300);
  EXPECT_EQ(Current().layers[0].bitmap->GetWidth(), 300u);
  EXPECT_EQ(document.Redo(), kHistoryMoved | kHistorySizeChanged);
  EXPECT_EQ(Current().canvasWidth, 400);
  ASSERT_TRUE(SetCanvasHeight(Current(), 200));
  PaintStep(document, 0, 0, kInk);
  EXPECT_EQ(document.Undo(), kHistoryMoved);
  EXPECT_EQ(document.Undo(), kHistoryMoved | kHistorySizeChanged);
}

TEST_F(History, SettingsComeBackWithUndoButTheCounterDoesNot) {
  Current().penWidth = 4;
  PaintStep(document, 0, 0, kInk);
  Current().penWidth = 9;
  Current().colour = 0x00ABCDEF;
  ASSERT_TRUE(AddLayer(Current()));
  EXPECT_EQ(Current().penWidth, 9);
  EXPECT_EQ(Current().colour, 0x00ABCDEFu);
  document.Undo();
  document.Undo();
  EXPECT_EQ(Current().penWidth, 4);
  EXPECT_EQ(Current().colour, 0u);
  EXPECT_EQ(nextLayerId, 2);
}

TEST_F(History, DeriveCopiesSettingsAndTextsButNoSelectionOrPaths) {
  CDrawingState& source = Current();
  source.toolType = 5;
  source.shapeType = 2;
  source.shapeWidth = 7;
  source.shapeAlpha = 0x40000000;
  source.effectType = 1;
  source.effectWidth = 11;
  source.eraserType = 1;
  source.eraserWidth = 13;
  source.lineType = 3;
  source.lineAlpha = 0x20000000;
  source.penType = 4;
  source.defaultFontName = u"Verdana";
  source.defaultFontSize = 14;
  source.defaultAlign = 2;
  source.defaultStyle = 3;
  source.textInsertX = 12.5f;
  source.textInsertY = 7.0f;
  source.texts.push_back(DrawingText{1, 2, u"hello", u"Verdana", 12, 1, 1, 0xFF});
  source.selectedText = 0;
  source.submitImagePath = "/tmp/img1.png";
  source.submitThumbnailPath = "/tmp/img1_t.png";
  source.eraserPreview = source.layers[0].bitmap->Clone();

  CDrawingState& derived = DeriveState(source, LayerCopy::Shared);
  EXPECT_EQ(derived.toolType, 5);
  EXPECT_EQ(derived.shapeType, 2);
  EXPECT_EQ(derived.shapeWidth, 7);
  EXPECT_EQ(derived.shapeAlpha, 0x40000000);
  EXPECT_EQ(derived.effectType, 1);
  EXPECT_EQ(derived.effectWidth, 11);
  EXPECT_EQ(derived.eraserType, 1);
  EXPECT_EQ(derived.eraserWidth, 13);
  EXPECT_EQ(derived.lineType, 3);
  EXPECT_EQ(derived.lineAlpha, 0x20000000);
  EXPECT_EQ(derived.penType, 4);
  EXPECT_EQ(derived.defaultFontName, u"Verdana");
  EXPECT_EQ(derived.defaultFontSize, 14);
  EXPECT_EQ(derived.defaultAlign, 2);
  EXPECT_EQ(derived.defaultStyle, 3);
  EXPECT_EQ(derived.textInsertX, 12.5f);
  EXPECT_EQ(derived.textInsertY, 7.0f);
  EXPECT_EQ(derived.texts, source.texts);
  EXPECT_EQ(derived.selectedText, -1);
  EXPECT_TRUE(derived.submitImagePath.empty());
  EXPECT_TRUE(derived.submitThumbnailPath.empty());
  EXPECT_EQ(source.eraserPreview, nullptr);
  EXPECT_EQ(derived.eraserPreview, nullptr);
  EXPECT_EQ(derived.document, &document);
  EXPECT_EQ(derived.previous, &source);
  EXPECT_EQ(source.next.get(), &derived);
  // Changing the copy leaves the older state's texts alone.
  derived.texts[0].text = u"changed";
  EXPECT_EQ(source.texts[0].text, u"hello");
}

TEST_F(History, ClearIsRefusedOnANewBoard) {
  EXPECT_FALSE(document.Clear());
  EXPECT_EQ(document.CountStates(), 1);
  EXPECT_EQ(nextLayerId, 1);
}

TEST_F(History, ClearEmptiesTheDrawingAsAnUndoableStep) {
  ASSERT_TRUE(AddLayer(Current()));
  ASSERT_TRUE(AddLayer(Current()));
  PaintStep(document, 3, 3, kInk);
  Current().texts.push_back(DrawingText{5, 5, u"a", u"Verdana", 10, 0, 0, 0});
  Current().penWidth = 6;
  ASSERT_TRUE(SetCanvasWidth(Current(), 320));

  ASSERT_TRUE(document.Clear());
  ASSERT_EQ(Current().layers.size(), 1u);
  const DrawingLayer& layer = Current().layers[0];
  EXPECT_EQ(layer.id, 0);
  EXPECT_EQ(layer.bitmap->GetWidth(), 320u);
  EXPECT_EQ(LayerPixel(Current(), 0, 3, 3), 0u);
  EXPECT_EQ(Current().selectedLayer, 0);
  EXPECT_TRUE(Current().texts.empty());
  EXPECT_EQ(Current().penWidth, 6);
  EXPECT_EQ(Current().canvasWidth, 320);
  EXPECT_EQ(nextLayerId, 1);

  EXPECT_EQ(document.Undo(), kHistoryMoved);
  ASSERT_EQ(Current().layers.size(), 3u);
  EXPECT_EQ(Current().layers[2].id, 2);
  EXPECT_EQ(Current().texts.size(), 1u);
  EXPECT_EQ(nextLayerId, 1);
  // The stroke sat on layer 2 (then 300 wide), now centred in 320.
  EXPECT_EQ(LayerPixel(Current(), 2, 13, 3), kInk);
}

TEST_F(History, ClearAfterUndoingToTheFirstStateIsRefused) {
  PaintStep(document, 0, 0, kInk);
  document.Undo();
  EXPECT_FALSE(document.Clear());
  EXPECT_EQ(document.Redo(), kHistoryMoved);
}

TEST_F(History, LinkedStateIsAStepAfterTheCurrentOne) {
  PaintStep(document, 0, 0, kInk);
  PaintStep(document, 1, 0, kInk);
  document.Undo();
  auto loaded = std::make_unique<CDrawingState>();
  loaded->layers.push_back(MakeLayer(10, 10));
  CDrawingState* before = document.current;
  CDrawingState& linked = document.LinkState(std::move(loaded));
  EXPECT_EQ(document.current, &linked);
  EXPECT_EQ(linked.previous, before);
  EXPECT_EQ(linked.document, &document);
  EXPECT_EQ(document.Redo(), 0);
  EXPECT_EQ(document.CountStates(), 3);
}

TEST_F(History, TrimRunsForLinkedStatesToo) {
  for (int32_t stroke = 0; stroke < 30; ++stroke) {
    auto state = std::make_unique<CDrawingState>();
    state->layers.push_back(MakeLayer(4, 4));
    document.LinkState(std::move(state));
  }
  EXPECT_EQ(document.CountStates(), kMaxHistoryStates);
}

}  // namespace
}  // namespace varn::drawing
