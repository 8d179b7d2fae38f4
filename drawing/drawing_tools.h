// The drawing tools of the board: the figures each tool paints, the pixel
// work of the effect and fill tools, the move tool's offsets, and the pointer
// handlers that turn mouse input into state changes and ToolResult flags.
//
// They work on the document's current state. A drawing operation given a
// target paints straight onto it in canvas coordinates (the preview inside
// Render); given none, it paints into the selected layer's bitmap shifted by
// the layer's offset (the commit at the end of a gesture). Fewer than two
// points draw nothing. Values of the settings come from the page and are
// untrusted: widths are clamped before any pen or allocation is sized.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "drawing/tool_types.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/geometry.h"
#include "platform/imaging/graphics.h"

namespace varn::drawing {

class CDrawingState;

using imaging::PointF;

// Pen, line, shape and eraser widths above this are drawn at this width, and
// effect squares are at most this wide: a soft pen draws one pass per two
// pixels of width and an effect filters its whole square at every point, so
// a page's huge value would otherwise stall every repaint of the stroke.
inline constexpr int32_t kMaxStrokeWidth = 256;
inline constexpr int32_t kMaxEffectWidth = 256;

// Figures of the pen, line and shape tools.
void StrokePen(CDrawingState& state, std::span<const PointF> points, imaging::Graphics* target);
void StrokeLine(CDrawingState& state, std::span<const PointF> points, imaging::Graphics* target);
void DrawShape(CDrawingState& state, std::span<const PointF> points, imaging::Graphics* target);

// Erases to 0x00000000 in source copy, always shifted by the selected
// layer's offset: into target (the eraserPreview during a drag) or, when
// target is null, into the selected layer's bitmap.
void StrokeEraser(CDrawingState& state, std::span<const PointF> points, imaging::Bitmap* target);

// A 3 x 3 convolution: weights by rows from the top, a divisor and a bias.
struct FilterKernel {
  int32_t weights[3][3] = {};
  int32_t divisor = 1;
  int32_t bias = 0;
};

// Blur for 0, sharpen for 1, identity for anything else.
FilterKernel KernelForEffect(int32_t effectType);

// Filters the square (left, top, side) of source into destination, which
// must have source's size. Only 3 x 3 blocks wholly inside the square (cut
// to the bitmap) write their centre pixel; fully transparent pixels give no
// colour to their neighbours. Two distinct bitmaps, neither locked; source
// is only read (it is locked for reading meanwhile).
void ApplyFilter3x3(imaging::Bitmap& destination, imaging::Bitmap& source,
                    const FilterKernel& kernel, int32_t left, int32_t top, int32_t side);

// The effect tool: filters an effectWidth square around every gesture point
// of the selected layer's bitmap, all squares reading one snapshot.
void ApplyEffect(CDrawingState& state, std::span<const PointF> points);

// Fills the 4-connected region of exactly the start pixel's value with the
// opaque drawing colour. Iterative: any region size is safe.
void FloodFill(CDrawingState& state, PointF position);

// The move tool: adds the step between the first two points to the selected
// layer's offset, within kLayerMoveLimit of the canvas.
void OffsetSelectedLayer(CDrawingState& state, std::span<const PointF> points);
// End of a move drag: grows the layer's bitmap so that its offset is never
// positive and the pixels that left the canvas are kept.
void CommitLayerMove(CDrawingState& state);

// Pointer handlers, by the state's toolType. Each may derive a new current
// state from state (state itself then becomes the older one); callers take
// the document's current state afterwards. strokePoints is the control's
// gesture list; position is the canvas position of the message.
ToolResult OnToolDown(CDrawingState& state, std::vector<PointF>& strokePoints, PointF position);
ToolResult OnToolMove(CDrawingState& state, std::vector<PointF>& strokePoints, PointF position);
ToolResult OnToolUp(CDrawingState& state, std::vector<PointF>& strokePoints, PointF position);
ToolResult OnToolRightDown(CDrawingState& state, std::vector<PointF>& strokePoints,
                           PointF position);
ToolResult OnToolDoubleClick(CDrawingState& state, std::vector<PointF>& strokePoints,
                             PointF position);

}  // namespace varn::drawing
