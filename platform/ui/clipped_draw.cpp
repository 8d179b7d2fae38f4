#include "platform/ui/clipped_draw.h"

#include <cstring>
#include <new>
#include <vector>

#include "platform/ui/rect_ops.h"

namespace varn::ui {
namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

uint32_t* Row(const VarnSurface& surface, int32_t y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(surface.pixels) +
                                     static_cast<std::ptrdiff_t>(y) * surface.stride);
}

}  // namespace

bool IsUsableSurface(const VarnSurface& surface) {
  if (surface.width < 0 || surface.height < 0) return false;
  if (surface.width == 0 || surface.height == 0) return true;
  return surface.pixels != nullptr && surface.stride % 4 == 0 &&
         int64_t{surface.stride} >= int64_t{surface.width} * 4;
}

HRESULT DrawClipped(VarnSurface& target, const RECT& bounds,
                    const std::function<void(const DrawContext&)>& paint) {
  if (!IsUsableSurface(target)) return E_INVALIDARG;
  const RECT area = Intersect(bounds, RECT{0, 0, target.width, target.height});
  if (IsEmpty(area)) return S_OK;
  const int32_t width = Width(area);
  const int32_t height = Height(area);
  if (int64_t{width} * height > kMaxDrawPixels) return E_INVALIDARG;

  std::vector<uint32_t> scratch;
  try {
    scratch.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  // Starts as what the target shows, so parts the control leaves alone stay.
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(&scratch[static_cast<std::size_t>(y) * width],
                Row(target, area.top + y) + area.left, static_cast<std::size_t>(width) * 4);
  }
  VarnSurface surface{scratch.data(), width, height, width * 4};
  paint(DrawContext{&surface, bounds, POINT{area.left, area.top}});
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* from = &scratch[static_cast<std::size_t>(y) * width];
    uint32_t* to = Row(target, area.top + y) + area.left;
    for (int32_t x = 0; x < width; ++x) to[x] = from[x] | kOpaque;
  }
  return S_OK;
}

}  // namespace varn::ui
