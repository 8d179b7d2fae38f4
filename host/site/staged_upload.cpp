#include "host/site/staged_upload.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "host/site/safe_file_name.h"

namespace varn::host {
namespace {

bool WriteAll(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    ssize_t written = ::write(fd, data, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

StagedUpload::StagedUpload(std::filesystem::path folder, uint64_t maxContentBytes)
    : folder_(std::move(folder)), maxContentBytes_(maxContentBytes) {}

StagedUpload::~StagedUpload() {
  CloseFile();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

bool StagedUpload::Fail(UploadFault fault) {
  if (fault_ == UploadFault::None) fault_ = fault;
  CloseFile();
  return false;
}

bool StagedUpload::CloseFile() {
  if (fd_ < 0) return true;
  bool closed = ::close(fd_) == 0;
  fd_ = -1;
  return closed;
}

bool StagedUpload::BeginPart(std::string_view fieldName, std::string_view fileName) {
  if (fault_ != UploadFault::None) return false;
  if (!CloseFile()) return Fail(UploadFault::CannotWrite);
  if (fileName.empty()) {
    texts_.push_back({std::string(fieldName), {}});
    current_ = Current::Text;
    return true;
  }
  if (files_.size() >= kMaxFilesPerPost) return Fail(UploadFault::TooManyFiles);
  // Staged under its index: the sent name is only a label until it is kept.
  std::filesystem::path path = folder_ / std::to_string(files_.size());
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd_ < 0) return Fail(UploadFault::CannotWrite);
  files_.push_back({std::string(fieldName), SafeFileName(fileName), path, 0});
  current_ = Current::File;
  return true;
}

bool StagedUpload::Append(const char* data, std::size_t length) {
  if (fault_ != UploadFault::None) return false;
  if (length > maxContentBytes_ - contentBytes_) return Fail(UploadFault::TooLarge);
  contentBytes_ += length;
  switch (current_) {
    case Current::None:
      return true;
    case Current::Text: {
      std::string& value = texts_.back().value;
      if (length > kMaxTextFieldBytes - value.size()) return Fail(UploadFault::TooLarge);
      value.append(data, length);
      return true;
    }
    case Current::File:
      if (!WriteAll(fd_, data, length)) return Fail(UploadFault::CannotWrite);
      files_.back().size += length;
      return true;
  }
  return true;
}

bool StagedUpload::Finish() {
  if (fault_ != UploadFault::None) return false;
  if (!CloseFile()) return Fail(UploadFault::CannotWrite);
  current_ = Current::None;
  return true;
}

std::vector<std::string> StagedUpload::TextValues(std::string_view fieldName) const {
  std::vector<std::string> values;
  for (const TextField& field : texts_) {
    if (field.name == fieldName) values.push_back(field.value);
  }
  return values;
}

}  // namespace varn::host
