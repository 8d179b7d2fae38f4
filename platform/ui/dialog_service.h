// Modal file dialogs and message boxes for a control. Each call asks the
// control's site for the host's dialog service first; a host without one gets
// a Qt dialog when a display exists; with neither, a file dialog counts as
// cancelled and a message box goes to standard error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/ole_object.h"
#include "platform/ui/file_filter.h"
#include "platform/ui/message_box_types.h"

namespace varn::ui {

enum class FileDialogKind : int32_t { kOpen = 0, kSave = 1 };

struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::kOpen;
  std::vector<FileFilter> filters;  // none: every file is listed
  std::u16string initialName;       // empty for none
  std::u16string defaultExt;        // without the dot; empty for none
  uint32_t flags = 0;               // OFN_* of platform/com/host_ui.h
};

// Paths longer than this are refused as a failed dialog.
inline constexpr std::size_t kMaxDialogPathLength = 4096;

// The chosen path, or nothing when the dialog was cancelled or failed. `owner`
// is the window the dialog belongs to (null: the active window).
std::optional<std::u16string> ShowFileDialog(IOleClientSite* site, HWND owner,
                                             const FileDialogRequest& request);

// The button id the user chose (IDOK when written to standard error), 0 when
// the box could not be shown.
int32_t ShowMessageBox(IOleClientSite* site, HWND owner, std::u16string_view text,
                       std::u16string_view caption, uint32_t type);

// Under the offscreen platform there is nobody to answer a Qt dialog, so none
// is shown unless a test asks for them to find and answer them itself.
enum class QtDialogPolicy { kWhenDisplayed, kAlways };
void SetQtDialogPolicy(QtDialogPolicy policy);

}  // namespace varn::ui
