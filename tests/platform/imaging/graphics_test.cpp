#include "platform/imaging/graphics.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/platform/imaging/pixel_helpers.h"

namespace varn::imaging {
namespace {

using testing::ChannelsNear;
using testing::FillBitmap;
using testing::Near;
using testing::PixelAt;

bool HatchBit(int x, int y) {
  const unsigned bits = (y % 2 == 0) ? 0x88u : 0x22u;
  return (bits & (0x80u >> (x % 8))) != 0;
}

TEST(GraphicsEraser, SourceCopyWithTransparentPenLeavesExactZero) {
  Bitmap layer(12, 12, PixelFormat::Format32bppARGB);
  FillBitmap(layer, 0x80336699);
  {
    Graphics graphics(layer);
    graphics.SetCompositingMode(CompositingMode::SourceCopy);
    graphics.SetSmoothingMode(SmoothingMode::None);
    Pen eraser(0x00000000, 4);
    eraser.SetStartCap(LineCap::Round);
    eraser.SetEndCap(LineCap::Round);
    eraser.SetLineJoin(LineJoin::Round);
    const std::vector<Point> stroke{{2, 6}, {9, 6}};
    ASSERT_EQ(graphics.DrawLines(eraser, stroke), Status::Ok);
  }
  for (int x = 2; x <= 8; ++x) EXPECT_EQ(PixelAt(layer, x, 6), 0x00000000u) << x;
  EXPECT_EQ(PixelAt(layer, 5, 1), 0x80336699u);
  EXPECT_EQ(PixelAt(layer, 5, 11), 0x80336699u);
}

TEST(GraphicsLayers, DrawingKeepsNonPremultipliedValues) {
  Bitmap layer(4, 2, PixelFormat::Format32bppARGB);
  layer.SetPixel(0, 0, 0x01FF0000);
  layer.SetPixel(1, 0, 0x80123456);
  {
    Graphics graphics(layer);
    graphics.FillRectangle(SolidBrush(0x80FF8040), Rect{2, 0, 2, 2});
  }
  // Untouched pixels keep even the colour of nearly transparent values.
  EXPECT_EQ(PixelAt(layer, 0, 0), 0x01FF0000u);
  EXPECT_EQ(PixelAt(layer, 1, 0), 0x80123456u);
  // Drawn pixels read back unpremultiplied, not as 0x80804020.
  EXPECT_TRUE(ChannelsNear(PixelAt(layer, 3, 1), 0x80FF8040, 1))
      << std::hex << PixelAt(layer, 3, 1);
}

TEST(GraphicsDrawImage, BlendsBySourceAlphaUnlessSourceCopy) {
  Bitmap overlay(2, 1, PixelFormat::Format32bppARGB);
  overlay.SetPixel(0, 0, 0x80FF0000);
  overlay.SetPixel(1, 0, 0x00000000);
  Bitmap picture(2, 1, PixelFormat::Format24bppRGB);
  FillBitmap(picture, 0xFF0000FF);
  Bitmap layer(2, 1, PixelFormat::Format32bppARGB);
  FillBitmap(layer, 0xFF00FF00);
  {
    Graphics onPicture(picture);
    ASSERT_EQ(onPicture.DrawImage(overlay, 0, 0), Status::Ok);
    Graphics onLayer(layer);
    onLayer.SetCompositingMode(CompositingMode::SourceCopy);
    ASSERT_EQ(onLayer.DrawImage(overlay, 0, 0), Status::Ok);
  }
  EXPECT_TRUE(ChannelsNear(PixelAt(picture, 0, 0), 0xFF80007F, 2));
  EXPECT_EQ(PixelAt(picture, 1, 0), 0xFF0000FFu);
  EXPECT_TRUE(ChannelsNear(PixelAt(layer, 0, 0), 0x80FF0000, 1));
  EXPECT_EQ(PixelAt(layer, 1, 0), 0x00000000u);
}

TEST(GraphicsDrawImage, UnscaledDrawingKeepsExactLayerValuesAndClips) {
  Bitmap layer(3, 2, PixelFormat::Format32bppARGB);
  layer.SetPixel(0, 0, 0x02808080);
  layer.SetPixel(1, 0, 0x7F10E0F0);
  layer.SetPixel(2, 1, 0xFF445566);
  Bitmap moved(4, 3, PixelFormat::Format32bppARGB);
  moved.SetPixel(2, 2, 0x80000000);
  {
    Graphics graphics(moved);
    graphics.TranslateTransform(2, 0);
    ASSERT_EQ(graphics.DrawImage(layer, -1, 1), Status::Ok);
  }
  EXPECT_EQ(PixelAt(moved, 1, 1), 0x02808080u);
  EXPECT_EQ(PixelAt(moved, 2, 1), 0x7F10E0F0u);
  EXPECT_EQ(PixelAt(moved, 3, 2), 0xFF445566u);
  // Source over a half-transparent pixel: alphas add up, colours by weight.
  EXPECT_TRUE(ChannelsNear(PixelAt(moved, 2, 2), 0x80000000, 0));
  EXPECT_EQ(PixelAt(moved, 0, 1), 0u);

  std::vector<uint32_t> pixels(4, 0xFF0000FF);
  VarnSurface surface{pixels.data(), 2, 2, 8};
  {
    Graphics graphics(surface);
    ASSERT_EQ(graphics.DrawImage(layer, Rect{0, 0, 2, 1}, 1, 0, 2, 1), Status::Ok);
  }
  EXPECT_TRUE(ChannelsNear(pixels[0], 0xFF0870F8, 1)) << std::hex << pixels[0];
  EXPECT_EQ(pixels[1], 0xFF0000FFu);
  EXPECT_EQ(pixels[2], 0xFF0000FFu);
}

TEST(GraphicsDrawImage, NearestNeighbourZoomCopiesWholePixels) {
  Bitmap source(2, 2, PixelFormat::Format24bppRGB);
  source.SetPixel(0, 0, 0xFFFF0000);
  source.SetPixel(1, 0, 0xFF00FF00);
  source.SetPixel(0, 1, 0xFF0000FF);
  source.SetPixel(1, 1, 0xFFFFFFFF);
  Bitmap zoomed(8, 8, PixelFormat::Format24bppRGB);
  {
    Graphics graphics(zoomed);
    graphics.SetInterpolationMode(InterpolationMode::NearestNeighbor);
    ASSERT_EQ(graphics.DrawImage(source, Rect{1, 1, 6, 6}, 0, 0, 2, 2), Status::Ok);
  }
  for (int y = 1; y < 7; ++y) {
    for (int x = 1; x < 7; ++x) {
      const ARGB expected =
          y < 4 ? (x < 4 ? 0xFFFF0000 : 0xFF00FF00) : (x < 4 ? 0xFF0000FF : 0xFFFFFFFF);
      EXPECT_EQ(PixelAt(zoomed, x, y), expected) << x << "," << y;
    }
  }
  EXPECT_EQ(PixelAt(zoomed, 0, 0), 0xFF000000u);
  EXPECT_EQ(PixelAt(zoomed, 7, 7), 0xFF000000u);

  // A part of the source: its right column, three times as wide.
  Bitmap column(3, 4, PixelFormat::Format24bppRGB);
  {
    Graphics graphics(column);
    graphics.SetInterpolationMode(InterpolationMode::NearestNeighbor);
    ASSERT_EQ(graphics.DrawImage(source, Rect{0, 0, 3, 4}, 1, 0, 1, 2), Status::Ok);
  }
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(PixelAt(column, x, 1), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(column, x, 2), 0xFFFFFFFFu);
  }
}

TEST(GraphicsDrawImage, HighQualityShrinkAveragesInsteadOfAliasing) {
  Bitmap stripes(100, 100, PixelFormat::Format24bppRGB);
  BitmapData data;
  stripes.LockBits(Rect{0, 0, 100, 100}, ImageLockMode::Write, PixelFormat::Format24bppRGB, &data);
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) data.Row(y)[x] = (x % 2 == 0) ? 0xFFFFFFFF : 0xFF000000;
  }
  stripes.UnlockBits(&data);
  Bitmap small(10, 10, PixelFormat::Format24bppRGB);
  {
    Graphics graphics(small);
    graphics.SetInterpolationMode(InterpolationMode::HighQualityBilinear);
    ASSERT_EQ(graphics.DrawImage(stripes, 0, 0, 10, 10), Status::Ok);
  }
  for (int x = 0; x < 10; ++x) {
    EXPECT_TRUE(Near(PixelAt(small, x, 5) & 0xFF, 128, 24)) << std::hex << PixelAt(small, x, 5);
  }
}

