#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include <vector>

#include "platform/ui/rect_ops.h"
#include "tests/platform/ui/windowed_control.h"

namespace varn::ui::testing {
namespace {

TEST_F(WindowedControl, InPlaceActivationMakesAChildWidgetAndTellsItsSize) {
  QWidget* child = Activate(RECT{10, 20, 110, 80});
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->parentWidget(), parent.data());
  EXPECT_EQ(child->geometry(), QRect(10, 20, 100, 60));
  EXPECT_TRUE(child->isVisible());
  EXPECT_EQ(control->Window().Kind(), WindowKind::kWidget);
  ASSERT_EQ(control->MessageNumbers(), std::vector<UINT>{WM_SIZE});
  EXPECT_EQ(control->messages[0].lParam, MAKELPARAM(100, 60));
  EXPECT_EQ(control->messages[0].client, (RECT{0, 0, 100, 60}));

  const RECT moved{0, 0, 150, 90};
  ASSERT_EQ(control->SetObjectRects(&moved, &moved), S_OK);
  EXPECT_EQ(child->geometry(), QRect(0, 0, 150, 90));
  ASSERT_EQ(control->MessageNumbers(), (std::vector<UINT>{WM_SIZE, WM_SIZE}));
  EXPECT_EQ(control->messages[1].lParam, MAKELPARAM(150, 90));
}

TEST_F(WindowedControl, DoubleClickArrivesAsPressReleaseDoubleClickRelease) {
  QWidget* child = Activate(RECT{10, 20, 110, 80});
  control->messages.clear();
  QTest::mouseDClick(parent->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(15, 27));
  std::vector<UINT> buttons;
  for (const TestControl::Seen& seen : control->messages) {
    if (seen.message != WM_MOUSEMOVE) buttons.push_back(seen.message);
  }
  EXPECT_EQ(buttons,
            (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
  for (const TestControl::Seen& seen : control->messages) {
    EXPECT_EQ(GET_X_LPARAM(seen.lParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(seen.lParam), 7);
    if (seen.message == WM_LBUTTONDOWN || seen.message == WM_LBUTTONDBLCLK) {
      EXPECT_EQ(seen.wParam & MK_LBUTTON, MK_LBUTTON);
    }
    if (seen.message == WM_LBUTTONUP) {
      EXPECT_EQ(seen.wParam & MK_LBUTTON, 0u);
    }
  }
  // The press took the capture and the release gave it back.
  EXPECT_FALSE(control->Window().HasCapture());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  (void)child;
}

TEST_F(WindowedControl, PaintDrawsThroughTheControlsOnDraw) {
  QWidget* child = Activate(RECT{10, 20, 60, 50});
  const QImage shot = child->grab().toImage();
  ASSERT_FALSE(control->draws.empty());
  EXPECT_EQ(control->draws.back().bounds, (RECT{0, 0, 50, 30}));
  EXPECT_EQ(control->draws.back().origin.x, 0);
  ASSERT_EQ(shot.size(), QSize(50, 30));
  for (const QPoint point : {QPoint(0, 0), QPoint(49, 0), QPoint(7, 29), QPoint(25, 13)}) {
    EXPECT_EQ(shot.pixel(point), PatternAt(point.x(), point.y()) | 0xFF000000u)
        << point.x() << "," << point.y();
  }
}

TEST_F(WindowedControl, CaptureCursorAndModalCancellationGoThroughTheWidget) {
  QWidget* child = Activate(RECT{0, 0, 100, 100});
  control->Window().SetCapture();
  EXPECT_EQ(QWidget::mouseGrabber(), child);
  control->Window().SetCursor(IDC_SIZEALL);
  EXPECT_EQ(child->cursor().shape(), Qt::SizeAllCursor);
  EXPECT_EQ(control->Window().Cursor(), IDC_SIZEALL);

  // A modal dialog over the control's window ends the drag, as on Windows.
  control->messages.clear();
  QDialog modal(parent);
  modal.setWindowModality(Qt::ApplicationModal);
  modal.show();
  QApplication::processEvents();
  EXPECT_EQ(control->MessageNumbers(), std::vector<UINT>{WM_CANCELMODE});
  EXPECT_FALSE(control->Window().HasCapture());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(WindowedControl, DeactivationAndALostParentLeaveAHeadlessControl) {
  QPointer<QWidget> child = Activate(RECT{0, 0, 80, 40});
  ASSERT_EQ(control->InPlaceDeactivate(), S_OK);
  EXPECT_TRUE(child.isNull());
  ASSERT_NE(control->Headless(), nullptr);
  EXPECT_EQ(control->Window().GetClientRect(), (RECT{0, 0, 80, 40}));

  child = Activate(RECT{0, 0, 80, 40});
  delete parent;
  EXPECT_TRUE(child.isNull());
  // The window is gone; its operations do nothing and nothing crashes.
  control->Window().Invalidate();
  control->Window().SetCapture();
  EXPECT_FALSE(control->Window().HasCapture());
  HWND hwnd = nullptr;
  EXPECT_EQ(control->GetWindow(&hwnd), E_FAIL);
}

TEST_F(WindowedControl, ControlMayLetGoOfItsWindowInsideTheWindowsOwnEvent) {
  QPointer<QWidget> child = Activate(RECT{0, 0, 80, 40});
  control->onPress = [](TestControl& self) { self.InPlaceDeactivate(); };
  QTest::mouseClick(parent->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  ASSERT_NE(control->Headless(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(child.isNull());
  // The release reached the parent, not the control that had left.
  EXPECT_EQ(control->MessageNumbers().back(), static_cast<UINT>(WM_LBUTTONDOWN));
}

TEST_F(WindowedControl, WithoutAParentTheControlStaysHeadless) {
  const RECT rect{0, 0, 64, 32};
  ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &rect), S_OK);
  ASSERT_NE(control->Headless(), nullptr);
  EXPECT_EQ(control->Window().GetClientRect(), (RECT{0, 0, 64, 32}));
  EXPECT_EQ(control->MessageNumbers(), std::vector<UINT>{WM_SIZE});
}

}  // namespace
}  // namespace varn::ui::testing
