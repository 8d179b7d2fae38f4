// The window messages a control receives, with their Win32 numbers and packing,
// so that a control's handlers read as they would on Windows.
#pragma once

#include "platform/com/types.h"

constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;

// wParam of the mouse messages: buttons and keys held after the event.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// wParam of the key messages: the virtual key. Letters and digits are their
// upper-case ASCII codes. The messages carry no modifier state; a control
// that cares follows VK_SHIFT's own key messages.
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_PRIOR = 0x21;
constexpr WPARAM VK_NEXT = 0x22;
constexpr WPARAM VK_END = 0x23;
constexpr WPARAM VK_HOME = 0x24;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_DELETE = 0x2E;

// lParam of the key messages: the repeat count in the low 16 bits, the key's
// previous state in bit 30 (set for an auto-repeat and for every release) and
// the transition in bit 31 (set for a release).
constexpr LPARAM kKeyRepeatOnce = 0x0001;
constexpr LPARAM kKeyPreviousDown = LPARAM{1} << 30;
constexpr LPARAM kKeyReleased = LPARAM{1} << 31;

// wParam of WM_SIZE.
constexpr WPARAM SIZE_RESTORED = 0;

constexpr WORD LOWORD(uint64_t value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(uint64_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }

// Two 16-bit halves, low first; each value keeps only its low 16 bits.
constexpr LPARAM MAKELPARAM(int32_t low, int32_t high) {
  return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<WORD>(low)) |
                             (static_cast<uint32_t>(static_cast<WORD>(high)) << 16));
}

// Mouse positions are signed: during a capture they may lie left of or above
// the window.
constexpr int32_t GET_X_LPARAM(LPARAM lParam) {
  return static_cast<SHORT>(LOWORD(static_cast<uint64_t>(lParam)));
}
constexpr int32_t GET_Y_LPARAM(LPARAM lParam) {
  return static_cast<SHORT>(HIWORD(static_cast<uint64_t>(lParam)));
}
