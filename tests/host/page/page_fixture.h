// A headless page in the test's process: the module loaded as the runner
// loads it, a ScriptPage whose console lines the test reads, and Eval for
// snippets of page script.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QJSValue>
#include <QStringList>

#include <memory>

#include "host/page/module_link.h"
#include "host/page/script_page.h"

namespace varn::host::testing {

class PageFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QCoreApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "test_host_page";
      static char* argv[] = {name, nullptr};
      new QApplication(argc, argv);  // lives as long as the process
    }
    if (module_ == nullptr) module_ = new ModuleLink(VARN_MODULE_PATH);
  }

  void SetUp() override { OpenPage(nullptr); }
  void TearDown() override { page_.reset(); }

  void OpenPage(PageWindow* window) {
    page_.reset();
    PageSettings settings;
    settings.outputDir = OutputDir();
    settings.windowed = window != nullptr;
    page_ = std::make_unique<ScriptPage>(*module_, settings, window,
                                         [this](const QString& line) { lines_ << line; });
  }

  // The value of code; an uncaught exception fails the test.
  QJSValue Eval(const QString& code) {
    QJSValue value = page_->Evaluate(code);
    EXPECT_FALSE(value.isError()) << code.toStdString() << "\n  threw "
                                  << value.toString().toStdString();
    return value;
  }

  // The message of what code throws, or "" when it does not throw.
  QString Thrown(const QString& code) {
    QJSValue value = page_->Engine().evaluate(
        QStringLiteral("(function () { try { %1; return ''; } catch (e) { return e.name + ': ' + "
                       "e.message + (e.number === undefined ? '' : ' #' + e.number); } })()")
            .arg(code));
    return value.toString();
  }

  // The page's --out: a folder of its own in the test's temporary folder, so
  // that a test can put things beside it.
  static QString OutputDir() {
    const QString dir = QDir(QString::fromUtf8(::testing::TempDir().c_str())).filePath("page");
    QDir().mkpath(dir);
    return dir;
  }

  static ModuleLink& Module() { return *module_; }
  ScriptPage& Page() { return *page_; }
  const QStringList& Lines() const { return lines_; }

 private:
  static inline ModuleLink* module_ = nullptr;
  std::unique_ptr<ScriptPage> page_;
  QStringList lines_;
};

}  // namespace varn::host::testing
