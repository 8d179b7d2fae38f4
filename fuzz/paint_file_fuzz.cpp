// Feeds arbitrary bytes to the paint file reader. Whatever it accepts must
// satisfy what the drawing board relies on, and the board must then take
// strokes of every painting tool on it; anything else must be refused without
// a crash, a leak or an allocation the input did not pay for.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/drawing_state.h"
#include "drawing/drawing_tools.h"
#include "drawing/paint_file.h"
#include "drawing/paint_file_limits.h"
#include "drawing/render.h"
#include "platform/imaging/bitmap.h"

namespace {

class MemorySource final : public varn::drawing::PaintFileSource {
 public:
  MemorySource(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Read(std::span<std::byte> block) override {
    const std::size_t count = std::min(block.size(), size_ - at_);
    if (count > 0) std::memcpy(block.data(), data_ + at_, count);
    at_ += count;
    return count;
  }
  uint64_t Remaining() const override { return size_ - at_; }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

// Canvases up to this many pixels are also rendered during each gesture, as a
// repaint would; larger ones would only slow the fuzzer down.
constexpr int64_t kMaxRenderedPixels = int64_t{256} * 256;

// A short drag of every tool that paints or moves, from the selected layer's
// top-left corner, as the control delivers a member's mouse.
void PaintWithEveryTool(varn::drawing::CDrawingDocument& document) {
  using namespace varn::drawing;
  constexpr std::array kTools = {kToolPen,  kToolEraser, kToolLine, kToolShape,
                                 kToolFill, kToolEffect, kToolMove};
  const CDrawingState& loaded = *document.current;
  std::unique_ptr<varn::imaging::Bitmap> screen;
  if (int64_t{loaded.canvasWidth} * loaded.canvasHeight <= kMaxRenderedPixels) {
    screen = std::make_unique<varn::imaging::Bitmap>(loaded.canvasWidth, loaded.canvasHeight,
                                                     varn::imaging::PixelFormat::Format24bppRGB);
  }
  for (ToolType tool : kTools) {
    document.current->toolType = tool;
    const DrawingLayer& layer = document.current->SelectedLayer();
    const PointF corner{static_cast<float>(layer.x), static_cast<float>(layer.y)};
    const PointF far{corner.X + 7, corner.Y + 5};
    std::vector<PointF> points;
    OnToolDown(*document.current, points, corner);
    OnToolMove(*document.current, points, far);
    if (screen) Render(*document.current, *screen, points, RenderMode::Screen);
    OnToolUp(*document.current, points, far);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace varn::drawing;
  MemorySource source(data, size);
  auto contents = ReadPaintFile(source);
  if (!contents) return 0;
  Check(IsValidCanvasSize(contents->canvasWidth, contents->canvasHeight));
  Check(!contents->layers.empty() && contents->layers.size() <= kMaxLayers);
  Check(contents->selectedLayer >= 0 &&
        static_cast<std::size_t>(contents->selectedLayer) < contents->layers.size());
  uint64_t pixelBytes = 0;
  for (const DrawingLayer& layer : contents->layers) {
    Check(layer.bitmap != nullptr && (layer.visible == 0 || layer.visible == 1));
    Check(IsStorableLayerOffset(layer.x, layer.y));
    pixelBytes += uint64_t{layer.bitmap->GetWidth()} * layer.bitmap->GetHeight() * 4;
  }
  // The input held every pixel byte it declared.
  Check(pixelBytes <= size);
  Check(contents->texts.size() <= kMaxTextObjects);
  for (const DrawingText& text : contents->texts) {
    Check(text.text.find(u'\0') == std::u16string::npos);
    Check(text.fontName.size() <= kMaxFontNameLength && text.text.size() <= kMaxTextLength);
    Check((static_cast<uint32_t>(text.colour) >> 24) == 0);
  }

  CDrawingDocument document;
  AdoptPaintFile(document, std::move(*contents));
  PaintWithEveryTool(document);
  return 0;
}
