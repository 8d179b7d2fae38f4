// The script bridge over a stand-in control: what a page's script sees of a
// control's properties, methods, out parameters, HRESULTs and events.
#include <QJsonDocument>

#include "tests/host/page/page_fixture.h"
#include "tests/platform/com/test_control.h"

namespace varn::host::testing {
namespace {

class ScriptBridge : public PageFixture {
 protected:
  void SetUp() override {
    PageFixture::SetUp();
    control_ = new com::testing::CTestControl();
    auto object = com::ComRef<IUnknown>::Share(control_->Identity());
    const QJSValue proxy = Page().AddControl(object, 120, 80);
    ASSERT_FALSE(proxy.isError()) << proxy.toString().toStdString();
    Page().Engine().globalObject().setProperty(QStringLiteral("c"), proxy);
  }

  // Keeps a reference of the test's own: the page lets go of it on Close.
  com::testing::CTestControl* control_ = nullptr;
};

TEST_F(ScriptBridge, PropertiesReadAndWriteAsScriptValues) {
  Eval("c.count = 5; c.enabled = true;");
  EXPECT_EQ(Eval("c.count").toInt(), 5);
  EXPECT_TRUE(Eval("c.count === 5 && c.enabled === true").toBool());
  // Names match without regard to case, as GetIDsOfNames does.
  EXPECT_EQ(Eval("c.COUNT = 7; c.Count").toInt(), 7);
  // A whole double is passed as a number the control takes.
  EXPECT_EQ(Eval("c.count = 3.0; c.count").toInt(), 3);
  EXPECT_TRUE(Eval("'count' in c && 'Add' in c && 'OnChanged' in c && !('nothing' in c)").toBool());
  EXPECT_TRUE(Eval("c.nothing === undefined").toBool());
  EXPECT_EQ(Eval("String(c)").toString(), QStringLiteral("[object TestControl]"));
}

TEST_F(ScriptBridge, NullAndEmptyStringsStayApart) {
  EXPECT_TRUE(Eval("c.Name === null").toBool());
  EXPECT_TRUE(Eval("c.Name = ''; c.Name === ''").toBool());
  EXPECT_TRUE(Eval("c.Name = null; c.Name === null").toBool());
  EXPECT_TRUE(Eval("c.Name = 'Ärger 字'; c.Name === 'Ärger 字'").toBool());
  // undefined is VT_EMPTY, which a string parameter also takes as null.
  EXPECT_TRUE(Eval("c.Name = undefined; c.Name === null").toBool());
  // A number for a string parameter arrives as its text.
  EXPECT_TRUE(Eval("c.Name = 12; c.Name === '12'").toBool());
}

TEST_F(ScriptBridge, SFalseGetterGivesUndefined) {
  EXPECT_TRUE(Eval("c.count = -1; c.optional === undefined").toBool());
  EXPECT_TRUE(Eval("c.count = 0; c.optional === 'present'").toBool());
}

TEST_F(ScriptBridge, OutParametersBecomeTheCallsResult) {
  EXPECT_EQ(Eval("c.Add(2, 40)").toInt(), 42);
  EXPECT_EQ(Eval("JSON.stringify(c.Describe())").toString(),
            QStringLiteral(R"(["count 0",false])"));
  EXPECT_EQ(Eval("c.count = 3; c.Name = 'n'; JSON.stringify(c.Describe())").toString(),
            QStringLiteral(R"(["count 3",true])"));
  // A method without out parameters answers undefined, also for S_FALSE.
  EXPECT_TRUE(Eval("c.Check(0) === undefined && c.Check(1) === undefined").toBool());
}

TEST_F(ScriptBridge, WrongUseThrowsTypeErrorsThatNameTheMember) {
  EXPECT_EQ(Thrown("c.Add(1)"),
            QStringLiteral("TypeError: TestControl.Add takes 2 argument(s) (a, b), 1 given"));
  EXPECT_EQ(Thrown("c.Add(1, 2, 3)"),
            QStringLiteral("TypeError: TestControl.Add takes 2 argument(s) (a, b), 3 given"));
  EXPECT_EQ(Thrown("c.nothing = 1"),
            QStringLiteral("TypeError: TestControl has no member 'nothing' to set"));
  EXPECT_EQ(Thrown("c.optional = 'x'"),
            QStringLiteral("TypeError: TestControl.optional cannot be set"));
  EXPECT_EQ(Thrown("c.Add = 1"), QStringLiteral("TypeError: TestControl.Add cannot be set"));
  EXPECT_EQ(Thrown("c.Add({}, 1)"),
            QStringLiteral("TypeError: TestControl.Add: an object cannot be passed to a control"));
  EXPECT_EQ(Thrown("c.OnChanged = 5"),
            QStringLiteral("TypeError: TestControl.OnChanged takes a function or null"));
  EXPECT_TRUE(Thrown("c.count()").startsWith(QStringLiteral("TypeError")));
}

TEST_F(ScriptBridge, FailedCallsThrowWithTheirHResult) {
  EXPECT_EQ(Thrown("c.Check(-1)"),
            QStringLiteral("Error: TestControl.Check: E_INVALIDARG (0x80070057) #-2147024809"));
  EXPECT_EQ(Thrown("c.Exhaust()"),
            QStringLiteral("Error: TestControl.Exhaust: E_OUTOFMEMORY (0x8007000E) #-2147024882"));
  EXPECT_EQ(Thrown("c.Check(2)"), QString());
}

TEST_F(ScriptBridge, EventsCallTheirHandlerWithTheirArguments) {
  Eval("var got = []; c.OnChanged = function (n, b, s) { got.push([n, b, s]); };");
  EXPECT_TRUE(Eval("typeof c.OnChanged === 'function' && c.OnCleared === null").toBool());
  Eval(
      "c.count = 4; c.enabled = true; c.Name = 'x'; c.FireChanged();"
      "c.Name = null; c.enabled = false; c.FireChanged();");
  EXPECT_EQ(Eval("JSON.stringify(got)").toString(),
            QStringLiteral(R"([[4,true,"x"],[4,false,null]])"));
  // Handlers are called only while set; the control is not bothered otherwise.
  Eval("c.OnChanged = null; c.FireChanged();");
  EXPECT_EQ(Eval("got.length").toInt(), 2);
}

TEST_F(ScriptBridge, AHandlerCallsBackIntoTheControlBeforeTheCallReturns) {
  Eval("var seen = []; c.OnChanged = function (n) { seen.push(n + ':' + c.count); };");
  Eval("c.FireTwice(); seen.push('returned');");
  EXPECT_EQ(Eval("seen.join(' ')").toString(), QStringLiteral("0:0 1:1 returned"));
  Eval("c.OnChanged = function () { c.count = c.count + 10; }; c.FireChanged();");
  EXPECT_EQ(Eval("c.count").toInt(), 11);
}

TEST_F(ScriptBridge, AFailingHandlerIsReportedAndTheCallGoesOn) {
  Eval("c.OnChanged = function () { throw new Error('handler broke'); };");
  EXPECT_EQ(Thrown("c.FireTwice()"), QString());
  EXPECT_EQ(Page().Errors(), 2);
  ASSERT_FALSE(Lines().isEmpty());
  EXPECT_TRUE(Lines().front().contains(QStringLiteral("in TestControl.OnChanged handler")))
      << Lines().front().toStdString();
  EXPECT_TRUE(Lines().front().contains(QStringLiteral("handler broke")));
}

TEST_F(ScriptBridge, AClosedPageLetsGoOfItsControls) {
  control_->AddRef();
  Eval("var calls = 0; c.OnChanged = function () { ++calls; };");
  Page().Close();
  control_->FireChanged();  // no sink is connected any more
  EXPECT_EQ(Eval("calls").toInt(), 0);
  EXPECT_TRUE(Thrown("c.count").contains(QStringLiteral("has been removed from the page")));
  EXPECT_TRUE(Thrown("c.OnChanged = function () {}").contains(QStringLiteral("removed")));
  EXPECT_EQ(control_->Release(), 0u);
}

}  // namespace
}  // namespace varn::host::testing
