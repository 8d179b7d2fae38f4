// The arguments of one Invoke, converted to a member's declared types and kept
// for the call; afterwards the out values go back to the caller's references.
#pragma once

#include <type_traits>

#include "platform/com/bstr.h"
#include "platform/com/dispatch_member.h"

namespace varn::com {

class InvokeFrame {
 public:
  // Checks the count and converts each positional argument; on a conversion
  // failure *argErr (when given) receives the argument's index in rgvarg.
  HRESULT Prepare(const MemberInfo& member, const DISPPARAMS& params, UINT* argErr);

  // Writes out arguments back and, for a getter that answered S_OK, its value
  // into *result (dropped when result is null). Always releases what the
  // member handed over, so nothing leaks on failure.
  void Complete(const MemberInfo& member, HRESULT callResult, VARIANT* result);

  // The value handed to the member for parameter index, of the parameter's type.
  template <typename T>
  T Arg(size_t index) {
    Slot& slot = slots_[index];
    // A table of types, one row each.
    // clang-format off
    if constexpr (std::is_same_v<T, int32_t>) return slot.number;
    else if constexpr (std::is_same_v<T, VARIANT_BOOL>) return slot.flag;
    else if constexpr (std::is_same_v<T, BSTR>) return slot.text;
    else if constexpr (std::is_same_v<T, int32_t*>) return &slot.number;
    else if constexpr (std::is_same_v<T, VARIANT_BOOL*>) return &slot.flag;
    else if constexpr (std::is_same_v<T, BSTR*>) return slot.owned.Receive();
    else static_assert(sizeof(T) == 0, "not a scripting parameter type");
    // clang-format on
  }

  // Where a getter writes its value.
  template <typename T>
  T* ResultSlot() {
    return Arg<T*>(kResultSlot);
  }

 private:
  static constexpr size_t kResultSlot = kMaxDispatchArgs;

  struct Slot {
    int32_t number = 0;
    VARIANT_BOOL flag = VARIANT_FALSE;
    BSTR text = nullptr;  // borrowed from the caller, or owned below
    Bstr owned;           // a converted input, or an out string
    // For an out argument: the caller's typed reference, or the variant it
    // passed by reference (then written as a whole).
    void* target = nullptr;
    bool targetIsVariant = false;
  };

  HRESULT PrepareOut(Slot& slot, VARTYPE type, const VARIANT& argument);
  void WriteOut(Slot& slot, VARTYPE type);

  std::array<Slot, kMaxDispatchArgs + 1> slots_;
};

}  // namespace varn::com
