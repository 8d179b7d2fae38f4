#include "platform/ui/file_filter.h"

#include <string_view>

namespace varn::ui {
namespace {

std::u16string_view UpToZero(std::u16string_view text) { return text.substr(0, text.find(u'\0')); }

std::u16string_view Trim(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(u' ');
  return text.substr(first, last - first + 1);
}

// Windows separates patterns by ';', Qt by spaces; Windows' "*.*" also
// matches names without a dot.
std::u16string QtPatterns(std::u16string_view patterns) {
  std::u16string result;
  std::size_t start = 0;
  while (start <= patterns.size()) {
    std::size_t end = patterns.find(u';', start);
    if (end == std::u16string_view::npos) end = patterns.size();
    const std::u16string_view one = Trim(patterns.substr(start, end - start));
    if (!one.empty()) {
      if (!result.empty()) result += u' ';
      result += one == u"*.*" ? std::u16string_view(u"*") : one;
    }
    start = end + 1;
  }
  return result.empty() ? u"*" : result;
}

}  // namespace

std::u16string ToWindowsFilter(std::span<const FileFilter> filters) {
  std::u16string result;
  if (filters.empty()) return result;
  for (const FileFilter& filter : filters) {
    result += UpToZero(filter.description);
    result += u'\0';
    result += UpToZero(filter.pattern);
    result += u'\0';
  }
  result += u'\0';
  return result;
}

std::u16string ToNameFilter(const FileFilter& filter) {
  std::u16string_view description = Trim(UpToZero(filter.description));
  if (!description.empty() && description.back() == u')') {
    const std::size_t open = description.rfind(u'(');
    if (open != std::u16string_view::npos) description = Trim(description.substr(0, open));
  }
  const std::u16string patterns = QtPatterns(UpToZero(filter.pattern));
  std::u16string result(description.empty() ? patterns : description);
  result += u" (";
  result += patterns;
  result += u')';
  return result;
}

}  // namespace varn::ui
