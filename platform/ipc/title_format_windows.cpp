// The window functions over the sway/i3 IPC.
#include "platform/ipc/title_format_windows.h"

#include <nlohmann/json.hpp>

#include <sstream>

#include "platform/text.h"

namespace kivo::ipc {
namespace {

using nlohmann::json;

std::optional<json> parsed(const std::optional<std::string>& reply) {
  if (!reply) return std::nullopt;
  json value = json::parse(*reply, nullptr, false);
  if (value.is_discarded()) return std::nullopt;
  return value;
}

// Whether the title bars are drawn with a Pango font: the last `font` line
// of the configuration names one.
bool usesPangoFont(const std::string& config) {
  std::istringstream lines(config);
  std::string line;
  bool pango = false;
  while (std::getline(lines, line)) {
    const std::string trimmed = text::trim(line);
    if (trimmed.rfind("font ", 0) != 0) continue;
    pango = text::trim(trimmed.substr(5)).rfind("pango:", 0) == 0;
  }
  return pango;
}

std::string cut(std::string_view s, int bufferChars) {
  if (bufferChars <= 1) return {};
  return text::left(text::cutAtNul(s), static_cast<std::size_t>(bufferChars - 1));
}

}  // namespace

std::unique_ptr<TitleFormatWindowSystem> TitleFormatWindowSystem::connect(IpcConnection& ipc,
                                                                          std::string& error) {
  const auto version = parsed(ipc.request(kGetVersion, ""));
  const auto config = parsed(ipc.request(kGetConfig, ""));
  if (!version || !config) {
    error = "the compositor does not answer on its IPC socket";
    return nullptr;
  }
  FormatRules rules;
  // sway names itself; i3 does not.
  rules.compositor = version->value("variant", "") == "sway" ? Compositor::kSway : Compositor::kI3;
  rules.markup = usesPangoFont(config->value("config", ""));
  auto windows = std::make_unique<TitleFormatWindowSystem>(ipc, rules);
  if (!windows->resume()) {
    error = "the compositor refuses to report its windows";
    return nullptr;
  }
  return windows;
}

bool TitleFormatWindowSystem::resume() {
  const auto subscribed = parsed(ipc_.request(kSubscribe, R"(["window","workspace"])"));
  if (!subscribed || !subscribed->is_object() || !subscribed->value("success", false) ||
      !refresh())
    return false;
  // What was written while nobody answered goes out now, under the
  // containers' new ids.
  for (const Hwnd h : unsent_) {
    const WindowInfo* info = table_.find(h);
    if (info == nullptr) continue;
    const auto it = written_.find(h);
    runCommand(titleFormatCommand(info->conId, it == written_.end() ? "%title" : it->second.format,
                                  rules_.compositor));
  }
  unsent_.clear();
  return !ipc_.lost();
}

TitleFormatWindowSystem::TitleFormatWindowSystem(IpcConnection& ipc, FormatRules rules)
    : ipc_(ipc), rules_(rules), table_(rules.compositor) {
  // A window that has gone takes what we wrote and flashed with it.
  table_.onGone = [this](Hwnd h) {
    written_.erase(h);
    flashes_.erase(h);
    unsent_.erase(h);
  };
}

bool TitleFormatWindowSystem::refresh() {
  const auto tree = parsed(ipc_.request(kGetTree, ""));
  if (!tree) return false;
  // Every event read so far happened before the tree was made.
  ipc_.dropEvents();
  table_.loadTree(*tree);
  return true;
}

void TitleFormatWindowSystem::dispatch() {
  for (const Message& m : ipc_.takeEvents()) {
    const json event = json::parse(m.payload, nullptr, false);
    if (event.is_discarded()) continue;
    if (m.type == kWindowEvent) table_.applyWindowEvent(event);
    if (m.type == kWorkspaceEvent) table_.applyWorkspaceEvent(event);
  }
}

const WindowInfo* TitleFormatWindowSystem::windowOf(Hwnd h) {
  if (h == 0) return nullptr;
  // While the compositor is away (i3 restarting in place), what it said
  // last stands: the clock's engine sees the same windows and titles, and
  // what it writes meanwhile is kept for resume().
  if (!ipc_.lost()) dispatch();
  return table_.find(h);
}

std::optional<std::uint64_t> TitleFormatWindowSystem::containerOf(Hwnd h) {
  const WindowInfo* info = windowOf(h);
  if (info == nullptr) return std::nullopt;
  return info->conId;
}

bool TitleFormatWindowSystem::runCommand(const std::string& command) {
  const auto reply = parsed(ipc_.request(kRunCommand, command));
  // One result per command; a vanished window's criteria match nothing.
  return reply && reply->is_array() && !reply->empty() && (*reply)[0].value("success", false);
}

std::string TitleFormatWindowSystem::shownText(Hwnd h, const WindowInfo& info) const {
  const auto it = written_.find(h);
  return it == written_.end() ? info.title : it->second.decoration.shown(info.title);
}

Hwnd TitleFormatWindowSystem::getForegroundWindow() {
  if (!ipc_.lost()) dispatch();
  return table_.find(table_.focused()) != nullptr ? table_.focused() : 0;
}

int TitleFormatWindowSystem::getWindowTextLength(Hwnd h) {
  const WindowInfo* info = windowOf(h);
  if (info == nullptr) return 0;
  return static_cast<int>(text::length(text::cutAtNul(shownText(h, *info))));
}

std::string TitleFormatWindowSystem::getWindowText(Hwnd h, int bufferChars) {
  const WindowInfo* info = windowOf(h);
  if (info == nullptr) return {};
  return cut(shownText(h, *info), bufferChars);
}

void TitleFormatWindowSystem::setWindowText(Hwnd h, const std::string& text) {
  const WindowInfo* info = windowOf(h);
  if (info == nullptr) return;
  const Decoration d = decorationFor(text, info->title);
  const auto it = written_.find(h);
  if (d.isPlainTitle()) {
    // Its own title: the plain format back, once.
    if (it != written_.end() && applyFormat(h, info->conId, "%title")) written_.erase(h);
    return;
  }
  const std::string format = formatOf(d, rules_);
  if (it != written_.end() && it->second.format == format) return;  // shows it already
  if (applyFormat(h, info->conId, format)) written_[h] = Written{d, format};
}

bool TitleFormatWindowSystem::applyFormat(Hwnd h, std::uint64_t conId, const std::string& format) {
  if (!ipc_.lost() && runCommand(titleFormatCommand(conId, format, rules_.compositor))) {
    unsent_.erase(h);
    return true;
  }
  if (!ipc_.lost()) return false;  // refused: the window has gone
  unsent_.insert(h);
  return true;
}

std::string TitleFormatWindowSystem::roundTrip(Hwnd, const std::string& text) {
  // Every text is shown as written (what follows a NUL was never written
  // and stays as it was): the caption the engine keeps then compares equal
  // at the next tick, which writes nothing.
  return text;
}

int TitleFormatWindowSystem::getClassName(Hwnd h, std::string& out, int bufferChars) {
  const WindowInfo* info = windowOf(h);
  out = info == nullptr ? std::string() : cut(info->className(), bufferChars);
  return static_cast<int>(text::length(out));
}

Hwnd TitleFormatWindowSystem::findWindow(const std::string& className, const std::string& title) {
  if (!ipc_.lost()) dispatch();
  const std::string_view wantClass = text::cutAtNul(className);
  const std::string_view wantTitle = text::cutAtNul(title);
  for (const auto& [h, info] : table_.windows()) {
    if (info.className() == wantClass && text::cutAtNul(shownText(h, info)) == wantTitle) return h;
  }
  return 0;
}

void TitleFormatWindowSystem::showWindow(Hwnd h, int cmd) {
  // Another program's window is never hidden or minimized here: the
  // compositor has no such state, and the scratchpad would take it out of
  // the user's layout.
  if (h != 0 && local_ != nullptr && local_->ownsWindow(h)) local_->showOwnWindow(h, cmd);
}

void TitleFormatWindowSystem::setWindowPos(Hwnd h, Hwnd, int x, int y, int, int,
                                           std::uint32_t flags) {
  if (h != 0 && local_ != nullptr && local_->ownsWindow(h)) {
    if (flags & kSwpShowWindow) local_->showOwnWindow(h, kSwShow);
    return;
  }
  const WindowInfo* info = windowOf(h);
  // A tiled window stays where the layout puts it.
  if (info == nullptr || !info->floating || (flags & kSwpNoMove)) return;
  runCommand("[con_id=" + std::to_string(info->conId) + "] move absolute position " +
             std::to_string(x) + " px " + std::to_string(y) + " px");
}

void TitleFormatWindowSystem::setForegroundWindow(Hwnd h) {
  if (h != 0 && local_ != nullptr && local_->ownsWindow(h)) {
    local_->raiseOwnWindow(h);
    return;
  }
  const WindowInfo* info = windowOf(h);
  if (info != nullptr) runCommand("[con_id=" + std::to_string(info->conId) + "] focus");
}

bool TitleFormatWindowSystem::getWindowRect(Hwnd h, Rect& rect) {
  if (windowOf(h) == nullptr || !refresh()) return false;
  const WindowInfo* info = table_.find(h);
  if (info == nullptr) return false;
  rect = info->outer;
  return true;
}

void TitleFormatWindowSystem::endFlash(Hwnd h) {
  const auto it = flashes_.find(h);
  const WindowInfo* info = windowOf(h);
  if (it == flashes_.end() || info == nullptr) return;
  const Flash was = it->second;
  flashes_.erase(it);
  std::string border = was.border == "none" || was.border == "csd"
                           ? was.border
                           : was.border + " " + std::to_string(was.width);
  runCommand("[con_id=" + std::to_string(info->conId) + "] border " + border);
}

void TitleFormatWindowSystem::flashWindow(Hwnd h, bool invert) {
  const WindowInfo* info = windowOf(h);
  if (info == nullptr) return;
  if (!invert || flashes_.contains(h)) {
    endFlash(h);
    return;
  }
  // The border as it is now (it changes without an event), then one
  // several times as thick, in the colour of the window's state.
  if (!refresh() || (info = table_.find(h)) == nullptr) return;
  flashes_[h] = Flash{info->border.empty() ? "normal" : info->border, info->borderWidth};
  const std::string style = info->border == "pixel" || info->border == "none" ? "pixel" : "normal";
  runCommand("[con_id=" + std::to_string(info->conId) + "] border " + style + " " +
             std::to_string(info->borderWidth + 6));
}

void TitleFormatWindowSystem::restoreAll() {
  dispatch();
  std::vector<Hwnd> flashed;
  for (const auto& [h, flash] : flashes_) flashed.push_back(h);
  for (const Hwnd h : flashed) endFlash(h);
  for (const auto& [h, written] : written_) {
    if (const WindowInfo* info = table_.find(h)) {
      runCommand(titleFormatCommand(info->conId, "%title", rules_.compositor));
    }
  }
  written_.clear();
}

void TitleFormatWindowSystem::giveBackLeftOver(DecorationJournal& journal) {
  for (const DecorationRecord& record : journal.leftOver()) {
    if (const WindowInfo* info = windowOf(record.window)) {
      runCommand(titleFormatCommand(info->conId, "%title", rules_.compositor));
    }
    journal.forget(record.window);
  }
}

}  // namespace kivo::ipc
