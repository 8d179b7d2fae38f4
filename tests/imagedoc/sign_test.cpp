// Signatures and stamps: fitted sizes, the five placements and the snap back
// of a free signature, unreadable signature files, the stamp's lines, shape
// and placement, and what the hit test finds of them.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imagedoc/decorations.h"
#include "imagedoc/sign.h"
#include "platform/system/utf_convert.h"
#include "tests/imagedoc/overlay_fixture.h"

namespace varn::imagedoc {
namespace {

using imaging::Bitmap;
using imaging::Point;
using imaging::PointF;
using imaging::Rect;
using imaging::RectF;
using imaging::Size;
using testing::ChangedArea;
using testing::Channel;
using testing::OverlayTest;
using testing::PixelAt;
using testing::PlainFile;
using testing::SamePixels;

constexpr Size kPicture{470, 352};

TEST(FittedSignatureSize, KeepsSmallOnesAndFitsLargeOnesInto100) {
  const std::vector<std::pair<Size, Size>> cases{
      {{400, 200}, {100, 50}},  {{50, 80}, {50, 80}},    {{150, 300}, {50, 100}},
      {{100, 100}, {100, 100}}, {{101, 100}, {100, 99}}, {{30000, 20000}, {100, 66}}};
  for (const auto& [own, drawn] : cases) {
    EXPECT_EQ(FittedSignatureSize(own), drawn) << own.Width << "x" << own.Height;
  }
}

struct PlaceCase {
  const char* name;
  int32_t align;
  PointF position;
  Point at;
  PointF stored;
};

class SignaturePlace : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(SignaturePlace, IsTenPixelsInsideItsCornerOrSnapsBack) {
  PointF position = GetParam().position;
  EXPECT_EQ(PlaceSignature(GetParam().align, position, kPicture, {100, 50}), GetParam().at);
  EXPECT_EQ(position, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Aligns, SignaturePlace,
    ::testing::Values(
        PlaceCase{"TopRight", 1, {15, 15}, {360, 10}, {15, 15}},
        PlaceCase{"BottomRight", 2, {15, 15}, {360, 292}, {15, 15}},
        PlaceCase{"TopLeft", 3, {15, 15}, {10, 10}, {15, 15}},
        PlaceCase{"BottomLeft", 4, {15, 15}, {10, 292}, {15, 15}},
        PlaceCase{"FreeInside", 0, {200.7f, 100.2f}, {200, 100}, {200.7f, 100.2f}},
        PlaceCase{"FreePastLeftAndBottom", 0, {-30, 400}, {10, 292}, {10, 292}},
        PlaceCase{"FreePastRightAndTop", 0, {400, -5}, {360, 10}, {360, 10}},
        PlaceCase{"FreeFarAway", 0, {3e9f, 5}, {360, 5}, {360, 5}},
        PlaceCase{"UnknownAlignIsNotCorrected", 9, {-30.5f, 400}, {-30, 400}, {-30.5f, 400}}),
    [](const ::testing::TestParamInfo<PlaceCase>& param) { return param.param.name; });

struct StampCase {
  const char* name;
  int32_t shape;
  int32_t align;
  RectF shape_bounds;
};

class StampPlace : public ::testing::TestWithParam<StampCase> {};

// Text measured at (15, 15), 40 x 30: its circle has a diameter of 50.
TEST_P(StampPlace, ShapeStandsTenPixelsInsideItsCorner) {
  const RectF measured{15, 15, 40, 30};
  const StampLayout layout =
      PlaceStamp(measured, {15, 15}, GetParam().shape, GetParam().align, kPicture);
  EXPECT_EQ(layout.shapeBounds, GetParam().shape_bounds);
  // Text and origin move together.
  EXPECT_FLOAT_EQ(layout.textBox.X - measured.X, layout.origin.X - 15);
  EXPECT_FLOAT_EQ(layout.textBox.Y - measured.Y, layout.origin.Y - 15);
  EXPECT_EQ(layout.textBox.Width, measured.Width);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, StampPlace,
    ::testing::Values(StampCase{"CircleFree", 0, 0, {10, 5, 50, 50}},
                      StampCase{"CircleTopRight", 0, 1, {410, 10, 50, 50}},
                      StampCase{"CircleBottomRight", 0, 2, {410, 292, 50, 50}},
                      StampCase{"CircleTopLeft", 0, 3, {10, 10, 50, 50}},
                      StampCase{"CircleBottomLeft", 0, 4, {10, 292, 50, 50}},
                      StampCase{"BoxTopLeft", 1, 3, {9, 9, 42, 32}},
                      StampCase{"BoxBottomRight", 1, 2, {419, 311, 42, 32}},
                      StampCase{"NoShapeKeepsTheTextBox", 5, 3, {10, 10, 40, 30}}),
    [](const ::testing::TestParamInfo<StampCase>& param) { return param.param.name; });

TEST(StampLines, PutEveryWordOnItsOwnLine) {
  EXPECT_EQ(StampLines(u"Varn Posting"), u"Varn\nPosting");
  EXPECT_EQ(StampLines(u"署名\u3000日付"), u"署名\n日付");
  EXPECT_EQ(StampLines(u"a  b\tc"), u"a\n\nb\tc");
  EXPECT_EQ(StampLines(u"one"), u"one");
}

class Sign : public OverlayTest {
 protected:
  void UseSignature(const std::string& path, int32_t align) {
    Node().signKind = kSignPicture;
    Node().signAlign = align;
    Node().signFilePath = system::Utf8ToUtf16(path);
    Node().renderedImage.reset();
  }
  void UseStamp(std::u16string text, int32_t shape, int32_t align) {
    Node().signKind = kSignStamp;
    Node().stampShape = shape;
    Node().signAlign = align;
    Node().stampText = std::move(text);
    Node().stampFont.backgroundColor = 0xFF0000;
    Node().renderedImage.reset();
  }
  StampLayout Layout() {
    Bitmap scratch(1, 1, imaging::PixelFormat::Format24bppRGB);
    imaging::Graphics graphics(scratch);
    graphics.SetTextRenderingHint(imaging::TextRenderingHint::AntiAlias);
    const std::optional<StampLayout> layout = LayoutStamp(Node(), graphics, kPicture);
    EXPECT_TRUE(layout.has_value());
    return layout.value_or(StampLayout{});
  }
};

struct SignatureCase {
  const char* name;
  Size file;
  int32_t align;
  PointF position;
  Rect drawn;
  PointF stored;
};

class Signature : public Sign, public ::testing::WithParamInterface<SignatureCase> {};

TEST_P(Signature, IsDrawnFittedAtItsPlace) {
  const std::unique_ptr<Bitmap> empty = Plain();
  Node().signPosition = GetParam().position;
  UseSignature(PlainFile(GetParam().file.Width, GetParam().file.Height, 0xFFFF0000u),
               GetParam().align);
  const std::unique_ptr<Bitmap> withSignature = Plain();
  EXPECT_EQ(ChangedArea(*empty, *withSignature), GetParam().drawn);
  const Rect& drawn = GetParam().drawn;
  EXPECT_EQ(PixelAt(*withSignature, drawn.X + drawn.Width / 2, drawn.Y + drawn.Height / 2),
            0xFFFF0000u);
  EXPECT_EQ(Node().signPosition, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Signature,
    ::testing::Values(
        SignatureCase{"WideBottomRight", {400, 200}, 2, {15, 15}, {360, 292, 100, 50}, {15, 15}},
        SignatureCase{"SmallTopLeft", {50, 80}, 3, {15, 15}, {10, 10, 50, 80}, {15, 15}},
        SignatureCase{"TallBottomLeft", {150, 300}, 4, {15, 15}, {10, 242, 50, 100}, {15, 15}},
        SignatureCase{"FreeSnapsBack", {400, 200}, 0, {-30, 400}, {10, 292, 100, 50}, {10, 292}}),
    [](const ::testing::TestParamInfo<SignatureCase>& param) { return param.param.name; });

// A signature path that is no readable picture draws nothing, cannot be hit
// and never blocks (a FIFO with no writer would hang a plain open; such a
// hang shows as the suite's timeout).
TEST_F(Sign, UnreadableSignatureDrawsNothingAndIsNeverHit) {
  const std::filesystem::path dir = testing::ScratchDir() / "signatures";
  std::filesystem::create_directories(dir);
  const std::string fifo = (dir / "fifo.png").string();
  std::filesystem::remove(fifo);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string text = (dir / "text.png").string();
  std::ofstream(text) << "not a picture";
  const std::unique_ptr<Bitmap> empty = Plain();
  for (const std::string& path : {fifo, dir.string(), text, (dir / "missing.png").string(),
                                  std::string("/dev/zero"), std::string()}) {
    SCOPED_TRACE(path);
    UseSignature(path, 0);
    Node().signPosition = {15, 15};
    EXPECT_TRUE(SamePixels(*empty, *Plain()));
    EXPECT_EQ(FreeSignBounds(Node()), std::nullopt);
    EXPECT_EQ(Node().HitTest(20, 20, true), kHitNothing);
  }
}

TEST_F(Sign, StampOfTwoWordsHasTwoLinesInACircleTenPixelsFromTheCorner) {
  UseStamp(u"One", 0, 3);
  const float oneLine = Layout().textBox.Height;
  UseStamp(u"One Two", 0, 3);
  const StampLayout layout = Layout();
  EXPECT_NEAR(layout.textBox.Height, 2 * oneLine, 2.0f);
  EXPECT_FLOAT_EQ(layout.shapeBounds.X, 10.0f);
  EXPECT_FLOAT_EQ(layout.shapeBounds.Y, 10.0f);
  const float diameter = std::hypot(layout.textBox.Width, layout.textBox.Height);
  EXPECT_NEAR(layout.shapeBounds.Width, diameter, 1e-3f);

  // On the picture: the outline (3 pixels wide, centred) starts 1.5 pixels
  // before the circle.
  const std::unique_ptr<Bitmap> empty = [&] {
    Node().stampText.reset();
    return Plain();
  }();
  UseStamp(u"One Two", 0, 3);
  const std::unique_ptr<Bitmap> stamped = Plain();
  const Rect changed = ChangedArea(*empty, *stamped);
  EXPECT_GE(changed.X, 8);
  EXPECT_LE(changed.X, 9);
  EXPECT_GE(changed.Y, 8);
  EXPECT_LE(changed.Y, 9);
  EXPECT_NEAR(changed.Width, diameter + 3, 1.5);
  // Inside the circle, above the text: the red fill at its default alpha of
  // 128 over white.
  const imaging::ARGB fill =
      PixelAt(*stamped, static_cast<int32_t>(layout.shapeBounds.X + diameter / 2),
              static_cast<int32_t>((layout.shapeBounds.Y + layout.textBox.Y) / 2) + 1);
  EXPECT_EQ(Channel(fill, 16), 255);
  EXPECT_NEAR(Channel(fill, 8), 127, 2);
}

TEST_F(Sign, TextsAreHitBeforeTheStampWhoseWholeCircleCanBeGrabbed) {
  Node().signPosition = {100, 100};
  UseStamp(u"Grab me", 0, 0);
  const StampLayout layout = Layout();
  const RectF& circle = layout.shapeBounds;
  const float centreX = circle.X + circle.Width / 2;
  const float centreY = circle.Y + circle.Height / 2;
  AddText(u"Over", 0x00, centreX - 5, centreY - 5);
  EXPECT_EQ(Node().HitTest(centreX, centreY, true), kHitText);
  Node().beginDrag = false;
  // Above the text, still inside the circle.
  EXPECT_EQ(Node().HitTest(centreX, circle.Y + 2, true), kHitSign);
  EXPECT_TRUE(Node().beginDrag);
  EXPECT_EQ(Node().selectedText, -1);
  EXPECT_EQ(Node().HitTest(centreX, circle.Y - 2, true), kHitNothing);
  // In a corner the stamp is placed, not dragged.
  Node().signAlign = 3;
  EXPECT_EQ(Node().HitTest(centreX, circle.Y + 2, true), kHitNothing);
}

TEST_F(Sign, FreeSignatureIsHitWhereItWillBeDrawn) {
  Node().signPosition = {-30, 400};
  UseSignature(PlainFile(400, 200, 0xFF00FF00u), 0);
  EXPECT_EQ(FreeSignBounds(Node()), (RectF{10, 292, 100, 50}));
  EXPECT_EQ(Node().HitTest(15, 300, false), kHitSign);
  EXPECT_EQ(Node().HitTest(5, 300, false), kHitNothing);
}

}  // namespace
}  // namespace varn::imagedoc
