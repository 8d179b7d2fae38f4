#include "platform/ui/control_base.h"

#include <algorithm>
#include <exception>
#include <new>

#include "platform/ui/headless_window.h"
#include "platform/ui/widget_window.h"
#include "platform/ui/window_messages.h"

namespace varn::ui {
namespace {

// WM_SIZE carries 16-bit sizes.
constexpr int64_t kMaxClientExtent = 32767;

int32_t ClampExtent(int64_t extent) {
  return static_cast<int32_t>(std::clamp<int64_t>(extent, 0, kMaxClientExtent));
}

}  // namespace

ControlBase::ControlBase(const CLSID& clsid)
    : clsid_(clsid), window_(std::make_unique<HeadlessWindow>()) {}

ControlBase::~ControlBase() {
  // The window goes first: it must not call into a control half torn down.
  window_.reset();
  if (viewSink_ != nullptr) viewSink_->Release();
  if (site_ != nullptr) site_->Release();
}

HeadlessWindow* ControlBase::Headless() {
  return window_->Kind() == WindowKind::kHeadless ? static_cast<HeadlessWindow*>(window_.get())
                                                  : nullptr;
}

MessageReply ControlBase::ProcessWindowMessage(const WindowMessage& /*message*/) {
  return PassOn();
}

MessageReply ControlBase::DeliverMessage(const WindowMessage& message) {
  AddSelf();
  MessageReply reply = PassOn();
  try {
    reply = ProcessWindowMessage(message);
  } catch (...) {
    // A handler that failed leaves the message to the standard handling.
    reply = PassOn();
  }
  if (!reply.handled() && message.message == WM_CANCELMODE) window_->ReleaseCapture();
  ReleaseSelf();
  return reply;
}

void ControlBase::PaintWindow(const DrawContext& context) {
  AddSelf();
  try {
    OnDraw(context);
  } catch (...) {
    // Nothing more reaches the screen in this paint.
  }
  ReleaseSelf();
}

std::optional<std::u16string> ControlBase::ShowFileDialog(const FileDialogRequest& request) {
  return ui::ShowFileDialog(site_, window_->DialogOwner(), request);
}

int32_t ControlBase::ShowMessageBox(std::u16string_view text, std::u16string_view caption,
                                    uint32_t type) {
  return ui::ShowMessageBox(site_, window_->DialogOwner(), text, caption, type);
}

void* ControlBase::FindControlInterface(REFIID riid) {
  if (riid == IID_IOleObject) return static_cast<IOleObject*>(this);
  if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject ||
      riid == IID_IOleInPlaceObjectWindowless) {
    return static_cast<IOleInPlaceObjectWindowless*>(this);
  }
  if (riid == IID_IOleInPlaceActiveObject) return static_cast<IOleInPlaceActiveObject*>(this);
  if (riid == IID_IOleControl) return static_cast<IOleControl*>(this);
  if (riid == IID_IViewObject || riid == IID_IViewObject2 || riid == IID_IViewObjectEx) {
    return static_cast<IViewObjectEx*>(this);
  }
  if (riid == IID_IPersist || riid == IID_IPersistStreamInit) {
    return static_cast<IPersistStreamInit*>(this);
  }
  return nullptr;
}

// IOleObject

HRESULT ControlBase::SetClientSite(IOleClientSite* site) {
  if (site != nullptr) site->AddRef();
  IOleClientSite* old = site_;
  site_ = site;
  if (old != nullptr) old->Release();
  return S_OK;
}

HRESULT ControlBase::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  *site = site_;
  if (site_ != nullptr) site_->AddRef();
  return S_OK;
}

HRESULT ControlBase::SetHostNames(LPCOLESTR /*containerApp*/, LPCOLESTR /*containerObject*/) {
  return S_OK;
}

HRESULT ControlBase::Close(DWORD /*saveOption*/) { return InPlaceDeactivate(); }

HRESULT ControlBase::SetMoniker(DWORD /*whichMoniker*/, IMoniker* /*moniker*/) { return E_NOTIMPL; }

HRESULT ControlBase::GetMoniker(DWORD /*assign*/, DWORD /*whichMoniker*/, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlBase::InitFromData(IDataObject* /*data*/, BOOL /*creation*/, DWORD /*reserved*/) {
  return E_NOTIMPL;
}

HRESULT ControlBase::GetClipboardData(DWORD /*reserved*/, IDataObject** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlBase::DoVerb(LONG verb, MSG* /*msg*/, IOleClientSite* /*activeSite*/, LONG /*index*/,
                            HWND parent, const RECT* posRect) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
    case OLEIVERB_INPLACEACTIVATE:
      return ActivateInPlace(parent, posRect);
    case OLEIVERB_HIDE:
      return InPlaceDeactivate();
    case OLEIVERB_DISCARDUNDOSTATE:
      return S_OK;
    case OLEIVERB_OPEN:
      return E_NOTIMPL;
    default:
      if (verb < 0) return E_NOTIMPL;
      // An unknown verb of the object's own range does the primary one.
      const HRESULT hr = ActivateInPlace(parent, posRect);
      return SUCCEEDED(hr) ? OLEOBJ_S_INVALIDVERB : hr;
  }
}

