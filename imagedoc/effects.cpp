#include "imagedoc/effects.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/imaging/bitmap_data.h"

namespace varn::imagedoc {

using imaging::Bitmap;
using imaging::BitmapData;

namespace {

// Inner loops run over blocks of this many elements with a fixed count, which
// the compiler turns into whole vector steps at -O2; the rest of a row goes
// one element at a time.
constexpr int32_t kBlock = 32;

// Locks the whole picture as 24bpp for reading and writing; false (nothing
// locked) when the picture is failed or busy.
bool LockWhole(Bitmap& picture, BitmapData& data) {
  const imaging::Rect whole{0, 0, static_cast<int32_t>(picture.GetWidth()),
                            static_cast<int32_t>(picture.GetHeight())};
  return picture.LockBits(whole, imaging::ImageLockMode::ReadWrite,
                          imaging::PixelFormat::Format24bppRGB, &data) == imaging::Status::Ok;
}

uint8_t ClampByte(int64_t value) {
  return static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255));
}

// ---------------------------------------------------------------- convolution

// Sums that stay within this bound fit 16-bit lanes together with the offset.
constexpr int64_t kMaxShortSum = 16000;

// A row is done in blocks of kBlockBytes output bytes. Each block first sums
// its three source rows per kernel column over kBlockSpan bytes starting
// kBlockLead before it, then adds the column sums left, centre and right of
// every output byte. Both loops have fixed counts that fill whole vectors at
// any width the compiler picks.
constexpr int32_t kBlockBytes = 128;
constexpr int32_t kBlockLead = 16;
constexpr int32_t kBlockSpan = kBlockBytes + 2 * kBlockLead;
// Zeroed bytes around each saved row, so a block may read past its ends.
constexpr int32_t kRowPadBefore = kBlockLead;
constexpr int32_t kRowPadAfter = kBlockSpan;

// A kernel whose sums all fit 16-bit lanes, with the division by the divisor
// as a multiply and shift that is exact over every sum the weights can reach.
struct ShortKernel {
  // columns[c][r]: column c (left, centre, right), row r (above, centre,
  // below); negated when the divisor is negative, so that only |divisor|
  // divides.
  std::array<std::array<int16_t, 3>, 3> columns{};
  // Left column equal to the right one: its sums serve both sides.
  bool mirrored = false;
  // A negative sum can give a visible value (a positive offset), so its
  // quotient must truncate toward zero; otherwise every negative sum ends as
  // 0 and counts as 0.
  bool signedQuotient = false;
  // trunc(a / |divisor|) == ((a << shift) * magic) >> 16 for 0 <= a <= reach:
  // one 16-bit high multiply.
  uint16_t magic = 0;
  int32_t shift = 0;
  // Clamped to a range that gives the same results and cannot overflow.
  int16_t offset = 0;
};

std::optional<ShortKernel> MakeShortKernel(const ConvolutionMatrix& matrix) {
  int64_t reach = 0;
  int64_t negativeReach = 0;
  for (int32_t weight : matrix.weights) {
    reach += (weight < 0 ? -int64_t{weight} : weight) * 255;
    if ((weight < 0) != (matrix.divisor < 0)) negativeReach += 1;
  }
  if (reach > kMaxShortSum) return std::nullopt;
  const int64_t divisor = matrix.divisor < 0 ? -int64_t{matrix.divisor} : matrix.divisor;

  ShortKernel kernel;
  for (size_t k = 0; k < 9; ++k) {
    const int32_t weight = matrix.divisor < 0 ? -matrix.weights[k] : matrix.weights[k];
    kernel.columns[k % 3][k / 3] = static_cast<int16_t>(weight);
  }
  kernel.mirrored = kernel.columns[0] == kernel.columns[2];
  // The multiplier is rounded up; one more bit of a (pre-shifted) makes room
  // for a divisor of 1, whose multiplier would be 65536.
  bool found = false;
  for (int32_t shift = 0; shift <= 1 && !found && (reach << shift) <= 0xFFFF; ++shift) {
    const int64_t magic = ((int64_t{1} << (16 - shift)) + divisor - 1) / divisor;
    if (magic > 0xFFFF) continue;
    found = true;
    for (int64_t a = 0; a <= reach && found; ++a) {
      found = (((a << shift) * magic) >> 16) == a / divisor;
    }
    if (found) {
      kernel.magic = static_cast<uint16_t>(magic);
      kernel.shift = shift;
    }
  }
  if (!found) return std::nullopt;
  const int64_t quotientReach = reach / divisor + 256;
  kernel.offset =
      static_cast<int16_t>(std::clamp<int64_t>(matrix.offset, -quotientReach, quotientReach));
  kernel.signedQuotient = negativeReach > 0 && kernel.offset > 0;
  return kernel;
}

