// The drawing board's type information as a page runner reads it: the
// scripting interface through IDispatch, the class and its events through
// IProvideClassInfo, and the events it describes are the events it fires.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "drawing/drawing_control.h"
#include "platform/com/bstr.h"
#include "platform/com/class_info.h"
#include "platform/com/connection_point.h"
#include "platform/com/type_info.h"
#include "tests/support/dispatch_call.h"
#include "tests/support/event_sink_base.h"

namespace varn::drawing::testing {
namespace {

struct Described {
  std::u16string name;
  INVOKEKIND invkind;
  // VT_PTR parameters as VT_BYREF | the pointee's type.
  std::vector<VARTYPE> params;
  std::vector<USHORT> flags;
};

// Every function of a dispatch type info by memid (a property's get and put
// share one; the get is kept).
std::map<MEMBERID, Described> Describe(ITypeInfo* info) {
  std::map<MEMBERID, Described> functions;
  TYPEATTR* attr = nullptr;
  EXPECT_EQ(info->GetTypeAttr(&attr), S_OK);
  if (attr == nullptr) return functions;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    FUNCDESC* desc = nullptr;
    EXPECT_EQ(info->GetFuncDesc(i, &desc), S_OK);
    if (desc == nullptr) continue;
    Described function{{}, desc->invkind, {}, {}};
    for (SHORT p = 0; p < desc->cParams; ++p) {
      const ELEMDESC& param = desc->lprgelemdescParam[p];
      function.params.push_back(param.tdesc.vt == VT_PTR ? VT_BYREF | param.tdesc.lptdesc->vt
                                                         : param.tdesc.vt);
      function.flags.push_back(param.paramdesc.wParamFlags);
    }
    BSTR name = nullptr;
    UINT names = 0;
    EXPECT_EQ(info->GetNames(desc->memid, &name, 1, &names), S_OK);
    function.name = com::ToU16String(name);
    SysFreeString(name);
    functions.try_emplace(desc->memid, function);
    info->ReleaseFuncDesc(desc);
  }
  return functions;
}

std::vector<std::u16string> ParameterNames(ITypeInfo* info, MEMBERID memid) {
  BSTR names[8] = {};
  UINT count = 0;
  EXPECT_EQ(info->GetNames(memid, names, 8, &count), S_OK);
  std::vector<std::u16string> texts;
  for (UINT i = 1; i < count; ++i) texts.push_back(com::ToU16String(names[i]));
  for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
  return texts;
}

// Records each event's argument types, in declaration order.
class TypeRecorder final : public varn::testing::EventSinkBase {
 public:
  HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 UINT*) override {
    std::vector<VARTYPE> types;
    for (UINT i = params->cArgs; i-- > 0;) types.push_back(params->rgvarg[i].vt);
    fired.emplace_back(dispid, types);
    return S_OK;
  }
  std::vector<std::pair<DISPID, std::vector<VARTYPE>>> fired;
};

class DrawingTypeInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = com::MakeObject<CDrawingControl>();
    ASSERT_NE(control_, nullptr);
    ASSERT_EQ(control_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_)), S_OK);
    IProvideClassInfo* provider = nullptr;
    ASSERT_EQ(control_->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&provider)),
              S_OK);
    ASSERT_EQ(provider->GetClassInfo(&class_), S_OK);
    provider->Release();
    HREFTYPE ref = 0;
    ASSERT_EQ(class_->GetRefTypeOfImplType(1, &ref), S_OK);
    ASSERT_EQ(class_->GetRefTypeInfo(ref, &events_), S_OK);
  }
  void TearDown() override {
    if (events_ != nullptr) events_->Release();
    if (class_ != nullptr) class_->Release();
    if (dispatch_ != nullptr) dispatch_->Release();
    if (control_ != nullptr) {
      EXPECT_EQ(control_->Release(), 0u);
    }
  }

  CDrawingControl* control_ = nullptr;
  IDispatch* dispatch_ = nullptr;
  ITypeInfo* class_ = nullptr;
  ITypeInfo* events_ = nullptr;
};

