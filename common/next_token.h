// The tokenising rule the upload applies to its URL and every control to the
// server's reply: from a position, skip delimiters, take the longest run of
// other characters, and move behind the delimiter that ended it. Tokens are
// never empty; runs of delimiters count as one separator.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace varn {

// The position once no token is left (the -1 of the rule).
inline constexpr std::size_t kNoTokenPosition = std::u16string_view::npos;

// The next token of text from position, or none (position then becomes
// kNoTokenPosition). With no delimiters the token is the whole rest.
std::optional<std::u16string_view> NextToken(std::u16string_view text,
                                             std::u16string_view delimiters, std::size_t& position);

}  // namespace varn
