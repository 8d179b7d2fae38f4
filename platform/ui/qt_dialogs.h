// The Qt dialogs shown when the host offers no dialog service.
#pragma once

#include "platform/ui/dialog_service.h"

namespace varn::ui {

// A QApplication runs on this thread and, unless the policy says always, a
// display shows what it opens.
bool QtDialogsAvailable(QtDialogPolicy policy);

std::optional<std::u16string> ShowQtFileDialog(HWND owner, const FileDialogRequest& request,
                                               QtDialogPolicy policy);
int32_t ShowQtMessageBox(HWND owner, std::u16string_view text, std::u16string_view caption,
                         uint32_t type);

}  // namespace varn::ui