TEST(GraphicsDrawImage, OntoItselfReadsTheOldPixels) {
  Bitmap bitmap(4, 1, PixelFormat::Format24bppRGB);
  bitmap.SetPixel(0, 0, 0xFF112233);
  {
    Graphics graphics(bitmap);
    ASSERT_EQ(graphics.DrawImage(bitmap, Rect{1, 0, 3, 1}, 0, 0, 3, 1), Status::Ok);
  }
  EXPECT_EQ(PixelAt(bitmap, 1, 0), 0xFF112233u);
  EXPECT_EQ(PixelAt(bitmap, 2, 0), 0xFF000000u);
}

TEST(GraphicsPens, DashAndDotFollowTheirPatternInPenWidths) {
  Bitmap bitmap(24, 4, PixelFormat::Format32bppARGB);
  {
    Graphics graphics(bitmap);
    Pen dash(0xFF000000, 1);
    dash.SetDashStyle(DashStyle::Dash);
    Pen dot(0xFF000000, 2);
    dot.SetDashStyle(DashStyle::Dot);
    graphics.DrawLines(dash, std::vector<Point>{{0, 0}, {24, 0}});
    graphics.DrawLines(dot, std::vector<Point>{{0, 3}, {24, 3}});
  }
  for (int x = 0; x < 24; ++x) {
    EXPECT_EQ(PixelAt(bitmap, x, 0) >> 24, x % 4 < 3 ? 255u : 0u) << "dash " << x;
    EXPECT_EQ(PixelAt(bitmap, x, 3) >> 24, x % 4 < 2 ? 255u : 0u) << "dot " << x;
  }
}

