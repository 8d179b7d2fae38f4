// Frame, signature and text settings: which of them are undo steps, the
// drag rule, texts and their fonts, and settings taken from another picture.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/imagedoc/history_fixture.h"

namespace varn::imagedoc {
namespace {

using testing::HistoryTest;

// A setter after a set-up: its result, how many states it adds, and the
// value it leaves.
struct SettingCase {
  const char* name;
  std::function<void(CHistoryNode&)> setUp;
  std::function<int32_t(CHistoryNode&)> set;
  int32_t addedNodes;
  std::function<bool(const CHistoryNode&)> check;
};

class SignSetting : public HistoryTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(SignSetting, IsAStepOnlyWhenItCanShow) {
  GetParam().setUp(Node());
  const int32_t nodes = history->CountNodes();
  Node().GetRenderedImage();
  EXPECT_EQ(GetParam().set(Node()), 1);
  EXPECT_EQ(history->CountNodes() - nodes, GetParam().addedNodes);
  EXPECT_EQ(Node().renderedImage, nullptr);
  EXPECT_TRUE(GetParam().check(Node()));
}

void Nothing(CHistoryNode&) {}
void WithStamp(CHistoryNode& node) { node.SetStampText(u"stamp"); }
void WithSignFile(CHistoryNode& node) { node.SetSignPath(u"/tmp/sign.png"); }
void WithEmptyTexts(CHistoryNode& node) {
  node.SetSignPath(u"");
  node.Owner().Current().SetStampText(u"");
}

INSTANTIATE_TEST_SUITE_P(
    RulesABC, SignSetting,
    ::testing::Values(
        SettingCase{"KindWithNothingToShow", Nothing,
                    [](CHistoryNode& n) { return n.SetSignIndex(1); }, 0,
                    [](const CHistoryNode& n) { return n.signKind == 1; }},
        SettingCase{"KindWithEmptyTexts", WithEmptyTexts,
                    [](CHistoryNode& n) { return n.SetSignIndex(1); }, 0,
                    [](const CHistoryNode& n) { return n.signKind == 1; }},
        SettingCase{"KindWithStamp", WithStamp, [](CHistoryNode& n) { return n.SetSignIndex(1); },
                    1, [](const CHistoryNode& n) { return n.signKind == 1; }},
        SettingCase{"AlignWithNothingToShow", Nothing,
                    [](CHistoryNode& n) { return n.SetSignAlign(2); }, 0,
                    [](const CHistoryNode& n) { return n.signAlign == 2; }},
        SettingCase{"AlignWithSignFile", WithSignFile,
                    [](CHistoryNode& n) { return n.SetSignAlign(2); }, 1,
                    [](const CHistoryNode& n) { return n.signAlign == 2; }},
        SettingCase{"ShapeWithoutStamp", WithSignFile,
                    [](CHistoryNode& n) { return n.SetStampIndex(1); }, 0,
                    [](const CHistoryNode& n) { return n.stampShape == 1; }},
        SettingCase{"ShapeWithStamp", WithStamp, [](CHistoryNode& n) { return n.SetStampIndex(1); },
                    1, [](const CHistoryNode& n) { return n.stampShape == 1; }},
        SettingCase{"FirstStampText", Nothing, [](CHistoryNode& n) { return n.SetStampText(u"a"); },
                    1, [](const CHistoryNode& n) { return n.stampText == u"a"; }},
        SettingCase{"StampTextChanged", WithStamp,
                    [](CHistoryNode& n) { return n.SetStampText(u"b"); }, 0,
                    [](const CHistoryNode& n) { return n.stampText == u"b"; }},
        SettingCase{"StampTextCleared", WithStamp,
                    [](CHistoryNode& n) { return n.SetStampText(std::nullopt); }, 1,
                    [](const CHistoryNode& n) { return !n.stampText.has_value(); }},
        SettingCase{"UrlUnderMarginFrame", [](CHistoryNode& n) { n.SetFrameIndex(2); },
                    [](CHistoryNode& n) { return n.SetFrameUseUrl(1); }, 1,
                    [](const CHistoryNode& n) { return n.frameUseUrl == 1; }}),
    [](const ::testing::TestParamInfo<SettingCase>& param) { return param.param.name; });

TEST_F(HistoryTest, OneDragIsOneStep) {
  for (auto move : {+[](CHistoryNode& n) { return n.MoveSign(5, 7); },
                    +[](CHistoryNode& n) { return n.MoveCurrentText(5, 7); }}) {
    Node().SetCurrentText(u"text");
    const int32_t nodes = history->CountNodes();
    Node().beginDrag = true;  // as a mouse-down on it leaves it
    ASSERT_EQ(move(Node()), 1);
    EXPECT_FALSE(Node().beginDrag);
    ASSERT_EQ(move(Node()), 1);
    EXPECT_EQ(history->CountNodes(), nodes + 1);
  }
  EXPECT_EQ(Node().signPosition, (imaging::PointF{25.0f, 29.0f}));
  EXPECT_EQ(Node().textItems.back().x, 30.0f);
  history->UndoRedo(kUndo);
  EXPECT_EQ(Node().textItems.back().x, 20.0f);
}

TEST_F(HistoryTest, TextIsMadeOnceThenEditedInPlace) {
  Node().textTemplate.size = 24;
  Node().nextCartoonIndex = 0x21;
  ASSERT_EQ(Node().SetCurrentText(u"first"), 1);
  EXPECT_EQ(history->CountNodes(), 2);
  ASSERT_EQ(Node().textItems.size(), 1u);
  const TextItem& item = Node().textItems[0];
  EXPECT_EQ(item.x, 20.0f);
  EXPECT_EQ(item.cartoonIndex, 0x21);
  EXPECT_EQ(item.font.size, 24);
  EXPECT_EQ(Node().selectedText, 0);
  ASSERT_EQ(Node().SetCurrentText(u"second"), 1);
  EXPECT_EQ(Node().GetCurrentText(), u"second");
  EXPECT_EQ(history->CountNodes(), 2);
}

TEST_F(HistoryTest, DeletedTextLeavesItsPlaceAndBalloonToTheNext) {
  Node().SetCurrentText(u"old");
  Node().MoveCurrentText(30, 40);
  Node().SetCartoonIndex(0x35);
  ASSERT_EQ(Node().SetCurrentText(std::nullopt), 1);
  EXPECT_TRUE(Node().textItems.empty());
  EXPECT_EQ(Node().selectedText, -1);
  EXPECT_EQ(Node().GetCurrentText(), std::nullopt);
  ASSERT_EQ(Node().SetCurrentText(u"new"), 1);
  EXPECT_EQ(Node().textItems[0].x, 50.0f);
  EXPECT_EQ(Node().textItems[0].y, 60.0f);
  EXPECT_EQ(Node().textItems[0].cartoonIndex, 0x35);
}

TEST_F(HistoryTest, ReleasedTextStaysAndTheNextGoesFurther) {
  Node().SetCurrentText(u"a");
  ASSERT_EQ(Node().ReleaseCurrentText(), 1);
  EXPECT_EQ(Node().selectedText, -1);
  EXPECT_EQ(Node().nextTextPosition, (imaging::PointF{35.0f, 35.0f}));
  Node().SetCurrentText(u"b");
  EXPECT_EQ(Node().textItems.size(), 2u);
  EXPECT_EQ(Node().textItems[1].x, 35.0f);
}

TEST_F(HistoryTest, CartoonIndexGoesToTheSelectionAndTheNextText) {
  EXPECT_EQ(Node().SetCartoonIndex(0x12), 0);
  EXPECT_EQ(Node().GetCartoonIndex(), 0x12);
  Node().SetCurrentText(u"a");
  EXPECT_EQ(Node().SetCartoonIndex(0x43), 1);
  EXPECT_EQ(Node().textItems[0].cartoonIndex, 0x43);
  EXPECT_EQ(Node().nextCartoonIndex, 0x43);
}

// Font setters: which fonts a value reaches, and the result.
struct FontCase {
  const char* name;
  int32_t toolType;
  bool selected;
  int32_t result;
  bool stamp, templ, item;
};

class FontSetter : public HistoryTest, public ::testing::WithParamInterface<FontCase> {};

TEST_P(FontSetter, ReachesTheFontsOfItsRule) {
  const FontCase& c = GetParam();
  Node().SetCurrentText(u"text");
  if (!c.selected) Node().ReleaseCurrentText();
  Node().toolType = c.toolType;
  const int32_t nodes = history->CountNodes();
  EXPECT_EQ(Node().SetFontValue(FontValue::Size, 33), c.result);
  EXPECT_EQ(Node().SetFontValue(FontValue::Color, static_cast<int32_t>(0xFF123456u)), c.result);
  EXPECT_EQ(Node().SetFontName(u"Serif"), c.result);
  EXPECT_EQ(history->CountNodes(), nodes);
  EXPECT_EQ(Node().stampFont.size == 33, c.stamp);
  EXPECT_EQ(Node().textTemplate.size == 33, c.templ);
  EXPECT_EQ(Node().textItems[0].font.size == 33, c.item);
  EXPECT_EQ(Node().textItems[0].font.name == u"Serif", c.item);
  EXPECT_EQ(Node().GetFontValue(FontValue::Size), 33);
  EXPECT_EQ(Node().GetFontValue(FontValue::Color), 0x123456);
  EXPECT_EQ(Node().GetFontName(), u"Serif");
}

INSTANTIATE_TEST_SUITE_P(
    Tools, FontSetter,
    ::testing::Values(FontCase{"SignToolStampOnly", kSignTool, true, 1, true, false, false},
                      FontCase{"NoSelectionTemplateOnly", 2, false, 0, false, true, false},
                      FontCase{"SelectionAndTemplate", 1, true, 1, false, true, true}),
    [](const ::testing::TestParamInfo<FontCase>& param) { return param.param.name; });

TEST_F(HistoryTest, MissClearsTheSelectionAndMarksTheNextTextPlace) {
  Node().SetFrameIndex(3);
  Node().SetCurrentText(u"a");
  EXPECT_EQ(Node().HitTest(300, 200, false), kHitNothing);
  EXPECT_EQ(Node().selectedText, 0);
  EXPECT_EQ(Node().HitTest(300, 200, true), kHitSelectionCleared);
  EXPECT_EQ(Node().selectedText, -1);
  EXPECT_EQ(Node().nextTextPosition, (imaging::PointF{285.0f, 185.0f}));
  EXPECT_EQ(Node().HitTest(100, 100, true), kHitNothing);
}

TEST_F(HistoryTest, HitTextComesToTheTopAndStartsADrag) {
  Node().nextTextPosition = {20.0f, 20.0f};
  Node().SetCurrentText(u"AAAAAAAA");
  Node().ReleaseCurrentText();
  Node().nextTextPosition = {40.0f, 22.0f};
  Node().SetCurrentText(u"BBBBBBBB");
  Node().ReleaseCurrentText();
  const int32_t nodes = history->CountNodes();
  // Where both lie, the later one wins and stays on top.
  EXPECT_EQ(Node().HitTest(45.0f, 26.0f, true), kHitText);
  EXPECT_EQ(Node().selectedText, 1);
  EXPECT_EQ(Node().textItems[1].text, u"BBBBBBBB");
  EXPECT_TRUE(Node().beginDrag);
  Node().beginDrag = false;
  // Only the earlier one lies here: it moves to the end, selected there.
  EXPECT_EQ(Node().HitTest(22.0f, 26.0f, true), kHitText);
  EXPECT_EQ(Node().selectedText, 1);
  EXPECT_EQ(Node().textItems[1].text, u"AAAAAAAA");
  EXPECT_TRUE(Node().beginDrag);
  EXPECT_EQ(history->CountNodes(), nodes);
  // Left of both, below both: a miss that ends the selection.
  EXPECT_EQ(Node().HitTest(5.0f, 5.0f, true), kHitSelectionCleared);
}

TEST_F(HistoryTest, SettingsOfAnotherPictureBecomeOneStepEach) {
  auto other = CImageHistory::FromFile(testing::PatternFile(600, 450));
  ASSERT_NE(other, nullptr);
  Node().SetWidth(200);
  Node().SetFrameIndex(5);
  Node().SetSignPath(u"/tmp/sign.png");
  Node().SetStampText(u"stamp");
  Node().stampFont.size = 40;
  Node().signPosition = {3.0f, 4.0f};
  CHistoryNode& target = other->Current();
  ASSERT_TRUE(target.DiffersInSettings(Node()));
  target.PushCopy();
  ASSERT_EQ(other->Current().CopySettingsFrom(Node()), 1);
  const CHistoryNode& result = other->Current();
  EXPECT_EQ(result.workingWidth, 200u);
  EXPECT_EQ(result.sizeType, kSizeFree);
  EXPECT_EQ(result.frameIndex, 5);
  EXPECT_EQ(result.stampText, u"stamp");
  EXPECT_EQ(result.stampFont.size, 40);
  EXPECT_FALSE(result.DiffersInSettings(Node()));
  EXPECT_EQ(other->CountNodes(), 3);
  EXPECT_EQ(testing::SizeOf(other->Current().GetRenderedImage()), (imaging::Size{230, 180}))
      << "200 x 150 in frame 5's margin";
}

TEST_F(HistoryTest, NullAndEmptySignTextsAreTheSameSetting) {
  auto other = CImageHistory::FromFile(testing::PatternFile(400, 300));
  ASSERT_NE(other, nullptr);
  other->Current().SetSignPath(u"");
  EXPECT_FALSE(other->Current().DiffersInSettings(Node()));
  other->Current().SetSignPath(u"x");
  EXPECT_TRUE(other->Current().DiffersInSettings(Node()));
}

}  // namespace
}  // namespace varn::imagedoc
