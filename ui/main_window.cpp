// Kivo's own window: its controls, start-up and the end.
#include "ui/main_window.h"

#include "engine/caption_engine.h"
#include "engine/clock_template.h"
#include "settings/defaults_store.h"
#include "settings/settings_save.h"
#include "signals/flash_burst.h"
#include "ui/refused_save_box.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo {

namespace {
constexpr const char* kLoadWhere = "frmMain!Form_Load";
}  // namespace

MainWindow::MainWindow(WindowContext context, CaptionEngine& engine, FlashBurst& flash,
                       std::function<void()> endProgram)
    // The caption a second start looks for is set only once start-up has
    // made sure no other instance runs, so the new window is never mistaken
    // for the running one.
    : Form(context.toolkit, "frmMain", "Kivo", 4992, 3732, BorderStyle::FixedSingle),
      cx_(context),
      engine_(engine),
      flash_(flash),
      endProgram_(std::move(endProgram)) {
  // The program's own window carries its icon; the dialogs have none.
  setIcon(kProgramIcon);
  frames[0] =
      &add<Frame>("fraMain", 0, cx_.texts("アクティブウィンドウ検出精度"), {120, 120, 3432, 1455});
  precision[High] = &add<OptionButton>("optInterval", 0, cx_.texts("Hi    - CPU負担大(&H)"),
                                       {180, 300, 2532, 312}, frames[0]);
  precision[Middle] = &add<OptionButton>("optInterval", 1, cx_.texts("Middle(&M)"),
                                         {180, 660, 1512, 312}, frames[0]);
  precision[Low] = &add<OptionButton>("optInterval", 2, cx_.texts("Low  - CPU負担小(&L)"),
                                      {180, 1020, 2532, 312}, frames[0]);
  frames[1] = &add<Frame>("fraMain", 1, cx_.texts("ユーザーの好み"), {120, 1680, 3432, 1512});
  style[WesternStyle] =
      &add<OptionButton>("optTaste", 0, cx_.texts("弱洋風(&A)"), {180, 300, 1512, 312}, frames[1]);
  style[GeneralStyle] =
      &add<OptionButton>("optTaste", 1, cx_.texts("一般(&N)"), {180, 660, 1512, 312}, frames[1]);
  clockOnRight =
      &add<CheckBox>("chkRight", -1, cx_.texts("時計は右(&C)"), {180, 1080, 1512, 312}, frames[1]);
  dialogButtons[OpenWindowList] = &add<CommandButton>("cmdToSet", 0, cx_.texts("あの子嫌い(&B)"),
                                                      {1800, 300, 1452, 495}, frames[1]);
  dialogButtons[OpenSettings] =
      &add<CommandButton>("cmdToSet", 1, cx_.texts("詳細(&S)"), {1800, 900, 1452, 495}, frames[1]);
  buttons[Ok] = &add<CommandButton>("cmdMain", 0, "OK", {3720, 240, 1152, 495});
  buttons[Cancel] = &add<CommandButton>("cmdMain", 1, "Cancel", {3720, 900, 1152, 495});
  buttons[About] =
      &add<CommandButton>("cmdMain", 2, cx_.texts("About(&A)"), {3720, 1620, 1152, 495});
  buttons[Exit] = &add<CommandButton>("cmdMain", 3, cx_.texts("Exit(&X)"), {3720, 2700, 1152, 495});
  trayIconBox =
      &add<CheckBox>("chkTray", -1, cx_.texts("トレイアイコン(&T)"), {180, 3300, 1812, 312});
  loginStartBox =
      &add<CheckBox>("chkLogin", -1, cx_.texts("ログイン時に起動(&G)"), {2100, 3300, 2100, 312});
  flashTimer = &add<Timer>("tmrFlash", -1, "", {});
  tickTimer = &add<Timer>("tmrMain", -1, "", {});

  // The initial selections are the window's own state, not clicks: they are
  // made before the handlers are attached.
  precision[Middle]->setValue(true);
  style[WesternStyle]->setValue(true);
  buttons[Ok]->setDefault(true);
  buttons[Cancel]->setCancel(true);
  flashTimer->setInterval(100);
  flashTimer->setEnabled(false);
  // The tick runs from the window's creation; the stored interval replaces
  // this one when the options are loaded.
  tickTimer->setInterval(300);
  tickTimer->setEnabled(true);

  for (int i = High; i <= Low; ++i) {
    // Only OK stores it, and only a reload applies it to the running tick.
    precision[i]->onClick = [this, i] { cx_.settings.checkInterval = kTickIntervals[i]; };
  }
  // Takes effect at the next composition of a caption; OK stores it.
  clockOnRight->onClick = [this] {
    cx_.settings.layout.clockRight = static_cast<std::uint8_t>(clockOnRight->value());
  };
  for (int i = OpenWindowList; i <= OpenSettings; ++i) {
    dialogButtons[i]->onClick = [this, i] { openDialog(static_cast<DialogButton>(i)); };
  }
  for (int i = Ok; i <= Exit; ++i) {
    buttons[i]->onClick = [this, i] { clickButton(static_cast<Button>(i)); };
  }
  flashTimer->onTimer = [this] {
    if (!flash_.step(engine_.state().front)) flashTimer->setEnabled(false);
  };
  tickTimer->onTimer = [this] {
    engine_.tick();
    updateTrayTooltip();
  };
  trayIconBox->onClick = [this] {
    if (showingState_) return;
    SettingsSave save(cx_.store, "the tray icon");
    save.text(keys::TrayIcon, trayIconBox->value() ? "1" : "0");
    tellIfRefused(cx_.toolkit, hwnd(), save);
    applyTrayIcon();
  };
  loginStartBox->onClick = [this] {
    if (showingState_) return;
    if (!cx_.program.setStartAtLogin(loginStartBox->value() == 1)) {
      cx_.toolkit.messageBox(hwnd(), cx_.texts("ログイン時の起動を変更できませんでした。"), "Kivo",
                             kMbOkOnly | kMbIconExclamation);
    }
    showLoginState();
  };
}

