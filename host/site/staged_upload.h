// One request's parts as they stream in. File parts go to files of their own
// in a private staging folder, so nothing reaches the site's files until the
// whole request has arrived and its form key was checked; text fields are
// kept in memory, each within a small limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varn::host {

inline constexpr std::size_t kMaxTextFieldBytes = 64 * 1024;
inline constexpr std::size_t kMaxFilesPerPost = 100;

// A received file part waiting in the staging folder.
struct StagedFile {
  std::string fieldName;
  std::string name;  // SafeFileName of the name sent
  std::filesystem::path path;
  uint64_t size = 0;
};

enum class UploadFault {
  None,
  TooLarge,  // more content than the request limit, or an oversized text field
  TooManyFiles,
  CannotWrite,  // the staging file could not be created or written
};

class StagedUpload {
 public:
  // Takes ownership of `folder` (an existing, empty folder): it is removed
  // with whatever is still in it when the upload goes.
  StagedUpload(std::filesystem::path folder, uint64_t maxContentBytes);
  StagedUpload(const StagedUpload&) = delete;
  StagedUpload& operator=(const StagedUpload&) = delete;
  ~StagedUpload();

  // A part with a file name is a file part; any other is a text field.
  // False once a fault is set; the reader then stops.
  bool BeginPart(std::string_view fieldName, std::string_view fileName);
  bool Append(const char* data, std::size_t length);
  // Closes the last file; false when a fault is set.
  bool Finish();

  UploadFault Fault() const { return fault_; }
  uint64_t ContentBytes() const { return contentBytes_; }
  const std::vector<StagedFile>& Files() const { return files_; }
  // The values of every text field of that name, in order.
  std::vector<std::string> TextValues(std::string_view fieldName) const;

 private:
  struct TextField {
    std::string name;
    std::string value;
  };

  bool Fail(UploadFault fault);
  bool CloseFile();

  std::filesystem::path folder_;
  uint64_t maxContentBytes_;
  uint64_t contentBytes_ = 0;
  UploadFault fault_ = UploadFault::None;
  std::vector<StagedFile> files_;
  std::vector<TextField> texts_;
  enum class Current { None, File, Text } current_ = Current::None;
  int fd_ = -1;
};

}  // namespace varn::host
