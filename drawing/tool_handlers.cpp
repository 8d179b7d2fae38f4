// The pointer handlers of every tool. Each finished gesture of a painting
// tool is one undo step: the state is derived with its own copy of the
// selected layer when the figure is committed (pen, eraser, line, shape) or
// at the press (move, effect, fill), whose later changes belong to that step.
#include <cmath>

#include "drawing/drawing_state.h"
#include "drawing/drawing_text.h"
#include "drawing/drawing_tools.h"

namespace varn::drawing {

namespace {

// Line and shape kinds drawn corner by corner, ended by a double-click or a
// right press; the others are dragged from a start to the pointer.
bool IsClickFigure(const CDrawingState& state) {
  if (state.toolType == kToolLine) {
    return state.lineType == kLineCurve || state.lineType == kLinePolyline;
  }
  if (state.toolType == kToolShape) {
    return state.shapeType == kShapePolygon || state.shapeType == kShapeFilledPolygon;
  }
  return false;
}

// The clicked corners followed by one point that follows the pointer.
void TrackClickFigure(std::vector<PointF>& points, PointF position) {
  if (points.size() >= 2) {
    points.back() = position;
  } else {
    points.push_back(position);
  }
}

// The start of the drag and the pointer.
void TrackDragFigure(std::vector<PointF>& points, PointF position) {
  if (points.size() >= 2) {
    points[1] = position;
  } else {
    points.push_back(position);
  }
}

// The hand tool keeps the last two pointer positions; the control scrolls by
// the step between them.
ToolResult ScrollStep(std::vector<PointF>& points, PointF position) {
  if (points.empty()) {
    points.push_back(position);
    return kNoResult;
  }
  if (points.size() == 1) {
    points.push_back(position);
  } else {
    points[0] = points[1];
    points[1] = position;
  }
  return kScroll;
}

// The move tool shifts the layer at once by the whole pixels the pointer
// went since the position already accounted for (points[0]), and advances
// that position by them. Render's own offset step then adds nothing, so the
// layer never depends on how often the board is repainted during the drag,
// and fractions of a pixel (zoomed boards) add up instead of being lost.
ToolResult MoveStep(CDrawingState& state, std::vector<PointF>& points, PointF position) {
  if (points.empty()) {
    points.push_back(position);
    return kRedraw;
  }
  TrackDragFigure(points, position);
  OffsetSelectedLayer(state, points);
  points[0].X += std::trunc(points[1].X - points[0].X);
  points[0].Y += std::trunc(points[1].Y - points[0].Y);
  return kRedraw;
}

// Derives the step that owns the finished figure and draws it into the new
// state's own copy of the selected layer.
ToolResult CommitFigure(CDrawingState& state, const std::vector<PointF>& points) {
  if (state.toolType == kToolEraser) state.eraserPreview.reset();
  CDrawingState& step = DeriveState(state, LayerCopy::Deep);
  switch (step.toolType) {
    case kToolPen:
      StrokePen(step, points, nullptr);
      break;
    case kToolEraser:
      StrokeEraser(step, points, nullptr);
      break;
    case kToolLine:
      StrokeLine(step, points, nullptr);
      break;
    case kToolShape:
      DrawShape(step, points, nullptr);
      break;
    default:
      break;
  }
  return kRelease;
}

}  // namespace

ToolResult OnToolDown(CDrawingState& state, std::vector<PointF>& strokePoints, PointF position) {
  switch (state.toolType) {
    case kToolMove:
    case kToolEffect:
      DeriveState(state, LayerCopy::Deep);
      strokePoints.push_back(position);
      return kCapture;
    case kToolPen:
      strokePoints.push_back(position);
      return kCapture | kRedraw;
    case kToolEraser:
      state.eraserPreview.reset();
      strokePoints.push_back(position);
      return kCapture;
    case kToolText:
      return OnTextToolDown(state, strokePoints, position);
    case kToolColorPicker:
      return kPickColor;
    case kToolFill:
      FloodFill(DeriveState(state, LayerCopy::Deep), position);
      return kRedraw;
    default:
      // Hand, line, shape and unknown tools collect the press.
      strokePoints.push_back(position);
      return kCapture;
  }
}

ToolResult OnToolMove(CDrawingState& state, std::vector<PointF>& strokePoints, PointF position) {
  switch (state.toolType) {
    case kToolHand:
      return ScrollStep(strokePoints, position);
    case kToolMove:
      return MoveStep(state, strokePoints, position);
    case kToolPen:
    case kToolEraser:
    case kToolEffect:
      strokePoints.push_back(position);
      return kRedraw;
    case kToolLine:
    case kToolShape:
      if (IsClickFigure(state)) {
        TrackClickFigure(strokePoints, position);
      } else {
        TrackDragFigure(strokePoints, position);
      }
      return kRedraw;
    case kToolText:
      return OnTextToolMove(state, strokePoints, position);
    default:
      return kNoResult;
  }
}

ToolResult OnToolUp(CDrawingState& state, std::vector<PointF>& strokePoints, PointF) {
  switch (state.toolType) {
    case kToolMove:
      CommitLayerMove(state);
      return kRelease;
    case kToolPen:
    case kToolEraser:
      return CommitFigure(state, strokePoints);
    case kToolLine:
    case kToolShape:
      // A click-by-click figure goes on until a double-click or right press.
      if (IsClickFigure(state)) return kNoResult;
      return CommitFigure(state, strokePoints);
    default:
      return kRelease;
  }
}

ToolResult OnToolRightDown(CDrawingState& state, std::vector<PointF>& strokePoints, PointF) {
  switch (state.toolType) {
    case kToolMove:
      CommitLayerMove(state);
      return kRelease;
    case kToolPen:
    case kToolEraser:
      // Commits whatever the list holds, even outside a gesture.
      return CommitFigure(state, strokePoints);
    case kToolLine:
    case kToolShape:
      if (!IsClickFigure(state)) return kNoResult;
      return CommitFigure(state, strokePoints);
    default:
      return kRelease;
  }
}

ToolResult OnToolDoubleClick(CDrawingState& state, std::vector<PointF>& strokePoints, PointF) {
  if ((state.toolType != kToolLine && state.toolType != kToolShape) || !IsClickFigure(state)) {
    return kNoResult;
  }
  // The double-click's own press appended its position once more.
  if (!strokePoints.empty()) strokePoints.pop_back();
  return CommitFigure(state, strokePoints) | kRedraw;
}

}  // namespace varn::drawing
