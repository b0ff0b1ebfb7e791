// The Win32 toolkit's forms: the program's three windows show their models,
// nothing is clipped, pushes never come back as input, the user's input
// and the system's changes reach the model.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

#include "platform/utf16.h"
#include "platform/win32/handle.h"
#include "tests/wine/toolkit/toolkit_rig.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo::win32::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A toolkit that counts the change reports it gets.
class CountingToolkit : public Win32Toolkit {
 public:
  CountingToolkit() : Win32Toolkit(GetModuleHandleW(nullptr)) {}
  void controlChanged(Control& control, std::uint32_t what) override {
    reports.push_back(control.id() + ":" + std::to_string(what));
    Win32Toolkit::controlChanged(control, what);
  }
  std::vector<std::string> reports;
};

// One control of every kind, with handlers that count.
class KindsForm : public Form {
 public:
  explicit KindsForm(Toolkit& tk)
      : Form(tk, "frmKinds", "Kinds", 4800, 3000, BorderStyle::FixedDialog) {
    frame = &add<Frame>("fraKinds", -1, "枠", {120, 120, 2400, 1500});
    check = &add<CheckBox>("chkKinds", -1, "箱(&C)", {120, 240, 1800, 312}, frame);
    opt[0] = &add<OptionButton>("optKinds", 0, "一(&1)", {120, 600, 1800, 312}, frame);
    opt[1] = &add<OptionButton>("optKinds", 1, "二(&2)", {120, 960, 1800, 312}, frame);
    box = &add<TextBox>("txtKinds", -1, "", {2640, 240, 1200, 312});
    list = &add<ListBox>("lstKinds", -1, "", {2640, 720, 1800, 900});
    ok = &add<CommandButton>("cmdKinds", 0, "OK", {2640, 2400, 900, 372});
    cancel = &add<CommandButton>("cmdKinds", 1, "Cancel", {3660, 2400, 900, 372});
    ok->setDefault(true);
    cancel->setCancel(true);
    box->setMaxLength(2);
    check->onClick = [this] { ++checkClicks; };
    opt[0]->onClick = [this] { ++optionClicks; };
    opt[1]->onClick = [this] { ++optionClicks; };
    ok->onClick = [this] { ++okClicks; };
    cancel->onClick = [this] { ++cancelClicks; };
  }
  Frame* frame;
  CheckBox* check;
  std::array<OptionButton*, 2> opt{};
  TextBox* box;
  ListBox* list;
  CommandButton *ok, *cancel;
  int checkClicks = 0, optionClicks = 0, okClicks = 0, cancelClicks = 0;
};

TEST(Win32Forms, TheProgramsWindowsShowTheirModels) {
  Rig rig;
  rig.store.saveSetting("Main", "WindowList0", "Notepad");
  rig.store.saveSetting("Main", "Alarm", "1");
  rig.app.start();
  MainWindow& m = *rig.app.main();
  EXPECT_THAT(viewDifferences(rig.toolkit, m), IsEmpty());
  EXPECT_FALSE(IsWindowVisible(rig.toolkit.windowOf(m)));

  // The dialogs as their openers leave them before showing them.
  SettingsDialog& s = rig.app.main()->settingsDialog();
  WindowListDialog& w = rig.app.main()->windowListDialog();
  s.show();
  w.show();
  EXPECT_THAT(viewDifferences(rig.toolkit, s), IsEmpty());
  EXPECT_THAT(viewDifferences(rig.toolkit, w), IsEmpty());
  EXPECT_EQ(w.list->rows(), std::vector<std::string>{"Notepad"});
  EXPECT_EQ(s.fields[1]->text(), "12");  // the alarm is on without a time

  // Changes made by code, several controls at a time.
  s.signalBoxes[2]->setValue(1);  // enables the chime's two companions
  s.displayBoxes[5]->setValue(0);
  s.fields[3]->setText("メッセージ");
  w.list->setRow(1, "XTerm");
  w.list->setListIndex(1);
  w.list->removeItem(0);
  m.precision[0]->setValue(true);
  m.clockOnRight->setValue(1);
  EXPECT_THAT(viewDifferences(rig.toolkit, s), IsEmpty());
  EXPECT_THAT(viewDifferences(rig.toolkit, w), IsEmpty());
  EXPECT_THAT(viewDifferences(rig.toolkit, m), IsEmpty());
}

TEST(Win32Forms, NoCaptionIsClipped) {
  Rig rig;
  rig.app.start();
  EXPECT_THAT(clippedCaptions(rig.toolkit, *rig.app.main()), IsEmpty());
  EXPECT_THAT(clippedCaptions(rig.toolkit, rig.app.main()->settingsDialog()), IsEmpty());
  EXPECT_THAT(clippedCaptions(rig.toolkit, rig.app.main()->windowListDialog()), IsEmpty());
  // Japanese captions are drawn with a face that has Japanese glyphs.
  EXPECT_NE(rig.toolkit.resolvedFace(FontSpec{}), L"");
}

