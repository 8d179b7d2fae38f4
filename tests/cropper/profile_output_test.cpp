// Where each profile picture is cut from the full-size picture.
#include "cropper/profile_output.h"

#include <gtest/gtest.h>

#include "tests/cropper/geometry_printing.h"

namespace varn::cropper {
namespace {

using imaging::Rect;

struct RegionCase {
  const char* what;
  CropSelection selection;
  uint32_t pictureWidth, pictureHeight;
  int32_t clientWidth, clientHeight;
  Rect square, rectangle;
};

TEST(SourceRegion, MapsTheSelectionOntoThePicture) {
  // clang-format off
  const RegionCase kCases[] = {
      {"centred", {{176, 77, 324, 297}, 0}, 1000, 750, 500, 375,
       {352, 154, 296, 296}, {352, 154, 296, 440}},
      // (77 + 72) x 750 / 375
      {"square lowered", {{176, 77, 324, 297}, 72}, 1000, 750, 500, 375,
       {352, 298, 296, 296}, {352, 154, 296, 440}},
      // Heights scale by the horizontal factor: 220 x 3 / 2, not 220 x 3.
      {"other proportions", {{0, 0, 148, 220}, 0}, 750, 1500, 500, 500,
       {0, 0, 222, 222}, {0, 0, 222, 330}},
      // Kept inside a window smaller than itself, the selection sticks out to
      // the left and the top; only its part in the window maps.
      {"window too small", {{-48, -120, 100, 100}, 0}, 1000, 750, 100, 100,
       {0, 0, 1000, 750}, {0, 0, 1000, 750}},
      // A square reaching below the picture moves back up.
      {"past the bottom", {{0, 150, 100, 250}, 0}, 1000, 500, 500, 250,
       {0, 300, 200, 200}, {0, 300, 200, 200}},
      {"empty rectangle", {{250, 0, 250, 1}, 0}, 4000, 3, 500, 1,
       {2000, 0, 1, 1}, {2000, 0, 1, 3}},
  };
  // clang-format on
  for (const RegionCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const auto square = SourceRegion(c.selection, OutputSource::kSquare, c.pictureWidth,
                                     c.pictureHeight, c.clientWidth, c.clientHeight);
    const auto rectangle = SourceRegion(c.selection, OutputSource::kRectangle, c.pictureWidth,
                                        c.pictureHeight, c.clientWidth, c.clientHeight);
    ASSERT_TRUE(square && rectangle);
    EXPECT_EQ(*square, c.square);
    EXPECT_EQ(*rectangle, c.rectangle);
  }
}

TEST(SourceRegion, NoneWithoutAClientAreaOrAPicture) {
  const CropSelection selection{{176, 77, 324, 297}, 0};
  EXPECT_FALSE(SourceRegion(selection, OutputSource::kSquare, 1000, 750, 0, 375));
  EXPECT_FALSE(SourceRegion(selection, OutputSource::kSquare, 1000, 750, 500, 0));
  EXPECT_FALSE(SourceRegion(selection, OutputSource::kRectangle, 0, 750, 500, 375));
}

}  // namespace
}  // namespace varn::cropper
