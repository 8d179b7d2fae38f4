// IDrawingControl as one table: names, dispids, kinds and argument names, the
// source of GetIDsOfNames, Invoke's checks and the type library; and the rows
// of _IDrawingControlEvents, which the page's handlers are bound by.
#include "drawing/drawing_control.h"

namespace varn::drawing {

std::span<const com::DispatchMember<CDrawingControl>> CDrawingControl::DispatchMembers() {
  using C = CDrawingControl;
  using M = com::Members<C>;
  static constexpr com::DispatchMember<C> kMembers[] = {
      M::Get<&C::get_zoomValue>(u"zoomValue", kDispZoomValue),
      M::Put<&C::put_zoomValue>(u"zoomValue", kDispZoomValue),
      M::Method<&C::Redo>(u"Redo", kDispRedo),
      M::Method<&C::Undo>(u"Undo", kDispUndo),
      M::Method<&C::Clear>(u"Clear", kDispClear),
      M::Get<&C::get_imageWidth>(u"imageWidth", kDispImageWidth),
      M::Put<&C::put_imageWidth>(u"imageWidth", kDispImageWidth),
      M::Get<&C::get_imageHeight>(u"imageHeight", kDispImageHeight),
      M::Put<&C::put_imageHeight>(u"imageHeight", kDispImageHeight),
      M::Method<&C::AddLayer>(u"AddLayer", kDispAddLayer),
      M::Method<&C::DeleteLayer>(u"DeleteLayer", kDispDeleteLayer),
      M::Method<&C::SelectLayer>(u"SelectLayer", kDispSelectLayer, {u"nIndex"}),
      M::Method<&C::MergeLayer>(u"MergeLayer", kDispMergeLayer),
      M::Method<&C::MoveLayer>(u"MoveLayer", kDispMoveLayer, {u"bUp"}),
      M::Get<&C::get_paletteColor>(u"paletteColor", kDispPaletteColor),
      M::Put<&C::put_paletteColor>(u"paletteColor", kDispPaletteColor),
      M::Method<&C::ToggleLayerVisibility>(u"ToggleLayerVisibility", kDispToggleLayerVisibility,
                                           {u"nIndex"}),
      M::Method<&C::RequestLayersInfo>(u"RequestLayersInfo", kDispRequestLayersInfo),
      M::Get<&C::get_toolType>(u"toolType", kDispToolType),
      M::Put<&C::put_toolType>(u"toolType", kDispToolType),
      M::Get<&C::get_penType>(u"penType", kDispPenType),
      M::Put<&C::put_penType>(u"penType", kDispPenType),
      M::Get<&C::get_penWidth>(u"penWidth", kDispPenWidth),
      M::Put<&C::put_penWidth>(u"penWidth", kDispPenWidth),
      M::Get<&C::get_penTransparency>(u"penTransparency", kDispPenTransparency),
      M::Put<&C::put_penTransparency>(u"penTransparency", kDispPenTransparency),
      M::Get<&C::get_eraserWidth>(u"eraserWidth", kDispEraserWidth),
      M::Put<&C::put_eraserWidth>(u"eraserWidth", kDispEraserWidth),
      M::Get<&C::get_lineType>(u"lineType", kDispLineType),
      M::Put<&C::put_lineType>(u"lineType", kDispLineType),
      M::Get<&C::get_lineWidth>(u"lineWidth", kDispLineWidth),
      M::Put<&C::put_lineWidth>(u"lineWidth", kDispLineWidth),
      M::Get<&C::get_lineTransparency>(u"lineTransparency", kDispLineTransparency),
      M::Put<&C::put_lineTransparency>(u"lineTransparency", kDispLineTransparency),
      M::Get<&C::get_shapeType>(u"shapeType", kDispShapeType),
      M::Put<&C::put_shapeType>(u"shapeType", kDispShapeType),
      M::Get<&C::get_shapeWidth>(u"shapeWidth", kDispShapeWidth),
      M::Put<&C::put_shapeWidth>(u"shapeWidth", kDispShapeWidth),
      M::Get<&C::get_shapeTransparency>(u"shapeTransparency", kDispShapeTransparency),
      M::Put<&C::put_shapeTransparency>(u"shapeTransparency", kDispShapeTransparency),
      M::Get<&C::get_effectWidth>(u"effectWidth", kDispEffectWidth),
      M::Put<&C::put_effectWidth>(u"effectWidth", kDispEffectWidth),
      M::Get<&C::get_effectType>(u"effectType", kDispEffectType),
      M::Put<&C::put_effectType>(u"effectType", kDispEffectType),
      M::Get<&C::get_textCurrent>(u"textCurrent", kDispTextCurrent),
      M::Put<&C::put_textCurrent>(u"textCurrent", kDispTextCurrent),
      M::Get<&C::get_textFontName>(u"textFontName", kDispTextFontName),
      M::Put<&C::put_textFontName>(u"textFontName", kDispTextFontName),
      M::Get<&C::get_textFontSize>(u"textFontSize", kDispTextFontSize),
      M::Put<&C::put_textFontSize>(u"textFontSize", kDispTextFontSize),
      M::Get<&C::get_textFontAlign>(u"textFontAlign", kDispTextFontAlign),
      M::Put<&C::put_textFontAlign>(u"textFontAlign", kDispTextFontAlign),
      M::Get<&C::get_textFontStyle>(u"textFontStyle", kDispTextFontStyle),
      M::Put<&C::put_textFontStyle>(u"textFontStyle", kDispTextFontStyle),
      M::Get<&C::get_textFontColor>(u"textFontColor", kDispTextFontColor),
      M::Put<&C::put_textFontColor>(u"textFontColor", kDispTextFontColor),
      M::Method<&C::SaveAndSubmit>(u"SaveAndSubmit", kDispSaveAndSubmit),
      M::Get<&C::get_ActionPage>(u"ActionPage", kDispActionPage),
      M::Put<&C::put_ActionPage>(u"ActionPage", kDispActionPage),
      M::Get<&C::get_FileKey>(u"FileKey", kDispFileKey),
      M::Put<&C::put_FileKey>(u"FileKey", kDispFileKey),
      M::Get<&C::get_eraserType>(u"eraserType", kDispEraserType),
      M::Put<&C::put_eraserType>(u"eraserType", kDispEraserType),
      M::Method<&C::GetPaletteColor>(u"GetPaletteColor", kDispGetPaletteColor,
                                     {u"nIndex", u"bstrColor"}),
      M::Method<&C::ExportToFile>(u"ExportToFile", kDispExportToFile),
      M::Method<&C::ImportFromFile>(u"ImportFromFile", kDispImportFromFile),
      M::Get<&C::get_Cookie>(u"Cookie", kDispCookie),
      M::Put<&C::put_Cookie>(u"Cookie", kDispCookie),
  };
  return kMembers;
}

std::span<const com::MemberInfo> CDrawingControl::EventMembers() {
  using com::EventMember;
  static constexpr com::MemberInfo kEvents[] = {
      EventMember<VT_I4, VT_I4>(u"OnSizeChange", kOnSizeChange, {u"nWidth", u"nHeight"}),
      EventMember<VT_I4>(u"OnAddLayer", kOnAddLayer, {u"nId"}),
      EventMember<VT_I4>(u"OnDeleteLayer", kOnDeleteLayer, {u"nIndex"}),
      EventMember<VT_I4, VT_I4>(u"OnSelectLayer", kOnSelectLayer, {u"nOldIndex", u"nNewIndex"}),
      EventMember<VT_I4, VT_I4>(u"OnMoveLayer", kOnMoveLayer, {u"nLayer1", u"nLayer2"}),
      EventMember<VT_I4, VT_BOOL>(u"OnToggleLayerVisibility", kOnToggleLayerVisibility,
                                  {u"nIndex", u"bVisible"}),
      EventMember<>(u"OnInvalidateInfo", kOnInvalidateInfo),
      EventMember<VT_I4, VT_I4, VT_BOOL, VT_BOOL>(u"OnUpdateLayerInfo", kOnUpdateLayerInfo,
                                                  {u"nIndex", u"nId", u"bSelected", u"bVisible"}),
      EventMember<VT_I4>(u"OnChangeTab", kOnChangeTab, {u"nType"}),
      EventMember<VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR>(
          u"OnUploadFile", kOnUploadFile, {u"bstrID", u"bstrName", u"bstrPath", u"bstrSize"}),
      EventMember<VT_I4>(u"OnUploadFileComplete", kOnUploadFileComplete, {u"nResult"}),
      EventMember<>(u"OnUpdateColor", kOnUpdateColor),
      EventMember<VT_I4, VT_I4>(u"OnMoveImage", kOnMoveImage, {u"nXDiff", u"nYDiff"}),
  };
  return kEvents;
}

}  // namespace varn::drawing
