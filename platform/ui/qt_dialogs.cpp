#include "platform/ui/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QThread>

#include "platform/com/host_ui.h"

namespace varn::ui {
namespace {

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<std::size_t>(text.size()));
}

QWidget* ParentFor(HWND owner) {
  return owner != nullptr ? static_cast<QWidget*>(owner) : QApplication::activeWindow();
}

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
  const bool save = request.kind == FileDialogKind::kSave;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite,
                   !save || (request.flags & OFN_OVERWRITEPROMPT) == 0);
  if (!request.filters.empty()) {
    QStringList names;
    for (const FileFilter& filter : request.filters) names << ToQString(ToNameFilter(filter));
    dialog.setNameFilters(names);
  }
  if (!request.defaultExt.empty()) dialog.setDefaultSuffix(ToQString(request.defaultExt));
  // A wildcard as initial name only repeats the filter; Qt would take it as a name.
  const QString initialName = ToQString(request.initialName);
  if (!initialName.isEmpty() && !initialName.contains(u'*') && !initialName.contains(u'?')) {
    dialog.selectFile(initialName);
  }
}

QMessageBox::Icon IconOf(uint32_t type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONASTERISK:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

struct ButtonLook {
  QMessageBox::StandardButton standard;
  const char* label;  // null: Qt's own text
};

ButtonLook LookOf(int32_t answer) {
  switch (answer) {
    case IDCANCEL:
      return {QMessageBox::Cancel, nullptr};
    case IDABORT:
      return {QMessageBox::Abort, nullptr};
    case IDRETRY:
      return {QMessageBox::Retry, nullptr};
    case IDIGNORE:
      return {QMessageBox::Ignore, nullptr};
    case IDYES:
      return {QMessageBox::Yes, nullptr};
    case IDNO:
      return {QMessageBox::No, nullptr};
    case IDTRYAGAIN:
      return {QMessageBox::Retry, "Try Again"};
    case IDCONTINUE:
      return {QMessageBox::Ignore, "Continue"};
    default:
      return {QMessageBox::Ok, nullptr};
  }
}

}  // namespace

bool QtDialogsAvailable(QtDialogPolicy policy) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (app == nullptr || QThread::currentThread() != app->thread()) return false;
  if (policy == QtDialogPolicy::kAlways) return true;
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

std::optional<std::u16string> ShowQtFileDialog(HWND owner, const FileDialogRequest& request,
                                               QtDialogPolicy policy) {
  QFileDialog dialog(ParentFor(owner));
  // A native dialog lives outside Qt's widgets, where a test cannot answer it.
  if (policy == QtDialogPolicy::kAlways) dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setWindowModality(Qt::ApplicationModal);
  ConfigureFileDialog(dialog, request);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
  return ToU16(chosen.front());
}

int32_t ShowQtMessageBox(HWND owner, std::u16string_view text, std::u16string_view caption,
                         uint32_t type) {
  QMessageBox box(IconOf(type), ToQString(caption), ToQString(text), QMessageBox::NoButton,
                  ParentFor(owner));
  box.setWindowModality(Qt::ApplicationModal);
  const std::vector<int32_t> answers = MessageBoxButtons(type);
  std::vector<QAbstractButton*> buttons;
  for (int32_t answer : answers) {
    const ButtonLook look = LookOf(answer);
    QPushButton* button = box.addButton(look.standard);
    if (look.label != nullptr) button->setText(QString::fromLatin1(look.label));
    buttons.push_back(button);
  }
  box.setDefaultButton(static_cast<QPushButton*>(buttons[MessageBoxDefaultButton(type)]));
  const int32_t escape = MessageBoxEscapeAnswer(type);
  for (std::size_t i = 0; i < answers.size(); ++i) {
    if (answers[i] == escape) box.setEscapeButton(buttons[i]);
  }
  box.exec();
  for (std::size_t i = 0; i < answers.size(); ++i) {
    if (box.clickedButton() == buttons[i]) return answers[i];
  }
  return escape;
}

}  // namespace varn::ui
