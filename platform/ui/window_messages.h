// The window messages a control receives, with their Win32 numbers and packing,
// so that a control's handlers read as they would on Windows.
#pragma once

#include "platform/com/types.h"

constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_CANCELMODE = 0x001F;
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
