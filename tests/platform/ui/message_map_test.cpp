#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/message_map.h"
#include "platform/ui/window_messages.h"

namespace varn::ui {
namespace {

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

}  // namespace
}  // namespace varn::ui
