#include "platform/system/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system/file_io.h"

namespace varn::system {
namespace {

// The ids tests/platform/system/CMakeLists.txt gives its data files.
constexpr int kAllBytesId = 7001;
constexpr int kGreetingId = 7002;
constexpr int kEmptyId = 7003;

std::vector<std::byte> DataFile(const std::string& name) {
  const auto bytes = ReadWholeFile(std::string(VARN_TEST_DATA_DIR) + "/" + name);
  EXPECT_TRUE(bytes) << name;
  return bytes.value;
}

std::vector<std::byte> Bytes(std::span<const std::byte> span) { return {span.begin(), span.end()}; }

TEST(Resource, FoundByIdWithTheFilesBytes) {
  const auto allBytes = FindResource(kAllBytesId);
  EXPECT_EQ(allBytes.size(), 768u);
  EXPECT_EQ(Bytes(allBytes), DataFile("all_bytes.bin"));
  EXPECT_EQ(Bytes(FindResource(kGreetingId)), DataFile("greeting.txt"));
}

TEST(Resource, EmptyFileAndUnknownIdGiveNoBytes) {
  EXPECT_TRUE(FindResource(kEmptyId).empty());
  EXPECT_TRUE(FindResource(0).empty());
  EXPECT_TRUE(FindResource(-1).empty());
  EXPECT_TRUE(FindResource(kAllBytesId + 100).empty());
}

}  // namespace
}  // namespace varn::system
