#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/drawing_tools.h"
#include "model_test_support.h"
#include "platform/imaging/graphics.h"

namespace varn::drawing {
namespace {

using imaging::Bitmap;
using testing::PixelAt;

constexpr uint32_t kRed = 0xFFFF0000;

uint32_t Alpha(uint32_t argb) { return argb >> 24; }

// The figure tools drawn into the selected layer, as at the end of a gesture.
class FigureTools : public ::testing::Test {
 protected:
  CDrawingState& State() { return *document.current; }
  Bitmap& Layer() { return *State().SelectedLayer().bitmap; }
  uint32_t At(int32_t x, int32_t y) { return PixelAt(Layer(), x, y); }
  void FillLayer(uint32_t color) {
    imaging::Graphics graphics(Layer());
    graphics.Clear(color);
  }
  int CountOpaque(int32_t left, int32_t top, int32_t width, int32_t height) {
    int count = 0;
    for (int32_t y = top; y < top + height; ++y) {
      for (int32_t x = left; x < left + width; ++x) count += Alpha(At(x, y)) == 0xFF ? 1 : 0;
    }
    return count;
  }

  CDrawingDocument document;
};

TEST_F(FigureTools, HardPenDrawsTheColourWithItsAlphaAtTheLayerOffset) {
  State().colour = 0x00112233;
  State().SelectedLayer().x = 5;
  StrokePen(State(), std::vector<PointF>{{15, 10}, {35, 10}}, nullptr);
  EXPECT_EQ(At(20, 10), 0xFF112233u);
  EXPECT_EQ(At(20, 11), 0u);
  // Square ends reach half the width beyond the end points only.
  State().penType = kPenSquare;
  State().penWidth = 5;
  State().penAlpha = static_cast<int32_t>(0x80000000u);
  StrokePen(State(), std::vector<PointF>{{15, 40}, {35, 40}}, nullptr);
  EXPECT_EQ(Alpha(At(8, 40)), 0x80u);
  EXPECT_EQ(Alpha(At(8, 38)), 0x80u);
  EXPECT_EQ(At(6, 40), 0u);
  // Stored unpremultiplied: the colour survives the alpha up to rounding.
  EXPECT_NEAR(static_cast<int>(imaging::GetRed(At(8, 40))), 0x11, 1);
  EXPECT_NEAR(static_cast<int>(imaging::GetBlue(At(8, 40))), 0x33, 1);
}

TEST_F(FigureTools, OnePointOrNoWidthDrawsNothing) {
  StrokePen(State(), std::vector<PointF>{{10, 10}}, nullptr);
  State().penWidth = 0;
  StrokePen(State(), std::vector<PointF>{{10, 10}, {20, 10}}, nullptr);
  State().penWidth = -7;
  StrokePen(State(), std::vector<PointF>{{10, 10}, {20, 10}}, nullptr);
  EXPECT_EQ(CountOpaque(0, 0, 30, 30), 0);
  // A width no picture needs is drawn at the largest stroke width instead.
  State().penWidth = 2'000'000'000;
  StrokePen(State(), std::vector<PointF>{{10, 10}, {20, 10}}, nullptr);
  EXPECT_EQ(At(15, 10 + kMaxStrokeWidth / 2 - 1), imaging::kOpaqueBlack);
  EXPECT_EQ(At(15, 10 + kMaxStrokeWidth / 2 + 2), 0u);
}

TEST_F(FigureTools, SoftPensDrawNarrowingPassesAtAFractionOfTheAlpha) {
  // Type 3, width 5, opacity 255: widths 5, 3 and 1 at alpha 153 each.
  State().penType = kPenSoftSquare;
  State().penWidth = 5;
  StrokePen(State(), std::vector<PointF>{{10, 20}, {60, 20}}, nullptr);
  EXPECT_NEAR(Alpha(At(30, 18)), 153, 3);
  EXPECT_NEAR(Alpha(At(30, 19)), 214, 3);
  EXPECT_NEAR(Alpha(At(30, 20)), 239, 3);
  EXPECT_EQ(Alpha(At(30, 16)), 0u);
  // Square ends: only the outer pass reaches two pixels past the start.
  EXPECT_NEAR(Alpha(At(8, 20)), 153, 3);

  // Type 5, width 4, opacity 200: widths 4 and 2 at alpha 40.
  State().penType = kPenSoftFaint;
  State().penWidth = 4;
  State().penAlpha = static_cast<int32_t>(200u << 24);
  StrokePen(State(), std::vector<PointF>{{10, 60}, {60, 60}}, nullptr);
  uint32_t darkest = 0;
  for (int32_t y = 55; y < 66; ++y) darkest = std::max(darkest, Alpha(At(30, y)));
  EXPECT_NEAR(darkest, 40 + 40 * 215 / 255, 3);

  // Type 4, width 2: a single pass at the full alpha.
  State().penType = kPenSoftRound;
  State().penWidth = 2;
  State().penAlpha = static_cast<int32_t>(0xFF000000u);
  StrokePen(State(), std::vector<PointF>{{10.5f, 100.5f}, {60.5f, 100.5f}}, nullptr);
  darkest = 0;
  for (int32_t y = 95; y < 106; ++y) darkest = std::max(darkest, Alpha(At(30, y)));
  EXPECT_EQ(darkest, 255u);
}

TEST_F(FigureTools, HatchPenLeavesThePixelsBetweenItsPatternAlone) {
  FillLayer(0xFF0000FF);
  State().penType = kPenHatch;
  State().penWidth = 20;
  State().colour = 0x00FF0000;
  StrokePen(State(), std::vector<PointF>{{0, 20}, {100, 20}}, nullptr);
  int red = 0, blue = 0;
  for (int32_t y = 16; y < 24; ++y) {
    for (int32_t x = 40; x < 48; ++x) {
      red += At(x, y) == kRed ? 1 : 0;
      blue += At(x, y) == 0xFF0000FFu ? 1 : 0;
    }
  }
  EXPECT_EQ(red, 16);
  EXPECT_EQ(blue, 48);
}

TEST_F(FigureTools, EraserLeavesExactTransparencyWithItsEnds) {
  FillLayer(kRed);
  State().eraserWidth = 5;
  StrokeEraser(State(), std::vector<PointF>{{20, 20}, {60, 20}}, nullptr);
  EXPECT_EQ(At(40, 20), 0u);
  EXPECT_EQ(At(40, 18), 0u);
  EXPECT_EQ(At(40, 16), kRed);
  // Square ends fill the corner beyond the end point, round ones do not.
  State().eraserWidth = 9;
  StrokeEraser(State(), std::vector<PointF>{{20, 50}, {60, 50}}, nullptr);
  EXPECT_EQ(At(16, 46), 0u);
  State().eraserType = kEraserRound;
  StrokeEraser(State(), std::vector<PointF>{{20, 80}, {60, 80}}, nullptr);
  EXPECT_EQ(At(40, 80), 0u);
  EXPECT_EQ(At(16, 80), 0u);
  EXPECT_EQ(At(16, 76), kRed);
}

TEST_F(FigureTools, EraserIntoAPreviewLeavesTheLayer) {
  FillLayer(kRed);
  State().SelectedLayer().x = 10;
  std::unique_ptr<Bitmap> preview = Layer().Clone();
  StrokeEraser(State(), std::vector<PointF>{{30, 30}, {40, 30}}, preview.get());
  EXPECT_EQ(PixelAt(*preview, 25, 30), 0u);
  EXPECT_EQ(At(25, 30), kRed);
}

TEST_F(FigureTools, LineTypes) {
  // Straight: the start to the pointer only, whatever else the list holds.
  StrokeLine(State(), std::vector<PointF>{{10, 10}, {30, 10}, {30, 40}}, nullptr);
  EXPECT_EQ(At(20, 10), imaging::kOpaqueBlack);
  EXPECT_EQ(At(30, 30), 0u);
  // Dotted: one pixel on, one off.
  State().lineType = kLineDotted;
  StrokeLine(State(), std::vector<PointF>{{10, 50}, {30, 50}}, nullptr);
  EXPECT_EQ(CountOpaque(10, 50, 20, 1), 10);
  // Polyline through every point.
  State().lineType = kLinePolyline;
  StrokeLine(State(), std::vector<PointF>{{10, 70}, {30, 70}, {30, 90}}, nullptr);
  EXPECT_EQ(At(30, 80), imaging::kOpaqueBlack);
  State().lineType = 7;
  StrokeLine(State(), std::vector<PointF>{{10, 100}, {30, 100}}, nullptr);
  EXPECT_EQ(CountOpaque(0, 95, 40, 10), 0);
}

TEST_F(FigureTools, CurvePassesThroughItsPointsAndBends) {
  State().lineType = kLineCurve;
  State().lineWidth = 3;
  StrokeLine(State(), std::vector<PointF>{{10, 10}, {50, 50}, {90, 10}}, nullptr);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{10, 10}, {50, 50}, {90, 10}}) {
    EXPECT_EQ(At(x, y), imaging::kOpaqueBlack) << x << "," << y;
  }
  // The first segment's midpoint lies at (27.5, 32.5), off the straight chord.
  EXPECT_EQ(At(27, 32), imaging::kOpaqueBlack);
  EXPECT_EQ(At(27, 26), 0u);
}

