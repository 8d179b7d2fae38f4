#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/file_filter.h"
#include "platform/ui/message_box_types.h"
#include "platform/ui/message_map.h"
#include "platform/ui/window_messages.h"

namespace varn::ui {
namespace {

// The whole literal, embedded 0 characters included.
template <std::size_t N>
std::u16string WithZeros(const char16_t (&text)[N]) {
  return std::u16string(text, N - 1);
}

struct Recorder {
  std::vector<std::string> calls;
  MessageReply First(const WindowMessage&) {
    calls.push_back("first");
    return PassOn();
  }
  MessageReply Second(const WindowMessage& message) {
    calls.push_back("second");
    return Handled(message.lParam + 1);
  }
  MessageReply Third(const WindowMessage&) {
    calls.push_back("third");
    return Handled(99);
  }
  static constexpr MessageEntry<Recorder> kMap[] = {
      {WM_SIZE, &Recorder::First},
      {WM_SIZE, &Recorder::Second},
      {WM_SIZE, &Recorder::Third},
      {WM_MOUSEMOVE, &Recorder::First},
  };
};

TEST(MessageMap, PassedOnMessageReachesTheNextEntryAndStopsAtTheFirstHandler) {
  Recorder recorder;
  const MessageReply reply = RouteMessage(recorder, Recorder::kMap, {WM_SIZE, 0, 41});
  EXPECT_TRUE(reply.handled());
  EXPECT_EQ(reply.result, 42);
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"first", "second"}));
}

TEST(MessageMap, MessagesWithoutHandlerOrOnlyPassingHandlersAreNotHandled) {
  Recorder recorder;
  EXPECT_FALSE(RouteMessage(recorder, Recorder::kMap, {WM_MOUSEMOVE, 0, 0}).handled());
  EXPECT_FALSE(RouteMessage(recorder, Recorder::kMap, {WM_PAINT, 0, 0}).handled());
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{"first"}));
}

TEST(MessagePacking, MousePositionsAreSignedSixteenBitHalves) {
  const LPARAM packed = MAKELPARAM(-5, 300);
  EXPECT_EQ(GET_X_LPARAM(packed), -5);
  EXPECT_EQ(GET_Y_LPARAM(packed), 300);
  EXPECT_EQ(packed, 0x012CFFFB);
  // Windows keeps only the low 16 bits of each coordinate.
  EXPECT_EQ(GET_X_LPARAM(MAKELPARAM(70000, 0)), 70000 - 65536);
  // A size reads unsigned through LOWORD and HIWORD.
  EXPECT_EQ(LOWORD(static_cast<uint64_t>(MAKELPARAM(40000, 2))), 40000);
  EXPECT_EQ(HIWORD(static_cast<uint64_t>(MAKELPARAM(40000, 2))), 2);
}

TEST(FileFilter, WindowsFormTerminatesEveryTextAndTheList) {
  const std::vector<FileFilter> filters = {{u"Tembra Paint Files (*.tbp)", u"*.tbp"},
                                           {u"All Files (*.*)", u"*.*"}};
  const std::u16string windows = ToWindowsFilter(filters);
  EXPECT_EQ(windows, WithZeros(u"Tembra Paint Files (*.tbp)\0*.tbp\0All Files (*.*)\0*.*\0\0"));
  EXPECT_EQ(windows.size(), 54u);
  EXPECT_TRUE(ToWindowsFilter({}).empty());
  // A 0 inside a text cannot split it into two entries.
  const std::vector<FileFilter> odd = {{std::u16string(u"A\0B", 3), u"*.a"}};
  EXPECT_EQ(ToWindowsFilter(odd), WithZeros(u"A\0*.a\0\0"));
}

TEST(FileFilter, QtNameFiltersListThePatternsOnce) {
  EXPECT_EQ(ToNameFilter({u"Tembra Paint Files (*.tbp)", u"*.tbp"}), u"Tembra Paint Files (*.tbp)");
  EXPECT_EQ(ToNameFilter({u"All Files (*.*)", u"*.*"}), u"All Files (*)");
  EXPECT_EQ(ToNameFilter({u"Pictures", u"*.jpg;*.png; *.gif"}), u"Pictures (*.jpg *.png *.gif)");
  EXPECT_EQ(ToNameFilter({u"", u""}), u"* (*)");
}

TEST(MessageBoxTypes, ButtonsDefaultAndEscapeFollowTheStyle) {
  EXPECT_EQ(MessageBoxButtons(MB_OK | MB_ICONERROR), std::vector<int32_t>{IDOK});
  EXPECT_EQ(MessageBoxButtons(MB_YESNOCANCEL), (std::vector<int32_t>{IDYES, IDNO, IDCANCEL}));
  EXPECT_EQ(MessageBoxButtons(MB_CANCELTRYCONTINUE),
            (std::vector<int32_t>{IDCANCEL, IDTRYAGAIN, IDCONTINUE}));
  EXPECT_EQ(MessageBoxButtons(0xE), std::vector<int32_t>{IDOK});

  EXPECT_EQ(MessageBoxDefaultButton(MB_YESNO | MB_DEFBUTTON2), 1u);
  EXPECT_EQ(MessageBoxDefaultButton(MB_YESNO | MB_DEFBUTTON3), 0u);

  EXPECT_EQ(MessageBoxEscapeAnswer(MB_OK), IDOK);
  EXPECT_EQ(MessageBoxEscapeAnswer(MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxEscapeAnswer(MB_YESNO), 0);
}

}  // namespace
}  // namespace varn::ui
