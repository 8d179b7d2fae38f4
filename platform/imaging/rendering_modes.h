// The drawing modes a Graphics can be set to.
#pragma once

#include <cstdint>

namespace varn::imaging {

// Default and Bilinear sample bilinearly without prefiltering; the high
// quality modes prefilter when shrinking; NearestNeighbor copies whole pixels.
enum class InterpolationMode : int32_t {
  Invalid = -1,
  Default = 0,
  LowQuality = 1,
  HighQuality = 2,
  Bilinear = 3,
  Bicubic = 4,
  NearestNeighbor = 5,
  HighQualityBilinear = 6,
  HighQualityBicubic = 7,
};

// AntiAlias and HighQuality anti-alias figures; the others do not.
enum class SmoothingMode : int32_t {
  Invalid = -1,
  Default = 0,
  HighSpeed = 1,
  HighQuality = 2,
  None = 3,
  AntiAlias = 4,
};

// SourceCopy replaces the covered pixels, alpha included, instead of blending.
enum class CompositingMode : int32_t {
  SourceOver = 0,
  SourceCopy = 1,
};

// The single-bit hints draw text without anti-aliasing.
enum class TextRenderingHint : int32_t {
  SystemDefault = 0,
  SingleBitPerPixelGridFit = 1,
  SingleBitPerPixel = 2,
  AntiAliasGridFit = 3,
  AntiAlias = 4,
  ClearTypeGridFit = 5,
};

}  // namespace varn::imaging
