// Reads an upload address: scheme, host and the object name behind the host
// (query included, no leading slash), split by the tokenising rule. Only
// http (port 80 unless written) and https (443) are posted to.
#pragma once

#include <optional>
#include <string_view>

#include "platform/http/http_post.h"
#include "platform/http/upload_text_codec.h"

namespace varn {

// None for an address without scheme, host or object name, with another
// scheme, or with a port that is no number from 1 to 65535.
std::optional<http::HttpTarget> ParseUploadUrl(std::u16string_view url,
                                               const http::UploadTextCodec& codec);

}  // namespace varn
