// The editor's scripting surface: what a fresh control answers, the
// interfaces it offers, its object parameters, colours, the frame caption,
// and the values the pictures refuse.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "imagedoc/frame.h"
#include "platform/com/control_extras.h"
#include "platform/com/data_object.h"
#include "platform/com/persist.h"
#include "tests/imageedit/editor_page.h"

namespace varn::imageedit::testing {
namespace {

using varn::testing::I4;
using varn::testing::Text;

struct Member {
  DISPID dispid;
  WORD flags;
  std::vector<int32_t> args;  // numbers; none for getters
};

// Every member that needs a picture answers S_FALSE, leaves a getter's value
// empty and fires nothing while the list is empty.
TEST(EditorFresh, MembersThatNeedAPictureAnswerFalse) {
  Editor editor;
  const DISPID getters[] = {
      kDispToolType,       kDispFrameIndex,        kDispSignFilePath,     kDispSignAlign,
      kDispFrameUseUrl,    kDispTextCurrentText,   kDispTextCartoonIndex, kDispDrawPenWidth,
      kDispEraserPenWidth, kDispDrawPenColor,      kDispSignStampText,    kDispSignStampIndex,
      kDispSignIndex,      kDispFontName,          kDispFontSize,         kDispFontAlign,
      kDispFontColor,      kDispFontBgColor,       kDispFontTransparency, kDispFontStyle,
      kDispImageComment,   kDispImageCommentAlign, kDispFileKey,          kDispActionPage,
  };
  for (const DISPID dispid : getters) {
    com::Variant result;
    EXPECT_EQ(editor.Invoke(dispid, DISPATCH_PROPERTYGET, {}, result.Get()), S_FALSE) << dispid;
    EXPECT_EQ(result.Type(), VT_EMPTY) << dispid;
  }
  const Member calls[] = {
      {kDispDeleteImage, DISPATCH_METHOD, {}},
      {kDispImageIndex, DISPATCH_PROPERTYPUT, {0}},
      {kDispRotateImage, DISPATCH_METHOD, {90}},
      {kDispUndoRedo, DISPATCH_METHOD, {0}},
      {kDispSetEffect, DISPATCH_METHOD, {1, 1}},
      {kDispResetImage, DISPATCH_METHOD, {}},
      {kDispApplyCurrentText, DISPATCH_METHOD, {}},
      {kDispSaveAndSubmit, DISPATCH_METHOD, {}},
      {kDispSetSignFilePath, DISPATCH_METHOD, {}},
      {kDispToolType, DISPATCH_PROPERTYPUT, {2}},
      {kDispFrameIndex, DISPATCH_PROPERTYPUT, {3}},
      {kDispImageWidth, DISPATCH_PROPERTYPUT, {100}},
      {kDispImageSizeType, DISPATCH_PROPERTYPUT, {0}},
      {kDispImageWholeFrameApply, DISPATCH_PROPERTYPUT, {1}},
  };
  for (const Member& member : calls) {
    std::vector<VARIANT> args;
    for (const int32_t number : member.args) args.push_back(I4(number));
    EXPECT_EQ(editor.Invoke(member.dispid, member.flags, args, nullptr), S_FALSE) << member.dispid;
  }
  EXPECT_TRUE(editor.Dialogs().fileDialogs.empty());
  EXPECT_EQ(editor.TakeEvents(), Events{});
}

TEST(EditorFresh, ValuesThatNeedNoPicture) {
  Editor editor;
  EXPECT_EQ(editor.GetInt(kDispImageIndex), -1);
  EXPECT_EQ(editor.GetInt(kDispImageSizeType), -1);
  EXPECT_EQ(editor.GetInt(kDispImageWidth), 0);
  EXPECT_EQ(editor.GetInt(kDispMozaicSize), 5);
  EXPECT_EQ(editor.GetInt(kDispImageWholeFrameApply), 0);
  EXPECT_EQ(editor.Favorite(0), "#000000");
  EXPECT_EQ(editor.Call(kDispSelectFont), S_OK);
  // Stored even while the list is empty, for the pictures to come.
  EXPECT_EQ(editor.PutInt(kDispImageWholeFrameApply, 1), S_FALSE);
  EXPECT_EQ(editor.GetInt(kDispImageWholeFrameApply), 1);
}

TEST(EditorInterfaces, PropertyBagButNoStorageDataPagesQuickActivationOrErrorInfo) {
  Editor editor;
  EXPECT_TRUE(editor.As<IPersistPropertyBag>());
  EXPECT_TRUE(editor.As<IPersistStreamInit>());
  EXPECT_TRUE(editor.As<IProvideClassInfo2>());
  EXPECT_TRUE(editor.As<IObjectSafety>());
  const IID* refused[] = {&IID_IPersistStorage, &IID_IDataObject, &IID_ISpecifyPropertyPages,
                          &IID_IQuickActivate, &IID_ISupportErrorInfo};
  for (const IID* iid : refused) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(editor.Control().QueryInterface(*iid, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
  }
}

// A host's <param> values, as a property bag of variants.
class Bag final : public com::ComObject<IPropertyBag> {
 public:
  HRESULT Read(LPCOLESTR name, VARIANT* value, IErrorLog* /*log*/) override {
    const auto it = values.find(name);
    if (it == values.end()) return E_INVALIDARG;
    return VariantCopy(value, it->second.Get());
  }
  HRESULT Write(LPCOLESTR name, VARIANT* value) override {
    com::Variant copy;
    const HRESULT hr = VariantCopy(copy.Get(), value);
    values[name] = std::move(copy);
    return hr;
  }
  std::map<std::u16string, com::Variant> values;
};

TEST(EditorPropertyBag, LoadsKeyAddressAndExtentAndSavesThemBack) {
  Editor editor;
  auto bag = varn::testing::MakeRef<Bag>();
  bag->values[u"FileKey"] = com::Variant::FromText(u"k1");
  bag->values[u"ActionPage"] = com::Variant::FromText(u"http://blog.varn.example/post");
  bag->values[u"_cx"] = com::Variant::FromInt(1000);
  const auto persist = editor.As<IPersistPropertyBag>();
  ASSERT_TRUE(persist);
  EXPECT_EQ(persist->InitNew(), S_OK);
  EXPECT_EQ(persist->Load(bag.Get(), nullptr), S_OK);
  EXPECT_EQ(editor.Control().FileKeyValue(), u"k1");
  EXPECT_EQ(editor.Control().ActionPageValue(), u"http://blog.varn.example/post");
  EXPECT_EQ(editor.Control().Extent().cx, 1000);
  EXPECT_EQ(editor.Control().Extent().cy, 5080);  // not in the bag: kept
  EXPECT_EQ(imagedoc::FrameCaptionText(), u"http://blog");

  auto saved = varn::testing::MakeRef<Bag>();
  EXPECT_EQ(persist->Save(saved.Get(), TRUE, TRUE), S_OK);
  EXPECT_EQ(com::BstrView(saved->values[u"FileKey"].Value().bstrVal), u"k1");
  EXPECT_EQ(saved->values[u"_cx"].Value().lVal, 1000);
  EXPECT_EQ(saved->values[u"_cy"].Value().lVal, 5080);
}

TEST(EditorPropertyBag, AValueOfTheWrongKindKeepsEverything) {
  Editor editor;
  auto bag = varn::testing::MakeRef<Bag>();
  bag->values[u"_cx"] = com::Variant::FromText(u"wide");
  bag->values[u"FileKey"] = com::Variant::FromText(u"k2");
  EXPECT_NE(editor.As<IPersistPropertyBag>()->Load(bag.Get(), nullptr), S_OK);
  EXPECT_EQ(editor.Control().FileKeyValue(), u"");
  EXPECT_EQ(editor.Control().Extent().cx, 5080);
}

class EditorColors : public EditorTest {
 protected:
  void SetUp() override { AddPictures(1); }
};

TEST_F(EditorColors, FavouritesKeepFiveDistinctColoursInFirstChosenOrder) {
  for (const char16_t* color :
       {u"#ff0000", u"#00ff00", u"#ff0000", u"#0000ff", u"#111111", u"#222222", u"#333333"}) {
    EXPECT_EQ(editor.PutText(kDispDrawPenColor, std::u16string_view(color)), S_OK);
  }
  const char* expected[] = {"#00ff00", "#0000ff", "#111111", "#222222", "#333333"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(editor.Favorite(i), expected[i]) << i;
  EXPECT_EQ(editor.Favorite(5), "#000000");
  EXPECT_EQ(editor.Favorite(-1), "#000000");
  // They belong to the control: the last picture going keeps them.
  EXPECT_EQ(editor.Call(kDispDeleteImage), S_OK);
  EXPECT_EQ(editor.Favorite(0), "#00ff00");
}

TEST_F(EditorColors, PenColourReadsLowercaseAndRefusedTextsChangeNothing) {
  EXPECT_EQ(editor.PutText(kDispDrawPenColor, std::u16string_view(u"#FF8000")), S_OK);
  EXPECT_EQ(editor.Text(kDispDrawPenColor), "#ff8000");
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnUpdateData, {}}}));
  for (const DISPID dispid : {kDispDrawPenColor, kDispFontColor, kDispFontBgColor}) {
    for (const std::optional<std::u16string_view> text :
         {std::optional<std::u16string_view>(u"#F80"), std::optional<std::u16string_view>(u""),
          std::optional<std::u16string_view>()}) {
      EXPECT_EQ(editor.PutText(dispid, text), E_INVALIDARG) << dispid;
    }
  }
  EXPECT_EQ(editor.Text(kDispDrawPenColor), "#ff8000");
  EXPECT_EQ(editor.Favorite(1), "#000000");
  EXPECT_EQ(editor.TakeEvents(), Events{});
}

