// The hard pens (square, round, hatch) drawn a segment at a time. A stroke is
// the union of its segments, each with round ends: that is the polyline with
// round joins, and a square pen adds a square end at either end. The union is
// kept in a mask of the pen colour at the pen alpha and blended once, so a
// translucent stroke does not darken where it crosses itself.
//
// StrokePen draws a whole point list this way; StrokeLayer keeps the mask of
// the running gesture on the canvas and takes one segment per pointer move,
// so a gesture costs the length of its stroke once, not once per repaint.
// Both give the same pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "drawing/drawing_state.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/color.h"
#include "platform/imaging/geometry.h"
#include "platform/imaging/graphics.h"

namespace varn::drawing {

struct SegmentPen {
  imaging::ARGB color = 0;
  float width = 0;
  bool squareEnds = false;
  bool hatch = false;
};

// The state's pen when it is a hard pen with something to draw.
bool HardPenOf(const CDrawingState& state, SegmentPen* pen);

// How far a pen's pixels reach beyond the points it joins.
int32_t PenReach(const SegmentPen& pen);

// Draws every segment of points, and the square ends, into graphics (canvas
// positions). Pixels become the pen's colour or stay as they were.
void DrawStrokeSegments(imaging::Graphics& graphics, const SegmentPen& pen,
                        std::span<const imaging::PointF> points);

// The eraser's stroke, drawn transparent in source copy.
bool EraserPenOf(const CDrawingState& state, SegmentPen* pen);

// A gesture's stroke kept between pointer moves: a hard pen's in a mask of
// its own, the eraser's in the state's eraserPreview, which it makes.
class StrokeLayer {
 public:
  StrokeLayer() = default;
  StrokeLayer(const StrokeLayer&) = delete;
  StrokeLayer& operator=(const StrokeLayer&) = delete;

  // Starts a gesture of the state's pen or eraser at start. False (and
  // inactive) for other tools, soft pens, no width, or when the canvas-sized
  // mask or the preview cannot be made.
  bool Begin(CDrawingState& state, imaging::PointF start);
  // Adds the segment to point; returns the canvas rectangle whose pixels
  // changed, cut to the canvas (empty when none did, or when the layer no
  // longer serves the state).
  imaging::Rect Extend(CDrawingState& state, imaging::PointF point);
  void End();

  bool Active() const { return active_; }
  bool Erases() const { return erases_; }
  // Active, and drawn as the state's settings draw on its canvas (for the
  // eraser: into its preview, at the layer's offset): a page that changes
  // the tool mid-gesture gets the whole polyline again.
  bool Serves(const CDrawingState& state) const;
  // The pen's mask, canvas-sized, non-premultiplied: the pen colour at the
  // pen alpha where the stroke covers, transparent elsewhere, square end
  // included. Only for a pen gesture.
  const imaging::Bitmap& Mask() const { return *mask_; }

 private:
  bool PrepareMask(int32_t width, int32_t height);
  imaging::Bitmap* TargetIn(CDrawingState& state) const;
  // A square end at the last point is drawn over a copy of what was under
  // it, put back before the next segment.
  void SaveEndPatch(imaging::Bitmap& target, const imaging::Rect& area);
  void RestoreEndPatch(imaging::Bitmap& target);

  std::unique_ptr<imaging::Bitmap> mask_;
  // The eraser's preview while it is the state's; compared, never owned.
  imaging::Bitmap* preview_ = nullptr;
  // Where target pixel (0, 0) lies on the canvas.
  int32_t offsetX_ = 0;
  int32_t offsetY_ = 0;
  imaging::Rect canvas_{};
  SegmentPen pen_;
  bool active_ = false;
  bool erases_ = false;
  imaging::PointF start_{};
  imaging::PointF last_{};
  size_t segments_ = 0;
  bool startEndDrawn_ = false;
  std::vector<uint32_t> endPatch_;
  // The patch's pixels on the canvas and on the target.
  imaging::Rect endPatchArea_{};
  imaging::Rect endPatchTarget_{};
  // What the last pen gesture painted into the mask, cleared at the next Begin.
  imaging::Rect touched_{};
};

}  // namespace varn::drawing
