// The user's private temporary directory, where the controls write the
// pictures they upload. It is `varnpostingtool-<uid>` inside $TMPDIR (or
// /tmp), mode 0700, and refused when another user could have planted or can
// read it. It is checked anew on every use and then reached only through the
// descriptor of the directory that passed the check, never by its name again:
// a directory put in its place later (by a cleaner, by another user) is never
// written to.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/system/file_error.h"
#include "platform/system/unique_fd.h"

namespace varn::system {

// Characters of the Windows path buffers the callers were written for,
// terminating 0 included; a longer path is a failure, never truncated.
inline constexpr std::size_t kMaxPath = 260;

// An opened directory: files are made, reached and removed relative to its
// descriptor, which closes with it.
class OpenDirectory {
 public:
  OpenDirectory() = default;
  // Takes the descriptor; path is the name it was opened by, for messages
  // and for the names handed to others (a trailing "/" is added).
  OpenDirectory(int fd, std::string path);
  OpenDirectory(OpenDirectory&& other) noexcept;
  OpenDirectory& operator=(OpenDirectory&& other) noexcept;
  OpenDirectory(const OpenDirectory&) = delete;
  OpenDirectory& operator=(const OpenDirectory&) = delete;
  ~OpenDirectory();

  // Another hold on the same directory, with a descriptor of its own;
  // invalid when none could be made.
  OpenDirectory Duplicate() const;

  bool Valid() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }

  // Creates the file `name` exclusively, empty, mode 0600, never through a link.
  FileError CreateFile(std::string_view name) const;
  // The same, open for writing: the caller writes through the descriptor.
  FileResult<UniqueFd> CreateFileForWriting(std::string_view name) const;
  // Removes `name`; a name already gone is no failure.
  FileError RemoveFile(std::string_view name) const;

 private:
  int fd_ = -1;
  std::string path_;
};

// Opens a directory by path, without the checks of a private one.
FileResult<OpenDirectory> OpenDirectoryAt(std::string_view path);

// Creates `<base>/varnpostingtool-<uid>/` or checks the one already there:
// it must be a real directory (not a link), owned by `uid`, with no access
// for group or others. The check runs on the opened directory, so a link
// planted between creation and check is refused rather than followed. The
// path given back ends with "/".
FileResult<OpenDirectory> PreparePrivateDirectory(std::string_view base, uid_t uid);

// $TMPDIR when it is an absolute path, /tmp otherwise.
std::string TempDirectoryBase();

// The process's private temporary directory, prepared and checked again on
// every call.
FileResult<OpenDirectory> OpenTempDirectory();

}  // namespace varn::system
