// Colours are 32-bit ARGB values, alpha in the top byte, never premultiplied.
#pragma once

#include <cstdint>

namespace varn::imaging {

using ARGB = uint32_t;

constexpr ARGB MakeARGB(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
constexpr uint32_t GetAlpha(ARGB c) { return c >> 24; }
constexpr uint32_t GetRed(ARGB c) { return (c >> 16) & 0xFF; }
constexpr uint32_t GetGreen(ARGB c) { return (c >> 8) & 0xFF; }
constexpr uint32_t GetBlue(ARGB c) { return c & 0xFF; }

constexpr ARGB kOpaqueBlack = 0xFF000000;
constexpr ARGB kOpaqueWhite = 0xFFFFFFFF;
constexpr ARGB kTransparent = 0x00000000;

}  // namespace varn::imaging
