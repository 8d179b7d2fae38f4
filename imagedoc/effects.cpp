#include "imagedoc/effects.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "platform/imaging/bitmap_data.h"

namespace varn::imagedoc {

using imaging::Bitmap;
using imaging::BitmapData;

namespace {

// Pixel loops run over blocks of this many pixels with a fixed count, which
// the compiler turns into whole vector steps at -O2; the rest of a row goes
// one pixel at a time.
constexpr int32_t kBlockPixels = 64;

// Each pixel loop is also compiled for wider vectors, picked once by the CPU.
#if defined(__x86_64__)
#define VARN_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define VARN_VECTOR_CLONES
#endif

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

// A row is done in two sweeps over blocks of kBlockBytes: the first sums the
// three source rows per kernel column at every byte, the second adds the
// column sums left, at and right of each output byte. Both inner loops have
// fixed counts that fill whole vectors at any width the compiler picks, and
// the second reads sums the first stored long before.
constexpr int32_t kBlockBytes = 128;
// Zeroed samples after each saved row and spare sums after each row of
// sums, so the last block of a row may run past its end.
constexpr int32_t kRowPad = kBlockBytes + 8;

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
  for (int32_t weight : matrix.weights) reach += (weight < 0 ? -int64_t{weight} : weight) * 255;
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
  bool negativeSums = false;
  for (const auto& column : kernel.columns) {
    for (int16_t weight : column) negativeSums = negativeSums || weight < 0;
  }
  kernel.signedQuotient = negativeSums && kernel.offset > 0;
  return kernel;
}

// The column sums and the final byte of a kernel given at run time.
template <bool kMirroredColumns, bool kSignedQuotient>
struct RuntimeWeights {
  static constexpr bool kMirrored = kMirroredColumns;
  static constexpr bool kDirect = false;

  explicit RuntimeWeights(const ShortKernel& kernel)
      : l0(kernel.columns[0][0]),
        l1(kernel.columns[0][1]),
        l2(kernel.columns[0][2]),
        c0(kernel.columns[1][0]),
        c1(kernel.columns[1][1]),
        c2(kernel.columns[1][2]),
        r0(kernel.columns[2][0]),
        r1(kernel.columns[2][1]),
        r2(kernel.columns[2][2]),
        magic(kernel.magic),
        shift(kernel.shift),
        offset(kernel.offset) {}

  int16_t Left(int32_t a, int32_t c, int32_t b) const {
    return static_cast<int16_t>(l0 * a + l1 * c + l2 * b);
  }
  int16_t Middle(int32_t a, int32_t c, int32_t b) const {
    return static_cast<int16_t>(c0 * a + c1 * c + c2 * b);
  }
  int16_t Right(int32_t a, int32_t c, int32_t b) const {
    return static_cast<int16_t>(r0 * a + r1 * c + r2 * b);
  }
  uint8_t Finish(int16_t sum) const {
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
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
  }

