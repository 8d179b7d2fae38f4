// The window a control lives in, seen from the control: the window operations
// it calls, whether the window is a real widget or kept by the layer for a
// windowless host.
#pragma once

#include "platform/com/types.h"
#include "platform/ui/draw_context.h"
#include "platform/ui/message_map.h"
#include "platform/ui/system_cursors.h"

namespace varn::ui {

enum class WindowKind { kHeadless, kWidget };

// What a window calls on the control it belongs to. Implemented by the control
// base; a window never outlives the control that owns it.
class WindowClient {
 public:
  // Delivers one message, the standard handling included.
  virtual MessageReply DeliverMessage(const WindowMessage& message) = 0;
  virtual void PaintWindow(const DrawContext& context) = 0;

 protected:
  ~WindowClient() = default;
};

class ControlWindow {
 public:
  virtual ~ControlWindow() = default;

  virtual WindowKind Kind() const = 0;
  // The native handle (a QWidget*), null without a real window.
  virtual HWND Handle() const = 0;
  // The window that owns dialogs shown for the control, null when none.
  virtual HWND DialogOwner() const = 0;

  virtual RECT GetClientRect() const = 0;
  virtual POINT ClientToScreen(POINT point) const = 0;

  // Marks the whole client area, or a rectangle of it, for repainting. The
  // background is never erased.
  virtual void Invalidate() = 0;
  virtual void InvalidateRect(const RECT& rect) = 0;

  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  virtual bool HasCapture() const = 0;

  // The cursor shown over the window until it is changed again.
  virtual void SetCursor(SystemCursor cursor) = 0;
  virtual SystemCursor Cursor() const = 0;
};

}  // namespace varn::ui
