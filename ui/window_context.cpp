// Small helpers the windows share.
#include "ui/window_context.h"
#include "ui/refused_save_box.h"

namespace kivo {

void raiseWindow(WindowSystem& windows, Hwnd window, Hwnd insertAfter, bool activate) {
  windows.setWindowPos(window, insertAfter, 0, 0, 0, 0, kSwpNoSize | kSwpNoMove | kSwpShowWindow);
  if (activate) windows.setForegroundWindow(window);
}

bool tellIfRefused(Toolkit& toolkit, Hwnd owner, const SettingsSave& save) {
  if (!save.refused()) return true;
  toolkit.messageBox(owner, save.refusalText(), "Kivo", kMbOkOnly | kMbIconExclamation);
  return false;
}

}  // namespace kivo
