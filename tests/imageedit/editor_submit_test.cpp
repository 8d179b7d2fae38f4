// SaveAndSubmit against a real HTTP server on 127.0.0.1: the form in field
// order, pictures that cannot be written, and every kind of reply line with
// the events the page hears.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/imageedit/editor_page.h"
#include "tests/support/upload_server.h"

namespace varn::imageedit::testing {
namespace {

using test::ParsedUpload;
using test::UploadServer;

class EditorSubmit : public EditorTest {
 protected:
  void SetUp() override {
    AddPictures(2);
    ASSERT_EQ(editor.PutText(kDispActionPage, server.Url()), S_OK);
    ASSERT_EQ(editor.PutText(kDispFileKey, std::u16string_view(u"k1")), S_OK);
    ASSERT_EQ(editor.PutInt(kDispImageIndex, 0), S_OK);
    ASSERT_EQ(editor.PutText(kDispImageComment, std::u16string_view(u"海")), S_OK);
    ASSERT_EQ(editor.PutInt(kDispImageCommentAlign, 1), S_OK);
    editor.Node(1).commentAlign = 2;
    editor.TakeEvents();
  }
  std::vector<std::string> PartNames() {
    std::vector<std::string> names;
    const std::vector<ParsedUpload> uploads = server.Uploads();
    if (uploads.size() != 1) {
      ADD_FAILURE() << uploads.size() << " requests";
      return names;
    }
    for (const auto& part : uploads[0].parts) names.push_back(part.name);
    return names;
  }
  // A picture whose rendering cannot be made: far past the pixel limit.
  void Break(int32_t index) {
    imagedoc::CHistoryNode& node = editor.Node(index);
    node.workingWidth = 1000000;
    node.renderedImage.reset();
    node.scaledImage.reset();
  }

  UploadServer server;
};

TEST_F(EditorSubmit, PostsTheKeyAndEachPictureWithItsThumbnailInOrder) {
  server.SetReply(200, "");
  EXPECT_EQ(editor.Call(kDispSaveAndSubmit), S_OK);
  EXPECT_EQ(PartNames(),
            (std::vector<std::string>{"filekey", "image0", "timage0", "image1", "timage1"}));
  const ParsedUpload upload = server.Uploads().at(0);
  EXPECT_EQ(upload.parts[0].bytes, "k1");
  for (size_t i = 1; i < upload.parts.size(); ++i) {
    EXPECT_EQ(upload.parts[i].contentType, "image/jpeg");
    EXPECT_EQ(upload.parts[i].fileName.front(), '/');  // the full temporary path
    const std::unique_ptr<imaging::Bitmap> picture = imaging::Bitmap::FromMemory(
        std::span(reinterpret_cast<const uint8_t*>(upload.parts[i].bytes.data()),
                  upload.parts[i].bytes.size()));
    ASSERT_EQ(picture->GetLastStatus(), imaging::Status::Ok) << i;
    EXPECT_EQ(picture->GetWidth(), i % 2 == 0 ? 160u : (i == 1 ? 200u : 210u)) << i;
  }
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnUploadFileComplete, {0}}}));
}

TEST_F(EditorSubmit, APictureThatCannotBeWrittenLeavesNoGapInTheNumbers) {
  ASSERT_EQ(editor.Add(Picture("third.png")), S_OK);
  Break(1);
  server.SetReply(200, "");
  EXPECT_EQ(editor.Call(kDispSaveAndSubmit), S_OK);
  EXPECT_EQ(PartNames(),
            (std::vector<std::string>{"filekey", "image0", "timage0", "image1", "timage1"}));
}

TEST_F(EditorSubmit, NothingWrittenStillPostsTheKey) {
  Break(0);
  Break(1);
  server.SetReply(200, "");
  EXPECT_EQ(editor.Call(kDispSaveAndSubmit), S_OK);
  EXPECT_EQ(PartNames(), (std::vector<std::string>{"filekey"}));
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnUploadFileComplete, {0}}}));
}

struct ReplyCase {
  const char* name;
  int status;
  std::string body;
  Events events;
};

class SubmitReply : public EditorSubmit, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(SubmitReply, ReportsTheLinesTheControlAccepts) {
  server.SetReply(GetParam().status, GetParam().body);
  EXPECT_EQ(editor.Call(kDispSaveAndSubmit), S_OK);
  EXPECT_EQ(editor.TakeEvents(), GetParam().events);
}

