#include "platform/system/file_error.h"

#include <cerrno>

namespace varn::system {

FileError FileErrorFromErrno(int err) {
  switch (err) {
    case 0:
      return FileError::None;
    case ENOENT:
      return FileError::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return FileError::AccessDenied;
    case EEXIST:
      return FileError::AlreadyExists;
    case ELOOP:
      return FileError::IsLink;
    case ENOTDIR:
      return FileError::NotDirectory;
    case EISDIR:
      return FileError::NotRegularFile;
    case ENAMETOOLONG:
      return FileError::PathTooLong;
    case EFBIG:
      return FileError::TooLarge;
    case ENOMEM:
      return FileError::OutOfMemory;
    case EINVAL:
      return FileError::InvalidArgument;
    default:
      return FileError::IoError;
  }
}

const char* FileErrorName(FileError error) {
  switch (error) {
    case FileError::None:
      return "none";
    case FileError::InvalidArgument:
      return "invalid argument";
    case FileError::NotFound:
      return "not found";
    case FileError::AccessDenied:
      return "access denied";
    case FileError::AlreadyExists:
      return "already exists";
    case FileError::IsLink:
      return "is a symbolic link";
    case FileError::NotDirectory:
      return "not a directory";
    case FileError::NotRegularFile:
      return "not a regular file";
    case FileError::WrongOwner:
      return "not owned by the user";
    case FileError::OpenToOthers:
      return "accessible to other users";
    case FileError::PathTooLong:
      return "path too long";
    case FileError::NamesExhausted:
      return "no unique name left";
    case FileError::TooLarge:
      return "too large";
    case FileError::OutOfMemory:
      return "out of memory";
    case FileError::IoError:
      return "input/output error";
  }
  return "unknown";
}

}  // namespace varn::system
