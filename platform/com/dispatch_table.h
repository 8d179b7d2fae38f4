// Table-driven IDispatch. A scripting interface is declared once, as an array
// of rows binding a name, a dispid and a kind to a member function:
//
//   using M = varn::com::Members<CDrawingControl>;
//   constexpr varn::com::DispatchMember<CDrawingControl> kMembers[] = {
//       M::Get<&CDrawingControl::get_zoomValue>(u"zoomValue", 1),
//       M::Put<&CDrawingControl::put_zoomValue>(u"zoomValue", 1),
//       M::Method<&CDrawingControl::SelectLayer>(u"SelectLayer", 9, {u"nIndex"}),
//   };
//
// Member functions return HRESULT and take int32_t, VARIANT_BOOL or BSTR (in;
// the caller owns the string) and pointers to them (out; an out string is the
// member's to allocate). A getter takes one pointer; a setter one value.
#pragma once

#include <exception>
#include <new>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/com/dispatch_member.h"
#include "platform/com/invoke_frame.h"
#include "platform/com/variant.h"

namespace varn::com {

template <typename C>
struct DispatchMember {
  MemberInfo info;
  HRESULT (*call)(C& object, InvokeFrame& frame);
};

namespace detail {

template <typename F>
struct MemberFunction;
template <typename Owner, typename... Args>
struct MemberFunction<HRESULT (Owner::*)(Args...)> {
  static constexpr size_t kArity = sizeof...(Args);
  template <size_t I>
  using Arg = std::tuple_element_t<I, std::tuple<Args...>>;
  static constexpr std::array<VARTYPE, kMaxDispatchArgs> ArgTypes() {
    std::array<VARTYPE, kMaxDispatchArgs> types{};
    size_t i = 0;
    ((types[i++] = ScriptType<Args>::kType), ...);
    return types;
  }
};
template <typename Owner, typename... Args>
struct MemberFunction<HRESULT (Owner::*)(Args...) const>
    : MemberFunction<HRESULT (Owner::*)(Args...)> {};

template <auto F, typename C, size_t... I>
HRESULT CallWithArgs(C& object, InvokeFrame& frame, std::index_sequence<I...>) {
  using Traits = MemberFunction<decltype(F)>;
  return (object.*F)(frame.Arg<typename Traits::template Arg<I>>(I)...);
}

template <auto F, typename C>
HRESULT CallMethod(C& object, InvokeFrame& frame) {
  return CallWithArgs<F>(object, frame,
                         std::make_index_sequence<MemberFunction<decltype(F)>::kArity>{});
}

template <auto F, typename C>
HRESULT CallGetter(C& object, InvokeFrame& frame) {
  using Value = std::remove_pointer_t<typename MemberFunction<decltype(F)>::template Arg<0>>;
  return (object.*F)(frame.ResultSlot<Value>());
}

// Of the rows sharing a dispid, the index of the one that answers flags, or -1.
int SelectMember(std::span<const MemberInfo* const> candidates, WORD flags);
// Named-argument rules: a put may name its value DISPID_PROPERTYPUT; nothing
// else takes named arguments.
HRESULT CheckNamedArgs(const MemberInfo& member, const DISPPARAMS& params);
bool NameMatches(const char16_t* declared, const OLECHAR* asked);

}  // namespace detail

// Row builders for class C (whose member functions, or its bases', are bound).
template <typename C>
struct Members {
  template <auto F>
  static constexpr DispatchMember<C> Method(const char16_t* name, DISPID dispid,
                                            ArgNames argNames = {}) {
    using Traits = detail::MemberFunction<decltype(F)>;
    static_assert(Traits::kArity <= kMaxDispatchArgs, "too many arguments");
    return {{name, dispid, MemberKind::kMethod, VT_EMPTY, static_cast<uint8_t>(Traits::kArity),
             Traits::ArgTypes(), argNames},
            &detail::CallMethod<F, C>};
  }

  template <auto F>
  static constexpr DispatchMember<C> Get(const char16_t* name, DISPID dispid) {
    using Traits = detail::MemberFunction<decltype(F)>;
    static_assert(Traits::kArity == 1, "a getter takes one out pointer");
    using Out = typename Traits::template Arg<0>;
    static_assert((ScriptType<Out>::kType & VT_BYREF) != 0, "a getter takes one out pointer");
    return {{name,
             dispid,
             MemberKind::kPropertyGet,
             ScriptType<std::remove_pointer_t<Out>>::kType,
             0,
             {},
             {}},
            &detail::CallGetter<F, C>};
  }

  template <auto F>
  static constexpr DispatchMember<C> Put(const char16_t* name, DISPID dispid) {
    using Traits = detail::MemberFunction<decltype(F)>;
    static_assert(Traits::kArity == 1, "a setter takes one value");
    static_assert((ScriptType<typename Traits::template Arg<0>>::kType & VT_BYREF) == 0,
                  "a setter takes one value");
    return {{name, dispid, MemberKind::kPropertyPut, VT_EMPTY, 1, Traits::ArgTypes(), {}},
            &detail::CallMethod<F, C>};
  }
};

// GetIDsOfNames over a table: names[0] is a member (matched without regard to
// case); argument names are not known, so any further name is unknown.
template <typename C>
HRESULT LookUpNames(std::span<const DispatchMember<C>> members, LPOLESTR* names, UINT count,
                    DISPID* dispids) {
  if (count == 0) return S_OK;
  if (names == nullptr || dispids == nullptr) return E_POINTER;
  for (UINT i = 0; i < count; ++i) dispids[i] = DISPID_UNKNOWN;
  for (const DispatchMember<C>& row : members) {
    if (names[0] != nullptr && detail::NameMatches(row.info.name, names[0])) {
      dispids[0] = row.info.dispid;
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

// IDispatch::Invoke over a table, on object. Returns the member's own HRESULT
// once the call is made. Never lets an exception out.
template <typename C>
HRESULT InvokeMember(C& object, std::span<const DispatchMember<C>> members, DISPID dispid,
                     REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                     UINT* argErr) noexcept {
  try {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (result != nullptr) VariantInit(result);
    // A dispid has at most a method, or a getter and a setter.
    std::array<const DispatchMember<C>*, 3> rows{};
    std::array<const MemberInfo*, 3> infos{};
    size_t found = 0;
    for (const DispatchMember<C>& row : members) {
      if (row.info.dispid != dispid || found == rows.size()) continue;
      rows[found] = &row;
      infos[found++] = &row.info;
    }
    int chosen = detail::SelectMember({infos.data(), found}, flags);
    if (chosen < 0) return DISP_E_MEMBERNOTFOUND;
    const DispatchMember<C>& row = *rows[static_cast<size_t>(chosen)];
    const DISPPARAMS empty{nullptr, nullptr, 0, 0};
    const DISPPARAMS& actual = params != nullptr ? *params : empty;
    HRESULT checked = detail::CheckNamedArgs(row.info, actual);
    if (FAILED(checked)) return checked;
    InvokeFrame frame;
    HRESULT prepared = frame.Prepare(row.info, actual, argErr);
    if (FAILED(prepared)) return prepared;
    HRESULT called = row.call(object, frame);
    frame.Complete(row.info, called, result);
    return called;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace varn::com
