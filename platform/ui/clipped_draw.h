// Drawing for a container into a surface it owns: the control paints into a
// scratch copy of the part of its bounds that lies on the surface, and only
// that part comes back, opaque. Nothing outside the bounds or the surface is
// ever written, whatever the control's drawing does.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/com/types.h"
#include "platform/ui/draw_context.h"

namespace varn::ui {

// Drawing areas beyond this many pixels are refused rather than copied.
inline constexpr int64_t kMaxDrawPixels = int64_t{1} << 26;

// A surface whose claimed size and stride describe rows of whole pixels.
bool IsUsableSurface(const VarnSurface& surface);

// S_OK after painting (also when nothing of the bounds lies on the surface),
// E_INVALIDARG for an unusable surface or an oversized area, E_OUTOFMEMORY.
HRESULT DrawClipped(VarnSurface& target, const RECT& bounds,
                    const std::function<void(const DrawContext&)>& paint);

}  // namespace varn::ui
