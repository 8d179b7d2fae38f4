// The text encoding of the upload: the character set of the calling thread's
// locale, or UTF-8 when the locale names none or names plain ASCII. Header
// and field text is sent in it and the reply is read back from it.
#pragma once

#include <string>
#include <string_view>

namespace varn::http {

class UploadTextCodec {
 public:
  // The codec of the calling thread's current locale.
  static UploadTextCodec ForCurrentLocale();
  // The codec of a named character set ("UTF-8", "EUC-JP", "ISO-8859-1"...);
  // UTF-8 when the name is empty, ASCII or unknown to the system.
  static UploadTextCodec ForCharset(std::string_view charset);

  UploadTextCodec(UploadTextCodec&&) noexcept;
  UploadTextCodec& operator=(UploadTextCodec&&) noexcept;
  ~UploadTextCodec();

  const std::string& Charset() const { return charset_; }

  // Characters the character set cannot hold become '?', as an unpaired
  // surrogate does.
  std::string Encode(std::u16string_view text) const;
  // Bytes that are no character of the set become U+FFFD; decoding a whole
  // text at once keeps a character that spans two network blocks intact.
  std::u16string Decode(std::string_view bytes) const;

 private:
  explicit UploadTextCodec(std::string charset);

  std::string charset_;
  bool utf8_ = true;
};

}  // namespace varn::http
