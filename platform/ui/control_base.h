// The base of every picture control: embedding (IOleObject and in-place
// activation, windowed or windowless), drawing for a container (IViewObjectEx),
// the persisted extent (IPersistStreamInit), and the control's window and
// dialogs. A scripted control takes it through ui::ScriptedControl
// (platform/ui/scripted_control.h) and writes its handlers and its drawing:
//
//   class CProfileImageCropper final : public ui::ScriptedControl<CProfileImageCropper, ...> {
//    protected:
//     MessageReply ProcessWindowMessage(const WindowMessage& m) override {
//       return RouteMessage(*this, kMessageMap, m);
//     }
//     void OnDraw(const DrawContext& context) override;  // bounds, origin, HDC
//    private:
//     MessageReply OnLButtonDown(const WindowMessage& m);  // Window().SetCapture() ...
//     static constexpr MessageEntry<CProfileImageCropper> kMessageMap[] = {
//         {WM_LBUTTONDOWN, &CProfileImageCropper::OnLButtonDown}, ...};
//   };
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com/com_object.h"
#include "platform/com/data_object.h"
#include "platform/com/ole_object.h"
#include "platform/com/persist.h"
#include "platform/com/view_object.h"
#include "platform/ui/control_window.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/draw_context.h"
#include "platform/ui/message_map.h"

namespace varn::ui {

class HeadlessWindow;

// 5080 HIMETRIC: two inches, the extent of a freshly created control.
inline constexpr LONG kDefaultExtent = 5080;

// The miscellaneous status every control reports.
inline constexpr DWORD kControlMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                                            OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                                            OLEMISC_SETCLIENTSITEFIRST;

// The OLE side of a control. IUnknown is left to Control<>, which joins this
// to the control's own interfaces in one identity.
class ControlBase : public IOleObject,
                    public IOleInPlaceObjectWindowless,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IViewObjectEx,
                    public IPersistStreamInit,
                    private WindowClient {
 public:
  ControlBase(const ControlBase&) = delete;
  ControlBase& operator=(const ControlBase&) = delete;

  // IOleObject
  HRESULT SetClientSite(IOleClientSite* site) override;
  HRESULT GetClientSite(IOleClientSite** site) override;
  HRESULT SetHostNames(LPCOLESTR containerApp, LPCOLESTR containerObject) override;
  HRESULT Close(DWORD saveOption) override;
  HRESULT SetMoniker(DWORD whichMoniker, IMoniker* moniker) override;
  HRESULT GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) override;
  HRESULT InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  HRESULT GetClipboardData(DWORD reserved, IDataObject** data) override;
  HRESULT DoVerb(LONG verb, MSG* msg, IOleClientSite* activeSite, LONG index, HWND parent,
                 const RECT* posRect) override;
  HRESULT EnumVerbs(IEnumOLEVERB** verbs) override;
  HRESULT Update() override;
  HRESULT IsUpToDate() override;
  HRESULT GetUserClassID(CLSID* clsid) override;
  HRESULT GetUserType(DWORD formOfType, LPOLESTR* userType) override;
  HRESULT SetExtent(DWORD drawAspect, SIZEL* size) override;
  HRESULT GetExtent(DWORD drawAspect, SIZEL* size) override;
  HRESULT Advise(IAdviseSink* sink, DWORD* connection) override;
  HRESULT Unadvise(DWORD connection) override;
  HRESULT EnumAdvise(IEnumSTATDATA** advises) override;
  HRESULT GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT SetColorScheme(LOGPALETTE* palette) override;

  // IOleWindow, for both in-place interfaces
  HRESULT GetWindow(HWND* window) override;
  HRESULT ContextSensitiveHelp(BOOL enterMode) override;

  // IOleInPlaceObject, IOleInPlaceObjectWindowless
  HRESULT InPlaceDeactivate() override;
  HRESULT UIDeactivate() override;
  HRESULT SetObjectRects(const RECT* posRect, const RECT* clipRect) override;
  HRESULT ReactivateAndUndo() override;
  HRESULT OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  HRESULT GetDropTarget(IDropTarget** dropTarget) override;

  // IOleInPlaceActiveObject
  HRESULT TranslateAccelerator(MSG* msg) override;
  HRESULT OnFrameWindowActivate(BOOL activate) override;
  HRESULT OnDocWindowActivate(BOOL activate) override;
  HRESULT ResizeBorder(const RECT* border, IOleInPlaceUIWindow* uiWindow,
                       BOOL frameWindow) override;
  HRESULT EnableModeless(BOOL enable) override;

  // IOleControl
  HRESULT GetControlInfo(CONTROLINFO* info) override;
  HRESULT OnMnemonic(MSG* msg) override;
  HRESULT OnAmbientPropertyChange(DISPID dispid) override;
  HRESULT FreezeEvents(BOOL freeze) override;

