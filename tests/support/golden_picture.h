// Rendered pictures compared with reviewed PNGs kept in the tree.
//
//   EXPECT_TRUE(MatchesGolden(picture, GoldenPath("frame_3.png"), kTolerance));
//
// A pixel matches when each of its four channels lies within the channel
// tolerance of the golden one; at most `pixels` pixels may miss. On a
// mismatch the actual and expected pictures, and the two side by side with
// their difference, are written to a folder the failure names:
// $VARN_GOLDEN_OUT, else $TMPDIR/golden-failures (CTest gives every suite its
// own TMPDIR).
//
// To make or refresh goldens after a deliberate change, run the suite with
// VARN_UPDATE_GOLDEN=1: each compared picture is then written over its golden
// and the comparison passes. Review the new PNGs before committing them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/image_codec.h"

namespace varn::testing {

struct GoldenTolerance {
  // Largest difference allowed in any channel of a matching pixel.
  int32_t channel = 0;
  // How many pixels may differ by more.
  int32_t pixels = 0;
};

// tests/data/golden/<name>, found from the suite's data folder
// (tests/<area>/data, or deeper for nested areas).
inline std::filesystem::path GoldenPath(std::string_view name) {
  std::filesystem::path tests = std::filesystem::path(VARN_TEST_DATA_DIR).lexically_normal();
  while (tests.has_relative_path() && tests.filename() != "tests") tests = tests.parent_path();
  return tests / "data" / "golden" / name;
}

inline bool UpdatingGoldens() {
  const char* flag = std::getenv("VARN_UPDATE_GOLDEN");
  return flag != nullptr && std::string_view(flag) == "1";
}

inline std::filesystem::path GoldenFailureDir() {
  if (const char* out = std::getenv("VARN_GOLDEN_OUT"); out != nullptr && *out != '\0') {
    return out;
  }
  const char* tmp = std::getenv("TMPDIR");
  return std::filesystem::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") / "golden-failures";
}

// The largest difference between a and b in any of their four channels.
inline int32_t ChannelDifference(imaging::ARGB a, imaging::ARGB b) {
  int32_t largest = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const auto ca = static_cast<int32_t>((a >> shift) & 0xFF);
    const auto cb = static_cast<int32_t>((b >> shift) & 0xFF);
    largest = std::max(largest, ca > cb ? ca - cb : cb - ca);
  }
  return largest;
}

namespace golden_detail {

inline imaging::ARGB Pixel(const imaging::Bitmap& bitmap, int32_t x, int32_t y) {
  imaging::ARGB color = 0;
  bitmap.GetPixel(x, y, &color);
  return color;
}

// Expected, actual and the difference (red where a pixel misses, gray where
// it matches) in one row, 4 pixels apart.
inline std::unique_ptr<imaging::Bitmap> SideBySide(const imaging::Bitmap& expected,
                                                   const imaging::Bitmap& actual,
                                                   int32_t tolerance) {
  const auto ew = static_cast<int32_t>(expected.GetWidth());
  const auto eh = static_cast<int32_t>(expected.GetHeight());
  const auto aw = static_cast<int32_t>(actual.GetWidth());
  const auto ah = static_cast<int32_t>(actual.GetHeight());
  const int32_t dw = std::min(ew, aw);
  const int32_t dh = std::min(eh, ah);
  const int32_t width = ew + aw + dw + 8;
  const int32_t height = std::max(eh, ah);
  auto sheet =
      std::make_unique<imaging::Bitmap>(width, height, imaging::PixelFormat::Format32bppARGB);
  for (int32_t y = 0; y < eh; ++y) {
    for (int32_t x = 0; x < ew; ++x) sheet->SetPixel(x, y, Pixel(expected, x, y));
  }
  for (int32_t y = 0; y < ah; ++y) {
    for (int32_t x = 0; x < aw; ++x) sheet->SetPixel(ew + 4 + x, y, Pixel(actual, x, y));
  }
  for (int32_t y = 0; y < dh; ++y) {
    for (int32_t x = 0; x < dw; ++x) {
      const bool miss = ChannelDifference(Pixel(expected, x, y), Pixel(actual, x, y)) > tolerance;
      sheet->SetPixel(ew + aw + 8 + x, y, miss ? 0xFFFF0000u : 0xFFD0D0D0u);
    }
  }
  return sheet;
}

}  // namespace golden_detail

