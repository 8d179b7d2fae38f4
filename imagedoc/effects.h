// Whole-picture filters a history node lists by code, applied in place to a
// 24bpp rendered image. Every filter locks the whole picture once and works
// over its rows; a picture that cannot be locked is left as it is.
#pragma once

#include <array>
#include <cstdint>

#include "platform/imaging/bitmap.h"

namespace varn::imagedoc {

enum EffectCode : int32_t {
  kEffectSoften = 0,
  kEffectSharpen = 1,
  kEffectGrayscale = 2,
  kEffectAutoLevels = 3,
  kEffectAutoContrast = 4,
};

// A 3 x 3 kernel: each channel becomes trunc(sum of weight x neighbour /
// divisor) + offset, clamped to 0..255. Identity when fresh.
struct ConvolutionMatrix {
  // Row order: top left, top, top right, left, centre, right, bottom left...
  std::array<int32_t, 9> weights{0, 0, 0, 0, 1, 0, 0, 0, 0};
  int32_t divisor = 1;
  int32_t offset = 0;
};

// 1 2 1 / 2 2 2 / 1 2 1, divisor 14.
ConvolutionMatrix SoftenMatrix();
// 0 -1 0 / -1 8 -1 / 0 -1 0, divisor 4.
ConvolutionMatrix SharpenMatrix();

// Reads every neighbourhood from the picture as it was before the call, so
// results never feed later pixels; the outermost row and column keep their
// values and a picture narrower or lower than 3 pixels is left alone. False,
// picture untouched, when the divisor is 0, the pixels cannot be locked or
// there is no memory for copies of three rows.
bool ApplyConvolution(imaging::Bitmap& picture, const ConvolutionMatrix& matrix);

// R, G and B all become trunc(0.587 G + 0.114 B + 0.299 R), the weights
// being single-precision constants.
void ApplyGrayscale(imaging::Bitmap& picture);

// Stretches each channel by its own histogram so that the darkest and the
// brightest half percent of its values become 0 and 255.
void ApplyAutoLevels(imaging::Bitmap& picture);

// The same stretch with one histogram of R, G and B together, applied to all
// three channels alike, so the colour balance stays.
void ApplyAutoContrast(imaging::Bitmap& picture);

// The effect of that code on a 24bpp picture in place; codes outside 0..4
// change nothing.
void ApplyEffect(imaging::Bitmap& picture, int32_t code);

}  // namespace varn::imagedoc
