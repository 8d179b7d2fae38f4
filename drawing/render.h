// Composes a drawing state into the control's back buffer: the composites of
// the layers below and above the selected one (cached in the state), the
// selected layer with the running tool's effect, the tool's preview and the
// text objects.
#pragma once

#include <vector>

#include "drawing/drawing_state.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/geometry.h"

namespace varn::drawing {

// Export leaves out what only the member's screen shows (the selected text's
// frame).
enum class RenderMode { Screen, Export };

// target: canvas size, 24bpp (the back buffer). strokePoints: the running
// gesture in canvas coordinates, empty when there is none.
void Render(CDrawingState& state, imaging::Bitmap& target,
            const std::vector<imaging::PointF>& strokePoints, RenderMode mode);

}  // namespace varn::drawing
