// The simulated notification area.
#include "platform/sim/sim_tray.h"

#include <algorithm>

namespace kivo::sim {

SimTrayIcon::SimTrayIcon(SimTrayArea& area) : area_(area) { area_.icons_.push_back(this); }

SimTrayIcon::~SimTrayIcon() {
  auto& icons = area_.icons_;
  icons.erase(std::remove(icons.begin(), icons.end(), this), icons.end());
}

bool SimTrayIcon::show(const std::string& tooltip) {
  if (!area_.available) return false;
  if (!shown_ || tooltip != tooltip_) ++updates_;
  shown_ = true;
  tooltip_ = tooltip;
  return true;
}

}  // namespace kivo::sim
