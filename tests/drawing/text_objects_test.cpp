#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/imaging_startup.h"
#include "drawing/drawing_document.h"
#include "drawing/drawing_state.h"
#include "drawing/drawing_text.h"
#include "drawing/layer_operations.h"
#include "drawing/render.h"
#include "drawing/tool_types.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/graphics.h"

namespace varn::drawing {
namespace {

using imaging::ARGB;
using imaging::Bitmap;
using imaging::Graphics;
using imaging::PixelFormat;
using imaging::PointF;
using imaging::RectF;

ARGB PixelAt(const Bitmap& bitmap, int32_t x, int32_t y) {
  ARGB color = 0xDEADBEEF;
  bitmap.GetPixel(x, y, &color);
  return color;
}

// Pixels of exactly color.
int CountPixels(const Bitmap& bitmap, ARGB color) {
  int count = 0;
  for (int32_t y = 0; y < static_cast<int32_t>(bitmap.GetHeight()); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(bitmap.GetWidth()); ++x) {
      if (PixelAt(bitmap, x, y) == color) ++count;
    }
  }
  return count;
}

// Neutral grey pixels darker than light grey: the frame's black at alpha
// 192 over white, never the ink of a coloured text.
int CountFramePixels(const Bitmap& bitmap) {
  int count = 0;
  for (int32_t y = 0; y < static_cast<int32_t>(bitmap.GetHeight()); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(bitmap.GetWidth()); ++x) {
      const ARGB c = PixelAt(bitmap, x, y);
      const uint32_t r = imaging::GetRed(c);
      if (r == imaging::GetGreen(c) && r == imaging::GetBlue(c) && r < 160) ++count;
    }
  }
  return count;
}

DrawingText MakeText(float x, float y, std::u16string content, int32_t align = 0) {
  DrawingText text;
  text.x = x;
  text.y = y;
  text.text = std::move(content);
  text.fontName = u"DejaVu Sans";
  text.fontSize = 20;
  text.align = align;
  return text;
}

RectF Measure(const DrawingText& text) {
  Bitmap scratch(1, 1, PixelFormat::Format32bppARGB);
  Graphics graphics(scratch);
  RectF box;
  EXPECT_TRUE(MeasureTextObject(graphics, text, &box));
  return box;
}

class TextObjects : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(AcquireImaging(), imaging::Status::Ok); }
  static void TearDownTestSuite() { ReleaseImaging(); }

  CDrawingState& State() { return *document_.current; }

  CDrawingDocument document_;
};

TEST_F(TextObjects, FontFallsBackToGenericSansSerif) {
  DrawingText text = MakeText(0, 0, u"Fallback");
  text.fontName = u"No Such Family 4711";
  const std::optional<imaging::Font> fallback = MakeTextFont(text);
  ASSERT_TRUE(fallback.has_value());
  EXPECT_EQ(fallback->GetFamilyName(), imaging::FontFamily::GenericSansSerif()->GetResolvedName());
  EXPECT_EQ(fallback->GetSize(), 20.0f);

  text.fontName = u"ＭＳ Ｐ明朝";
  text.style = imaging::FontStyleBold | imaging::FontStyleItalic;
  const std::optional<imaging::Font> mincho = MakeTextFont(text);
  ASSERT_TRUE(mincho.has_value());
  EXPECT_EQ(mincho->GetFamilyName(), u"IPAPMincho");
  EXPECT_EQ(mincho->GetStyle(), text.style);
  EXPECT_EQ(mincho->GetUnit(), imaging::Unit::Point);

  // A second lookup of each family answers the same.
  text.fontName = u"No Such Family 4711";
  EXPECT_EQ(MakeTextFont(text)->GetFamilyName(), fallback->GetFamilyName());
  text.fontName = u"ＭＳ Ｐ明朝";
  EXPECT_EQ(MakeTextFont(text)->GetFamilyName(), u"IPAPMincho");

  for (int32_t size : {0, -5, 1'000'000}) {
    text.fontSize = size;
    EXPECT_FALSE(MakeTextFont(text).has_value()) << size;
  }
}

