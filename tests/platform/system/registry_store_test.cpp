#include "platform/system/registry_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/platform/system/scratch_directory.h"

namespace varn::system {
namespace {

using testing::ScratchDirectory;

constexpr char kHeader[] = "Windows Registry Editor Version 5.00\n";

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Spit(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
  chmod(path.c_str(), 0644);
}

std::string Format(const RegistryKey& root) {
  std::string text;
  const RegistryStatus status = FormatRegistry(root, text);
  EXPECT_TRUE(status) << status.message;
  return text;
}

RegistryStatus AddKey(const std::string& path, const std::string& keyPath) {
  return UpdateRegistry(path, [&](RegistryKey& root) {
    root.OpenPath(keyPath).SetValue("", keyPath);
    return RegistryStatus{};
  });
}

TEST(RegistryText, WritesEveryKeyAsASectionWithEscapesAndReadsItBack) {
  RegistryKey root;
  RegistryKey& clsid = root.OpenPath("CLSID\\{1234}");
  clsid.SetValue("", "A \"quoted\" C:\\path");
  clsid.SetValue("Name\\\"x", "Grüße");
  root.OpenPath("Empty\\Leaf");
  root.OpenPath("clsid\\{1234}\\InprocServer32").SetValue("ThreadingModel", "Apartment");

  const std::string text = Format(root);
  EXPECT_EQ(text, std::string(kHeader) +
                      "\n[HKEY_CLASSES_ROOT\\CLSID]\n"
                      "\n[HKEY_CLASSES_ROOT\\CLSID\\{1234}]\n"
                      "@=\"A \\\"quoted\\\" C:\\\\path\"\n"
                      "\"Name\\\\\\\"x\"=\"Grüße\"\n"
                      "\n[HKEY_CLASSES_ROOT\\CLSID\\{1234}\\InprocServer32]\n"
                      "\"ThreadingModel\"=\"Apartment\"\n"
                      "\n[HKEY_CLASSES_ROOT\\Empty]\n"
                      "\n[HKEY_CLASSES_ROOT\\Empty\\Leaf]\n");

  RegistryKey back;
  ASSERT_TRUE(ParseRegistry(text, back));
  EXPECT_EQ(Format(back), text);
  ASSERT_NE(back.FindPath("CLSID\\{1234}"), nullptr);
  EXPECT_EQ(*back.FindPath("CLSID\\{1234}")->GetValue("name\\\"X"), "Grüße");
}

TEST(RegistryText, NamesCompareWithoutAsciiCase) {
  RegistryKey root;
  const std::string text = std::string("\xEF\xBB\xBF") + kHeader +
                           "\r\n[HKEY_CLASSES_ROOT\\CLSID\\{ab}\\InprocServer32]\r\n"
                           "\"ThreadingModel\"=\"Apartment\"\r\n"
                           "; a comment\n"
                           "[hkey_classes_root\\clsid\\{AB}\\inprocserver32]\n"
                           "\"THREADINGMODEL\"=\"Both\"\n";
  ASSERT_TRUE(ParseRegistry(text, root));
  const RegistryKey* key = root.FindPath("clsid\\{AB}\\INPROCSERVER32");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Name(), "InprocServer32");  // the first spelling stays
  ASSERT_EQ(key->Values().size(), 1u);
  EXPECT_EQ(*key->GetValue("threadingmodel"), "Both");
  EXPECT_EQ(root.Subkeys().size(), 1u);
  // Only ASCII letters fold.
  root.Open("Ä");
  EXPECT_EQ(root.Find("ä"), nullptr);
  EXPECT_TRUE(root.Remove("cLsId"));
  EXPECT_EQ(root.FindPath("CLSID\\{ab}"), nullptr);
}

std::string Deep(std::size_t depth) {
  std::string path = "[HKEY_CLASSES_ROOT";
  for (std::size_t i = 0; i < depth; ++i) path += "\\k";
  return path + "]";
}

TEST(RegistryText, MalformedTextIsRefusedWhole) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"no header", "[HKEY_CLASSES_ROOT\\A]\n"},
      {"other header", "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\A]\n"},
      {"other hive", std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\A]\n"},
      {"deletion", std::string(kHeader) + "[-HKEY_CLASSES_ROOT\\A]\n"},
      {"unclosed key", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A\n"},
      {"empty key name", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A\\\\B]\n"},
      {"trailing backslash", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A\\]\n"},
      {"value first", std::string(kHeader) + "@=\"x\"\n"},
      {"dword", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A]\n\"N\"=dword:00000001\n"},
      {"bad escape", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A]\n@=\"a\\nb\"\n"},
      {"unterminated", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A]\n@=\"abc\n"},
      {"trailing text", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A]\n@=\"a\" x\n"},
      {"bare name", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A]\nName=\"a\"\n"},
      {"invalid utf-8", std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A\xC3]\n"},
      {"too deep", std::string(kHeader) + Deep(kMaxRegistryDepth + 1) + "\n"},
  };
  for (const auto& [name, text] : cases) {
    RegistryKey root;
    root.Open("Before");
    const RegistryStatus status = ParseRegistry(text, root);
    EXPECT_EQ(status.code, RegistryErrorCode::Malformed) << name;
    EXPECT_NE(status.message.find("line "), std::string::npos) << name;
    EXPECT_NE(root.Find("Before"), nullptr) << name << ": the tree was touched";
  }
  RegistryKey deepest;
  EXPECT_TRUE(ParseRegistry(std::string(kHeader) + Deep(kMaxRegistryDepth), deepest));
}

