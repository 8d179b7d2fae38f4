// Class information: which type describes an object and its default event
// interface.
#pragma once

#include "platform/com/dispatch.h"

// {B196B283-BAB4-101A-B69C-00AA00341D07}
inline constexpr IID IID_IProvideClassInfo{
    0xB196B283, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
// {A6BC3AC0-DBAA-11CE-9DE3-00AA004BB851}
inline constexpr IID IID_IProvideClassInfo2{
    0xA6BC3AC0, 0xDBAA, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};

constexpr DWORD GUIDKIND_DEFAULT_SOURCE_DISP_IID = 1;

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct IProvideClassInfo : IUnknown {
  static constexpr const IID& kIid = IID_IProvideClassInfo;
  using Base = IUnknown;
  virtual HRESULT GetClassInfo(ITypeInfo** typeInfo) = 0;
};

struct IProvideClassInfo2 : IProvideClassInfo {
  static constexpr const IID& kIid = IID_IProvideClassInfo2;
  using Base = IProvideClassInfo;
  virtual HRESULT GetGUID(DWORD guidKind, GUID* guid) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
