// The example page run end to end by the runner, as the README's demo runs it:
// the picture the site stored is the picture the page showed.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace varn::host::testing {
namespace {

struct RunnerResult {
  int exitCode = -1;
  QString output;
  QJsonObject session;
};

RunnerResult RunScript(const QString& script, const QString& outputDir, const QStringList& extra) {
  QDir(outputDir).removeRecursively();
  QProcess runner;
  runner.setProcessChannelMode(QProcess::MergedChannels);
  runner.start(QStringLiteral(VARN_PAGE_RUNNER),
               QStringList{QStringLiteral("--out"), outputDir} + extra + QStringList{script});
  RunnerResult run;
  if (!runner.waitForFinished(120000)) {
    runner.kill();
    runner.waitForFinished();
  }
  run.exitCode = runner.exitStatus() == QProcess::NormalExit ? runner.exitCode() : -1;
  run.output = QString::fromUtf8(runner.readAll());
  QFile session(QDir(outputDir).filePath(QStringLiteral("session.json")));
  if (session.open(QIODevice::ReadOnly)) {
    run.session = QJsonDocument::fromJson(session.readAll()).object();
  }
  return run;
}

RunnerResult RunExample(const QString& outputDir, const QStringList& extra) {
  return RunScript(QStringLiteral(VARN_EXAMPLES_DIR "/drawing.js"), outputDir, extra);
}

QString StoredPath(const QJsonObject& session, const QString& field) {
  for (const QJsonValue& file : session.value(QStringLiteral("stored")).toArray()) {
    if (file.toObject().value(QStringLiteral("field")).toString() == field) {
      return file.toObject().value(QStringLiteral("path")).toString();
    }
  }
  return {};
}

QString OutputDir(const char* name) {
  return QDir(QString::fromUtf8(::testing::TempDir().c_str())).filePath(QLatin1String(name));
}

TEST(ExamplePage, HeadlessRunStoresThePictureThePageShowed) {
  const RunnerResult run = RunExample(OutputDir("example-headless"), {});
  ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
  EXPECT_TRUE(run.output.contains(QStringLiteral("event OnUploadFileComplete(0)")));
  EXPECT_TRUE(run.output.contains(QStringLiteral("event OnChangeTab(4)")));
  EXPECT_EQ(run.session.value(QStringLiteral("errors")).toInt(), 0);

  const QImage stored(StoredPath(run.session, QStringLiteral("image0")));
  const QImage thumbnail(StoredPath(run.session, QStringLiteral("timage0")));
  const QJsonArray snapshots = run.session.value(QStringLiteral("snapshots")).toArray();
  ASSERT_FALSE(stored.isNull()) << run.output.toStdString();
  ASSERT_EQ(snapshots.size(), 1);
  const QImage shown(snapshots[0].toString());
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(thumbnail.size(), QSize(160, 120));

  ASSERT_EQ(stored.size(), shown.size());
  int different = 0;
  int coloured = 0;
  for (int y = 0; y < stored.height(); ++y) {
    for (int x = 0; x < stored.width(); ++x) {
      const QRgb picture = stored.pixel(x, y) | 0xFF000000u;
      different += picture != (shown.pixel(x, y) | 0xFF000000u) ? 1 : 0;
      coloured += picture != qRgb(255, 255, 255) ? 1 : 0;
    }
  }
  EXPECT_EQ(different, 0);
  // The example draws a stroke, a line, an ellipse, a box and a text.
  EXPECT_GT(coloured, 10000);
}

TEST(ExamplePage, InAWindowTheScriptedButtonsChangeTheTool) {
  const QString dir = OutputDir("example-window");
  const QString screenshot = QDir(dir).filePath(QStringLiteral("window.png"));
  const RunnerResult run = RunExample(dir, {QStringLiteral("--window"), QStringLiteral("--play"),
                                            QStringLiteral("--screenshot"), screenshot});
  ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
  EXPECT_TRUE(run.output.contains(QStringLiteral("event OnChangeTab(4)")));
  EXPECT_TRUE(run.output.contains(QStringLiteral("event OnUploadFileComplete(0)")));
  const QImage window(screenshot);
  ASSERT_FALSE(window.isNull());
  EXPECT_GT(window.width(), 300);
  EXPECT_GT(window.height(), 300);
}

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
