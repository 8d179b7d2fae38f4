// VARIANT lifetime helpers with the module's allocator, and an owning wrapper.
#pragma once

#include <string_view>

#include "platform/com/bstr.h"

extern "C" {
VARN_EXPORT void VariantInit(VARIANT* value);
// Releases what the value owns (a BSTR, an interface) and leaves VT_EMPTY.
// DISP_E_BADVARTYPE, value untouched, for a type this module cannot release.
VARN_EXPORT HRESULT VariantClear(VARIANT* value);
// Clears dest, then copies source into it: strings deep, interfaces AddRef'd,
// references as they are. On failure dest is VT_EMPTY.
VARN_EXPORT HRESULT VariantCopy(VARIANT* dest, const VARIANT* source);
}

namespace varn::com {

// Owns one VARIANT and clears it.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  static Variant FromInt(int32_t number);
  static Variant FromBool(bool flag);
  // A VT_BSTR holding a copy of text; VT_EMPTY if memory is exhausted.
  static Variant FromText(std::u16string_view text);
  // Takes ownership of text (which may be null).
  static Variant FromBstr(Bstr text);

  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }

  VARIANT* Get() { return &value_; }
  const VARIANT& Value() const { return value_; }
  VARTYPE Type() const { return value_.vt; }
  // Gives the contents to the caller and leaves this VT_EMPTY.
  VARIANT Detach();

 private:
  VARIANT value_;
};

}  // namespace varn::com
