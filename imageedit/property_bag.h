// The picture editor's object parameters: a page's <param> values reach the
// control through IPersistPropertyBag, so a host that loads it with FileKey
// and ActionPage has both set before any script runs. The extent travels as
// _cx and _cy in HIMETRIC, as with the stream persistence.
//
// Derived supplies put_FileKey, put_ActionPage, FileKeyValue and
// ActionPageValue; GetClassID comes from the control skeleton.
#pragma once

#include <cstdint>

#include "platform/com/bstr.h"
#include "platform/com/ole_object.h"
#include "platform/com/persist.h"
#include "platform/com/variant.h"
#include "platform/com/variant_convert.h"
#include "platform/com/view_object.h"

namespace varn::imageedit {

template <typename Derived>
class PersistPropertyBag : public IPersistPropertyBag {
 public:
  HRESULT InitNew() override { return S_OK; }

  // A value the bag lacks keeps the control's own; one of the wrong type
  // fails the load, and nothing read before it is kept.
  HRESULT Load(IPropertyBag* bag, IErrorLog* errorLog) override {
    if (bag == nullptr) return E_POINTER;
    Derived& control = static_cast<Derived&>(*this);
    SIZEL extent{};
    static_cast<IOleObject&>(control).GetExtent(DVASPECT_CONTENT, &extent);
    com::Bstr fileKey = com::Bstr::FromText(control.FileKeyValue());
    com::Bstr actionPage = com::Bstr::FromText(control.ActionPageValue());
    if (fileKey.IsNull() || actionPage.IsNull()) return E_OUTOFMEMORY;
    HRESULT hr = ReadInt(*bag, u"_cx", errorLog, &extent.cx);
    if (SUCCEEDED(hr)) hr = ReadInt(*bag, u"_cy", errorLog, &extent.cy);
    if (SUCCEEDED(hr)) hr = ReadText(*bag, u"FileKey", errorLog, fileKey);
    if (SUCCEEDED(hr)) hr = ReadText(*bag, u"ActionPage", errorLog, actionPage);
    if (FAILED(hr)) return hr;
    if (extent.cx < 0 || extent.cy < 0) return E_INVALIDARG;
    static_cast<IOleObject&>(control).SetExtent(DVASPECT_CONTENT, &extent);
    control.put_FileKey(fileKey.Get());
    control.put_ActionPage(actionPage.Get());
    return S_OK;
  }

  HRESULT Save(IPropertyBag* bag, BOOL /*clearDirty*/, BOOL /*saveAllProperties*/) override {
    if (bag == nullptr) return E_POINTER;
    Derived& control = static_cast<Derived&>(*this);
    SIZEL extent{};
    static_cast<IOleObject&>(control).GetExtent(DVASPECT_CONTENT, &extent);
    com::Variant cx = com::Variant::FromInt(extent.cx);
    com::Variant cy = com::Variant::FromInt(extent.cy);
    com::Variant fileKey = com::Variant::FromText(control.FileKeyValue());
    com::Variant actionPage = com::Variant::FromText(control.ActionPageValue());
    if (fileKey.Type() == VT_EMPTY || actionPage.Type() == VT_EMPTY) return E_OUTOFMEMORY;
    HRESULT hr = bag->Write(u"_cx", cx.Get());
    if (SUCCEEDED(hr)) hr = bag->Write(u"_cy", cy.Get());
    if (SUCCEEDED(hr)) hr = bag->Write(u"FileKey", fileKey.Get());
    if (SUCCEEDED(hr)) hr = bag->Write(u"ActionPage", actionPage.Get());
    return hr;
  }

 protected:
  ~PersistPropertyBag() = default;

 private:
  // S_OK with the value, S_OK leaving it when the bag has none, the error
  // for a value that does not convert.
  static HRESULT ReadValue(IPropertyBag& bag, LPCOLESTR name, IErrorLog* errorLog,
                           com::Variant& out) {
    const HRESULT hr = bag.Read(name, out.Get(), errorLog);
    return FAILED(hr) ? S_FALSE : S_OK;
  }
  static HRESULT ReadInt(IPropertyBag& bag, LPCOLESTR name, IErrorLog* errorLog, LONG* value) {
    com::Variant read;
    if (ReadValue(bag, name, errorLog, read) != S_OK || read.Type() == VT_EMPTY) return S_OK;
    int32_t number = 0;
    const HRESULT hr = com::ConvertToInt32(read.Value(), &number);
    if (SUCCEEDED(hr)) *value = number;
    return hr;
  }
  static HRESULT ReadText(IPropertyBag& bag, LPCOLESTR name, IErrorLog* errorLog,
                          com::Bstr& value) {
    com::Variant read;
    if (ReadValue(bag, name, errorLog, read) != S_OK || read.Type() == VT_EMPTY) return S_OK;
    BSTR text = nullptr;
    com::Bstr owned;
    const HRESULT hr = com::ConvertToText(read.Value(), &text, &owned);
    if (FAILED(hr)) return hr;
    value = com::Bstr::Copy(text);
    if (value.IsNull() && text != nullptr) return E_OUTOFMEMORY;
    return S_OK;
  }
};

}  // namespace varn::imageedit