TEST(Win32Forms, TabOrderAndTheDefaultButton) {
  Rig rig;
  rig.app.start();
  MainWindow& m = *rig.app.main();
  const HWND form = rig.toolkit.windowOf(m);
  // Tab visits the selected option of each group, then the rest in order.
  std::vector<HWND> want{rig.toolkit.windowOf(*m.precision[1]), rig.toolkit.windowOf(*m.style[0]),
                         rig.toolkit.windowOf(*m.clockOnRight)};
  for (auto* b : m.dialogButtons) want.push_back(rig.toolkit.windowOf(*b));
  for (auto* b : m.buttons) want.push_back(rig.toolkit.windowOf(*b));
  std::vector<HWND> got{want.front()};
  for (HWND h = GetNextDlgTabItem(form, want.front(), FALSE); h != want.front() && got.size() < 20;
       h = GetNextDlgTabItem(form, h, FALSE)) {
    got.push_back(h);
  }
  EXPECT_EQ(got, want);
  const LRESULT def = SendMessageW(form, DM_GETDEFID, 0, 0);
  EXPECT_EQ(HIWORD(def), DC_HASDEFID);
  EXPECT_EQ(GetDlgItem(form, LOWORD(def)), rig.toolkit.windowOf(*m.buttons[0]));
}

TEST(Win32Forms, AnAccessKeyTakenTwiceMovesTheFocusWithoutTicking) {
  Rig rig;
  rig.app.start();
  SettingsDialog& s = rig.app.main()->settingsDialog();
  s.show();
  const HWND pika = rig.toolkit.windowOf(*s.signalBoxes[0]),
             furu = rig.toolkit.windowOf(*s.signalBoxes[1]);
  ASSERT_TRUE(pumpUntil(rig.toolkit, [&] { return IsWindowVisible(pika) != 0; }));
  SetFocus(pika);
  const int pikaValue = s.signalBoxes[0]->value(), furuValue = s.signalBoxes[1]->value();
  PostMessageW(pika, WM_SYSCHAR, L'p', 1 << 29);
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return GetFocus() == furu; }));
  PostMessageW(furu, WM_SYSCHAR, L'p', 1 << 29);
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return GetFocus() == pika; }));
  EXPECT_EQ(s.signalBoxes[0]->value(), pikaValue);
  EXPECT_EQ(s.signalBoxes[1]->value(), furuValue);
}

TEST(Win32Forms, PushesNeverComeBackAsInput) {
  CountingToolkit tk;
  KindsForm f(tk);
  f.load();
  f.show();
  // Each change by code fires its handler once, through the model alone,
  // and is reported once.
  f.check->setValue(1);
  f.opt[1]->setValue(true);
  f.box->setText("長いテキスト");
  f.list->setRow(0, "a");
  f.list->setRow(1, "b");
  f.list->setListIndex(1);
  tk.doEvents();
  EXPECT_EQ(f.checkClicks, 1);
  EXPECT_EQ(f.optionClicks, 1);
  EXPECT_THAT(tk.reports, ElementsAre("chkKinds:2", "optKinds(1):2", "txtKinds:2", "lstKinds:16",
                                      "lstKinds:16", "lstKinds:2"));
  EXPECT_THAT(viewDifferences(tk, f), IsEmpty());

  // A disabled frame takes its contents out of reach.
  f.frame->setEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(tk.windowOf(*f.check)));
  f.frame->setEnabled(true);
  EXPECT_THAT(viewDifferences(tk, f), IsEmpty());
}

