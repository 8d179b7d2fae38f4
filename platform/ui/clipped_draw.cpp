#include "platform/ui/clipped_draw.h"

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
                    const std::function<void(const DrawContext&)>& paint, bool paintsOpaque) {
  if (!IsUsableSurface(target)) return E_INVALIDARG;
  const RECT area = Intersect(bounds, RECT{0, 0, target.width, target.height});
  if (IsEmpty(area)) return S_OK;
  const int32_t width = Width(area);
  const int32_t height = Height(area);
  if (int64_t{width} * height > kMaxDrawPixels) return E_INVALIDARG;

  VarnSurface view{Row(target, area.top) + area.left, width, height, target.stride};
  paint(DrawContext{&view, bounds, POINT{area.left, area.top}});
  if (paintsOpaque) return S_OK;
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* row = Row(view, y);
    for (int32_t x = 0; x < width; ++x) row[x] |= kOpaque;
  }
  return S_OK;
}

}  // namespace varn::ui
