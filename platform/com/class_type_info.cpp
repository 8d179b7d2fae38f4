// The type info of a creatable control class: it implements its scripting
// interface and sources its event interface, both as defaults, which is how a
// page learns the names and dispids of the events it may bind handlers to.
#include <new>
#include <utility>

#include "platform/com/type_description.h"
#include "platform/com/type_info_base.h"

namespace varn::com {
namespace {

// The implemented interfaces, in GetRefTypeOfImplType's order.
enum ImplType : UINT { kScriptingImpl = 0, kEventsImpl = 1, kImplTypeCount = 2 };

// Opaque to callers; kept apart from 0 so a zeroed handle never resolves.
constexpr HREFTYPE kFirstRefType = 1;

class ClassTypeInfo final : public TypeInfoBase {
 public:
  explicit ClassTypeInfo(ClassDescription description) : description_(std::move(description)) {}

  HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* refType) override;
  HRESULT GetImplTypeFlags(UINT index, int32_t* flags) override;
  HRESULT GetRefTypeInfo(HREFTYPE refType, ITypeInfo** typeInfo) override;

 protected:
  TYPEATTR Attributes() const override;
  const char16_t* NameOf(MEMBERID memid) const override;

 private:
  ClassDescription description_;
};

TYPEATTR ClassTypeInfo::Attributes() const {
  TYPEATTR attr = BasicTypeAttr(description_.clsid, TKIND_COCLASS);
  attr.cImplTypes = kImplTypeCount;
  attr.wTypeFlags = TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL;
  return attr;
}

const char16_t* ClassTypeInfo::NameOf(MEMBERID memid) const {
  return memid == MEMBERID_NIL ? description_.name : nullptr;
}

HRESULT ClassTypeInfo::GetRefTypeOfImplType(UINT index, HREFTYPE* refType) {
  if (refType == nullptr) return E_POINTER;
  *refType = 0;
  if (index >= kImplTypeCount) return TYPE_E_ELEMENTNOTFOUND;
  *refType = kFirstRefType + index;
  return S_OK;
}

HRESULT ClassTypeInfo::GetImplTypeFlags(UINT index, int32_t* flags) {
  if (flags == nullptr) return E_POINTER;
  *flags = 0;
  if (index >= kImplTypeCount) return TYPE_E_ELEMENTNOTFOUND;
  *flags =
      index == kEventsImpl ? IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE : IMPLTYPEFLAG_FDEFAULT;
  return S_OK;
}

HRESULT ClassTypeInfo::GetRefTypeInfo(HREFTYPE refType, ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = nullptr;
  if (refType < kFirstRefType || refType - kFirstRefType >= kImplTypeCount) {
    return TYPE_E_ELEMENTNOTFOUND;
  }
  const InterfaceDescription& wanted =
      refType - kFirstRefType == kEventsImpl ? description_.events : description_.scripting;
  try {
    return CreateInterfaceTypeInfo(InterfaceDescription(wanted), typeInfo);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace

HRESULT CreateClassTypeInfo(ClassDescription description, ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = MakeObject<ClassTypeInfo>(std::move(description));
  return *typeInfo != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace varn::com
