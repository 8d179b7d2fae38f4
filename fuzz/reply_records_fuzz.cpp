// Feeds arbitrary text to the reply splitter and the upload address reader,
// both of which read what a server or a page hands over. The bytes are read
// as UTF-16 code units, unpaired surrogates and all.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/reply_records.h"
#include "common/upload_url.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::u16string_view kFieldDelimiters = u"[(|)]\n";

// Fields are never empty, hold no delimiter, and stand in the text in order.
void CheckRecords(std::u16string_view text, const std::vector<varn::ReplyRecord>& records) {
  std::size_t at = 0;
  for (const auto& record : records) {
    for (const auto& field : record) {
      Check(!field.empty());
      Check(field.find_first_of(kFieldDelimiters) == std::u16string::npos);
      std::size_t found = text.find(field, at);
      Check(found != std::u16string_view::npos);
      at = found + field.size();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::u16string text;
  text.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  const auto all = varn::SplitReplyRecords(text);
  CheckRecords(text, all);

  const std::size_t fieldCount = size > 0 ? data[0] % 7 : 5;
  const auto taken = varn::TakeReplyRecords(text, fieldCount);
  Check(taken.size() <= all.size());
  for (std::size_t i = 0; i < taken.size(); ++i) {
    Check(taken[i].size() == fieldCount);
    Check(std::equal(taken[i].begin(), taken[i].end(), all[i].begin()));
  }

  const auto codec = varn::http::UploadTextCodec::ForCharset("UTF-8");
  if (auto target = varn::ParseUploadUrl(text, codec)) {
    Check(!target->host.empty() && target->port > 0 && !target->objectName.empty());
  }
  return 0;
}