TEST(GraphicsPens, InsetRectangleStaysInsideItsOutline) {
  Bitmap inset(14, 14, PixelFormat::Format32bppARGB);
  Bitmap centred(14, 14, PixelFormat::Format32bppARGB);
  Pen pen(0xFF000000, 3);
  {
    Graphics graphics(centred);
    graphics.DrawRectangle(pen, Rect{2, 2, 10, 10});
    pen.SetAlignment(PenAlignment::Inset);
    Graphics insetGraphics(inset);
    insetGraphics.DrawRectangle(pen, Rect{2, 2, 10, 10});
  }
  EXPECT_EQ(PixelAt(inset, 2, 2) >> 24, 255u);
  EXPECT_EQ(PixelAt(inset, 11, 11) >> 24, 255u);
  EXPECT_EQ(PixelAt(inset, 4, 4) >> 24, 255u);
  EXPECT_EQ(PixelAt(inset, 5, 5) >> 24, 0u);
  EXPECT_EQ(PixelAt(inset, 12, 12) >> 24, 0u);
  EXPECT_EQ(PixelAt(inset, 1, 1) >> 24, 0u);
  EXPECT_EQ(PixelAt(centred, 1, 1) >> 24, 255u);
  EXPECT_EQ(PixelAt(centred, 12, 12) >> 24, 255u);
}

TEST(GraphicsPens, FailedPenOrTooFewPointsDrawNothing) {
  Bitmap bitmap(4, 4, PixelFormat::Format32bppARGB);
  Graphics graphics(bitmap);
  Pen negative(0xFF000000, -2);
  EXPECT_EQ(negative.GetLastStatus(), Status::InvalidParameter);
  EXPECT_EQ(graphics.DrawLines(negative, std::vector<Point>{{0, 0}, {3, 3}}),
            Status::InvalidParameter);
  Pen pen(0xFF000000, 1);
  EXPECT_EQ(graphics.DrawLines(pen, std::vector<Point>{{1, 1}}), Status::InvalidParameter);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(graphics.DrawCurve(pen, std::vector<PointF>{{0, 0}, {nan, 1}}),
            Status::InvalidParameter);
  EXPECT_EQ(graphics.GetLastStatus(), Status::InvalidParameter);
  EXPECT_EQ(PixelAt(bitmap, 1, 1), 0u);
  EXPECT_EQ(graphics.DrawLines(pen, std::vector<Point>{{0, 0}, {3, 0}}), Status::Ok);
  EXPECT_EQ(graphics.GetLastStatus(), Status::Ok);
}

