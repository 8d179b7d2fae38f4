// Submitting the drawing to a real HTTP server on 127.0.0.1: the form the
// server received, the pictures in it, and the events the page hears for
// each kind of answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/imaging/bitmap.h"
#include "platform/system/temp_directory.h"
#include "platform/system/utf_convert.h"
#include "tests/drawing/board.h"
#include "tests/drawing/model_test_support.h"
#include "tests/platform/system/scratch_directory.h"
#include "tests/support/private_directory_swap.h"
#include "tests/support/raw_reply_server.h"
#include "tests/support/upload_server.h"

namespace varn::drawing::testing {
namespace {

namespace fs = std::filesystem;
using imaging::ARGB;
using imaging::Bitmap;
using system::testing::ScratchDirectory;
using test::ParsedUpload;
using test::UploadPart;
using test::UploadServer;

constexpr uint32_t kRed = 0xFFFF0000u;

std::unique_ptr<Bitmap> Decode(const UploadPart& part) {
  const auto* data = reinterpret_cast<const uint8_t*>(part.bytes.data());
  return Bitmap::FromMemory(std::span<const uint8_t>(data, part.bytes.size()));
}

// Every pixel of the picture in the layout a Draw surface uses.
std::vector<uint32_t> Pixels(const Bitmap& bitmap) {
  std::vector<uint32_t> pixels;
  for (int32_t y = 0; y < static_cast<int32_t>(bitmap.GetHeight()); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(bitmap.GetWidth()); ++x) {
      pixels.push_back(PixelAt(bitmap, x, y));
    }
  }
  return pixels;
}

bool IsRed(ARGB c) { return ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) < 60 && (c & 0xFF) < 60; }
bool IsWhite(ARGB c) { return (c & 0xFFFFFFu) == 0xFFFFFFu; }

std::vector<std::string> PartNames(const ParsedUpload& upload) {
  std::vector<std::string> names;
  for (const UploadPart& part : upload.parts) names.push_back(part.name);
  return names;
}

// Fills the whole bottom layer red.
void FillRed(Board& board) {
  board.PutInt(kDispToolType, kToolFill);
  board.PutText(kDispPaletteColor, u"#ff0000");
  board.Send(WM_LBUTTONDOWN, 10, 10);
  board.Send(WM_LBUTTONUP, 10, 10);
}

class DrawingSubmit : public ::testing::Test {
 protected:
  void SetUp() override {
    board.Resize(300, 300);
    board.PutText(kDispActionPage, server.Url("post/drawing?x=1"));
    board.PutText(kDispFileKey, u"key-42");
    board.PutText(kDispCookie, u"member=7");
    board.TakeEvents();
  }

  // Submits and answers the server's only upload.
  ParsedUpload SubmitOnce() {
    EXPECT_EQ(board.Call(kDispSaveAndSubmit), S_OK);
    const std::vector<ParsedUpload> uploads = server.Uploads();
    EXPECT_EQ(uploads.size(), 1u);
    return uploads.empty() ? ParsedUpload{} : uploads.back();
  }

  UploadServer server;
  Board board;
};

TEST_F(DrawingSubmit, PostsTheKeyThePictureAndItsThumbnailWithTheCookie) {
  board.PutInt(kDispImageWidth, 400);
  FillRed(board);
  board.TakeEvents();
  server.SetReply(200, "");
  const ParsedUpload upload = SubmitOnce();

  EXPECT_EQ(upload.target, "/post/drawing?x=1");
  EXPECT_EQ(upload.Header("Cookie"), "member=7");
  ASSERT_EQ(PartNames(upload), (std::vector<std::string>{"filekey", "image0", "timage0"}));
  EXPECT_EQ(upload.parts[0].bytes, "key-42");
  EXPECT_TRUE(upload.parts[0].fileName.empty());
  for (size_t i = 1; i < 3; ++i) {
    const UploadPart& part = upload.parts[i];
    EXPECT_EQ(part.contentType, "image/png");
    // The whole path of a file in the private temporary folder, removed
    // once the post ended.
    EXPECT_TRUE(fs::path(part.fileName).is_absolute()) << part.fileName;
    EXPECT_TRUE(part.fileName.starts_with(system::OpenTempDirectory().value.Path()))
        << part.fileName;
    EXPECT_FALSE(fs::exists(part.fileName)) << part.fileName;
    EXPECT_TRUE(part.fileName.ends_with(i == 1 ? ".png" : "_t.png")) << part.fileName;
  }
  const std::unique_ptr<Bitmap> picture = Decode(upload.parts[1]);
  ASSERT_EQ(picture->GetLastStatus(), imaging::Status::Ok);
  EXPECT_EQ(picture->GetWidth(), 400u);
  EXPECT_EQ(picture->GetHeight(), 300u);
  EXPECT_EQ(PixelAt(*picture, 0, 0), kRed);
  EXPECT_EQ(PixelAt(*picture, 399, 299), kRed);
  // 4:3 fills the thumbnail completely.
  const std::unique_ptr<Bitmap> thumbnail = Decode(upload.parts[2]);
  ASSERT_EQ(thumbnail->GetLastStatus(), imaging::Status::Ok);
  EXPECT_EQ(thumbnail->GetWidth(), 160u);
  EXPECT_EQ(thumbnail->GetHeight(), 120u);
  EXPECT_TRUE(IsRed(PixelAt(*thumbnail, 0, 0)));
  EXPECT_TRUE(IsRed(PixelAt(*thumbnail, 159, 119)));
  EXPECT_EQ(board.TakeEvents(), Events{UploadComplete(0)});
}

