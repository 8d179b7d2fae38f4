#include "platform/http/upload_text_codec.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdint>
#include <utility>

#include "platform/system/utf_convert.h"

namespace varn::http {
namespace {

constexpr char kUtf16Le[] = "UTF-16LE";

bool NamesAsciiOrNothing(std::string_view charset) {
  return charset.empty() || charset == "ANSI_X3.4-1968" || charset == "ASCII" ||
         charset == "US-ASCII" || charset == "646";
}

bool NamesUtf8(std::string_view charset) {
  return charset == "UTF-8" || charset == "utf-8" || charset == "UTF8" || charset == "utf8";
}

// An iconv descriptor closed on every path.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Runs iconv over input; on a byte sequence it cannot convert, appends the
// replacement and skips skipOnError(position) input bytes.
template <typename SkipFn>
std::string Convert(const Converter& converter, std::string_view input,
                    std::string_view replacement, SkipFn skipOnError) {
  std::string output;
  char block[4096];
  std::size_t position = 0;
  while (position < input.size()) {
    char* in = const_cast<char*>(input.data() + position);
    std::size_t inLeft = input.size() - position;
    char* out = block;
    std::size_t outLeft = sizeof block;
    std::size_t result = iconv(converter.Get(), &in, &inLeft, &out, &outLeft);
    int error = errno;
    output.append(block, static_cast<std::size_t>(out - block));
    position = input.size() - inLeft;
    if (result != static_cast<std::size_t>(-1) || error == E2BIG) continue;
    output += replacement;
    position = std::min(input.size(), position + skipOnError(position));
    iconv(converter.Get(), nullptr, nullptr, nullptr, nullptr);
  }
  char* out = block;
  std::size_t outLeft = sizeof block;
  iconv(converter.Get(), nullptr, nullptr, &out, &outLeft);
  output.append(block, static_cast<std::size_t>(out - block));
  return output;
}

}  // namespace

UploadTextCodec::UploadTextCodec(std::string charset) : charset_(std::move(charset)) {
  utf8_ = NamesUtf8(charset_);
}
UploadTextCodec::UploadTextCodec(UploadTextCodec&&) noexcept = default;
UploadTextCodec& UploadTextCodec::operator=(UploadTextCodec&&) noexcept = default;
UploadTextCodec::~UploadTextCodec() = default;

UploadTextCodec UploadTextCodec::ForCurrentLocale() {
  locale_t current = uselocale(static_cast<locale_t>(0));
  const char* name =
      current == LC_GLOBAL_LOCALE ? nl_langinfo(CODESET) : nl_langinfo_l(CODESET, current);
  return ForCharset(name ? name : "");
}

UploadTextCodec UploadTextCodec::ForCharset(std::string_view charset) {
  if (NamesAsciiOrNothing(charset) || NamesUtf8(charset)) return UploadTextCodec("UTF-8");
  std::string name(charset);
  Converter probe(name.c_str(), kUtf16Le);
  if (!probe.Valid()) return UploadTextCodec("UTF-8");
  return UploadTextCodec(std::move(name));
}

std::string UploadTextCodec::Encode(std::u16string_view text) const {
  if (utf8_) return system::Utf16ToUtf8(text);
  std::string units;
  units.reserve(text.size() * 2);
  for (char16_t unit : text) {
    units += static_cast<char>(unit & 0xFF);
    units += static_cast<char>(unit >> 8);
  }
  Converter converter(charset_.c_str(), kUtf16Le);
  if (!converter.Valid()) return system::Utf16ToUtf8(text);
  return Convert(converter, units, "?", [&](std::size_t position) -> std::size_t {
    std::size_t index = position / 2;
    bool pair = index + 1 < text.size() && text[index] >= 0xD800 && text[index] <= 0xDBFF &&
                text[index + 1] >= 0xDC00 && text[index + 1] <= 0xDFFF;
    return pair ? 4 : 2;
  });
}

std::u16string UploadTextCodec::Decode(std::string_view bytes) const {
  if (utf8_) return system::Utf8ToUtf16(bytes);
  Converter converter(kUtf16Le, charset_.c_str());
  if (!converter.Valid()) return system::Utf8ToUtf16(bytes);
  std::string units = Convert(converter, bytes, std::string_view("\xFD\xFF", 2),
                              [](std::size_t) -> std::size_t { return 1; });
  std::u16string text;
  text.reserve(units.size() / 2);
  for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<uint8_t>(units[i]) |
                                  (static_cast<uint8_t>(units[i + 1]) << 8));
  }
  return text;
}

}  // namespace varn::http
