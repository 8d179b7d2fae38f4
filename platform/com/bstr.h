// Counted UTF-16 strings with the module's allocator, and an owning wrapper for
// our own code. A null BSTR and an empty one are different values throughout.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/export.h"
#include "platform/com/types.h"

extern "C" {
// Null for a null text; otherwise a new string of the text up to its 0.
VARN_EXPORT BSTR SysAllocString(const OLECHAR* text);
// length characters copied from text, or left zeroed when text is null. Null
// when the length cannot be stored or memory is exhausted.
VARN_EXPORT BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
VARN_EXPORT void SysFreeString(BSTR text);
VARN_EXPORT UINT SysStringLen(BSTR text);
VARN_EXPORT UINT SysStringByteLen(BSTR text);
}

namespace varn::com {

// Longest string we hand out, in characters; larger requests answer null as an
// exhausted heap would, rather than let a script size an allocation freely.
inline constexpr UINT kMaxBstrLength = 0x3FFFFFF0u;

// The characters of a BSTR; a null BSTR reads as empty.
std::u16string_view BstrView(BSTR text);
std::u16string ToU16String(BSTR text);
// A new BSTR of the text (empty text gives an empty, non-null string); null only
// when memory is exhausted.
BSTR AllocBstr(std::u16string_view text);

// Owns one BSTR (or null) and frees it.
class Bstr {
 public:
  Bstr() = default;
  // Takes ownership of text.
  static Bstr Attach(BSTR text);
  // Copies text; IsNull() afterwards means memory was exhausted.
  static Bstr FromText(std::u16string_view text);
  static Bstr Copy(BSTR text);

  Bstr(Bstr&& other) noexcept;
  Bstr& operator=(Bstr&& other) noexcept;
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr();

  BSTR Get() const { return text_; }
  bool IsNull() const { return text_ == nullptr; }
  std::u16string_view View() const { return BstrView(text_); }
  UINT Length() const { return SysStringLen(text_); }
  // Gives up ownership; the caller frees the result.
  BSTR Detach();
  // Frees the current string and returns the slot for an out parameter.
  BSTR* Receive();
  void Reset();

 private:
  explicit Bstr(BSTR text) : text_(text) {}
  BSTR text_ = nullptr;
};

}  // namespace varn::com