TEST_F(FigureTools, ShapesByTheBoxOfTheirFirstTwoPoints) {
  // Dragged from (10, 40) to (30, 20): an outline at (10, 20), 20 x 20.
  const std::vector<PointF> drag{{10, 40}, {30, 20}};
  DrawShape(State(), drag, nullptr);
  EXPECT_EQ(At(10, 30), imaging::kOpaqueBlack);
  EXPECT_EQ(At(30, 30), imaging::kOpaqueBlack);
  EXPECT_EQ(At(20, 20), imaging::kOpaqueBlack);
  EXPECT_EQ(At(20, 40), imaging::kOpaqueBlack);
  EXPECT_EQ(At(20, 30), 0u);
  EXPECT_EQ(At(9, 30), 0u);
  State().shapeType = kShapeFilledRectangle;
  State().shapeAlpha = static_cast<int32_t>(0x40000000u);
  DrawShape(State(), std::vector<PointF>{{50, 40}, {70, 20}}, nullptr);
  EXPECT_EQ(At(60, 30), 0x40000000u);
  State().shapeType = kShapeFilledEllipse;
  DrawShape(State(), std::vector<PointF>{{100, 20}, {140, 60}}, nullptr);
  EXPECT_EQ(At(120, 40), 0x40000000u);
  EXPECT_EQ(At(101, 21), 0u);
}

