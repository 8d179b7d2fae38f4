// Layer, canvas, zoom and history members of the drawing board: the events
// they fire, in order, and when they repaint.
#include <gtest/gtest.h>

#include <vector>

#include "tests/drawing/board.h"

namespace varn::drawing::testing {
namespace {

TEST(DrawingControlEvents, NewBoardReportsOneSelectedVisibleLayer) {
  Board board;
  ASSERT_EQ(board.Call(kDispRequestLayersInfo), S_OK);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnUpdateLayerInfo, {0, 0, true, true}}}));
}

TEST(DrawingControlEvents, AddLayerReportsIdsAndSelectionUpToTenLayers) {
  Board board;
  for (int32_t k = 1; k <= 10; ++k) ASSERT_EQ(board.Call(kDispAddLayer), S_OK);
  Events expected;
  for (int32_t k = 1; k <= 9; ++k) {
    expected.push_back({kOnAddLayer, {k}});
    expected.push_back({kOnSelectLayer, {k - 1, k}});
  }
  EXPECT_EQ(board.TakeEvents(), expected);
  EXPECT_EQ(board.Invalidations(), 0u);  // a new empty layer changes no pixel
  board.Call(kDispRequestLayersInfo);
  const Events report = board.TakeEvents();
  ASSERT_EQ(report.size(), 10u);
  EXPECT_EQ(report[9], (Event{kOnUpdateLayerInfo, {9, 9, true, true}}));
  EXPECT_EQ(report[4], (Event{kOnUpdateLayerInfo, {4, 4, false, true}}));
}

TEST(DrawingControlEvents, DeleteLayerReportsTheOldIndexThenTheNewSelection) {
  Board board;
  board.Call(kDispDeleteLayer);  // a single layer stays
  EXPECT_TRUE(board.Events().empty());
  board.Call(kDispAddLayer);
  board.Call(kDispAddLayer);  // [A, B, C], C selected
  board.TakeEvents();
  board.Call(kDispDeleteLayer);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnDeleteLayer, {2}}, {kOnSelectLayer, {-1, 1}}}));

  board.Call(kDispAddLayer);  // [A, B, D], D selected
  board.Call(kDispSelectLayer, {I4(1)});
  board.TakeEvents();
  const uint32_t before = board.Invalidations();
  board.Call(kDispDeleteLayer);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnDeleteLayer, {1}}, {kOnSelectLayer, {-1, 1}}}));
  EXPECT_GT(board.Invalidations(), before);
  board.Call(kDispRequestLayersInfo);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnUpdateLayerInfo, {0, 0, false, true}},
                                        {kOnUpdateLayerInfo, {1, 3, true, true}}}));
}

TEST(DrawingControlEvents, SelectingAHiddenLayerShowsItAndRepaints) {
  Board board;
  board.Call(kDispAddLayer);
  board.Call(kDispToggleLayerVisibility, {I4(1)});  // the selected one: refused
  board.Call(kDispToggleLayerVisibility, {I4(0)});
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnAddLayer, {1}},
                                        {kOnSelectLayer, {0, 1}},
                                        {kOnToggleLayerVisibility, {0, false}}}));
  uint32_t before = board.Invalidations();
  board.Call(kDispSelectLayer, {I4(0)});
  EXPECT_EQ(board.TakeEvents(),
            (Events{{kOnSelectLayer, {1, 0}}, {kOnToggleLayerVisibility, {0, true}}}));
  EXPECT_GT(board.Invalidations(), before);

  // A visible layer: the same two events and no repaint.
  before = board.Invalidations();
  board.Call(kDispSelectLayer, {I4(1)});
  EXPECT_EQ(board.TakeEvents(),
            (Events{{kOnSelectLayer, {0, 1}}, {kOnToggleLayerVisibility, {1, true}}}));
  EXPECT_EQ(board.Invalidations(), before);

  // The selected index and indexes outside the list do nothing.
  for (int32_t index : {1, 2, -1, 0x7FFFFFFF}) {
    board.Call(kDispSelectLayer, {I4(index)});
    board.Call(kDispToggleLayerVisibility, {I4(index)});
  }
  EXPECT_TRUE(board.Events().empty());
}

TEST(DrawingControlEvents, MoveLayerReportsBothIndexesAndRefusesAtTheEnds) {
  Board board;
  board.Call(kDispAddLayer);
  board.TakeEvents();
  board.Call(kDispMoveLayer, {Bool(true)});  // already on top
  board.Call(kDispUndo);                     // undoes the AddLayer, not a move
  board.Call(kDispRedo);
  board.TakeEvents();
  board.Call(kDispMoveLayer, {Bool(false)});
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnMoveLayer, {1, 0}}}));
  board.Call(kDispMoveLayer, {Bool(false)});  // already at the bottom
  EXPECT_TRUE(board.Events().empty());
  // Any non-zero flag means up; the layer keeps its id.
  board.Call(kDispMoveLayer, {I4(2)});
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnMoveLayer, {0, 1}}}));
  board.Call(kDispRequestLayersInfo);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnUpdateLayerInfo, {0, 0, false, true}},
                                        {kOnUpdateLayerInfo, {1, 1, true, true}}}));
}

TEST(DrawingControlEvents, MergeLayerLeavesOneLayerAndRestartsTheIds) {
  Board board;
  board.Call(kDispMergeLayer);  // a single layer: refused
  EXPECT_TRUE(board.Events().empty());
  board.Call(kDispAddLayer);
  board.Call(kDispAddLayer);
  board.TakeEvents();
  board.Call(kDispMergeLayer);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnInvalidateInfo, {}}}));
  board.Call(kDispAddLayer);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnAddLayer, {1}}, {kOnSelectLayer, {0, 1}}}));
}

