// Whole-file reads and writes, deletion and size queries on UTF-8 paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/system/file_error.h"

namespace varn::system {

// Larger files are refused rather than read whole; callers with bigger
// inputs stream them through FileReader.
inline constexpr uint64_t kDefaultReadLimit = uint64_t{256} << 20;

// The whole file, or TooLarge when it holds more than `limit` bytes.
FileResult<std::vector<std::byte>> ReadWholeFile(const std::string& path,
                                                 uint64_t limit = kDefaultReadLimit);

// Replaces the file with exactly `bytes`. The bytes go to a new file next to
// it that is renamed over the old one only when complete, so a failed write
// (a full disk, say) leaves the previous contents intact. A symbolic link at
// `path` is replaced by the file, not followed.
FileError WriteWholeFile(const std::string& path, std::span<const std::byte> bytes);

// Saves `bytes` as the file a member named: a symbolic link is followed to
// the file it names (which may not exist yet), and that file is replaced as
// WriteWholeFile replaces it, keeping the link. Refused without writing:
// NotRegularFile when the name stands for anything but a regular file (a
// folder, a FIFO, a device), AccessDenied when that file is read-only,
// NotFound or NotDirectory when its folder does not exist, IsLink for links
// that never end.
FileError SaveWholeFile(const std::string& path, std::span<const std::byte> bytes);

// SaveWholeFile for bytes that come in pieces, so a large file need not be
// laid out in memory first: Open resolves and checks the name and creates
// the new file beside the target (failing as SaveWholeFile fails), Write
// appends, Commit flushes the file to disk and renames it over the target.
// Without a successful Commit the target stays as it was and the new file is
// removed when the saver goes.
class FileSaver {
 public:
  FileSaver() = default;
  FileSaver(FileSaver&& other) noexcept;
  FileSaver& operator=(FileSaver&& other) noexcept;
  FileSaver(const FileSaver&) = delete;
  FileSaver& operator=(const FileSaver&) = delete;
  ~FileSaver();

  static FileResult<FileSaver> Open(const std::string& path);

  FileError Write(std::span<const std::byte> bytes);
  FileError Commit();

 private:
  friend FileError WriteWholeFile(const std::string& path, std::span<const std::byte> bytes);
  // The new file for target itself, links not followed.
  static FileResult<FileSaver> Begin(std::string target);
  void Abandon();

  int fd_ = -1;
  std::string target_;
  std::string siblingPath_;
};

// NotFound when there was nothing to delete.
FileError DeleteFile(const std::string& path);

FileResult<uint64_t> GetFileSize(const std::string& path);

}  // namespace varn::system
