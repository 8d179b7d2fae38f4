// A control's window messages go through one declarative table: message number
// to member handler, tested in table order. A handler may pass a message on,
// and the next entry for the same message (or the standard handling) gets it.
#pragma once

#include <cstddef>
#include <span>

#include "platform/com/types.h"

namespace varn::ui {

struct WindowMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

enum class MessageHandling { kHandled, kPassOn };

struct MessageReply {
  MessageHandling handling;
  LRESULT result;

  bool handled() const { return handling == MessageHandling::kHandled; }
};

constexpr MessageReply Handled(LRESULT result = 0) { return {MessageHandling::kHandled, result}; }
constexpr MessageReply PassOn() { return {MessageHandling::kPassOn, 0}; }

template <class Control>
struct MessageEntry {
  UINT message;
  MessageReply (Control::*handler)(const WindowMessage& message);
};

// Calls the handlers of `map` that match, in order, until one handles the
// message; answers PassOn when none does.
template <class Control>
MessageReply RouteMessage(Control& control, std::span<const MessageEntry<Control>> map,
                          const WindowMessage& message) {
  for (const MessageEntry<Control>& entry : map) {
    if (entry.message != message.message || entry.handler == nullptr) {
      continue;
    }
    const MessageReply reply = (control.*entry.handler)(message);
    if (reply.handled()) {
      return reply;
    }
  }
  return PassOn();
}

template <class Control, std::size_t N>
MessageReply RouteMessage(Control& control, const MessageEntry<Control> (&map)[N],
                          const WindowMessage& message) {
  return RouteMessage(control, std::span<const MessageEntry<Control>>(map), message);
}

}  // namespace varn::ui
