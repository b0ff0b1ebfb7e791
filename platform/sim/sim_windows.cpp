// Simulated window functions over an in-memory set of top-level windows.
#include "platform/sim/sim_windows.h"

#include "platform/text.h"

namespace kivo::sim {

namespace {
constexpr std::uint32_t kSwpNoActivate = 0x0010;
}  // namespace

Hwnd SimWindowSystem::getForegroundWindow() { return exists(foreground_) ? foreground_ : 0; }

int SimWindowSystem::getWindowTextLength(Hwnd h) {
  const SimWindow* w = window(h);
  return w ? static_cast<int>(text::length(w->title)) : 0;
}

std::string SimWindowSystem::getWindowText(Hwnd h, int bufferChars) {
  const SimWindow* w = window(h);
  if (!w || bufferChars <= 1) return {};
  return text::left(w->title, static_cast<std::size_t>(bufferChars - 1));
}

void SimWindowSystem::setWindowText(Hwnd h, const std::string& text) {
  SimWindow* w = window(h);
  if (!w) return;
  w->title = std::string(text::cutAtNul(text));
  titleWrites_.emplace_back(h, w->title);
  log_.add("settext " + std::to_string(h) + " " + quote(w->title));
}

int SimWindowSystem::getClassName(Hwnd h, std::string& out, int bufferChars) {
  out.clear();
  const SimWindow* w = window(h);
  if (!w || bufferChars <= 1) return 0;
  out = text::left(w->className, static_cast<std::size_t>(bufferChars - 1));
  return static_cast<int>(text::length(out));
}

Hwnd SimWindowSystem::findWindow(const std::string& className, const std::string& title) {
  // The title a caller passes may carry a trailing NUL, as a C string would
  // end there.
  const std::string_view wanted = text::cutAtNul(title);
  for (const auto& [h, w] : windows_) {
    if (w.className == className && w.title == wanted) return h;
  }
  return 0;
}

void SimWindowSystem::showWindow(Hwnd h, int cmd) {
  SimWindow* w = window(h);
  if (!w) return;
  w->visible = cmd != kSwHide;
  log_.add("show " + std::to_string(h) + " " + std::to_string(cmd));
  if (onShow) onShow(h, cmd);
}

void SimWindowSystem::setWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int, int,
                                   std::uint32_t flags) {
  SimWindow* w = window(h);
  if (!w) return;
  if (insertAfter == kHwndTopmost) w->topmost = true;
  if (insertAfter == kHwndNoTopmost) w->topmost = false;
  if (flags & kSwpShowWindow) w->visible = true;
  const bool moved = !(flags & kSwpNoMove);
  if (moved) {
    const int width = w->rect.right - w->rect.left;
    const int height = w->rect.bottom - w->rect.top;
    w->rect = Rect{x, y, x + width, y + height};
    log_.add("move " + std::to_string(h) + " " + std::to_string(x) + " " + std::to_string(y));
  }
  // Without SWP_NOACTIVATE the window is activated as well.
  if (!(flags & kSwpNoActivate)) foreground_ = h;
  // The hooks last: the form they reach may run handlers that call back in.
  if (moved && onMove) onMove(h, x, y);
  if ((flags & kSwpShowWindow) && onShow && exists(h)) onShow(h, kSwShow);
}

void SimWindowSystem::setForegroundWindow(Hwnd h) {
  if (!exists(h)) return;
  foreground_ = h;
  log_.add("foreground " + std::to_string(h));
}

bool SimWindowSystem::getWindowRect(Hwnd h, Rect& rect) {
  rectQueries_.push_back(h);
  const SimWindow* w = window(h);
  if (!w) return false;
  rect = w->rect;
  return true;
}

void SimWindowSystem::flashWindow(Hwnd h, bool) {
  SimWindow* w = window(h);
  if (!w) return;
  ++w->flashes;
  log_.add("flash " + std::to_string(h));
}

void SimWindowSystem::addWindow(Hwnd h, const std::string& className, const std::string& title) {
  if (h == 0) return;
  SimWindow& w = windows_[h];
  w.className = className;
  w.title = title;
  w.decoration.reset();  // a window defined anew carries nothing of an earlier one
}

void SimWindowSystem::closeWindow(Hwnd h) {
  if (windows_.erase(h) == 0) return;
  if (foreground_ == h) foreground_ = 0;
  if (onClose) onClose(h);
}

void SimWindowSystem::retitle(Hwnd h, const std::string& title) {
  if (SimWindow* w = window(h)) w->title = title;
}

const SimWindow* SimWindowSystem::window(Hwnd h) const {
  const auto it = windows_.find(h);
  return it == windows_.end() ? nullptr : &it->second;
}

SimWindow* SimWindowSystem::window(Hwnd h) {
  const auto it = windows_.find(h);
  return it == windows_.end() ? nullptr : &it->second;
}

Hwnd SimWindowSystem::newHandle() const {
  return windows_.empty() ? 0x10000 : windows_.rbegin()->first + 4;
}

std::vector<Hwnd> SimWindowSystem::handles() const {
  std::vector<Hwnd> result;
  for (const auto& entry : windows_) result.push_back(entry.first);
  return result;
}

void SimDecorationJournal::remember(Hwnd h, const std::string& written, const std::string& title) {
  if (SimWindow* w = windows_.window(h)) w->decoration = DecorationRecord{h, written, title};
}

void SimDecorationJournal::forget(Hwnd h) {
  if (SimWindow* w = windows_.window(h)) w->decoration.reset();
}

std::vector<DecorationRecord> SimDecorationJournal::leftOver() {
  std::vector<DecorationRecord> records;
  for (const Hwnd h : windows_.handles()) {
    if (const SimWindow* w = windows_.window(h); w != nullptr && w->decoration) {
      records.push_back(*w->decoration);
    }
  }
  return records;
}

}  // namespace kivo::sim
