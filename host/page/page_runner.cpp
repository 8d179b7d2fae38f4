#include "host/page/page_runner.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <ostream>
#include <random>
#include <stdexcept>
#include <thread>

#include "host/page/script_page.h"
#include "host/site/embedded_site.h"

namespace varn::host {

namespace {

// Lines from the page and from the site's threads, one at a time.
class Console {
 public:
  explicit Console(std::ostream& out) : out_(out) {}
  void Line(const QString& text) {
    std::lock_guard lock(mutex_);
    out_ << text.toStdString() << '\n' << std::flush;
  }

 private:
  std::ostream& out_;
  std::mutex mutex_;
};

QString RandomHex(int bytes) {
  std::random_device device;
  QString text;
  for (int i = 0; i < bytes; ++i) {
    text += QStringLiteral("%1").arg(device() & 0xFF, 2, 16, QLatin1Char('0'));
  }
  return text;
}

QJsonArray StoredAsJson(const std::vector<StoredFile>& stored) {
  QJsonArray files;
  for (const StoredFile& file : stored) {
    files.append(QJsonObject{
        {"field", QString::fromStdString(file.fieldName)},
        {"id", QString::fromStdString(file.id)},
        {"name", QString::fromStdString(file.name)},
        {"path", QString::fromStdString(file.diskPath.string())},
        {"url", QString::fromStdString(file.urlPath)},
        {"size", static_cast<qint64>(file.size)},
    });
  }
  return files;
}

void WriteSession(const QString& path, const QJsonObject& session, Console& console) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(QJsonDocument(session).toJson()) < 0) {
    console.Line(QStringLiteral("the session record %1 could not be written").arg(path));
  }
}

// Starts the embedded site (into site), or takes the outside one, and tells
// settings where to post. False, with the reason printed, when the site
// cannot start.
bool ConnectSite(const PageOptions& options, const QString& outputDir, PageSettings& settings,
                 Console& console, std::unique_ptr<EmbeddedSite>& site) {
  if (!options.siteUrl.isEmpty()) {
    QString base = options.siteUrl;
    if (!base.endsWith('/')) base += '/';
    settings.siteAddress = base;
    settings.picturePostAddress = base + QLatin1String(kPicturePostPath.substr(1));
    settings.profilePostAddress = base + QLatin1String(kProfilePostPath.substr(1));
    settings.cookie = options.cookie;
    settings.fileKey = options.fileKey;
    return true;
  }
  SiteOptions siteOptions;
  const QString siteDir =
      options.siteDir.isEmpty() ? QDir(outputDir).filePath("site") : options.siteDir;
  siteOptions.directory = QFileInfo(siteDir).absoluteFilePath().toStdString();
  // Fresh for every run, so that only this page's controls can post.
  settings.cookie = QStringLiteral("varnsession=") + RandomHex(16);
  settings.fileKey = RandomHex(16);
  siteOptions.cookie = settings.cookie.toStdString();
  siteOptions.formKey = settings.fileKey.toStdString();
  siteOptions.log = [&console](std::string_view line) {
    console.Line(QStringLiteral("site: ") +
                 QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
  };
  site = std::make_unique<EmbeddedSite>(std::move(siteOptions));
  const SiteStart started = site->Start();
  if (!started) {
    console.Line(QStringLiteral("the site could not start: ") +
                 QString::fromStdString(started.error));
    return false;
  }
  settings.siteAddress = QString::fromStdString(site->Address());
  settings.picturePostAddress = QString::fromStdString(site->PostUrl(PostForm::Picture));
  settings.profilePostAddress = QString::fromStdString(site->PostUrl(PostForm::Profile));
  console.Line(QStringLiteral("site: %1 storing in %2").arg(settings.siteAddress, siteDir));
  return true;
}

// Stops a page that runs past its time: the page's next call into the host
// throws, with the page's line; a page that makes none (a loop of its own)
// is interrupted a moment later wherever it is, and then only its file is
// known. The window's loop, if any, ends.
class PageWatchdog {
 public:
  PageWatchdog(QJSEngine& engine, std::atomic<bool>& overtime, int seconds) {
    if (seconds <= 0) return;
    thread_ = std::thread([this, &engine, &overtime, seconds] {
      std::unique_lock lock(mutex_);
      auto done = [this] { return done_; };
      if (wake_.wait_for(lock, std::chrono::seconds(seconds), done)) return;
      expired_ = true;
      overtime = true;
      QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                Qt::QueuedConnection);
      if (!wake_.wait_for(lock, kInterruptGrace, done)) engine.setInterrupted(true);
    });
  }
  PageWatchdog(const PageWatchdog&) = delete;
  PageWatchdog& operator=(const PageWatchdog&) = delete;
  ~PageWatchdog() { Disarm(); }

  // True when the page was stopped.
  bool Disarm() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    return expired_;
  }

 private:
  static constexpr std::chrono::milliseconds kInterruptGrace{250};

  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  bool expired_ = false;
  std::thread thread_;
};

struct PageOutcome {
  bool started = false;
  int errors = 0;
  QStringList snapshots;
  bool moduleBusy = false;  // the module still held objects after the page
};

