#include "host/page/script_control.h"

#include <QCoreApplication>
#include <QJSEngine>
#include <QKeyEvent>
#include <QMouseEvent>

#include <stdexcept>
#include <vector>

#include "host/page/method_arguments.h"
#include "host/page/script_values.h"
#include "platform/com/com_object.h"
#include "platform/ui/window_messages.h"

namespace varn::host {

// Receives the control's events for one ScriptControl. It answers the event
// interface's IID as well as IDispatch, as the connection point asks for both.
class ControlEventSink final : public com::ComObject<IDispatch> {
 public:
  ControlEventSink(ScriptControl& owner, const IID& eventIid)
      : ComObject(com::ModuleCount::kNotCounted), owner_(&owner), eventIid_(eventIid) {}

  void Detach() { owner_ = nullptr; }

  HRESULT GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                 UINT*) override {
    if (result != nullptr) *result = VARIANT{};
    const DISPPARAMS none{nullptr, nullptr, 0, 0};
    // Nothing thrown may cross back into the control.
    try {
      if (owner_ != nullptr) owner_->OnEvent(dispid, params != nullptr ? *params : none);
    } catch (...) {
      return E_UNEXPECTED;
    }
    return S_OK;
  }

 protected:
  void* FindExtraInterface(REFIID riid) override {
    return riid == eventIid_ ? static_cast<IDispatch*>(this) : nullptr;
  }

 private:
  ScriptControl* owner_;
  IID eventIid_;
};

