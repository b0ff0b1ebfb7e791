#pragma once
// Implements: the tray icon of platform/platform.h on the Linux desktop,
//   through Qt's system tray (a StatusNotifierItem where the desktop has a
//   watcher for one, else an XEmbed icon in the freedesktop.org tray).
// Cannot: show anything where the desktop has no tray at all (plain GNOME):
//   show() says so and Qt puts the icon up once a tray appears.

#include <functional>
#include <memory>

#include "platform/platform.h"

class QMenu;
class QSystemTrayIcon;

namespace kivo::qt {

class QtTrayIcon : public TrayIcon {
 public:
  // `beforeMenu` runs each time before the menu opens.
  explicit QtTrayIcon(std::function<void()> beforeMenu = {});
  ~QtTrayIcon() override;
  QtTrayIcon(const QtTrayIcon&) = delete;
  QtTrayIcon& operator=(const QtTrayIcon&) = delete;

  bool show(const std::string& tooltip) override;
  void hide() override;

 private:
  void fillMenu();

  std::function<void()> beforeMenu_;
  // Owned by Qt's object tree once this object is gone: a menu item's
  // handler may end the program and drop this icon while Qt is still
  // inside the menu's own code.
  QSystemTrayIcon* icon_;
  QMenu* menu_;
};

}  // namespace kivo::qt
