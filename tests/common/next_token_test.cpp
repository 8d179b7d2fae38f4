#include "common/next_token.h"

#include <gtest/gtest.h>

namespace varn {
namespace {

TEST(NextToken, SkipsRunsOfDelimitersAndConsumesTheEndingOne) {
  std::u16string_view text = u"::ab:/c";
  std::size_t position = 0;
  EXPECT_EQ(NextToken(text, u":/", position), u"ab");
  EXPECT_EQ(position, 5u);
  EXPECT_EQ(NextToken(text, u":/", position), u"c");
  EXPECT_EQ(position, 8u);
  EXPECT_EQ(NextToken(text, u":/", position), std::nullopt);
  EXPECT_EQ(position, kNoTokenPosition);
  // Once exhausted it stays exhausted.
  EXPECT_EQ(NextToken(text, u":/", position), std::nullopt);
}

TEST(NextToken, OnlyDelimitersLeftGivesNoToken) {
  std::size_t position = 1;
  EXPECT_EQ(NextToken(u"a///", u"/", position), std::nullopt);
  EXPECT_EQ(position, kNoTokenPosition);
}

TEST(NextToken, EmptyDelimiterSetTakesTheWholeRest) {
  std::size_t position = 2;
  EXPECT_EQ(NextToken(u"ab/c?x=1", u"", position), u"/c?x=1");
  EXPECT_EQ(NextToken(u"ab/c?x=1", u"", position), std::nullopt);
}

}  // namespace
}  // namespace varn
