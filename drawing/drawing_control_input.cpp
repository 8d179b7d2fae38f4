// The drawing board's window: mouse messages to the tools' pointer handlers,
// their answers to capture, events and repaints, and the paint itself.
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
  ApplyToolResult(OnToolDown(Current(), strokePoints_, position), position);
  return Handled(0);
}

// Moves count only while a gesture holds the mouse.
MessageReply CDrawingControl::OnMouseMove(const WindowMessage& message) {
  if (!captured_) return Handled(0);
  const PointF position = CanvasPosition(message.lParam);
  ApplyToolResult(OnToolMove(Current(), strokePoints_, position), position);
  return Handled(0);
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
  captured_ = false;
  Window().ReleaseCapture();
}

void CDrawingControl::ApplyToolResult(ToolResult result, PointF position) {
  if (!captured_ && (result & kCapture) != 0) {
    Window().SetCapture();
    captured_ = true;
  }
  if (captured_ && (result & kRelease) != 0) ForgetGesture();
  if ((result & kScroll) != 0 && strokePoints_.size() >= 2) {
    const PointF p0 = strokePoints_[0];
    const PointF p1 = strokePoints_[1];
    Fire(kOnMoveImage, TruncateCoordinate(p0.X - p1.X), TruncateCoordinate(p0.Y - p1.Y));
  }
  if ((result & kRedraw) != 0) Repaint();
  if ((result & kLayersChanged) != 0) Fire(kOnInvalidateInfo);
  if ((result & kPickColor) != 0) PickColor(position);
}

// Reads what the last paint left in the back buffer; outside it the colour
// is black.
void CDrawingControl::PickColor(PointF position) {
  const int32_t x = TruncateCoordinate(position.X);
  const int32_t y = TruncateCoordinate(position.Y);
  imaging::ARGB pixel = 0xFF000000u;
  if (backBuffer_->GetPixel(x, y, &pixel) != imaging::Status::Ok) pixel = 0xFF000000u;
  Current().colour = pixel & 0x00FFFFFFu;
  Fire(kOnUpdateColor);
}

void CDrawingControl::OnDraw(const ui::DrawContext& context) {
  Render(Current(), *backBuffer_, strokePoints_, RenderMode::Screen);
  imaging::Graphics graphics(*context.surface);
  graphics.TranslateTransform(static_cast<float>(-context.origin.x),
                              static_cast<float>(-context.origin.y));
  graphics.SetInterpolationMode(imaging::InterpolationMode::NearestNeighbor);
  const RECT& bounds = context.bounds;
  const imaging::Rect dest{bounds.left, bounds.top, bounds.right - bounds.left,
                           bounds.bottom - bounds.top};
  graphics.DrawImage(*backBuffer_, dest, 0, 0, static_cast<int32_t>(backBuffer_->GetWidth()),
                     static_cast<int32_t>(backBuffer_->GetHeight()));
}

}  // namespace varn::drawing
