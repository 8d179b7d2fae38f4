#include "platform/system/check.h"

#include <gtest/gtest.h>

namespace varn::system {
namespace {

int Evaluated(int& count) { return ++count; }

TEST(CheckDeathTest, AlwaysOnCheckStopsNamingTheCondition) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const int size = 3;
  EXPECT_DEATH(VARN_CHECK(size > 5), "invariant broken at .*check_test.cpp:[0-9]+: size > 5");
}

TEST(Check, HoldingConditionsPassAndAreEvaluatedOnce) {
  int count = 0;
  VARN_CHECK(Evaluated(count) == 1);
  EXPECT_EQ(count, 1);
}

#ifdef NDEBUG
TEST(Check, DebugCheckCostsNothingInRelease) {
  int count = 0;
  VARN_DCHECK(Evaluated(count) == 5);
  EXPECT_EQ(count, 0);
}
#else
TEST(CheckDeathTest, DebugCheckStopsInDebugBuilds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(VARN_DCHECK(1 + 1 == 3), "1 \\+ 1 == 3");
}
#endif

}  // namespace
}  // namespace varn::system
