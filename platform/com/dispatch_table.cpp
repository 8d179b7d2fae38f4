#include "platform/com/dispatch_table.h"

namespace varn::com::detail {
namespace {

int FindKind(std::span<const MemberInfo* const> candidates, MemberKind kind) {
  for (size_t i = 0; i < candidates.size(); ++i) {
    if (candidates[i]->kind == kind) return static_cast<int>(i);
  }
  return -1;
}

char16_t FoldCase(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

}  // namespace

int SelectMember(std::span<const MemberInfo* const> candidates, WORD flags) {
  if ((flags & DISPATCH_PROPERTYPUT) != 0) return FindKind(candidates, MemberKind::kPropertyPut);
  // Script engines call with METHOD | PROPERTYGET when they cannot tell which.
  int chosen = -1;
  if ((flags & DISPATCH_METHOD) != 0) chosen = FindKind(candidates, MemberKind::kMethod);
  if (chosen < 0 && (flags & DISPATCH_PROPERTYGET) != 0) {
    chosen = FindKind(candidates, MemberKind::kPropertyGet);
  }
  return chosen;
}

HRESULT CheckNamedArgs(const MemberInfo& member, const DISPPARAMS& params) {
  if (params.cNamedArgs == 0) return S_OK;
  if (member.kind != MemberKind::kPropertyPut) return DISP_E_NONAMEDARGS;
  if (params.cNamedArgs > 1 || params.rgdispidNamedArgs == nullptr ||
      params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
    return DISP_E_PARAMNOTFOUND;
  }
  return S_OK;
}

bool NameMatches(const char16_t* declared, const OLECHAR* asked) {
  size_t i = 0;
  for (; declared[i] != 0 && asked[i] != 0; ++i) {
    if (FoldCase(declared[i]) != FoldCase(asked[i])) return false;
  }
  return declared[i] == 0 && asked[i] == 0;
}

}  // namespace varn::com::detail
