// A page's script world: the engine, the `page` and `console` objects over a
// PageObject, and the count of errors. The runner evaluates the page's script
// in it; tests evaluate snippets.
#pragma once

#include <QJSEngine>
#include <QString>

#include <functional>
#include <memory>
#include <string>

#include "host/page/page_context.h"
#include "host/page/page_object.h"
#include "host/page/script_values.h"

namespace varn::host {

class ScriptPage {
 public:
  // print receives every console line; window is null for a headless page.
  // Throws std::runtime_error when the page's own script cannot be set up.
  ScriptPage(const ModuleLink& module, const PageSettings& settings, PageWindow* window,
             std::function<void(const QString&)> print);
  // The page finds each class, and the module serving it, in the registry
  // store at registryPath.
  ScriptPage(std::string registryPath, const PageSettings& settings, PageWindow* window,
             std::function<void(const QString&)> print);
  ~ScriptPage();
  ScriptPage(const ScriptPage&) = delete;
  ScriptPage& operator=(const ScriptPage&) = delete;

  // Evaluates code; an uncaught exception is reported as one of the page's
  // errors (with its line) and returned as the error value.
  QJSValue Evaluate(const QString& code, const QString& fileName = QStringLiteral("page"));

  // Puts object on the page and answers the control as the script sees it,
  // or an error value.
  QJSValue AddControl(com::ComRef<IUnknown> object, int width, int height);

  QJSEngine& Engine() { return engine_; }
  PageObject& Native() { return *native_; }
  int Errors() const { return context_.errors; }
  // The module the controls came from; null while none was loaded.
  const ModuleLink* Module() const { return context_.module; }
  // Set once the page has run past its time; any thread may set it.
  std::atomic<bool>& Overtime() { return context_.overtime; }
  // Disconnects every control; the page is over. Idempotent.
  void Close();

 private:
  void Start(const PageSettings& settings, PageWindow* window,
             std::function<void(const QString&)> print);

  QJSEngine engine_;
  PageContext context_;
  std::unique_ptr<PageObject> native_;
  QJSValue wrap_;
};

}  // namespace varn::host
