// The drawing board's scripting surface as a page drives it: initial values,
// names, tool settings, colours and strings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/com_ref.h"
#include "tests/drawing/board.h"

namespace varn::drawing::testing {
namespace {

TEST(DrawingControlSurface, NewControlAnswersItsInitialValues) {
  Board board;
  const std::vector<std::pair<DISPID, int32_t>> numbers = {
      {kDispZoomValue, 1},         {kDispImageWidth, 300},  {kDispImageHeight, 300},
      {kDispToolType, 2},          {kDispPenType, 0},       {kDispPenWidth, 1},
      {kDispPenTransparency, 255}, {kDispEraserWidth, 5},   {kDispEraserType, 0},
      {kDispLineType, 0},          {kDispLineWidth, 1},     {kDispLineTransparency, 255},
      {kDispShapeType, 0},         {kDispShapeWidth, 1},    {kDispShapeTransparency, 255},
      {kDispEffectWidth, 5},       {kDispEffectType, 0},    {kDispTextFontSize, 10},
      {kDispTextFontAlign, 0},     {kDispTextFontStyle, 0},
  };
  for (const auto& [dispid, value] : numbers) {
    EXPECT_EQ(board.GetInt(dispid), value) << "dispid " << dispid;
  }
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#000000");
  EXPECT_EQ(board.GetText(kDispTextFontColor), u"#000000");
  EXPECT_EQ(board.GetText(kDispTextFontName), u"ＭＳ Ｐ明朝");
  EXPECT_EQ(board.GetText(kDispTextCurrent), std::nullopt);
  // The upload strings start empty, not null.
  EXPECT_EQ(board.GetText(kDispActionPage), u"");
  EXPECT_EQ(board.GetText(kDispFileKey), u"");
  EXPECT_EQ(board.GetText(kDispCookie), u"");
  EXPECT_TRUE(board.Events().empty());
}

TEST(DrawingControlSurface, EveryMemberNameResolvesWithoutRegardToCase) {
  Board board;
  const std::vector<std::pair<const char16_t*, DISPID>> names = {
      {u"zoomValue", 1},
      {u"Redo", 2},
      {u"Undo", 3},
      {u"Clear", 4},
      {u"imageWidth", 5},
      {u"imageHeight", 6},
      {u"AddLayer", 7},
      {u"DeleteLayer", 8},
      {u"SelectLayer", 9},
      {u"MergeLayer", 10},
      {u"MoveLayer", 11},
      {u"paletteColor", 12},
      {u"ToggleLayerVisibility", 13},
      {u"RequestLayersInfo", 14},
      {u"toolType", 15},
      {u"penType", 16},
      {u"penWidth", 17},
      {u"penTransparency", 18},
      {u"eraserWidth", 19},
      {u"lineType", 20},
      {u"lineWidth", 21},
      {u"lineTransparency", 22},
      {u"shapeType", 23},
      {u"shapeWidth", 24},
      {u"shapeTransparency", 25},
      {u"effectWidth", 26},
      {u"effectType", 27},
      {u"textCurrent", 28},
      {u"textFontName", 29},
      {u"textFontSize", 30},
      {u"textFontAlign", 31},
      {u"textFontStyle", 32},
      {u"textFontColor", 33},
      {u"SaveAndSubmit", 34},
      {u"ActionPage", 35},
      {u"FileKey", 36},
      {u"eraserType", 37},
      {u"GetPaletteColor", 38},
      {u"ExportToFile", 39},
      {u"ImportFromFile", 40},
      {u"Cookie", 41},
      {u"PALETTECOLOR", 12},
      {u"addlayer", 7},
  };
  for (const auto& [name, expected] : names) {
    LPOLESTR asked = const_cast<LPOLESTR>(name);
    DISPID dispid = 0;
    EXPECT_EQ(board.Dispatch()->GetIDsOfNames(IID_NULL, &asked, 1, 0, &dispid), S_OK);
    EXPECT_EQ(dispid, expected);
  }
  LPOLESTR unknown = const_cast<LPOLESTR>(u"penColor");
  DISPID dispid = 0;
  EXPECT_EQ(board.Dispatch()->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &dispid), DISP_E_UNKNOWNNAME);
  VARIANT result{};
  EXPECT_EQ(board.Invoke(42, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(board.Invoke(kDispSelectLayer, DISPATCH_METHOD, {}, &result), DISP_E_BADPARAMCOUNT);
}

TEST(DrawingControlSurface, AnswersTheControlInterfacesAndNoOthers) {
  Board board;
  com::ComRef<IUnknown> identity;
  ASSERT_EQ(board.Control().QueryInterface(IID_IUnknown, identity.OutVoid()), S_OK);
  const IID answered[] = {
      IID_IDrawingControl,
      IID_IDispatch,
      IID_IViewObjectEx,
      IID_IViewObject2,
      IID_IViewObject,
      IID_IOleInPlaceObjectWindowless,
      IID_IOleInPlaceObject,
      IID_IOleWindow,
      IID_IOleInPlaceActiveObject,
      IID_IOleControl,
      IID_IOleObject,
      IID_IPersistStreamInit,
      IID_IPersist,
      IID_IConnectionPointContainer,
      IID_IProvideClassInfo,
      IID_IProvideClassInfo2,
      IID_IObjectSafety,
      IID_ISupportErrorInfo,
      IID_ISpecifyPropertyPages,
      IID_IQuickActivate,
      IID_IPersistStorage,
      IID_IDataObject,
  };
  for (const IID& iid : answered) {
    com::ComRef<IUnknown> itf;
    ASSERT_EQ(board.Control().QueryInterface(iid, itf.OutVoid()), S_OK);
    com::ComRef<IUnknown> back;
    ASSERT_EQ(itf->QueryInterface(IID_IUnknown, back.OutVoid()), S_OK);
    EXPECT_EQ(back.Get(), identity.Get());
  }
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(board.Control().QueryInterface(IID_IPersistPropertyBag, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);

  com::ComRef<IProvideClassInfo2> info;
  ASSERT_EQ(board.Control().QueryInterface(IID_IProvideClassInfo2, info.OutVoid()), S_OK);
  GUID source{};
  EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
  EXPECT_EQ(source, DIID__IDrawingControlEvents);
  CLSID clsid{};
  EXPECT_EQ(board.Control().GetClassID(&clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_DrawingControl);
}

TEST(DrawingControlSurface, ToolSettingsAreStoredAsGivenWithoutEvents) {
  Board board;
  const DISPID plain[] = {kDispPenType,    kDispPenWidth,   kDispEraserWidth, kDispEraserType,
                          kDispLineType,   kDispLineWidth,  kDispShapeType,   kDispShapeWidth,
                          kDispEffectType, kDispEffectWidth};
  int32_t value = -7;
  for (DISPID dispid : plain) {
    ASSERT_EQ(board.PutInt(dispid, value), S_OK);
    EXPECT_EQ(board.GetInt(dispid), value) << "dispid " << dispid;
    value += 13;
  }
  EXPECT_TRUE(board.Events().empty());
  EXPECT_EQ(board.Invalidations(), 0u);
}

TEST(DrawingControlSurface, TransparencyKeepsOnlyTheLowByte) {
  Board board;
  for (DISPID dispid : {kDispPenTransparency, kDispLineTransparency, kDispShapeTransparency}) {
    board.PutInt(dispid, 300);
    EXPECT_EQ(board.GetInt(dispid), 44);
    board.PutInt(dispid, -1);
    EXPECT_EQ(board.GetInt(dispid), 255);
    board.PutInt(dispid, 0);
    EXPECT_EQ(board.GetInt(dispid), 0);
  }
}

TEST(DrawingControlSurface, ToolTypeFiresOnChangeTabOnlyWhenItChanges) {
  Board board;
  board.PutInt(kDispToolType, 3);
  board.PutInt(kDispToolType, 3);
  board.PutInt(kDispToolType, 2);
  EXPECT_EQ(board.TakeEvents(), (std::vector<Event>{{kOnChangeTab, {3}}, {kOnChangeTab, {2}}}));
  // Values outside the tool table are accepted.
  board.PutInt(kDispToolType, 77);
  EXPECT_EQ(board.GetInt(kDispToolType), 77);
}

TEST(DrawingControlSurface, PaletteColorReadsBackLowercaseAndRefusesShortTexts) {
  Board board;
  EXPECT_EQ(board.PutText(kDispPaletteColor, u"#1A2b3C"), S_OK);
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#1a2b3c");
  EXPECT_EQ(board.GetText(kDispTextFontColor), u"#1a2b3c");
  EXPECT_EQ(board.PutText(kDispPaletteColor, u"#12345"), E_INVALIDARG);
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#1a2b3c");
  EXPECT_EQ(board.PutText(kDispPaletteColor, u""), S_OK);
  EXPECT_EQ(board.PutText(kDispPaletteColor, std::nullopt), S_OK);
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#1a2b3c");
  // Only the first colour counts in the swatches; refused texts add nothing.
  EXPECT_EQ(board.PaletteEntry(0), u"#1a2b3c");
  EXPECT_EQ(board.PaletteEntry(1), u"#000000");

  EXPECT_EQ(board.PutText(kDispTextFontColor, u""), E_INVALIDARG);
  EXPECT_EQ(board.PutText(kDispTextFontColor, std::nullopt), E_INVALIDARG);
  EXPECT_EQ(board.PutText(kDispTextFontColor, u"#FF0000"), S_OK);
  EXPECT_EQ(board.GetText(kDispPaletteColor), u"#ff0000");
  EXPECT_EQ(board.PaletteEntry(1), u"#000000");  // the text colour is no swatch
  EXPECT_TRUE(board.Events().empty());
}

TEST(DrawingControlSurface, RecentColorsKeepTheLastNineInFirstChosenOrder) {
  Board board;
  std::vector<std::u16string> colors;
  for (int i = 0; i < 10; ++i) {
    std::u16string text = u"#0000";
    text += static_cast<char16_t>(u'0' + i);
    text += u'0';
    colors.push_back(text);
    ASSERT_EQ(board.PutText(kDispPaletteColor, text), S_OK);
  }
  EXPECT_EQ(board.PaletteEntry(0), colors[1]);
  EXPECT_EQ(board.PaletteEntry(8), colors[9]);
  EXPECT_EQ(board.PaletteEntry(9), u"#000000");
  EXPECT_EQ(board.PaletteEntry(-1), u"#000000");

  // A colour already in the list keeps its place and drops nothing.
  board.PutText(kDispPaletteColor, colors[4]);
  board.PutText(kDispPaletteColor, u"#000040");
  EXPECT_EQ(board.PaletteEntry(0), colors[1]);
  EXPECT_EQ(board.PaletteEntry(3), colors[4]);
}

TEST(DrawingControlSurface, UploadStringsAreStoredCopies) {
  Board board;
  const std::vector<DISPID> strings = {kDispActionPage, kDispFileKey, kDispCookie};
  for (DISPID dispid : strings) {
    EXPECT_EQ(board.PutText(dispid, u"value of " + std::u16string(1, u'A' + dispid % 26)), S_OK);
  }
  EXPECT_EQ(board.GetText(kDispActionPage), u"value of J");
  EXPECT_EQ(board.GetText(kDispFileKey), u"value of K");
  EXPECT_EQ(board.GetText(kDispCookie), u"value of P");
  // A null string is kept as an empty one.
  board.PutText(kDispCookie, std::nullopt);
  EXPECT_EQ(board.GetText(kDispCookie), u"");
  EXPECT_EQ(board.GetText(kDispFileKey), u"value of K");
}

TEST(DrawingControlSurface, SubmissionAndPaintFileSucceedWithoutAddressOrHost) {
  Board board(Hosting::kNoSite);
  // No address to post to: the upload fails and the page hears so.
  EXPECT_EQ(board.Call(kDispSaveAndSubmit), S_OK);
  EXPECT_EQ(board.TakeEvents(), (std::vector<Event>{{kOnUploadFileComplete, {1}}}));
  // Without a site or a display the file dialogs count as cancelled.
  EXPECT_EQ(board.Call(kDispExportToFile), S_OK);
  EXPECT_EQ(board.Call(kDispImportFromFile), S_OK);
  EXPECT_TRUE(board.Events().empty());
}

TEST(DrawingControlSurface, TextPropertiesFollowTheSelectedText) {
  Board board;
  ASSERT_EQ(board.PutText(kDispTextCurrent, u"abc"), S_OK);
  EXPECT_EQ(board.GetText(kDispTextCurrent), u"abc");
  const uint32_t before = board.Invalidations();
  board.PutInt(kDispTextFontSize, 20);
  EXPECT_GT(board.Invalidations(), before);
  EXPECT_EQ(board.GetInt(kDispTextFontSize), 20);
  board.PutText(kDispTextFontName, u"Verdana");
  EXPECT_EQ(board.GetText(kDispTextFontName), u"Verdana");

  // Undo removes the text (its size change was no step) and the defaults return.
  board.Call(kDispUndo);
  EXPECT_EQ(board.GetText(kDispTextCurrent), std::nullopt);
  EXPECT_EQ(board.GetInt(kDispTextFontSize), 10);
  EXPECT_EQ(board.GetText(kDispTextFontName), u"ＭＳ Ｐ明朝");

  // A null string with nothing selected changes nothing and is no error.
  EXPECT_EQ(board.PutText(kDispTextCurrent, std::nullopt), S_OK);
  EXPECT_EQ(board.GetText(kDispTextCurrent), std::nullopt);
}

}  // namespace
}  // namespace varn::drawing::testing
