#include <gtest/gtest.h>

#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/drawing_tools.h"
#include "drawing/layer_operations.h"
#include "model_test_support.h"

namespace varn::drawing {
namespace {

using testing::PixelAt;

constexpr uint32_t kInk = 0xFF0000FF;

class MoveTool : public ::testing::Test {
 protected:
  void SetUp() override {
    Current().toolType = kToolMove;
    Current().SelectedLayer().bitmap->SetPixel(0, 0, kInk);
  }
  CDrawingState& Current() { return *document.current; }
  DrawingLayer& Layer() { return Current().SelectedLayer(); }

  // A press, one move per step and the release, as the control sends them.
  void Drag(PointF from, const std::vector<PointF>& through) {
    OnToolDown(Current(), points, from);
    for (const PointF& p : through) OnToolMove(Current(), points, p);
  }
  void Release() {
    OnToolUp(Current(), points, points.empty() ? PointF{} : points.back());
    points.clear();
  }

  CDrawingDocument document;
  std::vector<PointF> points;
};

TEST_F(MoveTool, StopsAtTheLimitAndGrowsTheLayerToStartAtTheOrigin) {
  Drag({0, 0}, {{500, 0}, {1000, 0}});
  EXPECT_EQ(Layer().x, 900);
  Release();
  EXPECT_EQ(Layer().bitmap->GetWidth(), 1200u);
  EXPECT_EQ(Layer().bitmap->GetHeight(), 300u);
  EXPECT_EQ(Layer().x, 0);
  EXPECT_EQ(PixelAt(*Layer().bitmap, 900, 0), kInk);
  EXPECT_EQ(document.CountStates(), 2);
}

TEST_F(MoveTool, KeepsPixelsThatLeftTheCanvasToTheLeft) {
  Drag({100, 100}, {{-2000, 60}});
  EXPECT_EQ(Layer().x, -900);
  EXPECT_EQ(Layer().y, -40);
  Release();
  EXPECT_EQ(Layer().bitmap->GetWidth(), 1200u);
  EXPECT_EQ(Layer().bitmap->GetHeight(), 340u);
  EXPECT_EQ(Layer().x, -900);
  EXPECT_EQ(PixelAt(*Layer().bitmap, 0, 0), kInk);
  // Moving back shows them again; the bitmap no longer grows on that axis.
  Drag({0, 0}, {{900, 40}});
  Release();
  EXPECT_EQ(Layer().x, 0);
  EXPECT_EQ(Layer().bitmap->GetWidth(), 1200u);
}

TEST_F(MoveTool, RepaintsDuringTheDragDoNotMoveTheLayerAgain) {
  Drag({0, 0}, {{10, 5}});
  EXPECT_EQ(Layer().x, 10);
  // What Render does at every repaint.
  for (int i = 0; i < 3; ++i) OffsetSelectedLayer(Current(), points);
  EXPECT_EQ(Layer().x, 10);
  EXPECT_EQ(Layer().y, 5);
  OnToolMove(Current(), points, {12, 5});
  EXPECT_EQ(Layer().x, 12);
}

TEST_F(MoveTool, FractionsOfAPixelAddUp) {
  // A zoomed board reports half pixels.
  Drag({0, 0}, {{0.5f, 0}, {1.0f, 0.5f}, {1.5f, 1.0f}, {2.0f, 1.5f}});
  EXPECT_EQ(Layer().x, 2);
  EXPECT_EQ(Layer().y, 1);
}

TEST_F(MoveTool, LargeLayersStayPutAndDoNotGrow) {
  // Widening and narrowing the canvas again leaves a layer wider than the limit.
  ASSERT_TRUE(SetCanvasWidth(Current(), 1500));
  ASSERT_TRUE(SetCanvasWidth(Current(), 300));
  ASSERT_EQ(Layer().bitmap->GetWidth(), 1500u);
  // Wider than the limit: never right of the origin; it already covers the
  // canvas, so repeated drags to the left do not widen it.
  Drag({0, 0}, {{50, 0}});
  EXPECT_EQ(Layer().x, 0);
  Release();
  for (int i = 0; i < 3; ++i) {
    Drag({0, 0}, {{-200, 0}});
    Release();
  }
  EXPECT_EQ(Layer().x, -600);
  EXPECT_EQ(Layer().bitmap->GetWidth(), 1500u);
  EXPECT_EQ(Layer().bitmap->GetHeight(), 300u);
  // On a canvas larger than the limit such a layer stays at the origin.
  ASSERT_TRUE(SetCanvasHeight(Current(), 1300));
  ASSERT_EQ(Layer().bitmap->GetHeight(), 1300u);
  Drag({0, 0}, {{-5, -5}});
  const imaging::Bitmap* before = Layer().bitmap.get();
  EXPECT_EQ(Layer().x, -605);
  EXPECT_EQ(Layer().y, 0);
  // Both sides at the limit: the release leaves the bitmap alone.
  Release();
  EXPECT_EQ(Layer().bitmap.get(), before);
}

TEST_F(MoveTool, RightPressEndsTheDragLikeARelease) {
  Drag({0, 0}, {{-30, 0}});
  EXPECT_EQ(OnToolRightDown(Current(), points, {-30, 0}), kRelease);
  EXPECT_EQ(Layer().bitmap->GetWidth(), 330u);
  EXPECT_EQ(PixelAt(*Layer().bitmap, 0, 0), kInk);
}

}  // namespace
}  // namespace varn::drawing
