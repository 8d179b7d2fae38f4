// The drawing board in a real window: activated in a parent widget, it paints
// the zoomed canvas over its client area and draws with the widget's mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include "tests/drawing/board.h"

namespace varn::drawing::testing {
namespace {

// No application of the test's own: the board's imaging runtime makes one
// when the host has none, and takes it down with the last board, so nothing
// of this test outlives it.
class DrawingControlWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    parent = new QWidget;
    parent->resize(640, 640);
    parent->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(parent));
  }
  ~DrawingControlWindow() override {
    board.Control().InPlaceDeactivate();
    delete parent.data();
  }

  QWidget* Activate(const RECT& rect) {
    EXPECT_EQ(board.Control().DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, parent, &rect),
              S_OK);
    HWND hwnd = nullptr;
    EXPECT_EQ(board.Control().GetWindow(&hwnd), S_OK);
    return static_cast<QWidget*>(hwnd);
  }

  QPointer<QWidget> parent;
  Board board;
};

TEST_F(DrawingControlWindow, PaintsTheZoomedCanvasAndDrawsWithTheWidgetsMouse) {
  board.PutInt(kDispZoomValue, 2);
  board.PutText(kDispPaletteColor, u"#ff0000");
  board.PutInt(kDispPenWidth, 4);
  QWidget* child = Activate(RECT{0, 0, 600, 600});
  ASSERT_NE(child, nullptr);

  QTest::mousePress(child, Qt::LeftButton, Qt::NoModifier, QPoint(40, 100));
  EXPECT_TRUE(board.HasCapture());
  QTest::mouseMove(child, QPoint(300, 100));
  QTest::mouseRelease(child, Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
  EXPECT_FALSE(board.HasCapture());

  const QImage shot = child->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shot.size(), QSize(600, 600));
  // Canvas (20, 50) to (150, 50), four pixels wide, doubled on screen.
  EXPECT_EQ(shot.pixel(170, 100), 0xFFFF0000u);
  EXPECT_EQ(shot.pixel(170, 96), 0xFFFF0000u);
  EXPECT_EQ(shot.pixel(170, 120), 0xFFFFFFFFu);
  EXPECT_EQ(shot.pixel(400, 100), 0xFFFFFFFFu);
  for (int y = 80; y < 120; y += 2) {
    for (int x = 20; x < 320; x += 2) {
      const QRgb pixel = shot.pixel(x, y);
      ASSERT_EQ(shot.pixel(x + 1, y + 1), pixel) << x << ", " << y;
    }
  }
  // One step: undo brings back the empty canvas.
  board.Call(kDispUndo);
  const QImage empty = child->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(empty.pixel(170, 100), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace varn::drawing::testing
