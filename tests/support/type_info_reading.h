// Type information read the way a page runner reads it, into values a test
// compares: attributes, functions with VT_PTR parameters written as VT_BYREF |
// the pointee's type (the tables' own notation), and names.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/type_info.h"

namespace varn::testing {

inline std::u16string TakeText(BSTR text) {
  std::u16string copy = com::ToU16String(text);
  SysFreeString(text);
  return copy;
}

// The member's name, then its parameters' names; max bounds the request.
inline std::vector<std::u16string> NamesOf(ITypeInfo* info, MEMBERID memid, UINT max = 8) {
  std::vector<BSTR> names(max, nullptr);
  UINT count = 99;
  EXPECT_EQ(info->GetNames(memid, names.data(), max, &count), S_OK) << "memid " << memid;
  std::vector<std::u16string> texts;
  for (UINT i = 0; i < count && i < max; ++i) texts.push_back(TakeText(names[i]));
  for (UINT i = count; i < max; ++i) EXPECT_EQ(names[i], nullptr) << "beyond the count";
  return texts;
}

inline std::u16string TypeName(ITypeInfo* info) {
  BSTR name = nullptr;
  EXPECT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  return TakeText(name);
}

inline TYPEATTR AttributesOf(ITypeInfo* info) {
  TYPEATTR* attr = nullptr;
  EXPECT_EQ(info->GetTypeAttr(&attr), S_OK);
  if (attr == nullptr) return {};
  TYPEATTR copy = *attr;
  info->ReleaseTypeAttr(attr);
  return copy;
}

struct Function {
  MEMBERID memid;
  INVOKEKIND invkind;
  std::vector<VARTYPE> params;
  std::vector<USHORT> flags;
  VARTYPE result;

  friend bool operator==(const Function&, const Function&) = default;
};

inline Function FunctionAt(ITypeInfo* info, UINT index) {
  FUNCDESC* desc = nullptr;
  EXPECT_EQ(info->GetFuncDesc(index, &desc), S_OK) << "index " << index;
  if (desc == nullptr) return {};
  EXPECT_EQ(desc->funckind, FUNC_DISPATCH);
  EXPECT_EQ(desc->callconv, CC_STDCALL);
  EXPECT_EQ(desc->cParamsOpt, 0);
  Function function{desc->memid, desc->invkind, {}, {}, desc->elemdescFunc.tdesc.vt};
  for (SHORT i = 0; i < desc->cParams; ++i) {
    const ELEMDESC& param = desc->lprgelemdescParam[i];
    VARTYPE type = param.tdesc.vt;
    if (type == VT_PTR) type = VT_BYREF | param.tdesc.lptdesc->vt;
    function.params.push_back(type);
    function.flags.push_back(param.paramdesc.wParamFlags);
  }
  info->ReleaseFuncDesc(desc);
  return function;
}

inline std::vector<Function> AllFunctions(ITypeInfo* info) {
  std::vector<Function> functions;
  const TYPEATTR attr = AttributesOf(info);
  for (UINT i = 0; i < attr.cFuncs; ++i) functions.push_back(FunctionAt(info, i));
  return functions;
}

}  // namespace varn::testing