TEST_F(TextObjects, UnmakeableFontLeavesTheTextUndrawn) {
  DrawingText text = MakeText(10, 10, u"Nothing");
  text.fontSize = 0;
  Bitmap bitmap(120, 60, PixelFormat::Format24bppRGB);
  Graphics graphics(bitmap);
  graphics.Clear(imaging::kOpaqueWhite);
  DrawTextObject(graphics, text, TextFrame::Dashed);
  EXPECT_EQ(CountPixels(bitmap, imaging::kOpaqueWhite), 120 * 60);
  RectF box{1, 2, 3, 4};
  EXPECT_FALSE(MeasureTextObject(graphics, text, &box));
  EXPECT_EQ(box, (RectF{1, 2, 3, 4}));
}

TEST_F(TextObjects, DrawsOpaqueInkInsideItsMeasuredBox) {
  // The colour field carries no alpha: whatever its top byte holds, the
  // text is drawn opaque.
  DrawingText text = MakeText(20, 10, u"WWWW");
  text.colour = 0x000000FF;
  Bitmap bitmap(200, 60, PixelFormat::Format24bppRGB);
  Graphics graphics(bitmap);
  graphics.Clear(imaging::kOpaqueWhite);
  DrawTextObject(graphics, text, TextFrame::None);
  EXPECT_GT(CountPixels(bitmap, 0xFF0000FF), 20);
  EXPECT_EQ(CountFramePixels(bitmap), 0);

  const RectF box = Measure(text);
  for (int32_t y = 0; y < 60; ++y) {
    for (int32_t x = 0; x < 200; ++x) {
      if (PixelAt(bitmap, x, y) == imaging::kOpaqueWhite) continue;
      ASSERT_TRUE(x + 1 > box.X && x < box.Right() + 1 && y + 1 > box.Y && y < box.Bottom() + 1)
          << x << "," << y;
    }
  }
}

TEST_F(TextObjects, FrameIsADashedBoxAroundTheText) {
  const DrawingText text = MakeText(20, 15, u"Framed text", 0);
  Bitmap bitmap(220, 70, PixelFormat::Format24bppRGB);
  Graphics graphics(bitmap);
  graphics.Clear(imaging::kOpaqueWhite);
  DrawTextObject(graphics, text, TextFrame::Dashed);

  const RectF box = Measure(text);
  // Along the top edge above the glyphs the frame alternates ink and gaps.
  const auto top = static_cast<int32_t>(box.Y);
  int ink = 0, gaps = 0;
  for (auto x = static_cast<int32_t>(box.X) + 2; x < static_cast<int32_t>(box.Right()) - 2; ++x) {
    const ARGB c = PixelAt(bitmap, x, top);
    if (c == imaging::kOpaqueWhite) {
      ++gaps;
    } else {
      EXPECT_EQ(imaging::GetRed(c), imaging::GetBlue(c));
      ++ink;
    }
  }
  EXPECT_GT(ink, 10);
  EXPECT_GT(gaps, 5);
  EXPECT_GT(CountFramePixels(bitmap), 30);
}

TEST_F(TextObjects, TextsGoOverEveryLayerAndOnlyTheScreenShowsTheFrame) {
  constexpr ARGB kRed = 0xFFFF0000;
  constexpr ARGB kBlue = 0xFF0000FF;
  State().toolType = kToolHand;  // no preview and no step before the selected layer
  ASSERT_TRUE(AddLayer(State()));
  ASSERT_TRUE(SelectLayer(State(), 0));
  // The layer above the selected one covers the text's area.
  CDrawingState& state = State();
  for (int32_t y = 0; y < 100; ++y) {
    for (int32_t x = 0; x < 200; ++x) state.layers.at(1).bitmap->SetPixel(x, y, kRed);
  }
  state.texts.push_back(DrawingText{20, 20, u"HHHH", u"Verdana", 24, 0, 0, 0x0000FF});
  state.selectedText = 0;

  Bitmap target(300, 300, PixelFormat::Format24bppRGB);
  Render(state, target, {}, RenderMode::Export);
  EXPECT_GT(CountPixels(target, kBlue), 20);
  Bitmap exported(300, 300, PixelFormat::Format24bppRGB);
  Render(state, exported, {}, RenderMode::Export);
  state.selectedText = -1;
  Render(state, exported, {}, RenderMode::Screen);
  const int redWithoutFrame = CountPixels(exported, kRed);
  EXPECT_EQ(CountPixels(target, kRed), redWithoutFrame);

  state.selectedText = 0;
  Render(state, target, {}, RenderMode::Screen);
  EXPECT_LT(CountPixels(target, kRed), redWithoutFrame);
}

