// A host's dialog service as a test scripts it, and the site that offers it
// to a control. Every file dialog and message box is recorded and takes the
// next queued answer; with none queued a file dialog is cancelled and a
// message box closed with OK, as a member dismissing it would.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ref.h"
#include "platform/com/host_ui.h"
#include "platform/com/ole_object.h"
#include "platform/com/service_provider.h"
#include "platform/ui/message_box_types.h"

namespace varn::testing {

// A new object of ours with the one reference MakeObject gives it.
template <typename T, typename... Args>
com::ComRef<T> MakeRef(Args&&... args) {
  return com::ComRef<T>::Adopt(com::MakeObject<T>(std::forward<Args>(args)...));
}

// A string as the host received it; a null BSTR is nullopt.
inline std::optional<std::u16string> Seen(BSTR text) {
  if (text == nullptr) return std::nullopt;
  return std::u16string(text, SysStringLen(text));
}

struct FileDialogSeen {
  int32_t kind;
  std::optional<std::u16string> filter, initialName, defaultExt;
  uint32_t flags;
};

struct MessageBoxSeen {
  std::optional<std::u16string> text, caption;
  uint32_t type;
};

class ScriptedDialogs final : public com::ComObject<IVarnHostUI> {
 public:
  ScriptedDialogs() : ComObject(com::ModuleCount::kNotCounted) {}

  // The member picks path in the next file dialog.
  void ChooseFile(std::u16string path) { fileAnswers_.push_back({S_OK, std::move(path)}); }
  // The member cancels the next file dialog.
  void CancelFile() { fileAnswers_.push_back({S_FALSE, std::nullopt}); }
  // Any answer a host might give, a careless one included: S_FALSE with a
  // path, S_OK with none.
  void AnswerFile(HRESULT result, std::optional<std::u16string> path) {
    fileAnswers_.push_back({result, std::move(path)});
  }
  // The button the member presses in the next message box.
  void AnswerBox(int32_t button) { boxAnswers_.push_back(button); }

  HRESULT ShowFileDialog(int32_t kind, BSTR filter, BSTR initialName, BSTR defaultExt,
                         uint32_t flags, BSTR* path) override {
    fileDialogs.push_back({kind, Seen(filter), Seen(initialName), Seen(defaultExt), flags});
    FileAnswer answer{S_FALSE, std::nullopt};
    if (!fileAnswers_.empty()) {
      answer = std::move(fileAnswers_.front());
      fileAnswers_.pop_front();
    }
    // The module's allocator, as a host linked against the module uses it.
    *path = answer.path
                ? SysAllocStringLen(answer.path->data(), static_cast<UINT>(answer.path->size()))
                : nullptr;
    return answer.result;
  }

  HRESULT ShowMessageBox(BSTR text, BSTR caption, uint32_t type, int32_t* result) override {
    messageBoxes.push_back({Seen(text), Seen(caption), type});
    *result = IDOK;
    if (!boxAnswers_.empty()) {
      *result = boxAnswers_.front();
      boxAnswers_.pop_front();
    }
    return S_OK;
  }

  std::vector<FileDialogSeen> fileDialogs;
  std::vector<MessageBoxSeen> messageBoxes;

 private:
  struct FileAnswer {
    HRESULT result;
    std::optional<std::u16string> path;
  };
  std::deque<FileAnswer> fileAnswers_;
  std::deque<int32_t> boxAnswers_;
};

// A client site that asks nothing of its container, with the further
// interfaces a test site offers.
template <typename... More>
class ClientSite : public com::ComObject<IOleClientSite, More...> {
 public:
  ClientSite() : com::ComObject<IOleClientSite, More...>(com::ModuleCount::kNotCounted) {}

  HRESULT SaveObject() override { return E_NOTIMPL; }
  HRESULT GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT GetContainer(IOleContainer**) override { return E_NOTIMPL; }
  HRESULT ShowObject() override { return S_OK; }
  HRESULT OnShowWindow(BOOL) override { return S_OK; }
  HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }
};

// A page's site: nothing to offer but the dialog service, which it can
// withdraw; it counts how often the control asked for it.
class HostSite final : public ClientSite<IServiceProvider> {
 public:
  explicit HostSite(com::ComRef<IVarnHostUI> dialogs) : dialogs_(std::move(dialogs)) {}

  HRESULT QueryService(REFGUID service, REFIID riid, void** object) override {
    ++queries;
    *object = nullptr;
    if (!offerService || !(service == SID_IVarnHostUI)) return E_NOINTERFACE;
    return dialogs_->QueryInterface(riid, object);
  }

  int queries = 0;
  bool offerService = true;

 private:
  com::ComRef<IVarnHostUI> dialogs_;
};

}  // namespace varn::testing