namespace {

std::u16string_view View(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

QString ToQString(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ScriptControl::ScriptControl(PageContext& page, com::ComRef<IUnknown> object, IOleClientSite* site,
                             QObject* parent)
    : QObject(parent), page_(page) {
  dispatch_ = object.As<IDispatch>();
  if (!dispatch_) throw std::runtime_error("the object has no dispatch interface");
  members_ = ControlMembers::Read(*page.module, *dispatch_.Get());
  className_ = ToQString(members_.ClassName());
  oleObject_ = object.As<IOleObject>();
  windowless_ = object.As<IOleInPlaceObjectWindowless>();
  view_ = object.As<IViewObject>();
  if (oleObject_ && site != nullptr) oleObject_->SetClientSite(site);

  auto container = object.As<IConnectionPointContainer>();
  if (!container ||
      FAILED(container->FindConnectionPoint(members_.EventInterface(), eventPoint_.Out()))) {
    throw std::runtime_error("the control offers no events");
  }
  sink_ = new ControlEventSink(*this, members_.EventInterface());
  sink_->AddRef();
  const HRESULT advised = eventPoint_->Advise(sink_->Identity(), &adviseCookie_);
  if (FAILED(advised)) {
    Disconnect();
    throw std::runtime_error("the control refused the page's event sink: " +
                             DescribeHResult(advised).toStdString());
  }
}

ScriptControl::~ScriptControl() { Disconnect(); }

void ScriptControl::Disconnect() {
  if (eventPoint_ && adviseCookie_ != 0) eventPoint_->Unadvise(adviseCookie_);
  adviseCookie_ = 0;
  eventPoint_.Reset();
  if (sink_ != nullptr) {
    sink_->Detach();
    sink_->Release();
    sink_ = nullptr;
  }
  if (oleObject_) {
    oleObject_->Close(OLECLOSE_NOSAVE);
    oleObject_->SetClientSite(nullptr);
  }
  oleObject_.Reset();
  windowless_.Reset();
  view_.Reset();
  dispatch_.Reset();
  handlers_.clear();
}

QString ScriptControl::Qualified(const QString& member) const {
  return className_ + QLatin1Char('.') + member;
}

bool ScriptControl::Connected() {
  if (dispatch_) return true;
  page_.engine->throwError(QJSValue::TypeError,
                           className_ + QStringLiteral(" has been removed from the page"));
  return false;
}

const MemberInfo* ScriptControl::Find(const QString& name, const char* purpose) {
  const MemberInfo* member = members_.FindMember(View(name));
  if (member == nullptr) {
    page_.engine->throwError(QJSValue::TypeError,
                             QStringLiteral("%1 has no member '%2' to %3")
                                 .arg(className_, name, QLatin1String(purpose)));
  }
  return member;
}

QString ScriptControl::kind(const QString& name) const {
  if (const MemberInfo* member = members_.FindMember(View(name))) {
    return member->method ? QStringLiteral("method") : QStringLiteral("property");
  }
  if (members_.FindEventByName(View(name))) return QStringLiteral("event");
  return {};
}

QJSValue ScriptControl::get(const QString& name) {
  if (!Connected()) return {};
  if (auto event = members_.FindEventByName(View(name))) {
    auto found = handlers_.find(*event);
    return found != handlers_.end() ? found->second : QJSValue(QJSValue::NullValue);
  }
  const MemberInfo* member = Find(name, "read");
  if (member == nullptr) return {};
  if (!member->gettable) {
    page_.engine->throwError(QJSValue::TypeError, Qualified(ToQString(member->name)) +
                                                      QStringLiteral(" cannot be read"));
    return {};
  }
  VARIANT result{};
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  const HRESULT hr = dispatch_->Invoke(member->dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                       &result, nullptr, nullptr);
  QJSValue value = FromVariant(*page_.module, result);
  page_.module->ClearVariant(result);
  if (FAILED(hr)) {
    ThrowHResult(*page_.engine, Qualified(ToQString(member->name)), hr);
    return {};
  }
  return value;
}

void ScriptControl::set(const QString& name, const QJSValue& value) {
  if (!Connected()) return;
  if (auto event = members_.FindEventByName(View(name))) {
    if (value.isNull() || value.isUndefined()) {
      handlers_.erase(*event);
    } else if (value.isCallable()) {
      handlers_[*event] = value;
    } else {
      page_.engine->throwError(QJSValue::TypeError,
                               Qualified(name) + QStringLiteral(" takes a function or null"));
    }
    return;
  }
  const MemberInfo* member = Find(name, "set");
  if (member == nullptr) return;
  const QString qualified = Qualified(ToQString(member->name));
  if (!member->puttable) {
    page_.engine->throwError(QJSValue::TypeError, qualified + QStringLiteral(" cannot be set"));
    return;
  }
  VARIANT argument{};
  QString error;
  if (!ToVariant(*page_.module, value, member->putType, argument, &error)) {
    page_.engine->throwError(QJSValue::TypeError, qualified + QStringLiteral(": ") + error);
    return;
  }
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&argument, &named, 1, 1};
  const HRESULT hr = dispatch_->Invoke(member->dispid, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params,
                                       nullptr, nullptr, nullptr);
  page_.module->ClearVariant(argument);
  if (FAILED(hr)) ThrowHResult(*page_.engine, qualified, hr);
}

QJSValue ScriptControl::call(const QString& name, const QJSValue& args) {
  if (!Connected()) return {};
  const MemberInfo* member = Find(name, "call");
  if (member == nullptr) return {};
  const QString qualified = Qualified(ToQString(member->name));
  if (!member->method) {
    page_.engine->throwError(QJSValue::TypeError,
                             qualified + QStringLiteral(" is a property, not a method"));
    return {};
  }
  const size_t given = args.property(QStringLiteral("length")).toUInt();
  if (given != member->InCount()) {
    QStringList names;
    for (const ParamInfo& param : member->params) {
      if (!param.out) names << ToQString(param.name);
    }
    page_.engine->throwError(
        QJSValue::TypeError,
        QStringLiteral("%1 takes %2 argument(s)%3, %4 given")
            .arg(qualified)
            .arg(member->InCount())
            .arg(names.isEmpty() ? QString() : QStringLiteral(" (") + names.join(", ") + ")")
            .arg(given));
    return {};
  }

  MethodArguments arguments(*page_.module, *member);
  QString error;
  if (!arguments.Fill(args, &error)) {
    page_.engine->throwError(QJSValue::TypeError, qualified + QStringLiteral(": ") + error);
    return {};
  }
  VARIANT result{};
  const HRESULT hr = dispatch_->Invoke(member->dispid, IID_NULL, 0, DISPATCH_METHOD,
                                       arguments.Params(), &result, nullptr, nullptr);
  QJSValue returned = FromVariant(*page_.module, result);
  page_.module->ClearVariant(result);
  if (FAILED(hr)) {
    ThrowHResult(*page_.engine, qualified, hr);
    return {};
  }
  return arguments.HasOuts() ? arguments.TakeOuts(*page_.engine) : returned;
}

void ScriptControl::OnEvent(DISPID dispid, const DISPPARAMS& params) {
  auto found = handlers_.find(dispid);
  if (found == handlers_.end()) return;
  // A handler may replace itself; keep the one being called alive.
  QJSValue handler = found->second;
  QJSValueList args;
  for (UINT i = params.cArgs; i-- > 0;) {
    args << FromVariant(*page_.module, params.rgvarg[i]);
  }
  const QJSValue outcome = handler.call(args);
  if (outcome.isError()) {
    const EventInfo* event = members_.FindEvent(dispid);
    const QString name = event != nullptr ? ToQString(event->name) : QString::number(dispid);
    page_.ReportError(
        QStringLiteral("in %1 handler: %2").arg(Qualified(name), DescribeScriptError(outcome)));
  }
}

void ScriptControl::Resize(int width, int height) {
  size_ = QSize(width, height);
  if (!windowless_) return;
  if (widget_) {
    const QRect geometry(widget_->pos(), size_);
    const RECT rect{geometry.left(), geometry.top(), geometry.left() + width,
                    geometry.top() + height};
    windowless_->SetObjectRects(&rect, &rect);
    return;
  }
  LRESULT ignored = 0;
  windowless_->OnWindowMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height), &ignored);
}