TEST_F(TextObjects, HitTestFollowsTheDrawnBoxAndPrefersTheTopmost) {
  CDrawingState& state = State();
  state.texts.push_back(MakeText(20, 20, u"Bottom text"));
  state.texts.push_back(MakeText(40, 25, u"Top"));
  const RectF bottom = Measure(state.texts[0]);
  const RectF top = Measure(state.texts[1]);

  EXPECT_EQ(HitTestText(state, {top.X + 1, top.Y + 1}), 1);
  EXPECT_EQ(HitTestText(state, {bottom.X + 1, bottom.Y + 1}), 0);
  // Left and top edges belong to the box, right and bottom ones do not.
  EXPECT_EQ(HitTestText(state, {bottom.X, bottom.Y}), 0);
  EXPECT_EQ(HitTestText(state, {bottom.Right(), bottom.Y + 1}), -1);
  EXPECT_EQ(HitTestText(state, {bottom.X + 1, bottom.Bottom()}), -1);
  EXPECT_EQ(HitTestText(state, {bottom.X - 0.5f, bottom.Y + 1}), -1);
  EXPECT_EQ(HitTestText(state, {250, 250}), -1);
}

TEST_F(TextObjects, HitTestOfCentredAndFarTextsLeftOfTheirOrigin) {
  CDrawingState& state = State();
  state.texts.push_back(MakeText(100, 50, u"Centred", 1));
  const RectF box = Measure(state.texts[0]);
  EXPECT_NEAR(box.X + box.Width / 2, 100.0f, 1.0f);
  EXPECT_EQ(HitTestText(state, {box.X + 1, 55}), 0);
  EXPECT_EQ(HitTestText(state, {box.Right() - 1, 55}), 0);
  EXPECT_EQ(HitTestText(state, {box.Right() + 1, 55}), -1);

  state.texts[0].align = 2;
  const RectF far = Measure(state.texts[0]);
  EXPECT_NEAR(far.Right(), 100.0f, 1.0f);
  EXPECT_EQ(HitTestText(state, {99, 55}), 0);
  EXPECT_EQ(HitTestText(state, {101, 55}), -1);
}

TEST_F(TextObjects, ContentCreatesATextAtTheInsertionPointAsAnUndoStep) {
  CDrawingState& first = State();
  first.colour = 0x123456;
  ASSERT_EQ(document_.CountStates(), 1);
  const std::u16string_view abc = u"abc";
  EXPECT_TRUE(SetTextContent(first, abc));

  CDrawingState& made = State();
  ASSERT_NE(&made, &first);
  EXPECT_TRUE(first.texts.empty());
  ASSERT_EQ(made.texts.size(), 1u);
  const DrawingText& text = made.texts[0];
  EXPECT_EQ(text.x, 50.0f);
  EXPECT_EQ(text.y, 50.0f);
  EXPECT_EQ(text.text, u"abc");
  EXPECT_EQ(text.fontName, u"ＭＳ Ｐ明朝");
  EXPECT_EQ(text.fontSize, 10);
  EXPECT_EQ(text.align, 0);
  EXPECT_EQ(text.style, 0);
  EXPECT_EQ(text.colour, 0x123456);
  EXPECT_EQ(made.selectedText, 0);
  ASSERT_NE(GetTextCurrent(made), nullptr);
  EXPECT_EQ(*GetTextCurrent(made), u"abc");

  EXPECT_EQ(document_.Undo(), kHistoryMoved);
  EXPECT_TRUE(State().texts.empty());
  EXPECT_EQ(GetTextCurrent(State()), nullptr);
}

