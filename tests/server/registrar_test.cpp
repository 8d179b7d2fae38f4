#include "server/registrar.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/com/identifiers.h"

namespace varn::server {
namespace {

using system::RegistryErrorCode;
using system::RegistryKey;
using system::RegistryStatus;

constexpr char kModule[] = "/opt/varn/lib/VarnPostingTool.so";

// Every key as "path" and every value as "path|name=text", so two trees
// compare in full.
void Collect(const RegistryKey& key, const std::string& path, std::set<std::string>& out) {
  for (const RegistryKey::Value& value : key.Values()) {
    out.insert(path + "|" + (value.name.empty() ? "@" : value.name) + "=" + value.text);
  }
  for (const auto& subkey : key.Subkeys()) {
    const std::string subPath = path.empty() ? subkey->Name() : path + "\\" + subkey->Name();
    out.insert(subPath);
    Collect(*subkey, subPath, out);
  }
}

std::set<std::string> Entries(const RegistryKey& root) {
  std::set<std::string> out;
  Collect(root, "", out);
  return out;
}

const std::string* Value(const RegistryKey& root, std::string_view path,
                         std::string_view name = "") {
  const RegistryKey* key = root.FindPath(path);
  return key == nullptr ? nullptr : key->GetValue(name);
}

TEST(Registrar, RegistersAndUnregistersWithNoRemoveAndForceRemove) {
  constexpr char kScript[] = R"(
    HKCR
    {
      NoRemove Shared
      {
        val Mine = s 'it''s %NAME%'
        Owned = s '%% of %NAME%'
        {
          val Flag = s '1'
        }
        ForceRemove Fresh = s 'new'
        {
          Inner
        }
        Delete Obsolete
      }
    })";
  const RegistrarSymbols symbols{{"NAME", "x'y {z}"}};
  RegistryKey root;
  RegistryKey& shared = root.Open("SHARED");
  shared.SetValue("Foreign", "kept");
  shared.Open("ForeignKey");
  shared.OpenPath("fresh\\Stale").SetValue("", "old");
  shared.Open("Obsolete");

  ASSERT_TRUE(RegisterScript(kScript, symbols, root));
  EXPECT_EQ(Entries(root), (std::set<std::string>{
                               "SHARED",
                               "SHARED|Foreign=kept",
                               "SHARED|Mine=it's x'y {z}",
                               "SHARED\\ForeignKey",
                               "SHARED\\Owned",
                               "SHARED\\Owned|@=% of x'y {z}",
                               "SHARED\\Owned|Flag=1",
                               "SHARED\\Fresh",
                               "SHARED\\Fresh|@=new",
                               "SHARED\\Fresh\\Inner",
                           }));

  ASSERT_TRUE(UnregisterScript(kScript, symbols, root));
  EXPECT_EQ(Entries(root), (std::set<std::string>{
                               "SHARED",
                               "SHARED|Foreign=kept",
                               "SHARED\\ForeignKey",
                           }));
}

TEST(Registrar, MalformedScriptsChangeNothing) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"other root", "HKLM { A }"},
      {"no brace", "HKCR A"},
      {"unclosed", "HKCR { A { B }"},
      {"stray close", "HKCR { A } }"},
      {"unterminated quote", "HKCR { A = s 'abc }"},
      {"dword value", "HKCR { A = d '1' }"},
      {"value missing", "HKCR { A = s }"},
      {"val without value", "HKCR { val A }"},
      {"name missing", "HKCR { NoRemove }"},
      {"unknown symbol", "HKCR { A = s '%NOPE%' }"},
      {"lone percent", "HKCR { A = s '50%' }"},
      {"backslash in name", "HKCR { 'A\\B' }"},
      {"empty name", "HKCR { '' }"},
      {"too deep",
       [] {
         std::string script = "HKCR {";
         for (int i = 0; i < 40; ++i) script += " A {";
         for (int i = 0; i <= 40; ++i) script += " }";
         return script;
       }()},
  };
  for (const auto& [name, script] : cases) {
    RegistryKey root;
    root.Open("A").SetValue("", "before");
    for (const bool registering : {true, false}) {
      const RegistryStatus status =
          registering ? RegisterScript(script, {}, root) : UnregisterScript(script, {}, root);
      EXPECT_EQ(status.code, RegistryErrorCode::EditFailed) << name;
      EXPECT_NE(status.message.find("line 1"), std::string::npos) << name << status.message;
      EXPECT_EQ(Entries(root), (std::set<std::string>{"A", "A|@=before"})) << name;
    }
  }
}

