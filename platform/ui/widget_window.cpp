#include "platform/ui/widget_window.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <utility>

#include "platform/ui/rect_ops.h"
#include "platform/ui/window_messages.h"

namespace varn::ui {
namespace {

// WM_SIZE carries 16-bit sizes; a window never grows beyond what it can report.
constexpr int kMaxWindowExtent = 32767;

QRect ToQRect(const RECT& rect) {
  const int width = std::clamp<int64_t>(int64_t{rect.right} - rect.left, 0, kMaxWindowExtent);
  const int height = std::clamp<int64_t>(int64_t{rect.bottom} - rect.top, 0, kMaxWindowExtent);
  return QRect(rect.left, rect.top, width, height);
}

Qt::CursorShape ToQtCursor(SystemCursor cursor) {
  switch (cursor) {
    case IDC_IBEAM:
      return Qt::IBeamCursor;
    case IDC_WAIT:
      return Qt::WaitCursor;
    case IDC_CROSS:
      return Qt::CrossCursor;
    case IDC_UPARROW:
      return Qt::UpArrowCursor;
    case IDC_SIZENWSE:
      return Qt::SizeFDiagCursor;
    case IDC_SIZENESW:
      return Qt::SizeBDiagCursor;
    case IDC_SIZEWE:
      return Qt::SizeHorCursor;
    case IDC_SIZENS:
      return Qt::SizeVerCursor;
    case IDC_SIZEALL:
      return Qt::SizeAllCursor;
    case IDC_NO:
      return Qt::ForbiddenCursor;
    case IDC_HAND:
      return Qt::PointingHandCursor;
    case IDC_APPSTARTING:
      return Qt::BusyCursor;
    case IDC_HELP:
      return Qt::WhatsThisCursor;
    case IDC_ARROW:
      break;
  }
  return Qt::ArrowCursor;
}

WPARAM KeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  WPARAM state = 0;
  if (buttons & Qt::LeftButton) state |= MK_LBUTTON;
  if (buttons & Qt::RightButton) state |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) state |= MK_MBUTTON;
  if (modifiers & Qt::ShiftModifier) state |= MK_SHIFT;
  if (modifiers & Qt::ControlModifier) state |= MK_CONTROL;
  return state;
}

enum class ButtonAction { kDown, kUp, kDoubleClick };

// 0 for buttons a control has no message for.
UINT ButtonMessage(Qt::MouseButton button, ButtonAction action) {
  UINT base = 0;
  switch (button) {
    case Qt::LeftButton:
      base = WM_LBUTTONDOWN;
      break;
    case Qt::RightButton:
      base = WM_RBUTTONDOWN;
      break;
    case Qt::MiddleButton:
      base = WM_MBUTTONDOWN;
      break;
    default:
      return 0;
  }
  // Each button's down, up and double-click messages follow one another.
  return base + static_cast<UINT>(action);
}

// The virtual key of a Qt key, 0 for keys a control has no code for.
WPARAM VirtualKey(int key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
    return static_cast<WPARAM>(key);
  }
  static constexpr std::pair<int, WPARAM> kKeys[] = {
      {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},       {Qt::Key_Return, VK_RETURN},
      {Qt::Key_Enter, VK_RETURN},   {Qt::Key_Shift, VK_SHIFT},   {Qt::Key_Control, VK_CONTROL},
      {Qt::Key_Alt, VK_MENU},       {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Space, VK_SPACE},
      {Qt::Key_PageUp, VK_PRIOR},   {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
      {Qt::Key_Home, VK_HOME},      {Qt::Key_Left, VK_LEFT},     {Qt::Key_Up, VK_UP},
      {Qt::Key_Right, VK_RIGHT},    {Qt::Key_Down, VK_DOWN},     {Qt::Key_Delete, VK_DELETE},
  };
  for (const auto& [qtKey, virtualKey] : kKeys) {
    if (qtKey == key) return virtualKey;
  }
  return 0;
}

LPARAM PositionParam(const QMouseEvent& event) {
  const QPoint position = event.position().toPoint();
  return MAKELPARAM(position.x(), position.y());
}

class ControlWidget final : public QWidget {
 public:
  ControlWidget(QWidget* parent, WindowClient* client) : QWidget(parent), client_(client) {
    // The control paints every pixel itself and never wants its background erased.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // Windows delivers moves without a button held; so does this window.
    setMouseTracking(true);
    // A click or Tab gives the control the keyboard, as a click on a control
    // window does.
    setFocusPolicy(Qt::StrongFocus);
  }

