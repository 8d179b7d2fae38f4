// What the cropper paints: the picture darkened by a constant-alpha blend,
// the selection bright with a white outline, a focus rectangle round the
// square and four white handles; white without a picture.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/cropper/cropper_page.h"

namespace varn::cropper::testing {
namespace {

using system::testing::ScratchDirectory;

constexpr uint32_t kPhoto = 0xFF3C78B4u;
// kPhoto at 96 of 255 over black: (60, 120, 180) x 96 / 255, rounded.
constexpr uint32_t kDarkened = 0xFF172D44u;
// The focus rectangle's dots invert what they cover.
constexpr uint32_t kInverted = 0xFFC3874Bu;
constexpr uint32_t kBlack = 0xFF000000u;

TEST(CropperPaint, DarkensAroundTheBrightSelectionWithOutlineFocusAndHandles) {
  ScratchDirectory scratch;
  Cropper cropper;
  cropper.Load(WriteSolidPicture(scratch / "photo.png", 1000, 750, kPhoto));
  cropper.Resize(500, 375);
  cropper.Paint(500, 375);
  // Selection (176, 77, 324, 297), square (176, 77, 324, 225).
  struct Case {
    const char* what;
    int32_t x, y;
    uint32_t color;
  };
  const Case kCases[] = {
      {"outside", 50, 50, kDarkened},
      {"outside, right", 499, 374, kDarkened},
      {"inside", 250, 150, kPhoto},
      {"inside, below the square", 250, 260, kPhoto},
      {"left outline", 176, 261, kWhite},
      {"right outline", 323, 261, kWhite},
      {"bottom outline", 250, 296, kWhite},
      {"beside the outline", 175, 261, kDarkened},
      {"square's bottom, a dot", 250, 224, kInverted},
      {"square's bottom, between dots", 251, 224, kPhoto},
      {"square's side over the outline, a dot", 176, 150, kBlack},
      {"square's side over the outline, between", 176, 151, kWhite},
      {"top-left handle", 173, 74, kWhite},
      {"top-right handle", 326, 79, kWhite},
      {"bottom-right handle", 326, 299, kWhite},
      {"bottom-left handle", 173, 299, kWhite},
      {"past a handle", 172, 74, kDarkened},
      {"inside, past the handle", 179, 80, kPhoto},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(cropper.At(c.x, c.y), c.color) << c.what << std::hex << " " << cropper.At(c.x, c.y);
  }
}

TEST(CropperPaint, WhiteWithoutAPicture) {
  Cropper cropper;
  cropper.Resize(200, 150);
  const std::vector<uint32_t>& picture = cropper.Paint(200, 150);
  EXPECT_TRUE(std::all_of(picture.begin(), picture.end(), [](uint32_t c) { return c == kWhite; }));
}

}  // namespace
}  // namespace varn::cropper::testing
