#include "host/page/script_page.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace varn::host {

ScriptPage::ScriptPage(const ModuleLink& module, const PageSettings& settings, PageWindow* window,
                       std::function<void(const QString&)> print) {
  context_.module = &module;
  Start(settings, window, std::move(print));
}

ScriptPage::ScriptPage(std::string registryPath, const PageSettings& settings, PageWindow* window,
                       std::function<void(const QString&)> print) {
  context_.registryPath = std::move(registryPath);
  Start(settings, window, std::move(print));
}

void ScriptPage::Start(const PageSettings& settings, PageWindow* window,
                       std::function<void(const QString&)> print) {
  context_.engine = &engine_;
  context_.print = std::move(print);
  native_ = std::make_unique<PageObject>(context_, settings, window);
  QJSEngine::setObjectOwnership(native_.get(), QJSEngine::CppOwnership);
  const QJSValue made = engine_.evaluate(QString::fromUtf8(kPagePrelude), QStringLiteral("prelude"))
                            .call({engine_.newQObject(native_.get())});
  if (made.isError()) {
    throw std::runtime_error("the page prelude failed: " + DescribeScriptError(made).toStdString());
  }
  engine_.globalObject().setProperty(QStringLiteral("page"), made.property("page"));
  engine_.globalObject().setProperty(QStringLiteral("console"), made.property("console"));
  wrap_ = made.property("wrap");
}

QJSValue ScriptPage::AddControl(com::ComRef<IUnknown> object, int width, int height) {
  QString error;
  ScriptControl* control = native_->AddControl(std::move(object), width, height, &error);
  if (control == nullptr) return engine_.newErrorObject(QJSValue::TypeError, error);
  return wrap_.call({engine_.newQObject(control)});
}

ScriptPage::~ScriptPage() { Close(); }

void ScriptPage::Close() { native_->CloseControls(); }

QJSValue ScriptPage::Evaluate(const QString& code, const QString& fileName) {
  QJSValue outcome = engine_.evaluate(code, fileName);
  if (outcome.isError()) {
    QString text = DescribeScriptError(outcome);
    // An interrupted run carries no stack; the file is all there is to say.
    if (!text.contains(QStringLiteral(" (at "))) text += QStringLiteral(" (in %1)").arg(fileName);
    context_.ReportError(text);
  }
  return outcome;
}

}  // namespace varn::host
