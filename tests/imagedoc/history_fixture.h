// Shared set-up for the picture document engine's tests: patterned pictures
// written once per size to the suite's scratch folder, histories loaded from
// them, and pixel helpers for small checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "common/imaging_startup.h"
#include "imagedoc/history_node.h"
#include "imagedoc/image_history.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/image_codec.h"
#include "tests/platform/imaging/pixel_helpers.h"

namespace varn::imagedoc::testing {

using imaging::ARGB;
using imaging::Bitmap;
using imaging::testing::PixelAt;
using imaging::testing::ScratchDir;

// Smooth ramps in every channel, distinct enough that a turned, shifted or
// wrongly scaled picture shows.
inline ARGB PatternColor(int32_t x, int32_t y, int32_t width, int32_t height) {
  const auto red = static_cast<uint32_t>(x * 255 / width);
  const auto green = static_cast<uint32_t>(y * 255 / height);
  const auto blue = static_cast<uint32_t>((x + 2 * y) % 256);
  return 0xFF000000u | red << 16 | green << 8 | blue;
}

// A lossless picture of the pattern, so every decode gives the same pixels.
inline std::string PatternFile(int32_t width, int32_t height) {
  static std::map<std::pair<int32_t, int32_t>, std::string> made;
  std::string& path = made[{width, height}];
  if (!path.empty()) return path;
  Bitmap picture(width, height, imaging::PixelFormat::Format24bppRGB);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) picture.SetPixel(x, y, PatternColor(x, y, width, height));
  }
  path =
      (ScratchDir() / ("pattern" + std::to_string(width) + "x" + std::to_string(height) + ".png"))
          .string();
  EXPECT_EQ(picture.Save(path, imaging::kPngEncoderClsid), imaging::Status::Ok);
  return path;
}

inline ::testing::AssertionResult SamePixels(const Bitmap& a, const Bitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
    return ::testing::AssertionFailure() << "sizes " << a.GetWidth() << "x" << a.GetHeight()
                                         << " and " << b.GetWidth() << "x" << b.GetHeight();
  }
  for (int32_t y = 0; y < static_cast<int32_t>(a.GetHeight()); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(a.GetWidth()); ++x) {
      if (PixelAt(a, x, y) != PixelAt(b, x, y)) {
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") " << std::hex
                                             << PixelAt(a, x, y) << " and " << PixelAt(b, x, y);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

inline imaging::Size SizeOf(const Bitmap* bitmap) {
  if (!bitmap) return {};
  return {static_cast<int32_t>(bitmap->GetWidth()), static_cast<int32_t>(bitmap->GetHeight())};
}

// A history of a patterned picture; Node() is its current state.
class HistoryTest : public ::testing::Test {
 protected:
  void Load(int32_t width, int32_t height) {
    imaging::Status status = imaging::Status::GenericError;
    history = CImageHistory::FromFile(PatternFile(width, height), &status);
    ASSERT_EQ(status, imaging::Status::Ok);
    ASSERT_NE(history, nullptr);
  }
  void SetUp() override { Load(400, 300); }

  CHistoryNode& Node() { return history->Current(); }
  const Bitmap& Rendered() {
    const Bitmap* image = Node().GetRenderedImage();
    EXPECT_NE(image, nullptr);
    static const Bitmap kNone(1, 1, imaging::PixelFormat::Format24bppRGB);
    return image ? *image : kNone;
  }
  // A copy of the current rendering, to compare after later steps.
  std::unique_ptr<Bitmap> Snapshot() { return Rendered().Clone(); }

  ImagingScope imaging;
  std::unique_ptr<CImageHistory> history;
};

}  // namespace varn::imagedoc::testing
