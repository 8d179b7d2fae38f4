// Failures of the file services as values: nothing here throws, and a caller
// that only needs success or failure can test the result like a bool.
#pragma once

#include <utility>

namespace varn::system {

enum class FileError {
  None,
  InvalidArgument,
  NotFound,
  AccessDenied,
  AlreadyExists,
  IsLink,
  NotDirectory,
  NotRegularFile,
  WrongOwner,
  OpenToOthers,
  PathTooLong,
  NamesExhausted,
  TooLarge,
  OutOfMemory,
  IoError,
};

// A value or the reason there is none; `value` is default-constructed on
// failure.
template <typename T>
struct FileResult {
  T value{};
  FileError error = FileError::None;

  static FileResult Failure(FileError e) { return FileResult{T{}, e}; }
  static FileResult Success(T v) { return FileResult{std::move(v), FileError::None}; }

  bool Ok() const { return error == FileError::None; }
  explicit operator bool() const { return Ok(); }
};

// Maps an errno value to the closest FileError.
FileError FileErrorFromErrno(int err);

const char* FileErrorName(FileError error);

}  // namespace varn::system
