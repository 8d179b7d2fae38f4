// One multipart/form-data POST of text and file fields, sent synchronously on
// the calling thread; the reply text is handed back whole. Lives for one
// submit: filled, posted once, destroyed (which closes the files it opened).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/form_part.h"

namespace varn {

inline constexpr std::string_view kUploadAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 1.1.4322)";
// A reply longer than this fails the post rather than exhausting memory.
inline constexpr std::size_t kMaxUploadReplyBytes = std::size_t{16} * 1024 * 1024;
inline constexpr std::size_t kUploadReplyBlockSize = 10240;

class CFormUpload {
 public:
  CFormUpload() = default;
  CFormUpload(const CFormUpload&) = delete;
  CFormUpload& operator=(const CFormUpload&) = delete;
  ~CFormUpload();

  // An empty value adds no part: the field is missing from the body.
  void AddTextField(std::u16string_view name, std::u16string_view value);
  // The file is not touched until Post sizes it.
  void AddFileField(std::u16string_view name, std::u16string_view path,
                    std::u16string_view contentType);

  // True only when the server answered 200 and its reply ended cleanly; the
  // reply then stands appended to reply. A part that cannot be sized (a missing file) fails before
  // any connection is made. A cookie, even an empty one, goes out as a Cookie header; none when
  // cookie is null.
  bool Post(std::u16string_view url, std::u16string& reply, const std::u16string* cookie);

  std::size_t PartCount() const { return parts_.size(); }

 private:
  bool Send(http::HttpPostRequest& request, const http::UploadTextCodec& codec,
            std::string_view closingLine);

  std::vector<std::unique_ptr<CFormPart>> parts_;
};

}  // namespace varn
