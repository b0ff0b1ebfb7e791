#pragma once
// Kivo's own window: the tick and flash timers, the detection precision, the
// clock's style and side, the two dialogs, the version box and Exit. It
// stays hidden and minimized; a second start of the program brings it up.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/forms.h"
#include "ui/window_context.h"

namespace kivo {

class CaptionEngine;
class FlashBurst;
class SettingsDialog;
class WindowListDialog;

// A second start looks for the window of class kFormWindowClass (every form
// window has it) with this caption.
inline constexpr const char* kMainCaption = "Kivo for Windows NT/95";

class MainWindow : public Form {
 public:
  enum Precision { High, Middle, Low };
  // The tick of each precision, in milliseconds.
  static constexpr std::array<std::int16_t, 3> kTickIntervals{50, 250, 1000};
  enum Style { WesternStyle, GeneralStyle };
  enum DialogButton { OpenWindowList, OpenSettings };
  enum Button { Ok, Cancel, About, Exit };

  MainWindow(WindowContext context, CaptionEngine& engine, FlashBurst& flash,
             std::function<void()> endProgram);
  ~MainWindow() override;

  // Controls, in tab order.
  std::array<Frame*, 2> frames{};
  std::array<OptionButton*, 3> precision{};
  std::array<OptionButton*, 2> style{};
  CheckBox* clockOnRight = nullptr;
  std::array<CommandButton*, 2> dialogButtons{};
  std::array<CommandButton*, 4> buttons{};
  // Act at once, without OK: the icon in the notification area, and the
  // desktop starting Kivo at login (shown as the desktop records it).
  CheckBox* trayIconBox = nullptr;
  CheckBox* loginStartBox = nullptr;
  Timer* flashTimer = nullptr;
  Timer* tickTimer = nullptr;

  // The dialogs: created (loaded, hidden) on first use and discarded after,
  // so every opening starts from the stored settings.
  SettingsDialog& settingsDialog();
  WindowListDialog& windowListDialog();
  SettingsDialog* settingsDialogIfLoaded() const { return settingsDialog_.get(); }
  WindowListDialog* windowListDialogIfLoaded() const { return windowListDialog_.get(); }
  void dropDialogs();

  // The text of the version box.
  std::string versionText() const;

  // The tray icon's menu, in its order.
  enum TrayItem { OpenWindow, TraySettings, TrayWindowList, StartAtLogin, TrayAbout, TrayExit };
  std::vector<TrayMenuItem> trayMenu() const;
  // What choosing a menu item (or -1, a double-click on the icon) does: the
  // same as the window's own buttons.
  void chooseTrayItem(int item);
  // Shows the window and brings it to the front, as a second start does.
  void bringUp();
  // Takes the icon out of the notification area: every way out does.
  void removeTrayIcon();

 private:
  void onLoad() override;
  void onResize() override;
  void onUnload() override;
  // Start-up when another Kivo runs already: its window comes up, this one ends.
  void handOver();
  void loadSettings();
  void loadWindowList();
  void loadOptions(SettingsStore& store);
  void saveOptions();
  void clickButton(Button button);
  void openDialog(DialogButton button);
  void dropSettingsDialog();
  void dropWindowListDialog();
  void loadTrayAndLogin();
  void applyTrayIcon();
  void showLoginState();
  void updateTrayTooltip();

  WindowContext cx_;
  CaptionEngine& engine_;
  FlashBurst& flash_;
  std::function<void()> endProgram_;
  // The first resize comes from start-up's own showing; later ones centre
  // the window.
  bool resizeArmed_ = false;
  std::unique_ptr<SettingsDialog> settingsDialog_;
  std::unique_ptr<WindowListDialog> windowListDialog_;
  std::unique_ptr<TrayIcon> tray_;
  std::string trayTooltip_;
  // Set while the boxes are made to show what is stored, so that doing so
  // changes nothing.
  bool showingState_ = false;
};

}  // namespace kivo
