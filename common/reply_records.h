// How every control cuts the server's answer to an upload: lines by line
// feeds, fields by any of the characters "[(|)]". A carriage return before a
// line feed stays at the end of the line's last field.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varn {

using ReplyRecord = std::vector<std::u16string>;

// Every non-empty line with all its fields, in order.
std::vector<ReplyRecord> SplitReplyRecords(std::u16string_view reply);

// The records a caller that needs fieldCount fields a line takes: the first
// fieldCount fields of each line, up to the first line that has fewer, which
// ends the reply for that caller.
std::vector<ReplyRecord> TakeReplyRecords(std::u16string_view reply, std::size_t fieldCount);

}  // namespace varn
