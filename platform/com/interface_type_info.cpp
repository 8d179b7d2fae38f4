// The type info of one dispatch interface, read from its declarative table:
// each row is one FUNCDESC, so a property's get and put are two functions
// that share a memid.
#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "platform/com/bstr.h"
#include "platform/com/dispatch_table.h"
#include "platform/com/type_description.h"
#include "platform/com/type_info_base.h"

namespace varn::com {
namespace {

// One FUNCDESC with the parameter descriptions it points at, freed as a whole.
struct FuncDescBlock {
  FUNCDESC desc;
  std::array<ELEMDESC, kMaxDispatchArgs> params;
  // What each out parameter points at.
  std::array<TYPEDESC, kMaxDispatchArgs> pointees;
};

INVOKEKIND InvokeKindOf(MemberKind kind) {
  switch (kind) {
    case MemberKind::kPropertyGet:
      return INVOKE_PROPERTYGET;
    case MemberKind::kPropertyPut:
      return INVOKE_PROPERTYPUT;
    case MemberKind::kMethod:
      break;
  }
  return INVOKE_FUNC;
}

void DescribeFunction(const MemberInfo& member, FuncDescBlock& block) {
  FUNCDESC& desc = block.desc;
  desc.memid = member.dispid;
  desc.funckind = FUNC_DISPATCH;
  desc.invkind = InvokeKindOf(member.kind);
  desc.callconv = CC_STDCALL;
  const size_t count = std::min<size_t>(member.argCount, kMaxDispatchArgs);
  desc.cParams = static_cast<SHORT>(count);
  desc.lprgelemdescParam = count > 0 ? block.params.data() : nullptr;
  for (size_t i = 0; i < count; ++i) {
    const VARTYPE type = member.argTypes[i];
    ELEMDESC& param = block.params[i];
    if ((type & VT_BYREF) != 0) {
      block.pointees[i].vt = static_cast<VARTYPE>(type & ~VT_BYREF);
      param.tdesc.vt = VT_PTR;
      param.tdesc.lptdesc = &block.pointees[i];
      param.paramdesc.wParamFlags = PARAMFLAG_FOUT;
    } else {
      param.tdesc.vt = type;
      param.paramdesc.wParamFlags = PARAMFLAG_FIN;
    }
  }
  desc.elemdescFunc.tdesc.vt =
      member.kind == MemberKind::kPropertyGet ? member.resultType : VT_VOID;
}

class InterfaceTypeInfo final : public TypeInfoBase {
 public:
  InterfaceTypeInfo(InterfaceDescription description, TypeContainer container)
      : TypeInfoBase(container), description_(std::move(description)) {}

  HRESULT GetFuncDesc(UINT index, FUNCDESC** funcDesc) override;
  void ReleaseFuncDesc(FUNCDESC* funcDesc) override;
  HRESULT GetNames(MEMBERID memid, BSTR* names, UINT maxNames, UINT* count) override;
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* memids) override;
  // instance is the IDispatch of an object of this type; the call goes there.
  HRESULT Invoke(void* instance, MEMBERID memid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excepInfo, UINT* argErr) override;

 protected:
  TYPEATTR Attributes() const override;
  const char16_t* NameOf(MEMBERID memid) const override;

 private:
  // Of the rows with this memid, the one whose parameters name it: the
  // method if there is one, else the first (a getter). Null when none.
  const MemberInfo* Find(MEMBERID memid) const;

