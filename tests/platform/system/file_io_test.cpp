#include "platform/system/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
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

// Each entry of a folder with its kind, permissions, link text and contents.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> seen;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    const fs::file_status status = entry.symlink_status();
    std::string what = std::to_string(static_cast<int>(status.type())) + " " +
                       std::to_string(static_cast<int>(status.permissions()));
    if (fs::is_symlink(status)) what += " -> " + fs::read_symlink(entry.path()).string();
    if (fs::is_regular_file(status)) {
      for (std::byte b : ReadWholeFile(entry.path()).value) what += static_cast<char>(b);
    }
    seen[entry.path().filename().string()] = what;
  }
  return seen;
}

// A name to save to, what stands in the folder first, and where the bytes
// must land.
struct SaveCase {
  const char* what;
  const char* name;
  std::function<void(const ScratchDirectory&)> make;
  const char* lands;
};

TEST(SaveWholeFile, WritesTheFileALinkNamesAndKeepsTheLink) {
  const auto old = [](const ScratchDirectory& dir) {
    std::filesystem::create_directory(dir / "sub");
    std::ofstream(dir / "sub/file") << "old";
    chmod((dir / "sub/file").c_str(), 0640);
  };
  const std::vector<SaveCase> cases = {
      {"new file", "new", nullptr, "new"},
      {"plain file", "sub/file", old, "sub/file"},
      {"relative link", "link",
       [&](const ScratchDirectory& dir) {
         old(dir);
         std::filesystem::create_symlink("sub/file", dir / "link");
       },
       "sub/file"},
      {"absolute link", "link",
       [&](const ScratchDirectory& dir) {
         old(dir);
         std::filesystem::create_symlink(dir / "sub/file", dir / "link");
       },
       "sub/file"},
      {"link upwards from a folder", "sub/up",
       [&](const ScratchDirectory& dir) {
         old(dir);
         std::ofstream(dir / "top") << "old";
         std::filesystem::create_symlink("../top", dir / "sub/up");
       },
       "top"},
      {"chain of links", "first",
       [&](const ScratchDirectory& dir) {
         old(dir);
         std::filesystem::create_symlink("sub/second", dir / "first");
         std::filesystem::create_symlink("file", dir / "sub/second");
       },
       "sub/file"},
      {"link to a file yet to be made", "dangling",
       [](const ScratchDirectory& dir) {
         std::filesystem::create_symlink("made", dir / "dangling");
       },
       "made"},
  };
  for (const SaveCase& c : cases) {
    ScratchDirectory dir;
    if (c.make) c.make(dir);
    struct stat before {};
    const bool existed = stat((dir / c.lands).c_str(), &before) == 0;
    ASSERT_EQ(SaveWholeFile(dir / c.name, Pattern(12)), FileError::None) << c.what;
    EXPECT_EQ(ReadWholeFile(dir / c.lands).value, Pattern(12)) << c.what;
    struct stat after {};
    ASSERT_EQ(lstat((dir / c.lands).c_str(), &after), 0) << c.what;
    EXPECT_TRUE(S_ISREG(after.st_mode)) << c.what;
    if (existed) {
      EXPECT_EQ(after.st_mode, before.st_mode) << c.what;
    }
    if (std::string(c.name) != c.lands) {
      EXPECT_TRUE(std::filesystem::is_symlink(dir / c.name)) << c.what;
    }
  }
}

TEST(SaveWholeFile, RefusesWhatIsNotAWritableFileAndWritesNothing) {
  struct Refusal {
    const char* what;
    const char* name;
    std::function<void(const ScratchDirectory&)> make;
    FileError error;
  };
  const std::vector<Refusal> refusals = {
      {"missing folder", "missing/file", nullptr, FileError::NotFound},
      {"file as folder", "plain/file",
       [](const ScratchDirectory& dir) { std::ofstream(dir / "plain") << "x"; },
       FileError::NotDirectory},
      {"link into a missing folder", "link",
       [](const ScratchDirectory& dir) {
         std::filesystem::create_symlink("missing/file", dir / "link");
       },
       FileError::NotFound},
      {"fifo", "fifo", [](const ScratchDirectory& dir) { mkfifo((dir / "fifo").c_str(), 0600); },
       FileError::NotRegularFile},
      {"folder", "folder",
       [](const ScratchDirectory& dir) { mkdir((dir / "folder").c_str(), 0700); },
       FileError::NotRegularFile},
      {"link to a device", "null",
       [](const ScratchDirectory& dir) {
         std::filesystem::create_symlink("/dev/null", dir / "null");
       },
       FileError::NotRegularFile},
      {"read-only file", "kept",
       [](const ScratchDirectory& dir) {
         std::ofstream(dir / "kept") << "old";
         chmod((dir / "kept").c_str(), 0444);
       },
       FileError::AccessDenied},
      {"link to a read-only file", "link",
       [](const ScratchDirectory& dir) {
         std::ofstream(dir / "kept") << "old";
         chmod((dir / "kept").c_str(), 0400);
         std::filesystem::create_symlink("kept", dir / "link");
       },
       FileError::AccessDenied},
      {"links in a loop", "a",
       [](const ScratchDirectory& dir) {
         std::filesystem::create_symlink("b", dir / "a");
         std::filesystem::create_symlink("a", dir / "b");
       },
       FileError::IsLink},
  };
  for (const Refusal& r : refusals) {
    ScratchDirectory dir;
    if (r.make) r.make(dir);
    const auto before = Snapshot(dir.Path());
    EXPECT_EQ(SaveWholeFile(dir / r.name, Pattern(5)), r.error) << r.what;
    EXPECT_EQ(Snapshot(dir.Path()), before) << r.what;
  }
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
