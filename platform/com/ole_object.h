// Embedding a control: the object and its client site, in-place activation
// (windowed and windowless) and control notifications.
#pragma once

#include "platform/com/unknown.h"

struct IMoniker;
struct IDataObject;
struct IEnumOLEVERB;
struct IEnumSTATDATA;
struct IAdviseSink;
struct IOleContainer;
struct IOleInPlaceUIWindow;
struct IDropTarget;
struct LOGPALETTE;
using HACCEL = void*;
using ULONG_PTR = uint64_t;

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
  DWORD lPrivate;
};

struct CONTROLINFO {
  ULONG cb;
  HACCEL hAccel;
  USHORT cAccel;
  DWORD dwFlags;
};

constexpr LONG OLEIVERB_PRIMARY = 0;
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_OPEN = -2;
constexpr LONG OLEIVERB_HIDE = -3;
constexpr LONG OLEIVERB_UIACTIVATE = -4;
constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
constexpr LONG OLEIVERB_DISCARDUNDOSTATE = -6;

constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;

constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
constexpr DWORD OLECLOSE_NOSAVE = 1;
constexpr DWORD OLECLOSE_PROMPTSAVE = 2;
constexpr DWORD USERCLASSTYPE_FULL = 1;
constexpr DWORD USERCLASSTYPE_SHORT = 2;
constexpr DWORD USERCLASSTYPE_APPNAME = 3;

constexpr HRESULT OLE_S_USEREG = 0x00040000;
constexpr HRESULT OLEOBJ_S_INVALIDVERB = 0x00040180;
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003);
constexpr HRESULT OLE_E_NOTRUNNING = static_cast<HRESULT>(0x80040005);
constexpr HRESULT OLE_E_BLANK = static_cast<HRESULT>(0x80040007);

// {00000118-0000-0000-C000-000000000046}
inline constexpr IID IID_IOleClientSite{
    0x00000118, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00000112-0000-0000-C000-000000000046}
inline constexpr IID IID_IOleObject{
    0x00000112, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00000114-0000-0000-C000-000000000046}
inline constexpr IID IID_IOleWindow{
    0x00000114, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00000113-0000-0000-C000-000000000046}
inline constexpr IID IID_IOleInPlaceObject{
    0x00000113, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {1C2056CC-5EF4-101B-8BC8-00AA003E3B29}
inline constexpr IID IID_IOleInPlaceObjectWindowless{
    0x1C2056CC, 0x5EF4, 0x101B, {0x8B, 0xC8, 0x00, 0xAA, 0x00, 0x3E, 0x3B, 0x29}};
// {00000117-0000-0000-C000-000000000046}
inline constexpr IID IID_IOleInPlaceActiveObject{
    0x00000117, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {B196B288-BAB4-101A-B69C-00AA00341D07}
inline constexpr IID IID_IOleControl{
    0xB196B288, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct IOleClientSite : IUnknown {
  static constexpr const IID& kIid = IID_IOleClientSite;
  using Base = IUnknown;
  virtual HRESULT SaveObject() = 0;
  virtual HRESULT GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) = 0;
  virtual HRESULT GetContainer(IOleContainer** container) = 0;
  virtual HRESULT ShowObject() = 0;
  virtual HRESULT OnShowWindow(BOOL show) = 0;
  virtual HRESULT RequestNewObjectLayout() = 0;
};

struct IOleObject : IUnknown {
  static constexpr const IID& kIid = IID_IOleObject;
  using Base = IUnknown;
  virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
  virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
  virtual HRESULT SetHostNames(LPCOLESTR containerApp, LPCOLESTR containerObject) = 0;
  virtual HRESULT Close(DWORD saveOption) = 0;
  virtual HRESULT SetMoniker(DWORD whichMoniker, IMoniker* moniker) = 0;
  virtual HRESULT GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) = 0;
  virtual HRESULT InitFromData(IDataObject* data, BOOL creation, DWORD reserved) = 0;
  virtual HRESULT GetClipboardData(DWORD reserved, IDataObject** data) = 0;
  virtual HRESULT DoVerb(LONG verb, MSG* msg, IOleClientSite* activeSite, LONG index, HWND parent,
                         const RECT* posRect) = 0;
  virtual HRESULT EnumVerbs(IEnumOLEVERB** verbs) = 0;
  virtual HRESULT Update() = 0;
  virtual HRESULT IsUpToDate() = 0;
  virtual HRESULT GetUserClassID(CLSID* clsid) = 0;
  virtual HRESULT GetUserType(DWORD formOfType, LPOLESTR* userType) = 0;
  virtual HRESULT SetExtent(DWORD drawAspect, SIZEL* size) = 0;
  virtual HRESULT GetExtent(DWORD drawAspect, SIZEL* size) = 0;
  virtual HRESULT Advise(IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT Unadvise(DWORD connection) = 0;
  virtual HRESULT EnumAdvise(IEnumSTATDATA** advises) = 0;
  virtual HRESULT GetMiscStatus(DWORD aspect, DWORD* status) = 0;
  virtual HRESULT SetColorScheme(LOGPALETTE* palette) = 0;
};

struct IOleWindow : IUnknown {
  static constexpr const IID& kIid = IID_IOleWindow;
  using Base = IUnknown;
  virtual HRESULT GetWindow(HWND* window) = 0;
  virtual HRESULT ContextSensitiveHelp(BOOL enterMode) = 0;
};

struct IOleInPlaceObject : IOleWindow {
  static constexpr const IID& kIid = IID_IOleInPlaceObject;
  using Base = IOleWindow;
  virtual HRESULT InPlaceDeactivate() = 0;
  virtual HRESULT UIDeactivate() = 0;
  virtual HRESULT SetObjectRects(const RECT* posRect, const RECT* clipRect) = 0;
  virtual HRESULT ReactivateAndUndo() = 0;
};

struct IOleInPlaceObjectWindowless : IOleInPlaceObject {
  static constexpr const IID& kIid = IID_IOleInPlaceObjectWindowless;
  using Base = IOleInPlaceObject;
  virtual HRESULT OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;
  virtual HRESULT GetDropTarget(IDropTarget** dropTarget) = 0;
};

struct IOleInPlaceActiveObject : IOleWindow {
  static constexpr const IID& kIid = IID_IOleInPlaceActiveObject;
  using Base = IOleWindow;
  virtual HRESULT TranslateAccelerator(MSG* msg) = 0;
  virtual HRESULT OnFrameWindowActivate(BOOL activate) = 0;
  virtual HRESULT OnDocWindowActivate(BOOL activate) = 0;
  virtual HRESULT ResizeBorder(const RECT* border, IOleInPlaceUIWindow* uiWindow,
                               BOOL frameWindow) = 0;
  virtual HRESULT EnableModeless(BOOL enable) = 0;
};

struct IOleControl : IUnknown {
  static constexpr const IID& kIid = IID_IOleControl;
  using Base = IUnknown;
  virtual HRESULT GetControlInfo(CONTROLINFO* info) = 0;
  virtual HRESULT OnMnemonic(MSG* msg) = 0;
  virtual HRESULT OnAmbientPropertyChange(DISPID dispid) = 0;
  virtual HRESULT FreezeEvents(BOOL freeze) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