// Evaluates the page's script, then, with a window, runs it until the member
// closes it (or the screenshot is taken).
PageOutcome PlayPage(const PageOptions& options, const QString& script, const ModuleLink* module,
                     const PageSettings& settings, Console& console) {
  PageOutcome outcome;
  std::unique_ptr<PageWindow> window;
  if (options.windowed) {
    window = std::make_unique<PageWindow>(QFileInfo(options.script).fileName());
  }
  std::unique_ptr<ScriptPage> page;
  try {
    auto print = [&console, &window](const QString& line) {
      console.Line(line);
      if (window) window->AppendLog(line);
    };
    page = module != nullptr
               ? std::make_unique<ScriptPage>(*module, settings, window.get(), print)
               : std::make_unique<ScriptPage>(options.registryPath, settings, window.get(), print);
  } catch (const std::exception& error) {
    console.Line(QString::fromUtf8(error.what()));
    return outcome;
  }
  outcome.started = true;
  PageWatchdog watchdog(page->Engine(), page->Overtime(), options.timeoutSeconds);
  if (window) window->Window()->show();
  page->Evaluate(script, QFileInfo(options.script).absoluteFilePath());

  if (window) {
    if (!options.screenshot.isEmpty()) {
      // Let the window lay out and paint before it is grabbed.
      QTimer::singleShot(300, [&] {
        if (!window->Window()->grab().save(options.screenshot, "PNG")) {
          page->Native().fail(
              QStringLiteral("the screenshot %1 could not be written").arg(options.screenshot));
        }
        QApplication::quit();
      });
    }
    QApplication::exec();
  }
  if (watchdog.Disarm()) {
    page->Native().fail(
        QStringLiteral("the page ran past its time limit of %1 s").arg(options.timeoutSeconds));
  }
  page->Close();
  outcome.moduleBusy = page->Module() != nullptr && page->Module()->CanUnloadNow() != S_OK;
  outcome.snapshots = page->Native().Snapshots();
  outcome.errors = page->Errors();
  return outcome;
}

void PrintSummary(const std::vector<StoredFile>& stored, bool hasSite, const QStringList& snapshots,
                  Console& console) {
  if (hasSite) {
    console.Line(QStringLiteral("site stored %1 file(s):").arg(stored.size()));
    for (const StoredFile& file : stored) {
      console.Line(QStringLiteral("  %1  %2 (%3 bytes)")
                       .arg(QString::fromStdString(file.fieldName),
                            QString::fromStdString(file.diskPath.string()))
                       .arg(file.size));
    }
  }
  if (!snapshots.isEmpty()) {
    console.Line(QStringLiteral("snapshots:"));
    for (const QString& snapshot : snapshots) console.Line(QStringLiteral("  ") + snapshot);
  }
}

}  // namespace

int RunPage(const PageOptions& options, std::ostream& out) {
  Console console(out);
  const QString outputDir =
      QFileInfo(options.outputDir.isEmpty() ? QStringLiteral("page-output") : options.outputDir)
          .absoluteFilePath();
  if (!QDir().mkpath(outputDir)) {
    console.Line(QStringLiteral("cannot make the output folder %1").arg(outputDir));
    return kPageCannotStart;
  }
  QFile scriptFile(options.script);
  if (!scriptFile.open(QIODevice::ReadOnly)) {
    console.Line(QStringLiteral("cannot read the page script %1").arg(options.script));
    return kPageCannotStart;
  }
  const QString script = QString::fromUtf8(scriptFile.readAll());

  std::unique_ptr<ModuleLink> module;
  if (!options.modulePath.isEmpty()) {
    try {
      module = std::make_unique<ModuleLink>(options.modulePath.toStdString());
    } catch (const std::exception& error) {
      console.Line(QString::fromUtf8(error.what()));
      return kPageCannotStart;
    }
  } else if (options.registryPath.empty()) {
    console.Line(QStringLiteral("no module given and no registry store to find one in"));
    return kPageCannotStart;
  } else {
    console.Line(QStringLiteral("classes from the registry store ") +
                 QString::fromStdString(options.registryPath));
  }

  PageSettings settings;
  settings.outputDir = outputDir;
  settings.scriptDir = QFileInfo(options.script).absolutePath();
  settings.windowed = options.windowed;
  settings.interactive = options.windowed && !options.play;
  std::unique_ptr<EmbeddedSite> site;
  if (!ConnectSite(options, outputDir, settings, console, site)) return kPageCannotStart;

  const PageOutcome outcome = PlayPage(options, script, module.get(), settings, console);
  if (!outcome.started) return kPageCannotStart;

  const std::vector<StoredFile> stored = site ? site->Stored() : std::vector<StoredFile>();
  if (site) site->Stop();
  PrintSummary(stored, site != nullptr, outcome.snapshots, console);
  if (outcome.moduleBusy) {
    console.Line(QStringLiteral("warning: the module still holds live objects after the page"));
  }
  const QString sessionPath = QDir(outputDir).filePath("session.json");
  WriteSession(sessionPath,
               QJsonObject{{"script", QFileInfo(options.script).absoluteFilePath()},
                           {"site", settings.siteAddress},
                           {"stored", StoredAsJson(stored)},
                           {"snapshots", QJsonArray::fromStringList(outcome.snapshots)},
                           {"errors", outcome.errors}},
               console);
  console.Line(QStringLiteral("session record: ") + sessionPath);
  console.Line(outcome.errors == 0
                   ? QStringLiteral("page finished without errors")
                   : QStringLiteral("page finished with %1 error(s)").arg(outcome.errors));
  return outcome.errors == 0 ? kPageSucceeded : kPageFailed;
}

}  // namespace varn::host
