// The mouse through the control's messages: what the member's gestures leave
// in the picture, in the paint and in the page's events. The tools' own cases
// are in edit_tools_test.cpp; these check the wiring.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/imageedit/editor_page.h"

namespace varn::imageedit::testing {
namespace {

constexpr int32_t kWidth = 300;
constexpr int32_t kHeight = 250;

class EditorMouse : public EditorTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(editor.Add(Picture("white.png", 240, 180)), S_OK);
    editor.Resize(kWidth, kHeight);
    editor.TakeEvents();
  }
  void Tool(int32_t tool) {
    ASSERT_EQ(editor.PutInt(kDispToolType, tool), S_OK);
    editor.TakeEvents();
  }
  uint32_t Shown(int32_t x, int32_t y) {
    editor.Paint(kWidth, kHeight);
    return editor.At(x, y);
  }
};

// The stroke is the press and the moves; the release point is not part of it.
TEST_F(EditorMouse, PenStrokeDrawsThePolylineOfPressAndMoves) {
  Tool(kToolPen);
  ASSERT_EQ(editor.PutText(kDispDrawPenColor, std::u16string_view(u"#ff0000")), S_OK);
  editor.Send(WM_LBUTTONDOWN, 10, 10);
  editor.Send(WM_MOUSEMOVE, 20, 10);
  editor.Send(WM_MOUSEMOVE, 20, 20);
  EXPECT_EQ(Shown(15, 10), kRed);  // the preview
  editor.Send(WM_LBUTTONUP, 40, 40);
  EXPECT_FALSE(editor.HasCapture());
  EXPECT_EQ(Shown(15, 10), kRed);
  EXPECT_EQ(Shown(20, 15), kRed);
  EXPECT_EQ(Shown(30, 30), kWhite);
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnUpdateData, {}}}));  // the colour, no more
}

// A framed picture lies 15 pixels in: the stroke stays under the mouse.
TEST_F(EditorMouse, FramedPictureStrokeStaysUnderTheMouse) {
  ASSERT_EQ(editor.PutInt(kDispFrameIndex, 3), S_OK);
  Tool(kToolPen);
  editor.Drag({{50, 40}, {90, 40}, {90, 41}});
  EXPECT_EQ(Shown(70, 40), 0xFF000000u);
  EXPECT_EQ(Shown(70, 60), kWhite);
  uint32_t layer = 0;
  ASSERT_EQ(editor.Current().penLayer->GetPixel(70 - 15, 40 - 15, &layer), imaging::Status::Ok);
  EXPECT_EQ(layer >> 24, 0xFFu);
}

TEST_F(EditorMouse, RightPressAbandonsAMosaicWithoutATrace) {
  Tool(kToolMosaic);
  editor.Paint(kWidth, kHeight);
  const std::vector<uint32_t> before = editor.Picture();
  const int32_t nodes = editor.Control().ImageAt(0).CountNodes();
  editor.Send(WM_LBUTTONDOWN, 20, 20);
  editor.Send(WM_MOUSEMOVE, 120, 90);
  EXPECT_TRUE(editor.HasCapture());
  editor.Paint(kWidth, kHeight);
  EXPECT_NE(editor.Picture(), before);  // the rubber band
  editor.Send(WM_RBUTTONDOWN, 120, 90);
  EXPECT_FALSE(editor.HasCapture());
  editor.Send(WM_LBUTTONUP, 120, 90);
  editor.Paint(kWidth, kHeight);
  EXPECT_EQ(editor.Picture(), before);
  EXPECT_EQ(editor.Control().ImageAt(0).CountNodes(), nodes);
}

TEST_F(EditorMouse, ScrollDragReportsPreviousMinusCurrent) {
  Tool(kToolScroll);
  editor.Drag({{100, 100}, {90, 130}});
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnScroll, {10, -30}}}));
  // No tool changes the cursor.
  EXPECT_EQ(editor.Control().Window().Cursor(), IDC_ARROW);
}

TEST_F(EditorMouse, CropDragReportsTheCroppedSize) {
  Tool(kToolCrop);
  editor.Drag({{50, 60}, {10, 20}});
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnChangeSize, {40, 40}}}));
  EXPECT_EQ(editor.GetInt(kDispImageWidth), 40);
}

// A press on a text switches to moving it; one on the stamp to the
// signature tool.
TEST_F(EditorMouse, PressOnATextOrTheStampSwitchesTheTool) {
  Tool(kToolScroll);
  editor.Drag({{40, 40}, {40, 40}});  // the next text goes here
  ASSERT_EQ(editor.PutText(kDispTextCurrentText, std::u16string_view(u"Hello there")), S_OK);
  ASSERT_EQ(editor.Call(kDispApplyCurrentText), S_OK);
  editor.TakeEvents();
  const float x = editor.Current().textItems.at(0).x;
  editor.Drag({{45, 45}, {65, 55}});
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnChangeTab, {1}}}));
  EXPECT_EQ(editor.GetInt(kDispToolType), kToolMoveText);
  EXPECT_EQ(editor.Current().textItems.at(0).x, x + 20);

  ASSERT_EQ(editor.PutInt(kDispSignIndex, 1), S_OK);
  ASSERT_EQ(editor.PutText(kDispSignStampText, std::u16string_view(u"VARN")), S_OK);
  Tool(kToolScroll);
  const imaging::PointF at = editor.Current().signPosition;
  editor.Drag({{static_cast<int32_t>(at.X) + 8, static_cast<int32_t>(at.Y) + 8},
               {static_cast<int32_t>(at.X) + 18, static_cast<int32_t>(at.Y) + 8}});
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnChangeTab, {7}}}));
  EXPECT_EQ(editor.Current().signPosition.X, at.X + 10);
}

// Deleting the picture under a drag ends it and lets go of the mouse.
TEST_F(EditorMouse, DeletingThePictureEndsTheDrag) {
  Tool(kToolPen);
  editor.Send(WM_LBUTTONDOWN, 10, 10);
  ASSERT_TRUE(editor.HasCapture());
  ASSERT_EQ(editor.Call(kDispDeleteImage), S_OK);
  EXPECT_FALSE(editor.HasCapture());
  editor.Send(WM_MOUSEMOVE, 30, 30);
  editor.Send(WM_LBUTTONUP, 30, 30);
  EXPECT_FALSE(editor.Control().Dragging());
}

}  // namespace
}  // namespace varn::imageedit::testing
