// Small helpers for building tiny pictures and reading their pixels.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/imaging/bitmap.h"

namespace varn::imaging::testing {

inline ARGB PixelAt(const Bitmap& bitmap, int32_t x, int32_t y) {
  ARGB color = 0xDEADBEEF;
  bitmap.GetPixel(x, y, &color);
  return color;
}

inline void FillBitmap(Bitmap& bitmap, ARGB color) {
  for (uint32_t y = 0; y < bitmap.GetHeight(); ++y) {
    for (uint32_t x = 0; x < bitmap.GetWidth(); ++x) {
      bitmap.SetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), color);
    }
  }
}

// Each pixel its own colour, so moved pixels can be traced.
inline ARGB Tag(int32_t x, int32_t y) {
  return 0xFF000000u | (static_cast<uint32_t>(x) << 16) | (static_cast<uint32_t>(y) << 8) | 0x5A;
}

inline void FillTagged(Bitmap& bitmap) {
  for (uint32_t y = 0; y < bitmap.GetHeight(); ++y) {
    for (uint32_t x = 0; x < bitmap.GetWidth(); ++x) {
      const auto ix = static_cast<int32_t>(x);
      const auto iy = static_cast<int32_t>(y);
      bitmap.SetPixel(ix, iy, Tag(ix, iy));
    }
  }
}

inline bool Near(uint32_t a, uint32_t b, uint32_t tolerance) {
  return (a > b ? a - b : b - a) <= tolerance;
}

inline bool ChannelsNear(ARGB a, ARGB b, uint32_t tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    if (!Near((a >> shift) & 0xFF, (b >> shift) & 0xFF, tolerance)) return false;
  }
  return true;
}

// A folder of its own under the suite's TMPDIR.
inline std::filesystem::path ScratchDir() {
  const char* base = std::getenv("TMPDIR");
  std::filesystem::path dir = std::filesystem::path(base ? base : "/tmp") / "imaging-scratch";
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace varn::imaging::testing
