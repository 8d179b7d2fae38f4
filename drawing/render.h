// Composes a drawing state for the screen or for export: the composites of
// the layers below and above the selected one (cached in the state), the
// selected layer with the running tool's effect, the tool's preview and the
// text objects.
//
// The composites: belowComposite is opaque, the board's white with the
// visible layers below the selected one over it; aboveComposite holds the
// visible layers above it premultiplied (layers themselves never are). Each
// is made only when some visible layer goes into it. Rows are composed in
// one pass through the vectorised kernels of platform/imaging/pixel_blend.h.
#pragma once

#include <vector>

#include "drawing/drawing_state.h"
#include "platform/com/types.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/geometry.h"

namespace varn::drawing {

class StrokeLayer;

// Export leaves out what only the member's screen shows (the selected text's
// frame).
enum class RenderMode { Screen, Export };

// target: 24bpp, of any size; the canvas from its top-left corner, white
// beyond it. strokePoints: the running gesture in canvas coordinates, empty
// when there is none. stroke: the gesture's pen mask, when one is kept; it
// then stands for the pen's preview.
void Render(CDrawingState& state, imaging::Bitmap& target,
            const std::vector<imaging::PointF>& strokePoints, RenderMode mode,
            const StrokeLayer* stroke = nullptr);

// The same for the part `area` of the canvas only (cut to the canvas and the
// target); the rest of the target keeps its pixels.
void Render(CDrawingState& state, imaging::Bitmap& target, const imaging::Rect& area,
            const std::vector<imaging::PointF>& strokePoints, RenderMode mode,
            const StrokeLayer* stroke = nullptr);

// The same for the part `area` of the canvas only, straight into rows whose
// pixel (0, 0) is canvas pixel (area.X, area.Y); area must lie inside the
// canvas. Pixels written are opaque.
void RenderArea(CDrawingState& state, const VarnSurface& rows, const imaging::Rect& area,
                const std::vector<imaging::PointF>& strokePoints, RenderMode mode,
                const StrokeLayer* stroke = nullptr);

}  // namespace varn::drawing
