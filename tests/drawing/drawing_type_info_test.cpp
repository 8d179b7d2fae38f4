// The drawing board's type information as a page runner reads it: the
// scripting interface through IDispatch, the class and its events through
// IProvideClassInfo, and the events it describes are the events it fires.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/com/class_info.h"
#include "platform/com/com_ref.h"
#include "platform/com/module_count.h"
#include "platform/com/type_info.h"
#include "tests/drawing/board.h"
#include "tests/support/type_info_reading.h"

namespace varn::drawing::testing {
namespace {

using varn::testing::AllFunctions;
using varn::testing::AttributesOf;
using varn::testing::Function;
using varn::testing::NamesOf;
using varn::testing::TypeName;

struct Described {
  std::u16string name;
  Function function;
};

// Every function of a dispatch type info by memid (a property's get and put
// share one; the get is kept).
std::map<MEMBERID, Described> Describe(ITypeInfo* info) {
  std::map<MEMBERID, Described> functions;
  for (const Function& function : AllFunctions(info)) {
    functions.try_emplace(function.memid,
                          Described{NamesOf(info, function.memid, 1).at(0), function});
  }
  return functions;
}

std::vector<std::u16string> ParameterNames(ITypeInfo* info, MEMBERID memid) {
  std::vector<std::u16string> names = NamesOf(info, memid);
  if (!names.empty()) names.erase(names.begin());
  return names;
}

class DrawingTypeInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(board_.Dispatch(), nullptr);
    const com::ComRef<IProvideClassInfo> provider = board_.As<IProvideClassInfo>();
    ASSERT_TRUE(provider);
    ASSERT_EQ(provider->GetClassInfo(class_.Out()), S_OK);
    HREFTYPE ref = 0;
    ASSERT_EQ(class_->GetRefTypeOfImplType(1, &ref), S_OK);
    ASSERT_EQ(class_->GetRefTypeInfo(ref, events_.Out()), S_OK);
  }
  void TearDown() override {
    events_.Reset();
    class_.Reset();
    // The type information holds no reference: the board goes with the page's.
    EXPECT_FALSE(com::CanUnloadModule()) << "the board is a live object";
    board_.Drop();
    EXPECT_TRUE(com::CanUnloadModule()) << "something still holds the board";
  }

  com::ComRef<ITypeInfo> ScriptInfo() {
    com::ComRef<ITypeInfo> script;
    EXPECT_EQ(board_.Dispatch()->GetTypeInfo(0, 0, script.Out()), S_OK);
    return script;
  }

  Board board_;
  com::ComRef<ITypeInfo> class_;
  com::ComRef<ITypeInfo> events_;
};

TEST_F(DrawingTypeInfo, ClassAndInterfacesCarryTheirNames) {
  EXPECT_EQ(TypeName(class_.Get()), u"DrawingControl");
  EXPECT_EQ(TypeName(events_.Get()), u"_IDrawingControlEvents");
  const com::ComRef<ITypeInfo> script = ScriptInfo();
  ASSERT_TRUE(script);
  EXPECT_EQ(TypeName(script.Get()), u"IDrawingControl");
  EXPECT_EQ(AttributesOf(script.Get()).guid, IID_IDrawingControl);
  EXPECT_EQ(AttributesOf(script.Get()).cFuncs, CDrawingControl::DispatchMembers().size());
  EXPECT_EQ(AttributesOf(class_.Get()).guid, CLSID_DrawingControl);
  EXPECT_EQ(AttributesOf(events_.Get()).guid, DIID__IDrawingControlEvents);
}

TEST_F(DrawingTypeInfo, GetPaletteColorTakesAnIndexAndGivesAColourText) {
  const com::ComRef<ITypeInfo> script = ScriptInfo();
  ASSERT_TRUE(script);
  const std::map<MEMBERID, Described> functions = Describe(script.Get());
  ASSERT_EQ(functions.count(kDispGetPaletteColor), 1u);
  const Described& getter = functions.at(kDispGetPaletteColor);
  EXPECT_EQ(getter.name, u"GetPaletteColor");
  EXPECT_EQ(getter.function.invkind, INVOKE_FUNC);
  EXPECT_EQ(getter.function.params, (std::vector<VARTYPE>{VT_I4, VT_BYREF | VT_BSTR}));
  EXPECT_EQ(getter.function.flags, (std::vector<USHORT>{PARAMFLAG_FIN, PARAMFLAG_FOUT}));
  EXPECT_EQ(ParameterNames(script.Get(), kDispGetPaletteColor),
            (std::vector<std::u16string>{u"nIndex", u"bstrColor"}));
}

