#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "platform/imaging/font.h"
#include "platform/imaging/graphics.h"
#include "platform/imaging/imaging_startup.h"
#include "tests/platform/imaging/pixel_helpers.h"

namespace varn::imaging {
namespace {

using testing::FillBitmap;
using testing::PixelAt;

// The ink of dark text on white: the smallest rectangle holding every pixel
// that is not white.
std::optional<Rect> InkBox(const Bitmap& bitmap) {
  int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
  for (int y = 0; y < static_cast<int>(bitmap.GetHeight()); ++y) {
    for (int x = 0; x < static_cast<int>(bitmap.GetWidth()); ++x) {
      if (PixelAt(bitmap, x, y) == 0xFFFFFFFF) continue;
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return std::nullopt;
  return Rect{left, top, right - left + 1, bottom - top + 1};
}

class ImagingText : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(StartImaging(&token_), Status::Ok); }
  static void TearDownTestSuite() { ShutdownImaging(token_); }

  static inline ImagingToken token_ = 0;
};

TEST_F(ImagingText, FamiliesExistWhenInstalledOrSubstituted) {
  EXPECT_EQ(FontFamily(u"DejaVu Sans").GetLastStatus(), Status::Ok);
  const FontFamily verdana(u"Verdana");
  ASSERT_EQ(verdana.GetLastStatus(), Status::Ok);
  EXPECT_EQ(verdana.GetResolvedName(), u"DejaVu Sans");
  EXPECT_EQ(verdana.GetFamilyName(), u"Verdana");
  const FontFamily gothic(u"ＭＳ Ｐゴシック");
  ASSERT_EQ(gothic.GetLastStatus(), Status::Ok);
  EXPECT_EQ(gothic.GetResolvedName(), u"IPAPGothic");
  EXPECT_EQ(FontFamily(u"ＭＳ 明朝").GetResolvedName(), u"IPAMincho");
  EXPECT_EQ(FontFamily(u"No Such Family 4711").GetLastStatus(), Status::FontFamilyNotFound);
  EXPECT_EQ(FontFamily(u"").GetLastStatus(), Status::FontFamilyNotFound);
  const FontFamily* sans = FontFamily::GenericSansSerif();
  ASSERT_EQ(sans->GetLastStatus(), Status::Ok);
  EXPECT_FALSE(sans->GetResolvedName().empty());
  EXPECT_EQ(FontFamily::GenericSansSerif(), sans);
}

TEST_F(ImagingText, FontsValidateSizeAndCarryTheFamilyStatus) {
  const FontFamily family(u"DejaVu Sans");
  EXPECT_EQ(Font(family, 10).GetLastStatus(), Status::Ok);
  EXPECT_NEAR(Font(family, 10).GetPixelSize(), 13.333f, 0.01f);
  EXPECT_EQ(Font(family, 13, FontStyleRegular, Unit::Pixel).GetPixelSize(), 13.0f);
  EXPECT_EQ(Font(family, 0).GetLastStatus(), Status::InvalidParameter);
  EXPECT_EQ(Font(family, std::nanf("")).GetLastStatus(), Status::InvalidParameter);
  EXPECT_EQ(Font(family, 1e9f).GetLastStatus(), Status::ValueOverflow);
  EXPECT_EQ(Font(family, 10, FontStyleRegular, Unit::Inch).GetLastStatus(),
            Status::InvalidParameter);
  EXPECT_EQ(Font(FontFamily(u"No Such Family 4711"), 10).GetLastStatus(),
            Status::FontFamilyNotFound);
}

TEST_F(ImagingText, DrawnInkLiesInsideTheMeasuredBox) {
  const FontFamily family(u"DejaVu Sans");
  const Font font(family, 12);
  for (StringAlignment alignment :
       {StringAlignment::Near, StringAlignment::Center, StringAlignment::Far}) {
    Bitmap bitmap(160, 40, PixelFormat::Format24bppRGB);
    FillBitmap(bitmap, 0xFFFFFFFF);
    StringFormat format;
    format.SetAlignment(alignment);
    RectF box;
    {
      Graphics graphics(bitmap);
      ASSERT_EQ(graphics.MeasureString(u"Hello, Wörld", font, RectF{80, 10, 0, 0}, &format, &box),
                Status::Ok);
      ASSERT_EQ(graphics.DrawString(u"Hello, Wörld", font, RectF{80, 10, 0, 0}, &format,
                                    SolidBrush(0xFF000000)),
                Status::Ok);
    }
    const auto ink = InkBox(bitmap);
    ASSERT_TRUE(ink.has_value());
    EXPECT_GE(ink->X, std::floor(box.X));
    EXPECT_GE(ink->Y, std::floor(box.Y));
    EXPECT_LE(ink->Right(), std::ceil(box.Right()));
    EXPECT_LE(ink->Bottom(), std::ceil(box.Bottom()));
    EXPECT_GT(box.Width, 40.0f);
    EXPECT_NEAR(box.Y, 10.0f, 0.5f);
    const float anchor = alignment == StringAlignment::Near     ? box.X
                         : alignment == StringAlignment::Center ? box.X + box.Width / 2
                                                                : box.Right();
    EXPECT_NEAR(anchor, 80.0f, 1.0f) << static_cast<int>(alignment);
  }
}

TEST_F(ImagingText, PointsAndStyleBitsChangeTheMeasure) {
  Bitmap bitmap(10, 10, PixelFormat::Format32bppARGB);
  Graphics graphics(bitmap);
  const FontFamily family(u"DejaVu Sans");
  RectF points, pixels, bold;
  graphics.MeasureString(u"Measure", Font(family, 10), RectF{}, nullptr, &points);
  graphics.MeasureString(u"Measure", Font(family, 13, FontStyleRegular, Unit::Pixel), RectF{},
                         nullptr, &pixels);
  graphics.MeasureString(u"Measure", Font(family, 10, FontStyleBold), RectF{}, nullptr, &bold);
  EXPECT_EQ(points, pixels);
  EXPECT_GT(bold.Width, points.Width);
  RectF twoLines;
  graphics.MeasureString(u"Measure\nMeasure", Font(family, 10), RectF{}, nullptr, &twoLines);
  EXPECT_NEAR(twoLines.Width, points.Width, 0.01f);
  EXPECT_GT(twoLines.Height, 1.8f * points.Height);
}

TEST_F(ImagingText, SingleBitHintDrawsWithoutGreyPixels) {
  const FontFamily family(u"DejaVu Sans");
  auto countGrey = [&](TextRenderingHint hint) {
    Bitmap bitmap(120, 30, PixelFormat::Format24bppRGB);
    FillBitmap(bitmap, 0xFFFFFFFF);
    {
      Graphics graphics(bitmap);
      graphics.SetTextRenderingHint(hint);
      graphics.DrawString(u"Grey edges", Font(family, 14), RectF{2, 2, 0, 0}, nullptr,
                          SolidBrush(0xFF000000));
    }
    int grey = 0;
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 120; ++x) {
        const ARGB c = PixelAt(bitmap, x, y);
        if (c != 0xFFFFFFFF && c != 0xFF000000) ++grey;
      }
    }
    return grey;
  };
  EXPECT_EQ(countGrey(TextRenderingHint::SingleBitPerPixelGridFit), 0);
  EXPECT_GT(countGrey(TextRenderingHint::AntiAlias), 0);
}

}  // namespace
}  // namespace varn::imaging
