// Calls a dispatch interface the way a script engine does.
#pragma once

#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/variant.h"
#include "tests/support/variant_args.h"

namespace varn::com::testing {

using varn::testing::I4;

inline VARIANT Typed(VARTYPE type) {
  VARIANT v{};
  v.vt = type;
  return v;
}

inline VARIANT ByRef(VARTYPE type, void* target) {
  VARIANT v{};
  v.vt = VT_BYREF | type;
  v.byref = target;
  return v;
}

// args in declaration order; they are passed reversed. The caller keeps
// ownership of what they hold.
inline HRESULT Call(IDispatch* object, DISPID dispid, WORD flags, std::vector<VARIANT> args,
                    VARIANT* result = nullptr, UINT* argErr = nullptr) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  return object->Invoke(dispid, IID_NULL, 0, flags, &params, result, nullptr, argErr);
}

inline HRESULT Put(IDispatch* object, DISPID dispid, VARIANT value, UINT* argErr = nullptr) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  return object->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                        argErr);
}

inline HRESULT Get(IDispatch* object, DISPID dispid, VARIANT* result) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return object->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result, nullptr, nullptr);
}

}  // namespace varn::com::testing
