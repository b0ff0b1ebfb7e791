// kivo-shots-win32.exe: puts kivo.exe's windows on the screen one after another
// for scripts/screenshots.sh, which photographs each.
//
//   kivo-shots-win32.exe DIR [en]
//
// In Japanese (the default): decorated-title, main-window, settings-dialog,
// window-list-dialog, tray-menu and alarm-box; in English: main-window-en,
// settings-dialog-en, window-list-dialog-en and tray-menu-en.
//
// Before each picture it writes DIR\NAME.ready holding the area to keep
// (WxH+X+Y, screen pixels) and waits for the script's DIR\NAME.done. It
// expects Wine's clock at 2024-03-05 06:17:00 or a little later
// (KIVO_FAKETIME), so that the alarm goes off at 06:18 and every picture
// shows the same time.
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/wine/e2e.h"

using namespace kivo::e2e;

namespace {

std::wstring dir;

bool fileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Hands the area of `window` (with a margin for its shadowless frame) to
// the script and waits until it has taken the picture.
bool picture(const char* name, HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  const int m = 8;
  const std::wstring base = dir + L"\\" + std::wstring(name, name + strlen(name));
  FILE* ready = _wfopen((base + L".ready").c_str(), L"w");
  if (!ready) return false;
  std::fprintf(ready, "%ldx%ld+%ld+%ld\n", r.right - r.left + 2 * m, r.bottom - r.top + 2 * m,
               r.left - m, r.top - m);
  std::fclose(ready);
  if (!waitFor([&] { return fileExists(base + L".done"); }, 60s)) {
    std::fprintf(stderr, "kivo-shots-win32: no picture of %s\n", name);
    return false;
  }
  return true;
}

bool failed(const char* what) {
  std::fprintf(stderr, "kivo-shots-win32: %s\n", what);
  return false;
}

// The texts the windows are found by, in the language they speak.
struct Texts {
  const wchar_t* language;
  const wchar_t* settingsButton;
  const wchar_t* settingsCaption;
  const wchar_t* listButton;
  const wchar_t* listCaption;
  std::string suffix;
};
const Texts kJapanese{L"ja", L"詳細(&S)", L"詳細", L"あの子嫌い(&B)", L"あの子嫌い！", ""};
const Texts kEnglish{L"en", L"&Settings", L"Settings", L"&Exclusions", L"Excluded windows", "-en"};

// Opens the tray icon's menu as a right-click does and photographs it.
bool trayMenu(const Texts& t) {
  const HWND icon = FindWindowW(L"KivoTrayIcon", L"Kivo");
  if (!icon) return failed("no tray icon window");
  PostMessageW(icon, WM_APP + 1, 0, MAKELPARAM(WM_CONTEXTMENU, 1));
  HWND menu = nullptr;
  if (!waitFor([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); },
               5s)) {
    return failed("no tray menu");
  }
  Sleep(300);  // the menu's own fade-in
  if (!picture(("tray-menu" + t.suffix).c_str(), menu)) return false;
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  return waitFor([&] { return !IsWindowVisible(menu); }, 5s);
}

bool shoot(const Texts& t) {
  const bool japanese = t.suffix.empty();
  store::reset();
  store::set(L"Main", L"Language", t.language);
  store::set(L"Main", L"WindowList0", L"Notepad");
  store::set(L"Main", L"WindowList1", L"ConsoleWindowClass");
  store::set(L"Main", L"Alarm", L"1");
  store::set(L"Main", L"AlarmTime", L"06:18");
  TestWindow editor(L"KivoShotsEditor", L"メモ - 予定.txt");
  KivoProcess kivo;
  if (!editor.frontUntil([&] { return decoratedLeft(editor.text(), L"メモ - 予定.txt", L" = "); },
                         kStartUp)) {
    return failed("no clock in the editor's title");
  }
  if (japanese && !picture("decorated-title", editor.hwnd())) return false;

  // The second start brings up the main window.
  {
    KivoProcess second;
    second.waitExit(10s);
  }
  const HWND main = kivo.mainWindow();
  if (!main || !waitFor([&] { return IsWindowVisible(main) != FALSE; }, 5s)) {
    return failed("the main window did not come up");
  }
  if (!picture(("main-window" + t.suffix).c_str(), main)) return false;

  click(findControl(main, t.settingsButton));
  HWND settings = nullptr;
  if (!waitFor(
          [&] {
            return (settings = kivo.formWindow(t.settingsCaption)) && IsWindowVisible(settings);
          },
          5s)) {
    return failed("no settings dialog");
  }
  if (!picture(("settings-dialog" + t.suffix).c_str(), settings)) return false;
  click(findControl(settings, L"Cancel"));
  waitFor([&] { return !IsWindowVisible(settings) || !IsWindow(settings); }, 5s);

  click(findControl(main, t.listButton));
  HWND list = nullptr;
  if (!waitFor([&] { return (list = kivo.formWindow(t.listCaption)) && IsWindowVisible(list); },
               5s)) {
    return failed("no window-list dialog");
  }
  if (!picture(("window-list-dialog" + t.suffix).c_str(), list)) return false;
  click(findControl(list, L"OK"));
  waitFor([&] { return !IsWindowVisible(list) || !IsWindow(list); }, 5s);
  if (!trayMenu(t)) return false;
  if (!japanese) {
    PostMessageW(kivo.mainWindow(), WM_CLOSE, 0, 0);
    return kivo.waitExit(10s);
  }

  // Back to the editor, which keeps the front until the alarm goes off at
  // 06:18.
  if (!editor.frontUntil([&] { return decoratedLeft(editor.text(), L"メモ - 予定.txt", L" = "); },
                         5s)) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::fprintf(stderr, "kivo-shots-win32: at %02d:%02d:%02d\n", now.wHour, now.wMinute,
                 now.wSecond);
    return failed("the editor lost its clock");
  }
  HWND box = nullptr;
  if (!waitFor([&] { return (box = kivo.messageBox(L"Alarm - Kivo")) != nullptr; }, 60s)) {
    return failed("no alarm box");
  }
  waitFor([&] { return IsWindowVisible(box) && findControl(box, L"時間だよ(^^)"); }, 5s);
  if (!picture("alarm-box", box)) return false;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  waitFor([&] { return !IsWindow(box); }, 5s);
  PostMessageW(kivo.mainWindow(), WM_CLOSE, 0, 0);
  return kivo.waitExit(10s);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 && !(argc == 3 && std::wstring(argv[2]) == L"en")) {
    std::fprintf(stderr, "usage: kivo-shots-win32 DIR [en]\n");
    return 2;
  }
  dir = argv[1];
  return shoot(argc == 3 ? kEnglish : kJapanese) ? 0 : 1;
}
