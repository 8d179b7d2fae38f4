// The temporary files of one submit: the pictures and thumbnails it wrote
// and the placeholders that reserved their names. They are removed when the
// owner goes, once the post has ended whatever its outcome, so no picture of
// the member's stays behind and the names are free for later submits. Each
// file is removed from the directory it was made in, through that
// directory's descriptor, never by a path that may point elsewhere by then.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/system/temp_directory.h"

namespace varn {

class CSubmitFiles {
 public:
  CSubmitFiles() = default;
  CSubmitFiles(const CSubmitFiles&) = delete;
  CSubmitFiles& operator=(const CSubmitFiles&) = delete;
  ~CSubmitFiles() { RemoveAll(); }

  // Takes charge of the file `name` in directory.
  void Add(const system::OpenDirectory& directory, std::string name);
  // Removes every file held so far; the owner is empty afterwards.
  void RemoveAll();
  std::size_t Count() const { return files_.size(); }

 private:
  struct File {
    system::OpenDirectory directory;
    std::string name;
  };
  std::vector<File> files_;
};

}  // namespace varn
