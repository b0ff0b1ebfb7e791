// kivo-toolkit-show FORM READY: shows one of the program's three windows
// (frmMain, frmSet, frmWSet), or the main window's version box (box), over
// the Win32 toolkit as a user opens it,
// prints any clipped caption or view difference, then writes the window's
// place on the screen ("x y width height") to the file READY and keeps the
// window up until that file is removed (show-windows.sh takes the picture
// meanwhile).
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/wine/toolkit/toolkit_rig.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo::win32::test {
namespace {

std::string g_ready;

BOOL CALLBACK findBox(HWND h, LPARAM out) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  wchar_t cls[16] = {};
  GetClassNameW(h, cls, 16);
  if (pid != GetCurrentProcessId() || std::wstring(cls) != L"#32770" || !IsWindowVisible(h))
    return TRUE;
  *reinterpret_cast<HWND*>(out) = h;
  return FALSE;
}

// From the box's own loop: tells where the box is, and answers it once the
// picture has been taken.
void CALLBACK watchBox(HWND, UINT, UINT_PTR, DWORD) {
  static bool told = false;
  HWND box = nullptr;
  EnumWindows(&findBox, reinterpret_cast<LPARAM>(&box));
  if (!box) return;
  if (!told) {
    RECT r;
    GetWindowRect(box, &r);
    std::ofstream(g_ready) << r.left << " " << r.top << " " << r.right - r.left << " "
                           << r.bottom - r.top << "\n";
    told = true;
  } else if (!std::filesystem::exists(g_ready)) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
}

int show(const std::string& name, const std::string& ready) {
  Rig rig;
  rig.store.saveSetting("Main", "WindowList0", "Notepad");
  rig.store.saveSetting("Main", "WindowList1", "XLMAIN");
  rig.store.saveSetting("Main", "Alarm", "1");
  rig.store.saveSetting("Main", "AlarmTime", "06:18");
  rig.store.saveSetting("Main", "AlarmMessage", "起きて！");
  rig.store.saveSetting("Main", "TimePipo", "1");
  rig.app.start();
  MainWindow& m = *rig.app.main();
  // As a second start brings it up.
  m.show();
  m.setWindowState(WindowState::Normal);
  SettingsDialog& s = rig.app.main()->settingsDialog();
  s.show();
  WindowListDialog& w = rig.app.main()->windowListDialog();
  w.list->setListIndex(1);
  w.show();
  if (name == "box") {
    g_ready = ready;
    SetTimer(nullptr, 0, 100, &watchBox);
    m.buttons[MainWindow::About]->click();
    return 0;
  }
  Form* f = &w;
  if (name == "frmMain") f = &m;
  if (name == "frmSet") f = &s;
  for (Form* other : std::initializer_list<Form*>{&m, &s, &w}) {
    if (other != f) other->hide();
  }
  f->show();
  const HWND h = rig.toolkit.windowOf(*f);
  SetForegroundWindow(h);
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  for (const std::string& c : clippedCaptions(rig.toolkit, *f))
    std::printf("clipped: %s\n", c.c_str());
  for (const std::string& d : viewDifferences(rig.toolkit, *f))
    std::printf("differs: %s\n", d.c_str());
  RECT r;
  GetWindowRect(h, &r);
  std::ofstream(ready) << r.left << " " << r.top << " " << r.right - r.left << " "
                       << r.bottom - r.top << "\n";
  pumpUntil(
      rig.toolkit, [&] { return !std::filesystem::exists(ready); }, std::chrono::seconds(60));
  return 0;
}

}  // namespace
}  // namespace kivo::win32::test

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kivo-toolkit-show frmMain|frmSet|frmWSet READY\n");
    return 2;
  }
  return kivo::win32::test::show(argv[1], argv[2]);
}
