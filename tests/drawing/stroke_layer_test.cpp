#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/drawing_tools.h"
#include "drawing/layer_operations.h"
#include "drawing/render.h"
#include "drawing/stroke_layer.h"
#include "drawing/tool_types.h"
#include "model_test_support.h"
#include "platform/imaging/graphics.h"

namespace varn::drawing {
namespace {

using imaging::Bitmap;
using imaging::PixelFormat;
using imaging::PointF;
using testing::PixelAt;

constexpr int32_t kSide = 120;

// Sharp turns, a point repeated, a crossing, fractions of a pixel and a part
// off the canvas: every way a segment meets the one before it.
const std::vector<PointF> kPolyline{{20, 20},  {60, 24},  {60, 24},     {30, 70},
                                    {90, 60},  {40, 30},  {41.5f, 95},  {110, 100},
                                    {130, 80}, {100, 10}, {100.25f, 9}, {15, 50}};
// A press that stays put before it moves, and an end a fraction of a pixel
// from the point before.
const std::vector<PointF> kClickThenDrag{{50, 50}, {50, 50}, {50, 50},   {70, 80},
                                         {70, 80}, {20, 90}, {20.5f, 90}};

struct PenCase {
  const char* name;
  int32_t tool;
  // The pen's or the eraser's type.
  int32_t type;
  int32_t width;
  uint32_t alpha;
};

const PenCase kPens[] = {
    {"square_1", kToolPen, kPenSquare, 1, 255},
    {"square_3", kToolPen, kPenSquare, 3, 255},
    {"square_20_translucent", kToolPen, kPenSquare, 20, 0x80},
    {"round_1_translucent", kToolPen, kPenRound, 1, 0x80},
    {"round_5", kToolPen, kPenRound, 5, 255},
    {"round_9_translucent", kToolPen, kPenRound, 9, 0x60},
    {"round_30", kToolPen, kPenRound, 30, 255},
    {"hatch_12", kToolPen, kPenHatch, 12, 255},
    {"unknown_type_as_round", kToolPen, -4, 4, 0xC0},
    {"eraser_square_1", kToolEraser, kEraserSquare, 1, 255},
    {"eraser_square_9", kToolEraser, kEraserSquare, 9, 255},
    {"eraser_round_6", kToolEraser, kEraserRound, 6, 255},
    {"eraser_round_30", kToolEraser, kEraserRound, 30, 255},
};

void PrintTo(const PenCase& pen, std::ostream* out) { *out << pen.name; }

// Whether every channel of every pixel of a and b is within tolerance.
bool SamePixels(const Bitmap& a, const Bitmap& b, std::string* where, int tolerance = 0) {
  for (int32_t y = 0; y < static_cast<int32_t>(a.GetHeight()); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(a.GetWidth()); ++x) {
      const uint32_t pa = PixelAt(a, x, y);
      const uint32_t pb = PixelAt(b, x, y);
      for (int shift = 0; shift < 32; shift += 8) {
        const int difference =
            static_cast<int>((pa >> shift) & 0xFF) - static_cast<int>((pb >> shift) & 0xFF);
        if (std::abs(difference) <= tolerance) continue;
        char text[64];
        std::snprintf(text, sizeof text, "%d,%d: %08x, %08x", x, y, pa, pb);
        *where = text;
        return false;
      }
    }
  }
  return true;
}

// A board of two layers: a translucent block on the one below, and on the
// selected one an opaque block the stroke partly covers.
class SegmentStrokes : public ::testing::TestWithParam<PenCase> {
 protected:
  void SetUp() override {
    // Each of these makes a new current state.
    ASSERT_TRUE(SetCanvasWidth(State(), kSide));
    ASSERT_TRUE(SetCanvasHeight(State(), kSide));
    ASSERT_TRUE(AddLayer(State()));
    CDrawingState& state = State();
    {
      imaging::Graphics below(*state.layers[0].bitmap);
      below.FillRectangle(imaging::SolidBrush(0x8033AA55u), imaging::Rect{10, 40, 100, 30});
      imaging::Graphics selected(*state.layers[1].bitmap);
      selected.FillRectangle(imaging::SolidBrush(0xFF2040C0u), imaging::Rect{50, 50, 30, 30});
    }
    const PenCase& pen = GetParam();
    state.toolType = pen.tool;
    state.penType = pen.type;
    state.penWidth = pen.width;
    state.eraserType = pen.type;
    state.eraserWidth = pen.width;
    state.penAlpha = static_cast<int32_t>(pen.alpha << 24);
    state.colour = 0x00D02010;
  }
  CDrawingState& State() { return *document.current; }
  // The kept stroke, fed one point at a time as the pointer moves.
  void Keep(StrokeLayer& layer, const std::vector<PointF>& points) {
    ASSERT_TRUE(layer.Begin(State(), points.front()));
    for (size_t i = 1; i < points.size(); ++i) layer.Extend(State(), points[i]);
  }