TEST(DrawingControlEvents, ASinkChangingTheLayersDuringTheReportIsSafe) {
  Board board;
  board.Call(kDispAddLayer);
  board.Call(kDispAddLayer);
  board.TakeEvents();
  // The page deletes a layer while hearing about the first one.
  bool deleted = false;
  board.Sink().onEvent = [&](const Event& event) {
    if (event.dispid == kOnUpdateLayerInfo && !deleted) {
      deleted = true;
      board.Call(kDispDeleteLayer);
    }
  };
  board.Call(kDispRequestLayersInfo);
  board.Sink().onEvent = nullptr;
  const Events seen = board.TakeEvents();
  ASSERT_EQ(seen.size(), 4u);  // layer 0, the deletion's two events, layer 1
  EXPECT_EQ(seen[0], (Event{kOnUpdateLayerInfo, {0, 0, false, true}}));
  EXPECT_EQ(seen[3], (Event{kOnUpdateLayerInfo, {1, 1, true, true}}));
}

TEST(DrawingControlEvents, SizeAndZoomPutsReportTheZoomedSize) {
  Board board;
  board.PutInt(kDispZoomValue, 3);
  board.PutInt(kDispImageHeight, 200);
  board.TakeEvents();
  board.PutInt(kDispImageHeight, 250);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnSizeChange, {900, 750}}}));
  board.PutInt(kDispZoomValue, 3);
  board.PutInt(kDispImageHeight, 250);
  EXPECT_TRUE(board.Events().empty());
  EXPECT_EQ(board.GetInt(kDispImageHeight), 250);
  EXPECT_EQ(board.GetInt(kDispZoomValue), 3);
  board.PutInt(kDispImageWidth, 400);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnSizeChange, {1200, 750}}}));
  // The canvas-size puts are steps; the zoom is not part of the history.
  board.Call(kDispUndo);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnSizeChange, {900, 750}}, {kOnInvalidateInfo, {}}}));
  EXPECT_EQ(board.GetInt(kDispImageWidth), 300);
  EXPECT_EQ(board.GetInt(kDispZoomValue), 3);
}

TEST(DrawingControlEvents, NonsensicalSizesAndZoomsChangeNothing) {
  Board board;
  for (int32_t zoom : {0, -1, -100}) board.PutInt(kDispZoomValue, zoom);
  for (int32_t size : {0, -5, 1 << 30, 0x7FFFFFFF}) {
    EXPECT_EQ(board.PutInt(kDispImageWidth, size), S_OK);
    EXPECT_EQ(board.PutInt(kDispImageHeight, size), S_OK);
  }
  EXPECT_TRUE(board.Events().empty());
  EXPECT_EQ(board.GetInt(kDispZoomValue), 1);
  EXPECT_EQ(board.GetInt(kDispImageWidth), 300);
  EXPECT_EQ(board.GetInt(kDispImageHeight), 300);
  board.Call(kDispUndo);  // no step was made
  EXPECT_TRUE(board.Events().empty());
  // The board still paints at its size.
  board.Paint();
  EXPECT_EQ(board.At(299, 299), kWhite);
}

TEST(DrawingControlEvents, HugeZoomSaturatesTheReportedSize) {
  Board board;
  board.PutInt(kDispZoomValue, 0x7FFFFFFF);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnSizeChange, {0x7FFFFFFF, 0x7FFFFFFF}}}));
  // Pointer positions shrink to the canvas origin; nothing breaks.
  board.Drag({{10, 10}, {32000, 32000}});
  board.Paint(20, 20);
  EXPECT_EQ(board.At(10, 10), kWhite);
}

TEST(DrawingControlEvents, UndoRedoAndClearOnANewBoardDoNothing) {
  Board board;
  for (DISPID dispid : {kDispUndo, kDispRedo, kDispClear}) {
    EXPECT_EQ(board.Call(dispid), S_OK);
  }
  EXPECT_TRUE(board.Events().empty());
  EXPECT_EQ(board.Invalidations(), 0u);
}

TEST(DrawingControlEvents, ClearIsAStepThatUndoReverses) {
  Board board;
  board.Call(kDispAddLayer);
  board.Call(kDispAddLayer);
  board.TakeEvents();
  board.Call(kDispClear);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnInvalidateInfo, {}}}));
  board.Call(kDispRequestLayersInfo);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnUpdateLayerInfo, {0, 0, true, true}}}));
  board.Call(kDispUndo);
  board.TakeEvents();
  board.Call(kDispRequestLayersInfo);
  EXPECT_EQ(board.TakeEvents().size(), 3u);
  // The ids keep counting from after the clear.
  board.Call(kDispRedo);
  board.Call(kDispAddLayer);
  const Events events = board.TakeEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1], (Event{kOnAddLayer, {1}}));
}

TEST(DrawingControlEvents, SettingsComeBackWithUndoWithoutEvents) {
  Board board;
  board.PutInt(kDispPenWidth, 8);
  board.Drag({{10, 10}, {50, 50}});
  board.PutInt(kDispPenWidth, 9);
  board.PutText(kDispPaletteColor, u"#ff0000");
  board.TakeEvents();
  board.Call(kDispUndo);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnInvalidateInfo, {}}}));
  EXPECT_EQ(board.GetInt(kDispPenWidth), 8);
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#000000");
  // The swatches belong to the control, not to the history.
  EXPECT_EQ(board.PaletteEntry(0), u"#ff0000");
}

}  // namespace
}  // namespace varn::drawing::testing
