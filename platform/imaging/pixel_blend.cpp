#include "platform/imaging/pixel_blend.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VARN_BLEND_X86 1
#endif

namespace varn::imaging {

namespace {

// x / 255 rounded to the nearest for 0 <= x <= 255 * 255.
constexpr uint32_t DivideBy255(uint32_t x) {
  const uint32_t t = x + 128;
  return (t + (t >> 8)) >> 8;
}

constexpr uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

}  // namespace

uint32_t BlendOverOpaquePixel(uint32_t source, uint32_t dest) {
  const uint32_t alpha = source >> 24;
  if (alpha == 0) return dest | 0xFF000000u;
  if (alpha == 255) return source;
  const uint32_t rest = 255 - alpha;
  uint32_t result = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    result |= DivideBy255(Channel(source, shift) * alpha + Channel(dest, shift) * rest) << shift;
  }
  return result;
}

uint32_t BlendPremultipliedOverPixel(uint32_t source, uint32_t dest) {
  const uint32_t rest = 255 - (source >> 24);
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t sum = Channel(source, shift) + DivideBy255(Channel(dest, shift) * rest);
    result |= (sum < 255 ? sum : 255) << shift;
  }
  return result;
}

uint32_t AccumulatePremultipliedPixel(uint32_t source, uint32_t dest) {
  const uint32_t alpha = source >> 24;
  uint32_t premultiplied = alpha << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    premultiplied |= DivideBy255(Channel(source, shift) * alpha) << shift;
  }
  return BlendPremultipliedOverPixel(premultiplied, dest);
}

namespace {

void BlendOverOpaqueScalar(const uint32_t* source, uint32_t* dest, int32_t count) {
  for (int32_t x = 0; x < count; ++x) {
    const uint32_t alpha = source[x] >> 24;
    if (alpha != 0) dest[x] = BlendOverOpaquePixel(source[x], dest[x]);
  }
}

void BlendPremultipliedOverScalar(const uint32_t* source, uint32_t* dest, int32_t count) {
  for (int32_t x = 0; x < count; ++x) {
    if (source[x] != 0) dest[x] = BlendPremultipliedOverPixel(source[x], dest[x]);
  }
}

void AccumulatePremultipliedScalar(const uint32_t* source, uint32_t* dest, int32_t count) {
  for (int32_t x = 0; x < count; ++x) {
    if ((source[x] >> 24) != 0) dest[x] = AccumulatePremultipliedPixel(source[x], dest[x]);
  }
}

#ifdef VARN_BLEND_X86

#define VARN_AVX2 __attribute__((target("avx2")))

// Each pixel's alpha in all four of its bytes.
VARN_AVX2 inline __m256i SpreadAlpha(__m256i pixels) {
  const __m256i shuffle = _mm256_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15,
                                           3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15);
  return _mm256_shuffle_epi8(pixels, shuffle);
}

// DivideBy255 on sixteen 16-bit lanes.
VARN_AVX2 inline __m256i DivideBy255x16(__m256i x) {
  const __m256i t = _mm256_add_epi16(x, _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

// Bytes of a times bytes of b, divided by 255, as bytes again.
VARN_AVX2 inline __m256i MultiplyBytes(__m256i a, __m256i b) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i lo =
      _mm256_mullo_epi16(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero));
  const __m256i hi =
      _mm256_mullo_epi16(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero));
  return _mm256_packus_epi16(DivideBy255x16(lo), DivideBy255x16(hi));
}

// Eight pixels of source over opaque dest, with the blend arithmetic only
// for a group that has a pixel neither transparent nor opaque.
VARN_AVX2 inline void BlendOverOpaque8(__m256i s, uint32_t* dest) {
  const __m256i alphaMask = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const __m256i zero = _mm256_setzero_si256();
  const __m256i alphas = _mm256_and_si256(s, alphaMask);
  const __m256i opaque = _mm256_cmpeq_epi32(alphas, alphaMask);
  const __m256i clear = _mm256_cmpeq_epi32(alphas, zero);
  auto* to = reinterpret_cast<__m256i*>(dest);
  if (_mm256_movemask_epi8(opaque) == -1) {
    _mm256_storeu_si256(to, s);
    return;
  }
  const __m256i d = _mm256_loadu_si256(to);
  if (_mm256_movemask_epi8(_mm256_or_si256(opaque, clear)) == -1) {
    // A hard stroke's edge: every pixel taken whole or left alone.
    _mm256_storeu_si256(to, _mm256_blendv_epi8(d, s, opaque));
    return;
  }
  const __m256i ones = _mm256_set1_epi8(static_cast<char>(0xFF));
  const __m256i a = SpreadAlpha(s);
  const __m256i rest = _mm256_xor_si256(a, ones);
  const __m256i lo = _mm256_add_epi16(
      _mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(a, zero)),
      _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(rest, zero)));
  const __m256i hi = _mm256_add_epi16(
      _mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(a, zero)),
      _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(rest, zero)));
  __m256i blended = _mm256_packus_epi16(DivideBy255x16(lo), DivideBy255x16(hi));
  blended = _mm256_or_si256(blended, alphaMask);
  // Transparent source pixels leave the destination as it was, made opaque.
  _mm256_storeu_si256(to, _mm256_blendv_epi8(blended, _mm256_or_si256(d, alphaMask), clear));
}

