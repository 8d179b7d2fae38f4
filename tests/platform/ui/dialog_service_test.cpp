#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/com/bstr.h"
#include "platform/com/com_object.h"
#include "platform/com/host_ui.h"
#include "platform/com/service_provider.h"
#include "platform/ui/dialog_service.h"
#include "tests/platform/ui/test_control.h"

namespace varn::ui::testing {
namespace {

// What the host saw of a call; a null BSTR is recorded as nullopt.
std::optional<std::u16string> Seen(BSTR text) {
  if (text == nullptr) return std::nullopt;
  return std::u16string(text, SysStringLen(text));
}

class FakeHostUI final : public com::ComObject<IVarnHostUI> {
 public:
  HRESULT ShowFileDialog(int32_t kind, BSTR filter, BSTR initialName, BSTR defaultExt,
                         uint32_t flags, BSTR* path) override {
    ++fileDialogs;
    seenKind = kind;
    seenFilter = Seen(filter);
    seenInitialName = Seen(initialName);
    seenDefaultExt = Seen(defaultExt);
    seenFlags = flags;
    // The module's allocator, as a host linked against the module uses it.
    *path = answerPath
                ? SysAllocStringLen(answerPath->data(), static_cast<UINT>(answerPath->size()))
                : nullptr;
    return answer;
  }
  HRESULT ShowMessageBox(BSTR text, BSTR caption, uint32_t type, int32_t* result) override {
    seenText = Seen(text);
    seenCaption = Seen(caption);
    seenFlags = type;
    *result = IDNO;
    return S_OK;
  }

  int fileDialogs = 0;
  int32_t seenKind = -1;
  std::optional<std::u16string> seenFilter, seenInitialName, seenDefaultExt, seenText, seenCaption;
  uint32_t seenFlags = 0;
  HRESULT answer = S_OK;
  std::optional<std::u16string> answerPath = u"/home/member/paint.tbp";
};

class FakeSite final : public com::ComObject<IOleClientSite, IServiceProvider> {
 public:
  explicit FakeSite(FakeHostUI* host) : host_(host) { host_->AddRef(); }
  ~FakeSite() override { host_->Release(); }

  HRESULT SaveObject() override { return E_NOTIMPL; }
  HRESULT GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT GetContainer(IOleContainer**) override { return E_NOTIMPL; }
  HRESULT ShowObject() override { return S_OK; }
  HRESULT OnShowWindow(BOOL) override { return S_OK; }
  HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }

  HRESULT QueryService(REFGUID service, REFIID riid, void** object) override {
    ++queries;
    *object = nullptr;
    if (!offerService || !(service == SID_IVarnHostUI)) return E_NOINTERFACE;
    return host_->QueryInterface(riid, object);
  }

  int queries = 0;
  bool offerService = true;

 private:
  FakeHostUI* host_;
};

// A site that has no IServiceProvider at all.
class PlainSite final : public com::ComObject<IOleClientSite> {
 public:
  HRESULT SaveObject() override { return E_NOTIMPL; }
  HRESULT GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT GetContainer(IOleContainer**) override { return E_NOTIMPL; }
  HRESULT ShowObject() override { return S_OK; }
  HRESULT OnShowWindow(BOOL) override { return S_OK; }
  HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }
};

FileDialogRequest PaintFileSave() {
  FileDialogRequest request;
  request.kind = FileDialogKind::kSave;
  request.filters = {{u"Tembra Paint Files (*.tbp)", u"*.tbp"}, {u"All Files (*.*)", u"*.*"}};
  request.initialName = u"paint.tbp";
  request.defaultExt = u"tbp";
  request.flags = OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING;
  return request;
}

class DialogService : public ::testing::Test {
 protected:
  DialogService() : host(com::MakeObject<FakeHostUI>()), site(com::MakeObject<FakeSite>(host)) {
    control->SetClientSite(site);
  }
  ~DialogService() override {
    control->SetClientSite(nullptr);
    site->Release();
    host->Release();
  }

  ControlHolder control;
  FakeHostUI* host;
  FakeSite* site;
};

