// Feeds arbitrary bytes to the paint file reader. Whatever it accepts must
// satisfy what the drawing board relies on; anything else must be refused
// without a crash, a leak or an allocation the input did not pay for.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "drawing/drawing_state.h"
#include "drawing/paint_file.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace varn::drawing;
  MemorySource source(data, size);
  const auto contents = ReadPaintFile(source);
  if (!contents) return 0;
  Check(IsValidCanvasSize(contents->canvasWidth, contents->canvasHeight));
  Check(!contents->layers.empty() && contents->layers.size() <= kMaxLayers);
  Check(contents->selectedLayer >= 0 &&
        static_cast<std::size_t>(contents->selectedLayer) < contents->layers.size());
  uint64_t pixelBytes = 0;
  for (const DrawingLayer& layer : contents->layers) {
    Check(layer.bitmap != nullptr && (layer.visible == 0 || layer.visible == 1));
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
  return 0;
}
