// What every part of a running page shares: its script engine, the module,
// and the console with the count of errors that decides the run's outcome.
#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "host/page/module_link.h"

class QJSEngine;

namespace varn::host {

struct PageContext {
  QJSEngine* engine = nullptr;
  // The module the page's controls come from: the one given, or the one the
  // registry store names, loaded at the first creation.
  const ModuleLink* module = nullptr;
  // Set when classes are found through the registry store at this path.
  std::string registryPath;
  std::unique_ptr<ModuleLink> registryModule;
  // One line for the page's console: standard output, and the log view when
  // the page has a window.
  std::function<void(const QString&)> print;
  int errors = 0;
  // Set from the watchdog when the page has run past its time: its next call
  // into the host throws, with the page's line.
  std::atomic<bool> overtime{false};

  void ReportError(const QString& text) {
    ++errors;
    if (print) print(QStringLiteral("error: ") + text);
  }
};

}  // namespace varn::host
