// The picture editor's mouse tools against a real history of a patterned
// 400 x 300 picture: what reaches the node, what the control is asked to do,
// and what the previews draw.
#include "imageedit/edit_tools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "imagedoc/decorations.h"
#include "imagedoc/sign.h"
#include "platform/imaging/graphics.h"
#include "platform/system/utf_convert.h"
#include "platform/ui/rect_ops.h"
#include "tests/imagedoc/history_fixture.h"

// POINT is a global type: its comparison lives beside it so lookup finds it.
constexpr bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }

namespace varn::imageedit {
namespace {

using imagedoc::testing::HistoryTest;
using imagedoc::testing::PatternColor;
using imagedoc::testing::PixelAt;
using imaging::ARGB;
using imaging::Bitmap;
using imaging::Point;

constexpr ARGB kRed = 0xFFFF0000u;

// Case tables print and name their tests by the case's name.
template <typename Case>
requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
// Pixels whose channels differ by more than tolerance: at most outliers of
// them, and none by more than kOutlierLimit.
constexpr int32_t kOutlierLimit = 48;
::testing::AssertionResult NearPixels(const Bitmap& a, const Bitmap& b, int32_t tolerance,
                                      int32_t outliers) {
  int32_t count = 0;
  for (int32_t y = 0; y < static_cast<int32_t>(a.GetHeight()); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(a.GetWidth()); ++x) {
      const ARGB p = PixelAt(a, x, y);
      const ARGB q = PixelAt(b, x, y);
      int32_t worst = 0;
      for (int32_t shift = 0; shift < 32; shift += 8) {
        worst = std::max(worst, std::abs(static_cast<int32_t>((p >> shift) & 0xFF) -
                                         static_cast<int32_t>((q >> shift) & 0xFF)));
      }
      if (worst <= tolerance) continue;
      if (++count > outliers || worst > kOutlierLimit) {
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") " << std::hex << p << " and " << q;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

constexpr auto kCaseName = [](const auto& info) { return std::string(info.param.name); };
constexpr int32_t kMargin = imagedoc::kFrameMargin;

class EditToolsTest : public HistoryTest {
 protected:
  // Picture coordinates (before any frame margin) to the client point.
  MouseInput At(Point picture) const {
    const POINT client{picture.X + shift - offset.x, picture.Y + shift - offset.y};
    return {client, POINT{client.x + 1000, client.y + 500}, offset};
  }
  ToolAnswer Press(Point p) { return tools.OnLButtonDown(history.get(), At(p)); }
  ToolAnswer Move(Point p) { return tools.OnMouseMove(history.get(), At(p)); }
  ToolAnswer Release(Point p) { return tools.OnLButtonUp(history.get(), At(p)); }
  void UseFrame(int32_t frame) {
    Node().SetFrameIndex(frame);
    shift = frame >= imagedoc::kFirstMarginFrame ? kMargin : 0;
  }
  // Client coordinates of a box around picture points a and b.
  RECT ClientBox(Point a, Point b, int32_t reach) const {
    return {std::min(a.X, b.X) + shift - offset.x - reach,
            std::min(a.Y, b.Y) + shift - offset.y - reach,
            std::max(a.X, b.X) + shift - offset.x + reach,
            std::max(a.Y, b.Y) + shift - offset.y + reach};
  }

  EditTools tools;
  POINT offset{0, 0};
  int32_t shift = 0;
};

// ---- Strokes: the polyline of the press and the moves, not the release ----

struct StrokeCase {
  const char* name;
  int32_t frame;
  POINT offset;
};

class PenStroke : public EditToolsTest, public ::testing::WithParamInterface<StrokeCase> {};

TEST_P(PenStroke, PolylineReachesThePenLayer) {
  UseFrame(GetParam().frame);
  offset = GetParam().offset;
  Node().toolType = kToolPen;
  Node().penColor = kRed;
  Node().penWidth = 3;
  const int32_t nodes = history->CountNodes();

  const ToolAnswer press = Press({10, 10});
  EXPECT_EQ(press.capture, CaptureAction::kTake);
  EXPECT_FALSE(press.Repaints());
  const ToolAnswer first = Move({20, 10});
  EXPECT_EQ(first.repaintRect, ClientBox({10, 10}, {20, 10}, 3 + 5));
  EXPECT_FALSE(first.repaintAll);
  EXPECT_FALSE(Move({20, 10}).Repaints()) << "no new point, nothing to repaint";
  Move({20, 20});
  EXPECT_EQ(tools.StrokePoints().size(), 3u);
  const ToolAnswer release = Release({40, 40});
  EXPECT_EQ(release.capture, CaptureAction::kRelease);
  EXPECT_TRUE(release.nodeChanged && release.repaintAll);
  EXPECT_FALSE(tools.Captured());
  EXPECT_TRUE(tools.StrokePoints().empty());

  EXPECT_EQ(history->CountNodes(), nodes + 1);
  ASSERT_NE(Node().penLayer, nullptr);
  const Bitmap& layer = *Node().penLayer;
  EXPECT_EQ(PixelAt(layer, 15, 10), kRed);
  EXPECT_EQ(PixelAt(layer, 20, 15), kRed);
  EXPECT_EQ(PixelAt(layer, 30, 30) >> 24, 0u) << "the release point is not part of the line";
  EXPECT_EQ(PixelAt(layer, 14, 17) >> 24, 0u) << "no diagonal from the first to the last point";
}

INSTANTIATE_TEST_SUITE_P(Tools, PenStroke,
                         ::testing::Values(StrokeCase{"Plain", 0, {0, 0}},
                                           StrokeCase{"FrameMarginUnderTheMouse", 3, {0, 0}},
                                           StrokeCase{"ScrolledView", 0, {6, 4}},
                                           StrokeCase{"ScrolledFramed", 3, {20, 25}}),
                         kCaseName);

TEST_F(EditToolsTest, EraserClearsThePenLayerAlongItsPath) {
  const Point line[] = {{0, 10}, {100, 10}};
  Node().penColor = kRed;
  ASSERT_EQ(Node().DrawPenStroke(line), 1);
  Node().toolType = kToolEraser;
  Node().eraserWidth = 5;
  Press({50, 0});
  const ToolAnswer move = Move({50, 30});
  EXPECT_EQ(move.repaintRect, ClientBox({50, 0}, {50, 30}, 5 + 5));
  EXPECT_TRUE(Release({50, 30}).nodeChanged);
  EXPECT_EQ(PixelAt(*Node().penLayer, 50, 10), 0u);
  EXPECT_EQ(PixelAt(*Node().penLayer, 20, 10), kRed);
}

// ---- Rubber bands: normalised rectangles for crop and mosaic ----

struct BandCase {
  const char* name;
  int32_t tool;
  int32_t frame;
  int32_t mozaicSize;
  Point from;
  Point to;
};

class RubberBand : public EditToolsTest, public ::testing::WithParamInterface<BandCase> {};

TEST_P(RubberBand, AppliesTheNormalisedRectangle) {
  const BandCase& c = GetParam();
  UseFrame(c.frame);
  Node().toolType = c.tool;
  tools.SetMozaicSize(c.mozaicSize);
  const int32_t nodes = history->CountNodes();
  EXPECT_EQ(Press(c.from).capture, CaptureAction::kTake);
  const ToolAnswer move = Move(c.to);
  EXPECT_EQ(move.repaintRect, ClientBox(c.from, c.to, 3));
  const ToolAnswer release = Release({0, 0});
  EXPECT_EQ(release.capture, CaptureAction::kRelease);
  EXPECT_TRUE(release.nodeChanged && release.repaintAll);
  EXPECT_EQ(history->CountNodes(), nodes + 1);

  // Every case spans the picture's (10, 20, 40, 40).
  const int32_t width = 400;
  const int32_t height = 300;
  if (c.tool == kToolCrop) {
    EXPECT_EQ(Node().BaseSize(), (imaging::Size{40, 40}));
    ASSERT_TRUE(release.changeSize.has_value());
    EXPECT_EQ(*release.changeSize, imagedoc::testing::SizeOf(&Rendered()));
    // Away from the corners a frame may draw over.
    EXPECT_EQ(PixelAt(Rendered(), 20 + shift, 20 + shift), PatternColor(30, 40, width, height));
    return;
  }
  EXPECT_FALSE(release.changeSize.has_value());
  const int32_t block = std::max(c.mozaicSize, 1);
  EXPECT_EQ(PixelAt(Rendered(), 10 + shift, 20 + shift),
            PixelAt(Rendered(), 10 + block - 1 + shift, 20 + block - 1 + shift));
  EXPECT_EQ(PixelAt(Rendered(), 100 + shift, 100 + shift), PatternColor(100, 100, width, height));
  EXPECT_EQ(PixelAt(Rendered(), 50 + shift, 60 + shift), PatternColor(50, 60, width, height));
}

INSTANTIATE_TEST_SUITE_P(
    Tools, RubberBand,
    ::testing::Values(BandCase{"CropUpAndLeft", kToolCrop, 0, 5, {50, 60}, {10, 20}},
                      BandCase{"CropFramed", kToolCrop, 3, 5, {10, 20}, {50, 60}},
                      BandCase{"MosaicDownAndRight", kToolMosaic, 0, 5, {10, 20}, {50, 60}},
                      BandCase{"MosaicFromBottomLeft", kToolMosaic, 3, 8, {10, 60}, {50, 20}},
                      BandCase{"MosaicOfBlockSizeZero", kToolMosaic, 0, 0, {50, 60}, {10, 20}}),
    kCaseName);

// ---- Abandoned drags leave no trace ----

struct AbandonCase {
  const char* name;
  int32_t tool;
  bool cancelMode;
  bool repaints;
};

class Abandon : public EditToolsTest, public ::testing::WithParamInterface<AbandonCase> {};

TEST_P(Abandon, DropsTheDragWithoutAStep) {
  Node().toolType = GetParam().tool;
  const int32_t nodes = history->CountNodes();
  EXPECT_EQ(Press({10, 10}).capture, CaptureAction::kTake);
  Move({40, 50});
  const ToolAnswer answer = GetParam().cancelMode ? tools.OnCancelMode(history.get())
                                                  : tools.OnRButtonDown(history.get());
  EXPECT_EQ(answer.capture, CaptureAction::kRelease);
  EXPECT_EQ(answer.repaintAll, GetParam().repaints);
  EXPECT_FALSE(answer.nodeChanged);
  EXPECT_FALSE(tools.Captured());
  EXPECT_TRUE(tools.StrokePoints().empty());
  // The release that follows belongs to no drag.
  const ToolAnswer release = Release({40, 50});
  EXPECT_EQ(release.capture, CaptureAction::kKeep);
  EXPECT_FALSE(release.Repaints());
  EXPECT_EQ(history->CountNodes(), nodes);
  EXPECT_EQ(Node().penLayer, nullptr);
  EXPECT_EQ(Node().mosaicLayer, nullptr);
  // Without a drag both are harmless.
  EXPECT_EQ(tools.OnRButtonDown(history.get()).capture, CaptureAction::kKeep);
}

INSTANTIATE_TEST_SUITE_P(
    Tools, Abandon,
    ::testing::Values(AbandonCase{"MosaicByRightPress", kToolMosaic, false, true},
                      AbandonCase{"CropByCancelMode", kToolCrop, true, true},
                      AbandonCase{"PenByRightPress", kToolPen, false, true},
                      AbandonCase{"EraserByCancelMode", kToolEraser, true, true},
                      AbandonCase{"ScrollByRightPress", kToolScroll, false, false}),
    kCaseName);

// ---- Scroll drags report screen steps ----

class ScrollDrag : public EditToolsTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(ScrollDrag, ReportsPreviousMinusCurrentScreenPosition) {
  Node().toolType = GetParam();
  auto at = [](LONG x, LONG y) { return MouseInput{{x - 900, y - 900}, {x, y}, {0, 0}}; };
  EXPECT_EQ(tools.OnLButtonDown(history.get(), at(100, 100)).capture, CaptureAction::kTake);
  const ToolAnswer step = tools.OnMouseMove(history.get(), at(90, 130));
  ASSERT_TRUE(step.scroll.has_value());
  EXPECT_EQ(*step.scroll, (POINT{10, -30}));
  EXPECT_FALSE(tools.OnMouseMove(history.get(), at(90, 130)).scroll.has_value());
  EXPECT_EQ(tools.OnMouseMove(history.get(), at(95, 120)).scroll, (POINT{-5, 10}));
  const ToolAnswer release = tools.OnLButtonUp(history.get(), at(95, 120));
  EXPECT_EQ(release.capture, CaptureAction::kRelease);
  EXPECT_FALSE(release.Repaints() || release.nodeChanged);
  EXPECT_EQ(history->CountNodes(), 1);
}

// The move-text tool scrolls too when its press finds nothing to select.
INSTANTIATE_TEST_SUITE_P(Tools, ScrollDrag, ::testing::Values(kToolScroll, kToolMoveText, 4, -1));

// ---- A press on a text or the signature switches the tool ----

enum class Target { kText, kSign, kPictureSign, kEmpty };

struct SwitchCase {
  const char* name;
  int32_t tool;
  Target target;
  bool textSelected;
  int32_t frame;
  std::optional<int32_t> changeTab;
  bool updateData;
  CaptureAction capture;
  int32_t toolAfter;
};

class ToolSwitch : public EditToolsTest, public ::testing::WithParamInterface<SwitchCase> {
 protected:
  // A stamp or a signature picture at its default place, and a text well
  // away from it.
  void Decorate() {
    if (GetParam().target == Target::kPictureSign) {
      Node().SetSignPath(system::Utf8ToUtf16(imagedoc::testing::PatternFile(40, 30)));
    } else {
      Node().SetStampText(u"SIGN");
      Node().SetSignIndex(imagedoc::kSignStamp);
    }
    Node().nextTextPosition = {200.0f, 150.0f};
    Node().SetCurrentText(u"TEXT");
    if (!GetParam().textSelected) Node().ReleaseCurrentText();
  }
  Point Centre(const std::optional<imaging::RectF>& box) {
    EXPECT_TRUE(box.has_value());
    if (!box) return {};
    return {static_cast<int32_t>(box->X + box->Width / 2),
            static_cast<int32_t>(box->Y + box->Height / 2)};
  }
  Point TargetPoint() {
    switch (GetParam().target) {
      case Target::kText:
        return Centre(imagedoc::TextItemBounds(Node().textItems.back()));
      case Target::kSign:
      case Target::kPictureSign:
        return Centre(imagedoc::FreeSignBounds(Node()));
      case Target::kEmpty:
        break;
    }
    return {380, 280};
  }
};

TEST_P(ToolSwitch, FollowsWhatThePressHits) {
  const SwitchCase& c = GetParam();
  Decorate();
  UseFrame(c.frame);
  Node().toolType = c.tool;
  const Point target = TargetPoint();
  const ToolAnswer press = Press(target);
  EXPECT_EQ(press.changeTab, c.changeTab);
  EXPECT_EQ(press.updateData, c.updateData);
  EXPECT_EQ(press.capture, c.capture);
  EXPECT_EQ(Node().toolType, c.toolAfter);
  EXPECT_EQ(press.repaintAll, c.target != Target::kEmpty || c.textSelected);
  if (c.target == Target::kEmpty) {
    EXPECT_EQ(Node().selectedText, -1);
    EXPECT_EQ(Node().nextTextPosition, (imaging::PointF{380.0f, 280.0f}));
    return;
  }
  // Two moves drag the hit decoration by their sum, as one step.
  const imaging::PointF textBefore{Node().textItems.back().x, Node().textItems.back().y};
  const imaging::PointF signBefore = Node().signPosition;
  const int32_t nodes = history->CountNodes();
  EXPECT_TRUE(Move({target.X + 4, target.Y + 2}).nodeChanged);
  EXPECT_TRUE(Move({target.X + 7, target.Y + 5}).repaintAll);
  EXPECT_EQ(history->CountNodes(), nodes + 1);
  const imaging::PointF moved = c.target == Target::kText
                                    ? imaging::PointF{Node().textItems.back().x - textBefore.X,
                                                      Node().textItems.back().y - textBefore.Y}
                                    : imaging::PointF{Node().signPosition.X - signBefore.X,
                                                      Node().signPosition.Y - signBefore.Y};
  EXPECT_EQ(moved, (imaging::PointF{7.0f, 5.0f}));
  EXPECT_FALSE(Release(target).nodeChanged);
}

constexpr auto kTake = CaptureAction::kTake;
constexpr auto kKeep = CaptureAction::kKeep;

INSTANTIATE_TEST_SUITE_P(
    Tools, ToolSwitch,
    ::testing::Values(
        SwitchCase{"TextFromScroll", kToolScroll, Target::kText, false, 0, 1, false, kTake, 1},
        SwitchCase{"TextFromMoveText", kToolMoveText, Target::kText, false, 0, {}, true, kTake, 1},
        SwitchCase{"TextUnderFrame", 4, Target::kText, true, 3, 1, false, kTake, 1},
        SwitchCase{"SignFromScroll", kToolScroll, Target::kSign, false, 0, 7, false, kTake, 7},
        SwitchCase{"SignFromMoveText", kToolMoveText, Target::kSign, true, 3, 7, true, kTake, 7},
        SwitchCase{"PictureSignFromScroll", kToolScroll, Target::kPictureSign, false, 0, 7, false,
                   kTake, 7},
        SwitchCase{"SignFromSign", kToolSign, Target::kSign, false, 0, {}, false, kTake, 7},
        SwitchCase{"EmptyWithSignTool", kToolSign, Target::kEmpty, false, 0, {}, false, kKeep, 7},
        SwitchCase{
            "EmptyClearsSelection", kToolMoveText, Target::kEmpty, true, 0, {}, true, kKeep, 1},
        SwitchCase{
            "EmptyScrollsMoveText", kToolMoveText, Target::kEmpty, false, 0, {}, true, kTake, 1}),
    kCaseName);

// ---- Previews in the back buffer ----

enum class Shows { kPenColor, kWhite, kInverseAtPress, kNothing };

struct PreviewCase {
  const char* name;
  int32_t tool;
  // A point of the preview, picture coordinates.
  Point probe;
  Shows shows;
};

class Preview : public EditToolsTest, public ::testing::WithParamInterface<PreviewCase> {};

TEST_P(Preview, DrawsOverThePictureAtTheViewOffset) {
  offset = {5, 7};
  Node().toolType = GetParam().tool;
  Node().penColor = 0xFF00FF00u;
  Node().penWidth = 3;
  Node().eraserWidth = 3;
  Press({10, 20});
  Move({60, 20});
  Move({60, 60});
  Bitmap buffer(200, 150, imaging::PixelFormat::Format32bppARGB);
  imaging::Graphics graphics(buffer);
  graphics.DrawImage(Rendered(), -offset.x, -offset.y);
  const std::unique_ptr<Bitmap> before = buffer.Clone();
  tools.DrawPreview(graphics, Node(), offset);
  const ARGB inverse = 0xFF000000u | (~PatternColor(10, 20, 400, 300) & 0x00FFFFFFu);
  const ARGB expected[] = {0xFF00FF00u, 0xFFFFFFFFu, inverse};
  const Point probe{GetParam().probe.X - offset.x, GetParam().probe.Y - offset.y};
  if (GetParam().shows == Shows::kNothing) {
    EXPECT_TRUE(imagedoc::testing::SamePixels(buffer, *before));
  } else {
    EXPECT_EQ(PixelAt(buffer, probe.X, probe.Y), expected[static_cast<int>(GetParam().shows)]);
  }
  // Far from every preview the picture stays.
  EXPECT_EQ(PixelAt(buffer, 150, 130), PixelAt(*before, 150, 130));
}

INSTANTIATE_TEST_SUITE_P(
    Tools, Preview,
    ::testing::Values(PreviewCase{"PenPolyline", kToolPen, {60, 40}, Shows::kPenColor},
                      PreviewCase{"EraserInWhite", kToolEraser, {30, 20}, Shows::kWhite},
                      PreviewCase{"CropBandInverse", kToolCrop, {11, 20}, Shows::kInverseAtPress},
                      PreviewCase{
                          "MosaicBandInverse", kToolMosaic, {10, 21}, Shows::kInverseAtPress},
                      PreviewCase{"NoneForScroll", kToolScroll, {}, Shows::kNothing}),
    kCaseName);

// ---- The kept stroke preview ----

struct KeptCase {
  const char* name;
  StrokeOverlay::Style style;
  // Points added between two paints.
  size_t step;
  // A stroke crossing itself blends the crossing's edge pixels twice.
  bool crossing;
  int32_t tolerance;
  int32_t outliers;
};

class KeptStroke : public ::testing::TestWithParam<KeptCase> {
 protected:
  ImagingScope imaging;
};

// Paint after paint, the kept preview shows what the whole polyline drawn at
// once shows, also where the stroke leaves the picture; where it crosses
// itself only a few edge pixels differ.
TEST_P(KeptStroke, MatchesThePolylineDrawnAtOnce) {
  const StrokeOverlay::Style& style = GetParam().style;
  std::vector<Point> points;
  for (int32_t i = 0; i < 80; ++i) {
    points.push_back({-10 + i * 2 + (i % 3), 45 + static_cast<int32_t>(50 * std::sin(i * 0.15))});
  }
  for (int32_t i = 0; GetParam().crossing && i < 40; ++i) points.push_back({150 - i * 4, 20 + i});
  Bitmap background(120, 90, imaging::PixelFormat::Format32bppARGB);
  for (int32_t y = 0; y < 90; ++y) {
    for (int32_t x = 0; x < 120; ++x) background.SetPixel(x, y, PatternColor(x, y, 120, 90));
  }
  imaging::Pen pen(style.color, style.width);
  pen.SetStartCap(imaging::LineCap::Round);
  pen.SetEndCap(imaging::LineCap::Round);
  pen.SetLineJoin(imaging::LineJoin::Round);
  StrokeOverlay overlay;
  for (size_t count = 2; count <= points.size(); count += GetParam().step) {
    const std::span<const Point> stroke(points.data(), count);
    const std::unique_ptr<Bitmap> kept = background.Clone();
    imaging::Graphics keptGraphics(*kept);
    overlay.Draw(keptGraphics, stroke, style, {120, 90});
    const std::unique_ptr<Bitmap> whole = background.Clone();
    imaging::Graphics wholeGraphics(*whole);
    wholeGraphics.SetSmoothingMode(style.antiAlias ? imaging::SmoothingMode::AntiAlias
                                                   : imaging::SmoothingMode::None);
    wholeGraphics.DrawLines(pen, stroke);
    ASSERT_TRUE(NearPixels(*kept, *whole, GetParam().tolerance, GetParam().outliers))
        << count << " points";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tools, KeptStroke,
    ::testing::Values(KeptCase{"Pen", {0xFF0000FFu, 3.0f, true}, 1, false, 2, 0},
                      KeptCase{"TranslucentWidePen", {0x80FF0000u, 11.0f, true}, 3, false, 2, 0},
                      KeptCase{"EraserCrossing", {0xFFFFFFFFu, 5.0f, false}, 2, true, 0, 0},
                      KeptCase{"PenCrossing", {0xFF0000FFu, 3.0f, true}, 1, true, 2, 4},
                      KeptCase{"TranslucentCrossing", {0x80FF0000u, 11.0f, true}, 3, true, 2, 8},
                      KeptCase{
                          "PenWiderThanThePicture", {0xFF00FF00u, 300.0f, true}, 7, true, 2, 0}),
    kCaseName);

// ---- The drag follows the page ----

TEST_F(EditToolsTest, ToolChangedMidDragDecidesTheRelease) {
  Node().toolType = kToolPen;
  Press({10, 10});
  Move({20, 10});
  Node().toolType = kToolCrop;
  Move({50, 60});
  const ToolAnswer release = Release({70, 70});
  EXPECT_EQ(release.changeSize, (imaging::Size{40, 50}));
  EXPECT_EQ(Node().penLayer, nullptr);
  EXPECT_TRUE(tools.StrokePoints().empty());
  // A stroke switched to mid-drag begins at the last point handled.
  Node().toolType = kToolCrop;
  Press({5, 5});
  Move({10, 10});
  Node().toolType = kToolPen;
  Move({20, 10});
  EXPECT_EQ(std::vector<Point>(tools.StrokePoints().begin(), tools.StrokePoints().end()),
            (std::vector<Point>{{10, 10}, {20, 10}}));
}

TEST_F(EditToolsTest, EmptiedListEndsTheDrag) {
  EXPECT_EQ(tools.OnLButtonDown(nullptr, At({10, 10})).capture, CaptureAction::kKeep);
  EXPECT_FALSE(tools.Captured());
  Node().toolType = kToolPen;
  Press({10, 10});
  Move({20, 20});
  const ToolAnswer answer = tools.OnMouseMove(nullptr, At({30, 30}));
  EXPECT_EQ(answer.capture, CaptureAction::kRelease);
  EXPECT_TRUE(answer.repaintAll);
  EXPECT_FALSE(tools.Captured());
  EXPECT_TRUE(tools.StrokePoints().empty());
}

}  // namespace
}  // namespace varn::imageedit
