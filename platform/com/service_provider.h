// Services a site offers beyond its own interfaces.
#pragma once

#include "platform/com/unknown.h"

// {6D5140C1-7436-11CE-8034-00AA006009FA}
inline constexpr IID IID_IServiceProvider{
    0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}};

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct IServiceProvider : IUnknown {
  static constexpr const IID& kIid = IID_IServiceProvider;
  using Base = IUnknown;
  virtual HRESULT QueryService(REFGUID service, REFIID riid, void** object) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
