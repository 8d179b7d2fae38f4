// The per-user registry store: the key tree under HKEY_CLASSES_ROOT that
// modules register themselves into and hosts read to find a class's module.
// It lives in one text file that reads like a registry export:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32]
//   @="/usr/lib/varnpostingtool/VarnPostingTool.so"
//   "ThreadingModel"="Apartment"
//
// Keys hold a default value and named string values; key and value names
// compare without regard to ASCII case, as the registry does, and keep the
// spelling they were first written with. Nothing here throws.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/system/file_error.h"

namespace varn::system {

// A file larger than this is refused rather than read.
inline constexpr std::size_t kMaxRegistryFileSize = std::size_t{16} << 20;
// Keys deeper than this below the root are refused, in files and in edits.
inline constexpr std::size_t kMaxRegistryDepth = 64;

enum class RegistryErrorCode {
  None,
  InvalidPath,  // no path could be found, or the path is empty
  Unsafe,       // the path is a link, not a regular file, or writable by others
  Malformed,    // the file is not a registry text this store can read
  TooLarge,     // the file exceeds kMaxRegistryFileSize
  InvalidName,  // a key or value that cannot be written (empty name, backslash, line break)
  EditFailed,   // the edit passed to UpdateRegistry refused
  Io,           // reading, locking or writing failed
};

// Success, or the reason for a failure with a message fit for a user (it names
// the file and, for a malformed one, the line).
struct RegistryStatus {
  RegistryErrorCode code = RegistryErrorCode::None;
  FileError fileError = FileError::None;  // the file system's reason, when there is one
  std::string message;

  static RegistryStatus Failure(RegistryErrorCode code, std::string message,
                                FileError fileError = FileError::None) {
    return RegistryStatus{code, fileError, std::move(message)};
  }
  bool Ok() const { return code == RegistryErrorCode::None; }
  explicit operator bool() const { return Ok(); }
};

// One key: its name, its values in the order first set, its subkeys in the
// order first created. References and pointers to a key stay valid until that
// key itself is removed.
class RegistryKey {
 public:
  struct Value {
    std::string name;  // empty for the default value
    std::string text;
  };

  RegistryKey() = default;
  explicit RegistryKey(std::string name) : name_(std::move(name)) {}
  RegistryKey(RegistryKey&&) noexcept = default;
  RegistryKey& operator=(RegistryKey&&) noexcept = default;
  RegistryKey(const RegistryKey& other);
  RegistryKey& operator=(const RegistryKey& other);
  ~RegistryKey();

  const std::string& Name() const { return name_; }

  // The direct subkey `name`, or null.
  RegistryKey* Find(std::string_view name);
  const RegistryKey* Find(std::string_view name) const;
  // The direct subkey `name`, created when missing.
  RegistryKey& Open(std::string_view name);
  // Removes the direct subkey `name` with everything below it; false when
  // there was none.
  bool Remove(std::string_view name);

  // The key at a backslash-separated path below this one
  // ("CLSID\\{...}\\InprocServer32"), or null; an empty path is this key.
  RegistryKey* FindPath(std::string_view path);
  const RegistryKey* FindPath(std::string_view path) const;
  // The key at `path`, created with the keys on the way when missing.
  RegistryKey& OpenPath(std::string_view path);

  // The text of value `name` (empty name: the default value), or null.
  const std::string* GetValue(std::string_view name) const;
  void SetValue(std::string_view name, std::string text);
  // False when there was no such value.
  bool RemoveValue(std::string_view name);

  const std::vector<Value>& Values() const { return values_; }
  const std::vector<std::unique_ptr<RegistryKey>>& Subkeys() const { return subkeys_; }
  bool Empty() const { return values_.empty() && subkeys_.empty(); }

 private:
  std::string name_;
  std::vector<Value> values_;
  std::vector<std::unique_ptr<RegistryKey>> subkeys_;
};

// Case-insensitive ASCII comparison, as keys and value names compare.
bool RegistryNamesEqual(std::string_view a, std::string_view b);

// The text form of a tree whose root stands for HKEY_CLASSES_ROOT. Fails with
// InvalidName or Malformed (too deep) when the tree cannot be written so that
// it reads back the same.
RegistryStatus FormatRegistry(const RegistryKey& root, std::string& text);

// Parses the text form into `root` (emptied first); Malformed (with the line) on anything it cannot
// read whole: another hive, a value that is not a string, a bad escape, invalid UTF-8, keys nested
// deeper than kMaxRegistryDepth.
RegistryStatus ParseRegistry(std::string_view text, RegistryKey& root);

// $VARN_REGISTRY when set and not empty, else
// $XDG_CONFIG_HOME/varnpostingtool/registry.reg, else
// $HOME/.config/varnpostingtool/registry.reg; empty when none can be made.
std::string DefaultRegistryPath();

// Reads the store; a missing file is an empty tree. The path is refused
// (Unsafe) when it is a symbolic link, not a regular file, or writable by
// group or others.
RegistryStatus ReadRegistry(const std::string& path, RegistryKey& root);

// A change to the tree; a status that is not Ok abandons the update.
using RegistryEdit = std::function<RegistryStatus(RegistryKey& root)>;

// The one way to change the store: under an exclusive lock held for the whole
// read-modify-write (a lock file beside the store, `path` + ".lock"), reads the
// file, applies `edit`, and writes the result to a new file beside the old one
// that is flushed to disk and renamed over it. Whatever fails (unsafe path,
// malformed file, the edit, the write) leaves the file as it was and is
// returned. Missing folders on the way to the file are created, private to
// the user.
RegistryStatus UpdateRegistry(const std::string& path, const RegistryEdit& edit);

}  // namespace varn::system
