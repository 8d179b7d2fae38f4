#include <algorithm>

#include "drawing/drawing_tools.h"
#include "drawing/tool_pixels.h"

namespace varn::drawing {

namespace {

using imaging::ARGB;

int32_t ClampByte(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, 255)); }

// The block centred on (cx, cy) of the source, written to the destination's
// pixel there.
ARGB FilterPixel(const imaging::BitmapData& source, const FilterKernel& kernel, int32_t cx,
                 int32_t cy, ARGB current) {
  int64_t sumA = 0, sumR = 0, sumG = 0, sumB = 0;
  int64_t weightLeftOut = 0;
  for (int32_t dy = 0; dy < 3; ++dy) {
    const uint32_t* row = source.ConstRow(cy + dy - 1) + (cx - 1);
    for (int32_t dx = 0; dx < 3; ++dx) {
      const ARGB p = row[dx];
      const int64_t weight = kernel.weights[dy][dx];
      const uint32_t alpha = imaging::GetAlpha(p);
      sumA += weight * alpha;
      // A fully transparent pixel's colour means nothing and must not bleed.
      if (alpha == 0) {
        weightLeftOut += weight;
        continue;
      }
      sumR += weight * imaging::GetRed(p);
      sumG += weight * imaging::GetGreen(p);
      sumB += weight * imaging::GetBlue(p);
    }
  }
  const int64_t divisor = kernel.divisor;
  const int32_t alpha = ClampByte(sumA / divisor + kernel.bias);
  const int64_t colourDivisor = divisor - weightLeftOut;
  if (colourDivisor <= 0) return (static_cast<ARGB>(alpha) << 24) | (current & 0x00FFFFFF);
  return imaging::MakeARGB(static_cast<uint32_t>(alpha),
                           static_cast<uint32_t>(ClampByte(kernel.bias + sumR / colourDivisor)),
                           static_cast<uint32_t>(ClampByte(kernel.bias + sumG / colourDivisor)),
                           static_cast<uint32_t>(ClampByte(kernel.bias + sumB / colourDivisor)));
}

}  // namespace

FilterKernel KernelForEffect(int32_t effectType) {
  switch (effectType) {
    case kEffectBlur:
      return FilterKernel{{{1, 1, 1}, {1, 8, 1}, {1, 1, 1}}, 16, 0};
    case kEffectSharpen:
      return FilterKernel{{{0, -1, 0}, {-1, 8, -1}, {0, -1, 0}}, 4, 0};
    default:
      return FilterKernel{{{0, 0, 0}, {0, 1, 0}, {0, 0, 0}}, 1, 0};
  }
}

void FilterSquare(const imaging::BitmapData& source, imaging::BitmapData& destination,
                  const FilterKernel& kernel, int64_t left, int64_t top, int64_t side) {
  if (kernel.divisor == 0 || side <= 0) return;
  if (source.Width != destination.Width || source.Height != destination.Height) return;
  int64_t width = side;
  int64_t height = side;
  // Cut at the left and top edges, then at the right and bottom ones.
  if (left < 0) {
    width += left;
    left = 0;
  }
  if (top < 0) {
    height += top;
    top = 0;
  }
  width = std::min<int64_t>(width, int64_t{source.Width} - left);
  height = std::min<int64_t>(height, int64_t{source.Height} - top);
  if (width < 3 || height < 3) return;
  const auto x0 = static_cast<int32_t>(left);
  const auto y0 = static_cast<int32_t>(top);
  const auto x1 = static_cast<int32_t>(left + width - 1);
  const auto y1 = static_cast<int32_t>(top + height - 1);
  for (int32_t cy = y0 + 1; cy < y1; ++cy) {
    uint32_t* out = destination.Row(cy);
    if (out == nullptr) return;
    for (int32_t cx = x0 + 1; cx < x1; ++cx) {
      out[cx] = FilterPixel(source, kernel, cx, cy, out[cx]);
    }
  }
}

void ApplyFilter3x3(imaging::Bitmap& destination, imaging::Bitmap& source,
                    const FilterKernel& kernel, int32_t left, int32_t top, int32_t side) {
  if (&destination == &source) return;
  if (kernel.divisor == 0 || side <= 0) return;
  if (destination.GetWidth() != source.GetWidth() ||
      destination.GetHeight() != source.GetHeight()) {
    return;
  }
  const imaging::Rect whole{0, 0, static_cast<int32_t>(source.GetWidth()),
                            static_cast<int32_t>(source.GetHeight())};
  if (whole.IsEmptyArea()) return;
  imaging::BitmapData in;
  imaging::BitmapData out;
  if (source.LockBits(whole, imaging::ImageLockMode::Read, imaging::PixelFormat::Format32bppARGB,
                      &in) != imaging::Status::Ok) {
    return;
  }
  if (destination.LockBits(whole, imaging::ImageLockMode::ReadWrite,
                           imaging::PixelFormat::Format32bppARGB, &out) != imaging::Status::Ok) {
    source.UnlockBits(&in);
    return;
  }
  FilterSquare(in, out, kernel, left, top, side);
  destination.UnlockBits(&out);
  source.UnlockBits(&in);
}

}  // namespace varn::drawing