TEST(GraphicsBrushes, HatchIsAnchoredToTheSurfaceWithTransparentBackground) {
  Bitmap bitmap(16, 16, PixelFormat::Format32bppARGB);
  {
    Graphics graphics(bitmap);
    const HatchBrush hatch(HatchStyle::Percent25, 0xFFFF0000, 0x00000000);
    graphics.TranslateTransform(3, 1);
    ASSERT_EQ(graphics.FillRectangle(hatch, Rect{-3, -1, 16, 16}), Status::Ok);
  }
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(PixelAt(bitmap, x, y), HatchBit(x, y) ? 0xFFFF0000u : 0u) << x << "," << y;
    }
  }
}

TEST(GraphicsBrushes, HatchPenLeavesPixelsBetweenThePatternAlone) {
  Bitmap layer(16, 8, PixelFormat::Format32bppARGB);
  FillBitmap(layer, 0x400000FF);
  {
    Graphics graphics(layer);
    Pen pen(HatchBrush(HatchStyle::Percent25, 0xFF00FF00, 0x00000000), 6);
    ASSERT_EQ(graphics.DrawLines(pen, std::vector<Point>{{0, 4}, {16, 4}}), Status::Ok);
  }
  for (int y = 2; y < 6; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(PixelAt(layer, x, y), HatchBit(x, y) ? 0xFF00FF00u : 0x400000FFu) << x << "," << y;
    }
  }
  EXPECT_EQ(HatchBrush(static_cast<HatchStyle>(3), 0, 0).GetLastStatus(), Status::NotImplemented);
}

TEST(GraphicsFigures, FillsUseTheAlternateRule) {
  Bitmap bitmap(21, 21, PixelFormat::Format32bppARGB);
  // A five-pointed star drawn in one stroke: its middle is crossed twice.
  const std::vector<PointF> star{{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}};
  {
    Graphics graphics(bitmap);
    ASSERT_EQ(graphics.FillPolygon(SolidBrush(0xFF000000), star), Status::Ok);
  }
  EXPECT_EQ(PixelAt(bitmap, 10, 11), 0u);
  EXPECT_EQ(PixelAt(bitmap, 10, 3), 0xFF000000u);
  EXPECT_EQ(PixelAt(bitmap, 3, 8), 0xFF000000u);
}

TEST(GraphicsFigures, CurvePassesThroughItsPoints) {
  Bitmap bitmap(21, 16, PixelFormat::Format32bppARGB);
  const std::vector<Point> points{{2, 2}, {10, 12}, {18, 2}};
  {
    Graphics graphics(bitmap);
    ASSERT_EQ(graphics.DrawCurve(Pen(0xFF000000, 1), points, 0.5f), Status::Ok);
  }
  EXPECT_EQ(PixelAt(bitmap, 10, 12) >> 24, 255u);
  EXPECT_EQ(PixelAt(bitmap, 2, 2) >> 24, 255u);
  // Straight segments would cross (6, 7); the curve bulges outwards.
  EXPECT_EQ(PixelAt(bitmap, 6, 7) >> 24, 0u);
}

TEST(GraphicsFigures, AntiAliasedLineCoversItsOwnRow) {
  Bitmap bitmap(10, 8, PixelFormat::Format32bppARGB);
  {
    Graphics graphics(bitmap);
    graphics.SetSmoothingMode(SmoothingMode::AntiAlias);
    graphics.DrawLines(Pen(0xFF000000, 1), std::vector<PointF>{{1, 3}, {8, 3}});
  }
  EXPECT_EQ(PixelAt(bitmap, 4, 3) >> 24, 255u);
  EXPECT_EQ(PixelAt(bitmap, 4, 2) >> 24, 0u);
  EXPECT_EQ(PixelAt(bitmap, 4, 4) >> 24, 0u);
}