TEST_F(DrawingTypeInfo, ClassAndInterfacesCarryTheirNames) {
  BSTR name = nullptr;
  ASSERT_EQ(class_->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(com::ToU16String(name), u"DrawingControl");
  SysFreeString(name);
  ASSERT_EQ(events_->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(com::ToU16String(name), u"_IDrawingControlEvents");
  SysFreeString(name);

  ITypeInfo* script = nullptr;
  ASSERT_EQ(dispatch_->GetTypeInfo(0, 0, &script), S_OK);
  ASSERT_EQ(script->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(com::ToU16String(name), u"IDrawingControl");
  SysFreeString(name);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(script->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, IID_IDrawingControl);
  EXPECT_EQ(attr->cFuncs, CDrawingControl::DispatchMembers().size());
  script->ReleaseTypeAttr(attr);
  ASSERT_EQ(class_->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, CLSID_DrawingControl);
  class_->ReleaseTypeAttr(attr);
  ASSERT_EQ(events_->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, DIID__IDrawingControlEvents);
  events_->ReleaseTypeAttr(attr);
  script->Release();
}

TEST_F(DrawingTypeInfo, GetPaletteColorTakesAnIndexAndGivesAColourText) {
  ITypeInfo* script = nullptr;
  ASSERT_EQ(dispatch_->GetTypeInfo(0, 0, &script), S_OK);
  const std::map<MEMBERID, Described> functions = Describe(script);
  ASSERT_EQ(functions.count(kDispGetPaletteColor), 1u);
  const Described& getter = functions.at(kDispGetPaletteColor);
  EXPECT_EQ(getter.name, u"GetPaletteColor");
  EXPECT_EQ(getter.invkind, INVOKE_FUNC);
  EXPECT_EQ(getter.params, (std::vector<VARTYPE>{VT_I4, VT_BYREF | VT_BSTR}));
  EXPECT_EQ(getter.flags, (std::vector<USHORT>{PARAMFLAG_FIN, PARAMFLAG_FOUT}));
  EXPECT_EQ(ParameterNames(script, kDispGetPaletteColor),
            (std::vector<std::u16string>{u"nIndex", u"bstrColor"}));
  script->Release();
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
  const std::map<MEMBERID, Described> functions = Describe(events_);
  EXPECT_EQ(functions.size(), std::size(expected));
  for (const Expected& event : expected) {
    auto found = functions.find(event.dispid);
    ASSERT_NE(found, functions.end()) << "event " << event.dispid;
    EXPECT_EQ(found->second.name, event.name);
    EXPECT_EQ(found->second.invkind, INVOKE_FUNC) << "event " << event.dispid;
    EXPECT_EQ(found->second.params.size(), event.argCount) << "event " << event.dispid;
    EXPECT_EQ(ParameterNames(events_, event.dispid).size(), event.argCount)
        << "every argument of event " << event.dispid << " is named";
    for (USHORT flag : found->second.flags) EXPECT_EQ(flag, PARAMFLAG_FIN);
  }
  EXPECT_EQ(ParameterNames(events_, kOnUpdateLayerInfo),
            (std::vector<std::u16string>{u"nIndex", u"nId", u"bSelected", u"bVisible"}));
  EXPECT_EQ(functions.at(kOnUploadFile).params,
            (std::vector<VARTYPE>{VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR}));
}

// A page binds handlers by these descriptions; an event that arrives with
// other arguments than described would reach the wrong handler parameters.
TEST_F(DrawingTypeInfo, FiredEventsCarryTheDescribedArgumentTypes) {
  auto* recorder = new TypeRecorder;
  recorder->AddRef();
  IConnectionPointContainer* container = nullptr;
  ASSERT_EQ(
      control_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
      S_OK);
  IConnectionPoint* point = nullptr;
  ASSERT_EQ(container->FindConnectionPoint(DIID__IDrawingControlEvents, &point), S_OK);
  container->Release();
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(recorder, &cookie), S_OK);

  auto call = [&](DISPID dispid, std::vector<VARIANT> args = {}) {
    return varn::testing::InvokeAsPage(dispatch_, dispid, DISPATCH_METHOD, std::move(args),
                                       nullptr);
  };
  auto put = [&](DISPID dispid, int32_t value) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = value;
    return varn::testing::InvokeAsPage(dispatch_, dispid, DISPATCH_PROPERTYPUT, {v}, nullptr);
  };
  VARIANT index{};
  index.vt = VT_I4;
  index.lVal = 0;
  VARIANT up{};
  up.vt = VT_BOOL;
  up.boolVal = VARIANT_TRUE;
  EXPECT_EQ(call(kDispAddLayer), S_OK);
  EXPECT_EQ(call(kDispSelectLayer, {index}), S_OK);
  EXPECT_EQ(call(kDispToggleLayerVisibility, {index}), S_OK);
  EXPECT_EQ(call(kDispMoveLayer, {up}), S_OK);
  EXPECT_EQ(call(kDispRequestLayersInfo), S_OK);
  EXPECT_EQ(call(kDispMergeLayer), S_OK);
  EXPECT_EQ(call(kDispDeleteLayer), S_OK);
  EXPECT_EQ(put(kDispToolType, 3), S_OK);
  EXPECT_EQ(put(kDispZoomValue, 2), S_OK);
  EXPECT_EQ(put(kDispImageWidth, 120), S_OK);
  point->Unadvise(cookie);
  point->Release();

  const std::map<MEMBERID, Described> functions = Describe(events_);
  std::map<DISPID, size_t> seen;
  for (const auto& [dispid, types] : recorder->fired) {
    ++seen[dispid];
    auto found = functions.find(dispid);
    ASSERT_NE(found, functions.end()) << "undescribed event " << dispid;
    EXPECT_EQ(types, found->second.params) << "event " << dispid;
  }
  recorder->Release();
  for (DISPID dispid : {kOnAddLayer, kOnSelectLayer, kOnToggleLayerVisibility, kOnMoveLayer,
                        kOnUpdateLayerInfo, kOnInvalidateInfo, kOnChangeTab, kOnSizeChange}) {
    EXPECT_GT(seen[dispid], 0u) << "event " << dispid << " was not fired";
  }
}

}  // namespace
}  // namespace varn::drawing::testing
