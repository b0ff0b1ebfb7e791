// The Qt toolkit's forms: the program's three windows show their models
// with their window class, nothing is clipped or crosses, pushes never come
// back as input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QListWidget>
#include <QRadioButton>

#include <cstdlib>

#include "tests/x11/qt/qt_kinds_form.h"
#include "tests/x11/qt/qt_rig.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo::qt::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(QtForms, TheProgramsWindowsShowTheirModels) {
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
  EXPECT_THAT(viewDifferences(rig.toolkit, m), IsEmpty());
  EXPECT_FALSE(rig.toolkit.widgetOf(m)->isVisible());
  EXPECT_TRUE(rig.toolkit.ownsWindow(m.hwnd()));

  // The dialogs as their openers leave them before showing them.
  SettingsDialog& s = rig.app.main()->settingsDialog();
  WindowListDialog& w = rig.app.main()->windowListDialog();
  s.show();
  w.show();
  EXPECT_THAT(viewDifferences(rig.toolkit, s), IsEmpty());
  EXPECT_THAT(viewDifferences(rig.toolkit, w), IsEmpty());
  EXPECT_EQ(w.list->rows(), std::vector<std::string>{"Notepad"});
  EXPECT_EQ(s.fields[1]->text(), "12");  // the alarm is on without a time
  EXPECT_THAT(rig.toolkit.ownWindows(),
              ::testing::UnorderedElementsAre(m.hwnd(), s.hwnd(), w.hwnd()));

  // Changes made by code, several controls at a time.
  s.signalBoxes[2]->setValue(1);  // enables the chime's two companions
  s.displayBoxes[5]->setValue(0);
  s.fields[3]->setText("メッセージ");
  s.fields[0]->setText("12345");  // code may go past the limit of typing
  w.list->setRow(1, "XTerm");
  w.list->setListIndex(1);
  w.list->removeItem(0);
  m.precision[0]->setValue(true);
  m.clockOnRight->setValue(1);
  s.frames[0]->setEnabled(false);
  EXPECT_THAT(viewDifferences(rig.toolkit, s), IsEmpty());
  EXPECT_THAT(viewDifferences(rig.toolkit, w), IsEmpty());
  EXPECT_THAT(viewDifferences(rig.toolkit, m), IsEmpty());

  // Shown and framed by the window manager, each keeps its class; an
  // unloaded form's window is no longer the program's.
  if (!pumpUntil(rig.toolkit, [&] { return wmState(s.hwnd()) == 1; })) {
    ADD_FAILURE() << "frmSet not managed; visible " << rig.toolkit.widgetOf(s)->isVisible();
    std::system(("xprop -root _NET_CLIENT_LIST; xwininfo -id " + std::to_string(s.hwnd()) +
                 " | grep -i map; xprop -id " + std::to_string(s.hwnd()))
                    .c_str());
  }
  EXPECT_EQ(windowClass(s.hwnd()), "kivo/ThunderRT5Form");
  EXPECT_EQ(windowTitle(s.hwnd()), "詳細");
  const Hwnd gone = s.hwnd();
  rig.app.main()->dropDialogs();
  EXPECT_FALSE(rig.toolkit.ownsWindow(gone));
}

TEST(QtForms, NoCaptionIsClippedAndNothingCrosses) {
  Rig rig;
  rig.app.start();
  for (Form* f : std::initializer_list<Form*>{rig.app.main(), &rig.app.main()->settingsDialog(),
                                              &rig.app.main()->windowListDialog()}) {
    EXPECT_THAT(clippedCaptions(rig.toolkit, *f), IsEmpty());
    EXPECT_THAT(overlappingWidgets(rig.toolkit, *f), IsEmpty());
  }
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

TEST(QtForms, PushesNeverComeBackAsInput) {
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
  f.check->setValue(2);
  tk.doEvents();
  EXPECT_EQ(f.checkClicks, 2);
  EXPECT_EQ(f.optionClicks, 1);
  EXPECT_THAT(tk.reports, ElementsAre("chkKinds:2", "optKinds(1):2", "txtKinds:2", "lstKinds:16",
                                      "lstKinds:16", "lstKinds:2", "chkKinds:2"));
  EXPECT_THAT(viewDifferences(tk, f), IsEmpty());
  EXPECT_EQ(static_cast<QCheckBox*>(tk.widgetOf(*f.check))->checkState(), Qt::PartiallyChecked);

  // None selected is a state the model may hold, and the view shows it.
  f.opt[1]->setValue(false);
  EXPECT_FALSE(static_cast<QRadioButton*>(tk.widgetOf(*f.opt[1]))->isChecked());
  f.list->setListIndex(-1);
  EXPECT_THAT(viewDifferences(tk, f), IsEmpty());

  // A disabled frame takes its contents out of reach.
  f.frame->setEnabled(false);
  EXPECT_FALSE(tk.widgetOf(*f.check)->isEnabled());
  f.frame->setEnabled(true);
  EXPECT_TRUE(tk.widgetOf(*f.check)->isEnabled());
  EXPECT_EQ(f.checkClicks, 2);
  EXPECT_EQ(f.optionClicks, 1);
}

}  // namespace
}  // namespace kivo::qt::test
