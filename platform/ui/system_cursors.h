// The system cursors a control can install on its window, by their Win32
// resource numbers.
#pragma once

#include <cstdint>

enum SystemCursor : uint32_t {
  IDC_ARROW = 32512,
  IDC_IBEAM = 32513,
  IDC_WAIT = 32514,
  IDC_CROSS = 32515,
  IDC_UPARROW = 32516,
  IDC_SIZENWSE = 32642,
  IDC_SIZENESW = 32643,
  IDC_SIZEWE = 32644,
  IDC_SIZENS = 32645,
  IDC_SIZEALL = 32646,
  IDC_NO = 32648,
  IDC_HAND = 32649,
  IDC_APPSTARTING = 32650,
  IDC_HELP = 32651,
};