TEST_F(DrawingSubmit, SquareCanvasSitsInTheMiddleOfAWhiteThumbnail) {
  FillRed(board);
  const ParsedUpload upload = SubmitOnce();
  ASSERT_EQ(upload.parts.size(), 3u);
  const std::unique_ptr<Bitmap> thumbnail = Decode(upload.parts[2]);
  ASSERT_EQ(thumbnail->GetWidth(), 160u);
  EXPECT_TRUE(IsWhite(PixelAt(*thumbnail, 5, 60)));
  EXPECT_TRUE(IsRed(PixelAt(*thumbnail, 25, 60)));
  EXPECT_TRUE(IsRed(PixelAt(*thumbnail, 134, 60)));
  EXPECT_TRUE(IsWhite(PixelAt(*thumbnail, 150, 60)));
}

TEST_F(DrawingSubmit, EmptyKeyLeavesOnlyThePictureFields) {
  board.PutText(kDispFileKey, u"");
  const ParsedUpload upload = SubmitOnce();
  EXPECT_EQ(PartNames(upload), (std::vector<std::string>{"image0", "timage0"}));
}

TEST_F(DrawingSubmit, EachRepeatWritesANewPairOfFiles) {
  SubmitOnce();
  EXPECT_EQ(board.Call(kDispSaveAndSubmit), S_OK);
  const std::vector<ParsedUpload> uploads = server.Uploads();
  ASSERT_EQ(uploads.size(), 2u);
  ASSERT_EQ(uploads[0].parts.size(), 3u);
  ASSERT_EQ(uploads[1].parts.size(), 3u);
  EXPECT_NE(uploads[0].parts[1].fileName, uploads[1].parts[1].fileName);
  EXPECT_NE(uploads[0].parts[2].fileName, uploads[1].parts[2].fileName);
  // Submitting is no undo step: the board had no history to go back to.
  board.TakeEvents();
  board.Call(kDispUndo);
  EXPECT_TRUE(board.TakeEvents().empty());
}

TEST_F(DrawingSubmit, APictureThatCannotBeWrittenFailsThePost) {
  const ScratchDirectory elsewhere;
  for (const test::ReplacementCase& c : test::kReplacements) {
    const test::PrivateDirectorySwap swap(c.replacement, elsewhere.Path());
    EXPECT_EQ(board.Call(kDispSaveAndSubmit), S_OK) << c.name;
    EXPECT_EQ(board.TakeEvents(), Events{UploadComplete(1)}) << c.name;
  }
  EXPECT_EQ(server.ConnectionCount(), 0u);
}

