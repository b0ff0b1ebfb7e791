// The exclusion checks: classes on the window list, and dialogs while a spell-check dialog is open.
#include <algorithm>

#include "engine/program.h"
#include "platform/errors.h"
#include "ui/frmMain.h"

namespace kivo {

namespace {
constexpr const char* kDialogClass = "#32770";
// "ｽﾍﾟﾙﾁｪｯｸ" (spell check) in half-width katakana; the window name is passed
// with one NUL after it, as the classic call did.
const std::string kSpellCheckTitle = std::string("ｽﾍﾟﾙﾁｪｯｸ") + '\0';
}  // namespace

void frmMain::ChkWList(const std::string& className, std::uint8_t& result) {
  Trap trap(p_.toolkit, p_.program, "frmMain!ChkWList");
  result = 0;
  if (s_.bytWListCount == 0) return;
  trap([&] {
    // Only the used part of the list takes part, compared exactly.
    const std::size_t used = std::min<std::size_t>(s_.bytWListCount, s_.strWindowList.size());
    for (std::size_t i = 0; i < used; ++i) {
      if (s_.strWindowList[i] == className) {
        result = 1;
        return;
      }
    }
  });
}

void frmMain::ChkTARO(const std::string& className, std::uint8_t& result) {
  Trap trap(p_.toolkit, p_.program, "frmMain!ChkTARO");
  result = 0;
  if (className != kDialogClass) return;
  // Any spell-check dialog anywhere on the desktop leaves every dialog box
  // alone, not only the one in front.
  trap([&] { result = p_.windows.findWindow(kDialogClass, kSpellCheckTitle) != 0 ? 1 : 0; });
}

}  // namespace kivo
