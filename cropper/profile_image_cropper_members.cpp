// IProfileImageCropper as one table: names, dispids, kinds and argument names,
// the source of GetIDsOfNames, Invoke's checks and the type library; and the
// rows of _IProfileImageCropperEvents, which the page's handlers are bound by.
#include "cropper/profile_image_cropper.h"

namespace varn::cropper {

std::span<const com::DispatchMember<CProfileImageCropper>> CProfileImageCropper::DispatchMembers() {
  using C = CProfileImageCropper;
  using M = com::Members<C>;
  static constexpr com::DispatchMember<C> kMembers[] = {
      M::Get<&C::get_FileKey>(u"FileKey", kDispFileKey),
      M::Put<&C::put_FileKey>(u"FileKey", kDispFileKey),
      M::Get<&C::get_ActionPage>(u"ActionPage", kDispActionPage),
      M::Put<&C::put_ActionPage>(u"ActionPage", kDispActionPage),
      M::Get<&C::get_ProfileImagePath>(u"ProfileImagePath", kDispProfileImagePath),
      M::Put<&C::put_ProfileImagePath>(u"ProfileImagePath", kDispProfileImagePath),
      M::Get<&C::get_SmallImagePath>(u"SmallImagePath", kDispSmallImagePath),
      M::Get<&C::get_BigImagePath>(u"BigImagePath", kDispBigImagePath),
      M::Get<&C::get_MiniImagePath>(u"MiniImagePath", kDispMiniImagePath),
      M::Method<&C::SaveProfileImages>(u"Save", kDispSave, {u"pbRet"}),
      M::Method<&C::Submit>(u"Submit", kDispSubmit),
      M::Put<&C::put_Cookie>(u"Cookie", kDispCookie),
  };
  return kMembers;
}

std::span<const com::MemberInfo> CProfileImageCropper::EventMembers() {
  using com::EventMember;
  static constexpr com::MemberInfo kEvents[] = {
      EventMember<VT_I4, VT_I4>(u"OnSizeChange", kOnSizeChange, {u"nWidth", u"nHeight"}),
      EventMember<VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR>(
          u"OnUploadFile", kOnUploadFile,
          {u"bstrFileID", u"bstrFileName", u"bstrFilePath", u"bstrFileSize"}),
      EventMember<VT_I4>(u"OnUploadFileComplete", kOnUploadFileComplete, {u"nCode"}),
  };
  return kEvents;
}

}  // namespace varn::cropper
