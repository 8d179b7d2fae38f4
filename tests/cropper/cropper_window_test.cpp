// The cropper in a real window: the widget's keys and mouse reach the
// selection, and the window shows the darkened photo; and the interfaces a
// container finds on it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <QWidget>

#include "common/imaging_startup.h"
#include "platform/com/class_info.h"
#include "platform/com/persist.h"
#include "tests/cropper/cropper_page.h"

namespace varn::cropper::testing {
namespace {

using system::testing::ScratchDirectory;

class CropperWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    parent = new QWidget;
    parent->resize(640, 480);
    parent->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent));
    cropper.Load(WriteSolidPicture(scratch / "photo.png", 1000, 750, kWhite));
    const RECT rect{0, 0, 500, 375};
    ASSERT_EQ(
        cropper.Control().DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, parent, &rect),
        S_OK);
    HWND hwnd = nullptr;
    ASSERT_EQ(cropper.Control().GetWindow(&hwnd), S_OK);
    child = static_cast<QWidget*>(hwnd);
  }
  ~CropperWindow() override {
    cropper.Control().InPlaceDeactivate();
    delete parent.data();
  }

  // The cropper takes the imaging runtime only around its picture work; the
  // test keeps the application it makes for as long as the window lives.
  ImagingScope imaging;
  ScratchDirectory scratch;
  Cropper cropper;
  QPointer<QWidget> parent;
  QWidget* child = nullptr;
};

TEST_F(CropperWindow, TheWidgetsKeysAndMouseMoveTheSelection) {
  ASSERT_NE(child, nullptr);
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    RECT rect;
    int32_t offset;
  };
  const Case kCases[] = {
      {Qt::Key_Right, Qt::NoModifier, {177, 77, 325, 297}, 0},
      {Qt::Key_Down, Qt::ShiftModifier, {177, 87, 325, 307}, 0},
      {Qt::Key_Left, Qt::NoModifier, {176, 87, 324, 307}, 0},
      {Qt::Key_PageDown, Qt::NoModifier, {176, 87, 324, 307}, 10},
      {Qt::Key_F5, Qt::NoModifier, {176, 87, 324, 307}, 10},
  };
  for (const Case& c : kCases) {
    QTest::keyClick(child, c.key, c.modifiers);
    EXPECT_EQ(cropper.Rect(), c.rect) << c.key;
    EXPECT_EQ(cropper.Selection().squareOffset, c.offset) << c.key;
  }

  QTest::mousePress(child, Qt::LeftButton, Qt::NoModifier, QPoint(250, 280));
  EXPECT_TRUE(cropper.HasCapture());
  QTest::mouseMove(child, QPoint(260, 250));
  QTest::mouseRelease(child, Qt::LeftButton, Qt::NoModifier, QPoint(260, 250));
  EXPECT_FALSE(cropper.HasCapture());
  EXPECT_EQ(cropper.Rect(), (RECT{186, 57, 334, 277}));

  const QImage shot = child->grab().toImage().convertToFormat(QImage::Format_RGB32);
  // White at 96 of 255 over black outside, white inside.
  EXPECT_EQ(shot.pixel(50, 50), 0xFF606060u);
  EXPECT_EQ(shot.pixel(250, 200), 0xFFFFFFFFu);
}

TEST(CropperInterfaces, AnswersTheControlsInterfacesAndNoPropertyBag) {
  Cropper cropper;
  EXPECT_TRUE(cropper.As<ISupportErrorInfo>());
  EXPECT_TRUE(cropper.As<ISpecifyPropertyPages>());
  EXPECT_TRUE(cropper.As<IQuickActivate>());
  EXPECT_TRUE(cropper.As<IPersistStorage>());
  EXPECT_TRUE(cropper.As<IDataObject>());
  EXPECT_TRUE(cropper.As<IProvideClassInfo2>());
  EXPECT_TRUE(cropper.As<IPersistStreamInit>());
  EXPECT_FALSE(cropper.As<IPersistPropertyBag>());

  // The page binds Save by name, although the class's own Save is the
  // stream's.
  const char16_t* names[] = {u"save", u"SUBMIT", u"MiniImagePath"};
  const DISPID expected[] = {kDispSave, kDispSubmit, kDispMiniImagePath};
  for (size_t i = 0; i < std::size(names); ++i) {
    DISPID dispid = 0;
    auto* name = const_cast<LPOLESTR>(names[i]);
    EXPECT_EQ(cropper.Dispatch()->GetIDsOfNames(IID_NULL, &name, 1, 0, &dispid), S_OK);
    EXPECT_EQ(dispid, expected[i]);
  }
}

}  // namespace
}  // namespace varn::cropper::testing
