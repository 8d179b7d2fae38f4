// The selection's geometry without a window: fitting, the initial rectangle,
// hit areas, the drag rules and the keyboard moves.
#include "cropper/crop_selection.h"

#include <gtest/gtest.h>

#include "tests/cropper/geometry_printing.h"

namespace varn::cropper {
namespace {

struct FitCase {
  uint32_t width, height;
  DisplaySize display;
  RECT rect;
};

// The examples of ordinary photos are on the page's side; here the thinnest.
TEST(CropSelection, ThinPicturesKeepASideOfOnePixel) {
  const FitCase kCases[] = {
      {4000, 3, {500, 1}, {250, 0, 250, 1}},
      {3, 4000, {1, 500}, {0, 249, 1, 250}},
      {0, 10, {0, 0}, {0, 0, 0, 0}},
  };
  for (const FitCase& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
    const DisplaySize display = FitDisplaySize(c.width, c.height);
    EXPECT_EQ(display, c.display);
    EXPECT_EQ(InitialSelection(display).rect, c.rect);
  }
}

TEST(CropSelection, HitAreasInTheirOrderWithLeftAndTopEdgesInside) {
  CropSelection selection{{176, 77, 324, 297}, 20};
  struct Case {
    POINT point;
    HitArea area;
  };
  const Case kCases[] = {
      {{173, 74}, HitArea::kTopLeft},      {{178, 79}, HitArea::kTopLeft},
      {{179, 80}, HitArea::kRectangle},    {{321, 74}, HitArea::kTopRight},
      {{326, 299}, HitArea::kBottomRight}, {{327, 297}, HitArea::kOutside},
      {{173, 299}, HitArea::kBottomLeft},  {{200, 97}, HitArea::kSquare},
      {{200, 96}, HitArea::kRectangle},    {{323, 244}, HitArea::kSquare},
      {{200, 245}, HitArea::kRectangle},   {{324, 150}, HitArea::kOutside},
      {{200, 297}, HitArea::kOutside},     {{175, 150}, HitArea::kOutside},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(HitTest(selection, c.point), c.area) << c.point.x << ", " << c.point.y;
  }
  EXPECT_EQ(SquareOf(selection), (RECT{176, 97, 324, 245}));
}

struct DragCase {
  const char* what;
  DragMode mode;
  POINT press, to;
  RECT rect;
  int32_t offset;
};

TEST(CropDrag, EveryModeKeepsProportionsAndStaysInside) {
  // The square's offset carries over, reduced to the room a smaller
  // rectangle leaves.
  const CropSelection start{{176, 77, 324, 297}, 40};
  constexpr DragMode kTL = DragMode::kTopLeft, kTR = DragMode::kTopRight;
  constexpr DragMode kBR = DragMode::kBottomRight, kBL = DragMode::kBottomLeft;
  constexpr DragMode kMove = DragMode::kMove;
  const DragCase kCases[] = {
      {"onto opposite", kBR, {324, 297}, {176, 77}, {176, 77, 186, 91}, 4},
      {"top-left out", kTL, {176, 77}, {100, 0}, {125, 0, 324, 297}, 40},
      {"top-right down", kTR, {324, 77}, {324, 150}, {176, 150, 274, 297}, 40},
      {"bottom-left left", kBL, {176, 297}, {100, 297}, {176, 77, 324, 297}, 40},
      {"bottom-left out", kBL, {176, 297}, {60, 370}, {127, 77, 324, 370}, 40},
      {"move within", kMove, {200, 200}, {190, 230}, {166, 107, 314, 327}, 40},
      {"move right out", kMove, {200, 200}, {480, 360}, {352, 155, 500, 375}, 40},
      {"move left out", kMove, {200, 200}, {-50, -80}, {0, 0, 148, 220}, 40},
      {"square past the top", DragMode::kSquare, {200, 160}, {200, 0}, {176, 77, 324, 297}, 0},
  };
  for (const DragCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const CropSelection moved = CropDrag(c.mode, start, c.press).MoveTo(c.to, 500, 375);
    EXPECT_EQ(moved.rect, c.rect);
    EXPECT_EQ(moved.squareOffset, c.offset);
  }
}

TEST(CropSelection, KeepInsideMovesAndNeverResizes) {
  struct Case {
    RECT rect;
    int32_t width, height;
    RECT kept;
  };
  const Case kCases[] = {
      {{450, 300, 598, 520}, 500, 375, {352, 155, 500, 375}},
      {{-10, -5, 138, 215}, 500, 375, {0, 0, 148, 220}},
      // A window smaller than the selection: the far edges win, the near
      // ones stick out.
      {{10, 10, 158, 230}, 100, 100, {-48, -120, 100, 100}},
  };
  for (const Case& c : kCases) EXPECT_EQ(KeepInside(c.rect, c.width, c.height), c.kept);
}

TEST(CropSelection, KeysMoveUnderTheKeepInsideRuleAndSlideTheSquare) {
  const CropSelection start{{176, 77, 324, 297}, 30};
  EXPECT_EQ(MoveSelection(start, 1, 0, 500, 375).rect, (RECT{177, 77, 325, 297}));
  EXPECT_EQ(MoveSelection(start, 0, -10, 500, 375).rect, (RECT{176, 67, 324, 287}));
  EXPECT_EQ(MoveSelection(start, 0, 100, 500, 375).rect, (RECT{176, 155, 324, 375}));
  EXPECT_EQ(MoveSelection(start, -300, 0, 500, 375).rect, (RECT{0, 77, 148, 297}));
  EXPECT_EQ(MoveSelection(start, 1, 0, 500, 375).squareOffset, 30);
  EXPECT_EQ(SlideSquare(start, 10).squareOffset, 40);
  EXPECT_EQ(SlideSquare(start, 60).squareOffset, 72);
  EXPECT_EQ(SlideSquare(start, -40).squareOffset, 0);
}

}  // namespace
}  // namespace varn::cropper
