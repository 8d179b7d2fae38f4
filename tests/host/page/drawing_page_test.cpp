// The drawing board from the module on a page: created by class name, drawn
// on with the page's mouse, its dialogs answered by the page, and its tool
// changed by a button of the page's own, with and without a window.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QWidget>

#include "host/page/page_ui.h"
#include "tests/host/page/page_fixture.h"

namespace varn::host::testing {
namespace {

using DrawingPage = PageFixture;

bool IsRed(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60; }

TEST_F(DrawingPage, ControlsAreMadeByClassNameOrProgId) {
  EXPECT_EQ(Eval("var a = page.create('DrawingControl', 200, 100); a.imageWidth").toInt(), 300);
  EXPECT_EQ(Eval("var b = page.create('VarnPostingTool.DrawingControl.1'); b.toolType").toInt(), 2);
  EXPECT_EQ(Thrown("page.create('Nothing', 10, 10)"),
            QStringLiteral("TypeError: no control class 'Nothing'"));
  EXPECT_TRUE(Thrown("page.create('DrawingControl', 100000, 10)").startsWith("RangeError"));
  EXPECT_EQ(Thrown("page.press({}, 1, 1)"),
            QStringLiteral("TypeError: not a control of this page"));
}

TEST_F(DrawingPage, ThePagesMouseDrawsAndTheSnapshotShowsIt) {
  Eval(
      "var board = page.create('DrawingControl', 300, 300);"
      "board.paletteColor = '#ff0000'; board.penWidth = 6;"
      "page.drag(board, [[20, 150], [150, 150], [280, 150]]);");
  const QString path = Eval("page.snapshot(board, 'pen.png')").toString();
  QImage drawn(path);
  ASSERT_FALSE(drawn.isNull()) << path.toStdString();
  EXPECT_EQ(drawn.size(), QSize(300, 300));
  EXPECT_TRUE(IsRed(drawn.pixel(150, 150)));
  EXPECT_EQ(drawn.pixel(150, 50), qRgb(255, 255, 255));

  Eval("board.Undo(); page.snapshot(board, 'undone.png');");
  EXPECT_EQ(QImage(Page().Native().path("undone.png")).pixel(150, 150), qRgb(255, 255, 255));
}

// A snapshot lands inside the page's output folder or nowhere: no absolute
// path, no way up, no link leading out.
TEST_F(DrawingPage, SnapshotsStayInsideTheOutputFolder) {
  const QDir out(OutputDir());
  QDir outside(QDir(out.filePath("..")).absoluteFilePath("outside"));
  outside.removeRecursively();
  ASSERT_TRUE(QDir().mkpath(outside.path()));
  ASSERT_TRUE(out.mkpath("sub"));
  QFile::remove(out.filePath("folder-link"));
  QFile::remove(out.filePath("file-link.png"));
  ASSERT_TRUE(QFile::link(outside.path(), out.filePath("folder-link")));
  {
    QFile target(outside.filePath("target.png"));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("kept");
  }
  ASSERT_TRUE(QFile::link(outside.filePath("target.png"), out.filePath("file-link.png")));
  Eval("var board = page.create('DrawingControl', 50, 50);");

  struct Case {
    QString name;
    bool written;
  };
  const Case cases[] = {
      {"inside.png", true},
      {"sub/inside.png", true},
      {outside.filePath("absolute.png"), false},
      {"../outside/up.png", false},
      {"sub/../../outside/up-again.png", false},
      {"folder-link/through.png", false},
      {"file-link.png", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    const QString thrown = Thrown(QStringLiteral("page.snapshot(board, '%1')").arg(c.name));
    if (c.written) {
      EXPECT_EQ(thrown, QString());
      EXPECT_FALSE(QImage(out.filePath(c.name)).isNull());
    } else {
      EXPECT_TRUE(thrown.contains(QStringLiteral("inside the output folder")))
          << thrown.toStdString();
    }
  }
  EXPECT_EQ(outside.entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"target.png"});
  QFile target(outside.filePath("target.png"));
  ASSERT_TRUE(target.open(QIODevice::ReadOnly));
  EXPECT_EQ(target.readAll(), QByteArray("kept"));
}

TEST_F(DrawingPage, FarPointsStayFarInsteadOfWrappingIntoTheCanvas) {
  Eval(
      "var board = page.create('DrawingControl', 300, 300);"
      "board.paletteColor = '#ff0000'; board.penWidth = 6;"
      "page.drag(board, [[150, 10], [150, 65541]]);");
  const QImage drawn(Eval("page.snapshot(board, 'far.png')").toString());
  EXPECT_TRUE(IsRed(drawn.pixel(150, 200)));
}

TEST_F(DrawingPage, LayerEventsArriveInsideTheCallThatFiresThem) {
  Eval(
      "var board = page.create('DrawingControl', 300, 300); var rows = [];"
      "board.OnUpdateLayerInfo = function (index, id, selected, visible) {"
      "  rows.push([index, id, selected, visible]); };"
      "board.OnAddLayer = function (id) { rows = []; board.RequestLayersInfo(); };");
  const QJSValue afterCall = Eval("board.AddLayer(); JSON.stringify(rows)");
  EXPECT_EQ(afterCall.toString().count('['), 3) << afterCall.toString().toStdString();
  EXPECT_TRUE(Eval("rows[1][2] === true && rows[0][2] === false && rows[1][3] === true").toBool());
}

TEST_F(DrawingPage, FileDialogsAreAnsweredByThePageOrCancelled) {
  const QString paintFile = Page().Native().path("answered.tbp");
  QFile::remove(paintFile);
  Eval(
      "var board = page.create('DrawingControl', 300, 300); var sizes = 0;"
      "board.OnSizeChange = function () { ++sizes; };"
      "page.answerFileDialog('answered.tbp'); board.ExportToFile();");
  EXPECT_TRUE(QFile::exists(paintFile));
  EXPECT_TRUE(Lines().last().startsWith(QStringLiteral("file dialog (save")));
  EXPECT_TRUE(Lines().last().endsWith(paintFile));

  Eval("board.ImportFromFile();");  // nothing queued: cancelled
  EXPECT_TRUE(Lines().last().endsWith(QStringLiteral("not answered by the page, cancelled")));
  EXPECT_EQ(Eval("sizes").toInt(), 0);
  Eval("page.answerFileDialog(null); board.ImportFromFile();");
  EXPECT_TRUE(Lines().last().endsWith(QStringLiteral("): cancelled")));
  Eval("page.answerFileDialog('answered.tbp'); board.ImportFromFile();");
  EXPECT_EQ(Eval("sizes").toInt(), 1);
  EXPECT_EQ(Page().Errors(), 0);
}

TEST_F(DrawingPage, InAWindowTheControlIsAWidgetAndButtonsAreReal) {
  PageWindow window(QStringLiteral("test page"));
  OpenPage(&window);
  window.Window()->show();
  Eval(
      "var board = page.create('DrawingControl', 300, 300);"
      "page.section('Tools');"
      "var line = page.button('Line', function () { board.toolType = 4; });");
  EXPECT_EQ(Page().Errors(), 0) << Lines().join('\n').toStdString();

  QPushButton* button = nullptr;
  for (QPushButton* candidate : window.Window()->findChildren<QPushButton*>()) {
    if (candidate->text() == QStringLiteral("Line")) button = candidate;
  }
  ASSERT_NE(button, nullptr);
  button->click();  // the member's click on the widget
  EXPECT_EQ(Eval("board.toolType").toInt(), 4);
  Eval("board.toolType = 2; line.click();");  // the script's click on the same button
  EXPECT_EQ(Eval("board.toolType").toInt(), 4);

  // The page's mouse reaches the control's widget as Qt mouse events.
  Eval(
      "board.toolType = 2; board.paletteColor = '#ff0000'; board.penWidth = 6;"
      "page.drag(board, [[20, 100], [280, 100]]);");
  EXPECT_TRUE(IsRed(QImage(Eval("page.snapshot(board, 'window.png')").toString()).pixel(150, 100)));
  OpenPage(nullptr);  // the page goes before its window
}

}  // namespace
}  // namespace varn::host::testing
