// The page's side of a control's site: the client site the control keeps, and
// the dialog service it asks for before each file dialog or message box. The
// script answers dialogs in advance; an unanswered one is cancelled (or, with a
// window and a member at the keyboard, left to the real dialog).
#pragma once

#include <QString>

#include <deque>
#include <optional>

#include "host/page/page_context.h"
#include "platform/com/com_object.h"
#include "platform/com/host_ui.h"
#include "platform/com/ole_object.h"
#include "platform/com/service_provider.h"

namespace varn::host {

class PageDialogs final : public com::ComObject<IVarnHostUI> {
 public:
  explicit PageDialogs(PageContext& page);

  // The next file dialog chooses path, or is cancelled for nullopt.
  void QueueFileAnswer(std::optional<QString> path) { fileAnswers_.push_back(std::move(path)); }
  // The next message box answers with button id (IDOK is 1).
  void QueueMessageAnswer(int32_t button) { messageAnswers_.push_back(button); }
  // With a member at the keyboard, unanswered dialogs are the real ones.
  void SetInteractive(bool interactive) { interactive_ = interactive; }
  bool Serves() const;

  HRESULT ShowFileDialog(int32_t kind, BSTR filter, BSTR initialName, BSTR defaultExt,
                         uint32_t flags, BSTR* path) override;
  HRESULT ShowMessageBox(BSTR text, BSTR caption, uint32_t type, int32_t* result) override;

 private:
  HRESULT AnswerFileDialog(int32_t kind, BSTR filter, BSTR initialName, BSTR* path);

  PageContext& page_;
  std::deque<std::optional<QString>> fileAnswers_;
  std::deque<int32_t> messageAnswers_;
  bool interactive_ = false;
};

class PageSite final : public com::ComObject<IOleClientSite, IServiceProvider> {
 public:
  explicit PageSite(PageDialogs& dialogs);

  HRESULT SaveObject() override { return E_NOTIMPL; }
  HRESULT GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  HRESULT GetContainer(IOleContainer** container) override;
  HRESULT ShowObject() override { return S_OK; }
  HRESULT OnShowWindow(BOOL) override { return S_OK; }
  HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }

  HRESULT QueryService(REFGUID service, REFIID riid, void** object) override;

 private:
  PageDialogs& dialogs_;
};

}  // namespace varn::host
