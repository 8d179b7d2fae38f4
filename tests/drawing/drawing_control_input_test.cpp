// The drawing board's window: mouse messages reach the tools through the
// zoom, their answers capture, release, repaint and fire events, and painting
// stretches the canvas over the client area whole pixel by whole pixel.
#include <gtest/gtest.h>

#include <vector>

#include "tests/drawing/board.h"

namespace varn::drawing::testing {
namespace {

int CountPixels(const Board& board, uint32_t color) {
  int count = 0;
  for (uint32_t pixel : board.Picture()) count += pixel == color ? 1 : 0;
  return count;
}

TEST(DrawingControlInput, AStrokeCapturesTheMouseUntilReleaseAndBecomesOneStep) {
  Board board;
  board.Resize(300, 300);
  board.Send(WM_LBUTTONDOWN, 20, 100);
  EXPECT_TRUE(board.HasCapture());
  board.Send(WM_MOUSEMOVE, 120, 100);
  // The preview is on screen before the release.
  board.Paint();
  EXPECT_EQ(board.At(70, 100), kBlack);
  board.Send(WM_LBUTTONUP, 120, 100);
  EXPECT_FALSE(board.HasCapture());
  board.Paint();
  EXPECT_EQ(board.At(70, 100), kBlack);
  EXPECT_EQ(board.At(70, 110), kWhite);
  EXPECT_TRUE(board.Events().empty());

  board.Call(kDispUndo);
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnInvalidateInfo, {}}}));
  board.Paint();
  EXPECT_EQ(CountPixels(board, kWhite), 300 * 300);
  board.Call(kDispRedo);
  board.Paint();
  EXPECT_EQ(board.At(70, 100), kBlack);
}

TEST(DrawingControlInput, MovesWithoutAGestureAreIgnored) {
  Board board;
  board.Resize(300, 300);
  const uint32_t before = board.Invalidations();
  LRESULT result = -1;
  EXPECT_EQ(board.Send(WM_MOUSEMOVE, 50, 50, &result), S_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(board.Invalidations(), before);
  board.Paint();
  EXPECT_EQ(CountPixels(board, kWhite), 300 * 300);
}

TEST(DrawingControlInput, EraseBackgroundIsHandledWithoutDrawing) {
  Board board;
  LRESULT result = 0;
  EXPECT_EQ(board.Send(WM_ERASEBKGND, 0, 0, &result), S_OK);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(board.Invalidations(), 0u);
}

TEST(DrawingControlInput, ZoomDividesPointerPositionsAndPaintingRepeatsWholePixels) {
  Board board;
  board.PutInt(kDispZoomValue, 2);
  board.Resize(600, 600);
  // Client (101, 201) to (201, 201) is canvas (50.5, 100.5) to (100.5, 100.5).
  board.Drag({{101, 201}, {201, 201}});
  board.Paint(600, 600);
  EXPECT_EQ(board.At(150, 200), kBlack);
  EXPECT_EQ(board.At(151, 201), kBlack);
  EXPECT_EQ(board.At(150, 210), kWhite);
  // Every canvas pixel is a 2 x 2 block of one colour.
  for (int32_t y = 0; y < 600; y += 2) {
    for (int32_t x = 0; x < 600; x += 2) {
      const uint32_t pixel = board.At(x, y);
      ASSERT_EQ(board.At(x + 1, y), pixel) << x << ", " << y;
      ASSERT_EQ(board.At(x, y + 1), pixel) << x << ", " << y;
      ASSERT_EQ(board.At(x + 1, y + 1), pixel) << x << ", " << y;
    }
  }
  EXPECT_GE(CountPixels(board, kBlack), 4 * 45);
}

TEST(DrawingControlInput, PaintingFillsTheBoundsWhateverTheirSize) {
  Board board;
  board.PutText(kDispPaletteColor, u"#0000ff");
  board.PutInt(kDispToolType, 9);
  board.Send(WM_LBUTTONDOWN, 10, 10);  // the whole transparent layer turns blue
  board.Send(WM_LBUTTONUP, 10, 10);
  board.Paint(150, 75);
  EXPECT_EQ(CountPixels(board, 0xFF0000FFu), 150 * 75);
}

TEST(DrawingControlInput, ThePickerReadsWhatTheLastPaintShowed) {
  Board board;
  board.Resize(300, 300);
  board.PutText(kDispPaletteColor, u"#ff0000");
  board.PutInt(kDispPenWidth, 5);
  board.Drag({{10, 10}, {100, 10}});
  board.Paint();
  board.PutInt(kDispToolType, 8);
  board.TakeEvents();

  board.Send(WM_LBUTTONDOWN, 200, 200);
  board.Send(WM_LBUTTONUP, 200, 200);
  EXPECT_FALSE(board.HasCapture());
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnUpdateColor, {}}}));
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#ffffff");

  board.Send(WM_LBUTTONDOWN, 50, 10);
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#ff0000");
  // Outside the canvas the picker finds black.
  board.Send(WM_LBUTTONDOWN, 310, 5);
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#000000");
  board.Send(WM_LBUTTONDOWN, -3, 5);
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#000000");
  EXPECT_EQ(board.TakeEvents().size(), 3u);
  // Picking is no step, and the swatches do not learn the colour.
  EXPECT_EQ(board.PaletteEntry(1), u"#000000");
}

