// The picture list and the view: adding through the file dialog, what is not
// a picture, deleting, choosing, the settings every picture takes from the
// current one, and what the paint shows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/imageedit/editor_page.h"

namespace varn::imageedit::testing {
namespace {

using varn::testing::I4;

const std::u16string kNotAPicture(kNotAPictureText);

TEST_F(EditorTest, AddingThreePicturesReportsEachAndEndsWithItsTool) {
  for (int i = 0; i < 3; ++i) {
    const std::string path = Picture("p" + std::to_string(i) + ".png", 200 + 10 * i, 150);
    ASSERT_EQ(editor.Add(path), S_OK);
    EXPECT_EQ(editor.TakeEvents(), (Events{{kOnAddImage, {i, system::Utf8ToUtf16(path)}},
                                           {kOnChangeImage, {i}},
                                           {kOnChangeSize, {200 + 10 * i, 150}},
                                           {kOnChangeTab, {0}}}));
  }
  EXPECT_EQ(editor.GetInt(kDispImageIndex), 2);
  EXPECT_EQ(editor.GetInt(kDispImageSizeType), 1);
  EXPECT_EQ(editor.GetInt(kDispImageWidth), 220);
  // The dialog lists every file, hides the read-only box and can be sized.
  ASSERT_EQ(editor.Dialogs().fileDialogs.size(), 3u);
  EXPECT_EQ(editor.Dialogs().fileDialogs[0].kind, 0);
  EXPECT_EQ(editor.Dialogs().fileDialogs[0].filter, std::nullopt);
  EXPECT_EQ(editor.Dialogs().fileDialogs[0].flags, 0x880024u);
}

TEST_F(EditorTest, ACancelledDialogChangesNothing) {
  editor.Dialogs().CancelFile();
  EXPECT_EQ(editor.Call(kDispAddImage), S_OK);
  EXPECT_EQ(editor.GetInt(kDispImageIndex), -1);
  EXPECT_EQ(editor.TakeEvents(), Events{});
}

// Only a regular file that decodes is a picture; the name does not matter.
TEST_F(EditorTest, WhatIsNotAPictureShowsTheMessageAndChangesNothing) {
  { std::ofstream(scratch / "notes.jpg") << "not a picture at all"; }
  ASSERT_EQ(mkfifo((scratch / "fifo.png").c_str(), 0600), 0);
  const std::string refused[] = {scratch / "notes.jpg", scratch / "fifo.png", scratch.Path(),
                                 scratch / "missing.png", "/dev/zero"};
  for (const std::string& path : refused) {
    EXPECT_EQ(editor.Add(path), S_OK) << path;
  }
  EXPECT_EQ(editor.GetInt(kDispImageIndex), -1);
  EXPECT_EQ(editor.TakeEvents(), Events{});
  ASSERT_EQ(editor.Dialogs().messageBoxes.size(), std::size(refused));
  for (const auto& box : editor.Dialogs().messageBoxes) {
    EXPECT_EQ(box.text, kNotAPicture);
    EXPECT_EQ(box.caption, u"");
    EXPECT_EQ(box.type, 0u);
  }
}

TEST_F(EditorTest, APngNamedJpgIsAPicture) {
  const std::string path = Picture("photo.jpg", 120, 90);
  ASSERT_EQ(editor.Add(path), S_OK);
  EXPECT_EQ(editor.GetInt(kDispImageIndex), 0);
  EXPECT_TRUE(editor.Dialogs().messageBoxes.empty());
}

struct DeleteCase {
  int32_t count;
  int32_t current;
  Events events;
  int32_t index;
};

class DeleteImage : public EditorTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteImage, ChoosesTheNextPictureAndReportsInOrder) {
  const DeleteCase& c = GetParam();
  AddPictures(c.count);
  ASSERT_EQ(editor.PutInt(kDispImageIndex, c.current), c.current == c.count - 1 ? S_OK : S_OK);
  editor.TakeEvents();
  EXPECT_EQ(editor.Call(kDispDeleteImage), S_OK);
  EXPECT_EQ(editor.TakeEvents(), c.events);
  EXPECT_EQ(editor.GetInt(kDispImageIndex), c.index);
  EXPECT_EQ(editor.Control().ImageCount(), c.count - 1);
}

INSTANTIATE_TEST_SUITE_P(Positions, DeleteImage,
                         ::testing::Values(
                             // The middle one: the one after it moves into its place.
                             DeleteCase{3,
                                        1,
                                        {{kOnDeleteImage, {1}},
                                         {kOnChangeImage, {1}},
                                         {kOnChangeTab, {0}},
                                         {kOnChangeSize, {220, 150}}},
                                        1},
                             // The last one: the one before it becomes current.
                             DeleteCase{3,
                                        2,
                                        {{kOnDeleteImage, {2}},
                                         {kOnChangeImage, {1}},
                                         {kOnChangeTab, {0}},
                                         {kOnChangeSize, {210, 150}}},
                                        1},
                             // The only one: the empty list's size and no tool.
                             DeleteCase{1,
                                        0,
                                        {{kOnDeleteImage, {0}},
                                         {kOnChangeImage, {-1}},
                                         {kOnChangeSize, {530, 400}},
                                         {kOnChangeTab, {-1}}},
                                        -1}));

TEST_F(EditorTest, ChoosingAPictureReportsItAndOutOfRangeChangesNothing) {
  AddPictures(3);
  editor.Node(0).toolType = 2;
  EXPECT_EQ(editor.PutInt(kDispImageIndex, 0), S_OK);
  EXPECT_EQ(editor.TakeEvents(),
            (Events{{kOnChangeImage, {0}}, {kOnChangeTab, {2}}, {kOnChangeSize, {200, 150}}}));
  EXPECT_EQ(editor.PutInt(kDispImageIndex, 0), S_OK);
  EXPECT_EQ(editor.PutInt(kDispImageIndex, -1), S_FALSE);
  EXPECT_EQ(editor.PutInt(kDispImageIndex, 3), S_FALSE);
  EXPECT_EQ(editor.TakeEvents(), Events{});
  EXPECT_EQ(editor.GetInt(kDispImageIndex), 0);
}

// The frame set on the second picture reaches the others when the member
// moves on; each picture that differed gains exactly one undo step.
TEST_F(EditorTest, WholeFrameApplyGivesEveryPictureTheCurrentSettings) {
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(editor.Add(Picture("same" + std::to_string(i) + ".png")), S_OK);
  EXPECT_EQ(editor.PutInt(kDispImageWholeFrameApply, 1), S_OK);
  const int32_t steps[] = {editor.Control().ImageAt(0).CountNodes(),
                           editor.Control().ImageAt(1).CountNodes(),
                           editor.Control().ImageAt(2).CountNodes()};
  ASSERT_EQ(editor.PutInt(kDispImageIndex, 1), S_OK);
  ASSERT_EQ(editor.PutInt(kDispFrameIndex, 4), S_OK);
  editor.TakeEvents();
  ASSERT_EQ(editor.PutInt(kDispImageIndex, 0), S_OK);
  EXPECT_EQ(editor.TakeEvents(),
            (Events{{kOnChangeImage, {0}}, {kOnChangeTab, {0}}, {kOnChangeSize, {230, 180}}}));
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(editor.Node(i).frameIndex, 4) << i;
    EXPECT_EQ(editor.Control().ImageAt(i).CountNodes(), steps[i] + 1) << i;
  }
  // Alike already: choosing again adds no step.
  ASSERT_EQ(editor.PutInt(kDispImageIndex, 2), S_OK);
  EXPECT_EQ(editor.Control().ImageAt(0).CountNodes(), steps[0] + 1);
  // A picture added now starts with them, without an extra step.
  ASSERT_EQ(editor.Add(Picture("late.png", 100, 100)), S_OK);
  EXPECT_EQ(editor.Node(3).frameIndex, 4);
  EXPECT_EQ(editor.Control().ImageAt(3).CountNodes(), 1);
}

