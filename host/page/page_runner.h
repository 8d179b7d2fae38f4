// Runs one page: loads the module, starts the embedded site (or uses the one
// named), evaluates the page's script with `page` and `console`, shows the
// page in a window when asked, and reports what the site stored and which
// snapshots were taken. A QApplication must exist.
#pragma once

#include <QString>

#include <iosfwd>
#include <string>

namespace varn::host {

struct PageOptions {
  QString script;      // the page's JavaScript file
  QString modulePath;  // VarnPostingTool.so; empty: each class's module from the registry store
  std::string registryPath;  // the registry store, when no module is given
  QString outputDir;         // snapshots, the session record, the site's files by default
  QString siteDir;           // where the embedded site stores uploads; empty: <outputDir>/site
  QString siteUrl;           // post to this site instead of starting one
  QString cookie;            // for an outside site; the embedded one makes its own
  QString fileKey;
  bool windowed = false;
  bool play = false;       // with a window: the script still plays the member
  QString screenshot;      // with a window: save it here once the script has run, then end
  int timeoutSeconds = 0;  // the run is stopped after this long; 0: never
};

// A headless page that has not ended by then never will; in a window the
// member decides, unless asked otherwise.
inline constexpr int kDefaultHeadlessTimeoutSeconds = 300;

// Exit codes of a run.
inline constexpr int kPageSucceeded = 0;
inline constexpr int kPageFailed = 1;       // a script error, a failed handler, page.fail
inline constexpr int kPageCannotStart = 2;  // no module, no site, no script

// Console lines go to out; the run's outcome is the exit code.
int RunPage(const PageOptions& options, std::ostream& out);

}  // namespace varn::host
