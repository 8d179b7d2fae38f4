#include "platform/system/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/system/unique_fd.h"

namespace varn::system {

FileReader::FileReader(FileReader&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), lastError_(other.lastError_) {}

FileReader& FileReader::operator=(FileReader&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    lastError_ = other.lastError_;
  }
  return *this;
}

FileReader::~FileReader() { Close(); }

void FileReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

FileResult<FileReader> FileReader::Open(const std::string& path) {
  // Non-blocking only for the open itself: opening a FIFO would otherwise
  // wait for a writer before the type check below could refuse it.
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) return FileResult<FileReader>::Failure(FileErrorFromErrno(errno));
  struct stat st {};
  if (fstat(fd.Get(), &st) != 0) return FileResult<FileReader>::Failure(FileErrorFromErrno(errno));
  if (!S_ISREG(st.st_mode)) return FileResult<FileReader>::Failure(FileError::NotRegularFile);
  const int flags = fcntl(fd.Get(), F_GETFL);
  if (flags < 0 || fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    return FileResult<FileReader>::Failure(FileErrorFromErrno(errno));
  }
  return FileResult<FileReader>::Success(FileReader(fd.Release()));
}

FileResult<uint64_t> FileReader::Size() const {
  if (fd_ < 0) return FileResult<uint64_t>::Failure(FileError::InvalidArgument);
  struct stat st {};
  if (fstat(fd_, &st) != 0) return FileResult<uint64_t>::Failure(FileErrorFromErrno(errno));
  return FileResult<uint64_t>::Success(static_cast<uint64_t>(st.st_size));
}

std::size_t FileReader::Read(std::span<std::byte> block) {
  if (fd_ < 0) {
    lastError_ = FileError::InvalidArgument;
    return 0;
  }
  if (block.empty()) return 0;
  for (;;) {
    const ssize_t count = ::read(fd_, block.data(), block.size());
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno == EINTR) continue;
    lastError_ = FileErrorFromErrno(errno);
    return 0;
  }
}

}  // namespace varn::system