TEST_F(EditorTest, SetSignFilePathNamesTheChosenFile) {
  AddPictures(1);
  editor.Dialogs().ChooseFile(u"/nowhere/sign.png");
  EXPECT_EQ(editor.Call(kDispSetSignFilePath), S_OK);
  EXPECT_EQ(editor.GetText(kDispSignFilePath), u"/nowhere/sign.png");
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnUpdateData, {}}}));
  editor.Dialogs().CancelFile();
  EXPECT_EQ(editor.Call(kDispSetSignFilePath), S_OK);
  EXPECT_EQ(editor.TakeEvents(), Events{});
}

// A signature file that is no regular picture file draws nothing and never
// blocks the paint.
TEST_F(EditorTest, ASignatureThatIsNoPictureFileDrawsNothing) {
  AddPictures(1);
  editor.Resize(300, 200);
  editor.Paint(300, 200);
  const std::vector<uint32_t> before = editor.Picture();
  ASSERT_EQ(mkfifo((scratch / "sign.fifo").c_str(), 0600), 0);
  for (const std::string& path :
       {scratch / "sign.fifo", std::string("/dev/zero"), scratch.Path()}) {
    EXPECT_EQ(editor.PutText(kDispSignFilePath, path), S_OK);
    EXPECT_EQ(editor.PutInt(kDispSignAlign, 1), S_OK);
    editor.Paint(300, 200);
    EXPECT_EQ(editor.Picture(), before) << path;
  }
  // A real picture file does show.
  EXPECT_EQ(editor.PutText(kDispSignFilePath, Picture("sign.png", 40, 30, kBlue)), S_OK);
  editor.Paint(300, 200);
  EXPECT_NE(editor.Picture(), before);
}

