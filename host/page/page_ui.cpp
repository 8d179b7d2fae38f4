#include "host/page/page_ui.h"

#include "host/page/script_values.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

namespace varn::host {

namespace {

constexpr int kStageGap = 8;

void ReportHandlerError(PageContext& page, const QString& what, const QJSValue& outcome) {
  if (!outcome.isError()) return;
  page.ReportError(QStringLiteral("in the %1 handler: %2").arg(what, DescribeScriptError(outcome)));
}

}  // namespace

PageButton::PageButton(PageContext& page, QString label, QJSValue handler, QObject* parent)
    : QObject(parent), page_(page), label_(std::move(label)), handler_(std::move(handler)) {}

void PageButton::setChecked(bool checked) {
  checked_ = checked;
  if (widget_) widget_->setChecked(checked);
}

void PageButton::click() {
  if (widget_) {
    widget_->click();  // the widget's clicked signal runs the handler
  } else {
    RunHandler();
  }
}

void PageButton::RunHandler() {
  if (!handler_.isCallable()) return;
  ReportHandlerError(page_, QStringLiteral("'%1' button").arg(label_), handler_.call());
}

void PageButton::setColor(const QString& color) {
  // With a border of its own the style draws the colour flat, as a swatch.
  if (widget_) {
    widget_->setStyleSheet(
        QStringLiteral("background-color: %1; border: 1px solid #606060;").arg(color));
  }
}

void PageButton::Attach(QAbstractButton* widget) {
  widget_ = widget;
  widget->setCheckable(true);
  widget->setChecked(checked_);
  QObject::connect(widget, &QAbstractButton::clicked, this, [this] {
    // A button shows its checked state only when the page sets it.
    if (widget_) widget_->setChecked(checked_);
    RunHandler();
  });
}

PageList::PageList(PageContext& page, QJSValue handler, QObject* parent)
    : QObject(parent), page_(page), handler_(std::move(handler)) {}

void PageList::setItems(const QStringList& items, int selected) {
  items_ = items;
  selected_ = selected >= 0 && selected < items.size() ? selected : -1;
  if (!widget_) return;
  updating_ = true;
  widget_->clear();
  widget_->addItems(items_);
  widget_->setCurrentRow(selected_);
  updating_ = false;
}

void PageList::select(int index) {
  if (index < 0 || index >= items_.size()) return;
  selected_ = index;
  if (widget_) {
    updating_ = true;
    widget_->setCurrentRow(index);
    updating_ = false;
  }
  if (handler_.isCallable()) {
    ReportHandlerError(page_, QStringLiteral("list"), handler_.call({QJSValue(index)}));
  }
}

void PageList::Attach(QListWidget* widget) {
  widget_ = widget;
  widget->addItems(items_);
  QObject::connect(widget, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!updating_) select(row);
  });
}

void PageLabel::setText(const QString& text) {
  text_ = text;
  if (widget_) widget_->setText(text);
}

void PageLabel::Attach(QLabel* widget) {
  widget_ = widget;
  widget->setText(text_);
}

PageWindow::PageWindow(const QString& title) : window_(std::make_unique<QWidget>()) {
  window_->setWindowTitle(title);
  auto* layout = new QVBoxLayout(window_.get());
  sections_ = new QVBoxLayout;
  layout->addLayout(sections_);
  auto* middle = new QHBoxLayout;
  stage_ = new QWidget;
  middle->addWidget(stage_, 0, Qt::AlignTop | Qt::AlignLeft);
  side_ = new QVBoxLayout;
  middle->addLayout(side_);
  middle->addStretch();
  layout->addLayout(middle, 1);
  log_ = new QPlainTextEdit;
  log_->setReadOnly(true);
  log_->setMaximumBlockCount(2000);
  log_->setFixedHeight(140);
  layout->addWidget(log_);
}

PageWindow::~PageWindow() = default;

QWidget* PageWindow::Window() const { return window_.get(); }
QWidget* PageWindow::Stage() const { return stage_; }

QRect PageWindow::PlaceControl(int width, int height) {
  const QRect place(stageWidth_ == 0 ? 0 : stageWidth_ + kStageGap, 0, width, height);
  stageWidth_ = place.right() + 1;
  stageHeight_ = std::max(stageHeight_, height);
  stage_->setFixedSize(stageWidth_, stageHeight_);
  return place;
}

QBoxLayout* PageWindow::CurrentRow() {
  if (row_ == nullptr) StartSection({});
  return row_;
}

void PageWindow::StartSection(const QString& title) {
  auto* box = new QGroupBox(title);
  row_ = new QHBoxLayout(box);
  row_->setContentsMargins(4, 2, 4, 2);
  row_->addStretch();
  sections_->addWidget(box);
}

void PageWindow::AddButton(PageButton& button, const QString& color) {
  auto* widget = new QPushButton(color.isEmpty() ? button.label() : QString());
  QBoxLayout* row = CurrentRow();
  row->insertWidget(row->count() - 1, widget);  // before the row's stretch
  button.Attach(widget);
  if (!color.isEmpty()) {
    widget->setCheckable(false);
    widget->setFixedSize(22, 22);
    widget->setToolTip(color);
    button.setColor(color);
  }
}

void PageWindow::AddList(PageList& list, const QString& title) {
  side_->addWidget(new QLabel(title));
  auto* widget = new QListWidget;
  widget->setFixedWidth(180);
  side_->addWidget(widget);
  list.Attach(widget);
}

void PageWindow::AddLabel(PageLabel& label) {
  auto* widget = new QLabel;
  QBoxLayout* row = CurrentRow();
  row->insertWidget(row->count() - 1, widget);
  label.Attach(widget);
}

void PageWindow::AppendLog(const QString& line) { log_->appendPlainText(line); }

}  // namespace varn::host