// One row of a short kernel over the bytes of the interior pixels (alpha
// bytes included: the 24bpp lock makes them opaque again). above, centre and
// below are padded copies of the source rows, out the row written.
template <bool kMirrored, bool kSignedQuotient>
[[gnu::always_inline]] inline void ConvolveShortRowBody(const uint8_t* __restrict above,
                                                        const uint8_t* __restrict centre,
                                                        const uint8_t* __restrict below,
                                                        uint8_t* __restrict out, int32_t rowBytes,
                                                        const ShortKernel& kernel) {
  const int16_t l0 = kernel.columns[0][0], l1 = kernel.columns[0][1], l2 = kernel.columns[0][2];
  const int16_t c0 = kernel.columns[1][0], c1 = kernel.columns[1][1], c2 = kernel.columns[1][2];
  const int16_t r0 = kernel.columns[2][0], r1 = kernel.columns[2][1], r2 = kernel.columns[2][2];
  const uint32_t magic = kernel.magic;
  const int32_t shift = kernel.shift;
  const int16_t offset = kernel.offset;
  for (int32_t start = 4; start < rowBytes - 4; start += kBlockBytes) {
    alignas(64) int16_t left[kBlockSpan];
    alignas(64) int16_t middle[kBlockSpan];
    alignas(64) int16_t right[kMirrored ? 1 : kBlockSpan];
    const uint8_t* a = above + start - kBlockLead;
    const uint8_t* c = centre + start - kBlockLead;
    const uint8_t* b = below + start - kBlockLead;
    for (int32_t j = 0; j < kBlockSpan; ++j) {
      left[j] = static_cast<int16_t>(l0 * a[j] + l1 * c[j] + l2 * b[j]);
      middle[j] = static_cast<int16_t>(c0 * a[j] + c1 * c[j] + c2 * b[j]);
      if constexpr (!kMirrored) right[j] = static_cast<int16_t>(r0 * a[j] + r1 * c[j] + r2 * b[j]);
    }
    const int16_t* rightSums = kMirrored ? left : right;
    alignas(64) uint8_t result[kBlockBytes];
    for (int32_t j = 0; j < kBlockBytes; ++j) {
      const auto sum = static_cast<int16_t>(left[j + kBlockLead - 4] + middle[j + kBlockLead] +
                                            rightSums[j + kBlockLead + 4]);
      int16_t value;
      if constexpr (kSignedQuotient) {
        const auto size = static_cast<uint16_t>(sum < 0 ? -sum : sum);
        const auto quotient = static_cast<uint16_t>(
            (static_cast<uint32_t>(static_cast<uint16_t>(size << shift)) * magic) >> 16);
        value = static_cast<int16_t>((sum < 0 ? -quotient : quotient) + offset);
      } else {
        const auto size = static_cast<uint16_t>(sum < 0 ? 0 : sum);
        const auto quotient = static_cast<uint16_t>(
            (static_cast<uint32_t>(static_cast<uint16_t>(size << shift)) * magic) >> 16);
        value = static_cast<int16_t>(quotient + offset);
      }
      result[j] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    }
    if (rowBytes - 4 - start >= kBlockBytes) {
      std::memcpy(out + start, result, kBlockBytes);
    } else {
      std::memcpy(out + start, result, rowBytes - 4 - start);
    }
  }
}

// Each variant is compiled for wider vectors too and picked once by the CPU.
#define VARN_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))

using ShortRowFunction = void (*)(const uint8_t*, const uint8_t*, const uint8_t*, uint8_t*, int32_t,
                                  const ShortKernel&);

