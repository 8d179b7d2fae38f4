// Message box styles and answers, with their Win32 values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_OKCANCEL = 0x1;
constexpr uint32_t MB_ABORTRETRYIGNORE = 0x2;
constexpr uint32_t MB_YESNOCANCEL = 0x3;
constexpr uint32_t MB_YESNO = 0x4;
constexpr uint32_t MB_RETRYCANCEL = 0x5;
constexpr uint32_t MB_CANCELTRYCONTINUE = 0x6;
constexpr uint32_t MB_TYPEMASK = 0xF;

constexpr uint32_t MB_ICONHAND = 0x10;
constexpr uint32_t MB_ICONERROR = MB_ICONHAND;
constexpr uint32_t MB_ICONSTOP = MB_ICONHAND;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr uint32_t MB_ICONASTERISK = 0x40;
constexpr uint32_t MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr uint32_t MB_ICONMASK = 0xF0;

constexpr uint32_t MB_DEFBUTTON1 = 0x000;
constexpr uint32_t MB_DEFBUTTON2 = 0x100;
constexpr uint32_t MB_DEFBUTTON3 = 0x200;
constexpr uint32_t MB_DEFMASK = 0xF00;

constexpr uint32_t MB_APPLMODAL = 0x0000;
constexpr uint32_t MB_SYSTEMMODAL = 0x1000;
constexpr uint32_t MB_TASKMODAL = 0x2000;

constexpr int32_t IDOK = 1;
constexpr int32_t IDCANCEL = 2;
constexpr int32_t IDABORT = 3;
constexpr int32_t IDRETRY = 4;
constexpr int32_t IDIGNORE = 5;
constexpr int32_t IDYES = 6;
constexpr int32_t IDNO = 7;
constexpr int32_t IDTRYAGAIN = 10;
constexpr int32_t IDCONTINUE = 11;

namespace varn::ui {

// The answers a box of this style offers, in button order. A button set
// Windows does not know gives the plain OK box.
std::vector<int32_t> MessageBoxButtons(uint32_t type);

// Index into MessageBoxButtons(type) of the default button; the first one when
// the style names a button the box does not have.
std::size_t MessageBoxDefaultButton(uint32_t type);

// What closing the box without a button answers: cancel where there is one,
// the only button of a one-button box, otherwise nothing (0).
int32_t MessageBoxEscapeAnswer(uint32_t type);

}  // namespace varn::ui