struct ClassRow {
  const char* name;
  CLSID clsid;
  int script;
  int bitmap;  // 0 for the plain automation object
};

const std::vector<ClassRow>& Classes() {
  static const std::vector<ClassRow> rows = {
      {"BlogActiveXPackage", CLSID_BlogActiveXPackage, kBlogActiveXPackageRegistrationScript, 0},
      {"DrawingControl", CLSID_DrawingControl, kDrawingControlRegistrationScript, 105},
      {"ImageEditControl", CLSID_ImageEditControl, kImageEditControlRegistrationScript, 102},
      {"ProfileImageCropper", CLSID_ProfileImageCropper, kProfileImageCropperRegistrationScript,
       108},
  };
  return rows;
}

// What the module's scripts must write, built from the identifiers so a
// script whose literal ids drift from them fails.
std::set<std::string> ExpectedModuleEntries() {
  const std::string appId = GuidText(APPID_VarnPostingTool);
  std::set<std::string> out = {
      "AppID",
      "AppID\\" + appId,
      "AppID\\" + appId + "|@=VarnPostingTool",
      "AppID\\VarnPostingTool.DLL",
      "AppID\\VarnPostingTool.DLL|AppID=" + appId,
      "CLSID",
  };
  for (const ClassRow& row : Classes()) {
    const std::string name = row.name;
    const std::string description = name + " Class";
    const std::string progId = "VarnPostingTool." + name + ".1";
    const std::string independent = "VarnPostingTool." + name;
    const std::string clsid = GuidText(row.clsid);
    const std::string key = "CLSID\\" + clsid;
    out.insert({
        progId,
        progId + "|@=" + description,
        progId + "\\CLSID",
        progId + "\\CLSID|@=" + clsid,
        independent,
        independent + "|@=" + description,
        independent + "\\CLSID",
        independent + "\\CLSID|@=" + clsid,
        independent + "\\CurVer",
        independent + "\\CurVer|@=" + progId,
        key,
        key + "|@=" + description,
        key + "|AppID=" + appId,
        key + "\\ProgID",
        key + "\\ProgID|@=" + progId,
        key + "\\VersionIndependentProgID",
        key + "\\VersionIndependentProgID|@=" + independent,
        key + "\\Programmable",
        key + "\\InprocServer32",
        key + "\\InprocServer32|@=" + kModule,
        key + "\\InprocServer32|ThreadingModel=Apartment",
        key + "\\TypeLib",
        key + "\\TypeLib|@=" + GuidText(LIBID_VarnPostingToolLib),
    });
    if (row.bitmap != 0) {
      out.insert({
          key + "\\Control",
          key + "\\ToolboxBitmap32",
          key + "\\ToolboxBitmap32|@=" + kModule + ", " + std::to_string(row.bitmap),
          key + "\\MiscStatus",
          key + "\\MiscStatus|@=0",
          key + "\\MiscStatus\\1",
          key + "\\MiscStatus\\1|@=131473",
          key + "\\Version",
          key + "\\Version|@=1.0",
      });
    }
  }
  return out;
}

class ModuleScripts : public ::testing::Test {
 protected:
  RegistryStatus Register(RegistryKey& root) {
    for (const int id : ScriptIds()) {
      if (RegistryStatus status = RegisterScript(RegistrationScript(id), symbols_, root); !status) {
        return status;
      }
    }
    return {};
  }
  RegistryStatus Unregister(RegistryKey& root) {
    for (const int id : ScriptIds()) {
      if (RegistryStatus status = UnregisterScript(RegistrationScript(id), symbols_, root);
          !status) {
        return status;
      }
    }
    return {};
  }
  static std::vector<int> ScriptIds() {
    std::vector<int> ids = {kAppRegistrationScript};
    for (const ClassRow& row : Classes()) ids.push_back(row.script);
    return ids;
  }

