// IDispatch answered from a declarative table, as a listed interface of a
// ComObject. Derived provides
//   static std::span<const DispatchMember<Derived>> DispatchMembers();
// and QueryInterface then answers kScriptIid and IDispatch with this interface.
#pragma once

#include <span>

#include "platform/com/dispatch.h"
#include "platform/com/dispatch_table.h"

namespace varn::com {

template <typename Derived, const IID& kScriptIid>
class TableDispatch : public IDispatch {
 public:
  static constexpr const IID& kIid = kScriptIid;
  using Base = IDispatch;

  HRESULT GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }

  // FIXME: no type information until the module carries a type library.
  HRESULT GetTypeInfo(UINT /*index*/, LCID /*lcid*/, ITypeInfo** typeInfo) override {
    if (typeInfo != nullptr) *typeInfo = nullptr;
    return E_NOTIMPL;
  }

  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID /*lcid*/,
                        DISPID* dispids) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return LookUpNames(Derived::DispatchMembers(), names, count, dispids);
  }

  HRESULT Invoke(DISPID dispid, REFIID riid, LCID /*lcid*/, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* /*excepInfo*/, UINT* argErr) override {
    // A page may drop its last reference from an event handler or a dialog
    // inside the member; the object must outlive the member it is running.
    AddRef();
    HRESULT hr = InvokeMember(static_cast<Derived&>(*this), Derived::DispatchMembers(), dispid,
                              riid, flags, params, result, argErr);
    Release();
    return hr;
  }
};

}  // namespace varn::com
