// The runner's exit codes: a page that throws or fails a check, and what
// cannot run at all.
#include <QElapsedTimer>
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

// A page that never ends is stopped at its time limit, with the line it was
// running, wherever the loop is: the page's own code, a control's event
// handler, or a window waiting for a member who never comes.
TEST(PageRunner, PagesPastTheirTimeLimitAreStoppedWithTheirLine) {
  struct Case {
    const char* script;
    const char* code;
    QStringList extra;
    // Where the page was stopped: the line of the page's call into the host,
    // or only the file for a loop that never calls out; empty: between
    // events.
    const char* place;
  };
  const Case cases[] = {
      {"loops.js", "page.print('started');\nwhile (true) {}\n", {}, "/loops.js)"},
      {"calls-out.js",
       "var n = 0;\nfor (;;) {\n  n += page.path('x').length;\n}\n",
       {},
       "/calls-out.js:3)"},
      {"handler-loops.js",
       "var b = page.create('DrawingControl');\nb.OnAddLayer = function () {\n  for (;;) {}\n};\n"
       "b.AddLayer();\n",
       {},
       "/handler-loops.js:5)"},
      {"waits.js", "page.print('waiting for the member');\n", {QStringLiteral("--window")}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    QElapsedTimer clock;
    clock.start();
    const RunnerResult run =
        RunScript(WriteScript(c.script, c.code), OutputDir(c.script) + QStringLiteral("-out"),
                  QStringList{QStringLiteral("--timeout"), QStringLiteral("1")} + c.extra);
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QStringLiteral("ran past its time limit of 1 s")))
        << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QLatin1String(c.place))) << run.output.toStdString();
    EXPECT_GE(run.session.value(QStringLiteral("errors")).toInt(), 1);
  }
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

  const RunnerResult badTimeout = RunScript(WriteScript("empty.js", ""), OutputDir("badtimeout"),
                                            {QStringLiteral("--timeout"), QStringLiteral("soon")});
  EXPECT_EQ(badTimeout.exitCode, 64) << badTimeout.output.toStdString();
}

}  // namespace
}  // namespace varn::host::testing
