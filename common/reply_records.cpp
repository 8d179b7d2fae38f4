#include "common/reply_records.h"

#include "common/next_token.h"

namespace varn {
namespace {

constexpr std::u16string_view kLineDelimiters = u"\n";
constexpr std::u16string_view kFieldDelimiters = u"[(|)]";

ReplyRecord SplitFields(std::u16string_view line) {
  ReplyRecord fields;
  std::size_t position = 0;
  while (auto field = NextToken(line, kFieldDelimiters, position)) {
    fields.emplace_back(*field);
  }
  return fields;
}

}  // namespace

std::vector<ReplyRecord> SplitReplyRecords(std::u16string_view reply) {
  std::vector<ReplyRecord> records;
  std::size_t position = 0;
  while (auto line = NextToken(reply, kLineDelimiters, position)) {
    records.push_back(SplitFields(*line));
  }
  return records;
}

std::vector<ReplyRecord> TakeReplyRecords(std::u16string_view reply, std::size_t fieldCount) {
  std::vector<ReplyRecord> records;
  std::size_t position = 0;
  while (auto line = NextToken(reply, kLineDelimiters, position)) {
    ReplyRecord fields = SplitFields(*line);
    if (fields.size() < fieldCount) break;
    fields.resize(fieldCount);
    records.push_back(std::move(fields));
  }
  return records;
}

}  // namespace varn
