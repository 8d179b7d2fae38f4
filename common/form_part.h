// The parts of a multipart upload body. A part knows its exact size on the
// wire before anything is sent (the declared length is their sum) and writes
// itself to an open request; file contents are streamed, never held whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/http/http_post.h"
#include "platform/http/upload_text_codec.h"
#include "platform/system/file_reader.h"

namespace varn {

// Every request uses this boundary; nothing checks that a value or a file
// does not contain it.
inline constexpr std::u16string_view kFormBoundary = u"---------------------------7d5b63620a12";

class CFormPart {
 public:
  virtual ~CFormPart() = default;
  // Bytes of this part as sent; 0 means it cannot be sent.
  virtual int32_t GetSize(const http::UploadTextCodec& codec) = 0;
  // True when every byte of the part went out.
  virtual bool WriteTo(http::HttpPostRequest& request, const http::UploadTextCodec& codec) = 0;
};

class CFormTextPart final : public CFormPart {
 public:
  CFormTextPart(std::u16string_view name, std::u16string_view value) : name_(name), value_(value) {}

  int32_t GetSize(const http::UploadTextCodec& codec) override;
  bool WriteTo(http::HttpPostRequest& request, const http::UploadTextCodec& codec) override;

  // The part's text before conversion.
  std::u16string Format() const;

 private:
  std::u16string name_;
  std::u16string value_;
};

class CFormFilePart final : public CFormPart {
 public:
  CFormFilePart(std::u16string_view name, std::u16string_view path, std::u16string_view contentType)
      : name_(name), path_(path), contentType_(contentType) {}

  // Opens the file on the first call and keeps it open until the part goes,
  // so the bytes sent are those of the file that was sized.
  int32_t GetSize(const http::UploadTextCodec& codec) override;
  // Sends exactly the size that GetSize counted, each block read straight into
  // the request's send buffer: a file that shrank or a read error fails the
  // part instead of leaving the body short.
  bool WriteTo(http::HttpPostRequest& request, const http::UploadTextCodec& codec) override;

  // The part's header text before conversion; the whole path is the file name.
  std::u16string FormatHeader() const;

 private:
  std::u16string name_;
  std::u16string path_;
  std::u16string contentType_;
  system::FileReader file_;
  uint64_t fileSize_ = 0;
};

}  // namespace varn