TEST(RegistryText, UnwritableNamesAndValuesAreRefused) {
  const std::vector<std::function<void(RegistryKey&)>> edits = {
      [](RegistryKey& root) { root.Open("a\\b"); },
      [](RegistryKey& root) { root.Open(""); },
      [](RegistryKey& root) { root.Open("line\nbreak"); },
      [](RegistryKey& root) { root.Open("A").SetValue("", "two\nlines"); },
      [](RegistryKey& root) { root.Open("A").SetValue("tab\tname", "x"); },
      [](RegistryKey& root) { root.Open("A").SetValue("", "\xFF"); },
  };
  for (std::size_t i = 0; i < edits.size(); ++i) {
    RegistryKey root;
    edits[i](root);
    std::string text = "unchanged";
    EXPECT_EQ(FormatRegistry(root, text).code, RegistryErrorCode::InvalidName) << i;
    EXPECT_EQ(text, "unchanged") << i;
  }
}

TEST(RegistryPath, FollowsTheEnvironment) {
  struct Case {
    const char* registry;
    const char* config;
    const char* home;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"/r/store.reg", "/c", "/h", "/r/store.reg"},
      {"", "/c/", "/h", "/c/varnpostingtool/registry.reg"},
      {nullptr, "relative", "/h", "/h/.config/varnpostingtool/registry.reg"},
      {nullptr, nullptr, "/h", "/h/.config/varnpostingtool/registry.reg"},
      {nullptr, nullptr, nullptr, ""},
  };
  const auto set = [](const char* name, const char* value) {
    if (value == nullptr) {
      unsetenv(name);
    } else {
      setenv(name, value, 1);
    }
  };
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  for (const Case& c : cases) {
    set("VARN_REGISTRY", c.registry);
    set("XDG_CONFIG_HOME", c.config);
    set("HOME", c.home);
    EXPECT_EQ(DefaultRegistryPath(), c.expected);
  }
  unsetenv("VARN_REGISTRY");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", savedHome.c_str(), 1);
}

class RegistryFile : public ::testing::Test {
 protected:
  ScratchDirectory dir_;
  const std::string path_ = dir_ / "config/varnpostingtool/registry.reg";
};

