// The drawing kept whole in a paint file on the member's disk, through the
// host's save and open dialogs, and read back. A save that writes nothing is
// told to the member in a message box.
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "drawing/drawing_control.h"
#include "drawing/paint_file.h"
#include "platform/com/host_ui.h"
#include "platform/system/utf_convert.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/message_box_types.h"

namespace varn::drawing {
namespace {

ui::FileDialogRequest PaintFileDialog(ui::FileDialogKind kind) {
  ui::FileDialogRequest request;
  request.kind = kind;
  request.filters = {{u"Tembra Paint Files (*.tbp)", u"*.tbp"}, {u"All Files (*.*)", u"*.*"}};
  request.defaultExt = u"tbp";
  request.flags = OFN_EXPLORER | OFN_ENABLESIZING;
  if (kind == ui::FileDialogKind::kSave) {
    request.initialName = u"paint.tbp";
    request.flags |= OFN_OVERWRITEPROMPT;
  } else {
    request.initialName = u"*.tbp";
  }
  return request;
}

constexpr char16_t kSaveCaption[] = u"Save Drawing";

// What the member is told when nothing was saved.
std::u16string_view SaveFailureText(PaintFileSave result) {
  switch (result) {
    case PaintFileSave::Saved:
      return {};
    case PaintFileSave::NoFolder:
      return u"The folder for this file does not exist. The drawing was not saved.";
    case PaintFileSave::NotAFile:
      return u"That name is not an ordinary file. The drawing was not saved.";
    case PaintFileSave::ReadOnly:
      return u"The file is read-only, or its folder cannot be written to. The drawing was not "
             u"saved.";
    case PaintFileSave::Failed:
      break;
  }
  return u"The drawing could not be saved.";
}

}  // namespace

HRESULT CDrawingControl::ExportToFile() {
  try {
    const std::optional<std::u16string> path =
        ShowFileDialog(PaintFileDialog(ui::FileDialogKind::kSave));
    if (!path) return S_OK;
    const PaintFileSave result = SavePaintFile(*document_, system::Utf16ToUtf8(*path));
    if (result != PaintFileSave::Saved) {
      ShowMessageBox(SaveFailureText(result), kSaveCaption, MB_OK | MB_ICONWARNING);
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CDrawingControl::ImportFromFile() {
  try {
    const std::optional<std::u16string> path =
        ShowFileDialog(PaintFileDialog(ui::FileDialogKind::kOpen));
    if (!path) return S_OK;
    if (!LoadPaintFile(*document_, system::Utf16ToUtf8(*path))) return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  // A gesture begun on the state left behind must not go on in the new one.
  if (captured_) ForgetGesture();
  // Keeping the old buffer when the new one cannot be made only crops or pads
  // what is shown; the loaded drawing itself is intact.
  RemakeBackBuffer();
  zoom_ = 1;
  FireSizeChange();
  Fire(kOnInvalidateInfo);
  Repaint();
  return S_OK;
}

}  // namespace varn::drawing
