// The row kernels the board's repaint composes with: the vectorised rows
// against their one-pixel definitions, and those against plain arithmetic.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/layer_operations.h"
#include "drawing/render.h"
#include "drawing/tool_types.h"
#include "model_test_support.h"
#include "platform/imaging/pixel_blend.h"

namespace varn::drawing {
namespace {

using imaging::AccumulatePremultipliedPixel;
using imaging::BlendOverOpaquePixel;
using imaging::BlendPremultipliedOverPixel;

uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

TEST(BlendKernels, OnePixelDefinitionsRoundTheExactQuotient) {
  int wrong = 0;
  for (uint32_t alpha = 0; alpha < 256; ++alpha) {
    for (uint32_t s = 0; s < 256; ++s) {
      for (uint32_t d = 0; d < 256; d += 3) {
        const uint32_t rest = (d * (255 - alpha) + 127) / 255;
        const uint32_t over = BlendOverOpaquePixel(alpha << 24 | s, 0xFF000000u | d);
        wrong += over != (0xFF000000u | (s * alpha + d * (255 - alpha) + 127) / 255);
        if (s > alpha) continue;
        const uint32_t premultiplied = BlendPremultipliedOverPixel(alpha << 24 | s, d << 24 | d);
        wrong += premultiplied != ((alpha + rest) << 24 | (s + rest));
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  // A layer's pixel premultiplied on the way into a composite.
  EXPECT_EQ(AccumulatePremultipliedPixel(0x80FF4000u, 0), 0x80802000u);
  EXPECT_EQ(AccumulatePremultipliedPixel(0xFF123456u, 0x80808080u), 0xFF123456u);
  EXPECT_EQ(AccumulatePremultipliedPixel(0x00FFFFFFu, 0x40302010u), 0x40302010u);
}

// Rows with runs of transparent and opaque pixels longer than a vector step,
// and lengths that leave every remainder.
std::vector<uint32_t> RandomRow(std::mt19937& random, size_t length, bool premultiplied) {
  std::vector<uint32_t> row(length);
  std::uniform_int_distribution<uint32_t> byte(0, 255);
  std::uniform_int_distribution<int> kind(0, 3);
  for (size_t x = 0; x < length;) {
    const int run = kind(random);
    for (size_t n = 0; n < 9 && x < length; ++n, ++x) {
      uint32_t alpha = run == 0 ? 0 : run == 1 ? 255 : byte(random);
      uint32_t pixel = alpha << 24;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t value = byte(random);
        pixel |= (premultiplied ? value * alpha / 255 : value) << shift;
      }
      row[x] = pixel;
    }
  }
  return row;
}

struct KernelCase {
  const char* name;
  void (*row)(const uint32_t*, uint32_t*, int32_t);
  uint32_t (*pixel)(uint32_t, uint32_t);
  bool premultipliedSource;
  bool opaqueDest;
};

TEST(BlendKernels, RowsGiveTheOnePixelResultOnEveryLengthAndRun) {
  const KernelCase cases[] = {
      {"over opaque", imaging::BlendOverOpaque, BlendOverOpaquePixel, false, true},
      {"premultiplied over", imaging::BlendPremultipliedOver, BlendPremultipliedOverPixel, true,
       false},
      {"accumulate", imaging::AccumulatePremultiplied, AccumulatePremultipliedPixel, false, false},
  };
  std::mt19937 random(7);
  for (const KernelCase& kernel : cases) {
    for (size_t length = 0; length < 70; ++length) {
      const std::vector<uint32_t> source = RandomRow(random, length, kernel.premultipliedSource);
      std::vector<uint32_t> dest = RandomRow(random, length, true);
      if (kernel.opaqueDest) {
        for (uint32_t& pixel : dest) pixel |= 0xFF000000u;
      }
      std::vector<uint32_t> expected = dest;
      for (size_t x = 0; x < length; ++x) expected[x] = kernel.pixel(source[x], dest[x]);
      kernel.row(source.data(), dest.data(), static_cast<int32_t>(length));
      ASSERT_EQ(dest, expected) << kernel.name << ", length " << length;
    }
  }
}

// Translucent layers above the selected one reach the screen through the
// premultiplied composite as if each had been blended over the board in turn,
// up to the rounding of the composite.
TEST(BlendKernels, PremultipliedCompositeShowsLayersAsBlendedInTurn) {
  struct Stack {
    uint32_t lower;
    uint32_t upper;
  };
  const Stack stacks[] = {{0x80FF0000u, 0x800000FFu},
                          {0x10ABCDEFu, 0xF0123456u},
                          {0xFF00FF00u, 0x01FFFFFFu},
                          {0x00FFFFFFu, 0x7F808080u},
                          {0xC0204060u, 0x40E0C0A0u}};
  CDrawingDocument document;
  ASSERT_TRUE(AddLayer(*document.current));
  ASSERT_TRUE(AddLayer(*document.current));
  CDrawingState& state = *document.current;
  ASSERT_TRUE(SelectLayer(state, 0));
  state.toolType = kToolHand;
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(stacks)); ++i) {
    testing::SetLayerPixel(state, 1, i, 0, stacks[i].lower);
    testing::SetLayerPixel(state, 2, i, 0, stacks[i].upper);
  }
  imaging::Bitmap shown(300, 300, imaging::PixelFormat::Format24bppRGB);
  Render(state, shown, {}, RenderMode::Screen);
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(stacks)); ++i) {
    const uint32_t expected =
        BlendOverOpaquePixel(stacks[i].upper, BlendOverOpaquePixel(stacks[i].lower, 0xFFFFFFFFu));
    const uint32_t actual = testing::PixelAt(shown, i, 0);
    for (int shift = 0; shift < 24; shift += 8) {
      EXPECT_NEAR(static_cast<int>(Channel(actual, shift)),
                  static_cast<int>(Channel(expected, shift)), 1)
          << "stack " << i << ", shift " << shift;
    }
  }
}

}  // namespace
}  // namespace varn::drawing
