#include "common/imaging_startup.h"

#include <gtest/gtest.h>

#include <vector>

namespace varn {
namespace {

using imaging::ImagingToken;
using imaging::Status;

// What the fake imaging start-up was asked to do, in order: positive tokens for
// starts, negated tokens for shutdowns.
std::vector<long> calls;
ImagingToken nextToken = 1;
bool startFails = false;

Status FakeStart(ImagingToken* token) {
  if (startFails) {
    calls.push_back(0);
    return Status::GenericError;
  }
  *token = nextToken++;
  calls.push_back(static_cast<long>(*token));
  return Status::Ok;
}

void FakeShutdown(ImagingToken token) { calls.push_back(-static_cast<long>(token)); }

class ImagingStartupCountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    nextToken = 1;
    startFails = false;
  }
  ImagingStartupCount count_{&FakeStart, &FakeShutdown};
};

TEST_F(ImagingStartupCountTest, FirstAcquireStartsLastReleaseShutsDown) {
  EXPECT_EQ(count_.Acquire(), Status::Ok);
  EXPECT_EQ(count_.Acquire(), Status::Ok);
  EXPECT_EQ(count_.Acquire(), Status::Ok);
  EXPECT_EQ(count_.Count(), 3);
  count_.Release();
  count_.Release();
  EXPECT_EQ(calls, (std::vector<long>{1}));
  count_.Release();
  EXPECT_EQ(calls, (std::vector<long>{1, -1}));
  EXPECT_EQ(count_.Count(), 0);
}

TEST_F(ImagingStartupCountTest, StartsAgainWithANewTokenAfterShutdown) {
  count_.Acquire();
  count_.Release();
  count_.Acquire();
  count_.Release();
  EXPECT_EQ(calls, (std::vector<long>{1, -1, 2, -2}));
}

TEST_F(ImagingStartupCountTest, ReleaseWithoutAcquireDoesNothing) {
  count_.Release();
  EXPECT_EQ(count_.Count(), 0);
  count_.Acquire();
  count_.Release();
  count_.Release();
  count_.Acquire();
  EXPECT_EQ(count_.Count(), 1);
  EXPECT_EQ(calls, (std::vector<long>{1, -1, 2}));
}

TEST_F(ImagingStartupCountTest, FailedStartIsRetriedAndNeverShutDown) {
  startFails = true;
  EXPECT_EQ(count_.Acquire(), Status::GenericError);
  EXPECT_EQ(count_.Count(), 1);
  startFails = false;
  EXPECT_EQ(count_.Acquire(), Status::Ok);
  EXPECT_EQ(count_.Count(), 2);
  count_.Release();
  count_.Release();
  EXPECT_EQ(calls, (std::vector<long>{0, 1, -1}));

  startFails = true;
  count_.Acquire();
  count_.Release();
  EXPECT_EQ(calls, (std::vector<long>{0, 1, -1, 0}));
}

TEST(ModuleImagingStartup, BringsTheGuiRuntimeUpAndDown) {
  ASSERT_EQ(ImagingUserCount(), 0);
  ASSERT_FALSE(imaging::IsImagingGuiAvailable());
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(AcquireImaging(), Status::Ok);
    {
      ImagingScope scope;
      EXPECT_EQ(scope.GetStatus(), Status::Ok);
      EXPECT_EQ(ImagingUserCount(), 2);
    }
    EXPECT_TRUE(imaging::IsImagingGuiAvailable()) << "round " << round;
    ReleaseImaging();
    EXPECT_FALSE(imaging::IsImagingGuiAvailable()) << "round " << round;
  }
  ReleaseImaging();
  EXPECT_EQ(ImagingUserCount(), 0);
}

}  // namespace
}  // namespace varn
