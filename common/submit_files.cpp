#include "common/submit_files.h"

#include <utility>

namespace varn {

void CSubmitFiles::Add(const system::OpenDirectory& directory, std::string name) {
  // A hold of its own: the caller's may close before the files are removed.
  files_.push_back(File{directory.Duplicate(), std::move(name)});
}

void CSubmitFiles::RemoveAll() {
  // A file that cannot be removed now is left; nothing more can be done
  // about it here.
  for (const File& file : files_) file.directory.RemoveFile(file.name);
  files_.clear();
}

}  // namespace varn
