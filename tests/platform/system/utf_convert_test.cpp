#include "platform/system/utf_convert.h"

#include <gtest/gtest.h>

#include <string>

namespace varn::system {
namespace {

constexpr char16_t kBad = 0xFFFD;

TEST(UtfConvert, ValidTextRoundTrips) {
  const std::string utf8 = "abc \u00e9\u65e5\u672c \U0001F600 end";
  const std::u16string utf16 = u"abc \u00e9\u65e5\u672c \U0001F600 end";
  EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
  EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
  EXPECT_EQ(Utf16Length(utf8), utf16.size());
  // The largest code point and an embedded 0 survive too.
  const std::string edge("\xF4\x8F\xBF\xBF\0x", 6);
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(edge)), edge);
  EXPECT_EQ(Utf8ToUtf16(edge).size(), 4u);
}

struct Malformed {
  const char* name;
  std::string utf8;
  std::u16string expected;
};

TEST(UtfConvert, MalformedUtf8BecomesReplacementCharacters) {
  const Malformed cases[] = {
      {"lone continuation", "a\x80z", {u'a', kBad, u'z'}},
      {"truncated before ASCII", "\xE6\x97z", {kBad, u'z'}},
      {"truncated at the end", "a\xF0\x9F\x98", {u'a', kBad}},
      {"overlong slash", "\xC0\xAF", {kBad, kBad}},
      {"overlong three bytes", "\xE0\x80\xAF", {kBad, kBad, kBad}},
      {"encoded surrogate", "\xED\xA0\x80", {kBad, kBad, kBad}},
      {"above U+10FFFF", "\xF4\x90\x80\x80", {kBad, kBad, kBad, kBad}},
      {"invalid lead bytes", "\xFE\xFF", {kBad, kBad}},
      {"new lead interrupts", "\xE6\xE6\x97\xA5", {kBad, u'\u65e5'}},
  };
  for (const Malformed& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.expected) << c.name;
    EXPECT_EQ(Utf16Length(c.utf8), c.expected.size()) << c.name;
  }
}

TEST(UtfConvert, UnpairedSurrogatesBecomeReplacementCharacters) {
  const std::string bad = "\xEF\xBF\xBD";
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800)}), "a" + bad);
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00), u'b'}), bad + "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)}),
            bad + "\U0001F600");
}

}  // namespace
}  // namespace varn::system
