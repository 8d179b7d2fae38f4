#include "platform/system/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <new>
#include <utility>

#include "platform/system/file_reader.h"
#include "platform/system/unique_fd.h"

namespace varn::system {
namespace {

constexpr int kSiblingAttempts = 100;
// As many links as the system itself follows in one path.
constexpr int kMaxLinkHops = 40;
constexpr uint64_t kGrowStep = uint64_t{64} * 1024;

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A short name beside the target, so a target name near the length limit
// still leaves room for it.
UniqueFd CreateSibling(const std::string& path, std::string* siblingPath) {
  static std::atomic<unsigned> counter{0};
  const std::string directory = DirectoryOf(path);
  for (int attempt = 0; attempt < kSiblingAttempts; ++attempt) {
    *siblingPath = directory + "/.varn-" + std::to_string(getpid()) + "-" +
                   std::to_string(counter.fetch_add(1)) + ".part";
    UniqueFd fd(
        open(siblingPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.Valid() || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return UniqueFd();
}

FileError WriteAll(int fd, std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return FileErrorFromErrno(errno);
    }
    bytes = bytes.subspan(static_cast<std::size_t>(count));
  }
  return FileError::None;
}

// A replaced file keeps its permissions: a private file must not become
// readable by others because it was saved again.
FileError KeepMode(int fd, const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FileError::None;
  if (fchmod(fd, st.st_mode & 07777) != 0) return FileErrorFromErrno(errno);
  return FileError::None;
}

// The name a chain of symbolic links ends at, which need not exist yet. A
// relative link is read from the folder the link stands in.
FileResult<std::string> ResolveLinks(const std::string& path) {
  using Result = FileResult<std::string>;
  std::string target = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat st {};
    if (lstat(target.c_str(), &st) != 0) {
      if (errno == ENOENT) return Result::Success(std::move(target));
      return Result::Failure(FileErrorFromErrno(errno));
    }
    if (!S_ISLNK(st.st_mode)) return Result::Success(std::move(target));
    std::string text(PATH_MAX, '\0');
    const ssize_t length = readlink(target.c_str(), text.data(), text.size());
    if (length < 0) return Result::Failure(FileErrorFromErrno(errno));
    if (static_cast<std::size_t>(length) >= text.size()) {
      return Result::Failure(FileError::PathTooLong);
    }
    text.resize(static_cast<std::size_t>(length));
    if (text.front() == '/') {
      target = std::move(text);
    } else {
      target = DirectoryOf(target).append("/").append(text);
    }
  }
  return Result::Failure(FileError::IsLink);
}

// Whether the member may change the file. Permission bits count for root
// too: a file nobody may write is read-only even to a user who could.
bool IsWritable(const std::string& path, const struct stat& st) {
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

}  // namespace

FileResult<std::vector<std::byte>> ReadWholeFile(const std::string& path, uint64_t limit) {
  using Result = FileResult<std::vector<std::byte>>;
  auto reader = FileReader::Open(path);
  if (!reader) return Result::Failure(reader.error);
  const auto size = reader.value.Size();
  if (!size) return Result::Failure(size.error);
  if (size.value > limit) return Result::Failure(FileError::TooLarge);

  // One byte beyond the reported size lets the end-of-file read land without
  // growing the buffer; a file that grows while it is read still ends up
  // whole, up to the limit.
  std::vector<std::byte> bytes;
  std::size_t filled = 0;
  try {
    bytes.resize(static_cast<std::size_t>(size.value) + 1);
    for (;;) {
      if (filled == bytes.size()) {
        if (bytes.size() > limit) return Result::Failure(FileError::TooLarge);
        const uint64_t grown = bytes.size() + std::max<uint64_t>(bytes.size(), kGrowStep);
        bytes.resize(static_cast<std::size_t>(std::min(grown, limit + 1)));
      }
      const std::size_t count = reader.value.Read(std::span(bytes).subspan(filled));
      if (count == 0) break;
      filled += count;
    }
  } catch (const std::bad_alloc&) {
    return Result::Failure(FileError::OutOfMemory);
  }
  if (reader.value.LastError() != FileError::None) return Result::Failure(reader.value.LastError());
  bytes.resize(filled);
  return Result::Success(std::move(bytes));
}

FileError WriteWholeFile(const std::string& path, std::span<const std::byte> bytes) {
  if (path.empty() || path.back() == '/') return FileError::InvalidArgument;
  FileResult<FileSaver> saver = FileSaver::Begin(path);
  if (!saver) return saver.error;
  if (FileError error = saver.value.Write(bytes); error != FileError::None) return error;
  return saver.value.Commit();
}

FileError SaveWholeFile(const std::string& path, std::span<const std::byte> bytes) {
  FileResult<FileSaver> saver = FileSaver::Open(path);
  if (!saver) return saver.error;
  if (FileError error = saver.value.Write(bytes); error != FileError::None) return error;
  return saver.value.Commit();
}

FileSaver::FileSaver(FileSaver&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      target_(std::move(other.target_)),
      siblingPath_(std::move(other.siblingPath_)) {}

FileSaver& FileSaver::operator=(FileSaver&& other) noexcept {
  if (this != &other) {
    Abandon();
    fd_ = std::exchange(other.fd_, -1);
    target_ = std::move(other.target_);
    siblingPath_ = std::move(other.siblingPath_);
  }
  return *this;
}

FileSaver::~FileSaver() { Abandon(); }

void FileSaver::Abandon() {
  if (fd_ < 0) return;
  ::close(std::exchange(fd_, -1));
  ::unlink(siblingPath_.c_str());
}

FileResult<FileSaver> FileSaver::Open(const std::string& path) {
  using Result = FileResult<FileSaver>;
  if (path.empty() || path.back() == '/') return Result::Failure(FileError::InvalidArgument);
  FileResult<std::string> target = ResolveLinks(path);
  if (!target) return Result::Failure(target.error);
  struct stat st {};
  if (lstat(target.value.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return Result::Failure(FileError::NotRegularFile);
    if (!IsWritable(target.value, st)) return Result::Failure(FileError::AccessDenied);
  } else if (errno != ENOENT) {
    return Result::Failure(FileErrorFromErrno(errno));
  }
  return Begin(std::move(target.value));
}

FileResult<FileSaver> FileSaver::Begin(std::string target) {
  using Result = FileResult<FileSaver>;
  FileSaver saver;
  UniqueFd fd = CreateSibling(target, &saver.siblingPath_);
  if (!fd.Valid()) return Result::Failure(FileErrorFromErrno(errno));
  saver.fd_ = fd.Release();
  saver.target_ = std::move(target);
  if (FileError error = KeepMode(saver.fd_, saver.target_); error != FileError::None) {
    return Result::Failure(error);
  }
  return Result::Success(std::move(saver));
}

FileError FileSaver::Write(std::span<const std::byte> bytes) {
  if (fd_ < 0) return FileError::InvalidArgument;
  FileError error = WriteAll(fd_, bytes);
  if (error != FileError::None) Abandon();
  return error;
}

FileError FileSaver::Commit() {
  if (fd_ < 0) return FileError::InvalidArgument;
  // The file reaches the disk before it takes the target's name, so a crash
  // leaves the old file or the whole new one.
  const bool complete = fsync(fd_) == 0 && ::close(std::exchange(fd_, -1)) == 0 &&
                        ::rename(siblingPath_.c_str(), target_.c_str()) == 0;
  if (complete) return FileError::None;
  const FileError error = FileErrorFromErrno(errno);
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  ::unlink(siblingPath_.c_str());
  return error;
}

FileError DeleteFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return FileErrorFromErrno(errno);
  return FileError::None;
}

FileResult<uint64_t> GetFileSize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return FileResult<uint64_t>::Failure(FileErrorFromErrno(errno));
  if (!S_ISREG(st.st_mode)) return FileResult<uint64_t>::Failure(FileError::NotRegularFile);
  return FileResult<uint64_t>::Success(static_cast<uint64_t>(st.st_size));
}

}  // namespace varn::system
