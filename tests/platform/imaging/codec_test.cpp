#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/image_codec.h"
#include "tests/platform/imaging/picture_bytes.h"
#include "tests/platform/imaging/pixel_helpers.h"

namespace varn::imaging {
namespace {

using testing::BmpHeader;
using testing::ChannelsNear;
using testing::FillTagged;
using testing::PixelAt;
using testing::PngHeader;
using testing::ReadFile;
using testing::ScratchDir;
using testing::Tag;
using testing::WriteFile;

std::string PathOf(const std::string& name) { return (ScratchDir() / name).string(); }

// One red pixel, no transparency.
const std::string kRedGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
    ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
    33);

TEST(BitmapDecode, ChoosesTheFormatByContentNotByName) {
  Bitmap source(3, 2, PixelFormat::Format24bppRGB);
  FillTagged(source);
  const std::string path = PathOf("really-a-png.jpg");
  ASSERT_EQ(source.Save(path, kPngEncoderClsid), Status::Ok);
  auto loaded = Bitmap::FromFile(path);
  ASSERT_EQ(loaded->GetLastStatus(), Status::Ok);
  EXPECT_EQ(loaded->GetPixelFormat(), PixelFormat::Format24bppRGB);
  EXPECT_EQ(PixelAt(*loaded, 2, 1), Tag(2, 1));

  const std::string gifPath = PathOf("picture.png");
  WriteFile(gifPath, kRedGif);
  auto gif = Bitmap::FromFile(gifPath);
  ASSERT_EQ(gif->GetLastStatus(), Status::Ok);
  EXPECT_EQ(PixelAt(*gif, 0, 0), 0xFFFF0000u);
}

TEST(BitmapDecode, FilesThatAreNotPicturesFail) {
  const std::string text = PathOf("notes.jpg");
  WriteFile(text, "This is a plain text file, not a picture.\n");
  EXPECT_EQ(Bitmap::FromFile(text)->GetLastStatus(), Status::UnknownImageFormat);
  // A text file that another Qt reader would take for a picture.
  const std::string xbm = PathOf("icon.bmp");
  WriteFile(xbm, "#define i_width 1\n#define i_height 1\nstatic char i_bits[] = {0x01};\n");
  EXPECT_EQ(Bitmap::FromFile(xbm)->GetLastStatus(), Status::UnknownImageFormat);
  EXPECT_EQ(Bitmap::FromFile(PathOf("missing.png"))->GetLastStatus(), Status::FileNotFound);
  const std::string empty = PathOf("empty.png");
  WriteFile(empty, "");
  EXPECT_EQ(Bitmap::FromFile(empty)->GetLastStatus(), Status::UnknownImageFormat);
  const std::string truncated = PathOf("truncated.png");
  WriteFile(truncated, PngHeader(4, 4));
  EXPECT_NE(Bitmap::FromFile(truncated)->GetLastStatus(), Status::Ok);
}

TEST(BitmapDecode, RefusesPicturesAboveOneHundredMegapixels) {
  auto png = PngHeader(20000, 10000);
  auto fromPng =
      Bitmap::FromMemory(std::span(reinterpret_cast<const uint8_t*>(png.data()), png.size()));
  EXPECT_EQ(fromPng->GetLastStatus(), Status::OutOfMemory);
  std::istringstream bmp(BmpHeader(12000, 9000));
  EXPECT_EQ(Bitmap::FromStream(bmp)->GetLastStatus(), Status::OutOfMemory);
  const std::string path = PathOf("huge.bmp");
  WriteFile(path, BmpHeader(-12000, 12000));
  EXPECT_NE(Bitmap::FromFile(path)->GetLastStatus(), Status::Ok);
}

TEST(BitmapDecode, StreamsAndMemoryDecodeLikeFiles) {
  Bitmap source(2, 2, PixelFormat::Format32bppARGB);
  source.SetPixel(1, 0, 0x80FF8000);
  const std::string path = PathOf("stream.png");
  ASSERT_EQ(source.Save(path, kPngEncoderClsid), Status::Ok);
  const std::string bytes = ReadFile(path);
  std::istringstream stream(bytes);
  auto fromStream = Bitmap::FromStream(stream);
  ASSERT_EQ(fromStream->GetLastStatus(), Status::Ok);
  EXPECT_EQ(fromStream->GetPixelFormat(), PixelFormat::Format32bppARGB);
  EXPECT_EQ(PixelAt(*fromStream, 1, 0), 0x80FF8000u);
  auto fromMemory =
      Bitmap::FromMemory(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  EXPECT_EQ(PixelAt(*fromMemory, 1, 0), 0x80FF8000u);
  std::istringstream garbage(std::string(100, 'x'));
  EXPECT_EQ(Bitmap::FromStream(garbage)->GetLastStatus(), Status::UnknownImageFormat);
}

TEST(BitmapSave, PngKeepsNonPremultipliedPixelsExactly) {
  Bitmap layer(3, 1, PixelFormat::Format32bppARGB);
  layer.SetPixel(0, 0, 0x01FF0000);
  layer.SetPixel(1, 0, 0x80123456);
  layer.SetPixel(2, 0, 0xFFFFFFFF);
  const std::string path = PathOf("layer.png");
  ASSERT_EQ(layer.Save(path, kPngEncoderClsid), Status::Ok);
  auto loaded = Bitmap::FromFile(path);
  ASSERT_EQ(loaded->GetLastStatus(), Status::Ok);
  EXPECT_EQ(PixelAt(*loaded, 0, 0), 0x01FF0000u);
  EXPECT_EQ(PixelAt(*loaded, 1, 0), 0x80123456u);
  EXPECT_EQ(PixelAt(*loaded, 2, 0), 0xFFFFFFFFu);
}

TEST(BitmapSave, JpegRoundTripWithinToleranceAndHonoursQuality) {
  Bitmap picture(16, 16, PixelFormat::Format24bppRGB);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) picture.SetPixel(x, y, x < 8 ? 0xFFC83214 : 0xFF1464C8);
  }
  EncoderParameters best{100};
  EncoderParameters worst{5};
  const std::string high = PathOf("high.jpg");
  const std::string low = PathOf("low.jpg");
  ASSERT_EQ(picture.Save(high, kJpegEncoderClsid, &best), Status::Ok);
  ASSERT_EQ(picture.Save(low, kJpegEncoderClsid, &worst), Status::Ok);
  EXPECT_GT(ReadFile(high).size(), ReadFile(low).size());
  auto loaded = Bitmap::FromFile(high);
  ASSERT_EQ(loaded->GetLastStatus(), Status::Ok);
  EXPECT_EQ(loaded->GetPixelFormat(), PixelFormat::Format24bppRGB);
  EXPECT_TRUE(ChannelsNear(PixelAt(*loaded, 2, 2), 0xFFC83214, 8));
  EXPECT_TRUE(ChannelsNear(PixelAt(*loaded, 13, 13), 0xFF1464C8, 8));
}