// Hands blend8 every group of eight source pixels that has a bit of mask
// set, testing 32 pixels at a time first: most of a layer is transparent,
// and 32 such pixels cost one test. Returns how many pixels it covered.
template <void (*Blend8)(__m256i, uint32_t*)>
VARN_AVX2 inline int32_t BlendGroupsAvx2(const uint32_t* source, uint32_t* dest, int32_t count,
                                         __m256i mask) {
  int32_t x = 0;
  for (; x + 32 <= count; x += 32) {
    const auto* from = reinterpret_cast<const __m256i*>(source + x);
    const __m256i s0 = _mm256_loadu_si256(from);
    const __m256i s1 = _mm256_loadu_si256(from + 1);
    const __m256i s2 = _mm256_loadu_si256(from + 2);
    const __m256i s3 = _mm256_loadu_si256(from + 3);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(s0, s1), _mm256_or_si256(s2, s3));
    if (_mm256_testz_si256(any, mask)) continue;
    if (!_mm256_testz_si256(s0, mask)) Blend8(s0, dest + x);
    if (!_mm256_testz_si256(s1, mask)) Blend8(s1, dest + x + 8);
    if (!_mm256_testz_si256(s2, mask)) Blend8(s2, dest + x + 16);
    if (!_mm256_testz_si256(s3, mask)) Blend8(s3, dest + x + 24);
  }
  for (; x + 8 <= count; x += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + x));
    if (!_mm256_testz_si256(s, mask)) Blend8(s, dest + x);
  }
  return x;
}

VARN_AVX2 void BlendOverOpaqueAvx2(const uint32_t* source, uint32_t* dest, int32_t count) {
  // Only alpha decides whether a non-premultiplied pixel shows.
  const __m256i alphaMask = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const int32_t done = BlendGroupsAvx2<BlendOverOpaque8>(source, dest, count, alphaMask);
  BlendOverOpaqueScalar(source + done, dest + done, count - done);
}

// Eight premultiplied pixels over dest.
VARN_AVX2 inline void BlendPremultipliedOver8(__m256i s, uint32_t* dest) {
  const __m256i alphaMask = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const __m256i ones = _mm256_set1_epi8(static_cast<char>(0xFF));
  const __m256i alphas = _mm256_and_si256(s, alphaMask);
  const __m256i opaque = _mm256_cmpeq_epi32(alphas, alphaMask);
  auto* to = reinterpret_cast<__m256i*>(dest);
  if (_mm256_movemask_epi8(opaque) == -1) {
    _mm256_storeu_si256(to, s);
    return;
  }
  const __m256i d = _mm256_loadu_si256(to);
  const __m256i clear = _mm256_cmpeq_epi32(s, _mm256_setzero_si256());
  if (_mm256_movemask_epi8(_mm256_or_si256(opaque, clear)) == -1) {
    _mm256_storeu_si256(to, _mm256_blendv_epi8(d, s, opaque));
    return;
  }
  const __m256i rest = _mm256_xor_si256(SpreadAlpha(s), ones);
  _mm256_storeu_si256(to, _mm256_adds_epu8(s, MultiplyBytes(d, rest)));
}

VARN_AVX2 void BlendPremultipliedOverAvx2(const uint32_t* source, uint32_t* dest, int32_t count) {
  // A premultiplied pixel with any bit set shows.
  const __m256i ones = _mm256_set1_epi8(static_cast<char>(0xFF));
  const int32_t done = BlendGroupsAvx2<BlendPremultipliedOver8>(source, dest, count, ones);
  BlendPremultipliedOverScalar(source + done, dest + done, count - done);
}

VARN_AVX2 void AccumulatePremultipliedAvx2(const uint32_t* source, uint32_t* dest, int32_t count) {
  const __m256i alphaMask = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000u));
  const __m256i ones = _mm256_set1_epi8(static_cast<char>(0xFF));
  int32_t x = 0;
  for (; x + 8 <= count; x += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + x));
    if (_mm256_testz_si256(s, alphaMask)) continue;
    auto* to = reinterpret_cast<__m256i*>(dest + x);
    const __m256i alphas = _mm256_and_si256(s, alphaMask);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(alphas, alphaMask)) == -1) {
      _mm256_storeu_si256(to, s);
      continue;
    }
    const __m256i a = SpreadAlpha(s);
    // Colour times alpha, the alpha byte itself kept.
    const __m256i premultiplied = _mm256_blendv_epi8(MultiplyBytes(s, a), s, alphaMask);
    const __m256i d = _mm256_loadu_si256(to);
    const __m256i rest = _mm256_xor_si256(a, ones);
    _mm256_storeu_si256(to, _mm256_adds_epu8(premultiplied, MultiplyBytes(d, rest)));
  }
  AccumulatePremultipliedScalar(source + x, dest + x, count - x);
}

bool DetectAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

const bool kHasAvx2 = DetectAvx2();

#endif

}  // namespace

bool HasVectorBlend() {
#ifdef VARN_BLEND_X86
  return kHasAvx2;
#else
  return false;
#endif
}

void BlendOverOpaque(const uint32_t* source, uint32_t* dest, int32_t count) {
#ifdef VARN_BLEND_X86
  if (kHasAvx2) return BlendOverOpaqueAvx2(source, dest, count);
#endif
  BlendOverOpaqueScalar(source, dest, count);
}

void BlendPremultipliedOver(const uint32_t* source, uint32_t* dest, int32_t count) {
#ifdef VARN_BLEND_X86
  if (kHasAvx2) return BlendPremultipliedOverAvx2(source, dest, count);
#endif
  BlendPremultipliedOverScalar(source, dest, count);
}

void AccumulatePremultiplied(const uint32_t* source, uint32_t* dest, int32_t count) {
#ifdef VARN_BLEND_X86
  if (kHasAvx2) return AccumulatePremultipliedAvx2(source, dest, count);
#endif
  AccumulatePremultipliedScalar(source, dest, count);
}

}  // namespace varn::imaging
