// Calls a dispatch member the way a page's script engine does.
#pragma once

#include <vector>

#include "platform/com/dispatch.h"

namespace varn::testing {

// args in declaration order; they are passed reversed, and a put names its one
// argument DISPID_PROPERTYPUT. The caller keeps ownership of what they hold.
inline HRESULT InvokeAsPage(IDispatch* object, DISPID dispid, WORD flags, std::vector<VARIANT> args,
                            VARIANT* result) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID named = DISPID_PROPERTYPUT;
  const bool put = flags == DISPATCH_PROPERTYPUT;
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), put ? &named : nullptr,
                    static_cast<UINT>(reversed.size()), put ? 1u : 0u};
  return object->Invoke(dispid, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
}

}  // namespace varn::testing
