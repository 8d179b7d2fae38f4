// The small control interfaces a container may probe: error information,
// property pages and quick activation. Controls answer them trivially.
#pragma once

#include "platform/com/unknown.h"

struct QACONTAINER;  // opaque: quick activation is not offered
struct QACONTROL;

struct CAUUID {
  ULONG cElems;
  GUID* pElems;
};

// {DF0B3D60-548F-101B-8E65-08002B2BD119}
inline constexpr IID IID_ISupportErrorInfo{
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
// {B196B28B-BAB4-101A-B69C-00AA00341D07}
inline constexpr IID IID_ISpecifyPropertyPages{
    0xB196B28B, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
// {CF51ED10-62FE-11CF-BF86-00A0C9034836}
inline constexpr IID IID_IQuickActivate{
    0xCF51ED10, 0x62FE, 0x11CF, {0xBF, 0x86, 0x00, 0xA0, 0xC9, 0x03, 0x48, 0x36}};

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct ISupportErrorInfo : IUnknown {
  static constexpr const IID& kIid = IID_ISupportErrorInfo;
  using Base = IUnknown;
  virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;
};

struct ISpecifyPropertyPages : IUnknown {
  static constexpr const IID& kIid = IID_ISpecifyPropertyPages;
  using Base = IUnknown;
  virtual HRESULT GetPages(CAUUID* pages) = 0;
};

struct IQuickActivate : IUnknown {
  static constexpr const IID& kIid = IID_IQuickActivate;
  using Base = IUnknown;
  virtual HRESULT QuickActivate(QACONTAINER* container, QACONTROL* control) = 0;
  virtual HRESULT SetContentExtent(SIZEL* extent) = 0;
  virtual HRESULT GetContentExtent(SIZEL* extent) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
