// The picture editor on a page: the control harness with the editor's own
// steps (adding a picture through the scripted file dialog, reading its
// state), and pictures written for the tests as files a member would pick.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "imageedit/image_edit_control.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/image_codec.h"
#include "platform/system/utf_convert.h"
#include "tests/platform/system/scratch_directory.h"
#include "tests/support/control_harness.h"

namespace varn::imageedit::testing {

using varn::testing::Event;
using varn::testing::Events;
using varn::testing::Hosting;

inline constexpr uint32_t kWhite = 0xFFFFFFFFu;
inline constexpr uint32_t kRed = 0xFFFF0000u;
inline constexpr uint32_t kGreen = 0xFF00FF00u;
inline constexpr uint32_t kBlue = 0xFF0000FFu;

class Editor : public varn::testing::ControlHarness<CImageEditControl> {
 public:
  using ControlHarness::ControlHarness;

  // AddImage with the member picking path in the dialog.
  HRESULT Add(const std::string& path) {
    Dialogs().ChooseFile(system::Utf8ToUtf16(path));
    return Call(kDispAddImage);
  }
  imagedoc::CHistoryNode& Node(int32_t index) { return Control().ImageAt(index).Current(); }
  imagedoc::CHistoryNode& Current() { return Node(GetInt(kDispImageIndex)); }
  std::string Text(DISPID dispid) {
    return system::Utf16ToUtf8(GetText(dispid).value_or(u"<null>"));
  }
  std::string Favorite(int32_t index) {
    varn::testing::OutText color;
    EXPECT_EQ(Call(kDispGetFavoriteColor, {varn::testing::I4(index), color.Arg()}), S_OK);
    return system::Utf16ToUtf8(color.Value().value_or(u"<null>"));
  }
  int32_t EffectFlags() {
    varn::testing::OutInt flags;
    EXPECT_EQ(Call(kDispGetEffectFlag, {flags.Arg()}), S_OK);
    return flags.Value();
  }
};

// A picture whose every pixel is colorAt(x, y), written as PNG (or another
// encoder's format); the path.
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

// Picture tests share a folder of pictures and an editor on a page.
class EditorTest : public ::testing::Test {
 protected:
  std::string Picture(const std::string& name, int32_t width = 200, int32_t height = 150,
                      uint32_t color = kWhite) {
    return WriteSolidPicture(scratch / name, width, height, color);
  }
  // Adds n fresh pictures of distinct colours and forgets their events.
  void AddPictures(int n) {
    const uint32_t colors[] = {kRed, kGreen, kBlue, kWhite};
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(
          editor.Add(Picture("p" + std::to_string(i) + ".png", 200 + 10 * i, 150, colors[i % 4])),
          S_OK);
    }
    editor.TakeEvents();
  }

  system::testing::ScratchDirectory scratch;
  Editor editor;
};

}  // namespace varn::imageedit::testing