namespace {

std::vector<MouseEvent> EventsOf(MouseAction action) {
  switch (action) {
    case MouseAction::kPress:
      return {MouseEvent::kLeftDown};
    case MouseAction::kMove:
      return {MouseEvent::kMove};
    case MouseAction::kRelease:
      return {MouseEvent::kLeftUp};
    case MouseAction::kDoubleClick:
      // As a window sees one: press, release, double-click, release.
      return {MouseEvent::kLeftDown, MouseEvent::kLeftUp, MouseEvent::kLeftDoubleClick,
              MouseEvent::kLeftUp};
    case MouseAction::kRightPress:
      return {MouseEvent::kRightDown, MouseEvent::kRightUp};
  }
  return {};
}

}  // namespace

void ScriptControl::Mouse(MouseAction action, int x, int y) {
  for (MouseEvent event : EventsOf(action)) {
    if (event == MouseEvent::kLeftDown || event == MouseEvent::kLeftDoubleClick) leftDown_ = true;
    if (event == MouseEvent::kLeftUp) leftDown_ = false;
    if (widget_) {
      SendWidgetMouse(event, x, y);
    } else {
      SendWindowMessage(event, x, y);
    }
  }
}

void ScriptControl::SendWindowMessage(MouseEvent event, int x, int y) {
  if (!windowless_) return;
  const WPARAM held = leftDown_ ? MK_LBUTTON : 0;
  static constexpr UINT kMessages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP,   WM_LBUTTONDBLCLK,
                                       WM_MOUSEMOVE,   WM_RBUTTONDOWN, WM_RBUTTONUP};
  const UINT message = kMessages[static_cast<size_t>(event)];
  const WPARAM buttons = event == MouseEvent::kRightDown ? MK_RBUTTON : held;
  LRESULT ignored = 0;
  windowless_->OnWindowMessage(message, buttons, MAKELPARAM(x, y), &ignored);
}

