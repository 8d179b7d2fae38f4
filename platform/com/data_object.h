// Data transfer and view-change notification. Controls answer these with the
// standard trivial replies; the structures are opaque here.
#pragma once

#include "platform/com/unknown.h"

struct FORMATETC;
struct STGMEDIUM;
struct IEnumFORMATETC;
struct IEnumSTATDATA;

// {0000010E-0000-0000-C000-000000000046}
inline constexpr IID IID_IDataObject{
    0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0000010F-0000-0000-C000-000000000046}
inline constexpr IID IID_IAdviseSink{
    0x0000010F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IMoniker;

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct IAdviseSink : IUnknown {
  static constexpr const IID& kIid = IID_IAdviseSink;
  using Base = IUnknown;
  virtual void OnDataChange(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual void OnViewChange(DWORD aspect, LONG index) = 0;
  virtual void OnRename(IMoniker* moniker) = 0;
  virtual void OnSave() = 0;
  virtual void OnClose() = 0;
};

struct IDataObject : IUnknown {
  static constexpr const IID& kIid = IID_IDataObject;
  using Base = IUnknown;
  virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT QueryGetData(FORMATETC* format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(FORMATETC* formatIn, FORMATETC* formatOut) = 0;
  virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) = 0;
  virtual HRESULT DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT DUnadvise(DWORD connection) = 0;
  virtual HRESULT EnumDAdvise(IEnumSTATDATA** advises) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
