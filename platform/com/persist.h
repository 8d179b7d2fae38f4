// Persistence of an object's properties: into a stream, a property bag (the
// object's parameters on a page) or a storage.
#pragma once

#include "platform/com/stream.h"

struct IStorage;  // compound files are not used; only the pointer type is needed

// {0000010C-0000-0000-C000-000000000046}
inline constexpr IID IID_IPersist{
    0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {7FD52380-4E07-101B-AE2D-08002B2EC713}
inline constexpr IID IID_IPersistStreamInit{
    0x7FD52380, 0x4E07, 0x101B, {0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};
// {37D84F60-42CB-11CE-8135-00AA004BB851}
inline constexpr IID IID_IPersistPropertyBag{
    0x37D84F60, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
// {0000010A-0000-0000-C000-000000000046}
inline constexpr IID IID_IPersistStorage{
    0x0000010A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {55272A00-42CB-11CE-8135-00AA004BB851}
inline constexpr IID IID_IPropertyBag{
    0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
// {3127CA40-446E-11CE-8135-00AA004BB851}
inline constexpr IID IID_IErrorLog{
    0x3127CA40, 0x446E, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct IErrorLog : IUnknown {
  static constexpr const IID& kIid = IID_IErrorLog;
  using Base = IUnknown;
  virtual HRESULT AddError(LPCOLESTR propertyName, EXCEPINFO* excepInfo) = 0;
};

struct IPropertyBag : IUnknown {
  static constexpr const IID& kIid = IID_IPropertyBag;
  using Base = IUnknown;
  virtual HRESULT Read(LPCOLESTR propertyName, VARIANT* value, IErrorLog* errorLog) = 0;
  virtual HRESULT Write(LPCOLESTR propertyName, VARIANT* value) = 0;
};

struct IPersist : IUnknown {
  static constexpr const IID& kIid = IID_IPersist;
  using Base = IUnknown;
  virtual HRESULT GetClassID(CLSID* clsid) = 0;
};

struct IPersistStreamInit : IPersist {
  static constexpr const IID& kIid = IID_IPersistStreamInit;
  using Base = IPersist;
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT Load(IStream* stream) = 0;
  virtual HRESULT Save(IStream* stream, BOOL clearDirty) = 0;
  virtual HRESULT GetSizeMax(ULARGE_INTEGER* size) = 0;
  virtual HRESULT InitNew() = 0;
};

struct IPersistPropertyBag : IPersist {
  static constexpr const IID& kIid = IID_IPersistPropertyBag;
  using Base = IPersist;
  virtual HRESULT InitNew() = 0;
  virtual HRESULT Load(IPropertyBag* bag, IErrorLog* errorLog) = 0;
  virtual HRESULT Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAllProperties) = 0;
};

struct IPersistStorage : IPersist {
  static constexpr const IID& kIid = IID_IPersistStorage;
  using Base = IPersist;
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT InitNew(IStorage* storage) = 0;
  virtual HRESULT Load(IStorage* storage) = 0;
  virtual HRESULT Save(IStorage* storage, BOOL sameAsLoad) = 0;
  virtual HRESULT SaveCompleted(IStorage* storage) = 0;
  virtual HRESULT HandsOffStorage() = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
