#include "host/site/safe_file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace varn::host {
namespace {

TEST(SafeFileName, KeepsTheLastComponentMadeSafe) {
  EXPECT_EQ(SafeFileName("/tmp/varn-a1b2/img12.png"), "img12.png");
  EXPECT_EQ(SafeFileName("C:\\Users\\m\\AppData\\Local\\Temp\\img3_t.png"), "img3_t.png");
  EXPECT_EQ(SafeFileName("/tmp/../.."), "file");
  EXPECT_EQ(SafeFileName("/tmp/.hidden"), "hidden");
  EXPECT_EQ(SafeFileName("a b[(|)]\n.png"), "a_b______.png");
  EXPECT_EQ(SafeFileName(""), "file");
  EXPECT_EQ(SafeFileName("dir/"), "file");

  std::string longName = SafeFileName(std::string(300, 'x') + ".jpeg");
  EXPECT_EQ(longName.size(), kMaxSafeFileNameLength);
  EXPECT_EQ(longName.substr(longName.size() - 5), ".jpeg");
  EXPECT_TRUE(IsSafeFileName(longName));

  EXPECT_TRUE(IsSafeFileName("img0.png"));
  EXPECT_FALSE(IsSafeFileName(".."));
  EXPECT_FALSE(IsSafeFileName("a/b"));
  EXPECT_FALSE(IsSafeFileName(""));
}

}  // namespace
}  // namespace varn::host
