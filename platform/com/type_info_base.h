// What every type info of ours shares: the handed-out TYPEATTRs, the names
// behind GetDocumentation, and the answers of a type without members or
// implemented interfaces. Derived types override what they describe.
#pragma once

#include <memory>
#include <vector>

#include "platform/com/com_object.h"
#include "platform/com/com_ref.h"
#include "platform/com/type_description.h"
#include "platform/com/type_info.h"
#include "platform/com/type_library.h"

namespace varn::com {

class TypeInfoBase : public ComObject<ITypeInfo> {
 public:
  HRESULT GetTypeAttr(TYPEATTR** typeAttr) override;
  HRESULT GetTypeComp(ITypeComp** typeComp) override;
  HRESULT GetFuncDesc(UINT index, FUNCDESC** funcDesc) override;
  HRESULT GetVarDesc(UINT index, VARDESC** varDesc) override;
  HRESULT GetNames(MEMBERID memid, BSTR* names, UINT maxNames, UINT* count) override;
  HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* refType) override;
  HRESULT GetImplTypeFlags(UINT index, int32_t* flags) override;
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* memids) override;
  HRESULT Invoke(void* instance, MEMBERID memid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excepInfo, UINT* argErr) override;
  // Any out pointer may be null; those given are filled (the name only when
  // found, the others empty).
  HRESULT GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString, DWORD* helpContext,
                           BSTR* helpFile) override;
  HRESULT GetDllEntry(MEMBERID memid, INVOKEKIND invKind, BSTR* dllName, BSTR* name,
                      WORD* ordinal) override;
  HRESULT GetRefTypeInfo(HREFTYPE refType, ITypeInfo** typeInfo) override;
  HRESULT AddressOfMember(MEMBERID memid, INVOKEKIND invKind, void** address) override;
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT GetMops(MEMBERID memid, BSTR* mops) override;
  // The library that handed this type out; else the module's library, when it
  // holds a type of the same GUID. E_NOTIMPL when no library holds it.
  HRESULT GetContainingTypeLib(ITypeLib** typeLib, UINT* index) override;
  // Frees only what this type info handed out and has not freed yet, so a
  // second release of the same block is harmless.
  void ReleaseTypeAttr(TYPEATTR* typeAttr) override;
  void ReleaseFuncDesc(FUNCDESC* funcDesc) override;
  void ReleaseVarDesc(VARDESC* varDesc) override;

 protected:
  explicit TypeInfoBase(TypeContainer container)
      : container_(ComRef<ITypeLib>::Share(container.library)), index_(container.index) {}
  ~TypeInfoBase() override = default;

  // The library this type info belongs to; null when an object made it.
  ITypeLib* Container() const { return container_.Get(); }

  // The attributes GetTypeAttr hands out a copy of.
  virtual TYPEATTR Attributes() const = 0;
  // The type's own name for MEMBERID_NIL, else the member's; null when the
  // type has no such member.
  virtual const char16_t* NameOf(MEMBERID memid) const = 0;

 private:
  std::vector<std::unique_ptr<TYPEATTR>> typeAttrs_;
  ComRef<ITypeLib> container_;
  UINT index_ = 0;
};

// The attributes shared by our types; the caller sets kind, counts and flags.
TYPEATTR BasicTypeAttr(const GUID& guid, TYPEKIND kind);

}  // namespace varn::com