VARN_VECTOR_CLONES void ConvolveMirrored(const uint8_t* above, const uint8_t* centre,
                                         const uint8_t* below, uint8_t* out, int32_t rowBytes,
                                         const ShortKernel& kernel) {
  ConvolveShortRowBody<true, false>(above, centre, below, out, rowBytes, kernel);
}
VARN_VECTOR_CLONES void ConvolveMirroredSigned(const uint8_t* above, const uint8_t* centre,
                                               const uint8_t* below, uint8_t* out, int32_t rowBytes,
                                               const ShortKernel& kernel) {
  ConvolveShortRowBody<true, true>(above, centre, below, out, rowBytes, kernel);
}
VARN_VECTOR_CLONES void ConvolveAny(const uint8_t* above, const uint8_t* centre,
                                    const uint8_t* below, uint8_t* out, int32_t rowBytes,
                                    const ShortKernel& kernel) {
  ConvolveShortRowBody<false, false>(above, centre, below, out, rowBytes, kernel);
}
VARN_VECTOR_CLONES void ConvolveAnySigned(const uint8_t* above, const uint8_t* centre,
                                          const uint8_t* below, uint8_t* out, int32_t rowBytes,
                                          const ShortKernel& kernel) {
  ConvolveShortRowBody<false, true>(above, centre, below, out, rowBytes, kernel);
}

ShortRowFunction ShortRowFor(const ShortKernel& kernel) {
  if (kernel.mirrored) return kernel.signedQuotient ? ConvolveMirroredSigned : ConvolveMirrored;
  return kernel.signedQuotient ? ConvolveAnySigned : ConvolveAny;
}

// Any kernel, in 64-bit sums: weights too large for 16-bit lanes.
void ConvolveWideRow(const uint8_t* above, const uint8_t* centre, const uint8_t* below,
                     uint8_t* out, int32_t width, const ConvolutionMatrix& matrix) {
  const auto& w = matrix.weights;
  for (int32_t x = 1; x + 1 < width; ++x) {
    for (int32_t channel = 0; channel < 3; ++channel) {
      const int32_t i = 4 * x + channel;
      const int64_t sum = int64_t{w[0]} * above[i - 4] + int64_t{w[1]} * above[i] +
                          int64_t{w[2]} * above[i + 4] + int64_t{w[3]} * centre[i - 4] +
                          int64_t{w[4]} * centre[i] + int64_t{w[5]} * centre[i + 4] +
                          int64_t{w[6]} * below[i - 4] + int64_t{w[7]} * below[i] +
                          int64_t{w[8]} * below[i + 4];
      out[i] = ClampByte(sum / matrix.divisor + matrix.offset);
    }
  }
}

// ------------------------------------------------------------------ grayscale

// Each weight is a float, so weight x 2^27 is an integer (the smallest, 0.114,
// has its lowest bit at 2^-27). The exact sum of the three products is then a
// multiple of 2^-27 below 256, which extended precision holds without
// rounding, so truncating it equals an integer shift of the scaled sum. The
// scaled weights are split at bit 12 so that every product fits 32 bits.
constexpr int32_t kGrayFractionBits = 27;
constexpr int32_t kGraySplitBits = 12;

constexpr int64_t ScaledGrayWeight(float weight) {
  return static_cast<int64_t>(static_cast<double>(weight) *
                              double(int64_t{1} << kGrayFractionBits));
}
constexpr bool IsScaledExactly(float weight) {
  return double(ScaledGrayWeight(weight)) ==
         static_cast<double>(weight) * double(int64_t{1} << kGrayFractionBits);
}
static_assert(IsScaledExactly(0.587f) && IsScaledExactly(0.114f) && IsScaledExactly(0.299f));

constexpr int64_t kGrayG = ScaledGrayWeight(0.587f);
constexpr int64_t kGrayB = ScaledGrayWeight(0.114f);
constexpr int64_t kGrayR = ScaledGrayWeight(0.299f);
constexpr int32_t kGrayMask = (1 << kGraySplitBits) - 1;
constexpr int32_t kGrayHighG = static_cast<int32_t>(kGrayG >> kGraySplitBits);
constexpr int32_t kGrayHighB = static_cast<int32_t>(kGrayB >> kGraySplitBits);
constexpr int32_t kGrayHighR = static_cast<int32_t>(kGrayR >> kGraySplitBits);
constexpr int32_t kGrayLowG = static_cast<int32_t>(kGrayG & kGrayMask);
constexpr int32_t kGrayLowB = static_cast<int32_t>(kGrayB & kGrayMask);
constexpr int32_t kGrayLowR = static_cast<int32_t>(kGrayR & kGrayMask);
static_assert(kGrayHighG < 0x8000 && kGrayHighB < 0x8000 && kGrayHighR < 0x8000);

