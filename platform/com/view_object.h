// Drawing an object into a caller's device context. On this platform hdcDraw
// points at a VarnSurface.
#pragma once

#include "platform/com/unknown.h"

struct DVTARGETDEVICE;  // printing targets are not supported
struct LOGPALETTE;
struct IAdviseSink;
using ULONG_PTR = uint64_t;

struct DVEXTENTINFO {
  ULONG cb;
  DWORD dwExtentMode;
  SIZEL sizelProposed;
};

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_THUMBNAIL = 2;
constexpr DWORD DVASPECT_ICON = 4;
constexpr DWORD DVASPECT_DOCPRINT = 8;

constexpr DWORD VIEWSTATUS_OPAQUE = 1;
constexpr DWORD VIEWSTATUS_SOLIDBKGND = 2;
constexpr DWORD HITRESULT_OUTSIDE = 0;
constexpr DWORD HITRESULT_TRANSPARENT = 1;
constexpr DWORD HITRESULT_CLOSE = 2;
constexpr DWORD HITRESULT_HIT = 3;

constexpr HRESULT DV_E_LINDEX = static_cast<HRESULT>(0x80040068);
constexpr HRESULT DV_E_DVASPECT = static_cast<HRESULT>(0x8004006B);
constexpr HRESULT VIEW_E_DRAW = static_cast<HRESULT>(0x80040140);

// {0000010D-0000-0000-C000-000000000046}
inline constexpr IID IID_IViewObject{
    0x0000010D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00000127-0000-0000-C000-000000000046}
inline constexpr IID IID_IViewObject2{
    0x00000127, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {3AF24292-0C96-11CE-A0CF-00AA00600AB8}
inline constexpr IID IID_IViewObjectEx{
    0x3AF24292, 0x0C96, 0x11CE, {0xA0, 0xCF, 0x00, 0xAA, 0x00, 0x60, 0x0A, 0xB8}};

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct IViewObject : IUnknown {
  static constexpr const IID& kIid = IID_IViewObject;
  using Base = IUnknown;
  virtual HRESULT Draw(DWORD drawAspect, LONG index, void* aspect, DVTARGETDEVICE* target,
                       HDC targetDevice, HDC hdcDraw, const RECTL* bounds,
                       const RECTL* windowBounds, BOOL (*shouldContinue)(ULONG_PTR),
                       ULONG_PTR continueArg) = 0;
  virtual HRESULT GetColorSet(DWORD drawAspect, LONG index, void* aspect, DVTARGETDEVICE* target,
                              HDC targetDevice, LOGPALETTE** colorSet) = 0;
  virtual HRESULT Freeze(DWORD drawAspect, LONG index, void* aspect, DWORD* freeze) = 0;
  virtual HRESULT Unfreeze(DWORD freeze) = 0;
  virtual HRESULT SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) = 0;
  virtual HRESULT GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) = 0;
};

struct IViewObject2 : IViewObject {
  static constexpr const IID& kIid = IID_IViewObject2;
  using Base = IViewObject;
  virtual HRESULT GetExtent(DWORD drawAspect, LONG index, DVTARGETDEVICE* target, SIZEL* size) = 0;
};

struct IViewObjectEx : IViewObject2 {
  static constexpr const IID& kIid = IID_IViewObjectEx;
  using Base = IViewObject2;
  virtual HRESULT GetRect(DWORD aspect, RECTL* rect) = 0;
  virtual HRESULT GetViewStatus(DWORD* status) = 0;
  virtual HRESULT QueryHitPoint(DWORD aspect, const RECT* bounds, POINT location, LONG closeHint,
                                DWORD* hitResult) = 0;
  virtual HRESULT QueryHitRect(DWORD aspect, const RECT* bounds, const RECT* location,
                               LONG closeHint, DWORD* hitResult) = 0;
  virtual HRESULT GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target,
                                   HDC targetDevice, DVEXTENTINFO* extentInfo, SIZEL* size) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
