#include "platform/imaging/encoded_picture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/imaging/image_codec.h"
#include "tests/platform/imaging/picture_bytes.h"
#include "tests/platform/imaging/pixel_helpers.h"

namespace varn::imaging {
namespace {

using testing::BytesOf;
using testing::ChannelsNear;
using testing::PixelAt;
using testing::PngHeader;
using testing::ReadFile;
using testing::ScratchDir;
using testing::WithExifOrientation;
using testing::WriteFile;

std::string PathOf(const std::string& name) { return (ScratchDir() / name).string(); }

// The upright picture: four quadrants of 32x16, one colour each, so each of
// the eight orientations puts them somewhere else. Edges fall on JPEG's
// 16-pixel blocks in either orientation, which keeps the colours clean.
constexpr int kUprightWidth = 64;
constexpr int kUprightHeight = 32;
constexpr std::array<ARGB, 4> kQuadrants{0xFFE02020, 0xFF20C020, 0xFF2040E0, 0xFFE0E040};

ARGB UprightColor(int x, int y) {
  return kQuadrants[(x < kUprightWidth / 2 ? 0 : 1) + (y < kUprightHeight / 2 ? 0 : 2)];
}

struct Point {
  int x;
  int y;
};

// Where the upright pixel (x, y) lies in the stored rows of a photo with
// that EXIF orientation; storedWidth and storedHeight are the stored size.
Point StoredPosition(int orientation, int x, int y, int storedWidth, int storedHeight) {
  switch (orientation) {
    case 2:
      return {storedWidth - 1 - x, y};
    case 3:
      return {storedWidth - 1 - x, storedHeight - 1 - y};
    case 4:
      return {x, storedHeight - 1 - y};
    case 5:
      return {y, x};
    case 6:
      return {y, storedHeight - 1 - x};
    case 7:
      return {storedWidth - 1 - y, storedHeight - 1 - x};
    case 8:
      return {storedWidth - 1 - y, x};
    default:
      return {x, y};
  }
}

// A JPEG of the upright picture with its rows as a camera held that way
// stores them, without the orientation tag.
std::string StoredJpeg(int orientation) {
  const bool turned = orientation >= 5;
  const int width = turned ? kUprightHeight : kUprightWidth;
  const int height = turned ? kUprightWidth : kUprightHeight;
  Bitmap stored(width, height, PixelFormat::Format24bppRGB);
  for (int y = 0; y < kUprightHeight; ++y) {
    for (int x = 0; x < kUprightWidth; ++x) {
      const Point at = StoredPosition(orientation, x, y, width, height);
      stored.SetPixel(at.x, at.y, UprightColor(x, y));
    }
  }
  const std::string path = PathOf("stored.jpg");
  EncoderParameters best{100};
  EXPECT_EQ(stored.Save(path, kJpegEncoderClsid, &best), Status::Ok);
  return ReadFile(path);
}

void ExpectUpright(const Bitmap& bitmap) {
  ASSERT_EQ(bitmap.GetLastStatus(), Status::Ok);
  ASSERT_EQ(bitmap.GetWidth(), uint32_t{kUprightWidth});
  ASSERT_EQ(bitmap.GetHeight(), uint32_t{kUprightHeight});
  EXPECT_EQ(bitmap.GetPixelFormat(), PixelFormat::Format24bppRGB);
  for (int y : {kUprightHeight / 4, kUprightHeight * 3 / 4}) {
    for (int x : {kUprightWidth / 4, kUprightWidth * 3 / 4}) {
      EXPECT_TRUE(ChannelsNear(PixelAt(bitmap, x, y), UprightColor(x, y), 12))
          << "at " << x << "," << y << ": " << std::hex << PixelAt(bitmap, x, y);
    }
  }
}

TEST(EncodedPicture, EveryExifOrientationDecodesUpright) {
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    const std::string jpeg = WithExifOrientation(StoredJpeg(orientation), orientation);
    const std::string path = PathOf("orientation-" + std::to_string(orientation) + ".jpg");
    WriteFile(path, jpeg);

    const EncodedPicture picture = EncodedPicture::FromFile(path);
    ASSERT_EQ(picture.GetStatus(), Status::Ok);
    EXPECT_EQ(picture.GetExifOrientation(), orientation);
    EXPECT_EQ(picture.GetWidth(), uint32_t{kUprightWidth});
    EXPECT_EQ(picture.GetHeight(), uint32_t{kUprightHeight});
    EXPECT_EQ(picture.GetEncodedSize(), jpeg.size());
    ExpectUpright(*picture.Decode());
    ExpectUpright(*EncodedPicture::FromBytes(BytesOf(jpeg)).Decode());
    ExpectUpright(*DecodeUprightFile(path));

    // The drawing board's reader keeps the rows as stored.
    const auto asStored = Bitmap::FromFile(path);
    ASSERT_EQ(asStored->GetLastStatus(), Status::Ok);
    EXPECT_EQ(asStored->GetWidth(), orientation >= 5 ? 32u : 64u);
  }
}

TEST(EncodedPicture, PngWithoutExifKeepsItsPixelsAndAlpha) {
  Bitmap source(3, 2, PixelFormat::Format32bppARGB);
  source.SetPixel(0, 0, 0x80123456);
  source.SetPixel(2, 1, 0xFFFF8000);
  const std::string path = PathOf("plain.png");
  ASSERT_EQ(source.Save(path, kPngEncoderClsid), Status::Ok);

  const EncodedPicture picture = EncodedPicture::FromFile(path);
  ASSERT_EQ(picture.GetStatus(), Status::Ok);
  EXPECT_EQ(picture.GetExifOrientation(), 1);
  EXPECT_EQ(picture.GetWidth(), 3u);
  EXPECT_EQ(picture.GetHeight(), 2u);
  for (const auto& decoded : {picture.Decode(), DecodeUprightFile(path)}) {
    ASSERT_EQ(decoded->GetLastStatus(), Status::Ok);
    EXPECT_EQ(decoded->GetPixelFormat(), PixelFormat::Format32bppARGB);
    EXPECT_EQ(PixelAt(*decoded, 0, 0), 0x80123456u);
    EXPECT_EQ(PixelAt(*decoded, 2, 1), 0xFFFF8000u);
    EXPECT_EQ(PixelAt(*decoded, 1, 1), 0x00000000u);
  }
  // A copy shares the bytes and decodes alike.
  const EncodedPicture copy = picture;
  EXPECT_EQ(copy.GetEncodedSize(), picture.GetEncodedSize());
  EXPECT_EQ(PixelAt(*copy.Decode(), 0, 0), 0x80123456u);
}

// Pictures of more than 8 MB of pixels are decoded into memory of their own:
// every pixel must land where a smaller picture's would, a clone must not
// see later writes, and a quarter-turned photo still comes out upright.
TEST(EncodedPicture, LargePicturesDecodeIntoTheirOwnMemoryAlike) {
  constexpr int kWidth = 2048;
  constexpr int kHeight = 1100;
  auto patternAt = [](int x, int y) {
    return ARGB{0xFF000000u | static_cast<uint32_t>((x * 7) & 255) << 16 |
                static_cast<uint32_t>((y * 13) & 255) << 8 | static_cast<uint32_t>((x + y) & 255)};
  };
  Bitmap source(kWidth, kHeight, PixelFormat::Format24bppRGB);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) source.SetPixel(x, y, patternAt(x, y));
  }
  const std::string png = PathOf("large.png");
  ASSERT_EQ(source.Save(png, kPngEncoderClsid), Status::Ok);
  for (const auto& decoded : {EncodedPicture::FromFile(png).Decode(), Bitmap::FromFile(png)}) {
    ASSERT_EQ(decoded->GetLastStatus(), Status::Ok);
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) wrong += PixelAt(*decoded, x, y) != patternAt(x, y);
    }
    EXPECT_EQ(wrong, 0);
    const auto clone = decoded->Clone();
    ASSERT_EQ(decoded->SetPixel(5, 5, 0xFF010203), Status::Ok);
    EXPECT_EQ(PixelAt(*clone, 5, 5), patternAt(5, 5));
  }

  // Stored 1100 wide and 2048 high, turned a quarter by its EXIF tag: red
  // on the stored left half, blue on the right, so upright red is on top.
  Bitmap stored(kHeight, kWidth, PixelFormat::Format24bppRGB);
  for (int y = 0; y < kWidth; ++y) {
    for (int x = 0; x < kHeight; ++x)
      stored.SetPixel(x, y, x < kHeight / 2 ? 0xFFE02020 : 0xFF2040E0);
  }
  const std::string plain = PathOf("large-stored.jpg");
  ASSERT_EQ(stored.Save(plain, kJpegEncoderClsid), Status::Ok);
  const std::string turned = PathOf("large-turned.jpg");
  WriteFile(turned, WithExifOrientation(ReadFile(plain), 6));
  const auto upright = DecodeUprightFile(turned);
  ASSERT_EQ(upright->GetLastStatus(), Status::Ok);
  EXPECT_EQ(upright->GetWidth(), uint32_t{kWidth});
  EXPECT_EQ(upright->GetHeight(), uint32_t{kHeight});
  EXPECT_TRUE(ChannelsNear(PixelAt(*upright, kWidth / 2, kHeight / 4), 0xFFE02020, 8));
  EXPECT_TRUE(ChannelsNear(PixelAt(*upright, kWidth / 2, 3 * kHeight / 4), 0xFF2040E0, 8));
}

