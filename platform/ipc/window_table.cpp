// The windows of the compositor's tree, kept current from its events.
#include "platform/ipc/window_table.h"

#include <nlohmann/json.hpp>

#include <vector>

namespace kivo::ipc {
namespace {

using nlohmann::json;

std::string stringAt(const json& node, const char* key) {
  const auto it = node.find(key);
  return it != node.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::int64_t numberAt(const json& node, const char* key) {
  const auto it = node.find(key);
  return it != node.end() && it->is_number() ? it->get<std::int64_t>() : 0;
}

Rect rectAt(const json& node, const char* key) {
  const auto it = node.find(key);
  if (it == node.end() || !it->is_object()) return {};
  const auto x = static_cast<std::int32_t>(numberAt(*it, "x"));
  const auto y = static_cast<std::int32_t>(numberAt(*it, "y"));
  return Rect{x, y, x + static_cast<std::int32_t>(numberAt(*it, "width")),
              y + static_cast<std::int32_t>(numberAt(*it, "height"))};
}

// The children of a node: tiled, then floating.
std::vector<const json*> childrenOf(const json& node) {
  std::vector<const json*> out;
  for (const char* key : {"nodes", "floating_nodes"}) {
    const auto it = node.find(key);
    if (it == node.end() || !it->is_array()) continue;
    for (const json& child : *it) out.push_back(&child);
  }
  return out;
}

}  // namespace

Hwnd WindowTable::handleOf(const json& node) const {
  if (!node.is_object()) return 0;
  if (compositor_ == Compositor::kI3) {
    // i3's container ids are addresses; its windows are X windows.
    return static_cast<Hwnd>(numberAt(node, "window"));
  }
  // sway: a view has a shell (xdg_shell, xwayland); other containers none.
  if (stringAt(node, "shell").empty()) return 0;
  return static_cast<Hwnd>(numberAt(node, "id"));
}

WindowInfo WindowTable::infoOf(const json& node) const {
  WindowInfo info;
  info.conId = static_cast<std::uint64_t>(node.value("id", std::uint64_t{0}));
  const auto props = node.find("window_properties");
  const bool hasProps = props != node.end() && props->is_object();
  // i3 puts the program's own title there; sway's name is that title.
  info.title =
      hasProps && (*props).contains("title") ? stringAt(*props, "title") : stringAt(node, "name");
  info.appId = stringAt(node, "app_id");
  if (hasProps) info.windowClass = stringAt(*props, "class");
  info.pid = numberAt(node, "pid");
  const std::string floating = stringAt(node, "floating");
  info.floating = stringAt(node, "type") == "floating_con" ||
                  (floating.size() > 3 && floating.substr(floating.size() - 3) == "_on");
  info.outer = rectAt(node, "rect");
  if (compositor_ == Compositor::kSway) {
    // sway's rect leaves the title bar out.
    info.outer.top -=
        static_cast<std::int32_t>(rectAt(node, "deco_rect").bottom - rectAt(node, "deco_rect").top);
  }
  info.border = stringAt(node, "border");
  info.borderWidth = static_cast<int>(numberAt(node, "current_border_width"));
  return info;
}

Hwnd WindowTable::upsert(const json& node) {
  const Hwnd h = handleOf(node);
  if (h != 0) windows_[h] = infoOf(node);
  return h;
}

void WindowTable::walk(const json& node, std::map<Hwnd, WindowInfo>& into) {
  // Docks (i3bar) sit in dock areas and never take the focus.
  if (stringAt(node, "type") == "dockarea") return;
  if (const Hwnd h = handleOf(node); h != 0) {
    into[h] = infoOf(node);
    if (node.value("focused", false)) focused_ = h;
  }
  for (const json* child : childrenOf(node)) walk(*child, into);
}

void WindowTable::loadTree(const json& root) {
  std::map<Hwnd, WindowInfo> fresh;
  focused_ = 0;
  walk(root, fresh);
  std::vector<Hwnd> gone;
  for (const auto& [h, info] : windows_) {
    if (!fresh.contains(h)) gone.push_back(h);
  }
  windows_ = std::move(fresh);
  for (const Hwnd h : gone) {
    if (onGone) onGone(h);
  }
}

void WindowTable::erase(Hwnd h) {
  if (windows_.erase(h) == 0) return;
  if (focused_ == h) focused_ = 0;
  if (onGone) onGone(h);
}

void WindowTable::applyWindowEvent(const json& event) {
  const std::string change = stringAt(event, "change");
  const auto container = event.find("container");
  if (container == event.end()) return;
  if (change == "close") {
    // Only the container that closed: on i3 a new window may already have
    // the X window id of one that has just gone.
    const Hwnd h = handleOf(*container);
    const WindowInfo* info = find(h);
    if (info != nullptr && info->conId == container->value("id", std::uint64_t{0})) erase(h);
    return;
  }
  const Hwnd h = upsert(*container);
  if (change == "focus" && h != 0) focused_ = h;
}

Hwnd WindowTable::focusedBelow(const json& node) const {
  if (const Hwnd h = handleOf(node); h != 0) return h;
  const auto focus = node.find("focus");
  if (focus == node.end() || !focus->is_array() || focus->empty()) return 0;
  const auto first = (*focus)[0];
  for (const json* child : childrenOf(node)) {
    if (child->value("id", json()) == first) return focusedBelow(*child);
  }
  return 0;
}

void WindowTable::applyWorkspaceEvent(const json& event) {
  if (stringAt(event, "change") != "focus") return;
  const auto current = event.find("current");
  if (current == event.end() || !current->is_object()) return;
  // The window in front is the one the workspace's focus chain ends at; an
  // empty workspace has none.
  std::map<Hwnd, WindowInfo> shown;
  walk(*current, shown);
  for (auto& [h, info] : shown) windows_[h] = std::move(info);
  focused_ = focusedBelow(*current);
}

const WindowInfo* WindowTable::find(Hwnd h) const {
  const auto it = windows_.find(h);
  return it == windows_.end() ? nullptr : &it->second;
}

}  // namespace kivo::ipc
