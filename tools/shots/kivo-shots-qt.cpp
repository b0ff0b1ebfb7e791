// kivo-shots-qt FORM READY [LANGUAGE]: shows one of the program's three windows
// (frmMain, frmSet, frmWSet), or the alarm box (alarm), over the Qt toolkit
// in Japanese or English (ja, the default, or en)
// as a user opens it, prints any clipped caption, overlap or view
// difference, then writes the window's place on the screen with its frame
// ("x y width height") to the file READY and keeps the window up until that
// file is removed (scripts/x11-screenshots.sh takes the picture meanwhile).
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/qt/qt_util.h"
#include "tests/x11/qt/qt_rig.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo::qt::test {
namespace {

void tell(const std::string& ready, const QRect& r) {
  std::ofstream(ready) << r.x() << " " << r.y() << " " << r.width() << " " << r.height() << "\n";
}

int show(const std::string& name, const std::string& ready, const std::string& language) {
  Rig rig;
  rig.store.saveSetting("Main", "Language", language);
  rig.store.saveSetting("Main", "WindowList0", "Notepad");
  rig.store.saveSetting("Main", "WindowList1", "XLMAIN");
  rig.store.saveSetting("Main", "Alarm", "1");
  rig.store.saveSetting("Main", "AlarmTime", "06:18");
  rig.store.saveSetting("Main", "AlarmMessage", "起きて！");
  rig.store.saveSetting("Main", "TimePipo", "1");
  // A minute before the alarm: its box waits for the picture of its own.
  rig.clock.set(Date{2026, 3, 5}, TimeOfDay{6, 17, 0});
  rig.app.start();
  MainWindow& m = *rig.app.main();
  if (name == "alarm") {
    // The box of the tick fired below only: no other tick may give the
    // alarm as well. A tick in the minute before sets the minute it turns from.
    m.tickTimer->setEnabled(false);
    m.tickTimer->fire();
    rig.clock.set(Date{2026, 3, 5}, TimeOfDay{6, 18, 0});
    // The alarm minute: the box comes up over the hidden main window.
    QTimer watch;
    bool told = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible()) continue;
        const QMargins frame = frameExtents(static_cast<Hwnd>(box->winId()));
        if (frame.isNull()) continue;
        if (!told) {
          told = true;
          box->repaint();
          syncX();
          tell(ready, box->geometry().marginsAdded(frame));
        } else if (!std::filesystem::exists(ready)) {
          box->button(QMessageBox::Ok)->click();
        }
      }
    });
    watch.start(50);
    m.tickTimer->fire();
    return 0;
  }
  // As a second start brings it up.
  rig.toolkit.showOwnWindow(m.hwnd(), kSwShowNormal);
  SettingsDialog& s = rig.app.main()->settingsDialog();
  s.show();
  WindowListDialog& w = rig.app.main()->windowListDialog();
  w.list->setListIndex(1);
  w.show();
  Form* f = &w;
  if (name == "frmMain") f = &m;
  if (name == "frmSet") f = &s;
  for (Form* other : std::initializer_list<Form*>{&m, &s, &w}) {
    if (other != f) other->hide();
  }
  rig.toolkit.raiseOwnWindow(f->hwnd());
  QWidget* view = rig.toolkit.widgetOf(*f);
  // Up, in front and framed by the window manager.
  pumpUntil(rig.toolkit, [&] {
    return view->isActiveWindow() && view->frameGeometry() != view->geometry() &&
           view->x() == twipsToPx(f->left(), rig.toolkit.dpiX()) &&
           view->y() == twipsToPx(f->top(), rig.toolkit.dpiY());
  });
  for (const std::string& c : clippedCaptions(rig.toolkit, *f))
    std::printf("clipped: %s\n", c.c_str());
  for (const std::string& c : overlappingWidgets(rig.toolkit, *f))
    std::printf("overlap: %s\n", c.c_str());
  for (const std::string& d : viewDifferences(rig.toolkit, *f))
    std::printf("differs: %s\n", d.c_str());
  std::printf("face: %s\n", ustr(rig.toolkit.resolvedFace(f->font())).c_str());
  // The boxes grown for their text, and the form around them.
  const int dx = rig.toolkit.dpiX(), dy = rig.toolkit.dpiY();
  for (const Control* c : f->tabOrder()) {
    const Twips& t = c->layout();
    const QRect g = rig.toolkit.widgetOf(*c)->geometry();
    const int w = twipsToPx(t.left + t.width, dx) - twipsToPx(t.left, dx);
    const int h = twipsToPx(t.top + t.height, dy) - twipsToPx(t.top, dy);
    if (g.width() != w || g.height() != h)
      std::printf("grown: %s %dx%d -> %dx%d at top %+d\n", c->id().c_str(), w, h, g.width(),
                  g.height(), g.y() - twipsToPx(t.top, dy));
  }
  std::printf("client: %dx%d -> %dx%d\n", twipsToPx(f->clientWidth(), dx),
              twipsToPx(f->clientHeight(), dy), view->width(), view->height());
  std::fflush(stdout);
  // Drawn on the screen before the picture is taken.
  view->repaint();
  QCoreApplication::processEvents();
  syncX();
  tell(ready, view->frameGeometry());
  pumpUntil(
      rig.toolkit, [&] { return !std::filesystem::exists(ready); }, std::chrono::seconds(60));
  return 0;
}

}  // namespace
}  // namespace kivo::qt::test

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: kivo-shots-qt frmMain|frmSet|frmWSet|alarm READY [ja|en]\n");
    return 2;
  }
  QApplication app(kivo::qt::test::testArgc(), kivo::qt::test::testArgv());
  return kivo::qt::test::show(argv[1], argv[2], argc == 4 ? argv[3] : "ja");
}