  CDrawingDocument document;
};

// Each polyline is committed before the next, which the same kept layer
// then draws from a clean mask.
TEST_P(SegmentStrokes, KeptStrokeShowsAndCommitsAsTheWholePolyline) {
  StrokeLayer layer;
  for (const std::vector<PointF>* polyline : {&kPolyline, &kClickThenDrag}) {
    SCOPED_TRACE(polyline == &kPolyline ? "zigzag" : "click then drag");
    const std::vector<PointF>& points = *polyline;
    Bitmap before(kSide, kSide, PixelFormat::Format24bppRGB);
    Render(State(), before, {}, RenderMode::Screen, nullptr);
    Keep(layer, points);
    Bitmap kept(kSide, kSide, PixelFormat::Format24bppRGB);
    Render(State(), kept, points, RenderMode::Screen, &layer);
    // The eraser's whole polyline goes into a fresh preview.
    State().eraserPreview.reset();
    Bitmap whole(kSide, kSide, PixelFormat::Format24bppRGB);
    Render(State(), whole, points, RenderMode::Screen, nullptr);
    std::string where;
    EXPECT_TRUE(SamePixels(kept, whole, &where)) << "preview differs at " << where;

    // The commit draws the whole list into the layer; the board shows the same.
    State().eraserPreview.reset();
    if (GetParam().tool == kToolEraser) {
      StrokeEraser(State(), points, nullptr);
    } else {
      StrokePen(State(), points, nullptr);
    }
    Bitmap committed(kSide, kSide, PixelFormat::Format24bppRGB);
    Render(State(), committed, {}, RenderMode::Screen, nullptr);
    // Over the translucent stroke the first polyline left in the layer, the
    // commit blends into unpremultiplied pixels, whose rounding may part from
    // the screen's blend by one level.
    const int tolerance = polyline == &kPolyline ? 0 : 1;
    EXPECT_TRUE(SamePixels(kept, committed, &where, tolerance)) << "commit differs at " << where;
    EXPECT_FALSE(SamePixels(before, committed, &where)) << "the stroke drew nothing";
  }
}

INSTANTIATE_TEST_SUITE_P(Pens, SegmentStrokes, ::testing::ValuesIn(kPens),
                         [](const ::testing::TestParamInfo<PenCase>& param) {
                           return std::string(param.param.name);
                         });

TEST(SegmentStroke, TranslucentStrokeIsBlendedOnceWhereItCrossesItself) {
  CDrawingDocument document;
  CDrawingState& state = *document.current;
  state.penType = kPenRound;
  state.penWidth = 7;
  state.penAlpha = static_cast<int32_t>(0x80u << 24);
  state.colour = 0x000000FF;
  // Through (50, 50) twice, and back over its own first segment.
  StrokePen(state, std::vector<PointF>{{20, 50}, {80, 50}, {50, 20}, {50, 80}, {10, 50}}, nullptr);
  const uint32_t once = testing::LayerPixel(state, 0, 30, 20 + 30);
  EXPECT_EQ(once >> 24, 0x80u);
  EXPECT_EQ(testing::LayerPixel(state, 0, 50, 50), once);
  EXPECT_EQ(testing::LayerPixel(state, 0, 65, 50), once);
  EXPECT_EQ(testing::LayerPixel(state, 0, 50, 70), once);
}

TEST(SegmentStroke, ExtendReportsTheChangedPixelsOnly) {
  CDrawingDocument document;
  CDrawingState& state = *document.current;
  state.penType = kPenSquare;
  state.penWidth = 4;
  StrokeLayer layer;
  ASSERT_TRUE(layer.Begin(state, {100, 100}));
  const imaging::Rect first = layer.Extend(state, {110, 100});
  // The segment with both square ends, a few pixels around, nothing more.
  EXPECT_LE(first.X, 98);
  EXPECT_GE(first.Right(), 112);
  EXPECT_LT(first.Width, 30);
  EXPECT_LT(first.Height, 20);
  EXPECT_EQ(PixelAt(layer.Mask(), 111, 100), imaging::kOpaqueBlack);
  // The end moves on: its old square corner is given back to the segment's
  // round join, and only the neighbourhood is reported.
  const imaging::Rect second = layer.Extend(state, {110, 120});
  EXPECT_LE(second.Y, 98);
  EXPECT_GE(second.Bottom(), 122);
  EXPECT_LT(second.Width, 25);
  EXPECT_EQ(PixelAt(layer.Mask(), 111, 98), 0u);
  EXPECT_EQ(PixelAt(layer.Mask(), 110, 121), imaging::kOpaqueBlack);
  // The same point again changes nothing; far off the canvas, nothing either.
  EXPECT_TRUE(layer.Extend(state, {110, 120}).IsEmptyArea());
  EXPECT_TRUE(layer.Extend(state, {-500, 120}).Width > 0);
  EXPECT_TRUE(layer.Extend(state, {-900, -900}).IsEmptyArea());
}

TEST(SegmentStroke, OnlyHardPensAndTheEraserKeepAStroke) {
  CDrawingDocument document;
  CDrawingState& state = *document.current;
  StrokeLayer layer;
  state.penType = kPenSoftRound;
  EXPECT_FALSE(layer.Begin(state, {1, 1}));
  state.penType = kPenRound;
  state.penWidth = 0;
  EXPECT_FALSE(layer.Begin(state, {1, 1}));
  EXPECT_FALSE(layer.Active());
  state.toolType = kToolHand;
  EXPECT_FALSE(layer.Begin(state, {1, 1}));
  state.toolType = kToolPen;
  state.penWidth = 3;
  ASSERT_TRUE(layer.Begin(state, {1, 1}));
  state.toolType = kToolPen;
  EXPECT_TRUE(layer.Serves(state));
  // A pen changed mid-gesture is drawn whole again.
  state.colour = 0x00FF0000;
  EXPECT_FALSE(layer.Serves(state));
  EXPECT_TRUE(layer.Extend(state, {50, 50}).IsEmptyArea());
  // The eraser's stroke lives in the preview it makes; another preview, or
  // a moved layer, ends its service.
  state.toolType = kToolEraser;
  ASSERT_TRUE(layer.Begin(state, {1, 1}));
  ASSERT_NE(state.eraserPreview, nullptr);
  EXPECT_TRUE(layer.Serves(state));
  state.SelectedLayer().x = -1;
  EXPECT_FALSE(layer.Serves(state));
  state.SelectedLayer().x = 0;
  state.eraserPreview = state.SelectedLayer().bitmap->Clone();
  EXPECT_FALSE(layer.Serves(state));
}

}  // namespace
}  // namespace varn::drawing
