// The hand-over's window systems: the compositor's, the running instance's beside it.
#include "platform/xdg/hand_over_windows.h"

#include "platform/text.h"

namespace kivo::xdg {

Hwnd HandOverWindows::findWindow(const std::string& className, const std::string& title) {
  if (const Hwnd h = desktop_.findWindow(className, title)) return h;
  const Hwnd h = instance_.findWindow(className, title);
  if (h != 0) instanceWindows_.insert(h);
  return h;
}

Hwnd InstanceSocketWindows::findWindow(const std::string&, const std::string& title) {
  const std::string_view want = text::cutAtNul(title);
  for (const Hwnd h : running_.ownWindows()) {
    if (running_.ownWindowTitle(h) == want) return h;
  }
  return 0;
}

void InstanceSocketWindows::showWindow(Hwnd h, int cmd) {
  if (h != 0) running_.showOwnWindow(h, cmd);
}

void InstanceSocketWindows::setWindowPos(Hwnd h, Hwnd, int, int, int, int, std::uint32_t flags) {
  // The instance places its own windows; only a showing is asked of it.
  if (h != 0 && (flags & kSwpShowWindow)) running_.showOwnWindow(h, kSwShow);
}

void InstanceSocketWindows::setForegroundWindow(Hwnd h) {
  if (h != 0) running_.raiseOwnWindow(h);
}

}  // namespace kivo::xdg
