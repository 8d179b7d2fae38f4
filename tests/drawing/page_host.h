// A page and its host around one DrawingControl: members by dispid through
// IDispatch, window messages, Draw into a surface, a sink that records every
// event with its text arguments, and a site whose dialog service answers the
// file dialogs from a list of prepared paths.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "drawing/drawing_control.h"
#include "platform/com/bstr.h"
#include "platform/com/com_object.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"
#include "platform/com/host_ui.h"
#include "platform/com/service_provider.h"
#include "platform/system/utf_convert.h"
#include "platform/ui/window_messages.h"
#include "tests/support/dispatch_call.h"
#include "tests/support/event_sink_base.h"
#include "tests/support/windowless_input.h"

namespace varn::drawing::testing {

// One event as the page saw it: numbers in decimal, flags as -1 or 0, texts
// as they came.
struct PageEvent {
  DISPID dispid;
  std::vector<std::u16string> args;

  friend bool operator==(const PageEvent&, const PageEvent&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const PageEvent& event) {
  out << "event " << event.dispid << "(";
  for (size_t i = 0; i < event.args.size(); ++i) {
    out << (i > 0 ? ", " : "") << '"' << system::Utf16ToUtf8(event.args[i]) << '"';
  }
  return out << ")";
}

class PageSink final : public varn::testing::EventSinkBase {
 public:
  HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 UINT*) override {
    PageEvent event{dispid, {}};
    for (UINT i = params->cArgs; i-- > 0;) {
      const VARIANT& arg = params->rgvarg[i];
      switch (arg.vt) {
        case VT_I4:
          event.args.push_back(system::Utf8ToUtf16(std::to_string(arg.lVal)));
          break;
        case VT_BOOL:
          event.args.push_back(system::Utf8ToUtf16(std::to_string(arg.boolVal)));
          break;
        case VT_BSTR:
          event.args.push_back(com::ToU16String(arg.bstrVal));
          break;
        default:
          ADD_FAILURE() << "event " << dispid << " carries type " << arg.vt;
      }
    }
    events.push_back(event);
    return S_OK;
  }

  std::vector<PageEvent> events;
};

// The host's dialog service: every file dialog takes the next prepared answer
// (a path, or nullopt for a cancel) and is recorded.
class HostDialogs final : public com::ComObject<IVarnHostUI> {
 public:
  struct Request {
    int32_t kind;
    std::optional<std::u16string> filter, initialName, defaultExt;
    uint32_t flags;
  };

  HostDialogs() : ComObject(com::ModuleCount::kNotCounted) {}

  HRESULT ShowFileDialog(int32_t kind, BSTR filter, BSTR initialName, BSTR defaultExt,
                         uint32_t flags, BSTR* path) override {
    requests.push_back({kind, Seen(filter), Seen(initialName), Seen(defaultExt), flags});
    *path = nullptr;
    if (answers.empty() || !answers.front()) {
      if (!answers.empty()) answers.pop_front();
      return S_FALSE;
    }
    const std::u16string chosen = *answers.front();
    answers.pop_front();
    *path = SysAllocStringLen(chosen.data(), static_cast<UINT>(chosen.size()));
    return S_OK;
  }
  HRESULT ShowMessageBox(BSTR, BSTR, uint32_t, int32_t* result) override {
    ++messageBoxes;
    *result = IDOK;
    return S_OK;
  }

  std::deque<std::optional<std::u16string>> answers;
  std::vector<Request> requests;
  int messageBoxes = 0;

 private:
  static std::optional<std::u16string> Seen(BSTR text) {
    if (text == nullptr) return std::nullopt;
    return std::u16string(text, SysStringLen(text));
  }
};

class HostSite final : public com::ComObject<IOleClientSite, IServiceProvider> {
 public:
  explicit HostSite(HostDialogs* dialogs)
      : ComObject(com::ModuleCount::kNotCounted), dialogs_(dialogs) {
    dialogs_->AddRef();
  }
  ~HostSite() override { dialogs_->Release(); }

  HRESULT SaveObject() override { return E_NOTIMPL; }
  HRESULT GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT GetContainer(IOleContainer**) override { return E_NOTIMPL; }
  HRESULT ShowObject() override { return S_OK; }
  HRESULT OnShowWindow(BOOL) override { return S_OK; }
  HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }
  HRESULT QueryService(REFGUID service, REFIID riid, void** object) override {
    *object = nullptr;
    if (!(service == SID_IVarnHostUI)) return E_NOINTERFACE;
    return dialogs_->QueryInterface(riid, object);
  }

 private:
  HostDialogs* dialogs_;
};