TEST_F(FigureTools, PolygonsAndTheirAlternateFill) {
  State().shapeType = kShapeFilledPolygon;
  // A self-crossing star: its centre is covered twice and stays empty.
  const std::vector<PointF> star{{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
  DrawShape(State(), star, nullptr);
  EXPECT_EQ(At(50, 10), imaging::kOpaqueBlack);
  EXPECT_EQ(At(50, 50), 0u);
  State().shapeType = kShapePolygon;
  DrawShape(State(), std::vector<PointF>{{150, 10}, {190, 10}, {190, 50}}, nullptr);
  // The closing edge from the last corner back to the first.
  EXPECT_EQ(At(170, 30), imaging::kOpaqueBlack);
  EXPECT_EQ(At(185, 20), 0u);
  State().shapeType = 9;
  DrawShape(State(), std::vector<PointF>{{200, 200}, {250, 250}}, nullptr);
  EXPECT_EQ(CountOpaque(195, 195, 60, 60), 0);
}

TEST_F(FigureTools, PreviewDrawsInCanvasCoordinatesAndRestoresTheModes) {
  State().SelectedLayer().x = 40;
  Bitmap target(100, 100, imaging::PixelFormat::Format24bppRGB);
  {
    imaging::Graphics graphics(target);
    graphics.Clear(imaging::kOpaqueWhite);
    graphics.SetSmoothingMode(imaging::SmoothingMode::AntiAlias);
    graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
    StrokePen(State(), std::vector<PointF>{{10, 10}, {30, 10}}, &graphics);
    EXPECT_EQ(graphics.GetSmoothingMode(), imaging::SmoothingMode::AntiAlias);
    EXPECT_EQ(graphics.GetCompositingMode(), imaging::CompositingMode::SourceCopy);
  }
  EXPECT_EQ(PixelAt(target, 20, 10), imaging::kOpaqueBlack);
  EXPECT_EQ(PixelAt(target, 20, 12), imaging::kOpaqueWhite);
  EXPECT_EQ(CountOpaque(0, 0, 100, 100), 0);
}

}  // namespace
}  // namespace varn::drawing
