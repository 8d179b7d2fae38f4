#include "common/upload_url.h"

#include <cstdint>
#include <string>

#include "common/next_token.h"
#include "platform/system/utf_convert.h"

namespace varn {
namespace {

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (Lower(text[i]) != lower[i]) return false;
  }
  return true;
}

std::optional<uint16_t> ParsePort(std::u16string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  uint32_t port = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return std::nullopt;
    port = port * 10 + static_cast<uint32_t>(c - u'0');
  }
  if (port == 0 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

// Splits "host" or "host:port"; an IPv6 address keeps its brackets.
bool SplitHostAndPort(std::u16string_view hostText, http::HttpTarget& target) {
  std::size_t colon = hostText.rfind(u':');
  std::size_t bracket = hostText.rfind(u']');
  if (colon != std::u16string_view::npos &&
      (bracket == std::u16string_view::npos || colon > bracket)) {
    auto port = ParsePort(hostText.substr(colon + 1));
    if (!port) return false;
    target.port = *port;
    hostText = hostText.substr(0, colon);
  }
  if (hostText.empty()) return false;
  target.host = system::Utf16ToUtf8(hostText);
  return true;
}

}  // namespace

std::optional<http::HttpTarget> ParseUploadUrl(std::u16string_view url,
                                               const http::UploadTextCodec& codec) {
  std::size_t position = 0;
  auto scheme = NextToken(url, u":/", position);
  if (!scheme) return std::nullopt;
  auto host = NextToken(url, u"/", position);
  if (!host) return std::nullopt;
  auto objectName = NextToken(url, u"", position);
  if (!objectName) return std::nullopt;

  http::HttpTarget target;
  if (EqualsIgnoringCase(*scheme, u"http")) {
    target.scheme = http::HttpScheme::Http;
    target.port = 80;
  } else if (EqualsIgnoringCase(*scheme, u"https")) {
    target.scheme = http::HttpScheme::Https;
    target.port = 443;
  } else {
    return std::nullopt;
  }
  if (!SplitHostAndPort(*host, target)) return std::nullopt;
  target.objectName = codec.Encode(*objectName);
  return target;
}

}  // namespace varn
