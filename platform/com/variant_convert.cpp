#include "platform/com/variant_convert.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace varn::com {
namespace {

// A value passed by reference reads as the value itself; null references and
// types we do not read come back as VT_ERROR.
VARIANT Dereference(const VARIANT& value) {
  VARIANT plain{};
  plain.vt = VT_ERROR;
  if ((value.vt & VT_BYREF) == 0) return value;
  if (value.byref == nullptr) return plain;
  switch (value.vt & ~VT_BYREF) {
    case VT_VARIANT: {
      const VARIANT& inner = *value.pvarVal;
      // One level only: a reference to a reference to a variant is not valid.
      if (inner.vt == (VT_BYREF | VT_VARIANT)) return plain;
      return Dereference(inner);
    }
    // One row per type: the formatter would make each three lines.
    // clang-format off
    case VT_I2: plain.vt = VT_I2; plain.iVal = *value.piVal; break;
    case VT_I4: plain.vt = VT_I4; plain.lVal = *value.plVal; break;
    case VT_INT: plain.vt = VT_INT; plain.intVal = *value.plVal; break;
    case VT_UI4: plain.vt = VT_UI4; plain.ulVal = *static_cast<uint32_t*>(value.byref); break;
    case VT_UINT: plain.vt = VT_UINT; plain.uintVal = *static_cast<uint32_t*>(value.byref); break;
    case VT_R8: plain.vt = VT_R8; plain.dblVal = *static_cast<double*>(value.byref); break;
    case VT_R4: plain.vt = VT_R4; plain.fltVal = *static_cast<float*>(value.byref); break;
    case VT_BOOL: plain.vt = VT_BOOL; plain.boolVal = *value.pboolVal; break;
    case VT_BSTR: plain.vt = VT_BSTR; plain.bstrVal = *value.pbstrVal; break;
    default: break;
      // clang-format on
  }
  return plain;
}

HRESULT RoundToInt32(double number, int32_t* result) {
  if (std::isnan(number)) return DISP_E_OVERFLOW;
  double rounded = std::nearbyint(number);
  if (rounded < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return DISP_E_OVERFLOW;
  }
  *result = static_cast<int32_t>(rounded);
  return S_OK;
}

HRESULT FromUnsigned(uint32_t number, int32_t* result) {
  if (number > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) {
    return DISP_E_OVERFLOW;
  }
  *result = static_cast<int32_t>(number);
  return S_OK;
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

HRESULT ParseInt32(BSTR text, int32_t* result) {
  std::u16string_view digits = Trim(BstrView(text));
  bool negative = false;
  if (!digits.empty() && (digits.front() == u'-' || digits.front() == u'+')) {
    negative = digits.front() == u'-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return DISP_E_TYPEMISMATCH;
  int64_t magnitude = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return DISP_E_TYPEMISMATCH;
    magnitude = magnitude * 10 + (c - u'0');
    if (magnitude > int64_t{1} << 32) return DISP_E_OVERFLOW;
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    return DISP_E_OVERFLOW;
  }
  *result = static_cast<int32_t>(value);
  return S_OK;
}

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view lowerWord) {
  if (text.size() != lowerWord.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != lowerWord[i]) return false;
  }
  return true;
}

HRESULT OwnAscii(const char* begin, const char* end, BSTR* text, Bstr* owned) {
  std::u16string wide(begin, end);
  *owned = Bstr::FromText(wide);
  if (owned->IsNull()) return E_OUTOFMEMORY;
  *text = owned->Get();
  return S_OK;
}

template <typename Number>
HRESULT FormatNumber(Number number, BSTR* text, Bstr* owned) {
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof(buffer), number);
  if (error != std::errc()) return DISP_E_TYPEMISMATCH;
  return OwnAscii(buffer, end, text, owned);
}

}  // namespace

HRESULT ConvertToInt32(const VARIANT& value, int32_t* number) {
  VARIANT plain = Dereference(value);
  // clang-format off
  switch (plain.vt) {
    case VT_EMPTY: *number = 0; return S_OK;
    case VT_I2: *number = plain.iVal; return S_OK;
    case VT_I4: *number = plain.lVal; return S_OK;
    case VT_INT: *number = plain.intVal; return S_OK;
    case VT_BOOL: *number = plain.boolVal != VARIANT_FALSE ? -1 : 0; return S_OK;
    case VT_UI1: *number = plain.bVal; return S_OK;
    case VT_UI2: *number = static_cast<uint16_t>(plain.iVal); return S_OK;
    case VT_UI4: return FromUnsigned(plain.ulVal, number);
    case VT_UINT: return FromUnsigned(plain.uintVal, number);
    case VT_R4: return RoundToInt32(plain.fltVal, number);
    case VT_R8: return RoundToInt32(plain.dblVal, number);
    case VT_BSTR: return ParseInt32(plain.bstrVal, number);
    default: return DISP_E_TYPEMISMATCH;
  }
  // clang-format on
}

HRESULT ConvertToBool(const VARIANT& value, VARIANT_BOOL* flag) {
  VARIANT plain = Dereference(value);
  switch (plain.vt) {
    case VT_BOOL:
      *flag = plain.boolVal != VARIANT_FALSE ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case VT_R4:
      *flag = plain.fltVal != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case VT_R8:
      *flag = plain.dblVal != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case VT_BSTR:
      if (EqualsIgnoringCase(Trim(BstrView(plain.bstrVal)), u"true")) {
        *flag = VARIANT_TRUE;
        return S_OK;
      }
      if (EqualsIgnoringCase(Trim(BstrView(plain.bstrVal)), u"false")) {
        *flag = VARIANT_FALSE;
        return S_OK;
      }
      [[fallthrough]];
    default: {
      int32_t number = 0;
      HRESULT result = ConvertToInt32(plain, &number);
      if (FAILED(result)) return result == DISP_E_OVERFLOW ? DISP_E_TYPEMISMATCH : result;
      *flag = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    }
  }
}

HRESULT ConvertToText(const VARIANT& value, BSTR* text, Bstr* owned) {
  VARIANT plain = Dereference(value);
  switch (plain.vt) {
    case VT_EMPTY:
    case VT_NULL:
      *text = nullptr;
      return S_OK;
    case VT_BSTR:
      *text = plain.bstrVal;
      return S_OK;
    case VT_BOOL: {
      std::string_view word = plain.boolVal != VARIANT_FALSE ? "True" : "False";
      return OwnAscii(word.data(), word.data() + word.size(), text, owned);
    }
    case VT_R4:
      return FormatNumber(static_cast<double>(plain.fltVal), text, owned);
    case VT_R8:
      return FormatNumber(plain.dblVal, text, owned);
    default: {
      int32_t number = 0;
      if (plain.vt == VT_UI4 || plain.vt == VT_UINT) {
        return FormatNumber(plain.ulVal, text, owned);
      }
      if (FAILED(ConvertToInt32(plain, &number))) return DISP_E_TYPEMISMATCH;
      return FormatNumber(number, text, owned);
    }
  }
}

}  // namespace varn::com
