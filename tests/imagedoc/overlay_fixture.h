// Shared set-up for the tests of texts, balloons, signatures and stamps:
// plain pictures whose every pixel is known, and comparisons of renderings
// with and without an overlay.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "tests/imagedoc/history_fixture.h"

namespace varn::imagedoc::testing {

inline constexpr ARGB kWhite = 0xFFFFFFFFu;

// A one-colour PNG, written once per size and colour.
inline std::string PlainFile(int32_t width, int32_t height, ARGB color) {
  const std::string path =
      (ScratchDir() / ("plain" + std::to_string(width) + "x" + std::to_string(height) + "_" +
                       std::to_string(color) + ".png"))
          .string();
  if (std::filesystem::exists(path)) return path;
  Bitmap picture(width, height, imaging::PixelFormat::Format32bppARGB);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) picture.SetPixel(x, y, color);
  }
  EXPECT_EQ(picture.Save(path, imaging::kPngEncoderClsid), imaging::Status::Ok);
  return path;
}

inline int32_t Channel(ARGB color, int shift) {
  return static_cast<int32_t>((color >> shift) & 0xFF);
}

// Largest difference of the red, green and blue channels.
inline int32_t ColorDistance(ARGB a, ARGB b) {
  int32_t largest = 0;
  for (const int shift : {0, 8, 16}) {
    largest = std::max(largest, std::abs(Channel(a, shift) - Channel(b, shift)));
  }
  return largest;
}

// The smallest rectangle holding every pixel that differs between two
// renderings of one size; empty when none does.
inline imaging::Rect ChangedArea(const Bitmap& before, const Bitmap& after) {
  int32_t left = INT32_MAX;
  int32_t top = INT32_MAX;
  int32_t right = -1;
  int32_t bottom = -1;
  for (int32_t y = 0; y < static_cast<int32_t>(after.GetHeight()); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(after.GetWidth()); ++x) {
      if (PixelAt(before, x, y) == PixelAt(after, x, y)) continue;
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

// A history of a plain white picture with helpers to place overlays.
class OverlayTest : public HistoryTest {
 protected:
  void SetUp() override { LoadPlain(470, 352); }
  void LoadPlain(int32_t width, int32_t height, ARGB color = kWhite) {
    imaging::Status status = imaging::Status::GenericError;
    history = CImageHistory::FromFile(PlainFile(width, height, color), &status);
    ASSERT_EQ(status, imaging::Status::Ok);
  }
  // An item placed straight into the current state (the steps that make
  // items are tested with the node's settings).
  TextItem& AddText(std::u16string text, int32_t cartoonIndex, float x, float y) {
    TextItem item;
    item.x = x;
    item.y = y;
    item.cartoonIndex = cartoonIndex;
    item.text = std::move(text);
    Node().textItems.push_back(std::move(item));
    Node().renderedImage.reset();
    return Node().textItems.back();
  }
  // The state rendered as for the upload: no selection marks.
  std::unique_ptr<Bitmap> Plain() {
    EXPECT_TRUE(Node().RedrawImage(true, false));
    return Node().renderedImage
               ? Node().renderedImage->Clone()
               : std::make_unique<Bitmap>(1, 1, imaging::PixelFormat::Format24bppRGB);
  }
};

}  // namespace varn::imagedoc::testing
