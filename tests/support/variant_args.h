// Arguments for a dispatch call as a page's script engine builds them. I4 and
// Bool are plain values; Text owns its BSTR until the end of the statement
// that uses it; OutText and OutInt are by-reference slots the callee fills:
//
//   OutText color;
//   board.Call(kDispGetPaletteColor, {I4(0), color.Arg()});
//   EXPECT_EQ(color.Value(), u"#000000");
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com/bstr.h"

namespace varn::testing {

inline VARIANT I4(int32_t value) {
  VARIANT v{};
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

inline VARIANT Bool(bool value) {
  VARIANT v{};
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

// A VT_BSTR argument; nullopt passes a null BSTR, which a page sends for null.
class Text {
 public:
  explicit Text(std::optional<std::u16string_view> text)
      : text_(text ? com::AllocBstr(*text) : nullptr) {}
  ~Text() { SysFreeString(text_); }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;

  // Implicit, so that Text(u"...") stands in an argument list like I4 and Bool.
  operator VARIANT() const {
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = text_;
    return v;
  }

 private:
  BSTR text_;
};

// A VT_BYREF | VT_BSTR out parameter.
class OutText {
 public:
  OutText() = default;
  ~OutText() { SysFreeString(text_); }
  OutText(const OutText&) = delete;
  OutText& operator=(const OutText&) = delete;

  VARIANT Arg() {
    VARIANT v{};
    v.vt = VT_BYREF | VT_BSTR;
    v.pbstrVal = &text_;
    return v;
  }
  // nullopt while the callee left the slot null.
  std::optional<std::u16string> Value() const {
    if (text_ == nullptr) return std::nullopt;
    return com::ToU16String(text_);
  }

 private:
  BSTR text_ = nullptr;
};

// A VT_BYREF | VT_I4 out parameter.
class OutInt {
 public:
  VARIANT Arg() {
    VARIANT v{};
    v.vt = VT_BYREF | VT_I4;
    v.plVal = &value_;
    return v;
  }
  int32_t Value() const { return value_; }

 private:
  int32_t value_ = 0;
};

}  // namespace varn::testing