  InterfaceDescription description_;
  std::vector<std::unique_ptr<FuncDescBlock>> funcDescs_;
};

TYPEATTR InterfaceTypeInfo::Attributes() const {
  TYPEATTR attr = BasicTypeAttr(description_.iid, TKIND_DISPATCH);
  attr.cFuncs = static_cast<WORD>(
      std::min<size_t>(description_.members.size(), std::numeric_limits<WORD>::max()));
  // IDispatch's seven entries.
  attr.cbSizeVft = 7 * sizeof(void*);
  attr.wTypeFlags = description_.role == InterfaceRole::kScripting
                        ? TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE
                        : TYPEFLAG_FDISPATCHABLE;
  return attr;
}

const MemberInfo* InterfaceTypeInfo::Find(MEMBERID memid) const {
  const MemberInfo* found = nullptr;
  for (const MemberInfo& member : description_.members) {
    if (member.dispid != memid) continue;
    if (member.kind == MemberKind::kMethod) return &member;
    if (found == nullptr) found = &member;
  }
  return found;
}

const char16_t* InterfaceTypeInfo::NameOf(MEMBERID memid) const {
  if (memid == MEMBERID_NIL) return description_.name;
  const MemberInfo* member = Find(memid);
  return member != nullptr ? member->name : nullptr;
}

HRESULT InterfaceTypeInfo::GetFuncDesc(UINT index, FUNCDESC** funcDesc) {
  if (funcDesc == nullptr) return E_POINTER;
  *funcDesc = nullptr;
  if (index >= Attributes().cFuncs) return TYPE_E_ELEMENTNOTFOUND;
  try {
    auto block = std::make_unique<FuncDescBlock>();
    DescribeFunction(description_.members[index], *block);
    funcDescs_.push_back(std::move(block));
    *funcDesc = &funcDescs_.back()->desc;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void InterfaceTypeInfo::ReleaseFuncDesc(FUNCDESC* funcDesc) {
  std::erase_if(funcDescs_, [funcDesc](const auto& kept) { return &kept->desc == funcDesc; });
}

HRESULT InterfaceTypeInfo::GetNames(MEMBERID memid, BSTR* names, UINT maxNames, UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  if (names == nullptr && maxNames > 0) return E_POINTER;
  const MemberInfo* member = Find(memid);
  if (member == nullptr) return TYPE_E_ELEMENTNOTFOUND;
  // The member's name, then its named parameters up to the first unnamed one.
  UINT available = 1;
  while (available <= member->argCount && available <= kMaxDispatchArgs &&
         member->argNames[available - 1] != nullptr) {
    ++available;
  }
  const UINT wanted = std::min(available, maxNames);
  for (UINT i = 0; i < wanted; ++i) {
    names[i] = SysAllocString(i == 0 ? member->name : member->argNames[i - 1]);
    if (names[i] == nullptr) {
      for (UINT j = 0; j < i; ++j) {
        SysFreeString(names[j]);
        names[j] = nullptr;
      }
      return E_OUTOFMEMORY;
    }
  }
  *count = wanted;
  return S_OK;
}

// names[0] is a member; any further names are its parameters, answered with
// their positions.
HRESULT InterfaceTypeInfo::GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* memids) {
  if (count == 0) return S_OK;
  if (names == nullptr || memids == nullptr) return E_POINTER;
  std::fill_n(memids, count, MEMBERID_NIL);
  const MemberInfo* member = nullptr;
  if (names[0] != nullptr) {
    for (const MemberInfo& row : description_.members) {
      if (detail::NameMatches(row.name, names[0])) {
        member = Find(row.dispid);
        break;
      }
    }
  }
  if (member == nullptr) return DISP_E_UNKNOWNNAME;
  memids[0] = member->dispid;
  HRESULT hr = S_OK;
  for (UINT i = 1; i < count; ++i) {
    for (size_t arg = 0; arg < member->argCount && arg < kMaxDispatchArgs; ++arg) {
      const char16_t* declared = member->argNames[arg];
      if (declared != nullptr && names[i] != nullptr && detail::NameMatches(declared, names[i])) {
        memids[i] = static_cast<MEMBERID>(arg);
        break;
      }
    }
    if (memids[i] == MEMBERID_NIL) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT InterfaceTypeInfo::Invoke(void* instance, MEMBERID memid, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
  if (instance == nullptr) return E_INVALIDARG;
  if (Find(memid) == nullptr) return DISP_E_MEMBERNOTFOUND;
  return static_cast<IDispatch*>(instance)->Invoke(memid, IID_NULL, 0, flags, params, result,
                                                   excepInfo, argErr);
}

}  // namespace

HRESULT CreateInterfaceTypeInfo(InterfaceDescription description, ITypeInfo** typeInfo,
                                TypeContainer container) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = MakeObject<InterfaceTypeInfo>(std::move(description), container);
  return *typeInfo != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace varn::com
