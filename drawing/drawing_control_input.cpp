// The drawing board's window: mouse messages to the tools' pointer handlers,
// their answers to capture, events and repaints, and the paint itself.
#include <algorithm>
#include <climits>
#include <cmath>

#include "drawing/drawing_control.h"
#include "drawing/drawing_tools.h"
#include "drawing/render.h"
#include "platform/imaging/graphics.h"
#include "platform/ui/window_messages.h"

namespace varn::drawing {
namespace {

using ui::Handled;
using ui::MessageEntry;
using ui::MessageReply;
using ui::WindowMessage;

// Truncation toward zero of a canvas coordinate, kept inside int32.
int32_t TruncateCoordinate(float value) {
  if (!(std::fabs(value) < 2.0e9f)) return value > 0 ? INT32_MAX : INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

imaging::PointF CDrawingControl::CanvasPosition(LPARAM lParam) const {
  const float zoom = static_cast<float>(zoom_);
  return {static_cast<float>(GET_X_LPARAM(lParam)) / zoom,
          static_cast<float>(GET_Y_LPARAM(lParam)) / zoom};
}

MessageReply CDrawingControl::ProcessWindowMessage(const WindowMessage& message) {
  static constexpr MessageEntry<CDrawingControl> kMap[] = {
      {WM_ERASEBKGND, &CDrawingControl::OnEraseBackground},
      {WM_LBUTTONDOWN, &CDrawingControl::OnLButtonDown},
      {WM_MOUSEMOVE, &CDrawingControl::OnMouseMove},
      {WM_LBUTTONUP, &CDrawingControl::OnLButtonUp},
      {WM_RBUTTONDOWN, &CDrawingControl::OnRButtonDown},
      {WM_LBUTTONDBLCLK, &CDrawingControl::OnLButtonDblClk},
      {WM_CANCELMODE, &CDrawingControl::OnCancelMode},
  };
  return ui::RouteMessage(*this, kMap, message);
}

// The paint covers the whole client area; there is nothing to erase first.
MessageReply CDrawingControl::OnEraseBackground(const WindowMessage& /*message*/) {
  return Handled(1);
}

MessageReply CDrawingControl::OnLButtonDown(const WindowMessage& message) {
  const PointF position = CanvasPosition(message.lParam);
  const ToolResult result = OnToolDown(Current(), strokePoints_, position);
  ApplyToolResult(TrackStroke(result, position, true), position);
  return Handled(0);
}

// Moves count only while a gesture holds the mouse.
MessageReply CDrawingControl::OnMouseMove(const WindowMessage& message) {
  if (!captured_) return Handled(0);
  const PointF position = CanvasPosition(message.lParam);
  const ToolResult result = OnToolMove(Current(), strokePoints_, position);
  ApplyToolResult(TrackStroke(result, position, false), position);
  return Handled(0);
}

ToolResult CDrawingControl::TrackStroke(ToolResult result, PointF position, bool press) {
  CDrawingState& state = Current();
  if (press) {
    strokeLayer_.End();
    if ((state.toolType != kToolPen && state.toolType != kToolEraser) || (result & kCapture) == 0 ||
        captured_ || strokePoints_.size() != 1) {
      return result;
    }
    strokeLayer_.Begin(state, position);
    return result;
  }
  if ((result & kRedraw) == 0 || !strokeLayer_.Serves(state)) return result;
  RepaintCanvasRect(strokeLayer_.Extend(state, position));
  return result & ~kRedraw;
}

void CDrawingControl::RepaintCanvasRect(const imaging::Rect& rect) {
  if (rect.IsEmptyArea()) return;
  auto scaled = [this](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v * zoom_, INT32_MIN, INT32_MAX));
  };
  Window().InvalidateRect(
      RECT{scaled(rect.X), scaled(rect.Y), scaled(rect.Right()), scaled(rect.Bottom())});
}

MessageReply CDrawingControl::OnLButtonUp(const WindowMessage& message) {
  const PointF position = CanvasPosition(message.lParam);
  ApplyToolResult(OnToolUp(Current(), strokePoints_, position), position);
  return Handled(0);
}

MessageReply CDrawingControl::OnRButtonDown(const WindowMessage& message) {
  const PointF position = CanvasPosition(message.lParam);
  ApplyToolResult(OnToolRightDown(Current(), strokePoints_, position), position);
  return Handled(0);
}

MessageReply CDrawingControl::OnLButtonDblClk(const WindowMessage& message) {
  const PointF position = CanvasPosition(message.lParam);
  ApplyToolResult(OnToolDoubleClick(Current(), strokePoints_, position), position);
  return Handled(0);
}

// The system took the mouse away mid-gesture: the gesture is dropped without
// a step, and the standard handling releases the capture.
MessageReply CDrawingControl::OnCancelMode(const WindowMessage& /*message*/) {
  if (captured_) {
    ForgetGesture();
    Repaint();
  }
  return ui::PassOn();
}

void CDrawingControl::ForgetGesture() {
  std::vector<PointF>().swap(strokePoints_);
  strokeLayer_.End();
  captured_ = false;
  Window().ReleaseCapture();
}

void CDrawingControl::ApplyToolResult(ToolResult result, PointF position) {
  if (!captured_ && (result & kCapture) != 0) {
    Window().SetCapture();
    captured_ = true;
  }
  if (captured_ && (result & kRelease) != 0) {
    // A figure previewed through Graphics blends on the screen's opaque
    // pixels, the committed one in the layer: their roundings differ.
    const int32_t tool = Current().toolType;
    if (strokePoints_.size() >= 2 && !strokeLayer_.Serves(Current()) &&
        (tool == kToolPen || tool == kToolLine || tool == kToolShape)) {
      Repaint();
    }
    ForgetGesture();
  }
  if ((result & kScroll) != 0 && strokePoints_.size() >= 2) {
    const PointF p0 = strokePoints_[0];
    const PointF p1 = strokePoints_[1];
    Fire(kOnMoveImage, TruncateCoordinate(p0.X - p1.X), TruncateCoordinate(p0.Y - p1.Y));
  }
  if ((result & kRedraw) != 0) Repaint();
  if ((result & kLayersChanged) != 0) Fire(kOnInvalidateInfo);
  if ((result & kPickColor) != 0) PickColor(position);
}

// Reads what the board shows at the position, rendered into the back
// buffer; outside it the colour is black.
void CDrawingControl::PickColor(PointF position) {
  const int32_t x = TruncateCoordinate(position.X);
  const int32_t y = TruncateCoordinate(position.Y);
  Render(Current(), *backBuffer_, strokePoints_, RenderMode::Screen, ActiveStroke());
  imaging::ARGB pixel = 0xFF000000u;
  if (backBuffer_->GetPixel(x, y, &pixel) != imaging::Status::Ok) pixel = 0xFF000000u;
  Current().colour = pixel & 0x00FFFFFFu;
  Fire(kOnUpdateColor);
}

// Bounds of the canvas's own size take the canvas pixel for pixel: the part
// on the surface is composed straight into it. Other bounds get the canvas
// stretched over them through the back buffer.
void CDrawingControl::OnDraw(const ui::DrawContext& context) {
  const RECT& bounds = context.bounds;
  CDrawingState& state = Current();
  if (int64_t{bounds.right} - bounds.left == state.canvasWidth &&
      int64_t{bounds.bottom} - bounds.top == state.canvasHeight) {
    const VarnSurface& surface = *context.surface;
    // Surface pixel (0, 0) is client (origin), canvas (origin - bounds corner).
    const int64_t left = int64_t{context.origin.x} - bounds.left;
    const int64_t top = int64_t{context.origin.y} - bounds.top;
    const int64_t areaLeft = std::max<int64_t>(left, 0);
    const int64_t areaTop = std::max<int64_t>(top, 0);
    const int64_t areaRight = std::min<int64_t>(left + surface.width, state.canvasWidth);
    const int64_t areaBottom = std::min<int64_t>(top + surface.height, state.canvasHeight);
    if (areaRight <= areaLeft || areaBottom <= areaTop) return;
    auto* corner = reinterpret_cast<uint8_t*>(surface.pixels) +
                   (areaTop - top) * static_cast<int64_t>(surface.stride) + (areaLeft - left) * 4;
    const VarnSurface rows{reinterpret_cast<uint32_t*>(corner),
                           static_cast<int32_t>(areaRight - areaLeft),
                           static_cast<int32_t>(areaBottom - areaTop), surface.stride};
    const imaging::Rect area{static_cast<int32_t>(areaLeft), static_cast<int32_t>(areaTop),
                             rows.width, rows.height};
    RenderArea(state, rows, area, strokePoints_, RenderMode::Screen, ActiveStroke());
    return;
  }
  // Only the canvas pixels the surface's part of the bounds samples are
  // rendered, one spare around for the stretch's rounding.
  const int64_t boundsWidth = int64_t{bounds.right} - bounds.left;
  const int64_t boundsHeight = int64_t{bounds.bottom} - bounds.top;
  if (boundsWidth <= 0 || boundsHeight <= 0) return;
  const int64_t bufferWidth = backBuffer_->GetWidth();
  const int64_t bufferHeight = backBuffer_->GetHeight();
  const int64_t viewLeft = std::max<int64_t>(int64_t{context.origin.x} - bounds.left, 0);
  const int64_t viewTop = std::max<int64_t>(int64_t{context.origin.y} - bounds.top, 0);
  const int64_t left = viewLeft * bufferWidth / boundsWidth - 1;
  const int64_t top = viewTop * bufferHeight / boundsHeight - 1;
  const int64_t right = (viewLeft + context.surface->width) * bufferWidth / boundsWidth + 2;
  const int64_t bottom = (viewTop + context.surface->height) * bufferHeight / boundsHeight + 2;
  auto clampToInt = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, 0, INT32_MAX));
  };
  const imaging::Rect part{clampToInt(left), clampToInt(top), clampToInt(right - left),
                           clampToInt(bottom - top)};
  Render(state, *backBuffer_, part, strokePoints_, RenderMode::Screen, ActiveStroke());
  imaging::Graphics graphics(*context.surface);
  graphics.TranslateTransform(static_cast<float>(-context.origin.x),
                              static_cast<float>(-context.origin.y));
  graphics.SetInterpolationMode(imaging::InterpolationMode::NearestNeighbor);
  const imaging::Rect dest{bounds.left, bounds.top, bounds.right - bounds.left,
                           bounds.bottom - bounds.top};
  graphics.DrawImage(*backBuffer_, dest, 0, 0, static_cast<int32_t>(backBuffer_->GetWidth()),
                     static_cast<int32_t>(backBuffer_->GetHeight()));
}

}  // namespace varn::drawing
