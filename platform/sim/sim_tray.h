#pragma once
// The simulated notification area: icons are up or not, with a tooltip, and
// a test opens their menu and chooses from it as a user would.

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kivo::sim {

class SimTrayArea;

class SimTrayIcon : public TrayIcon {
 public:
  explicit SimTrayIcon(SimTrayArea& area);
  ~SimTrayIcon() override;
  SimTrayIcon(const SimTrayIcon&) = delete;
  SimTrayIcon& operator=(const SimTrayIcon&) = delete;

  bool show(const std::string& tooltip) override;
  void hide() override { shown_ = false; }

  bool shown() const { return shown_; }
  const std::string& tooltip() const { return tooltip_; }
  // How often the icon was put up or its tooltip changed.
  int updates() const { return updates_; }
  // What the user sees on opening the menu; choosing item `index` (-1: a
  // double-click on the icon) runs the program's handler.
  std::vector<TrayMenuItem> openMenu() const { return menu ? menu() : std::vector<TrayMenuItem>{}; }
  void choose(int index) {
    if (shown_ && onChoose) onChoose(index);
  }

 private:
  SimTrayArea& area_;
  bool shown_ = false;
  std::string tooltip_;
  int updates_ = 0;
};

// Whether the desktop has a notification area, and the icons made so far.
class SimTrayArea {
 public:
  bool available = true;
  // The icon made last that still exists; null when none does.
  SimTrayIcon* icon() const { return icons_.empty() ? nullptr : icons_.back(); }

 private:
  friend class SimTrayIcon;
  std::vector<SimTrayIcon*> icons_;
};

}  // namespace kivo::sim
