// varn-page: runs a page script against the module, headless or in a window.
#include <QApplication>
#include <QCommandLineParser>

#include <cstdlib>
#include <iostream>

#include "host/page/page_runner.h"
#include "platform/system/registry_store.h"

namespace {

constexpr int kUsageError = 64;

bool HasDisplay() {
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  bool windowed = false;
  for (int i = 1; i < argc; ++i) windowed = windowed || std::string_view(argv[i]) == "--window";
  // Headless pages need no display; a window needs one (or a platform the
  // caller chose, such as offscreen for a screenshot).
  const bool platformChosen = std::getenv("QT_QPA_PLATFORM") != nullptr;
  if (!windowed && !platformChosen) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (windowed && !platformChosen && !HasDisplay()) {
    std::cerr << "varn-page: --window needs a display (DISPLAY or WAYLAND_DISPLAY)\n";
    return varn::host::kPageCannotStart;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("varn-page"));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Runs a page script that drives the controls, posting to a local site."));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("script"), QStringLiteral("the page's JavaScript"));
  const QCommandLineOption module(
      QStringLiteral("module"),
      QStringLiteral("load this module directly instead of finding each class's module in the "
                     "registry store ($VARN_REGISTRY, else "
                     "$XDG_CONFIG_HOME/varnpostingtool/registry.reg)"),
      QStringLiteral("path"));
  const QCommandLineOption out(QStringLiteral("out"),
                               QStringLiteral("folder for snapshots and the session record"),
                               QStringLiteral("dir"), QStringLiteral("page-output"));
  const QCommandLineOption siteDir(QStringLiteral("site-dir"),
                                   QStringLiteral("where the embedded site stores uploads"),
                                   QStringLiteral("dir"));
  const QCommandLineOption siteUrl(QStringLiteral("site"),
                                   QStringLiteral("post to this running site instead"),
                                   QStringLiteral("url"));
  const QCommandLineOption cookie(QStringLiteral("cookie"),
                                  QStringLiteral("the cookie of the running site"),
                                  QStringLiteral("text"));
  const QCommandLineOption fileKey(QStringLiteral("filekey"),
                                   QStringLiteral("the form key of the running site"),
                                   QStringLiteral("text"));
  const QCommandLineOption window(QStringLiteral("window"),
                                  QStringLiteral("show the page in a window"));
  const QCommandLineOption play(QStringLiteral("play"),
                                QStringLiteral("with --window: the script plays the member"));
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("with --window: save the window once the script ran, then end"),
      QStringLiteral("png"));
  const QCommandLineOption timeout(
      QStringLiteral("timeout"),
      QStringLiteral("stop the page after this many seconds, 0 for never (default %1 headless, "
                     "never with --window)")
          .arg(varn::host::kDefaultHeadlessTimeoutSeconds),
      QStringLiteral("seconds"));
  parser.addOptions(
      {module, out, siteDir, siteUrl, cookie, fileKey, window, play, screenshot, timeout});
  parser.process(app);
  if (parser.positionalArguments().size() != 1) {
    std::cerr << parser.helpText().toStdString();
    return kUsageError;
  }
  int timeoutSeconds = parser.isSet(window) ? 0 : varn::host::kDefaultHeadlessTimeoutSeconds;
  if (parser.isSet(timeout)) {
    bool number = false;
    timeoutSeconds = parser.value(timeout).toInt(&number);
    if (!number || timeoutSeconds < 0) {
      std::cerr << "varn-page: --timeout takes a whole number of seconds\n";
      return kUsageError;
    }
  }

  varn::host::PageOptions options;
  options.script = parser.positionalArguments().front();
  options.modulePath = parser.value(module);
  if (options.modulePath.isEmpty()) options.registryPath = varn::system::DefaultRegistryPath();
  options.outputDir = parser.value(out);
  options.siteDir = parser.value(siteDir);
  options.siteUrl = parser.value(siteUrl);
  options.cookie = parser.value(cookie);
  options.fileKey = parser.value(fileKey);
  options.windowed = parser.isSet(window);
  options.play = parser.isSet(play);
  options.screenshot = parser.value(screenshot);
  options.timeoutSeconds = timeoutSeconds;
  return varn::host::RunPage(options, std::cout);
}