TEST_F(TextObjects, ContentOfTheSelectedTextChangesInPlace) {
  SetTextContent(State(), u"abc");
  CDrawingState& state = State();
  const int32_t states = document_.CountStates();
  EXPECT_TRUE(SetTextContent(state, u"changed"));
  EXPECT_TRUE(SetTextContent(state, u""));
  EXPECT_EQ(&State(), &state);
  EXPECT_EQ(document_.CountStates(), states);
  ASSERT_EQ(state.texts.size(), 1u);
  EXPECT_EQ(state.texts[0].text, u"");
  ASSERT_NE(GetTextCurrent(state), nullptr);
  EXPECT_TRUE(GetTextCurrent(state)->empty());
}

TEST_F(TextObjects, NullContentRemovesTheSelectedTextAndKeepsItsPlace) {
  EXPECT_FALSE(SetTextContent(State(), std::nullopt));
  EXPECT_EQ(document_.CountStates(), 1);

  SetTextContent(State(), u"first");
  CDrawingState& state = State();
  state.texts[0].x = 80;
  state.texts[0].y = 90;
  EXPECT_TRUE(SetTextContent(state, std::nullopt));
  EXPECT_TRUE(state.texts.empty());
  EXPECT_EQ(state.selectedText, -1);
  EXPECT_EQ(state.textInsertX, 80.0f);
  EXPECT_EQ(state.textInsertY, 90.0f);
  EXPECT_FALSE(SetTextContent(state, std::nullopt));

  EXPECT_TRUE(SetTextContent(state, u"second"));
  ASSERT_EQ(State().texts.size(), 1u);
  EXPECT_EQ(State().texts[0].x, 80.0f);
  EXPECT_EQ(State().texts[0].y, 90.0f);
}

TEST_F(TextObjects, OversizedContentAndTooManyTextsAreRefusedWhole) {
  const std::u16string huge(kMaxTextLength + 1, u'x');
  EXPECT_FALSE(SetTextContent(State(), std::u16string_view(huge)));
  EXPECT_TRUE(State().texts.empty());
  EXPECT_EQ(document_.CountStates(), 1);

  SetTextContent(State(), u"kept");
  EXPECT_FALSE(SetTextContent(State(), std::u16string_view(huge)));
  EXPECT_EQ(State().texts[0].text, u"kept");
  const std::u16string longest(kMaxTextLength, u'y');
  EXPECT_TRUE(SetTextContent(State(), std::u16string_view(longest)));
  EXPECT_EQ(State().texts[0].text.size(), kMaxTextLength);

  CDrawingState& state = State();
  state.texts.resize(kMaxTextObjects);
  state.selectedText = -1;
  EXPECT_FALSE(SetTextContent(state, u"one too many"));
  EXPECT_EQ(&State(), &state);
  EXPECT_EQ(state.texts.size(), kMaxTextObjects);
}

