// The drawing kept whole in a paint file on the member's disk, through the
// host's save and open dialogs, and read back.
#include <new>
#include <optional>
#include <string>

#include "drawing/drawing_control.h"
#include "drawing/paint_file.h"
#include "platform/com/host_ui.h"
#include "platform/system/utf_convert.h"
#include "platform/ui/dialog_service.h"

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

}  // namespace

HRESULT CDrawingControl::ExportToFile() {
  try {
    const std::optional<std::u16string> path =
        ShowFileDialog(PaintFileDialog(ui::FileDialogKind::kSave));
    if (!path) return S_OK;
    SavePaintFile(*document_, system::Utf16ToUtf8(*path));
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
