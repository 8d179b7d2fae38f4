#include <gtest/gtest.h>

#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/drawing_tools.h"
#include "model_test_support.h"

namespace varn::drawing {
namespace {

using testing::PixelAt;

// The handlers driven as the control drives them; Release forgets the
// gesture as ApplyToolResult does.
class ToolHandlers : public ::testing::Test {
 protected:
  CDrawingState& State() { return *document.current; }
  imaging::Bitmap& Layer() { return *State().SelectedLayer().bitmap; }
  void Use(int32_t tool) { State().toolType = tool; }

  ToolResult Down(PointF p) { return Forget(OnToolDown(State(), points, p)); }
  ToolResult Move(PointF p) { return Forget(OnToolMove(State(), points, p)); }
  ToolResult Up(PointF p) { return Forget(OnToolUp(State(), points, p)); }
  ToolResult RightDown(PointF p) { return Forget(OnToolRightDown(State(), points, p)); }
  ToolResult DoubleClick(PointF p) { return Forget(OnToolDoubleClick(State(), points, p)); }
  ToolResult Forget(ToolResult result) {
    last = points;
    if ((result & kRelease) != 0) points.clear();
    return result;
  }

  CDrawingDocument document;
  std::vector<PointF> points;
  // The gesture as the last handler left it, before a release forgot it.
  std::vector<PointF> last;
};

TEST_F(ToolHandlers, PenStrokeIsOneStepWithItsOwnPixels) {
  const imaging::Bitmap* before = State().SelectedLayer().bitmap.get();
  EXPECT_EQ(Down({10, 10}), kCapture | kRedraw);
  EXPECT_EQ(Move({20, 10}), kRedraw);
  EXPECT_EQ(Move({30, 10}), kRedraw);
  EXPECT_EQ(points.size(), 3u);
  EXPECT_EQ(document.CountStates(), 1);
  EXPECT_EQ(Up({30, 10}), kRelease);
  EXPECT_EQ(document.CountStates(), 2);
  EXPECT_EQ(PixelAt(Layer(), 25, 10), imaging::kOpaqueBlack);
  EXPECT_EQ(PixelAt(*before, 25, 10), 0u);
}

TEST_F(ToolHandlers, PenClickAndRightPressDeriveAndDrawNothing) {
  Down({10, 10});
  EXPECT_EQ(Up({10, 10}), kRelease);
  EXPECT_EQ(document.CountStates(), 2);
  // Outside any gesture the right button still commits the empty list.
  EXPECT_EQ(RightDown({5, 5}), kRelease);
  EXPECT_EQ(document.CountStates(), 3);
  EXPECT_EQ(PixelAt(Layer(), 10, 10), 0u);
  ASSERT_EQ(document.Undo(), kHistoryMoved);
}

TEST_F(ToolHandlers, EraserWorksOnItsPreviewUntilTheRelease) {
  State().eraserPreview = Layer().Clone();
  Layer().SetPixel(20, 20, 0xFFFF0000);
  Use(kToolEraser);
  EXPECT_EQ(Down({15, 20}), kCapture);
  EXPECT_EQ(State().eraserPreview, nullptr);
  EXPECT_EQ(Move({25, 20}), kRedraw);
  EXPECT_EQ(Up({25, 20}), kRelease);
  EXPECT_EQ(State().eraserPreview, nullptr);
  EXPECT_EQ(PixelAt(Layer(), 20, 20), 0u);
  ASSERT_NE(State().previous, nullptr);
  EXPECT_EQ(PixelAt(*State().previous->SelectedLayer().bitmap, 20, 20), 0xFFFF0000u);
}

TEST_F(ToolHandlers, HandToolScrollsByTheLastStep) {
  Use(kToolHand);
  EXPECT_EQ(Down({100, 100}), kCapture);
  EXPECT_EQ(Move({90, 95}), kScroll);
  EXPECT_EQ(points, (std::vector<PointF>{{100, 100}, {90, 95}}));
  EXPECT_EQ(Move({85, 95}), kScroll);
  EXPECT_EQ(points, (std::vector<PointF>{{90, 95}, {85, 95}}));
  EXPECT_EQ(Up({85, 95}), kRelease);
  EXPECT_EQ(document.CountStates(), 1);
}

TEST_F(ToolHandlers, DragLineFollowsThePointerAndCommitsAtTheRelease) {
  Use(kToolLine);
  EXPECT_EQ(Down({10, 10}), kCapture);
  Move({20, 20});
  EXPECT_EQ(Move({40, 10}), kRedraw);
  EXPECT_EQ(points, (std::vector<PointF>{{10, 10}, {40, 10}}));
  EXPECT_EQ(RightDown({40, 10}), kNoResult);
  EXPECT_EQ(DoubleClick({40, 10}), kNoResult);
  EXPECT_EQ(Up({40, 10}), kRelease);
  EXPECT_EQ(PixelAt(Layer(), 25, 10), imaging::kOpaqueBlack);
  EXPECT_EQ(PixelAt(Layer(), 20, 20), 0u);
}

TEST_F(ToolHandlers, CurveByClicksEndsAtTheDoubleClick) {
  Use(kToolLine);
  State().lineType = kLineCurve;
  Down({0, 0});
  EXPECT_EQ(Up({0, 0}), kNoResult);
  Move({20, 30});
  // The pointer reaches each corner before the press there.
  Move({50, 50});
  Down({50, 50});
  Up({50, 50});
  Move({80, 10});
  Move({100, 0});
  // A double-click arrives as press, release, double-click, release.
  Down({100, 0});
  Up({100, 0});
  EXPECT_EQ(points.size(), 4u);
  EXPECT_EQ(document.CountStates(), 1);
  EXPECT_EQ(DoubleClick({100, 0}), kRedraw | kRelease);
  EXPECT_EQ(last, (std::vector<PointF>{{0, 0}, {50, 50}, {100, 0}}));
  EXPECT_EQ(document.CountStates(), 2);
  EXPECT_EQ(PixelAt(Layer(), 50, 50), imaging::kOpaqueBlack);
  EXPECT_EQ(Up({100, 0}), kNoResult);
  EXPECT_EQ(document.CountStates(), 2);
}

TEST_F(ToolHandlers, PolygonEndedByARightPressKeepsThePointerCorner) {
  Use(kToolShape);
  State().shapeType = kShapeFilledPolygon;
  Down({10, 10});
  Up({10, 10});
  Move({60, 10});
  Down({60, 10});
  Up({60, 10});
  Move({60, 60});
  EXPECT_EQ(RightDown({60, 60}), kRelease);
  EXPECT_EQ(last, (std::vector<PointF>{{10, 10}, {60, 10}, {60, 60}}));
  EXPECT_EQ(PixelAt(Layer(), 50, 20), imaging::kOpaqueBlack);
  EXPECT_EQ(PixelAt(Layer(), 20, 50), 0u);
}

TEST_F(ToolHandlers, DraggedShapeCommitsAtTheRelease) {
  Use(kToolShape);
  Down({10, 40});
  Move({30, 20});
  EXPECT_EQ(RightDown({30, 20}), kNoResult);
  EXPECT_EQ(Up({30, 20}), kRelease);
  EXPECT_EQ(PixelAt(Layer(), 10, 30), imaging::kOpaqueBlack);
}

TEST_F(ToolHandlers, EffectDerivesAtThePressAndCollectsPoints) {
  Use(kToolEffect);
  EXPECT_EQ(Down({5, 5}), kCapture);
  EXPECT_EQ(document.CountStates(), 2);
  EXPECT_EQ(Move({6, 5}), kRedraw);
  EXPECT_EQ(points.size(), 2u);
  EXPECT_EQ(Up({6, 5}), kRelease);
  EXPECT_EQ(document.CountStates(), 2);
}

TEST_F(ToolHandlers, FillDerivesAndFillsAtTheClick) {
  Use(kToolFill);
  State().colour = 0x00ABCDEF;
  EXPECT_EQ(Down({5, 5}), kRedraw);
  EXPECT_TRUE(points.empty());
  EXPECT_EQ(document.CountStates(), 2);
  EXPECT_EQ(PixelAt(Layer(), 299, 299), 0xFFABCDEFu);
  EXPECT_EQ(PixelAt(*State().previous->SelectedLayer().bitmap, 299, 299), 0u);
  EXPECT_EQ(Up({5, 5}), kRelease);
}

TEST_F(ToolHandlers, PickerOnlyAsksForTheColour) {
  Use(kToolColorPicker);
  EXPECT_EQ(Down({5, 5}), kPickColor);
  EXPECT_TRUE(points.empty());
  EXPECT_EQ(Up({5, 5}), kRelease);
  EXPECT_EQ(RightDown({5, 5}), kRelease);
  EXPECT_EQ(DoubleClick({5, 5}), kNoResult);
  EXPECT_EQ(document.CountStates(), 1);
}

TEST_F(ToolHandlers, TextAndUnknownToolsEndWithARelease) {
  for (int32_t tool : {int32_t{kToolText}, 10, -1}) {
    Use(tool);
    EXPECT_EQ(Up({1, 1}), kRelease) << tool;
    EXPECT_EQ(RightDown({1, 1}), kRelease) << tool;
    EXPECT_EQ(DoubleClick({1, 1}), kNoResult) << tool;
  }
  Use(12);
  EXPECT_EQ(Down({1, 1}), kCapture);
  EXPECT_EQ(Move({2, 2}), kNoResult);
  EXPECT_EQ(points.size(), 1u);
  EXPECT_EQ(document.CountStates(), 1);
}

}  // namespace
}  // namespace varn::drawing