  const RegistrarSymbols symbols_ = ModuleSymbols(kModule);
};

TEST_F(ModuleScripts, WriteExactlyTheClassesKeysAndValues) {
  RegistryKey root;
  ASSERT_TRUE(Register(root));
  EXPECT_EQ(Entries(root), ExpectedModuleEntries());

  // A second registration changes nothing.
  ASSERT_TRUE(Register(root));
  EXPECT_EQ(Entries(root), ExpectedModuleEntries());
}

TEST_F(ModuleScripts, HoldTheIdentifiersOfTheirClass) {
  for (const ClassRow& row : Classes()) {
    const std::string_view script = RegistrationScript(row.script);
    ASSERT_FALSE(script.empty()) << row.name;
    EXPECT_NE(script.find(GuidText(row.clsid)), script.npos) << row.name;
    EXPECT_NE(script.find(GuidText(LIBID_VarnPostingToolLib)), script.npos) << row.name;
  }
  EXPECT_EQ(GuidText(CLSID_DrawingControl), "{D44D178F-0AC1-468D-8D71-FEFFCA9F62EC}");
}

TEST_F(ModuleScripts, ProgIdLeadsThroughCurVerToTheModule) {
  RegistryKey root;
  ASSERT_TRUE(Register(root));
  for (const ClassRow& row : Classes()) {
    const std::string independent = std::string("varnpostingtool.") + row.name;
    const std::string* curVer = Value(root, independent + "\\CurVer");
    ASSERT_NE(curVer, nullptr) << row.name;
    const std::string* clsid = Value(root, *curVer + "\\CLSID");
    ASSERT_NE(clsid, nullptr) << row.name;
    EXPECT_EQ(*clsid, GuidText(row.clsid));
    const std::string* module = Value(root, "CLSID\\" + *clsid + "\\InprocServer32");
    ASSERT_NE(module, nullptr) << row.name;
    EXPECT_EQ(*module, kModule);
    EXPECT_EQ(root.FindPath("CLSID\\" + *clsid + "\\Control") != nullptr, row.bitmap != 0);
  }
}

TEST_F(ModuleScripts, ReregistrationReplacesTheClassKeyAndUnregistrationKeepsOthers) {
  RegistryKey root;
  root.OpenPath("CLSID\\{00000000-0000-0000-0000-00000000F00D}").SetValue("", "Foreign");
  root.OpenPath("AppID\\{00000000-0000-0000-0000-00000000F00D}");
  root.OpenPath("Foreign.Program").SetValue("", "x");
  // A leftover of an older version under the class key goes on registration.
  root.OpenPath("CLSID\\" + GuidText(CLSID_DrawingControl) + "\\Implemented Categories");
  const std::set<std::string> foreign = {
      "CLSID",
      "CLSID\\{00000000-0000-0000-0000-00000000F00D}",
      "CLSID\\{00000000-0000-0000-0000-00000000F00D}|@=Foreign",
      "AppID",
      "AppID\\{00000000-0000-0000-0000-00000000F00D}",
      "Foreign.Program",
      "Foreign.Program|@=x",
  };

  ASSERT_TRUE(Register(root));
  std::set<std::string> expected = ExpectedModuleEntries();
  expected.insert(foreign.begin(), foreign.end());
  EXPECT_EQ(Entries(root), expected);

  ASSERT_TRUE(Unregister(root));
  EXPECT_EQ(Entries(root), foreign);

  RegistryKey empty;
  ASSERT_TRUE(Register(empty));
  ASSERT_TRUE(Unregister(empty));
  EXPECT_EQ(Entries(empty), (std::set<std::string>{"AppID", "CLSID"}));
}

TEST(ModuleSymbols, NameTheModuleApplicationAndMiscStatus) {
  const RegistrarSymbols symbols = ModuleSymbols("/m.so");
  EXPECT_EQ(symbols.at("MODULE"), "/m.so");
  EXPECT_EQ(symbols.at("APPID"), "{C78C92CF-AD6F-40E2-8B11-45BBDAFD40B1}");
  EXPECT_EQ(symbols.at("OLEMISC"), "131473");
}

}  // namespace
}  // namespace varn::server