TEST(EncodedPicture, RefusedFilesFailWithoutBlockingOrDecoding) {
  const std::string folder = PathOf("a-folder.jpg");
  std::filesystem::create_directories(folder);
  const std::string fifo = PathOf("a-fifo.jpg");
  std::filesystem::remove(fifo);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string text = PathOf("notes.png");
  WriteFile(text, "This is a plain text file, not a picture.\n");
  const std::string empty = PathOf("empty.jpg");
  WriteFile(empty, "");
  const std::string huge = PathOf("huge.png");
  WriteFile(huge, PngHeader(20000, 10000));
  const std::string pngPath = PathOf("a-picture.png");
  ASSERT_EQ(Bitmap(2, 2, PixelFormat::Format24bppRGB).Save(pngPath, kPngEncoderClsid), Status::Ok);
  const std::string sparse = PathOf("beyond-the-byte-limit.png");
  WriteFile(sparse, PngHeader(4, 4));
  std::filesystem::resize_file(sparse, static_cast<uintmax_t>(kMaxEncodedBytes) + 1);

  struct Case {
    std::string path;
    Status expected;
  };
  const Case cases[] = {
      {PathOf("missing.jpg"), Status::FileNotFound},
      {folder, Status::Win32Error},
      {fifo, Status::Win32Error},
      {"/dev/zero", Status::Win32Error},
      {text, Status::UnknownImageFormat},
      {empty, Status::UnknownImageFormat},
      {huge, Status::OutOfMemory},
      {sparse, Status::OutOfMemory},
      // Not the picture named before the zero.
      {pngPath + std::string(1, '\0') + ".txt", Status::InvalidParameter},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const EncodedPicture picture = EncodedPicture::FromFile(c.path);
    EXPECT_EQ(picture.GetStatus(), c.expected);
    EXPECT_EQ(picture.GetWidth(), 0u);
    EXPECT_EQ(picture.GetHeight(), 0u);
    EXPECT_EQ(picture.GetEncodedSize(), 0u);
    EXPECT_EQ(picture.Decode()->GetLastStatus(), c.expected);
    EXPECT_EQ(DecodeUprightFile(c.path)->GetLastStatus(), c.expected);
  }
  std::filesystem::remove(sparse);
}