HRESULT ControlBase::ActivateInPlace(HWND parent, const RECT* posRect) {
  if (parent == nullptr) {
    // A windowless host: the control stays headless and takes the rectangle.
    if (posRect != nullptr && window_->Kind() == WindowKind::kHeadless) {
      return SetObjectRects(posRect, nullptr);
    }
    return S_OK;
  }
  if (window_->Kind() == WindowKind::kWidget && window_->Handle() != nullptr) {
    return posRect != nullptr ? SetObjectRects(posRect, nullptr) : S_OK;
  }
  const RECT client = window_->GetClientRect();
  const RECT rect = posRect != nullptr ? *posRect : client;
  std::unique_ptr<WidgetWindow> widget;
  try {
    widget = WidgetWindow::Create(parent, rect, *this);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
  if (widget == nullptr) return E_FAIL;
  window_ = std::move(widget);
  // A new window tells its control its size once, as window creation does.
  const RECT size = window_->GetClientRect();
  DeliverMessage({WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.right, size.bottom)});
  return S_OK;
}

HRESULT ControlBase::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs != nullptr) *verbs = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlBase::Update() { return S_OK; }

HRESULT ControlBase::IsUpToDate() { return S_OK; }

HRESULT ControlBase::GetUserClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

HRESULT ControlBase::GetUserType(DWORD /*formOfType*/, LPOLESTR* userType) {
  if (userType != nullptr) *userType = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlBase::SetExtent(DWORD drawAspect, SIZEL* size) {
  if (drawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (size == nullptr) return E_POINTER;
  // The extent is persisted unsigned; a negative one has no meaning.
  if (size->cx < 0 || size->cy < 0) return E_INVALIDARG;
  if (size->cx != extent_.cx || size->cy != extent_.cy) dirty_ = true;
  extent_ = *size;
  return S_OK;
}

HRESULT ControlBase::GetExtent(DWORD drawAspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (drawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

HRESULT ControlBase::Advise(IAdviseSink* /*sink*/, DWORD* connection) {
  if (connection != nullptr) *connection = 0;
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT ControlBase::Unadvise(DWORD /*connection*/) { return OLE_E_NOCONNECTION; }

HRESULT ControlBase::EnumAdvise(IEnumSTATDATA** advises) {
  if (advises != nullptr) *advises = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlBase::GetMiscStatus(DWORD /*aspect*/, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = kControlMiscStatus;
  return S_OK;
}

HRESULT ControlBase::SetColorScheme(LOGPALETTE* /*palette*/) { return E_NOTIMPL; }

// IOleWindow

HRESULT ControlBase::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_->Handle();
  return *window != nullptr ? S_OK : E_FAIL;
}

HRESULT ControlBase::ContextSensitiveHelp(BOOL /*enterMode*/) { return E_NOTIMPL; }

// IOleInPlaceObject, IOleInPlaceObjectWindowless

HRESULT ControlBase::InPlaceDeactivate() {
  if (window_->Kind() == WindowKind::kWidget) BecomeHeadless();
  return S_OK;
}

void ControlBase::BecomeHeadless() {
  const RECT client = window_->GetClientRect();
  auto headless = std::make_unique<HeadlessWindow>(client.right, client.bottom);
  headless->SetCursor(window_->Cursor());
  window_ = std::move(headless);
}

HRESULT ControlBase::UIDeactivate() { return S_OK; }

HRESULT ControlBase::SetObjectRects(const RECT* posRect, const RECT* /*clipRect*/) {
  if (posRect == nullptr) return E_POINTER;
  if (window_->Kind() == WindowKind::kWidget) {
    static_cast<WidgetWindow*>(window_.get())->SetRect(*posRect);
    return S_OK;
  }
  ResizeHeadless(ClampExtent(int64_t{posRect->right} - posRect->left),
                 ClampExtent(int64_t{posRect->bottom} - posRect->top));
  return S_OK;
}

void ControlBase::ResizeHeadless(int32_t width, int32_t height) {
  HeadlessWindow* headless = Headless();
  const RECT client = headless->GetClientRect();
  if (client.right == width && client.bottom == height) return;
  headless->SetClientSize(width, height);
  DeliverMessage({WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height)});
}

HRESULT ControlBase::ReactivateAndUndo() { return E_NOTIMPL; }

HRESULT ControlBase::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (result != nullptr) *result = 0;
  // The host's WM_SIZE is the windowless client area; handlers read it back.
  if (msg == WM_SIZE) {
    if (HeadlessWindow* headless = Headless()) {
      headless->SetClientSize(LOWORD(static_cast<uint64_t>(lParam)),
                              HIWORD(static_cast<uint64_t>(lParam)));
    }
  }
  const MessageReply reply = DeliverMessage({msg, wParam, lParam});
  if (!reply.handled()) return S_FALSE;
  if (result != nullptr) *result = reply.result;
  return S_OK;
}

HRESULT ControlBase::GetDropTarget(IDropTarget** dropTarget) {
  if (dropTarget != nullptr) *dropTarget = nullptr;
  return E_NOTIMPL;
}

// IOleInPlaceActiveObject

HRESULT ControlBase::TranslateAccelerator(MSG* /*msg*/) { return S_FALSE; }

HRESULT ControlBase::OnFrameWindowActivate(BOOL /*activate*/) { return S_OK; }

HRESULT ControlBase::OnDocWindowActivate(BOOL /*activate*/) { return S_OK; }

HRESULT ControlBase::ResizeBorder(const RECT* /*border*/, IOleInPlaceUIWindow* /*uiWindow*/,
                                  BOOL /*frameWindow*/) {
  return S_OK;
}

HRESULT ControlBase::EnableModeless(BOOL /*enable*/) { return S_OK; }

// IOleControl

HRESULT ControlBase::GetControlInfo(CONTROLINFO* /*info*/) { return E_NOTIMPL; }

HRESULT ControlBase::OnMnemonic(MSG* /*msg*/) { return E_NOTIMPL; }

HRESULT ControlBase::OnAmbientPropertyChange(DISPID /*dispid*/) { return S_OK; }

HRESULT ControlBase::FreezeEvents(BOOL /*freeze*/) { return S_OK; }

}  // namespace varn::ui
