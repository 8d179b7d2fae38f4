// Save and Submit: the three profile pictures cut from the full-size photo,
// checked through the pixels of the JPEG files, and their post to a real
// HTTP server on 127.0.0.1 with the events the page hears.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/temp_directory.h"
#include "tests/cropper/cropper_page.h"
#include "tests/platform/imaging/picture_bytes.h"
#include "tests/support/upload_server.h"

namespace varn::cropper::testing {
namespace {

namespace fs = std::filesystem;
using imaging::Bitmap;
using system::testing::ScratchDirectory;
using test::ParsedUpload;
using test::UploadServer;

// 1000 x 750: blue, with the region under the centred selection green and
// the region under its square red, so a region off by a pixel shows at the
// pictures' edges.
uint32_t Bands(int32_t x, int32_t y) {
  if (x < 352 || x >= 648 || y < 154 || y >= 594) return kBlue;
  return y < 450 ? kRed : kGreen;
}

struct Probe {
  int32_t x, y;
  uint32_t color;
};

void ExpectPicture(const std::string& path, int32_t width, int32_t height,
                   const std::vector<Probe>& probes) {
  SCOPED_TRACE(path);
  const std::unique_ptr<Bitmap> picture = Bitmap::FromFile(path);
  ASSERT_EQ(picture->GetLastStatus(), imaging::Status::Ok);
  EXPECT_EQ(picture->GetWidth(), static_cast<uint32_t>(width));
  EXPECT_EQ(picture->GetHeight(), static_cast<uint32_t>(height));
  for (const Probe& probe : probes) {
    const uint32_t actual = PixelOf(*picture, probe.x, probe.y);
    EXPECT_TRUE(Near(actual, probe.color, 40))
        << probe.x << ", " << probe.y << ": " << std::hex << actual;
  }
}

std::vector<Probe> Corners(int32_t width, int32_t height, uint32_t color) {
  return {{0, 0, color},
          {width - 1, 0, color},
          {0, height - 1, color},
          {width - 1, height - 1, color},
          {width / 2, height / 2, color}};
}

class CropperOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    photo = WritePicture(scratch / "bands.png", 1000, 750, Bands);
    cropper.Load(photo);
    cropper.Resize(500, 375);
    cropper.TakeEvents();
  }

  std::string Expected(const char* name) {
    return system::OpenTempDirectory().value.Path() + "/" + name;
  }

  ScratchDirectory scratch;
  std::string photo;
  Cropper cropper;
};

TEST_F(CropperOutput, CutsTheSquareAndTheRectangleFromTheFullSizePhoto) {
  ASSERT_TRUE(cropper.Save());
  const std::string small = cropper.OutputPath(kDispSmallImagePath);
  const std::string big = cropper.OutputPath(kDispBigImagePath);
  const std::string mini = cropper.OutputPath(kDispMiniImagePath);
  EXPECT_EQ(small, Expected("profileImage0.jpg"));
  EXPECT_EQ(big, Expected("profileImage1.jpg"));
  EXPECT_EQ(mini, Expected("profileImage2.jpg"));
  // The square is (352, 154) 296 x 296; the rectangle 296 x 440 from there,
  // its top two thirds the square.
  ExpectPicture(small, 148, 148, Corners(148, 148, kRed));
  ExpectPicture(mini, 70, 70, Corners(70, 70, kRed));
  ExpectPicture(
      big, 148, 220,
      {{0, 0, kRed}, {147, 140, kRed}, {0, 156, kGreen}, {0, 219, kGreen}, {147, 219, kGreen}});
}

TEST_F(CropperOutput, ALoweredSquareStartsFurtherDown) {
  cropper.Drag({{250, 100}, {250, 172}});
  ASSERT_EQ(cropper.Selection().squareOffset, 72);
  ASSERT_TRUE(cropper.Save());
  // From y = (77 + 72) x 2 = 298: red down to 450, which is row 76.
  ExpectPicture(cropper.OutputPath(kDispSmallImagePath), 148, 148,
                {{0, 0, kRed}, {147, 70, kRed}, {0, 82, kGreen}, {147, 147, kGreen}});
  ExpectPicture(cropper.OutputPath(kDispMiniImagePath), 70, 70, {{0, 0, kRed}, {69, 69, kGreen}});
}

TEST_F(CropperOutput, ReloadsThePhotoUprightAsItWasShown) {
  // Stored 1000 x 750 red left and blue right, turned a quarter clockwise:
  // upright red above y = 500, the selection (113, 140, 261, 360) of 375 x 500.
  const std::string stored = WritePicture(
      scratch / "stored.jpg", 1000, 750, [](int32_t x, int32_t) { return x < 500 ? kRed : kBlue; },
      imaging::kJpegEncoderClsid);
  const std::string sideways = scratch / "sideways.jpg";
  imaging::testing::WriteFile(
      sideways, imaging::testing::WithExifOrientation(imaging::testing::ReadFile(stored), 6));
  cropper.Load(sideways);
  cropper.Resize(375, 500);
  ASSERT_TRUE(cropper.Save());
  // The regions start at upright y = 280; red ends 220 rows later, at row 110.
  ExpectPicture(cropper.OutputPath(kDispBigImagePath), 148, 220,
                {{74, 100, kRed}, {74, 120, kBlue}, {0, 219, kBlue}});
  ExpectPicture(cropper.OutputPath(kDispSmallImagePath), 148, 148,
                {{74, 100, kRed}, {74, 120, kBlue}});
}

