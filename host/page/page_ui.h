// The small page around the controls that a script builds: rows of buttons and
// colour swatches, lists (a layer list), labels, and a log. Each element works
// the same with or without a window, so a headless script can click a button
// as the member would; with a window the elements are widgets and clicks are
// real.
#pragma once

#include <QJSValue>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

#include "host/page/page_context.h"

class QAbstractButton;
class QBoxLayout;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QWidget;

namespace varn::host {

// A push button, or a colour swatch when made with a colour.
class PageButton final : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString label READ label CONSTANT)
  Q_PROPERTY(bool checked READ checked WRITE setChecked)

 public:
  PageButton(PageContext& page, QString label, QJSValue handler, QObject* parent);

  QString label() const { return label_; }
  bool checked() const { return checked_; }
  void setChecked(bool checked);
  // As the member's click: the handler runs before it returns.
  Q_INVOKABLE void click();
  Q_INVOKABLE void setColor(const QString& color);

  void Attach(QAbstractButton* widget);

 private:
  void RunHandler();

  PageContext& page_;
  QString label_;
  QJSValue handler_;
  bool checked_ = false;
  QPointer<QAbstractButton> widget_;
};

// A list of texts with one selected row; the handler gets the row's index.
class PageList final : public QObject {
  Q_OBJECT
  Q_PROPERTY(int selected READ selected)
  Q_PROPERTY(QStringList items READ items)

 public:
  PageList(PageContext& page, QJSValue handler, QObject* parent);

  int selected() const { return selected_; }
  QStringList items() const { return items_; }
  // Replaces the rows without calling the handler; selected is kept when it
  // still exists.
  Q_INVOKABLE void setItems(const QStringList& items, int selected = -1);
  // As the member's click on row index.
  Q_INVOKABLE void select(int index);

  void Attach(QListWidget* widget);

 private:
  PageContext& page_;
  QJSValue handler_;
  QStringList items_;
  int selected_ = -1;
  QPointer<QListWidget> widget_;
  bool updating_ = false;
};

class PageLabel final : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString text READ text WRITE setText)

 public:
  PageLabel(QString text, QObject* parent) : QObject(parent), text_(std::move(text)) {}
  QString text() const { return text_; }
  Q_INVOKABLE void setText(const QString& text);
  void Attach(QLabel* widget);

 private:
  QString text_;
  QPointer<QLabel> widget_;
};

// The window of a page, when it has one: a title, the rows of the page's
// elements, the stage holding the controls beside the lists, and the log.
class PageWindow {
 public:
  explicit PageWindow(const QString& title);
  ~PageWindow();

  QWidget* Window() const;
  // Where the next control goes: right of the ones before it.
  QWidget* Stage() const;
  QRect PlaceControl(int width, int height);

  void StartSection(const QString& title);
  void AddButton(PageButton& button, const QString& color);
  void AddList(PageList& list, const QString& title);
  void AddLabel(PageLabel& label);
  void AppendLog(const QString& line);

 private:
  QBoxLayout* CurrentRow();

  std::unique_ptr<QWidget> window_;
  QBoxLayout* sections_ = nullptr;
  QBoxLayout* row_ = nullptr;
  QWidget* stage_ = nullptr;
  QBoxLayout* side_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  int stageWidth_ = 0;
  int stageHeight_ = 0;
};

}  // namespace varn::host
