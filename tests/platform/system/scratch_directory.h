// A fresh directory per test below the suite's temporary folder, removed with
// everything in it when the test ends, and recognisable contents for its files.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/system/temp_directory.h"

namespace varn::system::testing {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = TempDirectoryBase() + "/scratch-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// File contents that show a shifted, dropped or repeated byte: every value in a
// position-dependent order, zeros included.
inline std::vector<std::byte> Pattern(std::size_t size) {
  std::vector<std::byte> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::byte>((i * 131 + 7) & 0xFF);
  return bytes;
}

}  // namespace varn::system::testing
