// The Qt toolkit's forms as X sees them (the rest is the toolkit contract
// suite's): each form's window, its class and title, the window system told
// of every window; a window's widgets made at its first showing; Japanese
// drawn with a face that has it; a caption set by code growing its box.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QWidget>

#include "tests/x11/qt/qt_rig.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo::qt::test {
namespace {

using ::testing::IsEmpty;

TEST(QtForms, EachFormIsAnXWindowOfTheProgramWithItsClass) {
  Rig rig;
  rig.store.saveSetting("Main", "WindowList0", "Notepad");
  rig.store.saveSetting("Main", "Alarm", "1");
  // The window system hears of every form's window coming and going (the
  // start-up makes and drops the window-list dialog).
  std::vector<std::size_t> owned;
  rig.toolkit.onFormsChanged = [&] { owned.push_back(rig.toolkit.ownWindows().size()); };
  rig.app.start();
  EXPECT_EQ(owned, (std::vector<std::size_t>{1, 2, 1}));
  MainWindow& m = *rig.app.main();
  SettingsDialog& s = rig.app.main()->settingsDialog();
  WindowListDialog& w = rig.app.main()->windowListDialog();
  s.show();
  w.show();
  EXPECT_THAT(rig.toolkit.ownWindows(),
              ::testing::UnorderedElementsAre(m.hwnd(), s.hwnd(), w.hwnd()));

  // Shown and framed by the window manager, a dialog keeps its class (the
  // hidden main window's class and title are the second_start end-to-end
  // test's); an unloaded form's window is no longer the program's.
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return wmState(s.hwnd()) == 1; }));
  EXPECT_EQ(windowClass(s.hwnd()), "kivo/ThunderRT5Form");
  const Hwnd gone = s.hwnd();
  rig.app.main()->dropDialogs();
  EXPECT_FALSE(rig.toolkit.ownsWindow(gone));
}

TEST(QtForms, AWindowGetsItsWidgetsAtItsFirstShowingWithWhatTheModelSaysThen) {
  Rig rig;
  rig.app.start();
  // Start-up shows the main window, minimizes and hides it in one go: it
  // never comes up, and its widgets (with the fonts they would load) are
  // not made.
  MainWindow& m = *rig.app.main();
  QWidget& view = *rig.toolkit.widgetOf(m);
  rig.toolkit.doEvents();
  EXPECT_THAT(view.findChildren<QWidget*>(), IsEmpty());
  // What changes meanwhile is there when the window comes up.
  m.clockOnRight->setValue(1);
  m.clockOnRight->setCaption("時計を右に(&C)");
  m.setWindowState(WindowState::Normal);
  m.show();
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return !view.findChildren<QWidget*>().empty(); }));
  EXPECT_THAT(viewDifferences(rig.toolkit, m), IsEmpty());
  EXPECT_THAT(clippedCaptions(rig.toolkit, m), IsEmpty());
}

TEST(QtForms, JapaneseIsDrawnAndALongerCaptionGrowsItsBox) {
  Rig rig;
  rig.app.start();
  // Japanese is drawn with a face that has its glyphs, never as boxes.
  const QString face = rig.toolkit.resolvedFace(FontSpec{});
  EXPECT_TRUE(QFontDatabase::families(QFontDatabase::Japanese).contains(face))
      << face.toStdString();
  EXPECT_TRUE(QFontMetrics(rig.toolkit.qfont(FontSpec{})).inFontUcs4(U'詳'));
  // A longer caption set by code grows its box as well.
  MainWindow& m = *rig.app.main();
  m.clockOnRight->setCaption("時計はいつも右側に表示します(&C)");
  EXPECT_THAT(clippedCaptions(rig.toolkit, m), IsEmpty());
}

}  // namespace
}  // namespace kivo::qt::test
