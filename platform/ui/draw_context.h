// What a control paints into, for a window paint and for a container's Draw
// alike.
#pragma once

#include "platform/com/types.h"

namespace varn::ui {

// `bounds` is the rectangle the control fills, in client coordinates: the
// client area for a window paint, the container's rectangle for a Draw. Client
// point (x, y) is surface pixel (x - origin.x, y - origin.y); the surface
// covers only the part of the bounds that will reach the target, and anything
// drawn outside it is dropped. Its rows are the target's own, drawn in place:
// pixels the control leaves alone keep what the target showed, so a control
// may paint only the part of the surface that changed. Pixels are opaque
// 0xFFRRGGBB.
struct DrawContext {
  VarnSurface* surface;
  RECT bounds;
  POINT origin;

  HDC Hdc() const { return surface; }
};

}  // namespace varn::ui
