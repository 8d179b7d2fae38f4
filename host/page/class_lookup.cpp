#include "host/page/class_lookup.h"

#include <charconv>

namespace varn::host {

namespace {

// CurVer may name another version-independent key; a loop stops here.
constexpr int kMaxCurVerHops = 8;

const std::string* DefaultOf(const system::RegistryKey* key) {
  return key != nullptr ? key->GetValue("") : nullptr;
}

template <typename T>
bool HexField(std::string_view text, T& value) {
  if (text.size() != sizeof(T) * 2) return false;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return failure == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool ParseClassId(std::string_view text, CLSID& clsid) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  if (text.size() != 38 || text.front() != '{' || text.back() != '}' || text[9] != '-' ||
      text[14] != '-' || text[19] != '-' || text[24] != '-') {
    return false;
  }
  CLSID parsed{};
  uint16_t clockSequence = 0;
  if (!HexField(text.substr(1, 8), parsed.Data1) || !HexField(text.substr(10, 4), parsed.Data2) ||
      !HexField(text.substr(15, 4), parsed.Data3) || !HexField(text.substr(20, 4), clockSequence)) {
    return false;
  }
  parsed.Data4[0] = static_cast<uint8_t>(clockSequence >> 8);
  parsed.Data4[1] = static_cast<uint8_t>(clockSequence & 0xFF);
  for (int i = 0; i < 6; ++i) {
    if (!HexField(text.substr(25 + 2 * i, 2), parsed.Data4[2 + i])) return false;
  }
  clsid = parsed;
  return true;
}

bool LocateClass(const system::RegistryKey& root, std::string_view name, ClassLocation& location,
                 std::string& error) {
  std::string classId;
  if (name.starts_with('{')) {
    classId = name;
  } else {
    std::string progId(name);
    if (progId.find('.') == std::string::npos) progId = "VarnPostingTool." + progId;
    const system::RegistryKey* key = root.Find(progId);
    if (key == nullptr) {
      error = "no class " + progId + " in the registry store";
      return false;
    }
    for (int hop = 0; const std::string* current = DefaultOf(key->Find("CurVer")); ++hop) {
      const system::RegistryKey* next = root.Find(*current);
      if (next == nullptr || hop == kMaxCurVerHops) {
        error = progId + "'s current version " + *current + " is not in the registry store";
        return false;
      }
      progId = *current;
      key = next;
    }
    const std::string* clsidText = DefaultOf(key->Find("CLSID"));
    if (clsidText == nullptr) {
      error = progId + " names no class id in the registry store";
      return false;
    }
    classId = *clsidText;
  }
  CLSID clsid{};
  if (!ParseClassId(classId, clsid)) {
    error = "'" + classId + "' is not a class id";
    return false;
  }
  const system::RegistryKey* classKey = root.FindPath("CLSID\\" + classId);
  if (classKey == nullptr) {
    error = "no class " + classId + " in the registry store";
    return false;
  }
  const std::string* modulePath = DefaultOf(classKey->Find("InprocServer32"));
  if (modulePath == nullptr || !modulePath->starts_with('/')) {
    error = "the registry store names no module path for class " + classId;
    return false;
  }
  location.clsid = clsid;
  location.modulePath = *modulePath;
  return true;
}

}  // namespace varn::host
