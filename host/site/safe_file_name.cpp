#include "host/site/safe_file_name.h"

namespace varn::host {
namespace {

constexpr std::string_view kFallbackName = "file";
// An extension longer than this is treated as part of the stem when shortening.
constexpr std::size_t kMaxKeptExtension = 16;

bool IsSafeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == '_';
}

// Keeps the extension, so a shortened picture name is still served as a picture.
std::string Shorten(const std::string& name) {
  if (name.size() <= kMaxSafeFileNameLength) return name;
  std::size_t dot = name.rfind('.');
  std::string extension;
  if (dot != std::string::npos && dot > 0 && name.size() - dot <= kMaxKeptExtension) {
    extension = name.substr(dot);
  }
  return name.substr(0, kMaxSafeFileNameLength - extension.size()) + extension;
}

}  // namespace

std::string SafeFileName(std::string_view sentName) {
  std::size_t slash = sentName.find_last_of("/\\");
  if (slash != std::string_view::npos) sentName.remove_prefix(slash + 1);
  while (!sentName.empty() && sentName.front() == '.') sentName.remove_prefix(1);

  std::string name;
  name.reserve(sentName.size());
  for (char c : sentName) name.push_back(IsSafeChar(c) ? c : '_');
  if (name.empty()) return std::string(kFallbackName);
  return Shorten(name);
}

bool IsSafeFileName(std::string_view name) {
  if (name.empty() || name.size() > kMaxSafeFileNameLength || name.front() == '.') return false;
  for (char c : name) {
    if (!IsSafeChar(c)) return false;
  }
  return true;
}

}  // namespace varn::host
