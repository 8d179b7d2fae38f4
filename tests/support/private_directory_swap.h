// Puts something else where the private temporary directory of the suite
// stands, as a cleaner or another local user could, for the length of a
// test; the real directory is kept aside and put back afterwards.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/system/temp_directory.h"

namespace varn::test {

class PrivateDirectorySwap {
 public:
  enum class Replacement { LinkToOurs, OpenToOthers, PlainFile };

  // target: the directory of ours that a link points to.
  PrivateDirectorySwap(Replacement replacement, const std::string& target)
      : path_(system::TempDirectoryBase() + "/varnpostingtool-" + std::to_string(geteuid())),
        kept_(path_ + ".kept") {
    ::mkdir(path_.c_str(), 0700);
    std::rename(path_.c_str(), kept_.c_str());
    switch (replacement) {
      case Replacement::LinkToOurs:
        ::symlink(target.c_str(), path_.c_str());
        break;
      case Replacement::OpenToOthers:
        ::mkdir(path_.c_str(), 0700);
        ::chmod(path_.c_str(), 0777);
        break;
      case Replacement::PlainFile:
        std::ofstream(path_) << "not a directory";
        break;
    }
  }
  ~PrivateDirectorySwap() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    std::rename(kept_.c_str(), path_.c_str());
  }
  PrivateDirectorySwap(const PrivateDirectorySwap&) = delete;
  PrivateDirectorySwap& operator=(const PrivateDirectorySwap&) = delete;

 private:
  std::string path_;
  std::string kept_;
};

// Every replacement, with a name for the failure messages.
struct ReplacementCase {
  const char* name;
  PrivateDirectorySwap::Replacement replacement;
};
inline constexpr ReplacementCase kReplacements[] = {
    {"a link to a directory of ours", PrivateDirectorySwap::Replacement::LinkToOurs},
    {"a directory open to others", PrivateDirectorySwap::Replacement::OpenToOthers},
    {"a plain file", PrivateDirectorySwap::Replacement::PlainFile},
};

}  // namespace varn::test