TEST(BitmapSave, FailuresAreReportedNotHidden) {
  Bitmap picture(2, 2, PixelFormat::Format24bppRGB);
  EncoderParameters tooHigh{101};
  EXPECT_EQ(picture.Save(PathOf("q.jpg"), kJpegEncoderClsid, &tooHigh), Status::InvalidParameter);
  EXPECT_EQ(picture.Save(PathOf("x.bin"), GUID{1, 2, 3, {}}), Status::UnknownImageFormat);
  EXPECT_EQ(picture.Save(PathOf("x.gif"), kGifEncoderClsid), Status::NotImplemented);
  EXPECT_EQ(picture.Save(PathOf("no/such/folder/x.png"), kPngEncoderClsid), Status::Win32Error);
  EXPECT_EQ(picture.GetLastStatus(), Status::Win32Error);
  EXPECT_EQ(picture.Save(PathOf("x.bmp"), kBmpEncoderClsid), Status::Ok);
}

TEST(ImageEncoders, ListedInTheUsualOrderWithMimeTypes) {
  const auto& encoders = GetImageEncoders();
  std::vector<std::u16string> mimeTypes;
  mimeTypes.reserve(encoders.size());
  for (const ImageCodecInfo& info : encoders) mimeTypes.push_back(info.MimeType);
  const std::vector<std::u16string> expected{u"image/bmp", u"image/jpeg", u"image/gif",
                                             u"image/tiff", u"image/png"};
  EXPECT_EQ(mimeTypes, expected);
  EXPECT_EQ(encoders[4].Clsid, kPngEncoderClsid);
  EXPECT_EQ(encoders[4].Clsid.Data1, 0x557CF406u);
  EXPECT_EQ(encoders[1].Clsid.Data1, 0x557CF401u);
}

}  // namespace
}  // namespace varn::imaging
