#include "host/page/page_site.h"

#include <QStringList>

#include "host/page/script_values.h"

namespace varn::host {

namespace {

constexpr int32_t kIdOk = 1;

// A Windows file filter ("Paint file (*.tbp)\0*.tbp\0\0") by its descriptions.
QString DescribeFilter(const ModuleLink& module, BSTR filter) {
  if (filter == nullptr) return {};
  const QStringList parts = FromBstr(module, filter).split(QChar(u'\0'), Qt::SkipEmptyParts);
  QStringList descriptions;
  for (qsizetype i = 0; i < parts.size(); i += 2) descriptions << parts[i];
  return descriptions.join(QStringLiteral(", "));
}

}  // namespace

PageDialogs::PageDialogs(PageContext& page)
    : ComObject(com::ModuleCount::kNotCounted), page_(page) {}

bool PageDialogs::Serves() const {
  return !interactive_ || !fileAnswers_.empty() || !messageAnswers_.empty();
}

HRESULT PageDialogs::ShowFileDialog(int32_t kind, BSTR filter, BSTR initialName, BSTR, uint32_t,
                                    BSTR* path) {
  if (path == nullptr) return E_POINTER;
  *path = nullptr;
  // Nothing thrown may cross back into the control.
  try {
    return AnswerFileDialog(kind, filter, initialName, path);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT PageDialogs::AnswerFileDialog(int32_t kind, BSTR filter, BSTR initialName, BSTR* path) {
  const ModuleLink& module = *page_.module;
  QString line =
      QStringLiteral("file dialog (%1")
          .arg(kind == kHostFileDialogSave ? QStringLiteral("save") : QStringLiteral("open"));
  const QString filters = DescribeFilter(module, filter);
  if (!filters.isEmpty()) line += QStringLiteral(", ") + filters;
  const QString suggested = FromBstr(module, initialName);
  if (!suggested.isEmpty()) line += QStringLiteral(", suggesting ") + suggested;
  line += QStringLiteral("): ");

  if (fileAnswers_.empty() || !fileAnswers_.front()) {
    page_.print(line + (fileAnswers_.empty() ? QStringLiteral("not answered by the page, cancelled")
                                             : QStringLiteral("cancelled")));
    if (!fileAnswers_.empty()) fileAnswers_.pop_front();
    return S_FALSE;
  }
  const QString chosen = *fileAnswers_.front();
  fileAnswers_.pop_front();
  page_.print(line + chosen);
  *path = ToBstr(module, chosen);
  return *path != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT PageDialogs::ShowMessageBox(BSTR text, BSTR caption, uint32_t, int32_t* result) {
  if (result == nullptr) return E_POINTER;
  const ModuleLink& module = *page_.module;
  *result = kIdOk;
  if (!messageAnswers_.empty()) {
    *result = messageAnswers_.front();
    messageAnswers_.pop_front();
  }
  try {
    page_.print(QStringLiteral("message box \"%1\": %2 -> button %3")
                    .arg(FromBstr(module, caption), FromBstr(module, text))
                    .arg(*result));
  } catch (...) {
    // The answer stands even when it cannot be printed.
  }
  return S_OK;
}

PageSite::PageSite(PageDialogs& dialogs)
    : ComObject(com::ModuleCount::kNotCounted), dialogs_(dialogs) {}

HRESULT PageSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT PageSite::GetContainer(IOleContainer** container) {
  if (container != nullptr) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT PageSite::QueryService(REFGUID service, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (service != SID_IVarnHostUI || !dialogs_.Serves()) return E_NOINTERFACE;
  return dialogs_.QueryInterface(riid, object);
}

}  // namespace varn::host
