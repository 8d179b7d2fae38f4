// The cropper on a page: the control harness with what only the cropper has
// (loading a picture, Save's answer, its key messages), and photographs made
// for the tests, written as files a page would name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "cropper/profile_image_cropper.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/image_codec.h"
#include "platform/system/utf_convert.h"
#include "tests/cropper/geometry_printing.h"
#include "tests/platform/system/scratch_directory.h"
#include "tests/support/control_harness.h"

namespace varn::cropper::testing {

using varn::testing::Event;
using varn::testing::Events;
using varn::testing::Hosting;

inline constexpr uint32_t kWhite = 0xFFFFFFFFu;
inline constexpr uint32_t kRed = 0xFFFF0000u;
inline constexpr uint32_t kGreen = 0xFF00FF00u;
inline constexpr uint32_t kBlue = 0xFF0000FFu;

class Cropper : public varn::testing::ControlHarness<CProfileImageCropper> {
 public:
  using ControlHarness::ControlHarness;

  const CropSelection& Selection() { return Control().Selection(); }
  const RECT& Rect() { return Control().Selection().rect; }

  HRESULT Load(const std::string& path) { return PutText(kDispProfileImagePath, path); }

  // Save's answer through its out parameter.
  bool Save() {
    VARIANT_BOOL saved = 1;
    VARIANT out{};
    out.vt = VT_BYREF | VT_BOOL;
    out.pboolVal = &saved;
    EXPECT_EQ(Call(kDispSave, {out}), S_OK);
    EXPECT_TRUE(saved == VARIANT_TRUE || saved == VARIANT_FALSE);
    return saved == VARIANT_TRUE;
  }
  std::string OutputPath(DISPID dispid) {
    return system::Utf16ToUtf8(GetText(dispid).value_or(u"<null>"));
  }

  // A key pressed and let go, as the host delivers keys to a focused
  // windowless control; with shift, inside Shift's own press and release.
  void Key(WPARAM key, bool shift = false) {
    if (shift) SendKey(WM_KEYDOWN, VK_SHIFT);
    SendKey(WM_KEYDOWN, key);
    SendKey(WM_KEYUP, key);
    if (shift) SendKey(WM_KEYUP, VK_SHIFT);
  }
  HRESULT SendKey(UINT message, WPARAM key) {
    LRESULT ignored = 0;
    return As<IOleInPlaceObjectWindowless>()->OnWindowMessage(message, key, 1, &ignored);
  }
};

// A picture whose every pixel is colorAt(x, y), written as PNG (or JPEG of
// quality 100); the path.
inline std::string WritePicture(const std::string& path, int32_t width, int32_t height,
                                const std::function<uint32_t(int32_t, int32_t)>& colorAt,
                                const CLSID& encoder = imaging::kPngEncoderClsid) {
  imaging::Bitmap picture(width, height, imaging::PixelFormat::Format24bppRGB);
  imaging::BitmapData data;
  EXPECT_EQ(picture.LockBits({0, 0, width, height}, imaging::ImageLockMode::Write,
                             imaging::PixelFormat::Format24bppRGB, &data),
            imaging::Status::Ok);
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* row = data.Row(y);
    for (int32_t x = 0; x < width; ++x) row[x] = colorAt(x, y);
  }
  picture.UnlockBits(&data);
  const imaging::EncoderParameters quality{100};
  EXPECT_EQ(picture.Save(path, encoder, &quality), imaging::Status::Ok) << path;
  return path;
}

inline std::string WriteSolidPicture(const std::string& path, int32_t width, int32_t height,
                                     uint32_t color = kWhite) {
  return WritePicture(path, width, height, [color](int32_t, int32_t) { return color; });
}

// Channels within tolerance of each other; JPEG and filtering shift them a
// little.
inline bool Near(uint32_t actual, uint32_t expected, int tolerance = 24) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    if (a - e > tolerance || e - a > tolerance) return false;
  }
  return true;
}

inline uint32_t PixelOf(const imaging::Bitmap& bitmap, int32_t x, int32_t y) {
  imaging::ARGB color = 0x12345678u;
  bitmap.GetPixel(x, y, &color);
  return color;
}

}  // namespace varn::cropper::testing
