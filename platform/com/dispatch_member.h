// One row of a scripting interface's declarative table: what GetIDsOfNames,
// Invoke's argument checks and a type library need to know about a member.
#pragma once

#include <array>
#include <cstddef>

#include "platform/com/types.h"

namespace varn::com {

enum class MemberKind : uint8_t { kMethod, kPropertyGet, kPropertyPut };

inline constexpr size_t kMaxDispatchArgs = 8;

// Parameter names in declaration order, for the type library; unnamed ones null.
using ArgNames = std::array<const char16_t*, kMaxDispatchArgs>;

struct MemberInfo {
  const char16_t* name;
  DISPID dispid;
  MemberKind kind;
  // VT_I4, VT_BOOL or VT_BSTR for a getter, VT_EMPTY otherwise.
  VARTYPE resultType;
  uint8_t argCount;
  // VT_I4, VT_BOOL, VT_BSTR in; VT_BYREF | one of them out.
  std::array<VARTYPE, kMaxDispatchArgs> argTypes;
  ArgNames argNames;
};

// A row of an event interface: a method of the page's sink that the control
// calls with in arguments of the listed types, in declaration order.
//   EventMember<VT_I4, VT_I4>(u"OnSizeChange", 1, {u"nWidth", u"nHeight"})
template <VARTYPE... kTypes>
constexpr MemberInfo EventMember(const char16_t* name, DISPID dispid, ArgNames argNames = {}) {
  static_assert(sizeof...(kTypes) <= kMaxDispatchArgs, "too many arguments");
  static_assert(((kTypes == VT_I4 || kTypes == VT_BOOL || kTypes == VT_BSTR) && ...),
                "events carry VT_I4, VT_BOOL or VT_BSTR");
  return {name, dispid, MemberKind::kMethod, VT_EMPTY, sizeof...(kTypes), {kTypes...}, argNames};
}

// The scripting type of a member function's parameter.
template <typename T>
struct ScriptType;
template <>
struct ScriptType<int32_t> {
  static constexpr VARTYPE kType = VT_I4;
};
template <>
struct ScriptType<VARIANT_BOOL> {
  static constexpr VARTYPE kType = VT_BOOL;
};
template <>
struct ScriptType<BSTR> {
  static constexpr VARTYPE kType = VT_BSTR;
};
template <typename T>
struct ScriptType<T*> {
  static constexpr VARTYPE kType = VT_BYREF | ScriptType<T>::kType;
};

}  // namespace varn::com
