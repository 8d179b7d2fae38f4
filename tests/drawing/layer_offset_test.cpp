// Layer offsets at the ends of what a layer record can hold: every tool's
// gesture, driven and repainted as the control drives it, still finds the
// layer's own pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/drawing_tools.h"
#include "drawing/render.h"
#include "model_test_support.h"
#include "platform/imaging/graphics.h"

namespace varn::drawing {
namespace {

using testing::PixelAt;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlack = 0xFF000000;

// Offsets whose float is exact, as are their sums with the gesture's step.
constexpr int32_t kOffsets[] = {-3, std::numeric_limits<int32_t>::min(),
                                std::numeric_limits<int32_t>::max() - 127};
constexpr float kStep = 128;

struct ToolAtOffset {
  const char* what;
  int32_t tool;
  // The whole layer's colour before the gesture, and one pixel set on it.
  uint32_t background;
  uint32_t markedPixel;
  // The layer pixel the gesture must have changed, and what to.
  int32_t probe;
  uint32_t expected;
};

const ToolAtOffset kTools[] = {
    {"pen", kToolPen, 0, 0, 64, kBlack},   {"eraser", kToolEraser, kRed, kRed, 64, 0},
    {"line", kToolLine, 0, 0, 64, kBlack}, {"filled rectangle", kToolShape, 0, 0, 64, kBlack},
    {"fill", kToolFill, 0, 0, 64, kBlack}, {"effect", kToolEffect, 0, kRed, 128, 0x7FFF0000},
};

TEST(LayerOffsets, EveryToolPaintsTheLayerAtAnyOffset) {
  for (const int32_t offset : kOffsets) {
    for (const ToolAtOffset& c : kTools) {
      const std::string what = std::string(c.what) + " at " + std::to_string(offset);
      CDrawingDocument board;
      CDrawingState& start = *board.current;
      start.toolType = c.tool;
      start.penWidth = 5;
      start.lineWidth = 5;
      start.shapeType = kShapeFilledRectangle;
      DrawingLayer& layer = start.SelectedLayer();
      layer.x = offset;
      layer.y = offset;
      imaging::Graphics(*layer.bitmap).Clear(c.background);
      layer.bitmap->SetPixel(128, 128, c.markedPixel | c.background);

      // From the layer's top-left corner diagonally down by kStep.
      const auto corner = static_cast<float>(offset);
      const PointF from{corner, corner};
      const PointF to{corner + kStep, corner + kStep};
      std::vector<PointF> points;
      imaging::Bitmap screen(start.canvasWidth, start.canvasHeight,
                             imaging::PixelFormat::Format24bppRGB);
      OnToolDown(*board.current, points, from);
      OnToolMove(*board.current, points, to);
      Render(*board.current, screen, points, RenderMode::Screen);
      OnToolUp(*board.current, points, to);

      EXPECT_EQ(board.current->SelectedLayer().x, offset) << what;
      EXPECT_EQ(PixelAt(*board.current->SelectedLayer().bitmap, c.probe, c.probe), c.expected)
          << what;
    }
  }
}

}  // namespace
}  // namespace varn::drawing
