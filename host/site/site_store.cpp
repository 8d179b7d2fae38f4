#include "host/site/site_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

constexpr std::string_view kRunPrefix = "run-";
constexpr std::string_view kClaimPrefix = ".claim-";

// The id in the record, 0 when there is none yet.
uint64_t ReadRecord(int fd) {
  char text[32] = {};
  ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
  if (got <= 0) return 0;
  std::string_view digits(text, static_cast<std::size_t>(got));
  while (!digits.empty() && (digits.back() == '\n' || digits.back() == ' '))
    digits.remove_suffix(1);
  return ParseId(digits).value_or(0);
}

bool WriteRecord(int fd, uint64_t id) {
  std::string text = std::to_string(id) + "\n";
  return ::pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()) &&
         ::ftruncate(fd, static_cast<off_t>(text.size())) == 0;
}

// True when no running site holds the staging folder: it was left behind.
bool Abandoned(const std::filesystem::path& folder) {
  std::string name = folder.filename().string();
  // A folder being claimed is a site starting this moment.
  if (name.rfind(kClaimPrefix, 0) == 0) return false;
  if (name.rfind(kRunPrefix, 0) != 0) return true;
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return true;
  bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

void RemoveKept(const std::vector<StoredFile>& kept) {
  std::error_code ignored;
  for (const StoredFile& file : kept) {
    std::filesystem::remove_all(file.diskPath.parent_path(), ignored);
  }
}

}  // namespace

SiteStore::SiteStore(std::filesystem::path directory)
    : filesFolder_(directory / "files"),
      incomingFolder_(directory / "incoming"),
      recordPath_(directory / "last-id") {}

SiteStore::~SiteStore() { CloseRun(); }

void SiteStore::CloseRun() {
  std::error_code ignored;
  if (!runFolder_.empty()) std::filesystem::remove_all(runFolder_, ignored);
  runFolder_.clear();
  if (runLock_ >= 0) ::close(runLock_);
  if (record_ >= 0) ::close(record_);
  runLock_ = record_ = -1;
}

std::string SiteStore::Open() {
  CloseRun();
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
  record_ = ::open(recordPath_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (record_ < 0) return "cannot open the id record " + recordPath_.string();

  for (const auto& entry : std::filesystem::directory_iterator(incomingFolder_, error)) {
    std::error_code ignored;
    if (Abandoned(entry.path())) std::filesystem::remove_all(entry.path(), ignored);
  }
  // Locked before it gets the name others look for, so none takes it for
  // abandoned; the lock goes with the folder through the rename.
  std::string claim = (incomingFolder_ / (std::string(kClaimPrefix) + "XXXXXX")).string();
  if (::mkdtemp(claim.data()) == nullptr)
    return "cannot create a staging folder in " + incomingFolder_.string();
  runLock_ = ::open(claim.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::filesystem::path run =
      incomingFolder_ / (std::string(kRunPrefix) + claim.substr(claim.size() - 6));
  if (runLock_ < 0 || ::flock(runLock_, LOCK_EX | LOCK_NB) != 0 ||
      ::rename(claim.c_str(), run.c_str()) != 0) {
    std::error_code ignored;
    std::filesystem::remove_all(claim, ignored);
    return "cannot claim a staging folder in " + incomingFolder_.string();
  }
  runFolder_ = run;

  std::lock_guard lock(mutex_);
  nextId_ = highest + 1;
  stored_.clear();
  return {};
}

std::optional<std::filesystem::path> SiteStore::NewStagingFolder() const {
  std::string folder = (runFolder_ / "request-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) return std::nullopt;
  return std::filesystem::path(folder);
}

std::optional<uint64_t> SiteStore::ClaimId() {
  std::lock_guard lock(mutex_);
  // The record is shared with any other site on the folder: read, claim and
  // write it under its lock.
  if (record_ < 0 || ::flock(record_, LOCK_EX) != 0) return std::nullopt;
  nextId_ = std::max(nextId_, ReadRecord(record_) + 1);
  std::optional<uint64_t> claimed;
  for (int attempt = 0; attempt < 1000 && !claimed; ++attempt) {
    uint64_t id = nextId_++;
    std::filesystem::path folder = filesFolder_ / std::to_string(id);
    if (::mkdir(folder.c_str(), 0755) == 0) {
      claimed = id;
    } else if (errno != EEXIST) {
      break;
    }
  }
  if (claimed && !WriteRecord(record_, *claimed)) {
    ::rmdir((filesFolder_ / std::to_string(*claimed)).c_str());
    claimed.reset();
  }
  ::flock(record_, LOCK_UN);
  return claimed;
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
