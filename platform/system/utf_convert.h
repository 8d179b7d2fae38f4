// Conversions between the UTF-8 of file paths and the UTF-16 of automation
// strings. Malformed input never fails a conversion: each maximal invalid
// subsequence (or unpaired surrogate) becomes U+FFFD, so a bad byte can
// neither swallow its neighbours nor end the text early.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varn::system {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// How many UTF-16 code units the UTF-8 text becomes; sizes the Windows-style
// character buffers the path services stand in for.
std::size_t Utf16Length(std::string_view utf8);

}  // namespace varn::system
