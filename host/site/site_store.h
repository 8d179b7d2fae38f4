// The site's folder on disk. Every kept file gets a fresh numeric id of its
// own and lives at <dir>/files/<id>/<safe name>, served at
// /files/<id>/<safe name>; requests stage their parts under a folder of this
// run's own in <dir>/incoming first, held by a lock while the site runs, so
// that the next site removes what a killed one left. Ids are claimed by
// creating their folder, and the highest one handed out is recorded in
// <dir>/last-id, so an id is never handed out twice: not when its folder is
// already on disk (a previous run, another site on the same folder), not
// when it was deleted since.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/site/staged_upload.h"

namespace varn::host {

inline constexpr std::string_view kFilesUrlPrefix = "/files/";

struct StoredFile {
  std::string fieldName;  // the form field it came in, e.g. "image0"
  std::string id;
  std::string name;
  std::filesystem::path diskPath;
  std::string urlPath;  // where the site serves it: /files/<id>/<name>
  uint64_t size = 0;
};

class SiteStore {
 public:
  explicit SiteStore(std::filesystem::path directory);
  SiteStore(const SiteStore&) = delete;
  SiteStore& operator=(const SiteStore&) = delete;
  // Removes this run's staging folder.
  ~SiteStore();

  // Creates the folders and removes staging no running site holds; an error
  // text, empty on success.
  std::string Open();

  // A new empty folder of its own for one request's parts.
  std::optional<std::filesystem::path> NewStagingFolder() const;

  // Moves every staged file under a fresh id, in order. All or nothing: on a
  // failure the files already moved are removed again and none is listed.
  std::optional<std::vector<StoredFile>> Keep(const std::vector<StagedFile>& staged);

  // The disk path of the regular file an address names, or none when the id
  // or name could not be one of ours or no such file is there. Symbolic links
  // are never followed.
  std::optional<std::filesystem::path> Find(std::string_view id, std::string_view name) const;

  // Everything kept since Open, in order.
  std::vector<StoredFile> Stored() const;

  const std::filesystem::path& FilesFolder() const { return filesFolder_; }

 private:
  std::optional<uint64_t> ClaimId();
  void CloseRun();

  std::filesystem::path filesFolder_;
  std::filesystem::path incomingFolder_;
  std::filesystem::path recordPath_;
  std::filesystem::path runFolder_;  // this run's staging, locked through runLock_
  int runLock_ = -1;
  int record_ = -1;
  mutable std::mutex mutex_;
  uint64_t nextId_ = 1;
  std::vector<StoredFile> stored_;
};

}  // namespace varn::host
