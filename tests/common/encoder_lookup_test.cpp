#include "common/encoder_lookup.h"

#include <gtest/gtest.h>

#include "platform/imaging/image_codec.h"

namespace varn {
namespace {

constexpr CLSID kUntouched{0xDEADBEEF, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};

TEST(EncoderLookup, FindsTheEncodersCallersAskFor) {
  const auto& encoders = imaging::GetImageEncoders();
  CLSID png = kUntouched;
  const int pngIndex = FindEncoderByMimeType(u"image/png", &png);
  ASSERT_GE(pngIndex, 0);
  EXPECT_EQ(encoders[static_cast<std::size_t>(pngIndex)].MimeType, u"image/png");
  EXPECT_EQ(png, imaging::kPngEncoderClsid);

  CLSID jpeg = kUntouched;
  const int jpegIndex = FindEncoderByMimeType(u"image/jpeg", &jpeg);
  ASSERT_GE(jpegIndex, 0);
  EXPECT_EQ(jpeg, imaging::kJpegEncoderClsid);
  EXPECT_NE(jpegIndex, pngIndex);
  EXPECT_EQ(FindEncoderByMimeType(u"image/jpeg", nullptr), jpegIndex);
}

TEST(EncoderLookup, OnlyAnExactMatchCounts) {
  for (const std::u16string_view mime :
       {u"image/PNG", u"Image/png", u"image/pn", u"image/png ", u"image/jpg", u""}) {
    CLSID clsid = kUntouched;
    EXPECT_EQ(FindEncoderByMimeType(mime, &clsid), -1);
    EXPECT_EQ(clsid, kUntouched);
  }
}

}  // namespace
}  // namespace varn
