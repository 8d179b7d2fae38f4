#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/device_context.h"
#include "tests/platform/ui/qt_application.h"

namespace varn::ui {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kGrey = 0xFF336699u;

// A small target whose pixels a test writes out as rows of characters.
class Canvas {
 public:
  Canvas(int32_t width, int32_t height, uint32_t fill, POINT origin = {0, 0})
      : pixels_(static_cast<std::size_t>(width) * height, fill),
        surface_{pixels_.data(), width, height, width * 4},
        context_{&surface_, RECT{origin.x, origin.y, origin.x + width, origin.y + height}, origin} {
  }

  DrawContext Context() { return context_; }
  uint32_t At(int32_t x, int32_t y) const {
    return pixels_[static_cast<std::size_t>(y) * surface_.width + x];
  }
  // 'W' white, 'B' black, '.' the fill colour, '?' anything else.
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int32_t y = 0; y < surface_.height; ++y) {
      std::string row;
      for (int32_t x = 0; x < surface_.width; ++x) {
        const uint32_t p = At(x, y);
        row += p == kWhite ? 'W' : p == kBlack ? 'B' : p == kGrey ? '.' : '?';
      }
      rows.push_back(row);
    }
    return rows;
  }

 private:
  std::vector<uint32_t> pixels_;
  VarnSurface surface_;
  DrawContext context_;
};

using Rows = std::vector<std::string>;

TEST(DeviceContext, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  Canvas canvas(6, 5, kGrey);
  DeviceContext dc(canvas.Context());
  dc.Rectangle(RECT{0, 0, 5, 4});
  EXPECT_EQ(canvas.Rows(), (Rows{"BBBBB.", "BWWWB.", "BWWWB.", "BBBBB.", "......"}));

  Canvas outline(6, 5, kGrey);
  DeviceContext white(outline.Context());
  white.SelectObject(WHITE_PEN);
  white.SelectObject(NULL_BRUSH);
  white.Rectangle(RECT{1, 1, 5, 5});
  EXPECT_EQ(outline.Rows(), (Rows{"......", ".WWWW.", ".W..W.", ".W..W.", ".WWWW."}));

  // Without a pen GDI fills one pixel less to the right and below.
  Canvas filled(6, 5, kGrey);
  DeviceContext noPen(filled.Context());
  noPen.SelectObject(NULL_PEN);
  noPen.Rectangle(RECT{0, 0, 4, 3});
  EXPECT_EQ(filled.Rows(), (Rows{"WWW...", "WWW...", "......", "......", "......"}));
}

TEST(DeviceContext, ClipAndSurfaceBoundDrawingAndOriginShiftsIt) {
  Canvas canvas(5, 4, kGrey, POINT{10, 20});
  DeviceContext dc(canvas.Context());
  dc.IntersectClipRect(RECT{11, 21, 13, 30});
  dc.FillRect(RECT{0, 0, 100, 100}, BLACK_BRUSH);
  EXPECT_EQ(canvas.Rows(), (Rows{".....", ".BB..", ".BB..", ".BB.."}));
  dc.ResetClip();
  dc.FillRect(RECT{14, 23, 40, 40}, WHITE_BRUSH);
  dc.FillRect(RECT{-50, -50, 10, 20}, WHITE_BRUSH);
  EXPECT_EQ(canvas.Rows(), (Rows{".....", ".BB..", ".BB..", ".BB.W"}));
}

TEST(DeviceContext, FocusRectInvertsACheckerboardAndUndoesItself) {
  Canvas canvas(5, 4, kWhite);
  DeviceContext dc(canvas.Context());
  dc.DrawFocusRect(RECT{0, 0, 5, 4});
  EXPECT_EQ(canvas.Rows(), (Rows{"BWBWB", "WWWWW", "BWWWB", "WBWBW"}));
  dc.DrawFocusRect(RECT{0, 0, 5, 4});
  EXPECT_EQ(canvas.Rows(), (Rows{"WWWWW", "WWWWW", "WWWWW", "WWWWW"}));
}

TEST(DeviceContext, CopiesAndConstantAlphaBlendsKeepToBothSurfaces) {
  std::vector<uint32_t> sourcePixels = {0xFFFF8000u, 0xFFFF8000u, 0xFF00FF00u, 0xFF00FF00u};
  const VarnSurface source{sourcePixels.data(), 2, 2, 8};

  Canvas blended(3, 3, kBlack);
  DeviceContext dc(blended.Context());
  // Asked for more than the source has: only its 2 x 2 pixels arrive.
  dc.AlphaBlend(1, 1, 5, 5, source, 0, 0, 96);
  EXPECT_EQ(blended.At(0, 0), kBlack);
  EXPECT_EQ(blended.At(1, 1), 0xFF603000u);  // 255*96/255 = 96, 128*96/255 = 48
  EXPECT_EQ(blended.At(2, 2), 0xFF006000u);

  Canvas copied(3, 3, kGrey);
  DeviceContext copy(copied.Context());
  copy.BitBlt(-1, 0, 2, 2, source, 0, 0);
  EXPECT_EQ(copied.At(0, 0), 0xFFFF8000u);
  EXPECT_EQ(copied.At(0, 1), 0xFF00FF00u);
  EXPECT_EQ(copied.At(1, 0), kGrey);
}

TEST(DeviceContext, CentredBaselineTextSitsAboveTheBaselineAroundItsPoint) {
  testing::Application();
  Canvas canvas(100, 40, kWhite);
  DeviceContext dc(canvas.Context());
  dc.SetTextAlign(TA_CENTER | TA_BASELINE);
  dc.TextOut(50, 25, u"UPLOAD");
  int32_t left = 100, right = -1, bottom = -1, top = 40;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 100; ++x) {
      if ((canvas.At(x, y) & 0xFF) < 0x80) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  ASSERT_GE(right, left) << "no text was drawn";
  EXPECT_NEAR((left + right) / 2.0, 50.0, 3.0);
  EXPECT_LT(bottom, 25);  // capitals end on the baseline
  EXPECT_GT(top, 5);
}

}  // namespace
}  // namespace varn::ui