TEST_F(TextObjects, FormatPutsSetTheDefaultsAndTheSelectedText) {
  CDrawingState& first = State();
  EXPECT_FALSE(PutTextFontSize(first, 14));
  EXPECT_FALSE(PutTextFontName(first, u"DejaVu Sans"));
  EXPECT_EQ(GetTextFontSize(first), 14);
  EXPECT_EQ(GetTextFontName(first), u"DejaVu Sans");

  SetTextContent(first, u"abc");
  CDrawingState& state = State();
  EXPECT_EQ(state.texts[0].fontSize, 14);
  EXPECT_TRUE(PutTextFontSize(state, 20));
  EXPECT_TRUE(PutTextFontAlign(state, 1));
  EXPECT_TRUE(PutTextFontStyle(state, imaging::FontStyleBold));
  EXPECT_TRUE(PutTextFontName(state, u"ＭＳ ゴシック"));
  const DrawingText& text = state.texts[0];
  EXPECT_EQ(text.fontSize, 20);
  EXPECT_EQ(text.align, 1);
  EXPECT_EQ(text.style, imaging::FontStyleBold);
  EXPECT_EQ(text.fontName, u"ＭＳ ゴシック");
  EXPECT_EQ(state.defaultFontSize, 20);
  EXPECT_EQ(state.defaultAlign, 1);
  EXPECT_EQ(state.defaultStyle, imaging::FontStyleBold);
  EXPECT_EQ(state.defaultFontName, u"ＭＳ ゴシック");
  EXPECT_EQ(GetTextFontAlign(state), 1);
  EXPECT_EQ(GetTextFontStyle(state), imaging::FontStyleBold);

  // The selected text answers for itself, not for the defaults.
  state.defaultFontSize = 33;
  EXPECT_EQ(GetTextFontSize(state), 20);

  // Format changes are no steps: Undo removes the text and brings back the
  // defaults of the state before it.
  EXPECT_EQ(document_.Undo(), kHistoryMoved);
  EXPECT_TRUE(State().texts.empty());
  EXPECT_EQ(GetTextFontSize(State()), 14);
  EXPECT_EQ(GetTextFontName(State()), u"DejaVu Sans");
  EXPECT_EQ(GetTextFontAlign(State()), 0);
}

TEST_F(TextObjects, OverlongFontNameIsRefused) {
  SetTextContent(State(), u"abc");
  const std::u16string name(kMaxFontNameLength + 1, u'F');
  EXPECT_FALSE(PutTextFontName(State(), name));
  EXPECT_EQ(State().defaultFontName, u"ＭＳ Ｐ明朝");
  EXPECT_EQ(State().texts[0].fontName, u"ＭＳ Ｐ明朝");
}

TEST_F(TextObjects, StaleSelectionCountsAsNone) {
  CDrawingState& state = State();
  state.texts.push_back(MakeText(10, 10, u"only"));
  state.selectedText = 3;
  EXPECT_EQ(SelectedText(state), nullptr);
  EXPECT_EQ(GetTextCurrent(state), nullptr);
  EXPECT_FALSE(PutTextFontSize(state, 30));
  EXPECT_EQ(state.texts[0].fontSize, 20);
  EXPECT_FALSE(SetTextContent(state, std::nullopt));
  EXPECT_EQ(state.texts.size(), 1u);
}

TEST_F(TextObjects, ColourRuleRecolorsTheSelectedTextOnlyWithTheTextTool) {
  SetTextContent(State(), u"abc");
  CDrawingState& state = State();
  state.toolType = kToolPen;
  EXPECT_TRUE(ApplyColorRule(state, 0xFFFF0000));
  EXPECT_EQ(state.colour, 0xFF0000u);
  EXPECT_EQ(state.texts[0].colour, 0);

  state.toolType = kToolText;
  EXPECT_TRUE(ApplyColorRule(state, 0xFF00FF00));
  EXPECT_EQ(state.colour, 0x00FF00u);
  EXPECT_EQ(state.texts[0].colour, 0x00FF00);

  state.selectedText = -1;
  EXPECT_FALSE(ApplyColorRule(state, 0xFF0000FF));
  EXPECT_EQ(state.colour, 0x0000FFu);
  EXPECT_EQ(state.texts[0].colour, 0x00FF00);
}

class TextTool : public TextObjects {
 protected:
  void SetUp() override {
    CDrawingState& state = State();
    state.toolType = kToolText;
    DrawingText red = MakeText(30, 30, u"Red");
    red.colour = 0xFF0000;
    DrawingText blue = MakeText(150, 150, u"Blue");
    blue.colour = 0x0000FF;
    state.texts = {red, blue};
    redBox_ = Measure(red);
  }

  PointF InRed() const { return {redBox_.X + 2, redBox_.Y + 2}; }

  RectF redBox_;
  std::vector<PointF> points_;
};

