// Finding a class and its module in the registry store: by ProgID (through
// CurVer), by bare class name or by class id, and the page creating its
// controls that way.
#include <gtest/gtest.h>

#include <QFile>

#include <string>

#include "host/page/class_lookup.h"
#include "platform/com/identifiers.h"
#include "tests/host/page/page_fixture.h"

namespace varn::host::testing {
namespace {

constexpr const char* kStore = R"(Windows Registry Editor Version 5.00

[HKEY_CLASSES_ROOT\VarnPostingTool.DrawingControl]
@="DrawingControl Class"

[HKEY_CLASSES_ROOT\VarnPostingTool.DrawingControl\CLSID]
@="{00000000-0000-0000-0000-000000000000}"

[HKEY_CLASSES_ROOT\VarnPostingTool.DrawingControl\CurVer]
@="VarnPostingTool.DrawingControl.1"

[HKEY_CLASSES_ROOT\VarnPostingTool.DrawingControl.1\CLSID]
@="{D44D178F-0AC1-468D-8D71-FEFFCA9F62EC}"

[HKEY_CLASSES_ROOT\CLSID\{D44D178F-0AC1-468D-8D71-FEFFCA9F62EC}\InprocServer32]
@="/opt/varn/VarnPostingTool.so"

[HKEY_CLASSES_ROOT\Loop.A\CurVer]
@="Loop.B"

[HKEY_CLASSES_ROOT\Loop.B\CurVer]
@="Loop.A"

[HKEY_CLASSES_ROOT\Dangling.Thing\CurVer]
@="Dangling.Thing.1"

[HKEY_CLASSES_ROOT\NoServer.1\CLSID]
@="{ADBF4DF2-FDE6-4D19-91B7-110440944712}"

[HKEY_CLASSES_ROOT\CLSID\{ADBF4DF2-FDE6-4D19-91B7-110440944712}]
@="ImageEditControl Class"

[HKEY_CLASSES_ROOT\Relative.1\CLSID]
@="{642BDB8B-93F5-4268-AF15-676BCEFDF8EF}"

[HKEY_CLASSES_ROOT\CLSID\{642BDB8B-93F5-4268-AF15-676BCEFDF8EF}\InprocServer32]
@="VarnPostingTool.so"
)";

TEST(ClassLookup, NamesLeadThroughTheStoreToClassAndModule) {
  system::RegistryKey root;
  ASSERT_TRUE(system::ParseRegistry(kStore, root).Ok());
  struct Case {
    const char* name;
    const char* error;  // null: found as the drawing board in /opt/varn
  };
  const Case cases[] = {
      // The version-independent ProgID's CurVer wins over its own CLSID.
      {"VarnPostingTool.DrawingControl", nullptr},
      {"varnpostingtool.drawingcontrol.1", nullptr},
      {"DrawingControl", nullptr},
      {"{d44d178f-0ac1-468d-8d71-feffca9f62ec}", nullptr},
      {"Nothing", "no class VarnPostingTool.Nothing in the registry store"},
      {"{D44D178F-0AC1-468D-8D71-FEFFCA9F62E}", "is not a class id"},
      {"{D44D178F-0AC1-468D-8D71-FEFFCA9F62EX}", "is not a class id"},
      {"{11111111-0AC1-468D-8D71-FEFFCA9F62EC}", "no class {11111111"},
      {"Loop.A", "is not in the registry store"},
      {"Dangling.Thing", "current version Dangling.Thing.1 is not in the registry store"},
      {"NoServer.1", "names no module path"},
      {"Relative.1", "names no module path"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    ClassLocation location;
    std::string error;
    const bool found = LocateClass(root, test.name, location, error);
    if (test.error == nullptr) {
      ASSERT_TRUE(found) << error;
      EXPECT_EQ(location.clsid, CLSID_DrawingControl);
      EXPECT_EQ(location.modulePath, "/opt/varn/VarnPostingTool.so");
    } else {
      EXPECT_FALSE(found);
      EXPECT_NE(error.find(test.error), std::string::npos) << error;
    }
  }
}

// The page finds its controls' module in the store, as a browser does.
class RegistryPage : public PageFixture {
 protected:
  void SetUp() override {
    registry_ = QDir(OutputDir()).filePath(QStringLiteral("registry.reg"));
    QFile store(registry_);
    ASSERT_TRUE(store.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QByteArray text(kStore);
    text.replace("/opt/varn/VarnPostingTool.so", VARN_MODULE_PATH);
    store.write(text);
    store.close();
    ASSERT_TRUE(store.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    PageSettings settings;
    settings.outputDir = OutputDir();
    page_ = std::make_unique<ScriptPage>(registry_.toStdString(), settings, nullptr,
                                         [](const QString&) {});
  }
  void TearDown() override { page_.reset(); }

  QString registry_;
  std::unique_ptr<ScriptPage> page_;
};

TEST_F(RegistryPage, ControlsAreCreatedByProgIdThroughTheStore) {
  EXPECT_EQ(page_->Module(), nullptr);
  const QJSValue made = page_->Evaluate(
      QStringLiteral("page.create('VarnPostingTool.DrawingControl', 100, 100).imageWidth + ',' + "
                     "page.create('{D44D178F-0AC1-468D-8D71-FEFFCA9F62EC}', 10, 10).imageHeight"));
  EXPECT_EQ(made.toString(), QStringLiteral("300,300"));
  ASSERT_NE(page_->Module(), nullptr);
  EXPECT_EQ(page_->Module()->Path(), VARN_MODULE_PATH);

  const QJSValue missing = page_->Engine().evaluate(
      QStringLiteral("(function () { try { page.create('NoServer.1', 10, 10); } "
                     "catch (e) { return e.name + ': ' + e.message; } })()"));
  EXPECT_TRUE(
      missing.toString().startsWith(QStringLiteral("TypeError: the registry store names "
                                                   "no module path")))
      << missing.toString().toStdString();
  EXPECT_EQ(page_->Errors(), 0);
}

}  // namespace
}  // namespace varn::host::testing
