// The drawing board on a page: the control harness with what only the board
// has, its default 300 x 300 canvas and its colour swatches.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "drawing/drawing_control.h"
#include "tests/support/control_harness.h"

namespace varn::drawing::testing {

using varn::testing::Bool;
using varn::testing::Event;
using varn::testing::Events;
using varn::testing::Hosting;
using varn::testing::I4;
using varn::testing::OutText;

class Board : public varn::testing::ControlHarness<CDrawingControl> {
 public:
  using ControlHarness::ControlHarness;
  using ControlHarness::Paint;
  using ControlHarness::PaintedDrag;

  // The whole default canvas.
  const std::vector<uint32_t>& Paint() { return Paint(300, 300); }
  void PaintedDrag(const std::vector<std::pair<int32_t, int32_t>>& points) {
    PaintedDrag(points, 300, 300);
  }

  // Swatch index of the recent colours, through GetPaletteColor's out string.
  std::u16string PaletteEntry(int32_t index) {
    OutText color;
    EXPECT_EQ(Call(kDispGetPaletteColor, {I4(index), color.Arg()}), S_OK);
    return color.Value().value_or(u"");
  }
};

inline constexpr uint32_t kWhite = 0xFFFFFFFFu;
inline constexpr uint32_t kBlack = 0xFF000000u;

inline Event UploadFile(std::u16string id, std::u16string name, std::u16string path,
                        std::u16string size) {
  return {kOnUploadFile, {std::move(id), std::move(name), std::move(path), std::move(size)}};
}
inline Event UploadComplete(int32_t result) { return {kOnUploadFileComplete, {result}}; }

}  // namespace varn::drawing::testing
