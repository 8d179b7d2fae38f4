#include "platform/com/variant.h"

#include <utility>

#include "platform/com/unknown.h"

namespace {

// Types whose value lives in the VARIANT itself (or points at the caller's
// storage), so clearing releases nothing.
bool HoldsNothingToRelease(VARTYPE type) {
  if ((type & VT_BYREF) != 0) {
    VARTYPE target = type & ~VT_BYREF;
    return target != VT_EMPTY && target != VT_NULL && target < VT_BYREF;
  }
  switch (type) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
      return true;
    default:
      return false;
  }
}

bool HoldsInterface(VARTYPE type) { return type == VT_UNKNOWN || type == VT_DISPATCH; }

bool IsSupported(VARTYPE type) {
  return type == VT_BSTR || HoldsInterface(type) || HoldsNothingToRelease(type);
}

}  // namespace

extern "C" {

void VariantInit(VARIANT* value) {
  if (value == nullptr) return;
  value->vt = VT_EMPTY;
  value->wReserved1 = 0;
  value->wReserved2 = 0;
  value->wReserved3 = 0;
  value->llVal = 0;
  value->record.pRecInfo = nullptr;
}

HRESULT VariantClear(VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  if (!IsSupported(value->vt)) return DISP_E_BADVARTYPE;
  if (value->vt == VT_BSTR) {
    SysFreeString(value->bstrVal);
  } else if (HoldsInterface(value->vt) && value->punkVal != nullptr) {
    value->punkVal->Release();
  }
  VariantInit(value);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* source) {
  if (dest == nullptr || source == nullptr) return E_INVALIDARG;
  if (dest == source) return S_OK;
  if (!IsSupported(source->vt)) return DISP_E_BADVARTYPE;
  HRESULT cleared = VariantClear(dest);
  if (FAILED(cleared)) return cleared;
  if (source->vt == VT_BSTR && source->bstrVal != nullptr) {
    varn::com::Bstr copy = varn::com::Bstr::Copy(source->bstrVal);
    if (copy.IsNull()) return E_OUTOFMEMORY;
    *dest = *source;
    dest->bstrVal = copy.Detach();
    return S_OK;
  }
  *dest = *source;
  if (HoldsInterface(dest->vt) && dest->punkVal != nullptr) dest->punkVal->AddRef();
  return S_OK;
}

}  // extern "C"

namespace varn::com {

Variant Variant::FromInt(int32_t number) {
  Variant v;
  v.value_.vt = VT_I4;
  v.value_.lVal = number;
  return v;
}

Variant Variant::FromBool(bool flag) {
  Variant v;
  v.value_.vt = VT_BOOL;
  v.value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Variant Variant::FromText(std::u16string_view text) {
  Bstr copy = Bstr::FromText(text);
  if (copy.IsNull()) return Variant();
  return FromBstr(std::move(copy));
}

Variant Variant::FromBstr(Bstr text) {
  Variant v;
  v.value_.vt = VT_BSTR;
  v.value_.bstrVal = text.Detach();
  return v;
}

Variant::Variant(Variant&& other) noexcept : value_(other.Detach()) {}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    value_ = other.Detach();
  }
  return *this;
}

VARIANT Variant::Detach() {
  VARIANT out = value_;
  VariantInit(&value_);
  return out;
}

}  // namespace varn::com
