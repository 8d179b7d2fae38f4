// The cropper's properties and the loading of its picture.
#include "cropper/profile_image_cropper.h"

#include <utility>

#include "common/imaging_startup.h"
#include "platform/com/bstr.h"
#include "platform/system/utf_convert.h"

namespace varn::cropper {

HRESULT CProfileImageCropper::PutString(BSTR value, std::u16string& field) {
  field.assign(com::BstrView(value));
  return S_OK;
}

HRESULT CProfileImageCropper::GetString(const std::u16string& field, BSTR* value) {
  *value = com::AllocBstr(field);
  return *value == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT CProfileImageCropper::get_FileKey(BSTR* value) { return GetString(fileKey_, value); }
HRESULT CProfileImageCropper::put_FileKey(BSTR value) { return PutString(value, fileKey_); }
HRESULT CProfileImageCropper::get_ActionPage(BSTR* value) { return GetString(actionPage_, value); }
HRESULT CProfileImageCropper::put_ActionPage(BSTR value) { return PutString(value, actionPage_); }
HRESULT CProfileImageCropper::put_Cookie(BSTR value) { return PutString(value, cookie_); }

HRESULT CProfileImageCropper::get_SmallImagePath(BSTR* value) {
  return GetString(outputPaths_[kSmallOutput], value);
}
HRESULT CProfileImageCropper::get_BigImagePath(BSTR* value) {
  return GetString(outputPaths_[kBigOutput], value);
}
HRESULT CProfileImageCropper::get_MiniImagePath(BSTR* value) {
  return GetString(outputPaths_[kMiniOutput], value);
}

HRESULT CProfileImageCropper::get_ProfileImagePath(BSTR* value) {
  if (!profileImagePath_) {
    *value = nullptr;
    return S_OK;
  }
  return GetString(*profileImagePath_, value);
}

HRESULT CProfileImageCropper::put_ProfileImagePath(BSTR value) {
  LoadPicture(std::u16string(com::BstrView(value)));
  // Loaded or not, the window shows what the control now holds.
  Repaint();
  return S_OK;
}

// A picture that cannot be loaded leaves path, picture and selection as they
// were and tells the page nothing.
void CProfileImageCropper::LoadPicture(const std::u16string& path) {
  if (path.empty()) return;
  std::unique_ptr<DisplayPicture> picture;
  {
    const ImagingScope imaging;
    picture = LoadDisplayPicture(system::Utf16ToUtf8(path));
  }
  if (picture == nullptr) return;
  profileImagePath_ = path;
  display_ = std::move(picture);
  selection_ = InitialSelection(display_->Size());
  // A drag begun on the old picture would carry its selection over.
  EndDrag();
  const DisplaySize size = display_->Size();
  Fire(kOnSizeChange, size.width, size.height);
}

}  // namespace varn::cropper
