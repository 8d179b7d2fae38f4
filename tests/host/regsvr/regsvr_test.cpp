// varn-regsvr registering and unregistering the module in a scratch store,
// and failing cleanly on a store it must not or cannot use.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/system/registry_store.h"

namespace {

namespace fs = std::filesystem;

struct RegsvrRun {
  int exitCode = -1;
  std::string output;
};

// varn-regsvr with VARN_REGISTRY set to store; stdout and stderr together.
RegsvrRun RunRegsvr(const fs::path& store, const std::string& arguments) {
  const std::string command =
      "VARN_REGISTRY='" + store.string() + "' '" VARN_REGSVR "' " + arguments + " 2>&1";
  RegsvrRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

fs::path Scratch(const char* name) {
  const fs::path dir = fs::path(::testing::TempDir()) / "regsvr" / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

varn::system::RegistryKey ReadStore(const fs::path& store) {
  varn::system::RegistryKey root;
  const varn::system::RegistryStatus read = varn::system::ReadRegistry(store.string(), root);
  EXPECT_TRUE(read.Ok()) << read.message;
  return root;
}

const std::string kModule = fs::canonical(VARN_MODULE_PATH).string();
constexpr const char* kDrawingClass = "CLSID\\{D44D178F-0AC1-468D-8D71-FEFFCA9F62EC}";
constexpr const char* kAppId = "AppID\\{C78C92CF-AD6F-40E2-8B11-45BBDAFD40B1}";
constexpr const char* kLibrary = "TypeLib\\{DCA98E9A-FC3C-475B-A73D-F2FFBA2EDA4B}\\1.0";
constexpr const char* kForeign =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CLASSES_ROOT\\Other.Module]\r\n@=\"kept\"\r\n";

TEST(Regsvr, RegistersThenUnregistersKeepingSharedAndForeignKeys) {
  const fs::path store = Scratch("cycle") / "registry.reg";
  { std::ofstream(store, std::ios::binary) << kForeign; }
  fs::permissions(store, fs::perms::owner_read | fs::perms::owner_write);

  const RegsvrRun registered = RunRegsvr(store, "'" + kModule + "'");
  ASSERT_EQ(registered.exitCode, 0) << registered.output;
  EXPECT_NE(registered.output.find("registry store: " + store.string()), std::string::npos)
      << registered.output;
  EXPECT_NE(registered.output.find("registered " + kModule), std::string::npos);
  {
    const varn::system::RegistryKey root = ReadStore(store);
    const auto* server = root.FindPath(std::string(kDrawingClass) + "\\InprocServer32");
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(*server->GetValue(""), kModule);
    const auto* curVer = root.FindPath("VarnPostingTool.DrawingControl\\CurVer");
    ASSERT_NE(curVer, nullptr);
    EXPECT_EQ(*curVer->GetValue(""), "VarnPostingTool.DrawingControl.1");
    EXPECT_NE(root.FindPath(kAppId), nullptr);
    EXPECT_NE(root.FindPath(kLibrary), nullptr);
    EXPECT_NE(root.FindPath("Other.Module"), nullptr);
  }

  const RegsvrRun unregistered = RunRegsvr(store, "-u '" + kModule + "'");
  ASSERT_EQ(unregistered.exitCode, 0) << unregistered.output;
  EXPECT_NE(unregistered.output.find("unregistered " + kModule), std::string::npos);
  const varn::system::RegistryKey root = ReadStore(store);
  for (const char* gone : {"VarnPostingTool.DrawingControl", "VarnPostingTool.DrawingControl.1",
                           "VarnPostingTool.BlogActiveXPackage", kDrawingClass, kLibrary}) {
    EXPECT_EQ(root.FindPath(gone), nullptr) << gone;
  }
  for (const char* kept : {"CLSID", "AppID", "Other.Module"}) {
    EXPECT_NE(root.FindPath(kept), nullptr) << kept;
  }
}

// A store that is malformed, open to others or a link is refused: a failing
// exit with the reason, and the file as it was.
TEST(Regsvr, RefusedStoresFailAndStayUntouched) {
  struct Case {
    const char* name;
    const char* content;
    fs::perms mode;
    bool link;
    const char* reason;
  };
  const fs::perms privateMode = fs::perms::owner_read | fs::perms::owner_write;
  const Case cases[] = {
      {"malformed", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\A\r\n",
       privateMode, false, "malformed"},
      {"open-to-others", kForeign, privateMode | fs::perms::others_write, false, "refused"},
      {"link", kForeign, privateMode, true, "refused"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const fs::path dir = Scratch(test.name);
    const fs::path file = dir / "registry-file.reg";
    { std::ofstream(file, std::ios::binary) << test.content; }
    fs::permissions(file, test.mode);
    fs::path store = file;
    if (test.link) {
      store = dir / "registry.reg";
      fs::create_symlink(file, store);
    }
    for (const char* mode : {"", "-u "}) {
      const RegsvrRun run = RunRegsvr(store, mode + ("'" + kModule + "'"));
      EXPECT_EQ(run.exitCode, 1) << run.output;
      EXPECT_NE(run.output.find(test.reason), std::string::npos) << run.output;
      EXPECT_EQ(ReadFile(file), test.content);
      EXPECT_EQ(fs::status(file).permissions() & fs::perms::mask, test.mode);
    }
  }
}

TEST(Regsvr, UsageAndMissingModules) {
  const fs::path store = Scratch("usage") / "registry.reg";
  EXPECT_EQ(RunRegsvr(store, "").exitCode, 64);
  EXPECT_EQ(RunRegsvr(store, "-x module.so").exitCode, 64);
  const RegsvrRun missing =
      RunRegsvr(store, "'" + (store.parent_path() / "none.so").string() + "'");
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.output.find("cannot load"), std::string::npos) << missing.output;
  EXPECT_FALSE(fs::exists(store));
}

}  // namespace
