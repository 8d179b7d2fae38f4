// IDispatch answered from a declarative table, as a listed interface of a
// ComObject. Derived provides
//   static std::span<const DispatchMember<Derived>> DispatchMembers();
// and QueryInterface then answers kScriptIid and IDispatch with this interface.
// A Derived that also declares
//   static constexpr TypeNames kTypeNames{...};
// offers the table as type information; one without it offers none.
#pragma once

#include <new>
#include <span>
#include <utility>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/dispatch_table.h"
#include "platform/com/type_description.h"

namespace varn::com {

template <typename Derived, const IID& kScriptIid>
class TableDispatch : public IDispatch {
 public:
  static constexpr const IID& kIid = kScriptIid;
  using Base = IDispatch;

  HRESULT GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = Described() ? 1 : 0;
    return S_OK;
  }

  // A new type info of the scripting interface each time; it keeps its own
  // copy of the table's rows.
  HRESULT GetTypeInfo(UINT index, LCID /*lcid*/, ITypeInfo** typeInfo) override {
    if (typeInfo == nullptr) return E_POINTER;
    *typeInfo = nullptr;
    if constexpr (Described()) {
      if (index != 0) return DISP_E_BADINDEX;
      try {
        return CreateInterfaceTypeInfo(DescribeScriptInterface(), typeInfo);
      } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
      }
    } else {
      // It counts no type information, so every index is out of range.
      return DISP_E_BADINDEX;
    }
  }

  // The scripting interface as its type information describes it. May throw
  // std::bad_alloc.
  static InterfaceDescription DescribeScriptInterface() {
    std::vector<MemberInfo> rows;
    for (const DispatchMember<Derived>& row : Derived::DispatchMembers()) {
      rows.push_back(row.info);
    }
    return {Derived::kTypeNames.scriptInterface, kScriptIid, InterfaceRole::kScripting,
            std::move(rows)};
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

 private:
  // Asked only from member bodies, where Derived is complete.
  static constexpr bool Described() {
    return requires { Derived::kTypeNames; };
  }
};

}  // namespace varn::com
