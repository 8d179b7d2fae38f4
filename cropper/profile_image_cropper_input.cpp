// The cropper's window: the mouse and keys move the selection, the paint
// shows the picture darkened around it.
#include "cropper/profile_image_cropper.h"
#include "platform/ui/device_context.h"
#include "platform/ui/window_messages.h"

namespace varn::cropper {
namespace {

using ui::Handled;
using ui::MessageEntry;
using ui::MessageReply;
using ui::WindowMessage;

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

SystemCursor HoverCursor(HitArea area) {
  switch (area) {
    case HitArea::kTopLeft:
    case HitArea::kBottomRight:
      return IDC_SIZENWSE;
    case HitArea::kTopRight:
    case HitArea::kBottomLeft:
      return IDC_SIZENESW;
    case HitArea::kSquare:
      return IDC_SIZENS;
    case HitArea::kRectangle:
      return IDC_SIZEALL;
    case HitArea::kOutside:
      break;
  }
  return IDC_ARROW;
}

RECT Offset(const RECT& rect, POINT by) {
  return RECT{rect.left + by.x, rect.top + by.y, rect.right + by.x, rect.bottom + by.y};
}

}  // namespace

MessageReply CProfileImageCropper::ProcessWindowMessage(const WindowMessage& message) {
  static constexpr MessageEntry<CProfileImageCropper> kMap[] = {
      {WM_ERASEBKGND, &CProfileImageCropper::OnEraseBackground},
      {WM_LBUTTONDOWN, &CProfileImageCropper::OnLButtonDown},
      {WM_MOUSEMOVE, &CProfileImageCropper::OnMouseMove},
      {WM_LBUTTONUP, &CProfileImageCropper::OnLButtonUp},
      {WM_CANCELMODE, &CProfileImageCropper::OnCancelMode},
      {WM_KEYDOWN, &CProfileImageCropper::OnKeyDown},
      {WM_KEYUP, &CProfileImageCropper::OnKeyUp},
  };
  return ui::RouteMessage(*this, kMap, message);
}

// The paint covers the whole client area; there is nothing to erase first.
MessageReply CProfileImageCropper::OnEraseBackground(const WindowMessage& /*message*/) {
  return Handled(0);
}

// A press on a handle, the square or the rectangle starts a drag and takes
// the mouse; anywhere else nothing happens.
MessageReply CProfileImageCropper::OnLButtonDown(const WindowMessage& message) {
  EndDrag();
  const POINT point = PointOf(message.lParam);
  const DragMode mode = DragModeFor(HitTest(selection_, point));
  if (mode != DragMode::kNone) {
    drag_.emplace(mode, selection_, point);
    Window().SetCapture();
  }
  return Handled(0);
}

MessageReply CProfileImageCropper::OnMouseMove(const WindowMessage& message) {
  const POINT point = PointOf(message.lParam);
  if (!drag_) {
    Window().SetCursor(HoverCursor(HitTest(selection_, point)));
    return Handled(0);
  }
  const RECT client = ClientRect();
  selection_ = drag_->MoveTo(point, client.right, client.bottom);
  Repaint();
  return Handled(0);
}

MessageReply CProfileImageCropper::OnLButtonUp(const WindowMessage& /*message*/) {
  EndDrag();
  return Handled(0);
}

// The system took the mouse away: the selection stays where the drag left
// it, and the standard handling lets go of the capture.
MessageReply CProfileImageCropper::OnCancelMode(const WindowMessage& /*message*/) {
  drag_.reset();
  return ui::PassOn();
}

void CProfileImageCropper::EndDrag() {
  if (!drag_) return;
  drag_.reset();
  Window().ReleaseCapture();
}

// The keys a focused control hears: arrows move the selection, the page keys
// slide the square. During a drag they are left alone, since the next move
// of the mouse would undo them.
MessageReply CProfileImageCropper::OnKeyDown(const WindowMessage& message) {
  if (message.wParam == VK_SHIFT) {
    shiftDown_ = true;
    return ui::PassOn();
  }
  const int32_t step = shiftDown_ ? kShiftKeyStep : kKeyStep;
  int32_t dx = 0;
  int32_t dy = 0;
  int32_t slide = 0;
  switch (message.wParam) {
    case VK_LEFT:
      dx = -step;
      break;
    case VK_RIGHT:
      dx = step;
      break;
    case VK_UP:
      dy = -step;
      break;
    case VK_DOWN:
      dy = step;
      break;
    case VK_PRIOR:
      slide = -kPageKeyStep;
      break;
    case VK_NEXT:
      slide = kPageKeyStep;
      break;
    default:
      return ui::PassOn();
  }
  if (drag_) return Handled(0);
  if (slide != 0) {
    selection_ = SlideSquare(selection_, slide);
  } else {
    const RECT client = ClientRect();
    selection_ = MoveSelection(selection_, dx, dy, client.right, client.bottom);
  }
  Repaint();
  return Handled(0);
}

MessageReply CProfileImageCropper::OnKeyUp(const WindowMessage& message) {
  if (message.wParam == VK_SHIFT) shiftDown_ = false;
  return ui::PassOn();
}

// The bounds stand for the client area: the picture at their top-left
// corner, never scaled, and black wherever it does not reach.
void CProfileImageCropper::OnDraw(const ui::DrawContext& context) {
  ui::DeviceContext dc(context);
  const RECT& bounds = context.bounds;
  dc.IntersectClipRect(bounds);
  if (display_ == nullptr) {
    dc.FillRect(bounds, WHITE_BRUSH);
    return;
  }
  const POINT origin{bounds.left, bounds.top};
  const int32_t width = bounds.right - bounds.left;
  const int32_t height = bounds.bottom - bounds.top;
  const VarnSurface picture = display_->Surface();
  dc.FillRect(bounds, BLACK_BRUSH);
  dc.AlphaBlend(origin.x, origin.y, width, height, picture, 0, 0, kDarkenAlpha);

  const RECT& crop = selection_.rect;
  const RECT placed = Offset(crop, origin);
  dc.BitBlt(placed.left, placed.top, crop.right - crop.left, crop.bottom - crop.top, picture,
            crop.left, crop.top);
  dc.SelectObject(WHITE_PEN);
  dc.SelectObject(NULL_BRUSH);
  dc.Rectangle(placed);
  dc.DrawFocusRect(Offset(SquareOf(selection_), origin));
  const POINT corners[] = {
      {placed.left, placed.top},
      {placed.left, placed.bottom},
      {placed.right, placed.top},
      {placed.right, placed.bottom},
  };
  for (const POINT& corner : corners) dc.FillRect(HandleBox(corner.x, corner.y), WHITE_BRUSH);
}

}  // namespace varn::cropper