TEST_F(TextTool, PressOnATextSelectsItAndTakesItsColour) {
  CDrawingState& state = State();
  const ToolResult result = OnTextToolDown(state, points_, InRed());
  EXPECT_EQ(result, kCapture | kRedraw | kLayersChanged);
  EXPECT_EQ(state.selectedText, 0);
  EXPECT_EQ(state.colour, 0xFF0000u);
  EXPECT_EQ(state.textInsertX, InRed().X);
  EXPECT_EQ(state.textInsertY, InRed().Y);
  ASSERT_EQ(points_.size(), 1u);
  EXPECT_EQ(points_[0], InRed());
  EXPECT_EQ(document_.CountStates(), 1);

  // A second press on the selected text only starts a new drag.
  points_.clear();
  state.textInsertX = 0;
  EXPECT_EQ(OnTextToolDown(state, points_, InRed()), kCapture);
  EXPECT_EQ(state.textInsertX, 0.0f);
}

TEST_F(TextTool, PressBesideEveryTextClearsTheSelection) {
  CDrawingState& state = State();
  // Nothing selected: nothing changes, not even the insertion point.
  EXPECT_EQ(OnTextToolDown(state, points_, {5, 290}), kNoResult);
  EXPECT_EQ(state.textInsertX, 50.0f);
  EXPECT_EQ(state.selectedText, -1);

  OnTextToolDown(state, points_, InRed());
  points_.clear();
  state.colour = 0x00ABCD;
  EXPECT_EQ(OnTextToolDown(state, points_, {5, 290}), kRedraw | kLayersChanged);
  EXPECT_EQ(state.selectedText, -1);
  EXPECT_EQ(state.textInsertX, 5.0f);
  EXPECT_EQ(state.textInsertY, 290.0f);
  EXPECT_EQ(state.colour, 0x00ABCDu);
  EXPECT_TRUE(points_.empty());
}

TEST_F(TextTool, DragMovesTheSelectedTextByThePointerSteps) {
  CDrawingState& state = State();
  const PointF start = InRed();
  OnTextToolDown(state, points_, start);
  EXPECT_EQ(OnTextToolMove(state, points_, {start.X + 4, start.Y + 1}), kRedraw);
  EXPECT_EQ(OnTextToolMove(state, points_, {start.X + 10.5f, start.Y + 5}), kRedraw);
  EXPECT_FLOAT_EQ(state.texts[0].x, 40.5f);
  EXPECT_FLOAT_EQ(state.texts[0].y, 35.0f);
  EXPECT_EQ(state.texts[1].x, 150.0f);
  ASSERT_EQ(points_.size(), 1u);
  EXPECT_EQ(document_.CountStates(), 1);
  // The text now answers the hit test where it was dragged to.
  EXPECT_EQ(HitTestText(state, {redBox_.X + 12.5f, redBox_.Y + 7}), 0);
}

TEST_F(TextTool, MoveWithoutASelectedTextDoesNothing) {
  CDrawingState& state = State();
  points_.push_back({1, 1});
  EXPECT_EQ(OnTextToolMove(state, points_, {20, 20}), kNoResult);
  EXPECT_EQ(state.texts[0].x, 30.0f);
  EXPECT_EQ(points_[0], (PointF{1, 1}));
}

TEST_F(TextTool, RenderFramesTheSelectedTextOnScreenOnly) {
  CDrawingState& state = State();
  OnTextToolDown(state, points_, InRed());
  Bitmap target(300, 300, PixelFormat::Format24bppRGB);
  Render(state, target, {}, RenderMode::Screen);
  const int framed = CountFramePixels(target);
  EXPECT_GT(framed, 30);
  EXPECT_GT(CountPixels(target, 0xFFFF0000), 10);
  EXPECT_GT(CountPixels(target, 0xFF0000FF), 10);

  Render(state, target, {}, RenderMode::Export);
  EXPECT_EQ(CountFramePixels(target), 0);
  EXPECT_GT(CountPixels(target, 0xFFFF0000), 10);

  state.selectedText = -1;
  Render(state, target, {}, RenderMode::Screen);
  EXPECT_EQ(CountFramePixels(target), 0);
}

}  // namespace
}  // namespace varn::drawing
