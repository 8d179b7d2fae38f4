// The editor's example page run end to end by the runner: every photo and
// thumbnail reaches the site, and the stored first picture is the picture
// the page showed, but for the JPEG's loss.
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/host/page/runner_process.h"

namespace varn::host::testing {
namespace {

QString StoredPath(const QJsonObject& session, const QString& field) {
  for (const QJsonValue& file : session.value(QStringLiteral("stored")).toArray()) {
    if (file.toObject().value(QStringLiteral("field")).toString() == field) {
      return file.toObject().value(QStringLiteral("path")).toString();
    }
  }
  return {};
}

QString SnapshotNamed(const QJsonObject& session, const QString& name) {
  for (const QJsonValue& snapshot : session.value(QStringLiteral("snapshots")).toArray()) {
    if (snapshot.toString().endsWith(name)) return snapshot.toString();
  }
  return {};
}

TEST(EditorExamplePage, HeadlessRunStoresEveryPhotoAsThePageShowedIt) {
  const RunnerResult run =
      RunScript(QStringLiteral(VARN_EXAMPLES_DIR "/editor.js"), OutputDir("editor-example"), {});
  ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
  EXPECT_EQ(run.session.value(QStringLiteral("errors")).toInt(), 0);
  EXPECT_TRUE(run.output.contains(QStringLiteral("event OnUploadFileComplete(0)")));
  // The sideways photo is shown upright.
  EXPECT_TRUE(run.output.contains(QStringLiteral("event OnChangeSize(240, 180)")));

  for (const char* field : {"image0", "image1", "image2", "timage0", "timage1", "timage2"}) {
    const QImage stored(StoredPath(run.session, QString::fromLatin1(field)));
    ASSERT_FALSE(stored.isNull()) << field << "\n" << run.output.toStdString();
    if (field[0] == 't') {
      EXPECT_EQ(stored.size(), QSize(160, 120)) << field;
    }
  }

  const QImage stored(StoredPath(run.session, QStringLiteral("image0")));
  const QImage shown(SnapshotNamed(run.session, QStringLiteral("editor-shown.png")));
  ASSERT_FALSE(shown.isNull());
  ASSERT_EQ(stored.size(), shown.size());
  long long difference = 0;
  int far = 0;
  for (int y = 0; y < stored.height(); ++y) {
    for (int x = 0; x < stored.width(); ++x) {
      const QRgb a = stored.pixel(x, y);
      const QRgb b = shown.pixel(x, y);
      const int d = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                    std::abs(qBlue(a) - qBlue(b));
      difference += d;
      far += d > 120 ? 1 : 0;
    }
  }
  const long long pixels = static_cast<long long>(stored.width()) * stored.height();
  // JPEG at quality 80 moves edges a little, never whole areas.
  EXPECT_LT(difference / pixels, 6);
  EXPECT_LT(far, pixels / 200);
}

}  // namespace
}  // namespace varn::host::testing
