#include "host/site/site_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <utility>

#include "host/site/safe_file_name.h"

namespace varn::host {
namespace {

// Ids stay well inside uint64_t; longer digit runs are no id of ours.
constexpr std::size_t kMaxIdDigits = 18;

std::optional<uint64_t> ParseId(std::string_view text) {
  if (text.empty() || text.size() > kMaxIdDigits || text.front() == '0') return std::nullopt;
  uint64_t id = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + static_cast<uint64_t>(c - '0');
  }
  return id;
}

bool IsRealDirectory(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRealFile(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void RemoveKept(const std::vector<StoredFile>& kept) {
  std::error_code ignored;
  for (const StoredFile& file : kept) {
    std::filesystem::remove_all(file.diskPath.parent_path(), ignored);
  }
}

}  // namespace

SiteStore::SiteStore(std::filesystem::path directory)
    : filesFolder_(directory / "files"), incomingFolder_(directory / "incoming") {}

std::string SiteStore::Open() {
  for (const auto& folder : {filesFolder_, incomingFolder_}) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !IsRealDirectory(folder)) {
      return "cannot create the folder " + folder.string() +
             (error ? ": " + error.message() : std::string(": not a folder"));
    }
  }
  // Start past the highest id on disk so that a rerun does not probe every
  // old id; ClaimId still skips any that appear meanwhile.
  uint64_t highest = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(filesFolder_, error)) {
    if (auto id = ParseId(entry.path().filename().string())) highest = std::max(highest, *id);
  }
  if (error) return "cannot read the folder " + filesFolder_.string() + ": " + error.message();
  std::lock_guard lock(mutex_);
  nextId_ = highest + 1;
  stored_.clear();
  return {};
}

std::optional<std::filesystem::path> SiteStore::NewStagingFolder() const {
  std::string folder = (incomingFolder_ / "request-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) return std::nullopt;
  return std::filesystem::path(folder);
}

std::optional<uint64_t> SiteStore::ClaimId() {
  std::lock_guard lock(mutex_);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    uint64_t id = nextId_++;
    std::filesystem::path folder = filesFolder_ / std::to_string(id);
    if (::mkdir(folder.c_str(), 0755) == 0) return id;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::vector<StoredFile>> SiteStore::Keep(const std::vector<StagedFile>& staged) {
  std::vector<StoredFile> kept;
  for (const StagedFile& file : staged) {
    auto id = ClaimId();
    if (!id) {
      RemoveKept(kept);
      return std::nullopt;
    }
    std::string idText = std::to_string(*id);
    std::filesystem::path target = filesFolder_ / idText / file.name;
    std::error_code error;
    std::filesystem::rename(file.path, target, error);
    if (error) {
      std::filesystem::remove_all(target.parent_path(), error);
      RemoveKept(kept);
      return std::nullopt;
    }
    StoredFile& stored = kept.emplace_back();
    stored.fieldName = file.fieldName;
    stored.id = idText;
    stored.name = file.name;
    stored.diskPath = target;
    stored.urlPath = std::string(kFilesUrlPrefix) + idText + "/" + file.name;
    stored.size = file.size;
  }
  std::lock_guard lock(mutex_);
  stored_.insert(stored_.end(), kept.begin(), kept.end());
  return kept;
}

std::optional<std::filesystem::path> SiteStore::Find(std::string_view id,
                                                     std::string_view name) const {
  if (!ParseId(id) || !IsSafeFileName(name)) return std::nullopt;
  std::filesystem::path folder = filesFolder_ / std::string(id);
  std::filesystem::path file = folder / std::string(name);
  if (!IsRealDirectory(folder) || !IsRealFile(file)) return std::nullopt;
  return file;
}

std::vector<StoredFile> SiteStore::Stored() const {
  std::lock_guard lock(mutex_);
  return stored_;
}

}  // namespace varn::host
