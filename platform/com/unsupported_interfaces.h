// Container probes a control answers without offering anything: quick
// activation, storage persistence, data transfer and property pages, as
// listed interfaces of a ComObject. A container that gets these replies falls
// back to the ordinary activation and stream paths.
#pragma once

#include "platform/com/control_extras.h"
#include "platform/com/data_object.h"
#include "platform/com/persist.h"

namespace varn::com {

class NoPropertyPages : public ISpecifyPropertyPages {
 public:
  HRESULT GetPages(CAUUID* pages) override {
    if (pages == nullptr) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
  }

 protected:
  ~NoPropertyPages() = default;
};

class NoQuickActivate : public IQuickActivate {
 public:
  HRESULT QuickActivate(QACONTAINER* /*container*/, QACONTROL* /*control*/) override {
    return E_NOTIMPL;
  }
  HRESULT SetContentExtent(SIZEL* /*extent*/) override { return E_NOTIMPL; }
  HRESULT GetContentExtent(SIZEL* /*extent*/) override { return E_NOTIMPL; }

 protected:
  ~NoQuickActivate() = default;
};

// GetClassID and IsDirty are left to ui::Control<>, which shares them with the
// stream persistence of the control base.
class NoPersistStorage : public IPersistStorage {
 public:
  HRESULT InitNew(IStorage* /*storage*/) override { return E_NOTIMPL; }
  HRESULT Load(IStorage* /*storage*/) override { return E_NOTIMPL; }
  HRESULT Save(IStorage* /*storage*/, BOOL /*sameAsLoad*/) override { return E_NOTIMPL; }
  HRESULT SaveCompleted(IStorage* /*storage*/) override { return E_NOTIMPL; }
  HRESULT HandsOffStorage() override { return E_NOTIMPL; }

 protected:
  ~NoPersistStorage() = default;
};

class NoDataObject : public IDataObject {
 public:
  HRESULT GetData(FORMATETC* /*format*/, STGMEDIUM* /*medium*/) override { return E_NOTIMPL; }
  HRESULT GetDataHere(FORMATETC* /*format*/, STGMEDIUM* /*medium*/) override { return E_NOTIMPL; }
  HRESULT QueryGetData(FORMATETC* /*format*/) override { return E_NOTIMPL; }
  HRESULT GetCanonicalFormatEtc(FORMATETC* /*formatIn*/, FORMATETC* /*formatOut*/) override {
    return E_NOTIMPL;
  }
  HRESULT SetData(FORMATETC* /*format*/, STGMEDIUM* /*medium*/, BOOL /*release*/) override {
    return E_NOTIMPL;
  }
  HRESULT EnumFormatEtc(DWORD /*direction*/, IEnumFORMATETC** formats) override {
    if (formats != nullptr) *formats = nullptr;
    return E_NOTIMPL;
  }
  HRESULT DAdvise(FORMATETC* /*format*/, DWORD /*advf*/, IAdviseSink* /*sink*/,
                  DWORD* connection) override {
    if (connection != nullptr) *connection = 0;
    return E_NOTIMPL;
  }
  HRESULT DUnadvise(DWORD /*connection*/) override { return E_NOTIMPL; }
  HRESULT EnumDAdvise(IEnumSTATDATA** advises) override {
    if (advises != nullptr) *advises = nullptr;
    return E_NOTIMPL;
  }

 protected:
  ~NoDataObject() = default;
};

}  // namespace varn::com
