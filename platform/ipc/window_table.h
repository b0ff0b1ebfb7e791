#pragma once
// What the compositor's tree says about every window, kept current from the
// `window` and `workspace` events, so that reading the window in front, its
// title and its class asks the compositor nothing.
//
// A window's handle is its container id on sway (small numbers, never
// reused within a session) and its X window id on i3, whose container ids
// are 64-bit addresses; commands always name the container (`con_id`).

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/ipc/title_format.h"
#include "platform/platform.h"

namespace kivo::ipc {

struct WindowInfo {
  std::uint64_t conId = 0;
  std::string title;        // the program's own title
  std::string appId;        // sway's app_id (native Wayland windows)
  std::string windowClass;  // the X11 class (i3, XWayland)
  std::int64_t pid = 0;
  bool floating = false;
  Rect outer;  // the container with its title bar, on the layout
  std::string border;
  int borderWidth = 0;
  // The class the program answers to: the app_id, else the X11 class.
  const std::string& className() const { return appId.empty() ? windowClass : appId; }
};

class WindowTable {
 public:
  explicit WindowTable(Compositor compositor) : compositor_(compositor) {}

  // Replaces everything with the state of a GET_TREE reply.
  void loadTree(const nlohmann::json& root);
  // Applies one `window` or `workspace` event.
  void applyWindowEvent(const nlohmann::json& event);
  void applyWorkspaceEvent(const nlohmann::json& event);

  const WindowInfo* find(Hwnd h) const;
  const std::map<Hwnd, WindowInfo>& windows() const { return windows_; }
  Hwnd focused() const { return focused_; }
  // Called when a window the table held has gone (closed, or missing from
  // a fresh tree).
  std::function<void(Hwnd)> onGone;

 private:
  // The handle of a window container, 0 for any other node.
  Hwnd handleOf(const nlohmann::json& node) const;
  // Adds or refreshes a window from its node; 0 when it is none.
  Hwnd upsert(const nlohmann::json& node);
  WindowInfo infoOf(const nlohmann::json& node) const;
  // Every window below `node`; the focused one into focused_.
  void walk(const nlohmann::json& node, std::map<Hwnd, WindowInfo>& into);
  // The window the focus chain of `node` ends at, 0 for none.
  Hwnd focusedBelow(const nlohmann::json& node) const;
  void erase(Hwnd h);

  Compositor compositor_;
  std::map<Hwnd, WindowInfo> windows_;
  Hwnd focused_ = 0;
};

}  // namespace kivo::ipc
