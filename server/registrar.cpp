#include "server/registrar.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/com/identifiers.h"
#include "platform/system/resource.h"

namespace varn::server {
namespace {

using system::RegistryErrorCode;
using system::RegistryKey;
using system::RegistryStatus;

// Deeper scripts are refused before they are applied, as the store would
// refuse the tree they make.
constexpr std::size_t kMaxScriptDepth = 32;

struct Token {
  std::string text;
  bool quoted = false;
  std::size_t line = 0;
};

enum class KeyMode { Normal, NoRemove, ForceRemove, Delete };

// One entry of a script: a key with its optional default value and entries
// below, or a named value (`val`).
struct Entry {
  bool isValue = false;
  KeyMode mode = KeyMode::Normal;
  std::string name;
  std::optional<std::string> text;
  std::vector<Entry> children;
};

bool Is(const Token& token, std::string_view word) {
  return !token.quoted && system::RegistryNamesEqual(token.text, word);
}

RegistryStatus ScriptError(std::size_t line, std::string what) {
  return RegistryStatus::Failure(
      RegistryErrorCode::EditFailed,
      "registration script, line " + std::to_string(line) + ": " + std::move(what));
}

RegistryStatus Tokenize(std::string_view script, std::vector<Token>& tokens) {
  std::size_t line = 1;
  std::size_t i = 0;
  while (i < script.size()) {
    const char c = script[i];
    if (c == '\n') ++line;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    Token token;
    token.line = line;
    if (c == '\'') {
      token.quoted = true;
      for (++i;; ++i) {
        if (i >= script.size()) return ScriptError(token.line, "unterminated quoted text");
        if (script[i] == '\'') {
          if (i + 1 < script.size() && script[i + 1] == '\'') {
            token.text += '\'';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        if (script[i] == '\n') ++line;
        token.text += script[i];
      }
    } else {
      while (i < script.size() && script[i] != ' ' && script[i] != '\t' && script[i] != '\r' &&
             script[i] != '\n' && script[i] != '\'') {
        token.text += script[i++];
      }
    }
    tokens.push_back(std::move(token));
  }
  return {};
}

// Replaces %NAME% from the symbols; %% is one percent sign.
RegistryStatus Substitute(const Token& token, const RegistrarSymbols& symbols, std::string& out) {
  out.clear();
  const std::string_view text = token.text;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    const std::size_t close = text.find('%', i + 1);
    if (close == text.npos) return ScriptError(token.line, "a '%' without its closing '%'");
    const std::string_view name = text.substr(i + 1, close - i - 1);
    if (name.empty()) {
      out += '%';
    } else {
      const auto it = symbols.find(name);
      if (it == symbols.end()) {
        return ScriptError(token.line, "unknown symbol %" + std::string(name) + "%");
      }
      out += it->second;
    }
    i = close;
  }
  return {};
}

class Parser {
 public:
  Parser(std::span<const Token> tokens, const RegistrarSymbols& symbols)
      : tokens_(tokens), symbols_(symbols) {}

  // The whole script: root blocks, each `HKCR { ... }`.
  RegistryStatus ParseScript(std::vector<Entry>& roots) {
    while (pos_ < tokens_.size()) {
      const Token& root = tokens_[pos_++];
      if (!Is(root, "HKCR") && !Is(root, "HKEY_CLASSES_ROOT")) {
        return ScriptError(root.line, "only HKCR can be written, not '" + root.text + "'");
      }
      Entry entry;
      entry.mode = KeyMode::NoRemove;
      if (RegistryStatus status = ExpectOpen(); !status) return status;
      if (RegistryStatus status = ParseBlock(entry.children, 1); !status) return status;
      roots.push_back(std::move(entry));
    }
    return {};
  }

 private:
  const Token* Peek() const { return pos_ < tokens_.size() ? &tokens_[pos_] : nullptr; }
  std::size_t LastLine() const { return tokens_.empty() ? 1 : tokens_.back().line; }

  RegistryStatus ExpectOpen() {
    const Token* token = Peek();
    if (token == nullptr || !Is(*token, "{")) {
      return ScriptError(token ? token->line : LastLine(), "'{' expected");
    }
    ++pos_;
    return {};
  }

  RegistryStatus Name(const Token& token, std::string& name) {
    if (!token.quoted && (token.text == "{" || token.text == "}" || token.text == "=")) {
      return ScriptError(token.line, "a name expected, not '" + token.text + "'");
    }
    if (RegistryStatus status = Substitute(token, symbols_, name); !status) return status;
    if (name.empty() || name.find('\\') != name.npos) {
      return ScriptError(token.line,
                         "a key or value name must be one non-empty name: '" + name + "'");
    }
    return {};
  }

  // `= s 'text'`, after the name.
  RegistryStatus Assignment(std::string& text) {
    ++pos_;  // the '='
    const Token* type = Peek();
    if (type == nullptr) return ScriptError(LastLine(), "a value type expected after '='");
    if (!Is(*type, "s")) {
      return ScriptError(type->line,
                         "only string values (s) are supported, not '" + type->text + "'");
    }
    ++pos_;
    const Token* value = Peek();
    if (value == nullptr) return ScriptError(LastLine(), "a value expected");
    if (!value->quoted && (value->text == "{" || value->text == "}")) {
      return ScriptError(value->line, "a value expected, not '" + value->text + "'");
    }
    ++pos_;
    return Substitute(*value, symbols_, text);
  }

  // Entries up to and including the closing brace.
  RegistryStatus ParseBlock(std::vector<Entry>& entries, std::size_t depth) {
    if (depth > kMaxScriptDepth) return ScriptError(tokens_[pos_ - 1].line, "nested too deep");
    for (;;) {
      const Token* token = Peek();
      if (token == nullptr) return ScriptError(LastLine(), "'}' missing at the end");
      if (Is(*token, "}")) {
        ++pos_;
        return {};
      }
      Entry entry;
      if (Is(*token, "val")) {
        entry.isValue = true;
        ++pos_;
      } else if (Is(*token, "NoRemove")) {
        entry.mode = KeyMode::NoRemove;
        ++pos_;
      } else if (Is(*token, "ForceRemove")) {
        entry.mode = KeyMode::ForceRemove;
        ++pos_;
      } else if (Is(*token, "Delete")) {
        entry.mode = KeyMode::Delete;
        ++pos_;
      }
      const Token* nameToken = Peek();
      if (nameToken == nullptr) return ScriptError(LastLine(), "a name expected");
      ++pos_;
      if (RegistryStatus status = Name(*nameToken, entry.name); !status) return status;
      const Token* next = Peek();
      if (next != nullptr && Is(*next, "=")) {
        std::string text;
        if (RegistryStatus status = Assignment(text); !status) return status;
        entry.text = std::move(text);
      } else if (entry.isValue) {
        return ScriptError(nameToken->line, "'=' expected after val " + entry.name);
      }
      next = Peek();
      if (!entry.isValue && next != nullptr && Is(*next, "{")) {
        ++pos_;
        if (RegistryStatus status = ParseBlock(entry.children, depth + 1); !status) return status;
      }
      entries.push_back(std::move(entry));
    }
  }

  std::span<const Token> tokens_;
  const RegistrarSymbols& symbols_;
  std::size_t pos_ = 0;
};

RegistryStatus Parse(std::string_view script, const RegistrarSymbols& symbols,
                     std::vector<Entry>& roots) {
  std::vector<Token> tokens;
  if (RegistryStatus status = Tokenize(script, tokens); !status) return status;
  return Parser(tokens, symbols).ParseScript(roots);
}

void Register(const std::vector<Entry>& entries, RegistryKey& key) {
  for (const Entry& entry : entries) {
    if (entry.isValue) {
      key.SetValue(entry.name, *entry.text);
      continue;
    }
    if (entry.mode == KeyMode::ForceRemove || entry.mode == KeyMode::Delete) {
      key.Remove(entry.name);
      if (entry.mode == KeyMode::Delete) continue;
    }
    RegistryKey& subkey = key.Open(entry.name);
    if (entry.text) subkey.SetValue("", *entry.text);
    Register(entry.children, subkey);
  }
}

void Unregister(const std::vector<Entry>& entries, RegistryKey& key) {
  for (const Entry& entry : entries) {
    if (entry.isValue) {
      key.RemoveValue(entry.name);
    } else if (entry.mode == KeyMode::NoRemove) {
      if (RegistryKey* subkey = key.Find(entry.name)) Unregister(entry.children, *subkey);
    } else if (entry.mode != KeyMode::Delete) {
      key.Remove(entry.name);
    }
  }
}

}  // namespace

RegistryStatus RegisterScript(std::string_view script, const RegistrarSymbols& symbols,
                              RegistryKey& root) {
  std::vector<Entry> roots;
  if (RegistryStatus status = Parse(script, symbols, roots); !status) return status;
  for (const Entry& entry : roots) Register(entry.children, root);
  return {};
}

RegistryStatus UnregisterScript(std::string_view script, const RegistrarSymbols& symbols,
                                RegistryKey& root) {
  std::vector<Entry> roots;
  if (RegistryStatus status = Parse(script, symbols, roots); !status) return status;
  for (const Entry& entry : roots) Unregister(entry.children, root);
  return {};
}

std::string_view RegistrationScript(int resourceId) {
  const std::span<const std::byte> bytes = system::FindResource(resourceId);
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string GuidText(const GUID& guid) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

RegistrarSymbols ModuleSymbols(std::string modulePath) {
  return RegistrarSymbols{{"MODULE", std::move(modulePath)},
                          {"APPID", GuidText(APPID_VarnPostingTool)},
                          {"OLEMISC", std::to_string(kControlMiscStatus)}};
}

}  // namespace varn::server