void ScriptControl::SendWidgetMouse(MouseEvent event, int x, int y) {
  struct QtEvent {
    QEvent::Type type;
    Qt::MouseButton button;
  };
  static constexpr QtEvent kEvents[] = {
      {QEvent::MouseButtonPress, Qt::LeftButton},    {QEvent::MouseButtonRelease, Qt::LeftButton},
      {QEvent::MouseButtonDblClick, Qt::LeftButton}, {QEvent::MouseMove, Qt::NoButton},
      {QEvent::MouseButtonPress, Qt::RightButton},   {QEvent::MouseButtonRelease, Qt::RightButton},
  };
  const QtEvent& qt = kEvents[static_cast<size_t>(event)];
  const Qt::MouseButtons held = event == MouseEvent::kRightDown ? Qt::RightButton
                                : leftDown_                     ? Qt::LeftButton
                                                                : Qt::NoButton;
  const QPointF local(x, y);
  QMouseEvent mouse(qt.type, local, widget_->mapToGlobal(local), qt.button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(widget_, &mouse);
}

void ScriptControl::Key(WPARAM key, bool shift) {
  if (shift) SendKey(true, VK_SHIFT, true);
  SendKey(true, key, shift);
  SendKey(false, key, shift);
  if (shift) SendKey(false, VK_SHIFT, false);
}

// A window gets Qt's key events, which it turns into the messages; a
// windowless control gets the messages from its host.
void ScriptControl::SendKey(bool down, WPARAM key, bool shift) {
  static constexpr std::pair<WPARAM, Qt::Key> kQtKeys[] = {
      {VK_SHIFT, Qt::Key_Shift},   {VK_LEFT, Qt::Key_Left}, {VK_RIGHT, Qt::Key_Right},
      {VK_UP, Qt::Key_Up},         {VK_DOWN, Qt::Key_Down}, {VK_PRIOR, Qt::Key_PageUp},
      {VK_NEXT, Qt::Key_PageDown},
  };
  if (widget_) {
    for (const auto& [virtualKey, qtKey] : kQtKeys) {
      if (virtualKey != key) continue;
      QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, qtKey,
                      shift ? Qt::ShiftModifier : Qt::NoModifier);
      QCoreApplication::sendEvent(widget_, &event);
    }
    return;
  }
  if (!windowless_) return;
  LRESULT ignored = 0;
  const LPARAM state = down ? kKeyRepeatOnce : kKeyRepeatOnce | kKeyPreviousDown | kKeyReleased;
  windowless_->OnWindowMessage(down ? WM_KEYDOWN : WM_KEYUP, key, state, &ignored);
}

QImage ScriptControl::Snapshot() {
  QImage image(size_, QImage::Format_ARGB32);
  if (image.isNull() || !view_) return {};
  image.fill(Qt::white);
  VarnSurface surface{reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height(),
                      static_cast<int32_t>(image.bytesPerLine())};
  const RECTL bounds{0, 0, image.width(), image.height()};
  const HRESULT hr = view_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &surface, &bounds,
                                 nullptr, nullptr, 0);
  if (FAILED(hr)) return {};
  return image;
}

bool ScriptControl::Activate(QWidget* parent, const QRect& rect) {
  if (!oleObject_ || !windowless_) return false;
  const RECT position{rect.left(), rect.top(), rect.left() + rect.width(),
                      rect.top() + rect.height()};
  com::ComRef<IOleClientSite> site;
  oleObject_->GetClientSite(site.Out());
  if (FAILED(oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, parent,
                                &position))) {
    return false;
  }
  HWND window = nullptr;
  if (FAILED(windowless_->GetWindow(&window)) || window == nullptr) return false;
  widget_ = static_cast<QWidget*>(window);
  size_ = rect.size();
  return true;
}

}  // namespace varn::host
