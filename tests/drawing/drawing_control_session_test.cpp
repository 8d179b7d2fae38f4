// A member's session on the drawing board as a page runs it: tools chosen
// through properties, gestures as window messages, the picture read back
// through Draw, then undone and redone step by step.
#include <gtest/gtest.h>

#include <vector>

#include "tests/drawing/board.h"

namespace varn::drawing::testing {
namespace {

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kYellow = 0xFFFFFF00u;

// Pixels of the text's area that are nearly black (glyphs and frame).
int DarkPixelsAroundTheText(const Board& board) {
  int count = 0;
  for (int32_t y = 48; y < 90; ++y) {
    for (int32_t x = 48; x < 110; ++x) {
      const uint32_t pixel = board.At(x, y);
      const bool dark =
          ((pixel >> 16) & 0xFF) < 0x40 && ((pixel >> 8) & 0xFF) < 0x40 && (pixel & 0xFF) < 0x40;
      count += dark ? 1 : 0;
    }
  }
  return count;
}

class DrawingControlSession : public ::testing::Test {
 protected:
  void SetUp() override { board.Resize(300, 300); }

  void Choose(int32_t tool, const char16_t* color) {
    board.PutInt(kDispToolType, tool);
    board.PutText(kDispPaletteColor, color);
  }

  // Everything the session left on screen, with the steps that made it.
  void ExpectFullPicture() {
    board.Paint();
    EXPECT_EQ(board.At(70, 20), kRed);       // pen, layer 0
    EXPECT_EQ(board.At(70, 100), kGreen);    // line, layer 0
    EXPECT_EQ(board.At(175, 175), kBlue);    // filled box, layer 1
    EXPECT_EQ(board.At(250, 250), kYellow);  // fill, layer 0, under the box's layer
    EXPECT_EQ(board.At(270, 130), kWhite);   // erased from the fill
    EXPECT_EQ(board.At(270, 140), kYellow);
    EXPECT_GT(DarkPixelsAroundTheText(board), 30);
  }

  Board board;
};

TEST_F(DrawingControlSession, DrawsOnTwoLayersThenUndoesAndRedoesEveryStep) {
  // Layer 0: a wide red pen stroke and a green line.
  Choose(kToolPen, u"#ff0000");
  board.PutInt(kDispPenWidth, 5);
  board.PaintedDrag({{20, 20}, {70, 20}, {120, 20}});
  Choose(kToolLine, u"#00ff00");
  board.PutInt(kDispLineWidth, 3);
  board.PaintedDrag({{20, 100}, {60, 140}, {120, 100}});

  // Layer 1: a filled blue box.
  board.Call(kDispAddLayer);
  Choose(kToolShape, u"#0000ff");
  board.PutInt(kDispShapeType, 3);
  board.PaintedDrag({{150, 150}, {200, 200}});

  // Back on layer 0: fill its transparent area yellow, then erase a stroke.
  board.Call(kDispSelectLayer, {I4(0)});
  Choose(kToolFill, u"#ffff00");
  board.Send(WM_LBUTTONDOWN, 250, 250);
  board.Send(WM_LBUTTONUP, 250, 250);
  board.PutInt(kDispToolType, kToolEraser);
  board.PutInt(kDispEraserWidth, 10);
  board.PaintedDrag({{250, 130}, {270, 130}, {290, 130}});

  // A text over everything.
  board.PutText(kDispPaletteColor, u"#000000");
  board.PutInt(kDispTextFontSize, 20);
  board.PutText(kDispTextCurrent, u"Hi");
  board.TakeEvents();
  ExpectFullPicture();
  // The layer below the box shows through where the box is not.
  EXPECT_EQ(board.At(140, 175), kYellow);

  const int kSteps = 4;  // text, eraser, fill, box
  for (int i = 0; i < kSteps; ++i) board.Call(kDispUndo);
  EXPECT_EQ(board.TakeEvents(), std::vector<Event>(kSteps, Event{kOnInvalidateInfo, {}}));
  board.Paint();
  EXPECT_EQ(board.At(70, 20), kRed);
  EXPECT_EQ(board.At(70, 100), kGreen);
  EXPECT_EQ(board.At(175, 175), kWhite);
  EXPECT_EQ(board.At(250, 250), kWhite);
  EXPECT_EQ(DarkPixelsAroundTheText(board), 0);
  board.Call(kDispRequestLayersInfo);
  EXPECT_EQ(board.TakeEvents().size(), 2u);  // the added layer stays, empty

  for (int i = 0; i < kSteps; ++i) board.Call(kDispRedo);
  EXPECT_EQ(board.TakeEvents(), std::vector<Event>(kSteps, Event{kOnInvalidateInfo, {}}));
  ExpectFullPicture();

  // Undo the text and the eraser again.
  board.Call(kDispUndo);
  board.Call(kDispUndo);
  board.Paint();
  EXPECT_EQ(board.At(270, 130), kYellow);
  EXPECT_EQ(DarkPixelsAroundTheText(board), 0);
  // A new step now drops what could have been redone.
  Choose(kToolPen, u"#0000ff");
  board.PaintedDrag({{10, 290}, {100, 290}});
  board.TakeEvents();
  board.Call(kDispRedo);
  EXPECT_TRUE(board.Events().empty());
  board.Paint();
  EXPECT_EQ(board.At(50, 290), kBlue);
  EXPECT_EQ(board.At(270, 130), kYellow);
}

TEST_F(DrawingControlSession, TwentyFiveStrokesKeepNineteenUndoSteps) {
  board.PutInt(kDispPenWidth, 3);
  for (int i = 0; i < 25; ++i) board.Drag({{10, 10 + 10 * i}, {200, 10 + 10 * i}});
  board.TakeEvents();
  for (int i = 0; i < 20; ++i) board.Call(kDispUndo);
  EXPECT_EQ(board.TakeEvents(), std::vector<Event>(19, Event{kOnInvalidateInfo, {}}));
  board.Paint();
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(board.At(100, 10 + 10 * i), i < 6 ? kBlack : kWhite) << "stroke " << i;
  }
}

}  // namespace
}  // namespace varn::drawing::testing
