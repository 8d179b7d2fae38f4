// ImageEditControl: the control in which a member prepares the photos of a
// post. The page adds pictures through the control's file dialog, picks the
// current one, sets tools, pens, fonts, frames, signatures, comments and
// effects through properties, and posts them all with SaveAndSubmit. Each
// picture is a CImageHistory; almost every member forwards to the current
// node of the current picture and reports back through the events.
//
// Members that need a picture answer S_FALSE, change nothing and fire
// nothing while the list is empty; a getter then leaves its value unset.
// Colour texts that do not parse answer E_INVALIDARG before anything changes.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/imaging_startup.h"
#include "imagedoc/image_history.h"
#include "imageedit/edit_tools.h"
#include "imageedit/property_bag.h"
#include "platform/com/identifiers.h"
#include "platform/imaging/bitmap.h"
#include "platform/ui/scripted_control.h"

namespace varn::imageedit {

// Dispids of IImageEditControl.
enum ImageEditDispid : DISPID {
  kDispAddImage = 0x1,
  kDispDeleteImage = 0x2,
  kDispImageIndex = 0x3,
  kDispImageSizeType = 0x4,
  kDispRotateImage = 0x5,
  kDispImageWidth = 0x6,
  kDispUndoRedo = 0x7,
  kDispToolType = 0x8,
  kDispMozaicSize = 0x9,
  kDispFrameIndex = 0xa,
  kDispSignFilePath = 0xb,
  kDispSignAlign = 0xc,
  kDispFrameUseUrl = 0xd,
  kDispSetEffect = 0xe,
  kDispGetEffectFlag = 0xf,
  kDispTextCurrentText = 0x10,
  kDispTextCartoonIndex = 0x12,
  kDispSelectFont = 0x13,
  kDispResetImage = 0x14,
  kDispDrawPenWidth = 0x15,
  kDispEraserPenWidth = 0x16,
  kDispDrawPenColor = 0x17,
  kDispGetFavoriteColor = 0x18,
  kDispSaveAndSubmit = 0x19,
  kDispFileKey = 0x1a,
  kDispActionPage = 0x1b,
  kDispApplyCurrentText = 0x1c,
  kDispSignStampText = 0x1d,
  kDispSignStampIndex = 0x1e,
  kDispSignIndex = 0x1f,
  kDispSetSignFilePath = 0x20,
  kDispFontName = 0x21,
  kDispFontSize = 0x22,
  kDispFontAlign = 0x23,
  kDispFontColor = 0x24,
  kDispFontBgColor = 0x25,
  kDispFontTransparency = 0x26,
  kDispFontStyle = 0x27,
  kDispImageWholeFrameApply = 0x28,
  kDispImageComment = 0x29,
  kDispImageCommentAlign = 0x2a,
  kDispCookie = 0x2b,
};

// Dispids of _IImageEditControlEvents.
enum ImageEditEvent : DISPID {
  kOnChangeSize = 0x1,
  kOnChangeImage = 0x2,
  kOnChangeTab = 0x3,
  kOnAddImage = 0x4,
  kOnDeleteImage = 0x5,
  kOnUpdateData = 0x6,
  kOnScroll = 0x7,
  kOnUploadFile = 0x8,
  kOnUploadFileComplete = 0x9,
};

// The size the page is told when the last picture goes.
inline constexpr int32_t kEmptyWidth = 530;
inline constexpr int32_t kEmptyHeight = 400;
inline constexpr size_t kMaxFavoriteColors = 5;
// Frames 0 to 9 exist.
inline constexpr int32_t kLastFrameIndex = 9;
// What the view and the message box say.
inline constexpr std::u16string_view kEmptyListText = u"イメージをアップロードしてください。";
inline constexpr std::u16string_view kNotAPictureText =
    u"ファイル形式はイメージ形式(jpg, gif, png, bmp) でアップロードしてください。";

class CImageEditControl final
    : public ui::ScriptedControl<CImageEditControl, IID_IImageEditControl,
                                 DIID__IImageEditControlEvents,
                                 ui::InterfaceList<PersistPropertyBag<CImageEditControl>>> {
 public:
  CImageEditControl();
  ~CImageEditControl() override;

  static constexpr com::TypeNames kTypeNames{u"ImageEditControl", u"IImageEditControl",
                                             u"_IImageEditControlEvents"};
  static constexpr const CLSID& kClassId = CLSID_ImageEditControl;
  static std::span<const com::DispatchMember<CImageEditControl>> DispatchMembers();
  static std::span<const com::MemberInfo> EventMembers();

  // ---- The picture list ----
  HRESULT AddImage();
  HRESULT DeleteImage();
  HRESULT get_imageIndex(int32_t* value);
  HRESULT put_imageIndex(int32_t value);

  // ---- Size, turns, history ----
  HRESULT get_imageSizeType(int32_t* value);
  HRESULT put_imageSizeType(int32_t value);
  HRESULT RotateImage(int32_t degrees);
  HRESULT get_imageWidth(int32_t* value);
  HRESULT put_imageWidth(int32_t value);
  HRESULT UndoRedo(int32_t type);
  HRESULT ResetImage();

  // ---- Tools and pens ----
  HRESULT get_toolType(int32_t* value);
  HRESULT put_toolType(int32_t value);
  HRESULT get_mozaicSize(int32_t* value);
  HRESULT put_mozaicSize(int32_t value);
  HRESULT get_drawPenWidth(int32_t* value);
  HRESULT put_drawPenWidth(int32_t value);
  HRESULT get_eraserPenWidth(int32_t* value);
  HRESULT put_eraserPenWidth(int32_t value);
  HRESULT get_drawPenColor(BSTR* value);
  HRESULT put_drawPenColor(BSTR value);
  HRESULT GetFavoriteColor(int32_t index, BSTR* color);

  // ---- Frame, signature, stamp ----
  HRESULT get_frameIndex(int32_t* value);
  HRESULT put_frameIndex(int32_t value);
  HRESULT get_frameUseUrl(int32_t* value);
  HRESULT put_frameUseUrl(int32_t value);
  HRESULT get_signFilePath(BSTR* value);
  HRESULT put_signFilePath(BSTR value);
  HRESULT SetSignFilePath();
  HRESULT get_signAlign(int32_t* value);
  HRESULT put_signAlign(int32_t value);
  HRESULT get_signIndex(int32_t* value);
  HRESULT put_signIndex(int32_t value);
  HRESULT get_signStampText(BSTR* value);
  HRESULT put_signStampText(BSTR value);
  HRESULT get_signStampIndex(int32_t* value);
  HRESULT put_signStampIndex(int32_t value);
  HRESULT get_imageWholeFrameApply(int32_t* value);
  HRESULT put_imageWholeFrameApply(int32_t value);

  // ---- Effects ----
  HRESULT SetEffect(int32_t effect, int32_t add);
  HRESULT GetEffectFlag(int32_t* flags);

  // ---- Texts and fonts ----
  HRESULT get_textCurrentText(BSTR* value);
  HRESULT put_textCurrentText(BSTR value);
  HRESULT get_textCartoonIndex(int32_t* value);
  HRESULT put_textCartoonIndex(int32_t value);
  HRESULT ApplyCurrentText();
  HRESULT SelectFont();
  HRESULT get_fontName(BSTR* value);
  HRESULT put_fontName(BSTR value);
  HRESULT get_fontSize(int32_t* value);
  HRESULT put_fontSize(int32_t value);
  HRESULT get_fontAlign(int32_t* value);
  HRESULT put_fontAlign(int32_t value);
  HRESULT get_fontStyle(int32_t* value);
  HRESULT put_fontStyle(int32_t value);
  HRESULT get_fontTransparency(int32_t* value);
  HRESULT put_fontTransparency(int32_t value);
  HRESULT get_fontColor(BSTR* value);
  HRESULT put_fontColor(BSTR value);
  HRESULT get_fontBgColor(BSTR* value);
  HRESULT put_fontBgColor(BSTR value);

  // ---- Comment and upload ----
  HRESULT get_imageComment(BSTR* value);
  HRESULT put_imageComment(BSTR value);
  HRESULT get_imageCommentAlign(int32_t* value);
  HRESULT put_imageCommentAlign(int32_t value);
  HRESULT get_FileKey(BSTR* value);
  HRESULT put_FileKey(BSTR value);
  HRESULT get_ActionPage(BSTR* value);
  HRESULT put_ActionPage(BSTR value);
  HRESULT put_Cookie(BSTR value);
  HRESULT SaveAndSubmit();

  // For the property bag and tests.
  const std::u16string& FileKeyValue() const { return fileKey_; }
  const std::u16string& ActionPageValue() const { return actionPage_; }
  int32_t ImageCount() const { return static_cast<int32_t>(images_.size()); }
  // The picture at index; index inside 0 .. ImageCount() - 1.
  imagedoc::CImageHistory& ImageAt(int32_t index) { return *images_[index]; }
  bool Dragging() const { return tools_.Captured(); }

 protected:
  ui::MessageReply ProcessWindowMessage(const ui::WindowMessage& message) override;
  void OnDraw(const ui::DrawContext& context) override;

 private:
  ui::MessageReply OnEraseBackground(const ui::WindowMessage& message);
  ui::MessageReply OnSize(const ui::WindowMessage& message);
  ui::MessageReply OnLButtonDown(const ui::WindowMessage& message);
  ui::MessageReply OnRButtonDown(const ui::WindowMessage& message);
  ui::MessageReply OnCancelMode(const ui::WindowMessage& message);
  ui::MessageReply OnLButtonUp(const ui::WindowMessage& message);
  ui::MessageReply OnMouseMove(const ui::WindowMessage& message);
  // Carries out what a tool answered: capture, events, repaints.
  void Act(const ToolAnswer& answer);
  MouseInput InputOf(const ui::WindowMessage& message);
  imagedoc::CImageHistory* CurrentImage() {
    return HasImage() ? images_[currentIndex_].get() : nullptr;
  }

  bool HasImage() const { return currentIndex_ >= 0; }
  imagedoc::CHistoryNode& Node() { return images_[currentIndex_]->Current(); }
  void Repaint() { Window().Invalidate(); }
  // Fires OnChangeSize with the current node's rendered size.
  void ReportCurrentSize();
  void FireTab();
  // Every other picture takes the current one's size, frame and signature.
  void ApplyWholeFrame();
  // A drag under way is dropped without a trace (list changes, undo).
  void AbandonDrag();
  // The file the open-file dialog gave, or none.
  std::optional<std::u16string> ChooseFile();

  // A member's body, with running out of memory answered as E_OUTOFMEMORY
  // instead of leaving through the interface.
  template <typename Body>
  static HRESULT Guarded(Body body) {
    try {
      return body();
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  // Shared shapes of the node's properties.
  template <typename Reader>
  HRESULT GetNodeInt(int32_t* value, Reader read);
  template <typename Change>
  HRESULT ChangeAndRepaint(Change change);
  HRESULT GetFont(imagedoc::FontValue which, int32_t* value);
  HRESULT PutFont(imagedoc::FontValue which, int32_t value);
  HRESULT GetFontColor(imagedoc::FontValue which, BSTR* value);
  HRESULT PutFontColor(imagedoc::FontValue which, BSTR value);

  // The upload: fills the form, posts it, reports the reply.
  void Submit();

  // Held for the whole life of the control; declared first so that it goes last.
  ImagingScope imaging_;
  std::vector<std::unique_ptr<imagedoc::CImageHistory>> images_;
  int32_t currentIndex_ = -1;
  // The mouse tools: the drag under way, its points, the mosaic block size.
  EditTools tools_;
  // The client area's picture during a drag: the rendered image and the
  // tool's preview reach the screen in one copy.
  std::unique_ptr<imaging::Bitmap> backBuffer_;
  std::vector<uint32_t> favoriteColors_;
  std::u16string actionPage_;
  std::u16string fileKey_;
  std::u16string cookie_;
  int32_t wholeFrameApply_ = 0;
};

}  // namespace varn::imageedit
