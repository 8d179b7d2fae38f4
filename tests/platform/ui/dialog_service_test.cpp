#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/com/com_object.h"
#include "platform/com/com_ref.h"
#include "platform/com/host_ui.h"
#include "platform/ui/dialog_service.h"
#include "tests/platform/ui/test_control.h"
#include "tests/support/host_dialogs.h"

namespace varn::ui::testing {
namespace {

// A site that has no IServiceProvider at all.
using PlainSite = varn::testing::ClientSite<>;

FileDialogRequest PaintFileSave() {
  FileDialogRequest request;
  request.kind = FileDialogKind::kSave;
  request.filters = {{u"Tembra Paint Files (*.tbp)", u"*.tbp"}, {u"All Files (*.*)", u"*.*"}};
  request.initialName = u"paint.tbp";
  request.defaultExt = u"tbp";
  request.flags = OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING;
  return request;
}

using varn::testing::HostSite;
using varn::testing::ScriptedDialogs;

constexpr char16_t kChosenPath[] = u"/home/member/paint.tbp";

class DialogService : public ::testing::Test {
 protected:
  DialogService() { control->SetClientSite(site.Get()); }
  ~DialogService() override { control->SetClientSite(nullptr); }

  ControlHolder control;
  com::ComRef<ScriptedDialogs> host = varn::testing::MakeRef<ScriptedDialogs>();
  com::ComRef<HostSite> site =
      varn::testing::MakeRef<HostSite>(com::ComRef<IVarnHostUI>::Share(host.Get()));
};

TEST_F(DialogService, HostReceivesTheExactRequestAndItsPathComesBack) {
  host->ChooseFile(kChosenPath);
  const std::optional<std::u16string> path = control->ShowFileDialog(PaintFileSave());
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(*path, u"/home/member/paint.tbp");
  ASSERT_EQ(host->fileDialogs.size(), 1u);
  const varn::testing::FileDialogSeen& seen = host->fileDialogs[0];
  EXPECT_EQ(seen.kind, 1);
  const char16_t kFilter[] = u"Tembra Paint Files (*.tbp)\0*.tbp\0All Files (*.*)\0*.*\0\0";
  EXPECT_EQ(seen.filter, std::u16string(kFilter, std::size(kFilter) - 1));
  EXPECT_EQ(seen.initialName, u"paint.tbp");
  EXPECT_EQ(seen.defaultExt, u"tbp");
  EXPECT_EQ(seen.flags, 0x880002u);
}

TEST_F(DialogService, EmptyRequestFieldsReachTheHostAsNullStrings) {
  FileDialogRequest open;
  open.flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK;
  host->ChooseFile(kChosenPath);
  ASSERT_TRUE(control->ShowFileDialog(open).has_value());
  ASSERT_EQ(host->fileDialogs.size(), 1u);
  const varn::testing::FileDialogSeen& seen = host->fileDialogs[0];
  EXPECT_EQ(seen.kind, 0);
  EXPECT_EQ(seen.filter, std::nullopt);
  EXPECT_EQ(seen.initialName, std::nullopt);
  EXPECT_EQ(seen.defaultExt, std::nullopt);
  EXPECT_EQ(seen.flags, 0x880024u);
}

TEST_F(DialogService, CancelledOrUnusableAnswersChooseNothing) {
  // A host that says no but still hands back a string: the string is freed, not used.
  host->AnswerFile(S_FALSE, kChosenPath);
  host->AnswerFile(S_OK, std::u16string());
  host->AnswerFile(S_OK, std::nullopt);
  host->AnswerFile(S_OK, std::u16string(u"/tmp/a\0b", 8));
  host->AnswerFile(S_OK, std::u16string(kMaxDialogPathLength + 1, u'a'));
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(control->ShowFileDialog(PaintFileSave()), std::nullopt) << "answer " << i;
  }
  EXPECT_EQ(host->fileDialogs.size(), 5u);
}

TEST_F(DialogService, ServiceIsAskedForEveryDialog) {
  control->ShowFileDialog(PaintFileSave());
  host->AnswerBox(IDNO);
  EXPECT_EQ(control->ShowMessageBox(u"Replace?", u"Error", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(site->queries, 2);
  ASSERT_EQ(host->messageBoxes.size(), 1u);
  EXPECT_EQ(host->messageBoxes[0].text, u"Replace?");
  EXPECT_EQ(host->messageBoxes[0].caption, u"Error");
  EXPECT_EQ(host->messageBoxes[0].type, MB_YESNO | MB_ICONQUESTION);

  // Withdrawing the service takes effect at the next dialog.
  site->offerService = false;
  EXPECT_EQ(control->ShowFileDialog(PaintFileSave()), std::nullopt);
  EXPECT_EQ(host->fileDialogs.size(), 1u);
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