TEST_F(RegistryFile, MissingFileIsEmptyAndUpdatesKeepOtherEntries) {
  RegistryKey root;
  root.Open("Stale");
  ASSERT_TRUE(ReadRegistry(path_, root));
  EXPECT_TRUE(root.Empty());

  ASSERT_TRUE(AddKey(path_, "Other.Module\\CLSID"));
  ASSERT_TRUE(AddKey(path_, "Ours"));
  ASSERT_TRUE(ReadRegistry(path_, root));
  ASSERT_NE(root.FindPath("other.module\\clsid"), nullptr);
  EXPECT_EQ(*root.FindPath("Other.Module\\CLSID")->GetValue(""), "Other.Module\\CLSID");
  EXPECT_NE(root.Find("Ours"), nullptr);

  // The folders and the file are the user's: not writable by anyone else
  // whatever the umask, so the store is not refused when read next.
  struct stat st {};
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  ASSERT_EQ(stat((dir_ / "config").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(std::filesystem::exists(path_ + ".new"), false);
}

TEST_F(RegistryFile, FailuresLeaveTheFileUntouched) {
  ASSERT_TRUE(AddKey(path_, "Kept"));
  const std::string before = Slurp(path_);

  bool called = false;
  RegistryStatus status = UpdateRegistry(path_, [&](RegistryKey& root) {
    called = true;
    root.Remove("Kept");
    return RegistryStatus::Failure(RegistryErrorCode::EditFailed, "no");
  });
  EXPECT_TRUE(called);
  EXPECT_EQ(status.code, RegistryErrorCode::EditFailed);
  EXPECT_EQ(Slurp(path_), before);

  status = UpdateRegistry(path_, [](RegistryKey& root) {
    root.Remove("Kept");
    root.Open("A").SetValue("", "two\nlines");
    return RegistryStatus{};
  });
  EXPECT_EQ(status.code, RegistryErrorCode::InvalidName);
  EXPECT_EQ(Slurp(path_), before);

  const std::string malformed = std::string(kHeader) + "[HKEY_CLASSES_ROOT\\A]\n@=bare\n";
  Spit(path_, malformed);
  called = false;
  status = UpdateRegistry(path_, [&](RegistryKey&) {
    called = true;
    return RegistryStatus{};
  });
  EXPECT_EQ(status.code, RegistryErrorCode::Malformed);
  EXPECT_NE(status.message.find(path_ + ": line 3"), std::string::npos) << status.message;
  EXPECT_FALSE(called);
  EXPECT_EQ(Slurp(path_), malformed);
  RegistryKey root;
  EXPECT_EQ(ReadRegistry(path_, root).code, RegistryErrorCode::Malformed);

  ASSERT_EQ(truncate(path_.c_str(), kMaxRegistryFileSize + 1), 0);
  EXPECT_EQ(ReadRegistry(path_, root).code, RegistryErrorCode::TooLarge);
  EXPECT_EQ(AddKey(path_, "X").code, RegistryErrorCode::TooLarge);
  struct stat st {};
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(static_cast<std::size_t>(st.st_size), kMaxRegistryFileSize + 1);
}

TEST_F(RegistryFile, UnsafePathsAreRefused) {
  ASSERT_TRUE(AddKey(path_, "Kept"));
  const std::string original = Slurp(path_);
  const std::string link = dir_ / "link.reg";
  ASSERT_EQ(symlink(path_.c_str(), link.c_str()), 0);
  const std::string folder = dir_ / "folder.reg";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string fifo = dir_ / "fifo.reg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string groupWritable = dir_ / "group.reg";
  Spit(groupWritable, original);
  ASSERT_EQ(chmod(groupWritable.c_str(), 0664), 0);
  const std::string otherWritable = dir_ / "other.reg";
  Spit(otherWritable, original);
  ASSERT_EQ(chmod(otherWritable.c_str(), 0606), 0);
  const std::string underFile = path_ + "/inside.reg";

  struct Case {
    std::string path;
    RegistryErrorCode code;
  };
  const std::vector<Case> cases = {
      {link, RegistryErrorCode::Unsafe},          {folder, RegistryErrorCode::Unsafe},
      {fifo, RegistryErrorCode::Unsafe},          {groupWritable, RegistryErrorCode::Unsafe},
      {otherWritable, RegistryErrorCode::Unsafe}, {underFile, RegistryErrorCode::Io},
      {"", RegistryErrorCode::InvalidPath},
  };
  for (const Case& c : cases) {
    RegistryKey root;
    EXPECT_EQ(ReadRegistry(c.path, root).code, c.code) << c.path;
    EXPECT_EQ(AddKey(c.path, "New").code, c.code) << c.path;
  }
  EXPECT_EQ(Slurp(path_), original);
  EXPECT_EQ(Slurp(groupWritable), original);
  EXPECT_EQ(Slurp(otherWritable), original);
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(RegistryFile, ConcurrentUpdatesFromTwoProcessesAllLand) {
  constexpr int kEach = 25;
  std::vector<pid_t> children;
  for (int process = 0; process < 2; ++process) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int i = 0; i < kEach; ++i) {
        ok = AddKey(path_, "P" + std::to_string(process) + "\\K" + std::to_string(i)).Ok() && ok;
      }
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  RegistryKey root;
  ASSERT_TRUE(ReadRegistry(path_, root));
  for (int process = 0; process < 2; ++process) {
    const RegistryKey* key = root.Find("P" + std::to_string(process));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->Subkeys().size(), static_cast<std::size_t>(kEach));
  }
}

}  // namespace
}  // namespace varn::system