// ---- The view ----

TEST_F(EditorTest, TheEmptyListShowsAFramedMessage) {
  editor.Resize(300, 200);
  editor.Paint(300, 200);
  EXPECT_EQ(editor.At(0, 0), 0xFF000000u);
  EXPECT_EQ(editor.At(299, 199), 0xFF000000u);
  EXPECT_EQ(editor.At(5, 5), kWhite);
  int dark = 0;
  for (int32_t x = 20; x < 280; ++x) {
    for (int32_t y = 80; y < 110; ++y) dark += (editor.At(x, y) & 0xFFu) < 0x80u ? 1 : 0;
  }
  EXPECT_GT(dark, 50);  // the text, around the middle
}

// Picture pixel (x, y) at client pixel (x, y); beyond the picture the
// surface keeps what it held.
TEST_F(EditorTest, ThePictureShowsOneToOneFromTheTopLeftCorner) {
  ASSERT_EQ(editor.Add(WritePicture(scratch / "halves.png", 100, 60,
                                    [](int32_t x, int32_t) { return x < 50 ? kRed : kBlue; })),
            S_OK);
  editor.Resize(150, 100);
  editor.Paint(150, 100);
  EXPECT_EQ(editor.At(0, 0), kRed);
  EXPECT_EQ(editor.At(49, 59), kRed);
  EXPECT_EQ(editor.At(50, 0), kBlue);
  EXPECT_EQ(editor.At(99, 59), kBlue);
  EXPECT_EQ(editor.At(100, 0) & 0xFFFFFFu, 0x345678u);
  EXPECT_EQ(editor.At(0, 60) & 0xFFFFFFu, 0x345678u);
  // A smaller control shows the top-left part.
  editor.Paint(40, 30);
  EXPECT_EQ(editor.At(39, 29), kRed);
}

TEST_F(EditorTest, ASizeOfNothingKeepsTheBackBuffer) {
  AddPictures(1);
  editor.Resize(300, 200);
  editor.Resize(0, 0);
  ASSERT_EQ(editor.PutInt(kDispToolType, 2), S_OK);
  editor.Send(WM_LBUTTONDOWN, 10, 10);
  editor.Send(WM_MOUSEMOVE, 60, 10);
  editor.Paint(300, 200);
  // The stroke's preview reached the surface through the kept buffer.
  EXPECT_EQ(editor.At(35, 10), 0xFF000000u);
}

}  // namespace
}  // namespace varn::imageedit::testing
