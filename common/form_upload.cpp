#include "common/form_upload.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

#include "common/upload_url.h"

namespace varn {
namespace {

constexpr int kStatusOk = 200;

std::u16string ClosingLine() {
  std::u16string text = u"--";
  text += kFormBoundary;
  text += u"--\r\n";
  return text;
}

std::vector<std::string> RequestHeaders(int64_t bodyLength) {
  std::u16string boundary(kFormBoundary);
  return {"Accept: */*",
          "Content-Type: multipart/form-data; boundary=" +
              std::string(boundary.begin(), boundary.end()),
          "Content-Length: " + std::to_string(bodyLength)};
}

// The reply bytes, read in blocks; none when it is longer than the limit or
// did not end cleanly (cut short, reset, stalled): part of a reply is no
// reply.
std::optional<std::string> ReadWholeReply(http::HttpPostRequest& request) {
  std::string bytes;
  std::array<std::byte, kUploadReplyBlockSize> block;
  while (std::size_t got = request.ReadReply(block)) {
    if (bytes.size() + got > kMaxUploadReplyBytes) return std::nullopt;
    bytes.append(reinterpret_cast<const char*>(block.data()), got);
  }
  if (!request.ReplyComplete()) return std::nullopt;
  return bytes;
}

}  // namespace

CFormUpload::~CFormUpload() {
  for (auto& part : parts_) part.reset();
}

void CFormUpload::AddTextField(std::u16string_view name, std::u16string_view value) {
  if (value.empty()) return;
  parts_.push_back(std::make_unique<CFormTextPart>(name, value));
}

void CFormUpload::AddFileField(std::u16string_view name, std::u16string_view path,
                               std::u16string_view contentType) {
  parts_.push_back(std::make_unique<CFormFilePart>(name, path, contentType));
}

bool CFormUpload::Send(http::HttpPostRequest& request, const http::UploadTextCodec& codec,
                       std::string_view closingLine) {
  for (auto& part : parts_) {
    if (!part->WriteTo(request, codec)) return false;
  }
  return request.Write(std::as_bytes(std::span(closingLine.data(), closingLine.size())));
}

bool CFormUpload::Post(std::u16string_view url, std::u16string& reply,
                       const std::u16string* cookie) {
  const http::UploadTextCodec codec = http::UploadTextCodec::ForCurrentLocale();
  int64_t bodyLength = 0;
  for (auto& part : parts_) {
    int32_t size = part->GetSize(codec);
    if (size <= 0) return false;
    bodyLength += size;
  }
  const std::string closingLine = codec.Encode(ClosingLine());
  bodyLength += static_cast<int64_t>(closingLine.size());
  // The declared length is a 32-bit count.
  if (bodyLength > std::numeric_limits<int32_t>::max()) return false;

  auto target = ParseUploadUrl(url, codec);
  if (!target) return false;
  std::optional<std::string> cookieBytes;
  if (cookie) cookieBytes = codec.Encode(*cookie);

  http::HttpPostRequest request;
  if (!request.Open(*target, std::string(kUploadAgent), RequestHeaders(bodyLength),
                    cookieBytes ? &*cookieBytes : nullptr, static_cast<uint64_t>(bodyLength))) {
    return false;
  }
  if (!Send(request, codec, closingLine)) return false;
  if (request.FinishAndReadStatus() != kStatusOk) return false;
  auto bytes = ReadWholeReply(request);
  if (!bytes) return false;
  reply += codec.Decode(*bytes);
  return true;
}

}  // namespace varn
