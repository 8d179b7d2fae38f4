// Text items and cartoon balloons: the balloon outlines on a known box, the
// pixels of bodies, tails, transparency and selection, the order items are
// drawn and hit in, fonts, and golden pictures of every body and tail.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "imagedoc/decorations.h"
#include "imagedoc/text_items.h"
#include "platform/imaging/font.h"
#include "tests/imagedoc/overlay_fixture.h"
#include "tests/support/golden_picture.h"

namespace varn::imagedoc {
namespace {

using imaging::Bitmap;
using imaging::PointF;
using imaging::RectF;
using testing::ChangedArea;
using testing::Channel;
using testing::OverlayTest;
using testing::PixelAt;
using testing::SamePixels;

constexpr uint32_t kRed = 0xFF0000;

RectF Bounds(const std::vector<PointF>& points) {
  if (points.empty()) return {};
  float left = points[0].X, top = points[0].Y, right = left, bottom = top;
  for (const PointF& p : points) {
    left = std::min(left, p.X);
    top = std::min(top, p.Y);
    right = std::max(right, p.X);
    bottom = std::max(bottom, p.Y);
  }
  return {left, top, right - left, bottom - top};
}

struct BalloonCase {
  const char* name;
  int32_t index;
  size_t bodyPoints;
  RectF body;
  std::vector<PointF> tail;
};

class Balloon : public ::testing::TestWithParam<BalloonCase> {};

// The text box (100, 50, 60, 20): R = 160, B = 70.
TEST_P(Balloon, OutlinesStandAroundTheTextBox) {
  const BalloonShape shape = BalloonGeometry(GetParam().index, {100, 50, 60, 20});
  EXPECT_EQ(shape.body.size(), GetParam().bodyPoints);
  EXPECT_EQ(Bounds(shape.body), GetParam().body);
  EXPECT_EQ(shape.tail, GetParam().tail);
}

constexpr RectF kPadded{94, 44, 72, 32};

INSTANTIATE_TEST_SUITE_P(
    Geometry, Balloon,
    ::testing::Values(BalloonCase{"PlainBox", 0x00, 4, {100, 50, 60, 20}, {}},
                      // A tail corner without a body draws nothing more than the box.
                      BalloonCase{"PlainBoxIgnoresTheTail", 0x02, 4, {100, 50, 60, 20}, {}},
                      BalloonCase{"RectangleTailBottomLeft",
                                  0x13,
                                  4,
                                  kPadded,
                                  {{110, 76},
                                   {110, 77},
                                   {112, 79},
                                   {117, 81},
                                   {121, 80},
                                   {118, 79},
                                   {116, 77},
                                   {116, 76}}},
                      BalloonCase{"RectangleTailTopRight",
                                  0x10,
                                  4,
                                  kPadded,
                                  {{146, 44},
                                   {146, 43},
                                   {144, 41},
                                   {139, 39},
                                   {135, 40},
                                   {138, 41},
                                   {140, 43},
                                   {140, 44}}},
                      BalloonCase{"RoundedTailBottomRight",
                                  0x21,
                                  16,
                                  kPadded,
                                  {{146, 76},
                                   {146, 77},
                                   {144, 79},
                                   {139, 81},
                                   {135, 80},
                                   {138, 79},
                                   {140, 77},
                                   {140, 76}}},
                      BalloonCase{"ConcaveTailTopLeft",
                                  0x32,
                                  28,
                                  kPadded,
                                  {{110, 44},
                                   {110, 43},
                                   {112, 41},
                                   {117, 39},
                                   {121, 40},
                                   {118, 41},
                                   {116, 43},
                                   {116, 44}}},
                      // Corners beyond 3 have no place for a tail: the body goes alone.
                      BalloonCase{"CornerFourHasNoTail", 0x14, 4, kPadded, {}},
                      BalloonCase{"CornerFifteenHasNoTail", 0x3F, 28, kPadded, {}},
                      BalloonCase{"UnknownBodyDrawsNone",
                                  0x70,
                                  0,
                                  {},
                                  {{146, 44},
                                   {146, 43},
                                   {144, 41},
                                   {139, 39},
                                   {135, 40},
                                   {138, 41},
                                   {140, 43},
                                   {140, 44}}}),
    [](const ::testing::TestParamInfo<BalloonCase>& param) { return param.param.name; });

class TextItems : public OverlayTest {
 protected:
  TextItem& AddRed(std::u16string text, int32_t cartoonIndex, float x, float y) {
    TextItem& item = AddText(std::move(text), cartoonIndex, x, y);
    item.font.backgroundColor = kRed;
    return item;
  }
  RectF Box(const TextItem& item) {
    const std::optional<RectF> box = TextItemBounds(item);
    EXPECT_TRUE(box.has_value());
    return box.value_or(RectF{});
  }
};

TEST_F(TextItems, PlainBoxWithATailCornerDrawsAsThePlainBox) {
  AddRed(u"Tail", 0x00, 100, 100);
  const std::unique_ptr<Bitmap> plain = Plain();
  Node().textItems[0].cartoonIndex = 0x02;
  EXPECT_TRUE(SamePixels(*plain, *Plain()));
}

// Only a real corner puts a tail outside the body's 6-pixel margin; the
// others never draw at the picture's origin either.
TEST_F(TextItems, TailReachesPastTheBodyOnlyAtItsFourCorners) {
  const std::unique_ptr<Bitmap> empty = Plain();
  for (const auto& [index, tailOutside] : std::vector<std::pair<int32_t, bool>>{{0x10, true},
                                                                                {0x13, true},
                                                                                {0x14, false},
                                                                                {0x1F, false},
                                                                                {0x2A, false},
                                                                                {0x3C, false}}) {
    SCOPED_TRACE(index);
    Node().textItems.clear();
    const RectF box = Box(AddRed(u"Tail", index, 200, 150));
    const imaging::Rect changed = ChangedArea(*empty, *Plain());
    const bool inBody = changed.X >= box.X - 7 && changed.Y >= box.Y - 7 &&
                        changed.Right() <= box.Right() + 8 && changed.Bottom() <= box.Bottom() + 8;
    EXPECT_EQ(!inBody, tailOutside);
    EXPECT_GT(changed.Width, 0);
  }
}

TEST_F(TextItems, TransparencyIsTheAlphaOfTheBoxAlone) {
  for (const auto& [transparency, green] :
       std::vector<std::pair<int32_t, int32_t>>{{0, 255}, {128, 127}, {255, 0}, {999, 0}}) {
    SCOPED_TRACE(transparency);
    Node().textItems.clear();
    // Spaces between the letters leave the box's middle free of glyphs.
    TextItem& item = AddRed(u"I        I", 0x00, 100, 100);
    item.font.transparency = transparency;
    const RectF box = Box(item);
    const std::unique_ptr<Bitmap> picture = Plain();
    const imaging::ARGB middle = PixelAt(*picture, static_cast<int32_t>(box.X + box.Width / 2),
                                         static_cast<int32_t>(box.Y + box.Height / 2));
    EXPECT_EQ(Channel(middle, 16), 255);
    EXPECT_NEAR(Channel(middle, 8), green, 2);
    // The text itself is opaque whatever the box: its first letter is dark.
    int32_t darkest = 255;
    for (int32_t y = static_cast<int32_t>(box.Y); y < static_cast<int32_t>(box.Bottom()); ++y) {
      for (int32_t x = static_cast<int32_t>(box.X); x < static_cast<int32_t>(box.X + 8); ++x) {
        darkest = std::min(darkest, Channel(PixelAt(*picture, x, y), 16));
      }
    }
    EXPECT_LT(darkest, 64);
  }
}

TEST_F(TextItems, LaterItemIsDrawnOverAndHitFirstThenAHitBringsTheOtherUp) {
  AddRed(u"I        I", 0x00, 100, 100);
  AddText(u"I        I", 0x00, 112, 106).font.backgroundColor = 0x0000FF;
  const RectF first = Box(Node().textItems[0]);
  const RectF second = Box(Node().textItems[1]);
  const float overlapX =
      (std::max(first.X, second.X) + std::min(first.Right(), second.Right())) / 2;
  const float overlapY =
      (std::max(first.Y, second.Y) + std::min(first.Bottom(), second.Bottom())) / 2;
  auto overlapColor = [&] {
    return PixelAt(*Plain(), static_cast<int32_t>(overlapX), static_cast<int32_t>(overlapY)) &
           0xFFFFFF;
  };
  EXPECT_EQ(overlapColor(), 0x0000FFu);
  EXPECT_EQ(Node().HitTest(overlapX, overlapY, true), kHitText);
  EXPECT_EQ(Node().selectedText, 1);
  EXPECT_EQ(Node().textItems[1].font.backgroundColor, 0x0000FFu);
  // A point of the first alone brings it to the end, on top.
  EXPECT_EQ(Node().HitTest(first.X + 1, first.Y + 1, true), kHitText);
  EXPECT_EQ(Node().textItems[1].font.backgroundColor, kRed);
  EXPECT_EQ(Node().selectedText, 1);
  EXPECT_EQ(overlapColor(), kRed);
}

TEST_F(TextItems, SelectionIsADashedBoxInTheViewOnlyNeverInTheUpload) {
  AddText(u"I        I", 0x10, 100, 100);
  Node().selectedText = 0;
  const RectF box = Box(Node().textItems[0]);
  // Darkest pixel, and how many are dark, along the middle of the top edge.
  auto edge = [&](const Bitmap& picture) {
    int32_t darkest = 255;
    int32_t dark = 0;
    for (int32_t x = static_cast<int32_t>(box.X + box.Width / 2) - 8;
         x < static_cast<int32_t>(box.X + box.Width / 2) + 8; ++x) {
      const int32_t red = Channel(PixelAt(picture, x, static_cast<int32_t>(box.Y)), 16);
      darkest = std::min(darkest, red);
      dark += red < 128 ? 1 : 0;
    }
    return std::pair{darkest, dark};
  };
  const auto [viewDarkest, viewDark] = edge(Rendered());
  EXPECT_LT(viewDarkest, 80);
  EXPECT_GT(viewDark, 4);
  EXPECT_LT(viewDark, 16) << "dashed, not solid";
  EXPECT_EQ(edge(*Plain()).first, 255);
  ASSERT_EQ(Node().SaveTempJpeg(), 1);
  EXPECT_GT(edge(*Bitmap::FromFile(Node().tempPicturePath)).first, 200);
}

TEST_F(TextItems, JapaneseTextOfTheDefaultFontDrawsRealGlyphs) {
  EXPECT_EQ(imaging::FontFamily(FontSettings{}.name).GetResolvedName(), u"IPAPMincho");
  const std::unique_ptr<Bitmap> empty = Plain();
  std::vector<std::unique_ptr<Bitmap>> glyphs;
  for (const char16_t* text : {u"日", u"本"}) {
    Node().textItems.clear();
    AddText(text, 0x00, 50, 50);
    glyphs.push_back(Plain());
    int32_t dark = 0;
    for (int32_t y = 40; y < 80; ++y) {
      for (int32_t x = 40; x < 80; ++x) dark += Channel(PixelAt(*glyphs.back(), x, y), 8) < 100;
    }
    EXPECT_GT(dark, 10) << "no strokes drawn";
  }
  // Two characters drawn alike would be the missing-glyph box.
  EXPECT_FALSE(SamePixels(*glyphs[0], *glyphs[1]));
}

TEST_F(TextItems, MissingFamilyIsMeasuredInTheGenericSansSerif) {
  TextItem missing{10, 10, 0, u"Measure me", FontSettings{}};
  missing.font.name = u"No Such Family Anywhere";
  missing.font.size = 18;
  TextItem generic = missing;
  generic.font.name = imaging::FontFamily::GenericSansSerif()->GetFamilyName();
  EXPECT_EQ(TextItemBounds(missing), TextItemBounds(generic));
  EXPECT_GT(Box(missing).Height, 18.0f);
}

// Each body with a tail at each corner, in light blue on white; alignment
// and a half transparent item included.
TEST_F(TextItems, BalloonsMatchTheirGoldenPictures) {
  // Anti-aliased text may fall a shade differently with another rasteriser.
  constexpr varn::testing::GoldenTolerance kTolerance{48, 40};
  LoadPlain(240, 110);
  for (int32_t body = 0; body < 4; ++body) {
    SCOPED_TRACE(body);
    Node().textItems.clear();
    const PointF places[] = {{20, 24}, {130, 24}, {20, 76}, {130, 76}};
    for (int32_t corner = 0; corner < 4; ++corner) {
      TextItem& item = AddText(u"Balloon", body << 4 | corner, places[corner].X, places[corner].Y);
      item.font.backgroundColor = 0xC8DCFF;
      item.font.color = 0x203040;
      item.font.transparency = corner == 3 ? 128 : 255;
    }
    EXPECT_TRUE(varn::testing::MatchesGolden(
        *Plain(), varn::testing::GoldenPath("balloon_body_" + std::to_string(body) + ".png"),
        kTolerance));
  }
}

}  // namespace
}  // namespace varn::imagedoc