// Compares picture with the PNG at golden (or writes it there when
// VARN_UPDATE_GOLDEN=1).
inline ::testing::AssertionResult MatchesGolden(const imaging::Bitmap& picture,
                                                const std::filesystem::path& golden,
                                                GoldenTolerance tolerance) {
  using golden_detail::Pixel;
  if (picture.GetWidth() == 0) return ::testing::AssertionFailure() << "no picture to compare";
  if (UpdatingGoldens()) {
    std::filesystem::create_directories(golden.parent_path());
    if (picture.Save(golden.string(), imaging::kPngEncoderClsid) != imaging::Status::Ok) {
      return ::testing::AssertionFailure() << "cannot write golden " << golden;
    }
    return ::testing::AssertionSuccess() << "golden written";
  }

  const std::unique_ptr<imaging::Bitmap> expected = imaging::Bitmap::FromFile(golden.string());
  const std::filesystem::path outDir = GoldenFailureDir();
  const std::string stem = golden.stem().string();
  const std::filesystem::path actualPath = outDir / (stem + "-actual.png");
  const std::filesystem::path expectedPath = outDir / (stem + "-expected.png");
  const std::filesystem::path sheetPath = outDir / (stem + "-side-by-side.png");
  std::filesystem::create_directories(outDir);

  std::string problem;
  if (expected->GetWidth() == 0) {
    problem = "golden " + golden.string() +
              " cannot be read (run with VARN_UPDATE_GOLDEN=1 to "
              "make it)";
  } else if (expected->GetWidth() != picture.GetWidth() ||
             expected->GetHeight() != picture.GetHeight()) {
    problem = "size " + std::to_string(picture.GetWidth()) + "x" +
              std::to_string(picture.GetHeight()) + ", golden " +
              std::to_string(expected->GetWidth()) + "x" + std::to_string(expected->GetHeight());
  } else {
    int32_t misses = 0;
    int32_t worst = 0;
    std::string first;
    for (int32_t y = 0; y < static_cast<int32_t>(picture.GetHeight()); ++y) {
      for (int32_t x = 0; x < static_cast<int32_t>(picture.GetWidth()); ++x) {
        const imaging::ARGB a = Pixel(picture, x, y);
        const imaging::ARGB e = Pixel(*expected, x, y);
        const int32_t difference = ChannelDifference(a, e);
        if (difference <= tolerance.channel) continue;
        if (misses++ == 0) {
          char text[96];
          std::snprintf(text, sizeof text, "first at (%d, %d): %08X, golden %08X", x, y, a, e);
          first = text;
        }
        worst = std::max(worst, difference);
      }
    }
    if (misses <= tolerance.pixels) return ::testing::AssertionSuccess();
    problem = std::to_string(misses) + " pixels differ by more than " +
              std::to_string(tolerance.channel) + " (at most " + std::to_string(worst) + "), " +
              first;
  }

  picture.Save(actualPath.string(), imaging::kPngEncoderClsid);
  if (expected->GetWidth() > 0) {
    expected->Save(expectedPath.string(), imaging::kPngEncoderClsid);
    golden_detail::SideBySide(*expected, picture, tolerance.channel)
        ->Save(sheetPath.string(), imaging::kPngEncoderClsid);
  }
  return ::testing::AssertionFailure()
         << golden.filename().string() << ": " << problem << "\n  pictures written to "
         << outDir.string() << "/" << stem << "-{actual,expected,side-by-side}.png";
}

}  // namespace varn::testing