// One control on a page with a host site.
class HostedBoard {
 public:
  HostedBoard()
      : control_(com::MakeObject<CDrawingControl>()),
        sink_(com::MakeObject<PageSink>()),
        dialogs_(com::MakeObject<HostDialogs>()),
        site_(com::MakeObject<HostSite>(dialogs_)) {
    if (control_ == nullptr) {
      ADD_FAILURE() << "the control could not be made";
      return;
    }
    control_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_));
    IConnectionPointContainer* container = nullptr;
    control_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    container->FindConnectionPoint(DIID__IDrawingControlEvents, &point_);
    container->Release();
    EXPECT_EQ(point_->Advise(sink_, &cookie_), S_OK);
    IOleObject* object = nullptr;
    control_->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
    object->SetClientSite(site_);
    object->Release();
    Resize(300, 300);
  }
  ~HostedBoard() {
    if (control_ != nullptr) {
      IOleObject* object = nullptr;
      control_->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
      object->SetClientSite(nullptr);
      object->Release();
      point_->Unadvise(cookie_);
      point_->Release();
      dispatch_->Release();
      control_->Release();
    }
    site_->Release();
    dialogs_->Release();
    sink_->Release();
  }
  HostedBoard(const HostedBoard&) = delete;
  HostedBoard& operator=(const HostedBoard&) = delete;

  CDrawingControl& Control() { return *control_; }
  HostDialogs& Dialogs() { return *dialogs_; }
  // The events since the last call, which forgets them.
  std::vector<PageEvent> TakeEvents() {
    std::vector<PageEvent> taken;
    taken.swap(sink_->events);
    return taken;
  }

  HRESULT Invoke(DISPID dispid, WORD flags, std::vector<VARIANT> args, VARIANT* result) {
    return varn::testing::InvokeAsPage(dispatch_, dispid, flags, std::move(args), result);
  }
  HRESULT Call(DISPID dispid) { return Invoke(dispid, DISPATCH_METHOD, {}, nullptr); }

  int32_t GetInt(DISPID dispid) {
    VARIANT result{};
    EXPECT_EQ(Invoke(dispid, DISPATCH_PROPERTYGET, {}, &result), S_OK) << "get " << dispid;
    return result.lVal;
  }
  HRESULT PutInt(DISPID dispid, int32_t value) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = value;
    return Invoke(dispid, DISPATCH_PROPERTYPUT, {v}, nullptr);
  }
  std::u16string GetText(DISPID dispid) {
    VARIANT result{};
    EXPECT_EQ(Invoke(dispid, DISPATCH_PROPERTYGET, {}, &result), S_OK) << "get " << dispid;
    if (result.vt != VT_BSTR || result.bstrVal == nullptr) return {};
    std::u16string text = com::ToU16String(result.bstrVal);
    SysFreeString(result.bstrVal);
    return text;
  }
  HRESULT PutText(DISPID dispid, std::u16string_view text) {
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = com::AllocBstr(text);
    const HRESULT hr = Invoke(dispid, DISPATCH_PROPERTYPUT, {value}, nullptr);
    SysFreeString(value.bstrVal);
    return hr;
  }
  HRESULT PutText(DISPID dispid, const std::string& utf8) {
    return PutText(dispid, std::u16string_view(system::Utf8ToUtf16(utf8)));
  }

  HRESULT Send(UINT message, int32_t x, int32_t y) {
    return varn::testing::SendMouse(Windowless(), message, x, y);
  }
  void Resize(int32_t width, int32_t height) {
    varn::testing::SendSize(Windowless(), width, height);
  }
  void Drag(const std::vector<std::pair<int32_t, int32_t>>& points) {
    varn::testing::SendDrag(Windowless(), points);
  }

  // The control drawn into a width x height surface, rows of 0xAARRGGBB.
  std::vector<uint32_t> Paint(int32_t width, int32_t height) {
    std::vector<uint32_t> picture(static_cast<size_t>(width) * height, 0x12345678u);
    VarnSurface surface{picture.data(), width, height, width * 4};
    const RECTL bounds{0, 0, width, height};
    EXPECT_EQ(control_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &surface, &bounds,
                             nullptr, nullptr, 0),
              S_OK);
    return picture;
  }

 private:
  IOleInPlaceObjectWindowless& Windowless() {
    return static_cast<IOleInPlaceObjectWindowless&>(*control_);
  }

  CDrawingControl* control_ = nullptr;
  PageSink* sink_ = nullptr;
  HostDialogs* dialogs_ = nullptr;
  HostSite* site_ = nullptr;
  IDispatch* dispatch_ = nullptr;
  IConnectionPoint* point_ = nullptr;
  DWORD cookie_ = 0;
};

inline PageEvent UploadFile(std::u16string id, std::u16string name, std::u16string path,
                            std::u16string size) {
  return {kOnUploadFile, {std::move(id), std::move(name), std::move(path), std::move(size)}};
}
inline PageEvent UploadComplete(int32_t result) {
  return {kOnUploadFileComplete, {result == 0 ? u"0" : u"1"}};
}

}  // namespace varn::drawing::testing