  // IViewObject, IViewObject2, IViewObjectEx
  HRESULT Draw(DWORD drawAspect, LONG index, void* aspect, DVTARGETDEVICE* target, HDC targetDevice,
               HDC hdcDraw, const RECTL* bounds, const RECTL* windowBounds,
               BOOL (*shouldContinue)(ULONG_PTR), ULONG_PTR continueArg) override;
  HRESULT GetColorSet(DWORD drawAspect, LONG index, void* aspect, DVTARGETDEVICE* target,
                      HDC targetDevice, LOGPALETTE** colorSet) override;
  HRESULT Freeze(DWORD drawAspect, LONG index, void* aspect, DWORD* freeze) override;
  HRESULT Unfreeze(DWORD freeze) override;
  HRESULT SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override;
  HRESULT GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override;
  HRESULT GetExtent(DWORD drawAspect, LONG index, DVTARGETDEVICE* target, SIZEL* size) override;
  HRESULT GetRect(DWORD aspect, RECTL* rect) override;
  HRESULT GetViewStatus(DWORD* status) override;
  HRESULT QueryHitPoint(DWORD aspect, const RECT* bounds, POINT location, LONG closeHint,
                        DWORD* hitResult) override;
  HRESULT QueryHitRect(DWORD aspect, const RECT* bounds, const RECT* location, LONG closeHint,
                       DWORD* hitResult) override;
  HRESULT GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, HDC targetDevice,
                           DVEXTENTINFO* extentInfo, SIZEL* size) override;

  // IPersist, IPersistStreamInit
  HRESULT GetClassID(CLSID* clsid) override;
  HRESULT IsDirty() override;
  HRESULT Load(IStream* stream) override;
  HRESULT Save(IStream* stream, BOOL clearDirty) override;
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT InitNew() override;

  // The control's window: headless until DoVerb activates it in a parent.
  // Activation and deactivation replace it, so ask again after any call that
  // may reach the host (an event, a dialog) instead of keeping the reference.
  ControlWindow& Window() { return *window_; }
  // Null while the control has a real window.
  HeadlessWindow* Headless();
  // The site the host gave, not AddRef'd; null without one.
  IOleClientSite* ClientSite() const { return site_; }
  SIZEL Extent() const { return extent_; }

 protected:
  explicit ControlBase(const CLSID& clsid);
  virtual ~ControlBase();

  // The control's message map: usually `return RouteMessage(*this, kMap, message);`.
  // Messages it passes on get the standard handling: WM_CANCELMODE releases the
  // capture.
  virtual MessageReply ProcessWindowMessage(const WindowMessage& message);
  // Paints the control; the same code serves window paints and Draw.
  virtual void OnDraw(const DrawContext& context) = 0;
  // True when OnDraw writes every pixel of its surface opaque; Draw then
  // leaves them as painted instead of making them opaque afterwards.
  virtual bool DrawsOpaquePixels() const { return false; }

  // Dialogs owned by the control's top-level window, through the host's dialog
  // service when it offers one.
  std::optional<std::u16string> ShowFileDialog(const FileDialogRequest& request);
  int32_t ShowMessageBox(std::u16string_view text, std::u16string_view caption, uint32_t type);

  // Persisted properties a control adds after the extent. Load must leave the
  // control unchanged when it fails; the base then keeps its extent too.
  virtual HRESULT LoadExtraProperties(IStream& stream);
  virtual HRESULT SaveExtraProperties(IStream& stream);
  virtual uint64_t ExtraPropertiesSizeMax();

  // The interface of riid among those above, or null; for Control<>.
  void* FindControlInterface(REFIID riid);

 private:
  MessageReply DeliverMessage(const WindowMessage& message) override;
  void PaintWindow(const DrawContext& context) override;

  // The object's own reference, held while a call into the control may let
  // the host release it.
  ULONG AddSelf() { return static_cast<IOleObject*>(this)->AddRef(); }
  ULONG ReleaseSelf() { return static_cast<IOleObject*>(this)->Release(); }

  HRESULT ActivateInPlace(HWND parent, const RECT* posRect);
  void ResizeHeadless(int32_t width, int32_t height);
  void BecomeHeadless();

  CLSID clsid_;
  std::unique_ptr<ControlWindow> window_;
  IOleClientSite* site_ = nullptr;
  IAdviseSink* viewSink_ = nullptr;
  DWORD viewAspects_ = 0;
  DWORD viewAdviseFlags_ = 0;
  SIZEL extent_{kDefaultExtent, kDefaultExtent};
  bool dirty_ = false;
};

// Joins ControlBase to the control's own interfaces (its scripting interface,
// connection points, class information...) in one object identity.
template <typename... Interfaces>
class Control : public com::ComObject<Interfaces...>, public ControlBase {
  using Object = com::ComObject<Interfaces...>;

 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return Object::QueryInterface(riid, object);
  }
  ULONG AddRef() override { return Object::AddRef(); }
  ULONG Release() override { return Object::Release(); }

  // Shared with IPersistPropertyBag and IPersistStorage when a control lists
  // them. InitNew is not: each persistence interface has its own overload
  // (the storage one takes an IStorage), and declaring one here would hide
  // the others; ControlBase answers the stream's.
  HRESULT GetClassID(CLSID* clsid) override { return ControlBase::GetClassID(clsid); }
  HRESULT IsDirty() override { return ControlBase::IsDirty(); }

 protected:
  explicit Control(const CLSID& clsid) : ControlBase(clsid) {}

  void* FindExtraInterface(REFIID riid) override { return FindControlInterface(riid); }
};

}  // namespace varn::ui
