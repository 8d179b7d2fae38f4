#include "platform/system/temp_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/system/utf_convert.h"
#include "tests/platform/system/scratch_directory.h"
#include "tests/support/private_directory_swap.h"

namespace varn::system {
namespace {

using testing::ScratchDirectory;

std::string PrivateName(uid_t uid) { return "varnpostingtool-" + std::to_string(uid); }

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_mode;
}

TEST(PrivateDirectory, CreatedOwnerOnlyWithTrailingSlash) {
  ScratchDirectory base;
  const auto result = PreparePrivateDirectory(base.Path(), geteuid());
  ASSERT_TRUE(result) << FileErrorName(result.error);
  EXPECT_EQ(result.value.Path(), base / PrivateName(geteuid()) + "/");
  const mode_t mode = ModeOf(result.value.Path());
  EXPECT_TRUE(S_ISDIR(mode));
  EXPECT_EQ(mode & 07777, 0700u);

  const auto again = PreparePrivateDirectory(base.Path() + "/", geteuid());
  ASSERT_TRUE(again);
  EXPECT_EQ(again.value.Path(), result.value.Path());
}

TEST(PrivateDirectory, OwnerAccessRestoredUnderRestrictiveUmask) {
  ScratchDirectory base;
  const mode_t previous = umask(0777);
  const auto result = PreparePrivateDirectory(base.Path(), geteuid());
  umask(previous);
  ASSERT_TRUE(result) << FileErrorName(result.error);
  EXPECT_EQ(ModeOf(result.value.Path()) & 07777, 0700u);
}

TEST(PrivateDirectory, RefusesPlantedLinks) {
  ScratchDirectory base;
  const std::string place = base / PrivateName(geteuid());
  // A link to a directory that would pass every other check.
  const std::string decoy = base / "decoy";
  ASSERT_EQ(mkdir(decoy.c_str(), 0700), 0);
  ASSERT_EQ(symlink(decoy.c_str(), place.c_str()), 0);
  EXPECT_EQ(PreparePrivateDirectory(base.Path(), geteuid()).error, FileError::IsLink);

  // A dangling link must not make us create its target.
  ASSERT_EQ(unlink(place.c_str()), 0);
  const std::string target = base / "target";
  ASSERT_EQ(symlink(target.c_str(), place.c_str()), 0);
  EXPECT_EQ(PreparePrivateDirectory(base.Path(), geteuid()).error, FileError::IsLink);
  EXPECT_NE(access(target.c_str(), F_OK), 0);
}

TEST(PrivateDirectory, RefusesDirectoryOthersCanReach) {
  ScratchDirectory base;
  const std::string place = base / PrivateName(geteuid());
  ASSERT_EQ(mkdir(place.c_str(), 0700), 0);
  for (const mode_t mode : {0777, 0750, 0701}) {
    ASSERT_EQ(chmod(place.c_str(), mode), 0);
    EXPECT_EQ(PreparePrivateDirectory(base.Path(), geteuid()).error, FileError::OpenToOthers)
        << std::oct << mode;
  }
  // Refused, not repaired: the mode stays what it was.
  EXPECT_EQ(ModeOf(place) & 07777, 0701u);
}

TEST(PrivateDirectory, RefusesDirectoryOfAnotherUser) {
  ScratchDirectory base;
  // The directory made for the other uid is owned by us, so it belongs to
  // someone other than the uid asked for.
  const uid_t other = geteuid() + 1;
  EXPECT_EQ(PreparePrivateDirectory(base.Path(), other).error, FileError::WrongOwner);
}

TEST(PrivateDirectory, RefusesFileInItsPlace) {
  ScratchDirectory base;
  std::ofstream(base / PrivateName(geteuid())) << "not a directory";
  EXPECT_EQ(PreparePrivateDirectory(base.Path(), geteuid()).error, FileError::NotDirectory);
}

TEST(PrivateDirectory, RefusesBadBases) {
  EXPECT_EQ(PreparePrivateDirectory("", geteuid()).error, FileError::InvalidArgument);
  EXPECT_EQ(PreparePrivateDirectory("relative/dir", geteuid()).error, FileError::InvalidArgument);
  EXPECT_EQ(PreparePrivateDirectory("/no/such/base/here", geteuid()).error, FileError::NotFound);
  // Checked before touching the file system: the path would not fit the
  // callers' buffers.
  EXPECT_EQ(PreparePrivateDirectory("/" + std::string(250, 'a'), geteuid()).error,
            FileError::PathTooLong);
}

TEST(PrivateDirectory, LimitCountsUtf16CharactersNotBytes) {
  ScratchDirectory base;
  // Three-byte characters, one UTF-16 unit each, in folders short enough for
  // the file system: the path fits in characters though far over in bytes.
  std::size_t remaining =
      kMaxPath - 1 - (base.Path().size() + 1 + PrivateName(geteuid()).size() + 1);
  std::string nested = base.Path();
  while (remaining > 0) {
    std::size_t characters = std::min<std::size_t>(80, remaining - 1);
    // Never leave a single unit over: a folder costs its "/" too.
    if (remaining - characters - 1 == 1) --characters;
    ASSERT_GT(characters, 0u);
    nested += "/";
    for (std::size_t i = 0; i < characters; ++i) nested += "\u65e5";
    ASSERT_EQ(mkdir(nested.c_str(), 0700), 0) << nested;
    remaining -= characters + 1;
  }
  const auto fits = PreparePrivateDirectory(nested, geteuid());
  ASSERT_TRUE(fits) << FileErrorName(fits.error);
  EXPECT_EQ(Utf16Length(fits.value.Path()), kMaxPath - 1);
  EXPECT_GT(fits.value.Path().size(), kMaxPath);
  EXPECT_EQ(PreparePrivateDirectory(nested + "\u65e5", geteuid()).error, FileError::PathTooLong);
}

TEST(TempPath, SameDirectoryBelowTheBaseForEveryCaller) {
  const auto first = OpenTempDirectory();
  ASSERT_TRUE(first) << FileErrorName(first.error);
  EXPECT_EQ(first.value.Path(), TempDirectoryBase() + "/" + PrivateName(geteuid()) + "/");
  EXPECT_EQ(OpenTempDirectory().value.Path(), first.value.Path());
  EXPECT_EQ(ModeOf(first.value.Path()) & 07777, 0700u);
}

TEST(TempPath, AReplacedDirectoryIsRefusedOnTheNextUse) {
  ASSERT_TRUE(OpenTempDirectory());
  const ScratchDirectory elsewhere;
  const FileError errors[] = {FileError::IsLink, FileError::OpenToOthers, FileError::NotDirectory};
  for (std::size_t i = 0; i < std::size(test::kReplacements); ++i) {
    const test::PrivateDirectorySwap swap(test::kReplacements[i].replacement, elsewhere.Path());
    EXPECT_EQ(OpenTempDirectory().error, errors[i]) << test::kReplacements[i].name;
  }
  EXPECT_TRUE(OpenTempDirectory());
}

// Files go into the directory that passed the check even when another took
// its name since, and are removed from there.
TEST(TempPath, FilesAreMadeAndRemovedThroughTheCheckedDirectory) {
  const ScratchDirectory base;
  const auto checked = PreparePrivateDirectory(base.Path(), geteuid());
  ASSERT_TRUE(checked);
  const std::string name = base / PrivateName(geteuid());
  ASSERT_EQ(rename(name.c_str(), (name + ".moved").c_str()), 0);
  ASSERT_EQ(mkdir(name.c_str(), 0700), 0);

  EXPECT_EQ(checked.value.CreateFile("a.tmp"), FileError::None);
  EXPECT_EQ(checked.value.CreateFile("a.tmp"), FileError::AlreadyExists);
  const auto written = checked.value.CreateFileForWriting("b.png");
  ASSERT_TRUE(written);
  EXPECT_EQ(::write(written.value.Get(), "picture", 7), 7);
  EXPECT_EQ(ModeOf(name + ".moved/a.tmp") & 07777, 0600u);
  EXPECT_TRUE(S_ISREG(ModeOf(name + ".moved/b.png")));
  EXPECT_TRUE(std::filesystem::is_empty(name));

  std::ofstream(name + "/a.tmp") << "replacement's";
  EXPECT_EQ(checked.value.RemoveFile("a.tmp"), FileError::None);
  EXPECT_EQ(checked.value.RemoveFile("a.tmp"), FileError::None);
  EXPECT_FALSE(std::filesystem::exists(name + ".moved/a.tmp"));
  EXPECT_TRUE(std::filesystem::exists(name + "/a.tmp"));
  EXPECT_EQ(checked.value.CreateFile("../x"), FileError::InvalidArgument);
  EXPECT_EQ(checked.value.RemoveFile("../x"), FileError::InvalidArgument);
}

}  // namespace
}  // namespace varn::system
