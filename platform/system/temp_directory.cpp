#include "platform/system/temp_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/system/unique_fd.h"
#include "platform/system/utf_convert.h"

namespace varn::system {
namespace {

using DirectoryResult = FileResult<OpenDirectory>;

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

OpenDirectory::OpenDirectory(int fd, std::string path) : fd_(fd), path_(std::move(path)) {
  if (path_.empty() || path_.back() != '/') path_ += '/';
}

OpenDirectory::OpenDirectory(OpenDirectory&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

OpenDirectory& OpenDirectory::operator=(OpenDirectory&& other) noexcept {
  if (this != &other) {
    UniqueFd old(std::exchange(fd_, std::exchange(other.fd_, -1)));
    path_ = std::move(other.path_);
  }
  return *this;
}

OpenDirectory::~OpenDirectory() { UniqueFd closing(fd_); }

OpenDirectory OpenDirectory::Duplicate() const {
  if (fd_ < 0) return {};
  const int copy = fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return {};
  return OpenDirectory(copy, path_);
}

FileError OpenDirectory::CreateFile(std::string_view name) const {
  return CreateFileForWriting(name).error;
}

FileResult<UniqueFd> OpenDirectory::CreateFileForWriting(std::string_view name) const {
  if (fd_ < 0 || name.empty() || name.find_first_of(std::string_view("/\0", 2)) != name.npos) {
    return FileResult<UniqueFd>::Failure(FileError::InvalidArgument);
  }
  const std::string text(name);
  UniqueFd file(openat(Fd(), text.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       S_IRUSR | S_IWUSR));
  if (!file.Valid()) return FileResult<UniqueFd>::Failure(FileErrorFromErrno(errno));
  return FileResult<UniqueFd>::Success(std::move(file));
}

FileError OpenDirectory::RemoveFile(std::string_view name) const {
  if (fd_ < 0 || name.empty() || name.find_first_of(std::string_view("/\0", 2)) != name.npos) {
    return FileError::InvalidArgument;
  }
  const std::string text(name);
  if (unlinkat(Fd(), text.c_str(), 0) == 0 || errno == ENOENT) return FileError::None;
  return FileErrorFromErrno(errno);
}

DirectoryResult OpenDirectoryAt(std::string_view path) {
  if (path.empty() || path.find('\0') != path.npos) {
    return DirectoryResult::Failure(FileError::InvalidArgument);
  }
  const std::string text(path);
  const int fd = open(text.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return DirectoryResult::Failure(FileErrorFromErrno(errno));
  return DirectoryResult::Success(OpenDirectory(fd, text));
}

DirectoryResult PreparePrivateDirectory(std::string_view base, uid_t uid) {
  if (base.empty() || base.front() != '/') {
    return DirectoryResult::Failure(FileError::InvalidArgument);
  }
  const std::string name = "varnpostingtool-" + std::to_string(uid);
  std::string path(base);
  if (path.back() != '/') path += '/';
  path += name;
  path += '/';
  if (Utf16Length(path) >= kMaxPath) return DirectoryResult::Failure(FileError::PathTooLong);

  const std::string baseText(base);
  UniqueFd baseFd(open(baseText.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!baseFd.Valid()) return DirectoryResult::Failure(FileErrorFromErrno(errno));
  if (mkdirat(baseFd.Get(), name.c_str(), S_IRWXU) != 0 && errno != EEXIST) {
    return DirectoryResult::Failure(FileErrorFromErrno(errno));
  }
  UniqueFd dirFd(
      openat(baseFd.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!dirFd.Valid()) {
    return DirectoryResult::Failure(ClassifyOpenFailure(baseFd.Get(), name, errno));
  }
  if (const FileError error = CheckPrivate(dirFd.Get(), uid); error != FileError::None) {
    return DirectoryResult::Failure(error);
  }
  return DirectoryResult::Success(OpenDirectory(dirFd.Release(), std::move(path)));
}

std::string TempDirectoryBase() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string base = (tmpdir != nullptr && tmpdir[0] == '/') ? tmpdir : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base;
}

DirectoryResult OpenTempDirectory() {
  return PreparePrivateDirectory(TempDirectoryBase(), geteuid());
}

}  // namespace varn::system