  int16_t l0, l1, l2, c0, c1, c2, r0, r1, r2;
  uint32_t magic;
  int32_t shift;
  int16_t offset;
};

// Soften's weights as constants, 1 2 1 / 2 2 2 / 1 2 1 over 14, summed
// straight from the rows: with v the sum of the rows above and below,
// sum = v[-1] + v[+1] + 2 (v + c[-1] + c + c[+1]). Every sum lies in 0..3570,
// so the quotient needs no clamping.
struct SoftenWeights {
  static constexpr bool kDirect = true;
  int16_t Sum(const int16_t* a, const int16_t* c, const int16_t* b, int32_t i) const {
    const int32_t before = a[i - 4] + b[i - 4];
    const int32_t at = a[i] + b[i];
    const int32_t after = a[i + 4] + b[i + 4];
    return static_cast<int16_t>(before + after + 2 * (at + c[i - 4] + c[i] + c[i + 4]));
  }
  // sum / 14 as one high multiply, exact over 0..3570.
  static constexpr uint32_t kInverse = 4682;
  uint8_t Finish(int16_t sum) const {
    return static_cast<uint8_t>((static_cast<uint32_t>(static_cast<uint16_t>(sum)) * kInverse) >>
                                16);
  }
};

constexpr bool SoftenInverseIsExact() {
  for (uint32_t sum = 0; sum <= 14 * 255; ++sum) {
    if (((sum * SoftenWeights::kInverse) >> 16) != sum / 14) return false;
  }
  return true;
}
static_assert(SoftenInverseIsExact());

// Sharpen's, 0 -1 0 / -1 8 -1 / 0 -1 0 over 4. A negative sum ends as 0
// whichever way its quotient rounds, so it is clamped first and shifted.
struct SharpenWeights {
  static constexpr bool kDirect = true;
  int16_t Sum(const int16_t* a, const int16_t* c, const int16_t* b, int32_t i) const {
    return static_cast<int16_t>(8 * c[i] - a[i] - b[i] - c[i - 4] - c[i + 4]);
  }
  uint8_t Finish(int16_t sum) const {
    const auto quotient = static_cast<int16_t>((sum < 0 ? 0 : sum) >> 2);
    return static_cast<uint8_t>(quotient > 255 ? 255 : quotient);
  }
};

// One row of a kernel over the bytes of the interior pixels (alpha bytes
// included: the 24bpp lock makes them opaque again). above, centre and below
// are padded copies of the source rows; left, middle and right receive the
// column sums of a kernel that is not summed directly; out is the row
// written.
template <typename Weights>
[[gnu::always_inline]] inline void ConvolveRowBody(
    const int16_t* __restrict above, const int16_t* __restrict centre,
    const int16_t* __restrict below, int16_t* __restrict left, int16_t* __restrict middle,
    int16_t* __restrict right, uint8_t* __restrict out, int32_t rowBytes, const Weights weights) {
  if constexpr (!Weights::kDirect) {
    for (int32_t start = 0; start < rowBytes; start += kBlockBytes) {
      for (int32_t j = 0; j < kBlockBytes; ++j) {
        const int32_t i = start + j;
        left[i] = weights.Left(above[i], centre[i], below[i]);
        middle[i] = weights.Middle(above[i], centre[i], below[i]);
        if constexpr (!Weights::kMirrored) right[i] = weights.Right(above[i], centre[i], below[i]);
      }
    }
  }
  auto at = [&](int32_t i) {
    if constexpr (Weights::kDirect) {
      return weights.Finish(weights.Sum(above, centre, below, i));
    } else {
      const int16_t* rightSums = Weights::kMirrored ? left : right;
      return weights.Finish(static_cast<int16_t>(left[i - 4] + middle[i] + rightSums[i + 4]));
    }
  };
  const int32_t end = rowBytes - 4;
  int32_t start = 4;
  for (; start + kBlockBytes <= end; start += kBlockBytes) {
    for (int32_t j = 0; j < kBlockBytes; ++j) out[start + j] = at(start + j);
  }
  alignas(64) std::array<uint8_t, kBlockBytes> rest{};
  for (int32_t j = 0; j < kBlockBytes; ++j) rest[j] = at(start + j);
  std::memcpy(out + start, rest.data(), end - start);
}

// The entry points, one per kernel form: cloned per instruction set (which
// clang does for plain functions only), their restrict-qualified rows keep
// the inlined loops free of overlap checks.
using ConvolveRowFunction = void (*)(const int16_t*, const int16_t*, const int16_t*, int16_t*,
                                     int16_t*, int16_t*, uint8_t*, int32_t, const ShortKernel&);

VARN_VECTOR_CLONES void ConvolveSoften(const int16_t* __restrict above,
                                       const int16_t* __restrict centre,
                                       const int16_t* __restrict below, int16_t* __restrict left,
                                       int16_t* __restrict middle, int16_t* __restrict right,
                                       uint8_t* __restrict out, int32_t rowBytes,
                                       [[maybe_unused]] const ShortKernel& kernel) {
  ConvolveRowBody(above, centre, below, left, middle, right, out, rowBytes, SoftenWeights{});
}
VARN_VECTOR_CLONES void ConvolveSharpen(const int16_t* __restrict above,
                                        const int16_t* __restrict centre,
                                        const int16_t* __restrict below, int16_t* __restrict left,
                                        int16_t* __restrict middle, int16_t* __restrict right,
                                        uint8_t* __restrict out, int32_t rowBytes,
                                        [[maybe_unused]] const ShortKernel& kernel) {
  ConvolveRowBody(above, centre, below, left, middle, right, out, rowBytes, SharpenWeights{});
}
VARN_VECTOR_CLONES void ConvolveMirrored(const int16_t* __restrict above,
                                         const int16_t* __restrict centre,
                                         const int16_t* __restrict below, int16_t* __restrict left,
                                         int16_t* __restrict middle, int16_t* __restrict right,
                                         uint8_t* __restrict out, int32_t rowBytes,
                                         const ShortKernel& kernel) {
  ConvolveRowBody(above, centre, below, left, middle, right, out, rowBytes,
                  RuntimeWeights<true, false>(kernel));
}
VARN_VECTOR_CLONES void ConvolveMirroredSigned(const int16_t* __restrict above,
                                               const int16_t* __restrict centre,
                                               const int16_t* __restrict below,
                                               int16_t* __restrict left, int16_t* __restrict middle,
                                               int16_t* __restrict right, uint8_t* __restrict out,
                                               int32_t rowBytes, const ShortKernel& kernel) {
  ConvolveRowBody(above, centre, below, left, middle, right, out, rowBytes,
                  RuntimeWeights<true, true>(kernel));
}
VARN_VECTOR_CLONES void ConvolveAny(const int16_t* __restrict above,
                                    const int16_t* __restrict centre,
                                    const int16_t* __restrict below, int16_t* __restrict left,
                                    int16_t* __restrict middle, int16_t* __restrict right,
                                    uint8_t* __restrict out, int32_t rowBytes,
                                    const ShortKernel& kernel) {
  ConvolveRowBody(above, centre, below, left, middle, right, out, rowBytes,
                  RuntimeWeights<false, false>(kernel));
}
VARN_VECTOR_CLONES void ConvolveAnySigned(const int16_t* __restrict above,
                                          const int16_t* __restrict centre,
                                          const int16_t* __restrict below, int16_t* __restrict left,
                                          int16_t* __restrict middle, int16_t* __restrict right,
                                          uint8_t* __restrict out, int32_t rowBytes,
                                          const ShortKernel& kernel) {
  ConvolveRowBody(above, centre, below, left, middle, right, out, rowBytes,
                  RuntimeWeights<false, true>(kernel));
}

bool SameMatrix(const ConvolutionMatrix& x, const ConvolutionMatrix& y) {
  return x.weights == y.weights && x.divisor == y.divisor && x.offset == y.offset;
}

VARN_VECTOR_CLONES void WidenRow(const uint8_t* __restrict from, int16_t* __restrict to,
                                 int32_t count) {
  int32_t i = 0;
  for (; i + kBlockBytes <= count; i += kBlockBytes) {
    for (int32_t j = 0; j < kBlockBytes; ++j) to[i + j] = from[i + j];
  }
  for (; i < count; ++i) to[i] = from[i];
}

// Any kernel, in 64-bit sums: weights too large for 16-bit lanes.
void ConvolveWideRow(const int16_t* above, const int16_t* centre, const int16_t* below,
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
// rounding, so truncating it equals floor(S / 2^27) of the scaled sum S. The
// green weight is a multiple of 8 and the red one of 4, so
//   floor(S / 8) = G (wG / 8) + floor((R (wR / 4) + floor(B wB / 4)) / 2)
// and every step of that fits 32 unsigned bits; gray is its top byte.
constexpr int32_t kGrayFractionBits = 27;

constexpr uint64_t ScaledGrayWeight(float weight) {
  return static_cast<uint64_t>(static_cast<double>(weight) *
                               double(uint64_t{1} << kGrayFractionBits));
}
constexpr bool IsScaledExactly(float weight) {
  return double(ScaledGrayWeight(weight)) ==
         static_cast<double>(weight) * double(uint64_t{1} << kGrayFractionBits);
}
static_assert(IsScaledExactly(0.587f) && IsScaledExactly(0.114f) && IsScaledExactly(0.299f));
static_assert(ScaledGrayWeight(0.587f) % 8 == 0 && ScaledGrayWeight(0.299f) % 4 == 0);

constexpr uint32_t kGrayGreen = ScaledGrayWeight(0.587f) / 8;
constexpr uint32_t kGrayRed = ScaledGrayWeight(0.299f) / 4;
constexpr uint32_t kGrayBlue = ScaledGrayWeight(0.114f);

constexpr uint64_t kGrayBlueMax = uint64_t{255} * kGrayBlue;
constexpr uint64_t kGrayRedBlueMax = uint64_t{255} * kGrayRed + (kGrayBlueMax >> 2);
constexpr uint64_t kGraySumMax = uint64_t{255} * kGrayGreen + (kGrayRedBlueMax >> 1);
static_assert(kGrayBlueMax <= UINT32_MAX && kGrayRedBlueMax <= UINT32_MAX &&
              kGraySumMax <= UINT32_MAX && (kGraySumMax >> 24) <= 255);

uint32_t GrayPixel(uint32_t pixel) {
  const uint32_t b = pixel & 0xFF;
  const uint32_t g = (pixel >> 8) & 0xFF;
  const uint32_t r = (pixel >> 16) & 0xFF;
  const uint32_t gray = (g * kGrayGreen + ((r * kGrayRed + ((b * kGrayBlue) >> 2)) >> 1)) >> 24;
  return 0xFF000000u | gray << 16 | gray << 8 | gray;
}

VARN_VECTOR_CLONES void GrayRow(uint32_t* row, int32_t width) {
  int32_t x = 0;
  for (; x + kBlockPixels <= width; x += kBlockPixels) {
    for (int32_t j = 0; j < kBlockPixels; ++j) row[x + j] = GrayPixel(row[x + j]);
  }
  for (; x < width; ++x) row[x] = GrayPixel(row[x]);
}

// ---------------------------------------------------------------- histograms

using Histogram = std::array<uint64_t, 256>;

// Channel histograms of a picture (B, G, R). Blue and green count together
// in one table of pairs, so a pixel costs two increments instead of three;
// neighbouring pixels count red into separate tables, so runs of similar
// colours do not queue on one counter.
std::array<Histogram, 3> CountChannels(const BitmapData& data) {
  std::vector<uint32_t> counts(65536 + 2 * 256, 0);
  uint32_t* pairs = counts.data();
  uint32_t* reds = pairs + 65536;
  for (int32_t y = 0; y < data.Height; ++y) {
    const uint32_t* row = data.ConstRow(y);
    int32_t x = 0;
    for (; x + 2 <= data.Width; x += 2) {
      const uint32_t first = row[x];
      const uint32_t second = row[x + 1];
      ++pairs[first & 0xFFFF];
      ++reds[(first >> 16) & 0xFF];
      ++pairs[second & 0xFFFF];
      ++reds[256 + ((second >> 16) & 0xFF)];
    }
    if (x < data.Width) {
      ++pairs[row[x] & 0xFFFF];
      ++reds[(row[x] >> 16) & 0xFF];
    }
  }
  std::array<Histogram, 3> channels{};
  for (size_t green = 0; green < 256; ++green) {
    for (size_t blue = 0; blue < 256; ++blue) {
      const uint32_t count = pairs[green << 8 | blue];
      channels[0][blue] += count;
      channels[1][green] += count;
    }
  }
  for (size_t v = 0; v < 256; ++v) channels[2][v] = uint64_t{reds[v]} + reds[256 + v];
  return channels;
}

// The stretch of one histogram: low is the largest value whose count from 0
// up is below half a percent of all counts, high the smallest whose count up
// to 255 is.
struct Stretch {
  int32_t low = 0;
  int32_t high = 255;
};

Stretch StretchOf(const Histogram& histogram) {
  uint64_t total = 0;
  for (uint64_t count : histogram) total += count;
  const double threshold = 0.005 * static_cast<double>(total);
  Stretch stretch;
  uint64_t running = 0;
  for (int32_t i = 0; i < 256; ++i) {
    running += histogram[i];
    if (!(static_cast<double>(running) < threshold)) break;
    stretch.low = i;
  }
  running = 0;
  for (int32_t j = 255; j >= 0; --j) {
    running += histogram[j];
    if (!(static_cast<double>(running) < threshold)) break;
    stretch.high = j;
  }
  // Only an empty histogram could end here; 0..255 keeps every value.
  if (stretch.high <= stretch.low) stretch = Stretch{};
  return stretch;
}

// Every value c maps to trunc((c - low) x 255 / (high - low)) clamped to
// 0..255, the quotient of two integers, which the floating-point division
// gives exactly. With x = c clamped to low..high, minus low, and span =
// high - low, that is floor(255 x / span) with 255 x <= 65025: a 16-bit high
// multiply by floor(65536 / span) falls short by at most one, which the
// remainder corrects. The per-byte constants repeat every 4 bytes (B, G, R,
// and alpha, which keeps its value).
struct StretchPattern {
  alignas(64) std::array<uint16_t, kBlockBytes> low{};
  alignas(64) std::array<uint16_t, kBlockBytes> span{};
  alignas(64) std::array<uint16_t, kBlockBytes> inverse{};
};

StretchPattern PatternOf(const Stretch& blue, const Stretch& green, const Stretch& red) {
  const std::array<Stretch, 4> channels{blue, green, red, Stretch{}};
  StretchPattern pattern;
  for (size_t j = 0; j < kBlockBytes; ++j) {
    const Stretch& stretch = channels[j % 4];
    const int32_t span = stretch.high - stretch.low;
    pattern.low[j] = static_cast<uint16_t>(stretch.low);
    pattern.span[j] = static_cast<uint16_t>(span);
    pattern.inverse[j] = static_cast<uint16_t>(std::min(65535, 65536 / span));
  }
  return pattern;
}

uint8_t StretchByte(uint32_t c, uint32_t low, uint32_t span, uint32_t inverse) {
  const auto x = static_cast<uint16_t>(c < low ? 0 : c - low > span ? span : c - low);
  const auto scaled = static_cast<uint16_t>(x * 255);
  auto quotient = static_cast<uint16_t>((uint32_t{scaled} * inverse) >> 16);
  const auto remainder = static_cast<uint16_t>(scaled - quotient * span);
  quotient = static_cast<uint16_t>(quotient + (remainder >= span ? 1 : 0));
  return static_cast<uint8_t>(quotient);
}

VARN_VECTOR_CLONES void StretchRows(BitmapData& data, const StretchPattern& shared) {
  // A copy the row writes cannot alias.
  const StretchPattern pattern = shared;
  const int32_t rowBytes = 4 * data.Width;
  for (int32_t y = 0; y < data.Height; ++y) {
    auto* row = reinterpret_cast<uint8_t*>(data.Row(y));
    int32_t i = 0;
    for (; i + kBlockBytes <= rowBytes; i += kBlockBytes) {
      for (int32_t j = 0; j < kBlockBytes; ++j) {
        row[i + j] = StretchByte(row[i + j], pattern.low[j], pattern.span[j], pattern.inverse[j]);
      }
    }
    for (int32_t j = 0; i < rowBytes; ++i, ++j) {
      row[i] = StretchByte(row[i], pattern.low[j], pattern.span[j], pattern.inverse[j]);
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
    // were, one 16-bit sample a byte; each row is copied once, just before it
    // is first read. Then the column sums of the row being written.
    // A picture too wide for them is left as it is.
    const size_t paddedRow = size_t{4} + rowBytes + kRowPad;
    const std::unique_ptr<int16_t[]> work(new (std::nothrow) int16_t[6 * paddedRow]());
    if (!work) {
      picture.UnlockBits(&data);
      return false;
    }
    std::array<int16_t*, 6> rows{};
    for (size_t k = 0; k < 6; ++k) rows[k] = work.get() + k * paddedRow + 4;
    const std::optional<ShortKernel> kernel = MakeShortKernel(matrix);
    ConvolveRowFunction shortRow = nullptr;
    if (kernel && SameMatrix(matrix, SoftenMatrix())) {
      shortRow = ConvolveSoften;
    } else if (kernel && SameMatrix(matrix, SharpenMatrix())) {
      shortRow = ConvolveSharpen;
    } else if (kernel && kernel->mirrored) {
      shortRow = kernel->signedQuotient ? ConvolveMirroredSigned : ConvolveMirrored;
    } else if (kernel) {
      shortRow = kernel->signedQuotient ? ConvolveAnySigned : ConvolveAny;
    }
    WidenRow(row(0), rows[0], rowBytes);
    WidenRow(row(1), rows[1], rowBytes);
    for (int32_t y = 1; y + 1 < height; ++y) {
      const int16_t* above = rows[(y - 1) % 3];
      const int16_t* centre = rows[y % 3];
      int16_t* below = rows[(y + 1) % 3];
      WidenRow(row(y + 1), below, rowBytes);
      if (shortRow != nullptr) {
        shortRow(above, centre, below, rows[3], rows[4], rows[5], row(y), rowBytes, *kernel);
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
  StretchRows(data,
              PatternOf(StretchOf(channels[0]), StretchOf(channels[1]), StretchOf(channels[2])));
  picture.UnlockBits(&data);
}

void ApplyAutoContrast(Bitmap& picture) {
  BitmapData data;
  if (!LockWhole(picture, data)) return;
  const std::array<Histogram, 3> channels = CountChannels(data);
  Histogram all{};
  for (size_t v = 0; v < 256; ++v) all[v] = channels[0][v] + channels[1][v] + channels[2][v];
  const Stretch stretch = StretchOf(all);
  StretchRows(data, PatternOf(stretch, stretch, stretch));
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