const Event kComplete0{kOnUploadFileComplete, {0}};
const Event kFirst{kOnUploadFile, {u"101", u"a.jpg", u"/u/a.jpg", u"2048", u"海", 1}};
const Event kSecond{kOnUploadFile, {u"102", u"b.jpg", u"/u/b.jpg", u"4096", nullptr, 2}};

INSTANTIATE_TEST_SUITE_P(
    Replies, SubmitReply,
    ::testing::Values(
        ReplyCase{"TwoRecords",
                  200,
                  "[0|101|a.jpg|/u/a.jpg|2048]\n[1|102|b.jpg|/u/b.jpg|4096]",
                  {kFirst, kSecond, kComplete0}},
        ReplyCase{
            "ErrorLineSkipped", 200, "error\n1|102|b.jpg|/u/b.jpg|4096", {kSecond, kComplete0}},
        ReplyCase{"ErrorAnywhereInALine",
                  200,
                  "0|101|an error.jpg|/u/a.jpg|1\n1|102|b.jpg|/u/b.jpg|4096",
                  {kSecond, kComplete0}},
        ReplyCase{"CarriageReturnsLeaveTheSize",
                  200,
                  "0|101|a.jpg|/u/a.jpg|2048\r\n1|102|b.jpg|/u/b.jpg|4096\r\n",
                  {kFirst, kSecond, kComplete0}},
        ReplyCase{
            "SixthFieldIgnored", 200, " +1|102|b.jpg|/u/b.jpg|4096|extra", {kSecond, kComplete0}},
        ReplyCase{"FourFieldsEndTheReply",
                  200,
                  "0|101|a.jpg|/u/a.jpg\n1|102|b.jpg|/u/b.jpg|4096",
                  {kComplete0}},
        // The site stored these files too: the page hears of them, without
        // a comment, and the control reads nothing outside its list.
        ReplyCase{"NoSuchPicture",
                  200,
                  "7|107|g.jpg|/u/g.jpg|70\n-1|100|h.jpg|/u/h.jpg|10\nx|1|i|j|2",
                  {{kOnUploadFile, {u"107", u"g.jpg", u"/u/g.jpg", u"70", nullptr, 0}},
                   {kOnUploadFile, {u"100", u"h.jpg", u"/u/h.jpg", u"10", nullptr, 0}},
                   {kOnUploadFile, {u"1", u"i", u"j", u"2", u"海", 1}},
                   kComplete0}},
        ReplyCase{"EmptyReply", 200, "", {kComplete0}},
        ReplyCase{"ServerError", 500, "0|101|a.jpg|/u/a.jpg|2048", {{kOnUploadFileComplete, {1}}}}),
    [](const ::testing::TestParamInfo<ReplyCase>& param) { return std::string(param.param.name); });

TEST_F(EditorSubmit, AnUnusableAddressFailsTheUpload) {
  ASSERT_EQ(editor.PutText(kDispActionPage, std::u16string_view(u"")), S_OK);
  EXPECT_EQ(editor.Call(kDispSaveAndSubmit), S_OK);
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnUploadFileComplete, {1}}}));
}

// The pictures other than the current one go with its frame and size, each
// that differed with one more undo step.
TEST_F(EditorSubmit, WholeFrameApplyBeforeTheUpload) {
  ASSERT_EQ(editor.PutInt(kDispImageWholeFrameApply, 1), S_OK);
  const int32_t steps = editor.Control().ImageAt(1).CountNodes();
  ASSERT_EQ(editor.PutInt(kDispFrameIndex, 5), S_OK);
  EXPECT_EQ(editor.Node(1).frameIndex, 0);
  server.SetReply(200, "");
  EXPECT_EQ(editor.Call(kDispSaveAndSubmit), S_OK);
  EXPECT_EQ(editor.Node(1).frameIndex, 5);
  EXPECT_EQ(editor.Control().ImageAt(1).CountNodes(), steps + 1);
  const ParsedUpload upload = server.Uploads().at(0);
  const std::unique_ptr<imaging::Bitmap> second = imaging::Bitmap::FromMemory(
      std::span(reinterpret_cast<const uint8_t*>(upload.parts.at(3).bytes.data()),
                upload.parts.at(3).bytes.size()));
  EXPECT_EQ(second->GetWidth(), 210u + 2u * imagedoc::kFrameMargin);
}

}  // namespace
}  // namespace varn::imageedit::testing
