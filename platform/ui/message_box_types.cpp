#include "platform/ui/message_box_types.h"

#include <algorithm>

namespace varn::ui {

std::vector<int32_t> MessageBoxButtons(uint32_t type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
      return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
      return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
      return {IDYES, IDNO};
    case MB_RETRYCANCEL:
      return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE:
      return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default:
      return {IDOK};
  }
}

std::size_t MessageBoxDefaultButton(uint32_t type) {
  const std::size_t wanted = (type & MB_DEFMASK) >> 8;
  return wanted < MessageBoxButtons(type).size() ? wanted : 0;
}

int32_t MessageBoxEscapeAnswer(uint32_t type) {
  const std::vector<int32_t> buttons = MessageBoxButtons(type);
  if (std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end()) return IDCANCEL;
  return buttons.size() == 1 ? buttons.front() : 0;
}

}  // namespace varn::ui
