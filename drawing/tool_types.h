// Tool numbers as the page sets them, the sub-types each tool reads from the
// state, and the flags a pointer handler answers with. The numbers are part
// of the scripting surface and of the paint file, so they never change.
#pragma once

#include <cstdint>

namespace varn::drawing {

// Values of the state's toolType. Any other value is accepted: such a tool
// collects points and draws nothing.
enum ToolType : int32_t {
  kToolHand = 0,
  kToolMove = 1,
  kToolPen = 2,
  kToolEraser = 3,
  kToolLine = 4,
  kToolShape = 5,
  kToolText = 6,
  kToolEffect = 7,
  kToolColorPicker = 8,
  kToolFill = 9,
};

// penType: 0 to 2 draw hard edges; 3 and above draw soft edges in passes;
// negative values draw as kPenRound.
enum PenType : int32_t {
  kPenSquare = 0,
  kPenRound = 1,
  kPenHatch = 2,
  kPenSoftSquare = 3,
  kPenSoftRound = 4,
  kPenSoftFaint = 5,
};

// eraserType: 0 square ends, anything else round ends.
enum EraserType : int32_t {
  kEraserSquare = 0,
  kEraserRound = 1,
};

enum LineType : int32_t {
  kLineStraight = 0,
  kLineCurve = 1,
  kLineDotted = 2,
  kLinePolyline = 3,
};

enum ShapeType : int32_t {
  kShapeRectangle = 0,
  kShapeEllipse = 1,
  kShapePolygon = 2,
  kShapeFilledRectangle = 3,
  kShapeFilledEllipse = 4,
  kShapeFilledPolygon = 5,
};

// effectType: any other value runs a filter that changes nothing.
enum EffectType : int32_t {
  kEffectBlur = 0,
  kEffectSharpen = 1,
};

// What a pointer handler asks of the control, a set of the flags below;
// ApplyToolResult acts on them in a fixed order.
using ToolResult = uint32_t;

inline constexpr ToolResult kNoResult = 0x00;
// Repaint the whole client area.
inline constexpr ToolResult kRedraw = 0x01;
// Capture the mouse (a gesture starts).
inline constexpr ToolResult kCapture = 0x02;
// Release the mouse and forget the gesture's points.
inline constexpr ToolResult kRelease = 0x04;
// The page's layer list is out of date: fire OnInvalidateInfo.
inline constexpr ToolResult kLayersChanged = 0x10;
// Take the colour of the back buffer under the pointer.
inline constexpr ToolResult kPickColor = 0x20;
// Fire OnMoveImage with the step between the first two gesture points.
inline constexpr ToolResult kScroll = 0x40;

// The move tool keeps a layer's bitmap within this many pixels of the canvas.
inline constexpr int32_t kLayerMoveLimit = 1200;

}  // namespace varn::drawing
