// Frames: canvas sizes and the picture's place, each style's key pixels, the
// caption band, the corner artwork, refused indexes, and a golden picture of
// every frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "imagedoc/corner_artwork.h"
#include "imagedoc/decorations.h"
#include "imagedoc/frame.h"
#include "tests/imagedoc/history_fixture.h"
#include "tests/support/golden_picture.h"

namespace varn::imagedoc {
namespace {

using imaging::ARGB;
using imaging::Bitmap;
using imaging::Size;
using testing::HistoryTest;
using testing::PixelAt;
using testing::SizeOf;

constexpr ARGB kWhite = 0xFFFFFFFFu;
constexpr ARGB kEdge = 0xFFC0C0C0u;

class FrameTest : public HistoryTest {
 protected:
  void TearDown() override { SetFrameCaptionText(u""); }

  // The current node rendered with frame and caption flag.
  const Bitmap& Framed(int32_t frame, int32_t caption) {
    Node().SetFrameIndex(frame);
    Node().SetFrameUseUrl(caption);
    return Rendered();
  }
};

// ---- Sizes and the picture's place ----

struct SizeCase {
  const char* name;
  int32_t frame;
  int32_t caption;
  Size rendered;
};

class FrameSize : public FrameTest, public ::testing::WithParamInterface<SizeCase> {
 protected:
  void SetUp() override { Load(470, 352); }
};

TEST_P(FrameSize, AddsTheMarginAndCaptionBand) {
  SetFrameCaptionText(u"varn.example");
  const std::unique_ptr<Bitmap> bare = Snapshot();
  const Bitmap& framed = Framed(GetParam().frame, GetParam().caption);
  EXPECT_EQ(SizeOf(&framed), GetParam().rendered);
  if (GetParam().frame < kFirstMarginFrame) return;
  // The picture lies 1:1 at (15, 15), but for frame 3's rounded corners.
  const int32_t corner = GetParam().frame == 3 ? 10 : 0;
  for (int32_t y = 0; y < 352; ++y) {
    for (int32_t x = 0; x < 470; ++x) {
      const bool inCorner = (x < corner || x >= 470 - corner) && (y < corner || y >= 352 - corner);
      if (inCorner) continue;
      ASSERT_EQ(PixelAt(framed, x + 15, y + 15), PixelAt(*bare, x, y)) << x << ", " << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameSize,
                         ::testing::Values(SizeCase{"None", 0, 0, {470, 352}},
                                           SizeCase{"Rounded", 1, 0, {470, 352}},
                                           SizeCase{"Margin", 2, 0, {500, 382}},
                                           SizeCase{"MarginAndCaption", 2, 1, {500, 402}},
                                           SizeCase{"RoundedCorners", 3, 0, {500, 382}},
                                           SizeCase{"DotsAndCaption", 9, 1, {500, 402}}),
                         [](const ::testing::TestParamInfo<SizeCase>& param) {
                           return param.param.name;
                         });

// ---- Key pixels of each style, on a 100 x 80 picture (canvas 130 x 110) ----

struct KeyPixel {
  // Negative coordinates count from the right or bottom edge (-1 is the last).
  int32_t x;
  int32_t y;
  ARGB color;
  int32_t tolerance = 0;
};

struct StyleCase {
  const char* name;
  int32_t frame;
  std::vector<KeyPixel> pixels;
};

class FrameStyle : public FrameTest, public ::testing::WithParamInterface<StyleCase> {
 protected:
  void SetUp() override { Load(100, 80); }
};

TEST_P(FrameStyle, DrawsItsMargin) {
  const Bitmap& framed = Framed(GetParam().frame, 0);
  const auto width = static_cast<int32_t>(framed.GetWidth());
  const auto height = static_cast<int32_t>(framed.GetHeight());
  for (const KeyPixel& key : GetParam().pixels) {
    const int32_t x = key.x < 0 ? width + key.x : key.x;
    const int32_t y = key.y < 0 ? height + key.y : key.y;
    const ARGB actual = PixelAt(framed, x, y);
    EXPECT_LE(varn::testing::ChannelDifference(actual, key.color), key.tolerance)
        << "(" << x << ", " << y << "): " << std::hex << actual << ", expected " << key.color;
  }
}

// The picture's own pixel at (x, y) of the 100 x 80 pattern.
ARGB Picture(int32_t x, int32_t y) { return testing::PatternColor(x, y, 100, 80); }

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameStyle,
    ::testing::Values(
        // White corners turned for each corner; the picture shows next to them.
        StyleCase{"Rounded",
                  1,
                  {{0, 0, kWhite},
                   {-1, 0, kWhite},
                   {-1, -1, kWhite},
                   {0, -1, kWhite},
                   {2, 2, kWhite},
                   {0, 14, Picture(0, 14)},
                   {14, 0, Picture(14, 0)},
                   {85, 0, Picture(85, 0)},
                   {99, 65, Picture(99, 65)},
                   {7, 7, Picture(7, 7)}}},
        StyleCase{"Edge",
                  2,
                  {{0, 0, kEdge},
                   {0, 50, kEdge},
                   {-1, 50, kEdge},
                   {50, -1, kEdge},
                   {50, 0, kEdge},
                   {1, 50, kWhite},
                   {14, 14, kWhite},
                   {-2, -2, kWhite}}},
        // The gray arcs continue the edge round each corner; the picture's
        // own corners turn white.
        StyleCase{"RoundedEdge",
                  3,
                  {{0, 50, kEdge},
                   {0, 0, kWhite},
                   {2, 2, kWhite},
                   {0, 14, kEdge, 2},
                   {14, 0, kEdge, 2},
                   {-1, 0, kWhite},
                   {-15, 0, kEdge, 2},
                   {-1, 14, kEdge, 2},
                   {-1, -1, kWhite},
                   {-1, -15, kEdge, 2},
                   {-15, -1, kEdge, 2},
                   {0, -1, kWhite},
                   {0, -15, kEdge, 2},
                   {15, 15, kWhite},
                   {-16, 15, kWhite},
                   {-16, -16, kWhite},
                   {15, -16, kWhite},
                   {25, 25, Picture(10, 10)}}},
        StyleCase{"Black", 4, {{0, 0, 0xFF000000u}, {-1, -1, 0xFF000000u}, {14, 50, 0xFF000000u}}},
        StyleCase{"LightGray", 5, {{0, 0, 0xFFE5E5E5u}, {-15, -15, 0xFFE5E5E5u}}},
        // The tilted sheet shows below and right of the card, not at the
        // card's opposite corners.
        StyleCase{"Card",
                  6,
                  {{0, 0, kWhite},
                   {5, 5, kEdge},
                   {5, 50, kEdge},
                   {-6, 50, kEdge},
                   {50, -6, kEdge},
                   {6, 6, kWhite},
                   {15, -3, 0xFFD3D3D3u, 2},
                   {-3, -15, 0xFFD3D3D3u, 2},
                   {-3, 15, kWhite},
                   {3, -3, kWhite}}},
        // A 5-pixel light border whose outer pixel is the gray edge, carried
        // round the corners by the artwork.
        StyleCase{"Band",
                  7,
                  {{0, 50, kEdge},
                   {1, 50, 0xFFF2F2F2u},
                   {4, 50, 0xFFF2F2F2u},
                   {5, 50, kWhite},
                   {50, -1, kEdge},
                   {50, -5, 0xFFF2F2F2u},
                   {50, -6, kWhite},
                   {-5, 50, 0xFFF2F2F2u},
                   {-6, 50, kWhite},
                   {0, 0, kWhite},
                   {3, 3, kWhite},
                   {14, 0, kEdge, 2},
                   {14, 1, 0xFFF2F2F2u, 2},
                   {1, 14, 0xFFF2F2F2u, 2},
                   {-15, -2, 0xFFF2F2F2u, 2},
                   {-4, -4, kWhite}}},
        // Four passes of a faint black darken the outer pixels most.
        StyleCase{"Shadow",
                  8,
                  {{0, 50, 0xFFE9E9E9u},
                   {1, 50, 0xFFEFEFEFu, 1},
                   {2, 50, 0xFFF3F3F3u, 1},
                   {3, 50, 0xFFF7F7F7u, 1},
                   {4, 50, 0xFFFBFBFBu, 1},
                   {5, 50, kWhite},
                   {-2, 50, 0xFFEFEFEFu, 1},
                   {50, -5, 0xFFFBFBFBu, 1},
                   {50, -6, kWhite}}},
        StyleCase{"Dots",
                  9,
                  {{2, 2, kEdge},
                   {7, 2, kEdge},
                   {2, 12, kEdge},
                   {3, 2, kWhite},
                   {2, 3, kWhite},
                   {0, 0, kWhite},
                   {117, 52, kEdge},
                   {116, 52, kWhite},
                   {52, 97, kEdge},
                   {127, 107, kEdge},
                   {22, 22, Picture(7, 7)}}}),
    [](const ::testing::TestParamInfo<StyleCase>& param) { return param.param.name; });

// ---- The caption band ----

// The box of the pixels that are not white in rows from top on, inside the
// 1-pixel edge.
imaging::Rect InkBox(const Bitmap& image, int32_t top) {
  int32_t left = INT_MAX, right = -1, upper = INT_MAX, lower = -1;
  for (int32_t y = top; y < static_cast<int32_t>(image.GetHeight()) - 1; ++y) {
    for (int32_t x = 1; x < static_cast<int32_t>(image.GetWidth()) - 1; ++x) {
      if (PixelAt(image, x, y) == kWhite) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      upper = std::min(upper, y);
      lower = std::max(lower, y);
    }
  }
  if (right < 0) return {};
  return {left, upper, right - left + 1, lower - upper + 1};
}

class Caption : public FrameTest {
 protected:
  void SetUp() override { Load(470, 352); }
};

TEST_F(Caption, IsCentredInTheBandUnderThePicture) {
  SetFrameCaptionText(u"varn.example/members");
  const Bitmap& framed = Framed(2, 1);
  ASSERT_EQ(SizeOf(&framed), (Size{500, 402}));
  const imaging::Rect ink = InkBox(framed, 367);
  ASSERT_FALSE(ink.IsEmptyArea());
  EXPECT_GE(ink.Y, 367);
  EXPECT_LE(ink.Y + ink.Height - 1, 396);
  EXPECT_NEAR(ink.Y + (ink.Height - 1) / 2.0, 381.5, 2.5);
  EXPECT_NEAR(ink.X + (ink.Width - 1) / 2.0, 249.5, 2.5);
  // Bold 10-pixel letters: capitals and ascenders are some 8 pixels high.
  EXPECT_GE(ink.Height, 7);
  EXPECT_LE(ink.Height, 13);
  ARGB darkest = kWhite;
  for (int32_t y = ink.Y; y < ink.Y + ink.Height; ++y) {
    for (int32_t x = ink.X; x < ink.X + ink.Width; ++x) {
      darkest = std::min(darkest, PixelAt(framed, x, y));
    }
  }
  EXPECT_LE(varn::testing::ChannelDifference(darkest, 0xFF808080u), 16) << std::hex << darkest;
}

TEST_F(Caption, FollowsTheProcessWideTextAndNeedsTheFlag) {
  const Bitmap& plain = Framed(2, 1);
  EXPECT_TRUE(InkBox(plain, 367).IsEmptyArea()) << "no caption before one is set";
  SetFrameCaptionText(u"one");
  ASSERT_TRUE(Node().RedrawImage(true, false));
  const imaging::Rect shortInk = InkBox(*Node().renderedImage, 367);
  SetFrameCaptionText(u"one two three");
  EXPECT_EQ(FrameCaptionText(), u"one two three");
  ASSERT_TRUE(Node().RedrawImage(true, false));
  const imaging::Rect longInk = InkBox(*Node().renderedImage, 367);
  EXPECT_GT(longInk.Width, shortInk.Width + 20);
  // Without the flag the band and the caption go.
  Node().SetFrameUseUrl(0);
  EXPECT_EQ(SizeOf(&Rendered()), (Size{500, 382}));
  EXPECT_TRUE(InkBox(Rendered(), 367).IsEmptyArea());
}

TEST_F(Caption, OnlyUnderMarginFrames) {
  SetFrameCaptionText(u"varn.example");
  Framed(2, 1);
  // The flag stays with the node when its frame loses the margin.
  Node().SetFrameIndex(1);
  ASSERT_EQ(Node().frameUseUrl, 1);
  EXPECT_EQ(SizeOf(&Rendered()), (Size{470, 352}));
}

// ---- A picture with transparent pixels ----

// The background shows through: the whole canvas is drawn, not only the
// margins round an opaque picture.
TEST_F(FrameTest, TransparentPictureShowsTheBackground) {
  for (const auto& [frame, inside] :
       {std::pair{5, 0xFFE5E5E5u}, std::pair{9, kEdge}, std::pair{4, 0xFF000000u}}) {
    Node().SetFrameIndex(frame);
    auto image = std::make_unique<Bitmap>(20, 20, imaging::PixelFormat::Format32bppARGB);
    DrawFrame(Node(), image);
    ASSERT_EQ(SizeOf(image.get()), (Size{50, 50}));
    EXPECT_EQ(image->GetPixelFormat(), imaging::PixelFormat::Format32bppARGB);
    EXPECT_EQ(PixelAt(*image, 22, 22), inside) << frame;
  }
}

// ---- Refused indexes ----

TEST_F(FrameTest, IndexOutsideTheFramesIsRefused) {
  for (const int32_t index : {-1, 10, 255, INT_MIN, INT_MAX}) {
    const int32_t nodes = history->CountNodes();
    EXPECT_EQ(Node().SetFrameIndex(index), 0) << index;
    EXPECT_EQ(history->CountNodes(), nodes) << index;
    EXPECT_EQ(Node().frameIndex, 0) << index;
  }
  EXPECT_EQ(Node().SetFrameIndex(9), 1);
  EXPECT_EQ(Node().frameIndex, 9);
}

// ---- Corner artwork ----

struct ArtworkCase {
  CornerArtwork id;
  int32_t size;
  bool alpha;
};

class Artwork : public FrameTest, public ::testing::WithParamInterface<ArtworkCase> {};

// How much of pixel (x, y) lies within radius of the bottom-right pixel's
// centre, by sampling.
double InsideShare(int32_t x, int32_t y, double centre, double radius) {
  int32_t inside = 0;
  for (int32_t sy = 0; sy < 8; ++sy) {
    for (int32_t sx = 0; sx < 8; ++sx) {
      const double dx = x + (sx + 0.5) / 8 - centre;
      const double dy = y + (sy + 0.5) / 8 - centre;
      inside += std::hypot(dx, dy) <= radius ? 1 : 0;
    }
  }
  return inside / 64.0;
}

TEST_P(Artwork, IsAnAntiAliasedQuarterCircle) {
  const ArtworkCase& c = GetParam();
  const std::unique_ptr<Bitmap> art = LoadCornerArtwork(c.id);
  ASSERT_EQ(SizeOf(art.get()), (Size{c.size, c.size}));
  EXPECT_EQ(art->GetPixelFormat(),
            c.alpha ? imaging::PixelFormat::Format32bppARGB : imaging::PixelFormat::Format24bppRGB);
  const double centre = c.size - 0.5;
  int32_t partial = 0;
  for (int32_t y = 0; y < c.size; ++y) {
    for (int32_t x = 0; x < c.size; ++x) {
      const ARGB pixel = PixelAt(*art, x, y);
      const uint32_t alpha = pixel >> 24;
      const uint32_t gray = pixel & 0xFF;
      if (c.alpha) {
        // White outside the circle, transparent inside, partly both on it.
        const double share = InsideShare(x, y, centre, c.size);
        EXPECT_EQ(pixel & 0xFFFFFFu, 0xFFFFFFu) << x << ", " << y;
        EXPECT_NEAR(alpha / 255.0, 1 - share, 0.1) << x << ", " << y;
        partial += alpha > 0 && alpha < 255 ? 1 : 0;
      } else {
        // White but for the 1-pixel arc one pixel inside the circle (and,
        // in the banded artwork, the light band within it).
        const double outer = c.size - 0.5;
        const double share =
            InsideShare(x, y, centre, outer) - InsideShare(x, y, centre, outer - 1);
        EXPECT_EQ(alpha, 0xFFu);
        if (InsideShare(x, y, centre, outer - 5) == 1.0) {
          EXPECT_EQ(pixel, kWhite) << x << ", " << y;
        }
        if (share == 0 && InsideShare(x, y, centre, outer) == 0) {
          EXPECT_EQ(pixel, kWhite) << x << ", " << y;
        }
        if (share == 1) {
          EXPECT_EQ(pixel, kEdge) << x << ", " << y;
        }
        partial += gray > 0xC0 && gray < 0xF2 ? 1 : 0;
      }
    }
  }
  EXPECT_GE(partial, c.size) << "an anti-aliased edge along the quarter circle";
  if (!c.alpha) {
    EXPECT_EQ(PixelAt(*art, 0, c.size - 1), kEdge);
    EXPECT_EQ(PixelAt(*art, c.size - 1, 0), kEdge);
  }
  if (c.id == kCornerArcBand) {
    for (int32_t i = 1; i <= 4; ++i) {
      EXPECT_EQ(PixelAt(*art, c.size - 1, i), 0xFFF2F2F2u) << i;
      EXPECT_EQ(PixelAt(*art, i, c.size - 1), 0xFFF2F2F2u) << i;
    }
    EXPECT_EQ(PixelAt(*art, c.size - 1, 5), kWhite);
  }
}

INSTANTIATE_TEST_SUITE_P(Corners, Artwork,
                         ::testing::Values(ArtworkCase{kCornerRound15, 15, true},
                                           ArtworkCase{kCornerArc, 15, false},
                                           ArtworkCase{kCornerArcBand, 15, false},
                                           ArtworkCase{kCornerRound10, 10, true}),
                         [](const ::testing::TestParamInfo<ArtworkCase>& param) {
                           return std::to_string(param.param.id);
                         });

// ---- Golden pictures: every frame on a 60 x 40 pattern ----

// Anti-aliased edges may round differently where the blend runs in other
// vector widths; anything more is a change to look at.
constexpr varn::testing::GoldenTolerance kGoldenTolerance{3, 0};

struct GoldenCase {
  int32_t frame;
  int32_t caption;
};

class FrameGolden : public FrameTest, public ::testing::WithParamInterface<GoldenCase> {
 protected:
  void SetUp() override { Load(60, 40); }
};

std::string GoldenName(const GoldenCase& c) {
  return "frame_" + std::to_string(c.frame) + (c.caption ? "_caption" : "");
}

TEST_P(FrameGolden, MatchesTheReviewedPicture) {
  SetFrameCaptionText(u"Varn");
  const Bitmap& framed = Framed(GetParam().frame, GetParam().caption);
  EXPECT_TRUE(varn::testing::MatchesGolden(
      framed, varn::testing::GoldenPath(GoldenName(GetParam()) + ".png"), kGoldenTolerance));
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameGolden,
                         ::testing::Values(GoldenCase{0, 0}, GoldenCase{1, 0}, GoldenCase{2, 0},
                                           GoldenCase{3, 0}, GoldenCase{4, 0}, GoldenCase{5, 0},
                                           GoldenCase{6, 0}, GoldenCase{7, 0}, GoldenCase{8, 0},
                                           GoldenCase{9, 0}, GoldenCase{7, 1}),
                         [](const ::testing::TestParamInfo<GoldenCase>& param) {
                           return GoldenName(param.param);
                         });

}  // namespace
}  // namespace varn::imagedoc