TEST_F(DialogService, HostReceivesTheExactRequestAndItsPathComesBack) {
  const std::optional<std::u16string> path = control->ShowFileDialog(PaintFileSave());
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(*path, u"/home/member/paint.tbp");
  EXPECT_EQ(host->seenKind, 1);
  const char16_t kFilter[] = u"Tembra Paint Files (*.tbp)\0*.tbp\0All Files (*.*)\0*.*\0\0";
  EXPECT_EQ(host->seenFilter, std::u16string(kFilter, std::size(kFilter) - 1));
  EXPECT_EQ(host->seenInitialName, u"paint.tbp");
  EXPECT_EQ(host->seenDefaultExt, u"tbp");
  EXPECT_EQ(host->seenFlags, 0x880002u);
}

TEST_F(DialogService, EmptyRequestFieldsReachTheHostAsNullStrings) {
  FileDialogRequest open;
  open.flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK;
  ASSERT_TRUE(control->ShowFileDialog(open).has_value());
  EXPECT_EQ(host->seenKind, 0);
  EXPECT_EQ(host->seenFilter, std::nullopt);
  EXPECT_EQ(host->seenInitialName, std::nullopt);
  EXPECT_EQ(host->seenDefaultExt, std::nullopt);
  EXPECT_EQ(host->seenFlags, 0x880024u);
}

TEST_F(DialogService, CancelledOrUnusableAnswersChooseNothing) {
  // A host that says no but still hands back a string: the string is freed, not used.
  host->answer = S_FALSE;
  EXPECT_EQ(control->ShowFileDialog(PaintFileSave()), std::nullopt);
  host->answer = S_OK;
  host->answerPath = std::u16string();
  EXPECT_EQ(control->ShowFileDialog(PaintFileSave()), std::nullopt);
  host->answerPath = std::nullopt;
  EXPECT_EQ(control->ShowFileDialog(PaintFileSave()), std::nullopt);
  host->answerPath = std::u16string(u"/tmp/a\0b", 8);
  EXPECT_EQ(control->ShowFileDialog(PaintFileSave()), std::nullopt);
  host->answerPath = std::u16string(kMaxDialogPathLength + 1, u'a');
  EXPECT_EQ(control->ShowFileDialog(PaintFileSave()), std::nullopt);
}

TEST_F(DialogService, ServiceIsAskedForEveryDialog) {
  control->ShowFileDialog(PaintFileSave());
  EXPECT_EQ(control->ShowMessageBox(u"Replace?", u"Error", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(site->queries, 2);
  EXPECT_EQ(host->seenText, u"Replace?");
  EXPECT_EQ(host->seenCaption, u"Error");
  EXPECT_EQ(host->seenFlags, MB_YESNO | MB_ICONQUESTION);

  // Withdrawing the service takes effect at the next dialog.
  site->offerService = false;
  EXPECT_EQ(control->ShowFileDialog(PaintFileSave()), std::nullopt);
  EXPECT_EQ(host->fileDialogs, 1);
}

TEST(DialogFallback, WithoutServiceOrDisplayFileDialogsCancelAndBoxesGoToStandardError) {
  ControlHolder control;
  PlainSite* plain = com::MakeObject<PlainSite>();
  for (IOleClientSite* site :
       {static_cast<IOleClientSite*>(nullptr), static_cast<IOleClientSite*>(plain)}) {
    control->SetClientSite(site);
    EXPECT_EQ(control->ShowFileDialog(PaintFileSave()), std::nullopt);
    ::testing::internal::CaptureStderr();
    const int32_t answer = control->ShowMessageBox(
        u"ファイル形式はイメージ形式(jpg, gif, png, bmp) でアップロードしてください。", u"", MB_OK);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(written,
              "ファイル形式はイメージ形式(jpg, gif, png, bmp) でアップロードしてください。\n");
  }
  ::testing::internal::CaptureStderr();
  control->ShowMessageBox(u"CHistoryNode::RedrawImage()", u"Error", MB_OK);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: CHistoryNode::RedrawImage()\n");
  control->SetClientSite(nullptr);
  plain->Release();
}

TEST(DialogFallback, ClientSiteIsHeldAndHandedBack) {
  ControlHolder control;
  PlainSite* plain = com::MakeObject<PlainSite>();
  control->SetClientSite(plain);
  IOleClientSite* back = nullptr;
  ASSERT_EQ(control->GetClientSite(&back), S_OK);
  EXPECT_EQ(back, plain);
  back->Release();
  // The control's reference keeps the site alive after the host lets go.
  EXPECT_EQ(plain->Release(), 1u);
  control->SetClientSite(nullptr);
  ASSERT_EQ(control->GetClientSite(&back), S_OK);
  EXPECT_EQ(back, nullptr);
}

}  // namespace
}  // namespace varn::ui::testing
