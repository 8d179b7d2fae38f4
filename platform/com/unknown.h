// The root interface and the class factory, in the vtable order of the Windows
// SDK. Interfaces have no virtual destructor: it would add vtable slots.
#pragma once

#include "platform/com/types.h"

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown{
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00000001-0000-0000-C000-000000000046}
inline constexpr IID IID_IClassFactory{
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct IUnknown {
  static constexpr const IID& kIid = IID_IUnknown;
  // Every interface names its base, so an object that lists an interface also
  // answers QueryInterface for the interfaces it extends.
  using Base = void;
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};

struct IClassFactory : IUnknown {
  static constexpr const IID& kIid = IID_IClassFactory;
  using Base = IUnknown;
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
