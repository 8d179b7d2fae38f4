// The runner's exit codes: a page that throws or fails a check, and what
// cannot run at all.
#include <QFile>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

#include "tests/host/page/runner_process.h"

namespace varn::host::testing {
namespace {

// A page script written for the test.
QString WriteScript(const char* name, const char* code) {
  const QString path = OutputDir(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(code);
  return path;
}

TEST(PageRunner, ScriptErrorsAndFailedChecksFailTheRun) {
  const RunnerResult thrown = RunScript(WriteScript("throws.js",
                                                    "var b = page.create('DrawingControl');\n"
                                                    "b.paletteColor = '#12';\n"),
                                        OutputDir("throws"), {});
  EXPECT_EQ(thrown.exitCode, 1) << thrown.output.toStdString();
  EXPECT_TRUE(thrown.output.contains(QStringLiteral("E_INVALIDARG")))
      << thrown.output.toStdString();
  EXPECT_TRUE(thrown.output.contains(QStringLiteral("throws.js:2)")))
      << thrown.output.toStdString();
  EXPECT_EQ(thrown.session.value(QStringLiteral("errors")).toInt(), 1);

  const RunnerResult failed =
      RunScript(WriteScript("fails.js", "page.fail('checked and wrong'); page.print('goes on');"),
                OutputDir("fails"), {});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_TRUE(failed.output.contains(QStringLiteral("error: checked and wrong")));
  EXPECT_TRUE(failed.output.contains(QStringLiteral("goes on")));
}

TEST(PageRunner, WhatCannotRunEndsWithAReason) {
  const RunnerResult noScript = RunScript(OutputDir("missing.js"), OutputDir("missing"), {});
  EXPECT_EQ(noScript.exitCode, 2);
  EXPECT_TRUE(noScript.output.contains(QStringLiteral("cannot read the page script")));

  const RunnerResult noModule =
      RunScript(WriteScript("empty.js", ""), OutputDir("nomodule"),
                {QStringLiteral("--module"), OutputDir("no-such-module.so")});
  EXPECT_EQ(noModule.exitCode, 2);
  EXPECT_TRUE(noModule.output.contains(QStringLiteral("cannot load")))
      << noModule.output.toStdString();
}

}  // namespace
}  // namespace varn::host::testing
