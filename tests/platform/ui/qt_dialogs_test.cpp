#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/com/host_ui.h"
#include "platform/ui/dialog_service.h"
#include "tests/platform/ui/windowed_control.h"

namespace varn::ui::testing {
namespace {

// Calls `answer` with the first modal widget of type T once it is shown.
template <class T>
void WhenModalAppears(std::function<void(T*)> answer) {
  auto* poll = new QTimer(qApp);
  auto tries = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, [poll, tries, answer] {
    if (T* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
      poll->deleteLater();
      poll->stop();
      answer(widget);
    } else if (++*tries > 500) {
      poll->stop();
      poll->deleteLater();
      ADD_FAILURE() << "no modal dialog appeared";
    }
  });
  poll->start(10);
}

std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<std::size_t>(text.size()));
}

class ForcedQtDialogs : public WindowedControl {
 protected:
  ForcedQtDialogs() { SetQtDialogPolicy(QtDialogPolicy::kAlways); }
  ~ForcedQtDialogs() override { SetQtDialogPolicy(QtDialogPolicy::kWhenDisplayed); }
};

TEST_F(ForcedQtDialogs, OpenDialogShowsTheFiltersAndReturnsTheTypedFile) {
  Activate(RECT{0, 0, 50, 50});
  const QString path = QDir::tempPath() + QStringLiteral("/chosen.tbp");
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QStringList filtersSeen;
  QWidget* ownerSeen = nullptr;
  WhenModalAppears<QFileDialog>([&](QFileDialog* dialog) {
    filtersSeen = dialog->nameFilters();
    ownerSeen = dialog->parentWidget();
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    static_cast<QDialog*>(dialog)->accept();
  });
  FileDialogRequest request;
  request.filters = {{u"Tembra Paint Files (*.tbp)", u"*.tbp"}, {u"All Files (*.*)", u"*.*"}};
  request.initialName = u"*.tbp";
  request.defaultExt = u"tbp";
  const std::optional<std::u16string> chosen = control->ShowFileDialog(request);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, ToU16(path));
  EXPECT_EQ(filtersSeen, (QStringList{QStringLiteral("Tembra Paint Files (*.tbp)"),
                                      QStringLiteral("All Files (*)")}));
  EXPECT_EQ(ownerSeen, parent.data());
}

TEST_F(ForcedQtDialogs, SaveDialogAsksBeforeOverwritingAndAddsTheDefaultExtension) {
  const QString existing = QDir::tempPath() + QStringLiteral("/existing.tbp");
  {
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  bool asked = false;
  WhenModalAppears<QFileDialog>([&](QFileDialog* dialog) {
    WhenModalAppears<QMessageBox>([&](QMessageBox* question) {
      asked = true;
      question->button(QMessageBox::Yes)->click();
    });
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
        ->setText(QDir::tempPath() + QStringLiteral("/existing"));
    static_cast<QDialog*>(dialog)->accept();
  });
  FileDialogRequest request;
  request.kind = FileDialogKind::kSave;
  request.defaultExt = u"tbp";
  request.flags = OFN_OVERWRITEPROMPT;
  const std::optional<std::u16string> chosen = control->ShowFileDialog(request);
  EXPECT_TRUE(asked);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, ToU16(existing));

  WhenModalAppears<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(control->ShowFileDialog(request), std::nullopt);
}

TEST_F(ForcedQtDialogs, MessageBoxAnswersTheButtonPressed) {
  QString textSeen;
  WhenModalAppears<QMessageBox>([&](QMessageBox* box) {
    textSeen = box->text();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(control->ShowMessageBox(u"Replace the drawing?", u"Paint", MB_YESNO), IDNO);
  EXPECT_EQ(textSeen, QStringLiteral("Replace the drawing?"));
}

}  // namespace
}  // namespace varn::ui::testing