void GrayRow(uint32_t* __restrict row, int32_t width) {
  auto at = [](uint32_t pixel) {
    const int32_t b = static_cast<int32_t>(pixel & 0xFF);
    const int32_t g = static_cast<int32_t>((pixel >> 8) & 0xFF);
    const int32_t r = static_cast<int32_t>((pixel >> 16) & 0xFF);
    const int32_t high = g * kGrayHighG + b * kGrayHighB + r * kGrayHighR;
    const int32_t low = g * kGrayLowG + b * kGrayLowB + r * kGrayLowR;
    int32_t gray = (high + (low >> kGraySplitBits)) >> (kGrayFractionBits - kGraySplitBits);
    gray = gray > 255 ? 255 : gray;
    return 0xFF000000u | static_cast<uint32_t>(gray) * 0x010101u;
  };
  int32_t x = 0;
  for (; x + kBlock <= width; x += kBlock) {
    for (int32_t j = 0; j < kBlock; ++j) row[x + j] = at(row[x + j]);
  }
  for (; x < width; ++x) row[x] = at(row[x]);
}

// ---------------------------------------------------------------- histograms

using Histogram = std::array<uint64_t, 256>;
using Lookup = std::array<uint8_t, 256>;

// Channel histograms of a picture (B, G, R). Neighbouring pixels count into
// separate tables, so runs of equal colours do not wait on one counter.
std::array<Histogram, 3> CountChannels(const BitmapData& data) {
  std::vector<uint32_t> counts(2 * 3 * 256, 0);
  uint32_t* even = counts.data();
  uint32_t* odd = even + 3 * 256;
  for (int32_t y = 0; y < data.Height; ++y) {
    const uint32_t* row = data.ConstRow(y);
    int32_t x = 0;
    for (; x + 2 <= data.Width; x += 2) {
      const uint32_t first = row[x];
      const uint32_t second = row[x + 1];
      ++even[first & 0xFF];
      ++even[256 + ((first >> 8) & 0xFF)];
      ++even[512 + ((first >> 16) & 0xFF)];
      ++odd[second & 0xFF];
      ++odd[256 + ((second >> 8) & 0xFF)];
      ++odd[512 + ((second >> 16) & 0xFF)];
    }
    if (x < data.Width) {
      const uint32_t last = row[x];
      ++even[last & 0xFF];
      ++even[256 + ((last >> 8) & 0xFF)];
      ++even[512 + ((last >> 16) & 0xFF)];
    }
  }
  std::array<Histogram, 3> channels{};
  for (size_t c = 0; c < 3; ++c) {
    for (size_t v = 0; v < 256; ++v)
      channels[c][v] = uint64_t{even[c * 256 + v]} + odd[c * 256 + v];
  }
  return channels;
}

// The stretch of one histogram: low is the largest value whose count from 0
// up is below half a percent of all counts, high the smallest whose count up
// to 255 is; every value maps to trunc((c - low) x 255 / (high - low)).
Lookup StretchOf(const Histogram& histogram) {
  uint64_t total = 0;
  for (uint64_t count : histogram) total += count;
  const double threshold = 0.005 * static_cast<double>(total);
  int32_t low = 0;
  uint64_t running = 0;
  for (int32_t i = 0; i < 256; ++i) {
    running += histogram[i];
    if (!(static_cast<double>(running) < threshold)) break;
    low = i;
  }
  int32_t high = 255;
  running = 0;
  for (int32_t j = 255; j >= 0; --j) {
    running += histogram[j];
    if (!(static_cast<double>(running) < threshold)) break;
    high = j;
  }
  Lookup lookup{};
  if (high <= low) {
    // Only an empty histogram could get here; keep the values.
    for (int32_t c = 0; c < 256; ++c) lookup[c] = static_cast<uint8_t>(c);
    return lookup;
  }
  for (int32_t c = 0; c < 256; ++c) {
    const double stretched = static_cast<double>((c - low) * 255) / static_cast<double>(high - low);
    lookup[c] = ClampByte(static_cast<int64_t>(stretched));
  }
  return lookup;
}

