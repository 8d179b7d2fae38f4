#include "platform/system/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>

#include "platform/system/unique_fd.h"
#include "platform/system/utf_convert.h"

namespace varn::system {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRootName = "HKEY_CLASSES_ROOT";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsValidUtf8(std::string_view text) {
  // The conversions replace every bad sequence, so a text survives the round
  // trip unchanged exactly when it was valid.
  return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

bool HasControl(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7f'; });
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of(std::string_view("\n\r\0", 3)) != text.npos;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

RegistryStatus MalformedAt(std::size_t line, std::string_view what) {
  return RegistryStatus::Failure(RegistryErrorCode::Malformed,
                                 "line " + std::to_string(line) + ": " + std::string(what));
}

// Reads a quoted text at the start of `rest`, consuming it; false on a
// missing quote or an escape other than \\ and \".
bool TakeQuoted(std::string_view& rest, std::string& text) {
  if (rest.empty() || rest.front() != '"') return false;
  text.clear();
  for (std::size_t i = 1; i < rest.size(); ++i) {
    const char c = rest[i];
    if (c == '"') {
      rest.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\') {
      if (i + 1 >= rest.size() || (rest[i + 1] != '\\' && rest[i + 1] != '"')) return false;
      text += rest[++i];
    } else {
      text += c;
    }
  }
  return false;
}

std::string_view NextComponent(std::string_view& path) {
  const std::size_t slash = path.find('\\');
  std::string_view part = path.substr(0, slash);
  path = slash == path.npos ? std::string_view() : path.substr(slash + 1);
  return part;
}

RegistryStatus FormatKey(const RegistryKey& key, const std::string& path, std::size_t depth,
                         std::string& out) {
  if (depth > kMaxRegistryDepth) {
    return RegistryStatus::Failure(RegistryErrorCode::Malformed,
                                   "keys nested deeper than " + std::to_string(kMaxRegistryDepth));
  }
  if (depth > 0 || !key.Values().empty()) {
    out += "\n[";
    out += path;
    out += "]\n";
    for (const RegistryKey::Value& value : key.Values()) {
      if (HasControl(value.name) || HasLineBreak(value.text)) {
        return RegistryStatus::Failure(
            RegistryErrorCode::InvalidName,
            "value \"" + value.name + "\" of " + path + " holds a control character or line break");
      }
      out += value.name.empty() ? std::string("@") : Quote(value.name);
      out += '=';
      out += Quote(value.text);
      out += '\n';
    }
  }
  for (const auto& subkey : key.Subkeys()) {
    const std::string& name = subkey->Name();
    if (name.empty() || name.find('\\') != name.npos || HasControl(name)) {
      std::string message = "key \"";
      message.append(name).append("\" under ").append(path);
      message += " is empty or holds a backslash or control character";
      return RegistryStatus::Failure(RegistryErrorCode::InvalidName, std::move(message));
    }
    std::string subPath = path;
    subPath.append("\\").append(name);
    if (RegistryStatus status = FormatKey(*subkey, subPath, depth + 1, out); !status) {
      return status;
    }
  }
  return {};
}

RegistryStatus FileFailure(RegistryErrorCode code, const std::string& what, const std::string& path,
                           FileError error) {
  return RegistryStatus::Failure(code, what + " " + path + ": " + FileErrorName(error), error);
}

// Opens the store for reading, refusing what the user does not alone control.
// A missing file gives an invalid descriptor and no error.
RegistryStatus OpenStore(const std::string& path, UniqueFd& fd, struct stat& st) {
  fd.Reset(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) {
    if (errno == ENOENT) return {};
    if (errno == ELOOP) {
      return FileFailure(RegistryErrorCode::Unsafe, "refusing the registry", path,
                         FileError::IsLink);
    }
    return FileFailure(RegistryErrorCode::Io, "cannot open the registry", path,
                       FileErrorFromErrno(errno));
  }
  if (fstat(fd.Get(), &st) != 0) {
    return FileFailure(RegistryErrorCode::Io, "cannot inspect the registry", path,
                       FileErrorFromErrno(errno));
  }
  if (!S_ISREG(st.st_mode)) {
    return FileFailure(RegistryErrorCode::Unsafe, "refusing the registry", path,
                       FileError::NotRegularFile);
  }
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return FileFailure(RegistryErrorCode::Unsafe, "refusing the registry", path,
                       FileError::OpenToOthers);
  }
  return {};
}

RegistryStatus ReadOpenStore(const std::string& path, int fd, const struct stat& st,
                             RegistryKey& root) {
  if (static_cast<uint64_t>(st.st_size) > kMaxRegistryFileSize) {
    return FileFailure(RegistryErrorCode::TooLarge, "refusing the registry", path,
                       FileError::TooLarge);
  }
  std::string text;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      return FileFailure(RegistryErrorCode::Io, "cannot read the registry", path,
                         FileErrorFromErrno(errno));
    }
    if (count == 0) break;
    if (text.size() + static_cast<std::size_t>(count) > kMaxRegistryFileSize) {
      return FileFailure(RegistryErrorCode::TooLarge, "refusing the registry", path,
                         FileError::TooLarge);
    }
    text.append(buffer, static_cast<std::size_t>(count));
  }
  RegistryStatus status = ParseRegistry(text, root);
  if (!status) status.message = path + ": " + status.message;
  return status;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Creates the missing folders on the way to `directory`, private to the user.
FileError MakeDirectories(const std::string& directory) {
  struct stat st {};
  if (stat(directory.c_str(), &st) == 0) {
    return S_ISDIR(st.st_mode) ? FileError::None : FileError::NotDirectory;
  }
  if (errno != ENOENT) return FileErrorFromErrno(errno);
  const std::string parent = DirectoryOf(directory);
  if (parent != directory) {
    if (FileError error = MakeDirectories(parent); error != FileError::None) return error;
  }
  if (mkdir(directory.c_str(), S_IRWXU) != 0 && errno != EEXIST) return FileErrorFromErrno(errno);
  return FileError::None;
}

FileError WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0) {
      if (errno == EINTR) continue;
      return FileErrorFromErrno(errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  return FileError::None;
}

// Writes the new store beside the old one and renames it over, flushing the
// file and then its folder so a crash leaves one whole version. The mode is
// set explicitly: a loose umask must not make the store writable by others
// (it would then be refused on the next read).
FileError ReplaceStore(const std::string& path, std::string_view text, mode_t mode) {
  const std::string sibling = path + ".new";
  ::unlink(sibling.c_str());  // a leftover of a crash; the lock is held
  UniqueFd fd(open(sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                   S_IRUSR | S_IWUSR));
  if (!fd.Valid()) return FileErrorFromErrno(errno);
  FileError error = FileError::None;
  if (fchmod(fd.Get(), mode) != 0) error = FileErrorFromErrno(errno);
  if (error == FileError::None) error = WriteAll(fd.Get(), text);
  if (error == FileError::None && fsync(fd.Get()) != 0) error = FileErrorFromErrno(errno);
  if (error == FileError::None && ::close(fd.Release()) != 0) error = FileErrorFromErrno(errno);
  if (error == FileError::None && ::rename(sibling.c_str(), path.c_str()) != 0) {
    error = FileErrorFromErrno(errno);
  }
  if (error != FileError::None) {
    ::unlink(sibling.c_str());
    return error;
  }
  UniqueFd directory(open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.Valid()) fsync(directory.Get());
  return FileError::None;
}

}  // namespace

