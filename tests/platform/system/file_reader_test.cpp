#include "platform/system/file_reader.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/file_io.h"
#include "tests/platform/system/scratch_directory.h"

namespace varn::system {
namespace {

using testing::Pattern;
using testing::ScratchDirectory;

TEST(FileReader, HandsOutBlocksUntilTheEnd) {
  ScratchDirectory dir;
  const std::string path = dir / "upload.jpg";
  const auto bytes = Pattern(25000);
  ASSERT_EQ(WriteWholeFile(path, bytes), FileError::None);

  auto opened = FileReader::Open(path);
  ASSERT_TRUE(opened) << FileErrorName(opened.error);
  FileReader reader = std::move(opened.value);
  EXPECT_EQ(reader.Size().value, 25000u);

  std::vector<std::byte> block(10240);
  std::vector<std::byte> received;
  std::vector<std::size_t> counts;
  while (const std::size_t count = reader.Read(block)) {
    counts.push_back(count);
    received.insert(received.end(), block.begin(), block.begin() + static_cast<long>(count));
  }
  EXPECT_EQ(counts, (std::vector<std::size_t>{10240, 10240, 4520}));
  EXPECT_EQ(received, bytes);
  EXPECT_EQ(reader.LastError(), FileError::None);
  EXPECT_EQ(reader.Read(block), 0u);
}

TEST(FileReader, ClosedOrMovedFromReaderReadsNothing) {
  ScratchDirectory dir;
  const std::string path = dir / "a.bin";
  ASSERT_EQ(WriteWholeFile(path, Pattern(3)), FileError::None);
  auto opened = FileReader::Open(path);
  ASSERT_TRUE(opened);
  FileReader moved = std::move(opened.value);
  std::byte block[4];
  EXPECT_EQ(opened.value.Read(block), 0u);
  EXPECT_EQ(opened.value.LastError(), FileError::InvalidArgument);
  EXPECT_FALSE(opened.value.Size());
  EXPECT_EQ(moved.Read(block), 3u);
  moved.Close();
  EXPECT_FALSE(moved.IsOpen());
  EXPECT_EQ(moved.Read(block), 0u);
}

}  // namespace
}  // namespace varn::system
