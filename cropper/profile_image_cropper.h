// ProfileImageCropper: the control with which a member cuts a profile picture
// out of a photograph. The page sets ProfileImagePath; the control shows the
// picture at display size, darkened, with the bright selection of
// proportions 148:220 and its square, which the member drags with the mouse
// or moves with the keys. Save writes the three profile pictures, Submit
// posts them; the server's answer reaches the page as events before Submit
// returns.
//
// Every member answers S_OK (E_OUTOFMEMORY when memory runs out); a picture
// that cannot be loaded changes nothing and fires nothing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "cropper/crop_selection.h"
#include "cropper/display_picture.h"
#include "cropper/profile_output.h"
#include "platform/com/identifiers.h"
#include "platform/ui/scripted_control.h"

namespace varn::cropper {

// Dispids of IProfileImageCropper.
enum CropperDispid : DISPID {
  kDispFileKey = 1,
  kDispActionPage = 2,
  kDispProfileImagePath = 3,
  kDispSmallImagePath = 4,
  kDispBigImagePath = 5,
  kDispMiniImagePath = 6,
  kDispSave = 7,
  kDispSubmit = 8,
  kDispCookie = 9,
};

// Dispids of _IProfileImageCropperEvents.
enum CropperEvent : DISPID {
  kOnSizeChange = 1,
  kOnUploadFile = 2,
  kOnUploadFileComplete = 3,
};

// How far one key moves the selection or slides the square.
inline constexpr int32_t kKeyStep = 1;
inline constexpr int32_t kShiftKeyStep = 10;
inline constexpr int32_t kPageKeyStep = 10;
// The constant alpha of the darkened picture around the selection.
inline constexpr uint8_t kDarkenAlpha = 96;

class CProfileImageCropper final
    : public ui::ScriptedControl<CProfileImageCropper, IID_IProfileImageCropper,
                                 DIID__IProfileImageCropperEvents,
                                 ui::StockProbes<IID_IProfileImageCropper>> {
 public:
  CProfileImageCropper() = default;

  static constexpr com::TypeNames kTypeNames{u"ProfileImageCropper", u"IProfileImageCropper",
                                             u"_IProfileImageCropperEvents"};
  static constexpr const CLSID& kClassId = CLSID_ProfileImageCropper;
  static std::span<const com::DispatchMember<CProfileImageCropper>> DispatchMembers();
  static std::span<const com::MemberInfo> EventMembers();

  // Upload strings, stored as given (null as empty).
  HRESULT get_FileKey(BSTR* value);
  HRESULT put_FileKey(BSTR value);
  HRESULT get_ActionPage(BSTR* value);
  HRESULT put_ActionPage(BSTR value);
  HRESULT put_Cookie(BSTR value);

  // put loads the picture and recentres the selection; get answers the path
  // of the last picture that loaded, a null string before any.
  HRESULT get_ProfileImagePath(BSTR* value);
  HRESULT put_ProfileImagePath(BSTR value);

  // The files the last Save wrote; empty before any and for a file that
  // could not be written.
  HRESULT get_SmallImagePath(BSTR* value);
  HRESULT get_BigImagePath(BSTR* value);
  HRESULT get_MiniImagePath(BSTR* value);

  // Save: writes the three pictures; *result is VARIANT_TRUE when all three
  // paths are set afterwards. Submit: saves and posts them to ActionPage.
  HRESULT SaveProfileImages(VARIANT_BOOL* result);
  HRESULT Submit();

  const CropSelection& Selection() const { return selection_; }

 protected:
  ui::MessageReply ProcessWindowMessage(const ui::WindowMessage& message) override;
  void OnDraw(const ui::DrawContext& context) override;

 private:
  ui::MessageReply OnEraseBackground(const ui::WindowMessage& message);
  ui::MessageReply OnLButtonDown(const ui::WindowMessage& message);
  ui::MessageReply OnMouseMove(const ui::WindowMessage& message);
  ui::MessageReply OnLButtonUp(const ui::WindowMessage& message);
  ui::MessageReply OnCancelMode(const ui::WindowMessage& message);
  ui::MessageReply OnKeyDown(const ui::WindowMessage& message);
  ui::MessageReply OnKeyUp(const ui::WindowMessage& message);

  void LoadPicture(const std::u16string& path);
  // Ends the drag under way, if any, and lets go of the mouse.
  void EndDrag();
  // Writes the outputs and sets their paths; may throw std::bad_alloc.
  void WriteOutputs();
  void PostOutputs();
  bool AllOutputsSet() const;
  void ChangeSelection(const CropSelection& selection);
  RECT ClientRect() { return Window().GetClientRect(); }
  void Repaint() { Window().Invalidate(); }

  static HRESULT PutString(BSTR value, std::u16string& field);
  static HRESULT GetString(const std::u16string& field, BSTR* value);

  std::u16string fileKey_;
  std::u16string actionPage_;
  std::u16string cookie_;
  std::optional<std::u16string> profileImagePath_;
  std::unique_ptr<DisplayPicture> display_;
  CropSelection selection_;
  // The drag under way, from a press on the selection to its release.
  std::optional<CropDrag> drag_;
  // Shift as the key messages left it: the arrows then move further.
  bool shiftDown_ = false;
  // Indexed by ProfileOutputIndex.
  std::array<std::u16string, kProfileOutputs.size()> outputPaths_;
};

}  // namespace varn::cropper
