// IProvideClassInfo2 for a control whose default source is kEventIid, as a
// listed interface of a ComObject. Derived also lists TableDispatch and
// declares its class and event interface:
//   static constexpr TypeNames kTypeNames{...};
//   static constexpr const CLSID& kClassId = CLSID_...;
//   static std::span<const MemberInfo> EventMembers();
#pragma once

#include <new>
#include <span>
#include <vector>

#include "platform/com/class_info.h"
#include "platform/com/type_description.h"

namespace varn::com {

template <typename Derived, const IID& kEventIid>
class ProvideClassInfo : public IProvideClassInfo2 {
 public:
  // A new class type info each time, with its own copy of both tables.
  HRESULT GetClassInfo(ITypeInfo** typeInfo) override {
    if (typeInfo == nullptr) return E_POINTER;
    *typeInfo = nullptr;
    try {
      return CreateClassTypeInfo(DescribeClass(), typeInfo);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  // The class as its type information describes it. May throw
  // std::bad_alloc.
  static ClassDescription DescribeClass() {
    const std::span<const MemberInfo> events = Derived::EventMembers();
    return {
        Derived::kTypeNames.className, Derived::kClassId, Derived::DescribeScriptInterface(),
        InterfaceDescription{Derived::kTypeNames.eventInterface, kEventIid, InterfaceRole::kEvents,
                             std::vector<MemberInfo>(events.begin(), events.end())}};
  }

  HRESULT GetGUID(DWORD guidKind, GUID* guid) override {
    if (guid == nullptr) return E_POINTER;
    if (guidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
      *guid = GUID_NULL;
      return E_INVALIDARG;
    }
    *guid = kEventIid;
    return S_OK;
  }

 protected:
  ~ProvideClassInfo() = default;
};

}  // namespace varn::com