TEST_F(CropperOutput, AnEmptyWindowWritesNothingAndKeepsEarlierPaths) {
  Cropper fresh;
  fresh.Load(photo);
  EXPECT_FALSE(fresh.Save());  // never sized
  EXPECT_EQ(fresh.OutputPath(kDispSmallImagePath), "");

  ASSERT_TRUE(cropper.Save());
  const std::string small = cropper.OutputPath(kDispSmallImagePath);
  fs::remove(small);
  cropper.Resize(0, 375);
  EXPECT_TRUE(cropper.Save());
  EXPECT_EQ(cropper.OutputPath(kDispSmallImagePath), small);
  EXPECT_FALSE(fs::exists(small));
}

TEST_F(CropperOutput, ASelectionStickingOutOfASmallWindowMapsInsideThePhoto) {
  cropper.Resize(100, 100);
  cropper.Drag({{200, 200}, {201, 200}});
  ASSERT_LT(cropper.Rect().left, 0);
  ASSERT_LT(cropper.Rect().top, 0);
  ASSERT_TRUE(cropper.Save());
  ExpectPicture(cropper.OutputPath(kDispSmallImagePath), 148, 148, {{0, 0, kBlue}});
  ExpectPicture(cropper.OutputPath(kDispBigImagePath), 148, 220, {{0, 0, kBlue}});
}

TEST_F(CropperOutput, APictureThatCannotBeWrittenEmptiesItsPathOnly) {
  const std::string big = Expected("profileImage1.jpg");
  fs::remove(big);
  fs::create_directory(big);
  EXPECT_FALSE(cropper.Save());
  EXPECT_EQ(cropper.OutputPath(kDispBigImagePath), "");
  EXPECT_TRUE(fs::exists(cropper.OutputPath(kDispSmallImagePath)));
  EXPECT_TRUE(fs::exists(cropper.OutputPath(kDispMiniImagePath)));
  fs::remove(big);
}

Event UploadFile(std::u16string id, std::u16string name, std::u16string path, std::u16string size) {
  return {kOnUploadFile, {std::move(id), std::move(name), std::move(path), std::move(size)}};
}
Event UploadComplete(int32_t code) { return {kOnUploadFileComplete, {code}}; }

std::vector<std::string> PartNames(const ParsedUpload& upload) {
  std::vector<std::string> names;
  for (const test::UploadPart& part : upload.parts) names.push_back(part.name);
  return names;
}

class CropperSubmit : public CropperOutput {
 protected:
  void SetUp() override {
    CropperOutput::SetUp();
    cropper.PutText(kDispActionPage, server.Url("post/profile"));
    cropper.PutText(kDispFileKey, u"key-7");
    cropper.PutText(kDispCookie, u"member=3");
  }

  UploadServer server;
};

TEST_F(CropperSubmit, PostsTheKeyAndTheThreePicturesAndReportsEachRecord) {
  server.SetReply(200, "[(12|a.jpg|p/a.jpg|3456)]\n[(13|b.jpg|p/b.jpg|789)]\n");
  EXPECT_EQ(cropper.Call(kDispSubmit), S_OK);
  EXPECT_EQ(cropper.TakeEvents(),
            (Events{UploadFile(u"12", u"a.jpg", u"p/a.jpg", u"3456"),
                    UploadFile(u"13", u"b.jpg", u"p/b.jpg", u"789"), UploadComplete(0)}));
  const std::vector<ParsedUpload> uploads = server.Uploads();
  ASSERT_EQ(uploads.size(), 1u);
  const ParsedUpload& upload = uploads[0];
  EXPECT_EQ(upload.target, "/post/profile");
  EXPECT_EQ(upload.Header("Cookie"), "member=3");
  ASSERT_EQ(PartNames(upload), (std::vector<std::string>{"filekey", "image0", "image1", "image2"}));
  EXPECT_EQ(upload.parts[0].bytes, "key-7");
  const DISPID kPaths[] = {kDispSmallImagePath, kDispBigImagePath, kDispMiniImagePath};
  for (size_t i = 0; i < 3; ++i) {
    const test::UploadPart& part = upload.parts[i + 1];
    const std::string path = cropper.OutputPath(kPaths[i]);
    EXPECT_EQ(part.contentType, "image/jpeg");
    EXPECT_EQ(part.fileName, path);
    // The pictures stay after the post.
    EXPECT_EQ(part.bytes, imaging::testing::ReadFile(path));
  }
}

TEST_F(CropperSubmit, AnEmptyKeyLeavesOnlyTheFiles) {
  cropper.PutText(kDispFileKey, u"");
  server.SetReply(200, "");
  cropper.Call(kDispSubmit);
  EXPECT_EQ(cropper.TakeEvents(), Events{UploadComplete(0)});
  ASSERT_EQ(server.Uploads().size(), 1u);
  EXPECT_EQ(PartNames(server.Uploads()[0]),
            (std::vector<std::string>{"image0", "image1", "image2"}));
}

TEST_F(CropperSubmit, ARefusedPostIsOnlyReportedAsFailed) {
  server.SetReply(500, "[(12|a.jpg|p/a.jpg|3456)]\n");
  cropper.Call(kDispSubmit);
  EXPECT_EQ(cropper.TakeEvents(), Events{UploadComplete(1)});
}

TEST_F(CropperSubmit, NothingToPostFailsBeforeConnecting) {
  Cropper empty;
  empty.Resize(500, 375);
  empty.PutText(kDispActionPage, server.Url("post/profile"));
  EXPECT_EQ(empty.Call(kDispSubmit), S_OK);
  EXPECT_EQ(empty.TakeEvents(), Events{UploadComplete(1)});
  EXPECT_EQ(server.ConnectionCount(), 0u);
}

}  // namespace
}  // namespace varn::cropper::testing