TEST(GraphicsSurface, DrawsIntoTheCallersRowsInPlace) {
  // Rows of 3 pixels with one spare value of padding each.
  std::vector<uint32_t> pixels(8, 0x12345678);
  VarnSurface surface{pixels.data(), 3, 2, 16};
  {
    auto graphics = Graphics::FromHDC(&surface);
    ASSERT_EQ(graphics->GetLastStatus(), Status::Ok);
    graphics->TranslateTransform(1, 0);
    graphics->FillRectangle(SolidBrush(0xFFFF0000), Rect{0, 0, 5, 5});
    graphics->ResetTransform();
    graphics->FillRectangle(SolidBrush(0xFF00FF00), Rect{0, 1, 1, 1});
  }
  EXPECT_EQ(pixels[0], 0x12345678u);
  EXPECT_EQ(pixels[1], 0xFFFF0000u);
  EXPECT_EQ(pixels[2], 0xFFFF0000u);
  EXPECT_EQ(pixels[3], 0x12345678u);
  EXPECT_EQ(pixels[4], 0xFF00FF00u);
  EXPECT_EQ(pixels[7], 0x12345678u);

  VarnSurface narrow{pixels.data(), 3, 2, 8};
  EXPECT_EQ(Graphics(narrow).GetLastStatus(), Status::InvalidParameter);
  VarnSurface empty{nullptr, 3, 2, 16};
  EXPECT_EQ(Graphics(empty).Clear(0), Status::InvalidParameter);
  EXPECT_EQ(Graphics::FromHDC(nullptr)->GetLastStatus(), Status::InvalidParameter);
  EXPECT_EQ(Graphics::FromImage(nullptr)->GetLastStatus(), Status::InvalidParameter);
}

TEST(GraphicsOpaque, TwentyFourBitTargetStaysOpaque) {
  Bitmap picture(4, 1, PixelFormat::Format24bppRGB);
  {
    Graphics graphics(picture);
    graphics.Clear(0x00FFFFFF);
    graphics.SetCompositingMode(CompositingMode::SourceCopy);
    graphics.FillRectangle(SolidBrush(0x00000000), Rect{2, 0, 2, 1});
  }
  BitmapData data;
  picture.LockBits(Rect{0, 0, 4, 1}, ImageLockMode::Read, PixelFormat::Format24bppRGB, &data);
  EXPECT_EQ(data.ConstRow(0)[0], 0xFFFFFFFFu);
  EXPECT_EQ(data.ConstRow(0)[3] >> 24, 0xFFu);
  picture.UnlockBits(&data);
}

TEST(GraphicsStatus, FailedGraphicsAndBrokenArgumentsDoNothing) {
  Bitmap failed(0, 0, PixelFormat::Format32bppARGB);
  Graphics onFailed(failed);
  Bitmap fine(2, 2, PixelFormat::Format32bppARGB);
  EXPECT_EQ(onFailed.DrawImage(fine, 0, 0), Status::InvalidParameter);
  EXPECT_EQ(onFailed.SetSmoothingMode(SmoothingMode::AntiAlias), Status::InvalidParameter);
  EXPECT_EQ(onFailed.FillEllipse(SolidBrush(0xFF000000), Rect{0, 0, 2, 2}),
            Status::InvalidParameter);
  Graphics graphics(fine);
  EXPECT_EQ(graphics.DrawImage(failed, 0, 0), Status::InvalidParameter);
  EXPECT_EQ(graphics.SetInterpolationMode(static_cast<InterpolationMode>(42)),
            Status::InvalidParameter);
  EXPECT_EQ(graphics.GetInterpolationMode(), InterpolationMode::Bilinear);
  Graphics second(fine);
  EXPECT_EQ(second.GetLastStatus(), Status::ObjectBusy);
}

}  // namespace
}  // namespace varn::imaging