TEST_F(DrawingTypeInfo, EventInterfaceListsEveryEventWithItsArguments) {
  struct Expected {
    DrawingEvent dispid;
    const char16_t* name;
    size_t argCount;
  };
  const Expected expected[] = {
      {kOnSizeChange, u"OnSizeChange", 2},
      {kOnAddLayer, u"OnAddLayer", 1},
      {kOnDeleteLayer, u"OnDeleteLayer", 1},
      {kOnSelectLayer, u"OnSelectLayer", 2},
      {kOnMoveLayer, u"OnMoveLayer", 2},
      {kOnToggleLayerVisibility, u"OnToggleLayerVisibility", 2},
      {kOnInvalidateInfo, u"OnInvalidateInfo", 0},
      {kOnUpdateLayerInfo, u"OnUpdateLayerInfo", 4},
      {kOnChangeTab, u"OnChangeTab", 1},
      {kOnUploadFile, u"OnUploadFile", 4},
      {kOnUploadFileComplete, u"OnUploadFileComplete", 1},
      {kOnUpdateColor, u"OnUpdateColor", 0},
      {kOnMoveImage, u"OnMoveImage", 2},
  };
  const std::map<MEMBERID, Described> functions = Describe(events_.Get());
  EXPECT_EQ(functions.size(), std::size(expected));
  for (const Expected& event : expected) {
    auto found = functions.find(event.dispid);
    ASSERT_NE(found, functions.end()) << "event " << event.dispid;
    EXPECT_EQ(found->second.name, event.name);
    EXPECT_EQ(found->second.function.invkind, INVOKE_FUNC) << "event " << event.dispid;
    EXPECT_EQ(found->second.function.params.size(), event.argCount) << "event " << event.dispid;
    EXPECT_EQ(ParameterNames(events_.Get(), event.dispid).size(), event.argCount)
        << "every argument of event " << event.dispid << " is named";
    for (USHORT flag : found->second.function.flags) EXPECT_EQ(flag, PARAMFLAG_FIN);
  }
  EXPECT_EQ(ParameterNames(events_.Get(), kOnUpdateLayerInfo),
            (std::vector<std::u16string>{u"nIndex", u"nId", u"bSelected", u"bVisible"}));
  EXPECT_EQ(functions.at(kOnUploadFile).function.params,
            (std::vector<VARTYPE>{VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR}));
}

// A page binds handlers by these descriptions; an event that arrives with
// other arguments than described would reach the wrong handler parameters.
TEST_F(DrawingTypeInfo, FiredEventsCarryTheDescribedArgumentTypes) {
  EXPECT_EQ(board_.Call(kDispAddLayer), S_OK);
  EXPECT_EQ(board_.Call(kDispSelectLayer, {I4(0)}), S_OK);
  EXPECT_EQ(board_.Call(kDispToggleLayerVisibility, {I4(0)}), S_OK);
  EXPECT_EQ(board_.Call(kDispMoveLayer, {Bool(true)}), S_OK);
  EXPECT_EQ(board_.Call(kDispRequestLayersInfo), S_OK);
  EXPECT_EQ(board_.Call(kDispMergeLayer), S_OK);
  EXPECT_EQ(board_.Call(kDispDeleteLayer), S_OK);
  EXPECT_EQ(board_.PutInt(kDispToolType, 3), S_OK);
  EXPECT_EQ(board_.PutInt(kDispZoomValue, 2), S_OK);
  EXPECT_EQ(board_.PutInt(kDispImageWidth, 120), S_OK);

  const std::map<MEMBERID, Described> functions = Describe(events_.Get());
  std::map<DISPID, size_t> seen;
  for (const Event& event : board_.TakeEvents()) {
    ++seen[event.dispid];
    auto found = functions.find(event.dispid);
    ASSERT_NE(found, functions.end()) << "undescribed event " << event.dispid;
    EXPECT_EQ(event.Types(), found->second.function.params) << "event " << event.dispid;
  }
  for (DISPID dispid : {kOnAddLayer, kOnSelectLayer, kOnToggleLayerVisibility, kOnMoveLayer,
                        kOnUpdateLayerInfo, kOnInvalidateInfo, kOnChangeTab, kOnSizeChange}) {
    EXPECT_GT(seen[dispid], 0u) << "event " << dispid << " was not fired";
  }
}

}  // namespace
}  // namespace varn::drawing::testing
