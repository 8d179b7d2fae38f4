#include "common/reply_records.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace varn {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(SplitReplyRecords, EmptyLinesVanishAndFieldsSplitOnEveryBracketAndBar) {
  auto records = SplitReplyRecords(u"\n\n[(1|a|b|c)]\n");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_THAT(records[0], ElementsAre(u"1", u"a", u"b", u"c"));

  records = SplitReplyRecords(u"[(7|a.jpg|c:\\x\\a.jpg|1024)]");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_THAT(records[0], ElementsAre(u"7", u"a.jpg", u"c:\\x\\a.jpg", u"1024"));
}

TEST(SplitReplyRecords, CarriageReturnStaysInTheLastField) {
  auto records = SplitReplyRecords(u"[(a|b|c|d|e)]\r\n[(f|g)]\r\n");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_THAT(records[0], ElementsAre(u"a", u"b", u"c", u"d", u"e", u"\r"));
  EXPECT_THAT(records[1], ElementsAre(u"f", u"g", u"\r"));
  // Without the closing brackets the return clings to the field itself.
  EXPECT_THAT(SplitReplyRecords(u"a|b|c|d|e\r\n")[0], ElementsAre(u"a", u"b", u"c", u"d", u"e\r"));
}

TEST(TakeReplyRecords, AShortLineEndsTheWholeReply) {
  EXPECT_THAT(TakeReplyRecords(u"a|b\nc|d|e|f\n", 4), IsEmpty());
  EXPECT_THAT(TakeReplyRecords(u"[(a|b|c|d)]\n[(1|2|3|4|5)]\n", 5), IsEmpty());

  auto records = TakeReplyRecords(u"[(1|2|3|4|5)]\n[(a|b|c|d|e|f)]\n[(x)]\n[(6|7|8|9|0)]", 5);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_THAT(records[0], ElementsAre(u"1", u"2", u"3", u"4", u"5"));
  // Fields beyond the count are dropped.
  EXPECT_THAT(records[1], ElementsAre(u"a", u"b", u"c", u"d", u"e"));
}

TEST(TakeReplyRecords, FiveFieldLinesEndingInCrLfKeepTheReturnInTheFifth) {
  auto records = TakeReplyRecords(u"a|b|c|d|e\r\nf|g|h|i|j\r\n", 5);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0][4], u"e\r");
  EXPECT_EQ(records[1][4], u"j\r");
}

TEST(TakeReplyRecords, EmptyReplyGivesNothing) {
  EXPECT_THAT(TakeReplyRecords(u"", 5), IsEmpty());
  EXPECT_THAT(TakeReplyRecords(u"\n\r\n", 1), ElementsAre(ElementsAre(u"\r")));
}

}  // namespace
}  // namespace varn
