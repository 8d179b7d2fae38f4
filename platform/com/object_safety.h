// Safety for scripting and initialisation, as a browser asks it of a control.
#pragma once

#include "platform/com/unknown.h"

// {CB5BDC81-93C1-11CF-8F20-00805F2CD064}
inline constexpr IID IID_IObjectSafety{
    0xCB5BDC81, 0x93C1, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};

constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_CALLER = 0x1;
constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_DATA = 0x2;

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct IObjectSafety : IUnknown {
  static constexpr const IID& kIid = IID_IObjectSafety;
  using Base = IUnknown;
  virtual HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) = 0;
  virtual HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD options) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
