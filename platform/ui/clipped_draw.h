// Drawing for a container into a surface it owns: the control paints in place
// into a view of the surface that covers only the part of its bounds lying on
// it, so nothing outside the bounds or the surface is written, and that part
// ends opaque. A container that repaints only what was invalidated passes a
// surface of just that rectangle (its rows, its size, the bounds moved by its
// corner); the control then composes only those pixels.
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
// E_INVALIDARG for an unusable surface or an oversized area. paintsOpaque: the
// painter writes every pixel of its view opaque itself; otherwise the view is
// made opaque afterwards.
HRESULT DrawClipped(VarnSurface& target, const RECT& bounds,
                    const std::function<void(const DrawContext&)>& paint,
                    bool paintsOpaque = false);

}  // namespace varn::ui
