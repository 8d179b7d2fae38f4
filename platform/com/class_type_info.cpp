// The type info of a creatable class: it implements its scripting interface
// and, for a control, sources its event interface, both as defaults, which is
// how a page learns the names and dispids of the events it may bind handlers
// to.
#include <new>
#include <utility>

#include "platform/com/type_description.h"
#include "platform/com/type_info_base.h"
#include "platform/com/type_library.h"

namespace varn::com {
namespace {

// The implemented interfaces, in GetRefTypeOfImplType's order.
enum ImplType : UINT { kScriptingImpl = 0, kEventsImpl = 1 };

// Opaque to callers; kept apart from 0 so a zeroed handle never resolves.
constexpr HREFTYPE kFirstRefType = 1;

class ClassTypeInfo final : public TypeInfoBase {
 public:
  ClassTypeInfo(ClassDescription description, TypeContainer container)
      : TypeInfoBase(container), description_(std::move(description)) {}

  HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* refType) override;
  HRESULT GetImplTypeFlags(UINT index, int32_t* flags) override;
  HRESULT GetRefTypeInfo(HREFTYPE refType, ITypeInfo** typeInfo) override;

 protected:
  TYPEATTR Attributes() const override;
  const char16_t* NameOf(MEMBERID memid) const override;

 private:
  UINT ImplTypeCount() const { return description_.events.has_value() ? 2 : 1; }

  ClassDescription description_;
};

TYPEATTR ClassTypeInfo::Attributes() const {
  TYPEATTR attr = BasicTypeAttr(description_.clsid, TKIND_COCLASS);
  attr.cImplTypes = static_cast<WORD>(ImplTypeCount());
  attr.wTypeFlags = description_.events.has_value() ? TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL
                                                    : TYPEFLAG_FCANCREATE;
  return attr;
}

const char16_t* ClassTypeInfo::NameOf(MEMBERID memid) const {
  return memid == MEMBERID_NIL ? description_.name : nullptr;
}

HRESULT ClassTypeInfo::GetRefTypeOfImplType(UINT index, HREFTYPE* refType) {
  if (refType == nullptr) return E_POINTER;
  *refType = 0;
  if (index >= ImplTypeCount()) return TYPE_E_ELEMENTNOTFOUND;
  *refType = kFirstRefType + index;
  return S_OK;
}

HRESULT ClassTypeInfo::GetImplTypeFlags(UINT index, int32_t* flags) {
  if (flags == nullptr) return E_POINTER;
  *flags = 0;
  if (index >= ImplTypeCount()) return TYPE_E_ELEMENTNOTFOUND;
  *flags =
      index == kEventsImpl ? IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE : IMPLTYPEFLAG_FDEFAULT;
  return S_OK;
}

HRESULT ClassTypeInfo::GetRefTypeInfo(HREFTYPE refType, ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = nullptr;
  if (refType < kFirstRefType || refType - kFirstRefType >= ImplTypeCount()) {
    return TYPE_E_ELEMENTNOTFOUND;
  }
  const InterfaceDescription& wanted =
      refType - kFirstRefType == kEventsImpl ? *description_.events : description_.scripting;
  // In a library the interface is an entry of its own, which knows its index.
  if (Container() != nullptr) return Container()->GetTypeInfoOfGuid(wanted.iid, typeInfo);
  try {
    return CreateInterfaceTypeInfo(InterfaceDescription(wanted), typeInfo);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace

HRESULT CreateClassTypeInfo(ClassDescription description, ITypeInfo** typeInfo,
                            TypeContainer container) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = MakeObject<ClassTypeInfo>(std::move(description), container);
  return *typeInfo != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace varn::com