// Maps every pixel through one table per channel (B, G, R).
void MapChannels(BitmapData& data, const Lookup& blue, const Lookup& green, const Lookup& red) {
  std::array<uint32_t, 256> b{}, g{}, r{};
  for (size_t c = 0; c < 256; ++c) {
    b[c] = 0xFF000000u | blue[c];
    g[c] = uint32_t{green[c]} << 8;
    r[c] = uint32_t{red[c]} << 16;
  }
  for (int32_t y = 0; y < data.Height; ++y) {
    uint32_t* row = data.Row(y);
    for (int32_t x = 0; x < data.Width; ++x) {
      const uint32_t pixel = row[x];
      row[x] = b[pixel & 0xFF] | g[(pixel >> 8) & 0xFF] | r[(pixel >> 16) & 0xFF];
    }
  }
}

}  // namespace

ConvolutionMatrix SoftenMatrix() { return ConvolutionMatrix{{1, 2, 1, 2, 2, 2, 1, 2, 1}, 14, 0}; }

ConvolutionMatrix SharpenMatrix() {
  return ConvolutionMatrix{{0, -1, 0, -1, 8, -1, 0, -1, 0}, 4, 0};
}

bool ApplyConvolution(Bitmap& picture, const ConvolutionMatrix& matrix) {
  if (matrix.divisor == 0) return false;
  BitmapData data;
  if (!LockWhole(picture, data)) return false;
  const int32_t width = data.Width;
  const int32_t height = data.Height;
  if (width >= 3 && height >= 3) {
    const int32_t rowBytes = 4 * width;
    auto row = [&](int32_t y) { return reinterpret_cast<uint8_t*>(data.Row(y)); };
    // Copies of the rows above, at and below the one being written, as they
    // were; each row is copied once, just before it is first read.
    const size_t savedBytes = size_t{kRowPadBefore} + rowBytes + kRowPadAfter;
    std::vector<uint8_t> saved(3 * savedBytes, 0);
    std::array<uint8_t*, 3> rows{};
    for (size_t k = 0; k < 3; ++k) rows[k] = saved.data() + k * savedBytes + kRowPadBefore;
    std::memcpy(rows[0], row(0), rowBytes);
    std::memcpy(rows[1], row(1), rowBytes);
    const std::optional<ShortKernel> kernel = MakeShortKernel(matrix);
    const ShortRowFunction shortRow = kernel ? ShortRowFor(*kernel) : nullptr;
    for (int32_t y = 1; y + 1 < height; ++y) {
      uint8_t* above = rows[(y - 1) % 3];
      uint8_t* centre = rows[y % 3];
      uint8_t* below = rows[(y + 1) % 3];
      std::memcpy(below, row(y + 1), rowBytes);
      if (shortRow != nullptr) {
        shortRow(above, centre, below, row(y), rowBytes, *kernel);
      } else {
        ConvolveWideRow(above, centre, below, row(y), width, matrix);
      }
    }
  }
  picture.UnlockBits(&data);
  return true;
}

void ApplyGrayscale(Bitmap& picture) {
  BitmapData data;
  if (!LockWhole(picture, data)) return;
  for (int32_t y = 0; y < data.Height; ++y) GrayRow(data.Row(y), data.Width);
  picture.UnlockBits(&data);
}

void ApplyAutoLevels(Bitmap& picture) {
  BitmapData data;
  if (!LockWhole(picture, data)) return;
  const std::array<Histogram, 3> channels = CountChannels(data);
  MapChannels(data, StretchOf(channels[0]), StretchOf(channels[1]), StretchOf(channels[2]));
  picture.UnlockBits(&data);
}

void ApplyAutoContrast(Bitmap& picture) {
  BitmapData data;
  if (!LockWhole(picture, data)) return;
  const std::array<Histogram, 3> channels = CountChannels(data);
  Histogram all{};
  for (size_t v = 0; v < 256; ++v) all[v] = channels[0][v] + channels[1][v] + channels[2][v];
  const Lookup stretch = StretchOf(all);
  MapChannels(data, stretch, stretch, stretch);
  picture.UnlockBits(&data);
}

void ApplyEffect(Bitmap& picture, int32_t code) {
  switch (code) {
    case kEffectSoften:
      ApplyConvolution(picture, SoftenMatrix());
      break;
    case kEffectSharpen:
      ApplyConvolution(picture, SharpenMatrix());
      break;
    case kEffectGrayscale:
      ApplyGrayscale(picture);
      break;
    case kEffectAutoLevels:
      ApplyAutoLevels(picture);
      break;
    case kEffectAutoContrast:
      ApplyAutoContrast(picture);
      break;
    default:
      break;
  }
}

}  // namespace varn::imagedoc