bool RegistryNamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

RegistryKey::RegistryKey(const RegistryKey& other) : name_(other.name_), values_(other.values_) {
  subkeys_.reserve(other.subkeys_.size());
  for (const auto& subkey : other.subkeys_) {
    subkeys_.push_back(std::make_unique<RegistryKey>(*subkey));
  }
}

RegistryKey& RegistryKey::operator=(const RegistryKey& other) {
  if (this != &other) *this = RegistryKey(other);
  return *this;
}

RegistryKey::~RegistryKey() = default;

RegistryKey* RegistryKey::Find(std::string_view name) {
  for (const auto& subkey : subkeys_) {
    if (RegistryNamesEqual(subkey->name_, name)) return subkey.get();
  }
  return nullptr;
}

const RegistryKey* RegistryKey::Find(std::string_view name) const {
  return const_cast<RegistryKey*>(this)->Find(name);
}

RegistryKey& RegistryKey::Open(std::string_view name) {
  if (RegistryKey* existing = Find(name)) return *existing;
  subkeys_.push_back(std::make_unique<RegistryKey>(std::string(name)));
  return *subkeys_.back();
}

bool RegistryKey::Remove(std::string_view name) {
  const auto it = std::find_if(subkeys_.begin(), subkeys_.end(), [&](const auto& subkey) {
    return RegistryNamesEqual(subkey->name_, name);
  });
  if (it == subkeys_.end()) return false;
  subkeys_.erase(it);
  return true;
}