MainWindow::~MainWindow() = default;

void MainWindow::onLoad() {
  if (cx_.program.previousInstance()) {
    handOver();
    return;
  }
  // Out of sight, just beyond the left edge, under the caption a second
  // start looks for.
  hide();
  setLeft(-width());
  setCaption(kMainCaption);
  loadSettings();
  // Loading the window list may have created the window-list dialog.
  dropDialogs();
  // Left minimized and hidden; a second start restores it.
  show();
  setWindowState(WindowState::Minimized);
  hide();
  engine_.giveBackLeftOverTitles();
  loadTrayAndLogin();
}

void MainWindow::handOver() {
  // The running instance's window comes up; this one ends without touching
  // a setting.
  const Hwnd found = cx_.windows.findWindow(kFormWindowClass, kMainCaption);
  cx_.windows.showWindow(found, kSwShowNormal);
  const Hwnd again = cx_.windows.findWindow(kFormWindowClass, kMainCaption);
  raiseWindow(cx_.windows, again, kHwndTop, true);
  endProgram_();
}

void MainWindow::loadSettings() {
  // A setting that cannot be loaded must not keep the clock from starting:
  // each step that fails is reported and goes on with the defaults of a
  // fresh installation. Nothing is written back to the store.
  RunningSettings& settings = cx_.settings;
  ErrorReporter& errors = cx_.errors;
  DefaultsOnlyStore defaults;
  if (!reportFailure(errors, kLoadWhere, [&] { loadOptions(cx_.store); })) loadOptions(defaults);
  if (!reportFailure(errors, kLoadWhere, [&] { loadAlarmSettings(cx_.store, settings); })) {
    applyDefaultAlarmSettings(settings);
  }
  if (!reportFailure(errors, kLoadWhere, [&] { loadWindowList(); })) settings.windowList.count = 0;
  if (!reportFailure(errors, kLoadWhere,
                     [&] { settings.companions = readCompanionFlags(cx_.store); })) {
    settings.companions = CompanionFlags{};
  }
  if (settings.companions.customTemplate != 0) {
    // A companion's template decides what the clock shows.
    settings.clockTemplate = customTemplateFromStore(cx_.store);
    style[WesternStyle]->setEnabled(false);
    style[GeneralStyle]->setEnabled(false);
  } else if (!reportFailure(errors, kLoadWhere, [&] {
               settings.clockTemplate = standardTemplateFromStore(cx_.store);
             })) {
    settings.clockTemplate = standardTemplateFromStore(defaults);
  }
}

void MainWindow::loadWindowList() {
  kivo::loadWindowList(cx_.store, cx_.settings.windowList);
  // A list with entries loads the dialog that edits it, which shows them.
  if (cx_.settings.windowList.count > 0) windowListDialog();
}

void MainWindow::onResize() {
  if (!resizeArmed_) {
    resizeArmed_ = true;
    return;
  }
  if (windowState() == WindowState::Minimized) return;
  move((cx_.toolkit.screenWidthTwips() - width()) / 2,
       (cx_.toolkit.screenHeightTwips() - height()) / 2);
}

void MainWindow::onUnload() {
  // Ends at once; the end gives the window that carries the clock its title
  // back (normally this very window, in front when Exit is clicked).
  endProgram_();
}

namespace {

// A dialog that has closed is gone for good: the next use gets a fresh one.
template <class Dialog, class Make>
Dialog& loadedDialog(std::unique_ptr<Dialog>& slot, Make&& make) {
  if (!slot || slot->closed()) {
    slot.reset();
    slot = make();
    slot->load();
  }
  return *slot;
}

template <class Dialog>
void drop(std::unique_ptr<Dialog>& slot) {
  if (slot && !slot->closed()) slot->unload();
  slot.reset();
}

}  // namespace

SettingsDialog& MainWindow::settingsDialog() {
  return loadedDialog(settingsDialog_, [&] { return std::make_unique<SettingsDialog>(cx_); });
}

WindowListDialog& MainWindow::windowListDialog() {
  return loadedDialog(windowListDialog_, [&] { return std::make_unique<WindowListDialog>(cx_); });
}

void MainWindow::dropSettingsDialog() { drop(settingsDialog_); }

void MainWindow::dropWindowListDialog() { drop(windowListDialog_); }

void MainWindow::dropDialogs() {
  dropSettingsDialog();
  dropWindowListDialog();
}

}  // namespace kivo