  // After this the widget calls nothing on the control.
  void Detach() { client_ = nullptr; }
  bool InDelivery() const { return depth_ > 0; }

  void AnnounceSize(QSize size) {
    if (size == announcedSize) return;
    announcedSize = size;
    Deliver(WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.width(), size.height()));
  }

  bool captured = false;
  SystemCursor cursor = IDC_ARROW;
  QSize announcedSize;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    // The press of a second click becomes the double-click message alone.
    if (event->flags() & Qt::MouseEventCreatedDoubleClick) return;
    DeliverButton(*event, ButtonAction::kDown);
  }
  void mouseReleaseEvent(QMouseEvent* event) override { DeliverButton(*event, ButtonAction::kUp); }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    DeliverButton(*event, ButtonAction::kDoubleClick);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    Deliver(WM_MOUSEMOVE, KeyState(event->buttons(), event->modifiers()), PositionParam(*event));
  }
  void keyPressEvent(QKeyEvent* event) override { DeliverKey(*event, WM_KEYDOWN); }
  void keyReleaseEvent(QKeyEvent* event) override { DeliverKey(*event, WM_KEYUP); }
  void resizeEvent(QResizeEvent* event) override { AnnounceSize(event->size()); }
  void hideEvent(QHideEvent* /*event*/) override { CancelMode(); }
  void paintEvent(QPaintEvent* event) override;

  // Watches the top-level window: a modal dialog over it or its deactivation
  // ends a drag, as it would on Windows.
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowDeactivate) {
      CancelMode();
    }
    return false;
  }

 private:
  struct DeliveryScope {
    explicit DeliveryScope(int& depth) : depth_(depth) { ++depth_; }
    ~DeliveryScope() { --depth_; }
    DeliveryScope(const DeliveryScope&) = delete;
    DeliveryScope& operator=(const DeliveryScope&) = delete;
    int& depth_;
  };

  MessageReply Deliver(UINT message, WPARAM wParam, LPARAM lParam) {
    if (client_ == nullptr) return PassOn();
    const DeliveryScope scope(depth_);
    return client_->DeliverMessage({message, wParam, lParam});
  }

  // A key the control leaves alone goes on to the page around it.
  void DeliverKey(QKeyEvent& event, UINT message) {
    const WPARAM key = VirtualKey(event.key());
    if (key == 0) {
      event.ignore();
      return;
    }
    if (key == VK_SHIFT) {
      shiftDelivered_ = message == WM_KEYDOWN;
    } else {
      FollowShift(event.modifiers());
    }
    LPARAM lParam = kKeyRepeatOnce;
    if (message == WM_KEYUP) lParam |= kKeyPreviousDown | kKeyReleased;
    if (message == WM_KEYDOWN && event.isAutoRepeat()) lParam |= kKeyPreviousDown;
    if (Deliver(message, key, lParam).handled()) {
      event.accept();
    } else {
      event.ignore();
    }
  }

  // Key messages carry no modifiers, so the control learns of Shift from its
  // own messages; one pressed or released while the focus was elsewhere is
  // reported before the next key.
  void FollowShift(Qt::KeyboardModifiers modifiers) {
    const bool held = (modifiers & Qt::ShiftModifier) != 0;
    if (held == shiftDelivered_) return;
    shiftDelivered_ = held;
    Deliver(held ? WM_KEYDOWN : WM_KEYUP, VK_SHIFT,
            held ? kKeyRepeatOnce : kKeyRepeatOnce | kKeyPreviousDown | kKeyReleased);
  }

  void DeliverButton(const QMouseEvent& event, ButtonAction action) {
    const UINT message = ButtonMessage(event.button(), action);
    if (message == 0) return;
    Deliver(message, KeyState(event.buttons(), event.modifiers()), PositionParam(event));
  }

  void CancelMode() {
    if (captured) Deliver(WM_CANCELMODE, 0, 0);
  }

  bool PrepareBackBuffer();

  WindowClient* client_;
  int depth_ = 0;
  bool shiftDelivered_ = false;
  // Kept between paints: what a control leaves unpainted shows what was there.
  QImage backBuffer_;
};

bool ControlWidget::PrepareBackBuffer() {
  const QSize wanted = size();
  if (backBuffer_.size() == wanted) return true;
  QImage fresh(wanted, QImage::Format_RGB32);
  if (fresh.isNull()) return false;
  fresh.fill(Qt::white);
  if (!backBuffer_.isNull()) {
    QPainter copy(&fresh);
    copy.drawImage(0, 0, backBuffer_);
  }
  backBuffer_ = std::move(fresh);
  return true;
}

