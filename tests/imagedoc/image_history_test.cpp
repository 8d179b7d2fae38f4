// The history's edges: the window of eleven states, undo and redo, steps
// that add no state, and loading pictures that fail.
#include "imagedoc/image_history.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/imagedoc/history_fixture.h"
#include "tests/platform/imaging/picture_bytes.h"

namespace varn::imagedoc {
namespace {

using testing::HistoryTest;
using Step = std::function<int32_t(CHistoryNode&)>;

// Effect i of a run of steps: each leaves its mark in the effect list.
int32_t MarkedEdit(CHistoryNode& node, int32_t mark) { return node.ChangeEffect(100 + mark, 1); }

int32_t LastMark(const CHistoryNode& node) {
  return node.effects.empty() ? -1 : node.effects.back() - 100;
}

TEST_F(HistoryTest, TwelveEditsKeepElevenStatesAndTenUndosReachTheOldest) {
  for (int32_t i = 0; i < 12; ++i) ASSERT_EQ(MarkedEdit(Node(), i), 1);
  EXPECT_EQ(history->CountNodes(), kMaxHistoryNodes);
  EXPECT_EQ(LastMark(history->NodeAt(0)), 1);  // the loaded state and edit 0 are gone
  for (int32_t i = 0; i < 10; ++i) ASSERT_EQ(history->UndoRedo(kUndo), 1);
  EXPECT_EQ(LastMark(Node()), 1);
  EXPECT_EQ(history->UndoRedo(kUndo), 0);
  EXPECT_EQ(history->RedoCount(), 10);
}

TEST_F(HistoryTest, EditAfterUndosDropsTheRedoStates) {
  for (int32_t i = 0; i < 5; ++i) MarkedEdit(Node(), i);
  for (int32_t i = 0; i < 3; ++i) history->UndoRedo(kUndo);
  EXPECT_EQ(LastMark(Node()), 1);
  MarkedEdit(Node(), 7);
  EXPECT_EQ(history->CountNodes(), 4);
  EXPECT_EQ(history->RedoCount(), 0);
  EXPECT_EQ(history->UndoRedo(kRedo), 0);
  EXPECT_EQ(history->UndoRedo(kUndo), 1);
  EXPECT_EQ(LastMark(Node()), 1);
  EXPECT_EQ(history->UndoRedo(kRedo), 1);
  EXPECT_EQ(LastMark(Node()), 7);
}

TEST_F(HistoryTest, OtherUndoRedoTypesOnlyAskForARendering) {
  MarkedEdit(Node(), 0);
  EXPECT_EQ(history->UndoRedo(2), 1);
  EXPECT_EQ(history->RedoCount(), 0);
  EXPECT_EQ(history->CountNodes(), 2);
}

struct StepCase {
  const char* name;
  Step step;
  int32_t result;
  int32_t addedNodes;
};

class StepAddsStates : public HistoryTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(StepAddsStates, AsItsRuleSays) {
  const int32_t before = history->CountNodes();
  EXPECT_EQ(GetParam().step(Node()), GetParam().result);
  EXPECT_EQ(history->CountNodes() - before, GetParam().addedNodes);
}

INSTANTIATE_TEST_SUITE_P(
    EqualValuesAndAlwaysSteps, StepAddsStates,
    ::testing::Values(
        StepCase{"SameSizeType", [](CHistoryNode& n) { return n.SetSizeType(1); }, 0, 0},
        StepCase{"SameWidth", [](CHistoryNode& n) { return n.SetWidth(400); }, 0, 0},
        StepCase{"SameFrame", [](CHistoryNode& n) { return n.SetFrameIndex(0); }, 0, 0},
        StepCase{"UrlWithoutMarginFrame", [](CHistoryNode& n) { return n.SetFrameUseUrl(1); }, 0,
                 0},
        StepCase{"SameSignIndex", [](CHistoryNode& n) { return n.SetSignIndex(0); }, 0, 0},
        StepCase{"SameStampText", [](CHistoryNode& n) { return n.SetStampText(std::nullopt); }, 0,
                 0},
        StepCase{"OnePointStroke",
                 [](CHistoryNode& n) {
                   const imaging::Point point{5, 5};
                   return n.DrawPenStroke({&point, 1});
                 },
                 0, 0},
        StepCase{"OnePointErase",
                 [](CHistoryNode& n) {
                   const imaging::Point point{5, 5};
                   return n.EraseStroke({&point, 1});
                 },
                 0, 0},
        StepCase{"NoSelectionNullText",
                 [](CHistoryNode& n) { return n.SetCurrentText(std::nullopt); }, 0, 0},
        StepCase{"MoveWithoutSelection", [](CHistoryNode& n) { return n.MoveCurrentText(1, 1); }, 0,
                 0},
        StepCase{"NothingToRelease", [](CHistoryNode& n) { return n.ReleaseCurrentText(); }, 0, 0},
        StepCase{"EffectAlreadyAbsent", [](CHistoryNode& n) { return n.ChangeEffect(2, 0); }, 1, 1},
        StepCase{"RotateByZero", [](CHistoryNode& n) { return n.Rotate(0); }, 1, 1},
        StepCase{"NewFrame", [](CHistoryNode& n) { return n.SetFrameIndex(3); }, 1, 1},
        StepCase{"SignPathAlways", [](CHistoryNode& n) { return n.SetSignPath(std::nullopt); }, 1,
                 1},
        StepCase{"PlainCopy", [](CHistoryNode& n) { return n.PushCopy(); }, 1, 1}),
    [](const ::testing::TestParamInfo<StepCase>& param) { return param.param.name; });

TEST_F(HistoryTest, ResetIsOneUndoableStep) {
  Node().SetFrameIndex(4);
  Node().Rotate(90);
  Node().ChangeEffect(2, 1);
  const std::vector<imaging::Point> stroke{{10, 10}, {50, 50}};
  Node().DrawPenStroke(stroke);
  ASSERT_EQ(Node().Reset(), 1);
  EXPECT_EQ(Node().rotation, 0);
  EXPECT_EQ(Node().frameIndex, 0);
  EXPECT_TRUE(Node().effects.empty());
  EXPECT_EQ(Node().penLayer, nullptr);
  EXPECT_EQ(Node().signFilePath, std::u16string());
  ASSERT_EQ(history->UndoRedo(kUndo), 1);
  EXPECT_EQ(Node().rotation, 90);
  EXPECT_EQ(Node().frameIndex, 4);
  EXPECT_NE(Node().penLayer, nullptr);
}

TEST_F(HistoryTest, StepsOnAStateThatIsNotCurrentAreRefused) {
  MarkedEdit(Node(), 0);
  CHistoryNode& newest = Node();
  history->UndoRedo(kUndo);
  EXPECT_EQ(newest.SetFrameIndex(2), 0);
  EXPECT_EQ(history->CountNodes(), 2);
  EXPECT_EQ(history->RedoCount(), 1);
}

TEST_F(HistoryTest, CroppedStateCannotGetAnEmptyMosaicLayerAndSaysSo) {
  std::vector<std::string> reports;
  history->SetErrorReporter([&reports](std::string_view text, std::string_view caption) {
    reports.push_back(std::string(text) + "|" + std::string(caption));
  });
  ASSERT_EQ(Node().Crop({10, 10, 100, 80}), 1);
  EXPECT_FALSE(Node().MakeLayerImage());
  EXPECT_EQ(reports, std::vector<std::string>{"CHistoryNode::MakeLayerImage()|Error"});
}

// Files that give no history, with the reason for the caller's message.
struct LoadCase {
  const char* name;
  std::string bytes;  // empty: no file at all
  imaging::Status status;
};

class FailedLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(FailedLoad, GivesNoHistory) {
  const std::string path = (testing::ScratchDir() / GetParam().name).string();
  std::filesystem::remove(path);
  if (!GetParam().bytes.empty()) imaging::testing::WriteFile(path, GetParam().bytes);
  ImagingScope imaging;
  imaging::Status status = imaging::Status::Ok;
  EXPECT_EQ(CImageHistory::FromFile(path, &status), nullptr);
  EXPECT_EQ(status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FailedLoad,
    ::testing::Values(LoadCase{"missing", "", imaging::Status::FileNotFound},
                      LoadCase{"text", "not a picture at all", imaging::Status::UnknownImageFormat},
                      // Beyond the pixel limit, judged from the header alone.
                      LoadCase{"huge", imaging::testing::PngHeader(20000, 20000),
                               imaging::Status::OutOfMemory}),
    [](const ::testing::TestParamInfo<LoadCase>& param) { return param.param.name; });

TEST(FailedDecode, HeaderWithoutPixelsGivesNoHistory) {
  ImagingScope imaging;
  imaging::Status status = imaging::Status::Ok;
  EXPECT_EQ(CImageHistory::FromPicture(imaging::EncodedPicture::FromBytes(imaging::testing::BytesOf(
                                           imaging::testing::PngHeader(64, 48))),
                                       &status),
            nullptr);
  EXPECT_NE(status, imaging::Status::Ok);
}

}  // namespace
}  // namespace varn::imagedoc
