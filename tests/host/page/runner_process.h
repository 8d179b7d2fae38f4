// The page runner started as a process of its own on a page script: its exit
// code, everything it printed and the session it wrote.
#pragma once

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace varn::host::testing {

struct RunnerResult {
  int exitCode = -1;
  QString output;
  QJsonObject session;
};

inline RunnerResult RunScript(const QString& script, const QString& outputDir,
                              const QStringList& extra) {
  QDir(outputDir).removeRecursively();
  QProcess runner;
  runner.setProcessChannelMode(QProcess::MergedChannels);
  // The build's module unless the test names one: the user's registry store
  // is no business of the suite.
  QStringList module;
  if (!extra.contains(QStringLiteral("--module"))) {
    module << QStringLiteral("--module") << QStringLiteral(VARN_MODULE_PATH);
  }
  runner.start(QStringLiteral(VARN_PAGE_RUNNER), QStringList{QStringLiteral("--out"), outputDir} +
                                                     module + extra + QStringList{script});
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

// A path below the test's temporary folder.
inline QString OutputDir(const char* name) {
  return QDir(QString::fromUtf8(::testing::TempDir().c_str())).filePath(QLatin1String(name));
}

}  // namespace varn::host::testing
