// The example page run end to end by the runner, as the README's demo runs it:
// the picture the site stored is the picture the page showed.
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

#include "tests/host/page/runner_process.h"

namespace varn::host::testing {
namespace {

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

}  // namespace
}  // namespace varn::host::testing
