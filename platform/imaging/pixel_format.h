// The two pixel formats the controls use. Both are read and written as one
// uint32 0xAARRGGBB per pixel through locked rows; a 24bpp bitmap is stored
// with alpha 0xFF and stays opaque whatever is written into it.
#pragma once

#include <cstdint>

namespace varn::imaging {

enum class PixelFormat : int32_t {
  Undefined = 0,
  Format24bppRGB = 0x00021808,
  Format32bppARGB = 0x0026200A,
};

constexpr bool IsSupportedPixelFormat(PixelFormat format) {
  return format == PixelFormat::Format24bppRGB || format == PixelFormat::Format32bppARGB;
}

}  // namespace varn::imaging
