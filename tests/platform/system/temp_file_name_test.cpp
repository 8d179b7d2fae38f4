#include "platform/system/temp_file_name.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "tests/platform/system/scratch_directory.h"

namespace varn::system {
namespace {

using testing::ScratchDirectory;

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(TempFileName, TwoCallsGiveTwoPlaceholders) {
  ScratchDirectory dir;
  const auto first = GetTempFileName(dir.Path(), "img");
  const auto second = GetTempFileName(dir.Path() + "/", "img");
  ASSERT_TRUE(first) << FileErrorName(first.error);
  ASSERT_TRUE(second) << FileErrorName(second.error);
  EXPECT_NE(first.value, second.value);

  const std::regex pattern("img[1-9A-F][0-9A-F]{0,3}\\.tmp");
  for (const std::string& path : {first.value, second.value}) {
    EXPECT_EQ(path.substr(0, dir.Path().size() + 1), dir.Path() + "/");
    EXPECT_TRUE(std::regex_match(BaseName(path), pattern)) << path;
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0) << path;
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
  }
}

TEST(TempFileName, NumberIsUppercaseHexWithoutLeadingZeros) {
  ScratchDirectory dir;
  EXPECT_EQ(BaseName(GetTempFileName(dir.Path(), "img", 0x00AB).value), "imgAB.tmp");
  EXPECT_EQ(BaseName(GetTempFileName(dir.Path(), "img", 0xBEEF).value), "imgBEEF.tmp");
  // Zero is never a number.
  EXPECT_EQ(BaseName(GetTempFileName(dir.Path(), "img", 0).value), "img1.tmp");
}

TEST(TempFileName, SkipsTakenNamesAndLeavesThemAlone) {
  ScratchDirectory dir;
  std::ofstream(dir / "img1A.tmp") << "someone else's";
  std::ofstream(dir / "img1B.tmp") << "taken too";
  const auto result = GetTempFileName(dir.Path(), "img", 0x1A);
  ASSERT_TRUE(result);
  EXPECT_EQ(BaseName(result.value), "img1C.tmp");
  EXPECT_EQ(Contents(dir / "img1A.tmp"), "someone else's");
  EXPECT_EQ(Contents(dir / "img1B.tmp"), "taken too");
}

TEST(TempFileName, WrapsPastFFFFToOne) {
  ScratchDirectory dir;
  { std::ofstream touch(dir / "imgFFFF.tmp"); }
  EXPECT_EQ(BaseName(GetTempFileName(dir.Path(), "img", 0xFFFF).value), "img1.tmp");
}

TEST(TempFileName, PlantedLinkIsSkippedNotFollowed) {
  ScratchDirectory dir;
  const std::string target = dir / "victim";
  ASSERT_EQ(symlink(target.c_str(), (dir / "img5.tmp").c_str()), 0);
  EXPECT_EQ(BaseName(GetTempFileName(dir.Path(), "img", 5).value), "img6.tmp");
  EXPECT_NE(access(target.c_str(), F_OK), 0);
}

TEST(TempFileName, PrefixKeepsThreeCharacters) {
  ScratchDirectory dir;
  EXPECT_EQ(BaseName(GetTempFileName(dir.Path(), "image", 7).value), "ima7.tmp");
  EXPECT_EQ(BaseName(GetTempFileName(dir.Path(), "", 7).value), "7.tmp");
  EXPECT_EQ(BaseName(GetTempFileName(dir.Path(), "\u65e5\u672c\u8a9e\u6587", 7).value),
            "\u65e5\u672c\u8a9e7.tmp");
}

TEST(TempFileName, FailuresAreReported) {
  ScratchDirectory dir;
  EXPECT_EQ(GetTempFileName(dir / "missing", "img").error, FileError::NotFound);
  EXPECT_EQ(GetTempFileName(dir.Path(), "a/b").error, FileError::InvalidArgument);
  EXPECT_EQ(GetTempFileName("", "img").error, FileError::InvalidArgument);
  EXPECT_EQ(GetTempFileName("/" + std::string(250, 'd'), "img").error, FileError::PathTooLong);
}

}  // namespace
}  // namespace varn::system
