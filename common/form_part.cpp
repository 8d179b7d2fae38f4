#include "common/form_part.h"

#include <cstddef>
#include <limits>
#include <span>

#include "platform/system/utf_convert.h"

namespace varn {
namespace {

constexpr std::u16string_view kLineEnd = u"\r\n";
constexpr int64_t kMaxPartSize = std::numeric_limits<int32_t>::max();

bool Send(http::HttpPostRequest& request, std::string_view bytes) {
  return request.Write(std::as_bytes(std::span(bytes.data(), bytes.size())));
}

}  // namespace

std::u16string CFormTextPart::Format() const {
  std::u16string text = u"--";
  text += kFormBoundary;
  text += u"\r\nContent-Disposition: form-data; name=\"";
  text += name_;
  text += u"\"\r\n\r\n";
  text += value_;
  text += kLineEnd;
  return text;
}

int32_t CFormTextPart::GetSize(const http::UploadTextCodec& codec) {
  std::size_t size = codec.Encode(Format()).size();
  return size > static_cast<std::size_t>(kMaxPartSize) ? 0 : static_cast<int32_t>(size);
}

bool CFormTextPart::WriteTo(http::HttpPostRequest& request, const http::UploadTextCodec& codec) {
  return Send(request, codec.Encode(Format()));
}

std::u16string CFormFilePart::FormatHeader() const {
  std::u16string text = u"--";
  text += kFormBoundary;
  text += u"\r\nContent-Disposition: form-data; name=\"";
  text += name_;
  text += u"\"; filename=\"";
  text += path_;
  text += u"\"\r\nContent-Type: ";
  text += contentType_;
  text += u"\r\n\r\n";
  return text;
}

int32_t CFormFilePart::GetSize(const http::UploadTextCodec& codec) {
  if (!file_.IsOpen()) {
    auto opened = system::FileReader::Open(system::Utf16ToUtf8(path_));
    if (!opened) return 0;
    file_ = std::move(opened.value);
    auto size = file_.Size();
    if (!size) {
      file_.Close();
      return 0;
    }
    fileSize_ = size.value;
  }
  int64_t total = static_cast<int64_t>(codec.Encode(FormatHeader()).size()) +
                  static_cast<int64_t>(kLineEnd.size());
  // A part that the 32-bit declared length cannot count is refused.
  if (fileSize_ > static_cast<uint64_t>(kMaxPartSize - total)) return 0;
  return static_cast<int32_t>(total + static_cast<int64_t>(fileSize_));
}

bool CFormFilePart::WriteTo(http::HttpPostRequest& request, const http::UploadTextCodec& codec) {
  if (!file_.IsOpen()) return false;
  if (!Send(request, codec.Encode(FormatHeader()))) return false;
  const http::BodyFill fill = [this](std::span<std::byte> into) { return file_.Read(into); };
  if (!request.WriteFrom(fileSize_, fill)) return false;
  return Send(request, codec.Encode(kLineEnd));
}

}  // namespace varn
