// One control on the page as its script sees it. The page's prelude wraps this
// object in a JavaScript Proxy, so that `board.penWidth = 5`, `board.AddLayer()`
// and `board.OnUploadFile = function (...) {}` reach kind/get/set/call here,
// which turn them into IDispatch calls by dispid. Events arrive through a sink
// connected to the control's event interface and call the handler property of
// the same name at once, inside the member call that fired them.
#pragma once

#include <QImage>
#include <QJSValue>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <map>

#include "host/page/control_members.h"
#include "host/page/page_context.h"
#include "platform/com/com_ref.h"
#include "platform/com/connection_point.h"
#include "platform/com/ole_object.h"
#include "platform/com/view_object.h"

namespace varn::host {

class ControlEventSink;

// The member's mouse in client coordinates.
enum class MouseAction { kPress, kMove, kRelease, kDoubleClick, kRightPress };
// One event of an action as a window receives it; the order indexes the
// message and Qt event tables.
enum class MouseEvent { kLeftDown, kLeftUp, kLeftDoubleClick, kMove, kRightDown, kRightUp };

class ScriptControl final : public QObject {
  Q_OBJECT

 public:
  // Connects to object (a new control) and gives it site; throws
  // std::runtime_error when it is not a scriptable control.
  ScriptControl(PageContext& page, com::ComRef<IUnknown> object, IOleClientSite* site,
                QObject* parent = nullptr);
  ~ScriptControl() override;

  // "method", "property", "event", or "" for a name the control does not have.
  Q_INVOKABLE QString kind(const QString& name) const;
  Q_INVOKABLE QJSValue get(const QString& name);
  Q_INVOKABLE void set(const QString& name, const QJSValue& value);
  // args: an array of the call's arguments, without its out parameters.
  Q_INVOKABLE QJSValue call(const QString& name, const QJSValue& args);
  Q_INVOKABLE QString className() const { return className_; }

  // The host's side.
  void Resize(int width, int height);
  QSize Size() const { return size_; }
  void Mouse(MouseAction action, int x, int y);
  // A key (a Win32 virtual key) pressed and let go while the control has the
  // keyboard; with shift, inside Shift's own press and release.
  void Key(WPARAM key, bool shift);
  // The control's picture as a page would show it, drawn through IViewObject.
  QImage Snapshot();
  // In-place activation as a child widget of parent at rect.
  bool Activate(QWidget* parent, const QRect& rect);
  QWidget* Widget() const { return widget_; }
  // Disconnects events and the site and closes the control; idempotent.
  void Disconnect();

  // From the sink: calls the handler of event dispid with params.
  void OnEvent(DISPID dispid, const DISPPARAMS& params);

 private:
  // False, with a TypeError thrown, once the page has let go of the control.
  bool Connected();
  const MemberInfo* Find(const QString& name, const char* purpose);
  QString Qualified(const QString& member) const;
  void SendWindowMessage(MouseEvent event, int x, int y);
  void SendWidgetMouse(MouseEvent event, int x, int y);
  void SendKey(bool down, WPARAM key, bool shift);

  PageContext& page_;
  com::ComRef<IDispatch> dispatch_;
  com::ComRef<IOleObject> oleObject_;
  com::ComRef<IOleInPlaceObjectWindowless> windowless_;
  com::ComRef<IViewObject> view_;
  com::ComRef<IConnectionPoint> eventPoint_;
  ControlEventSink* sink_ = nullptr;
  DWORD adviseCookie_ = 0;
  ControlMembers members_;
  QString className_;
  std::map<DISPID, QJSValue> handlers_;
  QSize size_;
  bool leftDown_ = false;
  QPointer<QWidget> widget_;
};

}  // namespace varn::host