// The names in the private temporary directory.
std::vector<std::string> PrivateFiles() {
  std::vector<std::string> names;
  const std::string path =
      system::TempDirectoryBase() + "/varnpostingtool-" + std::to_string(geteuid());
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(path, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(DrawingSubmit, EverySubmitRemovesItsTemporaryFilesOnceThePostEnded) {
  board.Call(kDispSaveAndSubmit);
  const std::vector<std::string> before = PrivateFiles();
  for (int status : {200, 500}) {
    server.SetReply(status, "[(a|b|c|d|e)]\n");
    EXPECT_EQ(board.Call(kDispSaveAndSubmit), S_OK);
    EXPECT_EQ(PrivateFiles(), before) << status;
  }
  board.PutText(kDispActionPage, u"http://");
  EXPECT_EQ(board.Call(kDispSaveAndSubmit), S_OK);
  EXPECT_EQ(PrivateFiles(), before);
  // The files were there for the post: the server got both pictures whole.
  const std::vector<ParsedUpload> uploads = server.Uploads();
  ASSERT_EQ(uploads.size(), 3u);
  for (const ParsedUpload& upload : uploads) {
    ASSERT_EQ(upload.parts.size(), 3u);
    EXPECT_EQ(Decode(upload.parts[1])->GetLastStatus(), imaging::Status::Ok);
    EXPECT_EQ(Decode(upload.parts[2])->GetLastStatus(), imaging::Status::Ok);
  }
}

class DrawingSubmitReply : public DrawingSubmit {
 protected:
  Events EventsFor(int status, const std::string& body) {
    server.SetReply(status, body);
    board.TakeEvents();
    EXPECT_EQ(board.Call(kDispSaveAndSubmit), S_OK);
    return board.TakeEvents();
  }
};

TEST_F(DrawingSubmitReply, RecordsOfFiveFieldsReachThePageWithoutTheFirst) {
  EXPECT_EQ(EventsFor(200, "[(a|b|c|d|e)]\n"),
            (Events{UploadFile(u"b", u"c", u"d", u"e"), UploadComplete(0)}));
  EXPECT_EQ(EventsFor(200, "\n\n[(1|2|3|4|5|6|7)]\n[(0|id|img.png|/x/img.png|1234)]"),
            (Events{UploadFile(u"2", u"3", u"4", u"5"),
                    UploadFile(u"id", u"img.png", u"/x/img.png", u"1234"), UploadComplete(0)}));
}

TEST_F(DrawingSubmitReply, AShortLineEndsTheReply) {
  EXPECT_EQ(EventsFor(200, "[(a|b|c|d)]\n[(a|b|c|d|e)]\n"), Events{UploadComplete(0)});
  EXPECT_EQ(EventsFor(200, "[(a|b|c|d|e)]\n[(x|y)]\n[(v|w|x|y|z)]\n"),
            (Events{UploadFile(u"b", u"c", u"d", u"e"), UploadComplete(0)}));
  EXPECT_EQ(EventsFor(200, ""), Events{UploadComplete(0)});
}

TEST_F(DrawingSubmitReply, CarriageReturnStaysInTheLastField) {
  EXPECT_EQ(EventsFor(200, "1|2|3|4|5\r\n6|7|8|9|10\r\n"),
            (Events{UploadFile(u"2", u"3", u"4", u"5\r"), UploadFile(u"7", u"8", u"9", u"10\r"),
                    UploadComplete(0)}));
}

TEST_F(DrawingSubmitReply, NonOkStatusFailsWithoutRecords) {
  EXPECT_EQ(EventsFor(302, "[(a|b|c|d|e)]\n"), Events{UploadComplete(1)});
  EXPECT_EQ(EventsFor(500, "[(a|b|c|d|e)]\n"), Events{UploadComplete(1)});
}

TEST_F(DrawingSubmitReply, UnusableAddressFails) {
  for (const char16_t* page :
       {u"", u"no address", u"http://", u"http://127.0.0.1/", u"ftp://127.0.0.1/upload"}) {
    board.PutText(kDispActionPage, std::u16string_view(page));
    board.TakeEvents();
    EXPECT_EQ(board.Call(kDispSaveAndSubmit), S_OK);
    EXPECT_EQ(board.TakeEvents(), Events{UploadComplete(1)}) << system::Utf16ToUtf8(page);
  }
  EXPECT_EQ(server.ConnectionCount(), 0u);
}

TEST_F(DrawingSubmitReply, ServerClosingMidBodyFails) {
  server.SetCloseAfterBodyBytes(200);
  EXPECT_EQ(EventsFor(200, "[(a|b|c|d|e)]\n"), Events{UploadComplete(1)});
}

// A reply the server cut off is a failed post, whatever its status said.
TEST(DrawingSubmitCutReply, FailsWithoutRecords) {
  const std::string record = "[(a|b|c|d|e)]\n";
  const std::string sized = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + record;
  const std::string chunked =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nE\r\n" + record + "\r\n";
  const struct {
    const char* name;
    test::RawReply reply;
  } cases[] = {
      {"shorter than its length", {sized, test::ReplyEnding::Close}},
      {"chunked without its last chunk", {chunked, test::ReplyEnding::Close}},
      {"reset mid-reply", {sized, test::ReplyEnding::Reset}},
  };
  for (const auto& c : cases) {
    test::RawReplyServer server(c.reply);
    Board board;
    board.Resize(40, 30);
    board.PutText(kDispActionPage, server.Url());
    board.TakeEvents();
    EXPECT_EQ(board.Call(kDispSaveAndSubmit), S_OK) << c.name;
    EXPECT_EQ(board.TakeEvents(), Events{UploadComplete(1)}) << c.name;
    EXPECT_EQ(server.CompleteRequests(), 1) << c.name;
  }
}

// A member's whole session: draws on two layers with a text, keeps the
// drawing in a paint file through the host's dialog, opens it on a second
// board, and submits both; each upload holds exactly the board's picture.
TEST(DrawingSubmitSession, DrawingSavedLoadedAndSubmittedArrivesPixelForPixel) {
  UploadServer server;
  // Behind the closing bracket the carriage return is a sixth field, ignored.
  server.SetReply(200, "[(0|17|drawing.png|/up/drawing.png|5120)]\r\n");
  const ScratchDirectory folder;
  ASSERT_FALSE(folder.Path().empty());
  const std::u16string paintFile = system::Utf8ToUtf16(folder / "session.tbp");

  Board first;
  first.Resize(300, 300);
  first.PutInt(kDispToolType, kToolPen);
  first.PutText(kDispPaletteColor, u"#ff0000");
  first.PutInt(kDispPenWidth, 7);
  first.Drag({{20, 30}, {150, 40}, {280, 30}});
  first.Call(kDispAddLayer);
  first.PutInt(kDispToolType, kToolShape);
  first.PutInt(kDispShapeType, kShapeFilledEllipse);
  first.PutText(kDispPaletteColor, u"#2040c0");
  first.Drag({{60, 120}, {220, 260}});
  first.PutText(kDispPaletteColor, u"#000000");
  first.PutInt(kDispTextFontSize, 24);
  first.PutText(kDispTextCurrent, u"Oekaki");
  // One more stroke leaves no text selected, so the screen shows no frame.
  first.PutInt(kDispToolType, kToolPen);
  first.Drag({{10, 290}, {290, 290}});
  const std::vector<uint32_t> shown = first.Paint(300, 300);

  first.Dialogs().ChooseFile(paintFile);
  EXPECT_EQ(first.Call(kDispExportToFile), S_OK);
  Board second;
  second.Resize(300, 300);
  second.Dialogs().ChooseFile(paintFile);
  EXPECT_EQ(second.Call(kDispImportFromFile), S_OK);
  EXPECT_EQ(second.Paint(300, 300), shown);

  for (Board* board : {&first, &second}) {
    board->PutText(kDispActionPage, server.Url("blog/upload.php"));
    board->PutText(kDispFileKey, u"abc");
    board->TakeEvents();
    EXPECT_EQ(board->Call(kDispSaveAndSubmit), S_OK);
    EXPECT_EQ(board->TakeEvents(),
              (Events{UploadFile(u"17", u"drawing.png", u"/up/drawing.png", u"5120"),
                      UploadComplete(0)}));
  }

  const std::vector<ParsedUpload> uploads = server.Uploads();
  ASSERT_EQ(uploads.size(), 2u);
  for (const ParsedUpload& upload : uploads) {
    ASSERT_EQ(PartNames(upload), (std::vector<std::string>{"filekey", "image0", "timage0"}));
    EXPECT_EQ(upload.parts[0].bytes, "abc");
    const std::unique_ptr<Bitmap> picture = Decode(upload.parts[1]);
    ASSERT_EQ(picture->GetLastStatus(), imaging::Status::Ok);
    ASSERT_EQ(picture->GetWidth(), 300u);
    ASSERT_EQ(picture->GetHeight(), 300u);
    EXPECT_EQ(Pixels(*picture), shown);
  }
  // The picture holds what was drawn, not an empty board.
  EXPECT_EQ(shown[30 * 300 + 20], kRed);
  EXPECT_EQ(shown[5 * 300 + 5], kWhite);
}

}  // namespace
}  // namespace varn::drawing::testing
