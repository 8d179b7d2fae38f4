// Scratch files for the upload tests, made in the suite's private TMPDIR and
// removed with the fixture.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/system/temp_directory.h"

namespace varn::test {

class ScratchFiles {
 public:
  ScratchFiles() {
    std::string pattern = system::TempDirectoryBase() + "/upload-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFiles(const ScratchFiles&) = delete;
  ScratchFiles& operator=(const ScratchFiles&) = delete;

  // Writes bytes to a new file of that name and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::string path = path_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string Missing(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Bytes 0..255 repeated, so a shifted or dropped block shows.
inline std::string PatternBytes(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return bytes;
}

inline std::u16string Ascii16(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace varn::test
