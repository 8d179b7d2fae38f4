#include "platform/com/type_info_base.h"

#include <algorithm>
#include <new>

#include "platform/com/bstr.h"

namespace varn::com {

TYPEATTR BasicTypeAttr(const GUID& guid, TYPEKIND kind) {
  TYPEATTR attr{};
  attr.guid = guid;
  attr.memidConstructor = MEMBERID_NIL;
  attr.memidDestructor = MEMBERID_NIL;
  attr.cbSizeInstance = sizeof(void*);
  attr.typekind = kind;
  attr.cbAlignment = alignof(void*);
  // The version of the library these types belong to.
  attr.wMajorVerNum = 1;
  attr.wMinorVerNum = 0;
  attr.tdescAlias.vt = VT_EMPTY;
  return attr;
}

HRESULT TypeInfoBase::GetTypeAttr(TYPEATTR** typeAttr) {
  if (typeAttr == nullptr) return E_POINTER;
  *typeAttr = nullptr;
  try {
    auto copy = std::make_unique<TYPEATTR>(Attributes());
    typeAttrs_.push_back(std::move(copy));
    *typeAttr = typeAttrs_.back().get();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void TypeInfoBase::ReleaseTypeAttr(TYPEATTR* typeAttr) {
  std::erase_if(typeAttrs_, [typeAttr](const auto& kept) { return kept.get() == typeAttr; });
}

HRESULT TypeInfoBase::GetTypeComp(ITypeComp** typeComp) {
  if (typeComp == nullptr) return E_POINTER;
  *typeComp = nullptr;
  return E_NOTIMPL;
}

HRESULT TypeInfoBase::GetFuncDesc(UINT /*index*/, FUNCDESC** funcDesc) {
  if (funcDesc == nullptr) return E_POINTER;
  *funcDesc = nullptr;
  return TYPE_E_ELEMENTNOTFOUND;
}

void TypeInfoBase::ReleaseFuncDesc(FUNCDESC* /*funcDesc*/) {}

HRESULT TypeInfoBase::GetVarDesc(UINT /*index*/, VARDESC** varDesc) {
  if (varDesc == nullptr) return E_POINTER;
  *varDesc = nullptr;
  return E_NOTIMPL;
}

void TypeInfoBase::ReleaseVarDesc(VARDESC* /*varDesc*/) {}

HRESULT TypeInfoBase::GetNames(MEMBERID /*memid*/, BSTR* /*names*/, UINT /*maxNames*/,
                               UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfoBase::GetRefTypeOfImplType(UINT /*index*/, HREFTYPE* refType) {
  if (refType == nullptr) return E_POINTER;
  *refType = 0;
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfoBase::GetImplTypeFlags(UINT /*index*/, int32_t* flags) {
  if (flags == nullptr) return E_POINTER;
  *flags = 0;
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfoBase::GetRefTypeInfo(HREFTYPE /*refType*/, ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = nullptr;
  return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT TypeInfoBase::GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* memids) {
  if (count == 0) return S_OK;
  if (names == nullptr || memids == nullptr) return E_POINTER;
  std::fill_n(memids, count, MEMBERID_NIL);
  return DISP_E_UNKNOWNNAME;
}

HRESULT TypeInfoBase::Invoke(void* /*instance*/, MEMBERID /*memid*/, WORD /*flags*/,
                             DISPPARAMS* /*params*/, VARIANT* /*result*/, EXCEPINFO* /*excepInfo*/,
                             UINT* /*argErr*/) {
  return E_NOTIMPL;
}

HRESULT TypeInfoBase::GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString,
                                       DWORD* helpContext, BSTR* helpFile) {
  if (name != nullptr) *name = nullptr;
  if (docString != nullptr) *docString = nullptr;
  if (helpContext != nullptr) *helpContext = 0;
  if (helpFile != nullptr) *helpFile = nullptr;
  const char16_t* found = NameOf(memid);
  if (found == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  if (name == nullptr) return S_OK;
  *name = SysAllocString(found);
  return *name != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT TypeInfoBase::GetDllEntry(MEMBERID /*memid*/, INVOKEKIND /*invKind*/, BSTR* dllName,
                                  BSTR* name, WORD* ordinal) {
  if (dllName != nullptr) *dllName = nullptr;
  if (name != nullptr) *name = nullptr;
  if (ordinal != nullptr) *ordinal = 0;
  return E_NOTIMPL;
}

HRESULT TypeInfoBase::AddressOfMember(MEMBERID /*memid*/, INVOKEKIND /*invKind*/, void** address) {
  if (address == nullptr) return E_POINTER;
  *address = nullptr;
  return E_NOTIMPL;
}

HRESULT TypeInfoBase::CreateInstance(IUnknown* /*outer*/, REFIID /*riid*/, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return E_NOTIMPL;
}

HRESULT TypeInfoBase::GetMops(MEMBERID /*memid*/, BSTR* mops) {
  if (mops == nullptr) return E_POINTER;
  *mops = nullptr;
  return E_NOTIMPL;
}

HRESULT TypeInfoBase::GetContainingTypeLib(ITypeLib** typeLib, UINT* index) {
  if (typeLib == nullptr) return E_POINTER;
  *typeLib = nullptr;
  if (index != nullptr) *index = 0;
  if (container_) {
    container_->AddRef();
    *typeLib = container_.Get();
    if (index != nullptr) *index = index_;
    return S_OK;
  }
  // Made by an object from its tables: the module's library holds the same
  // type, and its own type info knows where.
  const TypeLibraryProvider provider = ModuleTypeLibraryProvider();
  if (provider == nullptr) return E_NOTIMPL;
  ComRef<ITypeLib> module;
  const HRESULT made = provider(module.Out());
  if (FAILED(made)) return made;
  ComRef<ITypeInfo> entry;
  if (FAILED(module->GetTypeInfoOfGuid(Attributes().guid, entry.Out()))) return E_NOTIMPL;
  return entry->GetContainingTypeLib(typeLib, index);
}

}  // namespace varn::com
