// Automation's late-bound call interface.
#pragma once

#include "platform/com/unknown.h"

// Declared in type_info.h; only its pointer type is needed here.
struct ITypeInfo;

// {00020400-0000-0000-C000-000000000046}
inline constexpr IID IID_IDispatch{
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct IDispatch : IUnknown {
  static constexpr const IID& kIid = IID_IDispatch;
  using Base = IUnknown;
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                DISPID* dispids) = 0;
  virtual HRESULT Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
