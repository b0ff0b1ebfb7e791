// The general module: window-list and plug-in loaders, the foreground class name, raising a window.
#include "engine/mdlKivo.h"

#include "engine/program.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "settings/frmWSet.h"
#include "settings/layout.h"

namespace kivo {

void LoadWindowList(Kivo& app) {
  EngineState& s = app.s;
  for (std::size_t i = 0; i < s.strWindowList.size(); ++i) {
    s.strWindowList[i] = readText(app.p.store, keys::WindowList[i]);
    if (s.strWindowList[i].empty()) {
      // The stored list is an unbroken run: nothing after the first gap counts.
      if (i == 0) s.bytWListCount = 0;
      break;
    }
    s.bytWListCount = static_cast<std::uint8_t>(i + 1);
    app.wset().lstWSet->setRow(static_cast<int>(i), s.strWindowList[i]);
  }
}

PlugInFlagsRecord LoadPlugIns(Kivo& app) {
  PlugInFlagsRecord r;
  r.Vudadiz = readByte(app.p.store, keys::Vudadiz);
  r.KivoTT = readByte(app.p.store, keys::KivoTT);
  r.KivoXX = readByte(app.p.store, keys::KivoXX);
  return r;
}

std::string GetForegroundCN(Kivo& app) {
  constexpr int kBufferChars = 255;
  std::string result;
  Trap trap(app.p.toolkit, app.p.program, "mdlPub!GetForegroundCN");
  trap([&] {
    std::string buffer;
    const int n = app.p.windows.getClassName(app.s.hActiveWnd, buffer, kBufferChars);
    if (n == 0) return;
    // The buffer holds 255 characters with its terminating NUL, whatever the
    // backend hands back.
    result = text::left(text::cutAtNul(buffer), kBufferChars - 1);
  });
  return result;
}

void ShowWindowOnTop(Platform& p, Hwnd hWnd, Hwnd hWndInsertAfter, std::int32_t flag) {
  p.windows.setWindowPos(hWnd, hWndInsertAfter, 0, 0, 0, 0,
                         kSwpNoSize | kSwpNoMove | kSwpShowWindow);
  if (flag == 1) p.windows.setForegroundWindow(hWnd);
}

}  // namespace kivo
