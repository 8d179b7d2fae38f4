// The board repainted as a windowless host with a kept surface repaints it:
// after each message only the rectangle the board invalidated is drawn, into
// a view of the surface; the picture must end as a whole repaint draws it.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/headless_window.h"
#include "tests/drawing/board.h"

namespace varn::drawing::testing {
namespace {

struct RepaintCase {
  const char* name;
  int32_t tool;
  // The pen's or the eraser's type.
  int32_t penType;
  int32_t width;
  int32_t opacity;
  int32_t zoom;
  // Whether a move invalidates only around its segment.
  bool partial;
};

void PrintTo(const RepaintCase& repaint, std::ostream* out) { *out << repaint.name; }

const RepaintCase kCases[] = {
    {"square_pen", kToolPen, kPenSquare, 3, 255, 1, true},
    {"round_translucent_pen", kToolPen, kPenRound, 9, 100, 1, true},
    {"hatch_pen", kToolPen, kPenHatch, 14, 255, 1, true},
    {"square_pen_zoomed", kToolPen, kPenSquare, 4, 200, 2, true},
    {"soft_pen", kToolPen, kPenSoftRound, 6, 255, 1, false},
    {"square_eraser", kToolEraser, kEraserSquare, 12, 255, 1, true},
    {"round_eraser_zoomed", kToolEraser, kEraserRound, 7, 255, 2, true},
    {"line", kToolLine, 0, 5, 255, 1, false},
};

class DirtyRepaint : public ::testing::TestWithParam<RepaintCase> {
 protected:
  void SetUp() override {
    const RepaintCase& repaint = GetParam();
    side = 300 * repaint.zoom;
    board.Resize(side, side);
    board.PutInt(kDispZoomValue, repaint.zoom);
    // Something under the gesture: a stroke on the bottom layer, then a new
    // layer on top for the gesture.
    board.PutText(kDispPaletteColor, u"#30a050");
    board.PutInt(kDispPenWidth, 25);
    board.Drag({{0, side / 2}, {side, side / 3}});
    board.Call(kDispAddLayer);
    // The eraser works on the stroke below.
    if (repaint.tool == kToolEraser) board.Call(kDispSelectLayer, {I4(0)});
    board.PutText(kDispPaletteColor, u"#c02040");
    board.PutInt(kDispToolType, repaint.tool);
    board.PutInt(kDispPenType, repaint.penType);
    board.PutInt(kDispPenWidth, repaint.width);
    board.PutInt(kDispPenTransparency, repaint.opacity);
    board.PutInt(kDispLineWidth, repaint.width);
    board.PutInt(kDispEraserType, repaint.penType);
    board.PutInt(kDispEraserWidth, repaint.width);
    kept.assign(static_cast<size_t>(side) * side, 0x12345678u);
    Window().Validate();
    DrawInto(kept, RECT{0, 0, side, side});
  }

  ui::HeadlessWindow& Window() { return *board.Control().Headless(); }

  // Draws the rectangle of the surface through a view of just that part.
  void DrawInto(std::vector<uint32_t>& surface, const RECT& rect) {
    VarnSurface view{surface.data() + static_cast<size_t>(rect.top) * side + rect.left,
                     rect.right - rect.left, rect.bottom - rect.top, side * 4};
    const RECTL bounds{-rect.left, -rect.top, side - rect.left, side - rect.top};
    EXPECT_EQ(board.As<IViewObject>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &view,
                                            &bounds, nullptr, nullptr, 0),
              S_OK);
  }

  // Sends the message and repaints what it invalidated; returns that area.
  int64_t SendAndRepaint(UINT message, int32_t x, int32_t y) {
    board.Send(message, x, y);
    const RECT dirty = Window().InvalidBounds();
    Window().Validate();
    if (dirty.right <= dirty.left || dirty.bottom <= dirty.top) return 0;
    DrawInto(kept, dirty);
    return int64_t{dirty.right - dirty.left} * (dirty.bottom - dirty.top);
  }

  Board board;
  int32_t side = 300;
  std::vector<uint32_t> kept;
};

TEST_P(DirtyRepaint, RepaintingTheInvalidRectanglesEndsAsAWholeRepaint) {
  const int32_t zoom = GetParam().zoom;
  // A zigzag with a turn back on itself and a stretch off the board.
  const std::vector<std::pair<int32_t, int32_t>> points{
      {20, 30},   {60, 40},   {90, 120},  {140, 60},  {100, 70}, {200, 200},
      {260, 150}, {320, 160}, {280, 280}, {150, 250}, {151, 251}};
  const std::vector<uint32_t> before = kept;
  int64_t largestMove = 0;
  SendAndRepaint(WM_LBUTTONDOWN, points[0].first * zoom, points[0].second * zoom);
  for (size_t i = 1; i < points.size(); ++i) {
    largestMove = std::max(
        largestMove, SendAndRepaint(WM_MOUSEMOVE, points[i].first * zoom, points[i].second * zoom));
    // A zoomed board stretches a back buffer that a whole repaint would
    // bring up to date, hiding what the partial ones left stale.
    if (zoom != 1) continue;
    std::vector<uint32_t> whole(kept.size(), 0x12345678u);
    DrawInto(whole, RECT{0, 0, side, side});
    ASSERT_EQ(kept, whole) << "after move " << i;
  }
  SendAndRepaint(WM_LBUTTONUP, points.back().first * zoom, points.back().second * zoom);
  std::vector<uint32_t> whole(kept.size(), 0x12345678u);
  DrawInto(whole, RECT{0, 0, side, side});
  EXPECT_EQ(kept, whole) << "after the release";
  EXPECT_NE(kept, before) << "the gesture drew nothing";

  const int64_t all = int64_t{side} * side;
  if (GetParam().partial) {
    EXPECT_LT(largestMove, all / 4);
  } else {
    EXPECT_EQ(largestMove, all);
  }
}

INSTANTIATE_TEST_SUITE_P(Tools, DirtyRepaint, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RepaintCase>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
}  // namespace varn::drawing::testing
