#include "platform/system/temp_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/system/unique_fd.h"
#include "platform/system/utf_convert.h"

namespace varn::system {
namespace {

using PathResult = FileResult<std::string>;

// After O_NOFOLLOW refused the name, tells a link from other failures.
FileError ClassifyOpenFailure(int baseFd, const std::string& name, int err) {
  struct stat st {};
  if (fstatat(baseFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(st.st_mode)) return FileError::IsLink;
    if (!S_ISDIR(st.st_mode)) return FileError::NotDirectory;
  }
  return FileErrorFromErrno(err);
}

FileError CheckPrivate(int dirFd, uid_t uid) {
  struct stat st {};
  if (fstat(dirFd, &st) != 0) return FileErrorFromErrno(errno);
  if (!S_ISDIR(st.st_mode)) return FileError::NotDirectory;
  if (st.st_uid != uid) return FileError::WrongOwner;
  if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) return FileError::OpenToOthers;
  // A restrictive umask may have left the owner without write or search
  // access to the directory just made.
  if ((st.st_mode & S_IRWXU) != S_IRWXU && fchmod(dirFd, S_IRWXU) != 0) {
    return FileErrorFromErrno(errno);
  }
  return FileError::None;
}

}  // namespace

PathResult PreparePrivateDirectory(std::string_view base, uid_t uid) {
  if (base.empty() || base.front() != '/') return PathResult::Failure(FileError::InvalidArgument);
  const std::string name = "varnpostingtool-" + std::to_string(uid);
  std::string path(base);
  if (path.back() != '/') path += '/';
  path += name;
  path += '/';
  if (Utf16Length(path) >= kMaxPath) return PathResult::Failure(FileError::PathTooLong);

  const std::string baseText(base);
  UniqueFd baseFd(open(baseText.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!baseFd.Valid()) return PathResult::Failure(FileErrorFromErrno(errno));
  if (mkdirat(baseFd.Get(), name.c_str(), S_IRWXU) != 0 && errno != EEXIST) {
    return PathResult::Failure(FileErrorFromErrno(errno));
  }
  UniqueFd dirFd(
      openat(baseFd.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!dirFd.Valid()) {
    return PathResult::Failure(ClassifyOpenFailure(baseFd.Get(), name, errno));
  }
  if (const FileError error = CheckPrivate(dirFd.Get(), uid); error != FileError::None) {
    return PathResult::Failure(error);
  }
  return PathResult::Success(std::move(path));
}

std::string TempDirectoryBase() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string base = (tmpdir != nullptr && tmpdir[0] == '/') ? tmpdir : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base;
}

const FileResult<std::string>& GetTempPath() {
  // Function-local statics are initialised once even with concurrent callers.
  static const PathResult path = PreparePrivateDirectory(TempDirectoryBase(), geteuid());
  return path;
}

}  // namespace varn::system
