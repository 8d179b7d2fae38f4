#include "platform/system/temp_file_name.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "platform/system/temp_directory.h"
#include "platform/system/utf_convert.h"

namespace varn::system {
namespace {

using PathResult = FileResult<std::string>;

constexpr std::size_t kPrefixCharacters = 3;
constexpr uint32_t kNumberCount = 0xFFFF;

uint16_t TimeAndPidSeed() {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch();
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(ticks).count();
  return static_cast<uint16_t>(static_cast<uint64_t>(millis) ^
                               (static_cast<uint64_t>(getpid()) * 2654435761u));
}

// Where the next search starts: after the last number handed out, so a busy
// process does not walk the same taken names again on every call.
std::atomic<uint32_t>& NextNumber() {
  static std::atomic<uint32_t> next{TimeAndPidSeed()};
  return next;
}

uint16_t Following(uint32_t number) {
  const uint32_t next = (number & 0xFFFF) + 1;
  return static_cast<uint16_t>(next > 0xFFFF ? 1 : next);
}

// The first three characters, not bytes, so a multi-byte character is never
// cut in half.
std::string_view PrefixCharacters(std::string_view prefix) {
  std::size_t pos = 0;
  for (std::size_t count = 0; count < kPrefixCharacters && pos < prefix.size(); ++count) {
    ++pos;
    while (pos < prefix.size() && (static_cast<unsigned char>(prefix[pos]) & 0xC0) == 0x80) ++pos;
  }
  return prefix.substr(0, pos);
}

std::string NameFor(const std::string& stem, uint16_t number) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(number));
  return stem + digits + ".tmp";
}

}  // namespace

PathResult GetTempFileName(const OpenDirectory& directory, std::string_view prefix,
                           uint16_t firstNumber) {
  if (!directory.Valid() ||
      prefix.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) {
    return PathResult::Failure(FileError::InvalidArgument);
  }
  const std::string stem(PrefixCharacters(prefix));
  if (Utf16Length(directory.Path() + NameFor(stem, 0xFFFF)) >= kMaxPath) {
    return PathResult::Failure(FileError::PathTooLong);
  }

  uint16_t number = firstNumber == 0 ? 1 : firstNumber;
  for (uint32_t attempt = 0; attempt < kNumberCount; ++attempt, number = Following(number)) {
    const std::string name = NameFor(stem, number);
    const FileError error = directory.CreateFile(name);
    if (error == FileError::None) {
      NextNumber().store(Following(number), std::memory_order_relaxed);
      return PathResult::Success(directory.Path() + name);
    }
    if (error != FileError::AlreadyExists) return PathResult::Failure(error);
  }
  return PathResult::Failure(FileError::NamesExhausted);
}

PathResult GetTempFileName(const OpenDirectory& directory, std::string_view prefix) {
  return GetTempFileName(directory, prefix,
                         static_cast<uint16_t>(NextNumber().load(std::memory_order_relaxed)));
}

PathResult GetTempFileName(std::string_view directory, std::string_view prefix,
                           uint16_t firstNumber) {
  // The length is judged on the path as given, before anything is opened.
  if (directory.empty() || directory.find('\0') != std::string_view::npos) {
    return PathResult::Failure(FileError::InvalidArgument);
  }
  std::string path(directory);
  if (path.back() != '/') path += '/';
  if (Utf16Length(path + NameFor(std::string(PrefixCharacters(prefix)), 0xFFFF)) >= kMaxPath) {
    return PathResult::Failure(FileError::PathTooLong);
  }
  const auto opened = OpenDirectoryAt(directory);
  if (!opened) return PathResult::Failure(opened.error);
  return GetTempFileName(opened.value, prefix, firstNumber);
}

PathResult GetTempFileName(std::string_view directory, std::string_view prefix) {
  return GetTempFileName(directory, prefix,
                         static_cast<uint16_t>(NextNumber().load(std::memory_order_relaxed)));
}

}  // namespace varn::system
