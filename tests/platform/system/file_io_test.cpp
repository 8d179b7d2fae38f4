#include "platform/system/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/platform/system/scratch_directory.h"

namespace varn::system {
namespace {

using testing::Pattern;
using testing::ScratchDirectory;

std::size_t EntriesIn(const std::string& dir) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++count;
  return count;
}

TEST(WholeFile, WriteThenReadRoundTrip) {
  ScratchDirectory dir;
  const std::string path = dir / "data.bin";
  const auto bytes = Pattern(70000);  // zeros included, more than one grow step
  ASSERT_EQ(WriteWholeFile(path, bytes), FileError::None);
  const auto read = ReadWholeFile(path);
  ASSERT_TRUE(read) << FileErrorName(read.error);
  EXPECT_EQ(read.value, bytes);
  EXPECT_EQ(GetFileSize(path).value, 70000u);

  ASSERT_EQ(WriteWholeFile(path, {}), FileError::None);
  const auto empty = ReadWholeFile(path);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty.value.empty());
}

TEST(WholeFile, ReplacingKeepsModeAndLeavesNoStrayFiles) {
  ScratchDirectory dir;
  const std::string path = dir / "private.tbp";
  std::ofstream(path) << "old contents that are longer";
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  ASSERT_EQ(WriteWholeFile(path, Pattern(10)), FileError::None);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadWholeFile(path).value, Pattern(10));
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(WholeFile, FailedWriteLeavesTargetAndNoPartFile) {
  ScratchDirectory dir;
  const std::string occupied = dir / "occupied";
  ASSERT_EQ(mkdir(occupied.c_str(), 0700), 0);
  std::ofstream(occupied + "/keep") << "inside";
  EXPECT_NE(WriteWholeFile(occupied, Pattern(5)), FileError::None);
  EXPECT_TRUE(std::filesystem::is_directory(occupied));
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);

  EXPECT_EQ(WriteWholeFile(dir / "missing/file", Pattern(5)), FileError::NotFound);
  EXPECT_EQ(WriteWholeFile(dir.Path() + "/", Pattern(5)), FileError::InvalidArgument);
}

TEST(WholeFile, ReadRefusesWhatItCannotTakeWhole) {
  ScratchDirectory dir;
  const std::string path = dir / "ten.bin";
  ASSERT_EQ(WriteWholeFile(path, Pattern(10)), FileError::None);
  EXPECT_EQ(ReadWholeFile(path, 9).error, FileError::TooLarge);
  EXPECT_EQ(ReadWholeFile(path, 10).value.size(), 10u);

  EXPECT_EQ(ReadWholeFile(dir / "absent").error, FileError::NotFound);
  EXPECT_EQ(ReadWholeFile(dir.Path()).error, FileError::NotRegularFile);
  // A FIFO without a writer would block a plain open forever.
  const std::string fifo = dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadWholeFile(fifo).error, FileError::NotRegularFile);
  EXPECT_EQ(GetFileSize(fifo).error, FileError::NotRegularFile);
}

TEST(WholeFile, DeleteReportsWhetherSomethingWasThere) {
  ScratchDirectory dir;
  const std::string path = dir / "gone.txt";
  std::ofstream(path) << "x";
  EXPECT_EQ(DeleteFile(path), FileError::None);
  EXPECT_EQ(DeleteFile(path), FileError::NotFound);
  EXPECT_EQ(GetFileSize(path).error, FileError::NotFound);
}

}  // namespace
}  // namespace varn::system
