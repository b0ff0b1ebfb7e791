// The window classes that get no clock.
#include "engine/window_classes.h"

#include <algorithm>

#include "platform/text.h"

namespace kivo {

namespace {
constexpr const char* kDialogClass = "#32770";
// "ｽﾍﾟﾙﾁｪｯｸ" (spell check) in half-width katakana; the window name is passed
// with one NUL after it, as the classic call did.
const std::string kSpellCheckTitle = std::string("ｽﾍﾟﾙﾁｪｯｸ") + '\0';
}  // namespace

std::string classNameOf(WindowSystem& windows, Hwnd window) {
  std::string buffer;
  if (windows.getClassName(window, buffer, kClassNameBufferChars) == 0) return {};
  // The name as the buffer holds it, whatever the backend hands back.
  return text::left(text::cutAtNul(buffer), kClassNameBufferChars - 1);
}

bool isListed(const WindowList& list, const std::string& className) {
  const std::size_t used = std::min<std::size_t>(list.count, list.classes.size());
  return std::find(list.classes.begin(), list.classes.begin() + used, className) !=
         list.classes.begin() + used;
}

bool isDialogDuringSpellCheck(WindowSystem& windows, const std::string& className) {
  return className == kDialogClass && windows.findWindow(kDialogClass, kSpellCheckTitle) != 0;
}

}  // namespace kivo
