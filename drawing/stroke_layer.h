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
void DrawPenMask(imaging::Graphics& graphics, const SegmentPen& pen,
                 std::span<const imaging::PointF> points);

class StrokeLayer {
 public:
  StrokeLayer() = default;
  StrokeLayer(const StrokeLayer&) = delete;
  StrokeLayer& operator=(const StrokeLayer&) = delete;

  // Starts a gesture of the state's pen at start. False (and inactive) when
  // the pen is not a hard pen or the canvas-sized mask cannot be made.
  bool Begin(const CDrawingState& state, imaging::PointF start);
  // Adds the segment to point; returns the canvas rectangle whose pixels
  // changed, cut to the canvas (empty when none did).
  imaging::Rect Extend(imaging::PointF point);
  void End();

  bool Active() const { return active_; }
  // Active, and drawn with the pen the state's settings give on its canvas:
  // a page that changes the pen mid-gesture gets the whole polyline again.
  bool Serves(const CDrawingState& state) const;
  // Canvas-sized, non-premultiplied: the pen colour at the pen alpha where
  // the stroke covers, transparent elsewhere, square end included.
  const imaging::Bitmap& Mask() const { return *mask_; }

 private:
  // A square pen's end at the last point is drawn over a copy of what was
  // under it, put back before the next segment.
  void SaveEndPatch(const imaging::Rect& area);
  void RestoreEndPatch();

  std::unique_ptr<imaging::Bitmap> mask_;
  SegmentPen pen_;
  bool active_ = false;
  imaging::PointF start_{};
  imaging::PointF last_{};
  size_t segments_ = 0;
  bool startEndDrawn_ = false;
  std::vector<uint32_t> endPatch_;
  imaging::Rect endPatchArea_{};
  // What the last gesture painted, cleared at the next Begin.
  imaging::Rect touched_{};
};

}  // namespace varn::drawing