TEST(EncodedPicture, FromBytesChecksTheHeaderAndDecodeTheRest) {
  EXPECT_EQ(EncodedPicture().GetStatus(), Status::InvalidParameter);
  EXPECT_EQ(EncodedPicture().Decode()->GetLastStatus(), Status::InvalidParameter);
  EXPECT_EQ(EncodedPicture::FromBytes({}).GetStatus(), Status::UnknownImageFormat);
  // Another Qt reader would take this text for a picture.
  EXPECT_EQ(EncodedPicture::FromBytes(BytesOf("#define i_width 1\n#define i_height 1\n"
                                              "static char i_bits[] = {0x01};\n"))
                .GetStatus(),
            Status::UnknownImageFormat);
  EXPECT_EQ(EncodedPicture::FromBytes(BytesOf(PngHeader(20000, 10000))).GetStatus(),
            Status::OutOfMemory);

  // The header alone is sound, so the size is known; its pixels are not.
  const EncodedPicture truncated = EncodedPicture::FromBytes(BytesOf(PngHeader(4, 3)));
  ASSERT_EQ(truncated.GetStatus(), Status::Ok);
  EXPECT_EQ(truncated.GetWidth(), 4u);
  EXPECT_EQ(truncated.GetHeight(), 3u);
  EXPECT_NE(truncated.Decode()->GetLastStatus(), Status::Ok);

  // An orientation outside 1 to 8 is no orientation.
  const EncodedPicture odd =
      EncodedPicture::FromBytes(BytesOf(WithExifOrientation(StoredJpeg(1), 9)));
  ASSERT_EQ(odd.GetStatus(), Status::Ok);
  EXPECT_EQ(odd.GetExifOrientation(), 1);
  ExpectUpright(*odd.Decode());
}

// A GIF is as large as its logical screen, however small its first frame:
// the size is known before decoding, and the pixel limit holds for it.
TEST(EncodedPicture, GifsAreAsLargeAsTheirLogicalScreen) {
  const std::string wideScreenGif(
      "GIF89a\x02\xca\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
      "\x21\xf9\x04\x01\x00\x00\x01\x00,\x00\x00\x00\x00\x02\x00\x01\x00\x00"
      "\x02\x02\x44\x0a\x00;",
      43);
  const EncodedPicture wideScreen = EncodedPicture::FromBytes(BytesOf(wideScreenGif));
  ASSERT_EQ(wideScreen.GetStatus(), Status::Ok);
  EXPECT_EQ(wideScreen.GetWidth(), 0xCA02u);
  EXPECT_EQ(wideScreen.GetHeight(), 1u);
  const auto wide = wideScreen.Decode();
  ASSERT_EQ(wide->GetLastStatus(), Status::Ok);
  EXPECT_EQ(wide->GetWidth(), 0xCA02u);
  EXPECT_EQ(PixelAt(*wide, 0, 0), 0xFFFF0000u);
  std::string screenTooLarge = wideScreenGif;
  // A screen of 51714 x 2047 is beyond the pixel limit.
  screenTooLarge[8] = '\xff';
  screenTooLarge[9] = '\x07';
  EXPECT_EQ(EncodedPicture::FromBytes(BytesOf(screenTooLarge)).GetStatus(), Status::OutOfMemory);
  EXPECT_EQ(Bitmap::FromMemory(std::span(reinterpret_cast<const uint8_t*>(screenTooLarge.data()),
                                         screenTooLarge.size()))
                ->GetLastStatus(),
            Status::OutOfMemory);
}

}  // namespace
}  // namespace varn::imaging
