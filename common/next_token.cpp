#include "common/next_token.h"

namespace varn {

std::optional<std::u16string_view> NextToken(std::u16string_view text,
                                             std::u16string_view delimiters,
                                             std::size_t& position) {
  if (position >= text.size()) {
    position = kNoTokenPosition;
    return std::nullopt;
  }
  if (delimiters.empty()) {
    std::u16string_view rest = text.substr(position);
    position = text.size();
    return rest;
  }
  std::size_t start = text.find_first_not_of(delimiters, position);
  if (start == std::u16string_view::npos) {
    position = kNoTokenPosition;
    return std::nullopt;
  }
  std::size_t end = text.find_first_of(delimiters, start);
  if (end == std::u16string_view::npos) end = text.size();
  // The delimiter that ends the token is consumed with it.
  position = end + 1;
  return text.substr(start, end - start);
}

}  // namespace varn