TEST_F(EditorColors, FontColourWithoutSelectionChangesOnlyTheTemplate) {
  const uint32_t before = editor.Invalidations();
  EXPECT_EQ(editor.PutText(kDispFontColor, std::u16string_view(u"#123456")), S_OK);
  EXPECT_EQ(editor.Text(kDispFontColor), "#123456");
  EXPECT_EQ(editor.Current().textTemplate.color, 0x123456u);
  EXPECT_EQ(editor.Invalidations(), before);
  EXPECT_EQ(editor.Favorite(0), "#000000");
}

TEST(EditorCaption, ActionPageCutsAtTheFirstVarnAndKeepsTheCaptionOtherwise) {
  Editor editor;
  EXPECT_EQ(editor.PutText(kDispActionPage, std::u16string_view(u"http://a.varn.b.varn.c/x")),
            S_OK);
  EXPECT_EQ(imagedoc::FrameCaptionText(), u"http://a");
  EXPECT_EQ(editor.PutText(kDispActionPage, std::u16string_view(u"http://elsewhere/x")), S_OK);
  EXPECT_EQ(imagedoc::FrameCaptionText(), u"http://a");
  EXPECT_EQ(editor.PutText(kDispActionPage, std::u16string_view(u".varn/post")), S_OK);
  EXPECT_EQ(imagedoc::FrameCaptionText(), u"");
}

