// Starting the imaging runtime up and shutting it down: tokens, what text
// needs from it, and the platform it picks.
#include "platform/imaging/imaging_startup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/imaging/font.h"
#include "platform/imaging/graphics.h"
#include "tests/platform/imaging/pixel_helpers.h"

namespace varn::imaging {
namespace {

using testing::PixelAt;

TEST(ImagingStartup, StartsStopsAndStartsAgain) {
  ASSERT_FALSE(IsImagingGuiAvailable());
  EXPECT_EQ(FontFamily(u"DejaVu Sans").GetLastStatus(), Status::GdiplusNotInitialized);
  ImagingToken first = 0;
  ASSERT_EQ(StartImaging(&first), Status::Ok);
  EXPECT_NE(first, 0u);
  EXPECT_TRUE(IsImagingGuiAvailable());
  ImagingToken second = 0;
  ASSERT_EQ(StartImaging(&second), Status::Ok);
  EXPECT_NE(second, first);
  ShutdownImaging(first);
  ShutdownImaging(first);
  EXPECT_TRUE(IsImagingGuiAvailable());
  ShutdownImaging(second);
  EXPECT_FALSE(IsImagingGuiAvailable());

  Bitmap bitmap(4, 4, PixelFormat::Format24bppRGB);
  Graphics graphics(bitmap);
  RectF box;
  const FontFamily unavailable(u"DejaVu Sans");
  EXPECT_EQ(graphics.MeasureString(u"x", Font(unavailable, 10), RectF{}, nullptr, &box),
            Status::GdiplusNotInitialized);

  ImagingToken again = 0;
  ASSERT_EQ(StartImaging(&again), Status::Ok);
  EXPECT_EQ(FontFamily(u"DejaVu Sans").GetLastStatus(), Status::Ok);
  EXPECT_EQ(
      graphics.MeasureString(u"x", Font(FontFamily(u"DejaVu Sans"), 10), RectF{}, nullptr, &box),
      Status::Ok);
  // The Graphics that measured text outlives the runtime and is used again.
  ShutdownImaging(again);
  EXPECT_FALSE(IsImagingGuiAvailable());
  EXPECT_EQ(
      graphics.MeasureString(u"x", Font(FontFamily(u"DejaVu Sans"), 10), RectF{}, nullptr, &box),
      Status::GdiplusNotInitialized);
  EXPECT_EQ(graphics.FillRectangle(SolidBrush(0xFFFF0000), Rect{0, 0, 2, 2}), Status::Ok);
  EXPECT_EQ(PixelAt(bitmap, 1, 1), 0xFFFF0000u);
  ShutdownImaging(0);
  EXPECT_EQ(StartImaging(nullptr), Status::InvalidParameter);
}

// Remembers environment variables and puts them back.
class SavedEnvironment {
 public:
  explicit SavedEnvironment(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  ~SavedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(ImagingStartup, ChoosesTheOffscreenPlatformWithoutADisplay) {
  const SavedEnvironment saved{"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
  unsetenv("QT_QPA_PLATFORM");
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  ImagingToken token = 0;
  ASSERT_EQ(StartImaging(&token), Status::Ok);
  ShutdownImaging(token);
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  ASSERT_NE(chosen, nullptr);
  EXPECT_STREQ(chosen, "offscreen");
  setenv("QT_QPA_PLATFORM", "minimal", 1);
  ASSERT_EQ(StartImaging(&token), Status::Ok);
  ShutdownImaging(token);
  EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "minimal");
}

}  // namespace
}  // namespace varn::imaging
