// DllRegisterServer and DllUnregisterServer of the code linked into this test:
// the store named by VARN_REGISTRY, the module path they write, and the
// errors a refused store gives, with the file left as it was.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/com/identifiers.h"
#include "platform/system/registry_store.h"
#include "server/exports.h"
#include "server/registrar.h"

namespace varn::server {
namespace {

namespace fs = std::filesystem;

fs::path Scratch(const char* name) {
  const fs::path dir = fs::path(::testing::TempDir()) / "exports" / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// VARN_REGISTRY for the length of a test.
class StoreEnvironment {
 public:
  explicit StoreEnvironment(const fs::path& store) { setenv("VARN_REGISTRY", store.c_str(), 1); }
  ~StoreEnvironment() { unsetenv("VARN_REGISTRY"); }
};

TEST(Registration, WritesThisModuleIntoTheStoreAndTakesItOut) {
  const fs::path store = Scratch("cycle") / "registry.reg";
  const StoreEnvironment environment(store);
  // Linked into this test, the module is the test's own executable.
  const std::string module = fs::canonical("/proc/self/exe").string();
  EXPECT_EQ(OwnModulePath(), module);

  ASSERT_EQ(DllRegisterServer(), S_OK);
  system::RegistryKey root;
  ASSERT_TRUE(system::ReadRegistry(store.string(), root).Ok());
  for (const CLSID* clsid : {&CLSID_BlogActiveXPackage, &CLSID_DrawingControl,
                             &CLSID_ImageEditControl, &CLSID_ProfileImageCropper}) {
    const auto* server = root.FindPath("CLSID\\" + GuidText(*clsid) + "\\InprocServer32");
    ASSERT_NE(server, nullptr) << GuidText(*clsid);
    EXPECT_EQ(*server->GetValue(""), module);
  }
  const std::string library = "TypeLib\\" + GuidText(LIBID_VarnPostingToolLib) + "\\1.0";
  const auto* linux64 = root.FindPath(library + "\\0\\linux64");
  ASSERT_NE(linux64, nullptr);
  EXPECT_EQ(*linux64->GetValue(""), module);
  const std::string registered = ReadFile(store);
  // Registering again changes nothing.
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(ReadFile(store), registered);

  ASSERT_EQ(DllUnregisterServer(), S_OK);
  ASSERT_TRUE(system::ReadRegistry(store.string(), root).Ok());
  EXPECT_EQ(root.FindPath("CLSID\\" + GuidText(CLSID_DrawingControl)), nullptr);
  EXPECT_EQ(root.FindPath(library), nullptr);
  EXPECT_NE(root.FindPath("AppID"), nullptr);
  EXPECT_NE(root.FindPath("CLSID"), nullptr);
}

// Each refused store gives its own error, for registering and unregistering
// alike, and the file stays as it was.
TEST(Registration, RefusedStoresGiveTheirErrorAndStayUntouched) {
  struct Case {
    const char* name;
    const char* content;  // null: the store is a folder
    fs::perms mode;
    HRESULT expected;
  };
  const fs::perms privateMode = fs::perms::owner_read | fs::perms::owner_write;
  const Case cases[] = {
      {"malformed", "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n",
       privateMode, kRegistryCorrupt},
      {"open-to-others", "Windows Registry Editor Version 5.00\n",
       privateMode | fs::perms::group_write, kRegistryAccessDenied},
      {"folder", nullptr, fs::perms::owner_all, kRegistryAccessDenied},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const fs::path store = Scratch(test.name) / "registry.reg";
    if (test.content != nullptr) {
      std::ofstream(store, std::ios::binary) << test.content;
    } else {
      fs::create_directory(store);
    }
    fs::permissions(store, test.mode);
    const StoreEnvironment environment(store);
    EXPECT_EQ(DllRegisterServer(), test.expected);
    EXPECT_EQ(DllUnregisterServer(), test.expected);
    std::string message;
    EXPECT_EQ(UpdateModuleRegistration(store.string(), "/opt/VarnPostingTool.so",
                                       RegistrationMode::kRegister, &message),
              test.expected);
    EXPECT_FALSE(message.empty());
    if (test.content != nullptr) {
      EXPECT_EQ(ReadFile(store), test.content);
    }
    EXPECT_EQ(fs::status(store).permissions() & fs::perms::mask, test.mode);
  }
}

}  // namespace
}  // namespace varn::server
