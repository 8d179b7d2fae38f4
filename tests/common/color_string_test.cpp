#include "common/color_string.h"

#include <gtest/gtest.h>

namespace varn {
namespace {

TEST(ColorString, FormatsLowercaseRgbWithoutAlpha) {
  EXPECT_EQ(FormatColorString(0xFF12AB9C), u"#12ab9c");
  EXPECT_EQ(FormatColorString(0x0012AB9C), u"#12ab9c");
  EXPECT_EQ(FormatColorString(0x80FFFFFF), u"#ffffff");
  EXPECT_EQ(FormatColorString(0), u"#000000");
  EXPECT_EQ(FormatColorString(0xFFFEDCBA), u"#fedcba");
}

TEST(ColorString, ParsesEitherCaseAsOpaque) {
  uint32_t argb = 0;
  ASSERT_EQ(ParseColorString(u"#12AB9C", &argb), S_OK);
  EXPECT_EQ(argb, 0xFF12AB9Cu);
  ASSERT_EQ(ParseColorString(u"#12ab9c", &argb), S_OK);
  EXPECT_EQ(argb, 0xFF12AB9Cu);
  ASSERT_EQ(ParseColorString(u"#ffffff", &argb), S_OK);
  EXPECT_EQ(argb, 0xFFFFFFFFu);
  ASSERT_EQ(ParseColorString(u"#000000", &argb), S_OK);
  EXPECT_EQ(argb, 0xFF000000u);
}

TEST(ColorString, FirstCharacterAndTailAreNotExamined) {
  uint32_t argb = 0;
  ASSERT_EQ(ParseColorString(u"x000000", &argb), S_OK);
  EXPECT_EQ(argb, 0xFF000000u);
  ASSERT_EQ(ParseColorString(u"\u65e5a1b2c3", &argb), S_OK);
  EXPECT_EQ(argb, 0xFFA1B2C3u);
  ASSERT_EQ(ParseColorString(u"#123456789 and more", &argb), S_OK);
  EXPECT_EQ(argb, 0xFF123456u);
}

TEST(ColorString, NonHexCharactersCountAsZero) {
  uint32_t argb = 0;
  ASSERT_EQ(ParseColorString(u"#12zz56", &argb), S_OK);
  EXPECT_EQ(argb, 0xFF120056u);
  ASSERT_EQ(ParseColorString(u"#g1 -\u00ff9", &argb), S_OK);
  EXPECT_EQ(argb, 0xFF010009u);
  // A 0 character inside the text is just another non-digit.
  ASSERT_EQ(ParseColorString(std::u16string_view(u"#ab\0def", 7), &argb), S_OK);
  EXPECT_EQ(argb, 0xFFAB0DEFu);
}

TEST(ColorString, ShortTextIsRejectedAndChangesNothing) {
  uint32_t argb = 0x12345678;
  EXPECT_EQ(ParseColorString(u"#fff", &argb), E_INVALIDARG);
  EXPECT_EQ(ParseColorString(u"", &argb), E_INVALIDARG);
  EXPECT_EQ(ParseColorString(u"#ffffF", &argb), E_INVALIDARG);
  EXPECT_EQ(argb, 0x12345678u);
  EXPECT_EQ(ParseColorString(u"#ffffff", nullptr), E_POINTER);
}

TEST(ColorString, FormatThenParseKeepsTheColour) {
  for (const uint32_t rgb : {0x000000u, 0x0000FFu, 0x00FF00u, 0xFF0000u, 0x7F80A9u, 0xFFFFFFu}) {
    uint32_t argb = 0;
    ASSERT_EQ(ParseColorString(FormatColorString(0x40000000u | rgb), &argb), S_OK);
    EXPECT_EQ(argb, 0xFF000000u | rgb);
  }
}

}  // namespace
}  // namespace varn
