// Kivo's own window: the icon in the notification area and the start at
// login.
#include "engine/caption_engine.h"
#include "settings/layout.h"
#include "ui/main_window.h"

namespace kivo {

void MainWindow::loadTrayAndLogin() {
  showingState_ = true;
  // Only "0" turns the icon off: anything else leaves it on, as it is for
  // a fresh installation.
  trayIconBox->setValue(readText(cx_.store, keys::TrayIcon) == "0" ? 0 : 1);
  showingState_ = false;
  showLoginState();
  applyTrayIcon();
}

void MainWindow::showLoginState() {
  showingState_ = true;
  loginStartBox->setValue(cx_.program.startsAtLogin() ? 1 : 0);
  showingState_ = false;
}

void MainWindow::applyTrayIcon() {
  if (trayIconBox->value() == 0) {
    if (tray_) tray_->hide();
    return;
  }
  if (!tray_) {
    tray_ = cx_.toolkit.createTrayIcon();
    if (!tray_) return;
    tray_->menu = [this] { return trayMenu(); };
    tray_->onChoose = [this](int item) { chooseTrayItem(item); };
  }
  trayTooltip_.clear();
  updateTrayTooltip();
}

void MainWindow::updateTrayTooltip() {
  if (!tray_ || trayIconBox->value() == 0) return;
  const std::string& clock = engine_.state().clock;
  std::string tooltip = clock.empty() ? std::string("Kivo") : clock;
  // Told only when it changes: a steady tick costs the desktop nothing.
  if (tooltip == trayTooltip_) return;
  trayTooltip_ = std::move(tooltip);
  tray_->show(trayTooltip_);
}

void MainWindow::removeTrayIcon() {
  if (tray_) tray_->hide();
  tray_.reset();
}

std::vector<TrayMenuItem> MainWindow::trayMenu() const {
  std::vector<TrayMenuItem> items(TrayExit + 1);
  items[OpenWindow].text = cx_.texts("Kivo を開く(&O)");
  items[TraySettings].text = cx_.texts("詳細(&S)");
  items[TrayWindowList].text = cx_.texts("あの子嫌い(&B)");
  items[StartAtLogin] = {cx_.texts("ログイン時に起動(&G)"), true, cx_.program.startsAtLogin(),
                         true};
  items[TrayAbout] = {cx_.texts("About(&A)"), false, false, true};
  items[TrayExit].text = cx_.texts("Exit(&X)");
  return items;
}

void MainWindow::bringUp() {
  cx_.windows.showWindow(hwnd(), kSwShowNormal);
  raiseWindow(cx_.windows, hwnd(), kHwndTop, true);
  showLoginState();
}

void MainWindow::chooseTrayItem(int item) {
  // While a dialog is open the window waits for it: the menu brings the
  // window (and so the dialog over it) up instead of opening another.
  if (settingsDialog_ || windowListDialog_) item = OpenWindow;
  switch (item) {
    case -1:
    case OpenWindow: bringUp(); break;
    case TraySettings: dialogButtons[OpenSettings]->click(); break;
    case TrayWindowList: dialogButtons[OpenWindowList]->click(); break;
    case StartAtLogin: loginStartBox->setValue(cx_.program.startsAtLogin() ? 0 : 1); break;
    case TrayAbout: buttons[About]->click(); break;
    case TrayExit: buttons[Exit]->click(); break;
    default: break;
  }
}

}  // namespace kivo
