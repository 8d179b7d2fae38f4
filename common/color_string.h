// Colours as the page writes them: "#" and six hexadecimal digits, red first.
// Values are 0xAARRGGBB.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/types.h"

namespace varn {

// "#rrggbb" in lowercase; the alpha byte is dropped.
std::u16string FormatColorString(uint32_t argb);

// Reads characters 2 to 7 as red, green and blue in either case and gives an
// opaque colour; the first character is not looked at and anything after the
// seventh is ignored. E_INVALIDARG for a text of fewer than seven characters,
// `*argb` then untouched. A character that is not a hexadecimal digit counts
// as the digit 0, so "#12zz56" reads as "#120056": scripts that send such
// text get a predictable colour instead of an error.
HRESULT ParseColorString(std::u16string_view text, uint32_t* argb);

}  // namespace varn
