// A test control in place in a shown parent widget: activating it makes its
// child widget. Shared by the widget window and the Qt dialog tests.
#pragma once

#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>
#include <QWidget>

#include "tests/platform/ui/qt_application.h"
#include "tests/platform/ui/test_control.h"

namespace varn::ui::testing {

class WindowedControl : public ::testing::Test {
 protected:
  WindowedControl() {
    Application();
    parent = new QWidget;
    parent->resize(300, 200);
    parent->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(parent));
  }
  ~WindowedControl() override { delete parent; }

  QWidget* Activate(const RECT& rect) {
    EXPECT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, parent, &rect), S_OK);
    HWND hwnd = nullptr;
    EXPECT_EQ(control->GetWindow(&hwnd), S_OK);
    return static_cast<QWidget*>(hwnd);
  }

  ControlHolder control;
  QPointer<QWidget> parent;
};

}  // namespace varn::ui::testing