void ControlWidget::paintEvent(QPaintEvent* event) {
  if (size().isEmpty() || !PrepareBackBuffer()) return;
  if (client_ != nullptr) {
    VarnSurface surface{reinterpret_cast<uint32_t*>(backBuffer_.bits()), backBuffer_.width(),
                        backBuffer_.height(), static_cast<int32_t>(backBuffer_.bytesPerLine())};
    const DrawContext context{&surface, RECT{0, 0, surface.width, surface.height}, POINT{0, 0}};
    const DeliveryScope scope(depth_);
    client_->PaintWindow(context);
  }
  QPainter painter(this);
  painter.drawImage(event->rect(), backBuffer_, event->rect());
}

}  // namespace

struct WidgetWindow::Impl {
  QPointer<ControlWidget> widget;
  QPointer<QWidget> topLevel;
  QSize lastSize;
};

WidgetWindow::WidgetWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

std::unique_ptr<WidgetWindow> WidgetWindow::Create(HWND parent, const RECT& rect,
                                                   WindowClient& client) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (parent == nullptr || app == nullptr || QThread::currentThread() != app->thread()) {
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  auto* widget = new ControlWidget(static_cast<QWidget*>(parent), &client);
  widget->setGeometry(ToQRect(rect));
  widget->announcedSize = widget->size();
  impl->widget = widget;
  impl->topLevel = widget->window();
  if (impl->topLevel != nullptr && impl->topLevel != widget) {
    impl->topLevel->installEventFilter(widget);
  }
  widget->show();
  return std::unique_ptr<WidgetWindow>(new WidgetWindow(std::move(impl)));
}

WidgetWindow::~WidgetWindow() {
  ControlWidget* widget = impl_->widget;
  if (widget == nullptr) return;
  widget->Detach();
  if (QWidget::mouseGrabber() == widget) widget->releaseMouse();
  if (widget->InDelivery()) {
    // The control let go of its window from inside one of the widget's own
    // events; the widget goes once that event has returned.
    widget->hide();
    widget->deleteLater();
  } else {
    delete widget;
  }
}

HWND WidgetWindow::Handle() const { return static_cast<QWidget*>(impl_->widget.data()); }

HWND WidgetWindow::DialogOwner() const {
  return impl_->widget != nullptr ? static_cast<QWidget*>(impl_->widget->window()) : nullptr;
}

RECT WidgetWindow::GetClientRect() const {
  if (impl_->widget == nullptr) return RECT{0, 0, 0, 0};
  return RECT{0, 0, impl_->widget->width(), impl_->widget->height()};
}

POINT WidgetWindow::ClientToScreen(POINT point) const {
  if (impl_->widget == nullptr) return point;
  const QPoint global = impl_->widget->mapToGlobal(QPoint(point.x, point.y));
  return POINT{global.x(), global.y()};
}

void WidgetWindow::Invalidate() {
  if (impl_->widget != nullptr) impl_->widget->update();
}

void WidgetWindow::InvalidateRect(const RECT& rect) {
  if (impl_->widget == nullptr || IsEmpty(rect)) return;
  impl_->widget->update(ToQRect(rect));
}

void WidgetWindow::SetCapture() {
  ControlWidget* widget = impl_->widget;
  if (widget == nullptr) return;
  widget->captured = true;
  if (widget->isVisible()) widget->grabMouse();
}

void WidgetWindow::ReleaseCapture() {
  ControlWidget* widget = impl_->widget;
  if (widget == nullptr) return;
  widget->captured = false;
  if (QWidget::mouseGrabber() == widget) widget->releaseMouse();
}

bool WidgetWindow::HasCapture() const {
  return impl_->widget != nullptr && impl_->widget->captured;
}

void WidgetWindow::SetCursor(SystemCursor cursor) {
  ControlWidget* widget = impl_->widget;
  if (widget == nullptr) return;
  widget->cursor = cursor;
  widget->setCursor(QCursor(ToQtCursor(cursor)));
}

SystemCursor WidgetWindow::Cursor() const {
  return impl_->widget != nullptr ? impl_->widget->cursor : IDC_ARROW;
}

void WidgetWindow::SetRect(const RECT& rect) {
  ControlWidget* widget = impl_->widget;
  if (widget == nullptr) return;
  widget->setGeometry(ToQRect(rect));
  // A hidden widget gets its resize event only when shown; the control hears
  // of the new size now.
  widget->AnnounceSize(widget->size());
}

bool WidgetWindow::IsAlive() const { return impl_->widget != nullptr; }

}  // namespace varn::ui
