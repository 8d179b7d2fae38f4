// The picture list: adding through the file dialog, deleting, choosing the
// current picture, and the settings every picture takes from the current one.
#include "imageedit/image_edit_control.h"

#include <new>
#include <utility>

#include "platform/com/host_ui.h"
#include "platform/system/utf_convert.h"
#include "platform/ui/message_box_types.h"

namespace varn::imageedit {

CImageEditControl::CImageEditControl() = default;

// The pictures and the back buffer go before the imaging runtime does.
CImageEditControl::~CImageEditControl() {
  images_.clear();
  backBuffer_.reset();
}

void CImageEditControl::ReportCurrentSize() {
  if (!HasImage()) return;
  const imaging::Bitmap* image = Node().GetRenderedImage();
  const int32_t width = image == nullptr ? 0 : static_cast<int32_t>(image->GetWidth());
  const int32_t height = image == nullptr ? 0 : static_cast<int32_t>(image->GetHeight());
  Fire(kOnChangeSize, width, height);
}

void CImageEditControl::FireTab() {
  // A handler of an earlier event may have emptied the list.
  Fire(kOnChangeTab, HasImage() ? Node().toolType : int32_t{-1});
}

void CImageEditControl::ApplyWholeFrame() {
  if (!HasImage()) return;
  const imagedoc::CHistoryNode& source = Node();
  for (int32_t i = 0; i < ImageCount(); ++i) {
    if (i == currentIndex_) continue;
    imagedoc::CImageHistory& history = *images_[i];
    // The copy makes the taken settings one undo step of that picture.
    if (history.Current().DiffersInSettings(source)) history.Current().PushCopy();
    history.Current().CopySettingsFrom(source);
  }
}

std::optional<std::u16string> CImageEditControl::ChooseFile() {
  ui::FileDialogRequest request;
  request.kind = ui::FileDialogKind::kOpen;
  request.flags = OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_EXPLORER | OFN_ENABLESIZING;
  return ShowFileDialog(request);
}

HRESULT CImageEditControl::AddImage() {
  try {
    const std::optional<std::u16string> path = ChooseFile();
    if (!path || path->empty()) return S_OK;
    // The content decides, not the name: only a regular file that decodes
    // within the imaging limits becomes a picture.
    std::unique_ptr<imagedoc::CImageHistory> history =
        imagedoc::CImageHistory::FromFile(system::Utf16ToUtf8(*path));
    if (history == nullptr) {
      ShowMessageBox(kNotAPictureText, u"", MB_OK);
      return S_OK;
    }
    history->SetErrorReporter([this](std::string_view text, std::string_view caption) {
      ShowMessageBox(system::Utf8ToUtf16(text), system::Utf8ToUtf16(caption), MB_OK);
    });
    AbandonDrag();
    if (HasImage() && wholeFrameApply_ != 0) history->Current().CopySettingsFrom(Node());
    images_.push_back(std::move(history));
    currentIndex_ = ImageCount() - 1;
    const int32_t index = currentIndex_;
    Fire(kOnAddImage, index, *path);
    Fire(kOnChangeImage, index);
    ReportCurrentSize();
    Repaint();
    FireTab();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CImageEditControl::DeleteImage() {
  return Guarded([&]() -> HRESULT {
    if (!HasImage()) return S_FALSE;
    AbandonDrag();
    const int32_t removed = currentIndex_;
    images_.erase(images_.begin() + removed);
    if (currentIndex_ >= ImageCount()) currentIndex_ = ImageCount() - 1;
    Fire(kOnDeleteImage, removed);
    Fire(kOnChangeImage, currentIndex_);
    if (!HasImage()) {
      Fire(kOnChangeSize, kEmptyWidth, kEmptyHeight);
      Fire(kOnChangeTab, int32_t{-1});
    } else {
      FireTab();
      ReportCurrentSize();
    }
    Repaint();
    return S_OK;
  });
}

HRESULT CImageEditControl::get_imageIndex(int32_t* value) {
  *value = currentIndex_;
  return S_OK;
}

HRESULT CImageEditControl::put_imageIndex(int32_t value) {
  return Guarded([&]() -> HRESULT {
    if (!HasImage() || value < 0 || value >= ImageCount()) return S_FALSE;
    if (value == currentIndex_) return S_OK;
    AbandonDrag();
    if (wholeFrameApply_ != 0) ApplyWholeFrame();
    currentIndex_ = value;
    Fire(kOnChangeImage, value);
    FireTab();
    ReportCurrentSize();
    Repaint();
    return S_OK;
  });
}

HRESULT CImageEditControl::get_imageWholeFrameApply(int32_t* value) {
  *value = wholeFrameApply_;
  return S_OK;
}

HRESULT CImageEditControl::put_imageWholeFrameApply(int32_t value) {
  return Guarded([&]() -> HRESULT {
    wholeFrameApply_ = value;
    if (!HasImage()) return S_FALSE;
    if (value != 0) ApplyWholeFrame();
    return S_OK;
  });
}

// The dialog's file is only named here; the rendering reads it, and draws
// nothing for a file that is not a regular picture file.
HRESULT CImageEditControl::SetSignFilePath() {
  if (!HasImage()) return S_FALSE;
  try {
    const std::optional<std::u16string> path = ChooseFile();
    if (!path || !HasImage()) return S_OK;
    Node().SetSignPath(*path);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  Repaint();
  Fire(kOnUpdateData);
  return S_OK;
}

}  // namespace varn::imageedit
