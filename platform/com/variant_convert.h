// Coercion of the values a script passes to the three scripting types.
#pragma once

#include "platform/com/bstr.h"

namespace varn::com {

// VT_I4 from the integer types, VT_BOOL, VT_R4/VT_R8 (rounded half to even)
// and decimal text; VT_EMPTY is 0. DISP_E_OVERFLOW outside int32,
// DISP_E_TYPEMISMATCH for anything else.
HRESULT ConvertToInt32(const VARIANT& value, int32_t* number);
// VT_BOOL from the numeric types (non-zero is true), "true"/"false" or decimal
// text; VT_EMPTY is false.
HRESULT ConvertToBool(const VARIANT& value, VARIANT_BOOL* flag);
// A string borrowed from the value, or, for numbers and booleans, a new one
// kept in *owned. VT_EMPTY and VT_NULL give a null string.
HRESULT ConvertToText(const VARIANT& value, BSTR* text, Bstr* owned);

}  // namespace varn::com
