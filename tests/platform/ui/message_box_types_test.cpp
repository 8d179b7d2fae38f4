#include "platform/ui/message_box_types.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace varn::ui {
namespace {

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