TEST(DrawingControlInput, TheHandToolAsksThePageToScroll) {
  Board board;
  board.PutInt(kDispToolType, 0);
  board.TakeEvents();
  board.Send(WM_LBUTTONDOWN, 100, 100);
  EXPECT_TRUE(board.HasCapture());
  board.Send(WM_MOUSEMOVE, 90, 95);
  board.Send(WM_MOUSEMOVE, 85, 97);
  board.Send(WM_LBUTTONUP, 85, 97);
  EXPECT_FALSE(board.HasCapture());
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnMoveImage, {10, 5}}, {kOnMoveImage, {5, -2}}}));
  board.Call(kDispUndo);  // scrolling is no step
  EXPECT_TRUE(board.Events().empty());
}

TEST(DrawingControlInput, ARightPressWithThePenCommitsEvenWithoutAGesture) {
  Board board;
  board.Send(WM_RBUTTONDOWN, 40, 40);
  EXPECT_FALSE(board.HasCapture());
  board.Call(kDispUndo);  // a state was derived, with nothing drawn
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnInvalidateInfo, {}}}));
  board.Paint();
  EXPECT_EQ(CountPixels(board, kWhite), 300 * 300);
}

TEST(DrawingControlInput, CancelModeDropsTheGestureWithoutAStep) {
  Board board;
  board.Send(WM_LBUTTONDOWN, 20, 20);
  board.Send(WM_MOUSEMOVE, 80, 80);
  ASSERT_TRUE(board.HasCapture());
  LRESULT result = 0;
  board.Send(WM_CANCELMODE, 0, 0, &result);
  EXPECT_FALSE(board.HasCapture());
  board.Send(WM_MOUSEMOVE, 90, 90);
  board.Send(WM_LBUTTONUP, 90, 90);  // commits an empty list: one step, no pixels
  board.Paint();
  EXPECT_EQ(CountPixels(board, kWhite), 300 * 300);
}

TEST(DrawingControlInput, TheTextToolSelectsAndDragsATextObject) {
  Board board;
  board.PutText(kDispPaletteColor, u"#0000ff");
  board.PutInt(kDispTextFontSize, 20);
  board.PutText(kDispTextCurrent, u"WWWW");
  board.PutInt(kDispToolType, 6);
  // Click beside every text: the selection goes.
  board.Send(WM_LBUTTONDOWN, 250, 250);
  board.Send(WM_LBUTTONUP, 250, 250);
  EXPECT_EQ(board.GetText(kDispTextCurrent), std::nullopt);
  board.TakeEvents();

  // A press on the text selects it, tells the page, and takes its colour.
  board.Send(WM_LBUTTONDOWN, 60, 58);
  EXPECT_TRUE(board.HasCapture());
  EXPECT_EQ(board.TakeEvents(), (Events{{kOnInvalidateInfo, {}}}));
  EXPECT_EQ(board.GetText(kDispTextCurrent), u"WWWW");
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#0000ff");
  board.Paint();
  const int blueBefore = CountPixels(board, 0xFF0000FFu);
  EXPECT_GT(blueBefore, 20);
  EXPECT_EQ(board.At(49, 49), kWhite);

  board.Send(WM_MOUSEMOVE, 160, 158);
  board.Send(WM_LBUTTONUP, 160, 158);
  EXPECT_FALSE(board.HasCapture());
  board.Paint();
  // The text moved by (100, 100): nothing blue is left near its old place.
  int blueNearOldPlace = 0;
  for (int32_t y = 40; y < 90; ++y) {
    for (int32_t x = 40; x < 140; ++x) blueNearOldPlace += board.At(x, y) == 0xFF0000FFu;
  }
  EXPECT_EQ(blueNearOldPlace, 0);
  EXPECT_EQ(CountPixels(board, 0xFF0000FFu), blueBefore);
}

TEST(DrawingControlInput, ASinkReleasingTheBoardInsideAMessageIsSafe) {
  Board board;
  board.PutInt(kDispToolType, 0);
  // The page drops its last reference when it hears about the scroll.
  board.Sink().onEvent = [&board](const Event& event) {
    if (event.dispid == kOnMoveImage) board.Drop();
  };
  board.Send(WM_LBUTTONDOWN, 10, 10);
  EXPECT_EQ(board.Send(WM_MOUSEMOVE, 20, 10), S_OK);
  ASSERT_EQ(board.Events().size(), 2u);  // the tool change and the one scroll
}

}  // namespace
}  // namespace varn::drawing::testing