RegistryKey* RegistryKey::FindPath(std::string_view path) {
  RegistryKey* key = this;
  while (key != nullptr && !path.empty()) key = key->Find(NextComponent(path));
  return key;
}

const RegistryKey* RegistryKey::FindPath(std::string_view path) const {
  return const_cast<RegistryKey*>(this)->FindPath(path);
}

RegistryKey& RegistryKey::OpenPath(std::string_view path) {
  RegistryKey* key = this;
  while (!path.empty()) key = &key->Open(NextComponent(path));
  return *key;
}

const std::string* RegistryKey::GetValue(std::string_view name) const {
  for (const Value& value : values_) {
    if (RegistryNamesEqual(value.name, name)) return &value.text;
  }
  return nullptr;
}

void RegistryKey::SetValue(std::string_view name, std::string text) {
  for (Value& value : values_) {
    if (RegistryNamesEqual(value.name, name)) {
      value.text = std::move(text);
      return;
    }
  }
  values_.push_back(Value{std::string(name), std::move(text)});
}

bool RegistryKey::RemoveValue(std::string_view name) {
  const auto it = std::find_if(values_.begin(), values_.end(), [&](const Value& value) {
    return RegistryNamesEqual(value.name, name);
  });
  if (it == values_.end()) return false;
  values_.erase(it);
  return true;
}

RegistryStatus FormatRegistry(const RegistryKey& root, std::string& text) {
  std::string out(kHeader);
  out += '\n';
  RegistryStatus status = FormatKey(root, std::string(kRootName), 0, out);
  if (!status) return status;
  if (!IsValidUtf8(out)) {
    return RegistryStatus::Failure(RegistryErrorCode::InvalidName,
                                   "a key or value is not valid UTF-8");
  }
  text = std::move(out);
  return {};
}

RegistryStatus ParseRegistry(std::string_view text, RegistryKey& root) {
  RegistryKey tree;
  if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
  if (!IsValidUtf8(text)) return MalformedAt(1, "the file is not valid UTF-8");
  RegistryKey* current = nullptr;
  std::size_t lineNumber = 0;
  bool sawHeader = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == text.npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!sawHeader) {
      if (line != kHeader) return MalformedAt(lineNumber, "the first line is not the header");
      sawHeader = true;
      continue;
    }
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.size() < 2 || line.back() != ']') return MalformedAt(lineNumber, "unclosed key");
      std::string_view path = line.substr(1, line.size() - 2);
      if (!RegistryNamesEqual(path.substr(0, kRootName.size()), kRootName)) {
        return MalformedAt(lineNumber, "a key outside HKEY_CLASSES_ROOT");
      }
      path.remove_prefix(kRootName.size());
      if (!path.empty()) {
        if (path.front() != '\\') return MalformedAt(lineNumber, "a key outside HKEY_CLASSES_ROOT");
        path.remove_prefix(1);
        if (path.empty() || path.back() == '\\')
          return MalformedAt(lineNumber, "an empty key name");
      }
      current = &tree;
      std::size_t depth = 0;
      while (!path.empty()) {
        const std::string_view name = NextComponent(path);
        if (name.empty() || HasControl(name)) return MalformedAt(lineNumber, "an empty key name");
        if (++depth > kMaxRegistryDepth) return MalformedAt(lineNumber, "keys nested too deep");
        current = &current->Open(name);
      }
      continue;
    }
    if (current == nullptr) return MalformedAt(lineNumber, "a value before the first key");
    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else if (!TakeQuoted(line, name)) {
      return MalformedAt(lineNumber, "a value name that is not a quoted text");
    } else if (name.empty()) {
      return MalformedAt(lineNumber, "an empty value name");
    }
    if (line.empty() || line.front() != '=') return MalformedAt(lineNumber, "'=' missing");
    line.remove_prefix(1);
    std::string value;
    if (!TakeQuoted(line, value)) {
      return MalformedAt(lineNumber, "a value that is not a quoted text");
    }
    if (!line.empty()) return MalformedAt(lineNumber, "text after the value");
    current->SetValue(name, std::move(value));
  }
  if (!sawHeader && lineNumber > 0) return MalformedAt(1, "the first line is not the header");
  root = std::move(tree);
  return {};
}