class EditorValues : public EditorTest {
 protected:
  void SetUp() override { AddPictures(1); }
};

// A new caption reaches a picture already rendered with the old one.
TEST_F(EditorValues, NewCaptionRendersAgain) {
  ASSERT_EQ(editor.PutInt(kDispFrameIndex, 2), S_OK);
  ASSERT_EQ(editor.PutInt(kDispFrameUseUrl, 1), S_OK);
  ASSERT_NE(editor.Current().GetRenderedImage(), nullptr);
  const uint32_t before = editor.Invalidations();
  ASSERT_EQ(editor.PutText(kDispActionPage, std::u16string_view(u"http://other.varn/post")), S_OK);
  EXPECT_EQ(editor.Current().renderedImage, nullptr);
  EXPECT_GT(editor.Invalidations(), before);
}

// Values a picture refuses answer S_FALSE and tell the page nothing.
TEST_F(EditorValues, RefusedValuesAnswerFalseAndFireNothing) {
  const Member refused[] = {
      {kDispRotateImage, DISPATCH_METHOD, {45}},
      {kDispRotateImage, DISPATCH_METHOD, {-100}},
      {kDispFrameIndex, DISPATCH_PROPERTYPUT, {10}},
      {kDispFrameIndex, DISPATCH_PROPERTYPUT, {-1}},
      {kDispImageWidth, DISPATCH_PROPERTYPUT, {0}},
      {kDispImageWidth, DISPATCH_PROPERTYPUT, {-5}},
      {kDispImageSizeType, DISPATCH_PROPERTYPUT, {5}},
      {kDispImageIndex, DISPATCH_PROPERTYPUT, {1}},
      {kDispImageIndex, DISPATCH_PROPERTYPUT, {-1}},
  };
  const int32_t nodes = editor.Control().ImageAt(0).CountNodes();
  for (const Member& member : refused) {
    EXPECT_EQ(editor.Invoke(member.dispid, member.flags, {I4(member.args[0])}, nullptr), S_FALSE)
        << member.dispid << " " << member.args[0];
  }
  EXPECT_EQ(editor.TakeEvents(), Events{});
  EXPECT_EQ(editor.Control().ImageAt(0).CountNodes(), nodes);
  EXPECT_EQ(editor.GetInt(kDispFrameIndex), 0);
}

