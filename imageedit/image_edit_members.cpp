// IImageEditControl as one table: names, dispids, kinds and argument names,
// the source of GetIDsOfNames, Invoke's checks and the type library; and the
// rows of _IImageEditControlEvents, which the page's handlers are bound by.
#include "imageedit/image_edit_control.h"

namespace varn::imageedit {

std::span<const com::DispatchMember<CImageEditControl>> CImageEditControl::DispatchMembers() {
  using C = CImageEditControl;
  using M = com::Members<C>;
  static constexpr com::DispatchMember<C> kMembers[] = {
      M::Method<&C::AddImage>(u"AddImage", kDispAddImage),
      M::Method<&C::DeleteImage>(u"DeleteImage", kDispDeleteImage),
      M::Get<&C::get_imageIndex>(u"imageIndex", kDispImageIndex),
      M::Put<&C::put_imageIndex>(u"imageIndex", kDispImageIndex),
      M::Get<&C::get_imageSizeType>(u"imageSizeType", kDispImageSizeType),
      M::Put<&C::put_imageSizeType>(u"imageSizeType", kDispImageSizeType),
      M::Method<&C::RotateImage>(u"RotateImage", kDispRotateImage, {u"nDegree"}),
      M::Get<&C::get_imageWidth>(u"imageWidth", kDispImageWidth),
      M::Put<&C::put_imageWidth>(u"imageWidth", kDispImageWidth),
      M::Method<&C::UndoRedo>(u"UndoRedo", kDispUndoRedo, {u"nType"}),
      M::Get<&C::get_toolType>(u"toolType", kDispToolType),
      M::Put<&C::put_toolType>(u"toolType", kDispToolType),
      M::Get<&C::get_mozaicSize>(u"mozaicSize", kDispMozaicSize),
      M::Put<&C::put_mozaicSize>(u"mozaicSize", kDispMozaicSize),
      M::Get<&C::get_frameIndex>(u"frameIndex", kDispFrameIndex),
      M::Put<&C::put_frameIndex>(u"frameIndex", kDispFrameIndex),
      M::Get<&C::get_signFilePath>(u"signFilePath", kDispSignFilePath),
      M::Put<&C::put_signFilePath>(u"signFilePath", kDispSignFilePath),
      M::Get<&C::get_signAlign>(u"signAlign", kDispSignAlign),
      M::Put<&C::put_signAlign>(u"signAlign", kDispSignAlign),
      M::Get<&C::get_frameUseUrl>(u"frameUseUrl", kDispFrameUseUrl),
      M::Put<&C::put_frameUseUrl>(u"frameUseUrl", kDispFrameUseUrl),
      M::Method<&C::SetEffect>(u"SetEffect", kDispSetEffect, {u"nEffect", u"bAdd"}),
      M::Method<&C::GetEffectFlag>(u"GetEffectFlag", kDispGetEffectFlag, {u"nFlag"}),
      M::Get<&C::get_textCurrentText>(u"textCurrentText", kDispTextCurrentText),
      M::Put<&C::put_textCurrentText>(u"textCurrentText", kDispTextCurrentText),
      M::Get<&C::get_textCartoonIndex>(u"textCartoonIndex", kDispTextCartoonIndex),
      M::Put<&C::put_textCartoonIndex>(u"textCartoonIndex", kDispTextCartoonIndex),
      M::Method<&C::SelectFont>(u"SelectFont", kDispSelectFont),
      M::Method<&C::ResetImage>(u"ResetImage", kDispResetImage),
      M::Get<&C::get_drawPenWidth>(u"drawPenWidth", kDispDrawPenWidth),
      M::Put<&C::put_drawPenWidth>(u"drawPenWidth", kDispDrawPenWidth),
      M::Get<&C::get_eraserPenWidth>(u"eraserPenWidth", kDispEraserPenWidth),
      M::Put<&C::put_eraserPenWidth>(u"eraserPenWidth", kDispEraserPenWidth),
      M::Get<&C::get_drawPenColor>(u"drawPenColor", kDispDrawPenColor),
      M::Put<&C::put_drawPenColor>(u"drawPenColor", kDispDrawPenColor),
      M::Method<&C::GetFavoriteColor>(u"GetFavoriteColor", kDispGetFavoriteColor,
                                      {u"nIndex", u"pVal"}),
      M::Method<&C::SaveAndSubmit>(u"SaveAndSubmit", kDispSaveAndSubmit),
      M::Get<&C::get_FileKey>(u"FileKey", kDispFileKey),
      M::Put<&C::put_FileKey>(u"FileKey", kDispFileKey),
      M::Get<&C::get_ActionPage>(u"ActionPage", kDispActionPage),
      M::Put<&C::put_ActionPage>(u"ActionPage", kDispActionPage),
      M::Method<&C::ApplyCurrentText>(u"ApplyCurrentText", kDispApplyCurrentText),
      M::Get<&C::get_signStampText>(u"signStampText", kDispSignStampText),
      M::Put<&C::put_signStampText>(u"signStampText", kDispSignStampText),
      M::Get<&C::get_signStampIndex>(u"signStampIndex", kDispSignStampIndex),
      M::Put<&C::put_signStampIndex>(u"signStampIndex", kDispSignStampIndex),
      M::Get<&C::get_signIndex>(u"signIndex", kDispSignIndex),
      M::Put<&C::put_signIndex>(u"signIndex", kDispSignIndex),
      M::Method<&C::SetSignFilePath>(u"SetSignFilePath", kDispSetSignFilePath),
      M::Get<&C::get_fontName>(u"fontName", kDispFontName),
      M::Put<&C::put_fontName>(u"fontName", kDispFontName),
      M::Get<&C::get_fontSize>(u"fontSize", kDispFontSize),
      M::Put<&C::put_fontSize>(u"fontSize", kDispFontSize),
      M::Get<&C::get_fontAlign>(u"fontAlign", kDispFontAlign),
      M::Put<&C::put_fontAlign>(u"fontAlign", kDispFontAlign),
      M::Get<&C::get_fontColor>(u"fontColor", kDispFontColor),
      M::Put<&C::put_fontColor>(u"fontColor", kDispFontColor),
      M::Get<&C::get_fontBgColor>(u"fontBgColor", kDispFontBgColor),
      M::Put<&C::put_fontBgColor>(u"fontBgColor", kDispFontBgColor),
      M::Get<&C::get_fontTransparency>(u"fontTransparency", kDispFontTransparency),
      M::Put<&C::put_fontTransparency>(u"fontTransparency", kDispFontTransparency),
      M::Get<&C::get_fontStyle>(u"fontStyle", kDispFontStyle),
      M::Put<&C::put_fontStyle>(u"fontStyle", kDispFontStyle),
      M::Get<&C::get_imageWholeFrameApply>(u"imageWholeFrameApply", kDispImageWholeFrameApply),
      M::Put<&C::put_imageWholeFrameApply>(u"imageWholeFrameApply", kDispImageWholeFrameApply),
      M::Get<&C::get_imageComment>(u"imageComment", kDispImageComment),
      M::Put<&C::put_imageComment>(u"imageComment", kDispImageComment),
      M::Get<&C::get_imageCommentAlign>(u"imageCommentAlign", kDispImageCommentAlign),
      M::Put<&C::put_imageCommentAlign>(u"imageCommentAlign", kDispImageCommentAlign),
      M::Put<&C::put_Cookie>(u"Cookie", kDispCookie),
  };
  return kMembers;
}

std::span<const com::MemberInfo> CImageEditControl::EventMembers() {
  using com::EventMember;
  static constexpr com::MemberInfo kEvents[] = {
      EventMember<VT_I4, VT_I4>(u"OnChangeSize", kOnChangeSize, {u"nWidth", u"nHeight"}),
      EventMember<VT_I4>(u"OnChangeImage", kOnChangeImage, {u"nIndex"}),
      EventMember<VT_I4>(u"OnChangeTab", kOnChangeTab, {u"nTabIndex"}),
      EventMember<VT_I4, VT_BSTR>(u"OnAddImage", kOnAddImage, {u"nIndex", u"bstrPath"}),
      EventMember<VT_I4>(u"OnDeleteImage", kOnDeleteImage, {u"nIndex"}),
      EventMember<>(u"OnUpdateData", kOnUpdateData),
      EventMember<VT_I4, VT_I4>(u"OnScroll", kOnScroll, {u"nXParam", u"nYParam"}),
      EventMember<VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR, VT_I4>(
          u"OnUploadFile", kOnUploadFile,
          {u"bstrFileID", u"bstrFileName", u"bstrFilePath", u"bstrFileSize", u"bstrComment",
           u"nAlign"}),
      EventMember<VT_I4>(u"OnUploadFileComplete", kOnUploadFileComplete, {u"nCode"}),
  };
  return kEvents;
}

}  // namespace varn::imageedit