TEST(Win32Forms, TheUsersInputGoesThroughTheModel) {
  CountingToolkit tk;
  KindsForm f(tk);
  f.load();
  f.list->setRow(0, "a");
  f.list->setRow(1, "b");
  f.show();
  ASSERT_TRUE(pumpUntil(tk, [&] { return IsWindowVisible(tk.windowOf(f)) != 0; }));

  SendMessageW(tk.windowOf(*f.check), BM_CLICK, 0, 0);
  SendMessageW(tk.windowOf(*f.opt[0]), BM_CLICK, 0, 0);
  EXPECT_EQ(f.check->value(), 1);
  EXPECT_TRUE(f.opt[0]->value());
  EXPECT_EQ(f.checkClicks, 1);
  EXPECT_EQ(f.optionClicks, 1);

  // Text set from outside is typing: the model cuts it to its limit and the
  // box shows what the model holds.
  SetWindowTextW(tk.windowOf(*f.box), L"1234");
  EXPECT_EQ(f.box->text(), "12");

  // A click on the second row of the list.
  const HWND list = tk.windowOf(*f.list);
  const int rowHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, rowHeight + rowHeight / 2));
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(4, rowHeight + rowHeight / 2));
  EXPECT_EQ(f.list->listIndex(), 1);

  // An access key clicks its control.
  PostMessageW(tk.windowOf(*f.box), WM_SYSCHAR, L'c', 1 << 29);
  EXPECT_TRUE(pumpUntil(tk, [&] { return f.checkClicks == 2; }));
  EXPECT_EQ(f.check->value(), 0);

  // Enter and Esc through the dialog manager in the toolkit's pump.
  PostMessageW(tk.windowOf(*f.check), WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(tk.windowOf(*f.check), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(pumpUntil(tk, [&] { return f.okClicks == 1 && f.cancelClicks == 1; }));
  EXPECT_THAT(viewDifferences(tk, f), IsEmpty());
}

TEST(Win32Forms, TheSystemsChangesReachTheModel) {
  Rig rig;
  rig.app.start();
  MainWindow& m = *rig.app.main();
  const HWND h = rig.toolkit.windowOf(m);
  // A second start shows the hidden main window: it comes up normal and
  // centred, the model following.
  ShowWindow(h, SW_SHOWNORMAL);
  EXPECT_TRUE(m.visible());
  EXPECT_EQ(m.windowState(), WindowState::Normal);
  EXPECT_EQ(m.left(), (rig.toolkit.screenWidthTwips() - m.width()) / 2);
  EXPECT_THAT(viewDifferences(rig.toolkit, m), IsEmpty());

  // A clock the engine writes into the title stays through other pushes.
  SetWindowTextW(h, L"12:00 = Kivo for Windows NT/95");
  m.move(0, 0);
  m.hide();
  m.show();
  EXPECT_EQ(GetWindowTextLengthW(h), 30);

  // The close box of a dialog unloads it; the main window's ends the program.
  SettingsDialog& s = rig.app.main()->settingsDialog();
  s.show();
  SendMessageW(rig.toolkit.windowOf(s), WM_CLOSE, 0, 0);
  EXPECT_TRUE(s.closed());
  SendMessageW(h, WM_CLOSE, 0, 0);
  EXPECT_TRUE(rig.app.ended());
  EXPECT_TRUE(rig.toolkit.quitRequested());
}

TEST(Win32Forms, TheSettingsDialogRunsModalOverTheMainWindowUntilEscCancelsIt) {
  Rig rig;
  rig.app.start();
  MainWindow& m = *rig.app.main();
  m.show();
  m.setWindowState(WindowState::Normal);
  const HWND main = rig.toolkit.windowOf(m);
  std::atomic<bool> locked = false;
  // The user, from outside: waits for the dialog up with the main window
  // locked, then presses Esc in it.
  std::thread user([&] {
    const std::wstring cls = text::toWide(kFormWindowClass);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    HWND dialog = nullptr;
    while (!locked && std::chrono::steady_clock::now() < end) {
      dialog = FindWindowW(cls.c_str(), L"詳細");
      locked = dialog && IsWindowVisible(dialog) && !IsWindowEnabled(main);
      if (!locked) Sleep(5);  // a helper thread's poll, under a deadline
    }
    if (locked) PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  SendMessageW(rig.toolkit.windowOf(*m.dialogButtons[1]), BM_CLICK, 0, 0);  // returns when closed
  user.join();
  EXPECT_TRUE(locked);
  EXPECT_EQ(rig.app.main()->settingsDialogIfLoaded(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST(Win32Forms, ASecondStartBringsTheRunningMainWindowUp) {
  DesktopRig running;
  running.app.start();
  MainWindow& m = *running.app.main();
  const HWND h = running.toolkit.windowOf(m);
  ASSERT_FALSE(m.visible());
  {
    // Another instance finds the window by its class and caption, shows it
    // and ends; its own quit stays with its own toolkit.
    DesktopRig second;
    second.program.setPreviousInstance(true);
    second.app.start();
    EXPECT_TRUE(second.app.ended());
  }
  EXPECT_TRUE(m.visible());
  EXPECT_EQ(m.windowState(), WindowState::Normal);
  EXPECT_EQ(m.left(), (running.toolkit.screenWidthTwips() - m.width()) / 2);
  EXPECT_THAT(viewDifferences(running.toolkit, m), IsEmpty());

  // In front, it gets the clock in its title from the engine's tick, and
  // the form's own pushes leave that alone.
  const std::wstring caption = text::toWide(kMainCaption);
  auto decorated = [&] {
    wchar_t title[256] = {};
    GetWindowTextW(h, title, 256);
    return std::wstring(title) != caption &&
           std::wstring(title).find(caption) != std::wstring::npos;
  };
  ASSERT_TRUE(pumpUntil(running.toolkit, decorated));
  m.move(m.left() + 150, m.top());
  m.precision[2]->setValue(true);
  EXPECT_TRUE(decorated());
  EXPECT_FALSE(running.toolkit.quitRequested());
}

}  // namespace
}  // namespace kivo::win32::test
