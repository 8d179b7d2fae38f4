#include "platform/http/upload_text_codec.h"

#include <locale.h>

#include <gtest/gtest.h>

namespace varn::http {
namespace {

TEST(UploadTextCodec, NoCharsetOrAsciiMeansUtf8) {
  EXPECT_EQ(UploadTextCodec::ForCharset("").Charset(), "UTF-8");
  EXPECT_EQ(UploadTextCodec::ForCharset("ANSI_X3.4-1968").Charset(), "UTF-8");
  EXPECT_EQ(UploadTextCodec::ForCharset("no-such-charset").Charset(), "UTF-8");
  EXPECT_EQ(UploadTextCodec::ForCharset("EUC-JP").Charset(), "EUC-JP");
}

TEST(UploadTextCodec, TheThreadsCLocaleGivesUtf8) {
  locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  ASSERT_NE(cLocale, static_cast<locale_t>(0));
  locale_t before = uselocale(cLocale);
  UploadTextCodec codec = UploadTextCodec::ForCurrentLocale();
  uselocale(before);
  freelocale(cLocale);
  EXPECT_EQ(codec.Charset(), "UTF-8");
  EXPECT_EQ(codec.Encode(u"\u65E5"), "\xE6\x97\xA5");
}

TEST(UploadTextCodec, Utf8KeepsEveryCharacterAndMarksBrokenBytes) {
  UploadTextCodec codec = UploadTextCodec::ForCharset("UTF-8");
  std::u16string text = u"a\u00E9\u65E5\U0001F600";
  EXPECT_EQ(codec.Decode(codec.Encode(text)), text);
  EXPECT_EQ(codec.Decode("a\xFF"
                         "b"),
            u"a\uFFFDb");
}

TEST(UploadTextCodec, Latin1SendsOneByteAndQuestionMarksTheRest) {
  UploadTextCodec codec = UploadTextCodec::ForCharset("ISO-8859-1");
  EXPECT_EQ(codec.Encode(u"caf\u00E9"), "caf\xE9");
  EXPECT_EQ(codec.Encode(u"a\u65E5b\U0001F600c"), "a?b?c");
  // An unpaired surrogate is one unknown character.
  EXPECT_EQ(codec.Encode(std::u16string(u"x") + char16_t(0xD800) + u"y"), "x?y");
  EXPECT_EQ(codec.Decode("caf\xE9"), u"caf\u00E9");
}

TEST(UploadTextCodec, EucJpRoundTripsJapaneseAndReplacesBadBytes) {
  UploadTextCodec codec = UploadTextCodec::ForCharset("EUC-JP");
  std::string bytes = codec.Encode(u"\u65E5\u672C");
  EXPECT_EQ(bytes, "\xC6\xFC\xCB\xDC");
  EXPECT_EQ(codec.Decode(bytes), u"\u65E5\u672C");
  // A lead byte at the very end cannot finish a character.
  EXPECT_EQ(codec.Decode("a\xC6"), u"a\uFFFD");
}

}  // namespace
}  // namespace varn::http
