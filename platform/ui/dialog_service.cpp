#include "platform/ui/dialog_service.h"

#include <cstdio>
#include <new>
#include <string>

#include "platform/com/bstr.h"
#include "platform/com/com_ref.h"
#include "platform/com/host_ui.h"
#include "platform/com/service_provider.h"
#include "platform/system/utf_convert.h"
#include "platform/ui/qt_dialogs.h"

namespace varn::ui {
namespace {

// Touched only from the controls' thread.
QtDialogPolicy gQtDialogPolicy = QtDialogPolicy::kWhenDisplayed;

// Asked anew for every dialog and never kept: the host may change its mind.
com::ComRef<IVarnHostUI> QueryHostUI(IOleClientSite* site) {
  const auto provider = com::ComRef<IOleClientSite>::Share(site).As<IServiceProvider>();
  com::ComRef<IVarnHostUI> hostUI;
  if (!provider ||
      FAILED(provider->QueryService(SID_IVarnHostUI, IID_IVarnHostUI, hostUI.OutVoid()))) {
    return {};
  }
  return hostUI;
}

// An empty text stands for "none", which the host receives as a null BSTR.
// False when memory ran out.
bool ToOptionalBstr(std::u16string_view text, com::Bstr& out) {
  if (text.empty()) return true;
  out = com::Bstr::FromText(text);
  return !out.IsNull();
}

std::optional<std::u16string> AcceptablePath(std::u16string_view path) {
  if (path.empty() || path.size() > kMaxDialogPathLength ||
      path.find(u'\0') != std::u16string_view::npos) {
    return std::nullopt;
  }
  return std::u16string(path);
}

std::optional<std::u16string> AskHostForFile(IVarnHostUI& host, const FileDialogRequest& request) {
  com::Bstr filter;
  com::Bstr initialName;
  com::Bstr defaultExt;
  if (!ToOptionalBstr(ToWindowsFilter(request.filters), filter) ||
      !ToOptionalBstr(request.initialName, initialName) ||
      !ToOptionalBstr(request.defaultExt, defaultExt)) {
    return std::nullopt;
  }
  BSTR path = nullptr;
  const HRESULT hr = host.ShowFileDialog(static_cast<int32_t>(request.kind), filter.Get(),
                                         initialName.Get(), defaultExt.Get(), request.flags, &path);
  // The path is ours to free, also when the host set one and then said no.
  const com::Bstr ownedPath = com::Bstr::Attach(path);
  if (hr != S_OK) return std::nullopt;
  return AcceptablePath(ownedPath.View());
}

int32_t AskHostForMessageBox(IVarnHostUI& host, std::u16string_view text,
                             std::u16string_view caption, uint32_t type) {
  const com::Bstr textBstr = com::Bstr::FromText(text);
  const com::Bstr captionBstr = com::Bstr::FromText(caption);
  if (textBstr.IsNull() || captionBstr.IsNull()) return 0;
  int32_t answer = 0;
  if (FAILED(host.ShowMessageBox(textBstr.Get(), captionBstr.Get(), type, &answer))) return 0;
  return answer;
}

void WriteToStandardError(std::u16string_view text, std::u16string_view caption) {
  std::string line = caption.empty() ? std::string() : system::Utf16ToUtf8(caption) + ": ";
  line += system::Utf16ToUtf8(text);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

std::optional<std::u16string> ShowFileDialog(IOleClientSite* site, HWND owner,
                                             const FileDialogRequest& request) {
  try {
    if (const com::ComRef<IVarnHostUI> hostUI = QueryHostUI(site)) {
      return AskHostForFile(*hostUI.Get(), request);
    }
    if (QtDialogsAvailable(gQtDialogPolicy)) {
      std::optional<std::u16string> chosen = ShowQtFileDialog(owner, request, gQtDialogPolicy);
      if (chosen) return AcceptablePath(*chosen);
      return std::nullopt;
    }
  } catch (...) {
    // A dialog that could not be shown chose nothing.
  }
  return std::nullopt;
}

int32_t ShowMessageBox(IOleClientSite* site, HWND owner, std::u16string_view text,
                       std::u16string_view caption, uint32_t type) {
  try {
    if (const com::ComRef<IVarnHostUI> hostUI = QueryHostUI(site)) {
      return AskHostForMessageBox(*hostUI.Get(), text, caption, type);
    }
    if (QtDialogsAvailable(gQtDialogPolicy)) {
      return ShowQtMessageBox(owner, text, caption, type);
    }
    WriteToStandardError(text, caption);
    return IDOK;
  } catch (...) {
    return 0;
  }
}

void SetQtDialogPolicy(QtDialogPolicy policy) { gQtDialogPolicy = policy; }

}  // namespace varn::ui
