// Reads a file block by block through one open descriptor, for callers that
// must never hold a whole file in memory (the upload streams pictures this
// way). Only regular files open, so a FIFO or device cannot block or feed
// bytes without end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/system/file_error.h"

namespace varn::system {

class FileReader {
 public:
  FileReader() = default;
  FileReader(FileReader&& other) noexcept;
  FileReader& operator=(FileReader&& other) noexcept;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  ~FileReader();

  static FileResult<FileReader> Open(const std::string& path);

  bool IsOpen() const { return fd_ >= 0; }
  // The file's current size in bytes.
  FileResult<uint64_t> Size() const;
  // Fills up to block.size() bytes and returns how many; 0 at the end of the
  // file and after a read error, which LastError() then names.
  std::size_t Read(std::span<std::byte> block);
  FileError LastError() const { return lastError_; }
  void Close();

 private:
  explicit FileReader(int fd) : fd_(fd) {}

  int fd_ = -1;
  FileError lastError_ = FileError::None;
};

}  // namespace varn::system
