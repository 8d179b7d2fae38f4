#include "common/color_string.h"

namespace varn {
namespace {

constexpr std::size_t kColorTextLength = 7;
constexpr char16_t kHexDigits[] = u"0123456789abcdef";

uint32_t HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return 0;
}

}  // namespace

std::u16string FormatColorString(uint32_t argb) {
  std::u16string text(kColorTextLength, u'#');
  for (std::size_t i = 1; i < kColorTextLength; ++i) {
    const unsigned shift = static_cast<unsigned>(4 * (kColorTextLength - 1 - i));
    text[i] = kHexDigits[(argb >> shift) & 0xF];
  }
  return text;
}

HRESULT ParseColorString(std::u16string_view text, uint32_t* argb) {
  if (argb == nullptr) return E_POINTER;
  if (text.size() < kColorTextLength) return E_INVALIDARG;
  uint32_t rgb = 0;
  for (std::size_t i = 1; i < kColorTextLength; ++i) rgb = (rgb << 4) | HexDigitValue(text[i]);
  *argb = 0xFF000000u | rgb;
  return S_OK;
}

}  // namespace varn