TEST_F(EditorValues, AcceptedStepsReportTheirSize) {
  EXPECT_EQ(editor.Call(kDispRotateImage, {I4(-90)}), S_OK);
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnChangeSize, {200, 266}}, {kOnUpdateData, {}}}));
  EXPECT_EQ(editor.PutInt(kDispImageWidth, 100), S_OK);
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnChangeSize, {100, 133}}}));
  EXPECT_EQ(editor.PutInt(kDispFrameIndex, 3), S_OK);
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnChangeSize, {130, 163}}, {kOnUpdateData, {}}}));
  // The same frame again is no change: nothing to tell.
  EXPECT_EQ(editor.PutInt(kDispFrameIndex, 3), S_OK);
  EXPECT_EQ(editor.Call(kDispUndoRedo, {I4(1)}), S_OK);  // nothing to redo
  EXPECT_EQ(editor.TakeEvents(), Events{});
  EXPECT_EQ(editor.Call(kDispUndoRedo, {I4(0)}), S_OK);
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnChangeSize, {100, 133}}, {kOnChangeTab, {0}}}));
}

TEST_F(EditorValues, ToolTypeFiresEvenUnchangedAndMozaicSizeReadsBack) {
  EXPECT_EQ(editor.PutInt(kDispToolType, 0), S_OK);
  EXPECT_EQ(editor.PutInt(kDispToolType, 42), S_OK);
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnChangeTab, {0}}, {kOnChangeTab, {42}}}));
  EXPECT_EQ(editor.GetInt(kDispToolType), 42);
  EXPECT_EQ(editor.PutInt(kDispMozaicSize, -3), S_OK);
  EXPECT_EQ(editor.GetInt(kDispMozaicSize), -3);
}

// Codes past the 32 bits of the answer set no bit instead of wrapping round.
TEST_F(EditorValues, EffectFlagsHoldOnlyCodesThatFit) {
  EXPECT_EQ(editor.EffectFlags(), 0);
  editor.Current().effects = {1, 3, 31, 32, 33, -1};
  EXPECT_EQ(static_cast<uint32_t>(editor.EffectFlags()), (1u << 1) | (1u << 3) | (1u << 31));
}

TEST_F(EditorValues, TextsAndCommentsKeepNullApart) {
  EXPECT_EQ(editor.GetText(kDispTextCurrentText), std::nullopt);
  EXPECT_EQ(editor.GetText(kDispSignFilePath), std::nullopt);
  EXPECT_EQ(editor.GetText(kDispSignStampText), std::nullopt);
  EXPECT_EQ(editor.GetText(kDispImageComment), std::nullopt);
  EXPECT_EQ(editor.PutText(kDispImageComment, std::u16string_view(u"夕焼け")), S_OK);
  EXPECT_EQ(editor.GetText(kDispImageComment), u"夕焼け");
  EXPECT_EQ(editor.PutText(kDispTextCurrentText, std::u16string_view(u"hello")), S_OK);
  EXPECT_EQ(editor.GetText(kDispTextCurrentText), u"hello");
  EXPECT_EQ(editor.PutText(kDispSignStampText, std::u16string_view(u"varn")), S_OK);
  EXPECT_EQ(editor.TakeEvents(), (Events{{kOnUpdateData, {}}}));
  EXPECT_EQ(editor.PutText(kDispSignStampText, std::u16string_view(u"varn")), S_OK);
  EXPECT_EQ(editor.TakeEvents(), Events{});
}

}  // namespace
}  // namespace varn::imageedit::testing
