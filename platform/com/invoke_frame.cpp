#include "platform/com/invoke_frame.h"

#include "platform/com/variant.h"
#include "platform/com/variant_convert.h"

namespace varn::com {

HRESULT InvokeFrame::Prepare(const MemberInfo& member, const DISPPARAMS& params, UINT* argErr) {
  if (params.cArgs != member.argCount) return DISP_E_BADPARAMCOUNT;
  if (params.cArgs > 0 && params.rgvarg == nullptr) return E_INVALIDARG;
  for (UINT i = 0; i < member.argCount; ++i) {
    // Arguments stand in reverse order.
    UINT position = params.cArgs - 1 - i;
    const VARIANT& argument = params.rgvarg[position];
    VARTYPE type = member.argTypes[i];
    Slot& slot = slots_[i];
    HRESULT result = E_FAIL;
    switch (type) {
      case VT_I4:
        result = ConvertToInt32(argument, &slot.number);
        break;
      case VT_BOOL:
        result = ConvertToBool(argument, &slot.flag);
        break;
      case VT_BSTR:
        result = ConvertToText(argument, &slot.text, &slot.owned);
        break;
      default:
        result = PrepareOut(slot, type, argument);
        break;
    }
    if (FAILED(result)) {
      if (argErr != nullptr && result != E_OUTOFMEMORY) *argErr = position;
      return result;
    }
  }
  return S_OK;
}

HRESULT InvokeFrame::PrepareOut(Slot& slot, VARTYPE type, const VARIANT& argument) {
  if (argument.vt == (VT_BYREF | VT_VARIANT)) {
    if (argument.pvarVal == nullptr) return E_POINTER;
    // A reference to a variant that itself holds the typed reference.
    if (argument.pvarVal->vt != type) {
      slot.target = argument.pvarVal;
      slot.targetIsVariant = true;
      return S_OK;
    }
    return PrepareOut(slot, type, *argument.pvarVal);
  }
  if (argument.vt != type) return DISP_E_TYPEMISMATCH;
  if (argument.byref == nullptr) return E_POINTER;
  slot.target = argument.byref;
  return S_OK;
}

void InvokeFrame::WriteOut(Slot& slot, VARTYPE type) {
  if (slot.target == nullptr) return;
  VARTYPE valueType = type & ~VT_BYREF;
  if (slot.targetIsVariant) {
    auto* variant = static_cast<VARIANT*>(slot.target);
    VariantClear(variant);
    variant->vt = valueType;
    if (valueType == VT_I4) variant->lVal = slot.number;
    if (valueType == VT_BOOL) variant->boolVal = slot.flag;
    if (valueType == VT_BSTR) variant->bstrVal = slot.owned.Detach();
    return;
  }
  // The caller's previous string is not ours to free: an out string arrives
  // uninitialised as often as not.
  if (valueType == VT_I4) *static_cast<int32_t*>(slot.target) = slot.number;
  if (valueType == VT_BOOL) *static_cast<VARIANT_BOOL*>(slot.target) = slot.flag;
  if (valueType == VT_BSTR) *static_cast<BSTR*>(slot.target) = slot.owned.Detach();
}

void InvokeFrame::Complete(const MemberInfo& member, HRESULT callResult, VARIANT* result) {
  for (UINT i = 0; i < member.argCount; ++i) {
    if ((member.argTypes[i] & VT_BYREF) != 0) WriteOut(slots_[i], member.argTypes[i]);
  }
  if (member.kind != MemberKind::kPropertyGet || result == nullptr) return;
  if (FAILED(callResult) || callResult == S_FALSE) return;
  Slot& value = slots_[kResultSlot];
  result->vt = member.resultType;
  if (member.resultType == VT_I4) result->lVal = value.number;
  if (member.resultType == VT_BOOL) result->boolVal = value.flag;
  if (member.resultType == VT_BSTR) result->bstrVal = value.owned.Detach();
}

}  // namespace varn::com