std::string DefaultRegistryPath() {
  const char* explicitPath = std::getenv("VARN_REGISTRY");
  if (explicitPath != nullptr && explicitPath[0] != '\0') return explicitPath;
  std::string base;
  // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return {};
    base = std::string(home) + "/.config";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/varnpostingtool/registry.reg";
}

RegistryStatus ReadRegistry(const std::string& path, RegistryKey& root) {
  if (path.empty()) {
    return RegistryStatus::Failure(RegistryErrorCode::InvalidPath, "no registry path");
  }
  UniqueFd fd;
  struct stat st {};
  if (RegistryStatus status = OpenStore(path, fd, st); !status) return status;
  if (!fd.Valid()) {
    root = RegistryKey();
    return {};
  }
  return ReadOpenStore(path, fd.Get(), st, root);
}

RegistryStatus UpdateRegistry(const std::string& path, const RegistryEdit& edit) {
  if (path.empty() || path.back() == '/') {
    return RegistryStatus::Failure(RegistryErrorCode::InvalidPath,
                                   "not a registry file path: '" + path + "'");
  }
  if (FileError error = MakeDirectories(DirectoryOf(path)); error != FileError::None) {
    return FileFailure(RegistryErrorCode::Io, "cannot make the folder of", path, error);
  }

  // The store itself is replaced on every write, so the lock lives on a file
  // of its own that stays.
  const std::string lockPath = path + ".lock";
  UniqueFd lock(open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                     S_IRUSR | S_IWUSR));
  if (!lock.Valid()) {
    const FileError error = errno == ELOOP ? FileError::IsLink : FileErrorFromErrno(errno);
    return FileFailure(
        error == FileError::IsLink ? RegistryErrorCode::Unsafe : RegistryErrorCode::Io,
        "cannot open the lock", lockPath, error);
  }
  struct stat lockStat {};
  if (fstat(lock.Get(), &lockStat) != 0 || !S_ISREG(lockStat.st_mode)) {
    return FileFailure(RegistryErrorCode::Unsafe, "refusing the lock", lockPath,
                       FileError::NotRegularFile);
  }
  while (flock(lock.Get(), LOCK_EX) != 0) {
    if (errno != EINTR) {
      return FileFailure(RegistryErrorCode::Io, "cannot lock", lockPath, FileErrorFromErrno(errno));
    }
  }

  UniqueFd fd;
  struct stat st {};
  if (RegistryStatus status = OpenStore(path, fd, st); !status) return status;
  RegistryKey root;
  mode_t mode = S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH;
  if (fd.Valid()) {
    if (RegistryStatus status = ReadOpenStore(path, fd.Get(), st, root); !status) return status;
    mode = st.st_mode & 07777;
    fd.Reset();
  }

  RegistryStatus status;
  try {
    status = edit(root);
  } catch (const std::bad_alloc&) {
    return RegistryStatus::Failure(RegistryErrorCode::EditFailed, "out of memory",
                                   FileError::OutOfMemory);
  }
  if (!status) return status;
  std::string text;
  if (status = FormatRegistry(root, text); !status) return status;
  if (text.size() > kMaxRegistryFileSize) {
    return FileFailure(RegistryErrorCode::TooLarge, "the registry would grow too large:", path,
                       FileError::TooLarge);
  }
  if (FileError error = ReplaceStore(path, text, mode); error != FileError::None) {
    return FileFailure(RegistryErrorCode::Io, "cannot write the registry", path, error);
  }
  return {};
}

}  // namespace varn::system
