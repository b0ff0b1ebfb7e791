// The window-list dialog: the classes whose windows get no clock, registered by tailing a window.

#include "settings/frmWSet.h"

#include <cstdint>
#include <string>

#include "engine/mdlKivo.h"
#include "engine/program.h"
#include "platform/text.h"
#include "settings/layout.h"
#include "settings/settings_save.h"

namespace kivo {

frmWSet::frmWSet(Kivo& app)
    : Form(app.p.toolkit, "frmWSet", "あの子嫌い！", 4572, 1992, BorderStyle::FixedDialog),
      app_(app) {
  lblWSet = &add<Label>("lblWSet", -1, "名簿(&L)", Twips{180, 180, 1032, 252});
  lstWSet = &add<ListBox>("lstWSet", -1, "", Twips{120, 480, 2652, 816});
  cmdWSet[0] = &add<CommandButton>("cmdWSet", 0, "尾行開始っ(&F)", Twips{2880, 300, 1572, 432});
  cmdWSet[1] = &add<CommandButton>("cmdWSet", 1, "あきらめる(&G)", Twips{2880, 840, 1572, 432});
  cmdWSet[2] = &add<CommandButton>("cmdWSet", 2, "OK", Twips{1500, 1440, 1632, 432});
  cmdWSet[2]->setDefault(true);
  tmrWSet = &add<Timer>("tmrWSet", -1, "", Twips{});
  tmrWSet->setInterval(5250);
  tmrWSet->setEnabled(false);

  for (int i = 0; i < 3; ++i) cmdWSet[i]->onClick = [this, i] { cmdWSet_Click(i); };
  tmrWSet->onTimer = [this] { tmrWSet_Timer(); };
}

namespace {

constexpr const char* kBoxTitle = "あの子嫌い";
constexpr int kBoxStyle = kMbOkOnly | kMbIconInformation | kMbSystemModal;
constexpr const char* kListFull = "これ以上嫌いな子をつくっちゃだめよっ";

}  // namespace

// Every size change (first showing, minimising for a tail, restoring after
// it) puts the dialog back on top and in front.
void frmWSet::Form_Resize() { ShowWindowOnTop(app_.p, hwnd(), kHwndTopmost, 1); }

void frmWSet::cmdWSet_Click(int index) {
  EngineState& s = app_.s;
  switch (index) {
    case 0:
      // Out of the way, so the user can bring the window to tail to the
      // front; the timer takes whatever is in front when it fires.
      if (lstWSet->listCount() < 3) {
        setWindowState(WindowState::Minimized);
        tmrWSet->setEnabled(true);
      } else {
        tmrWSet->setEnabled(false);
        app_.p.toolkit.messageBox(hwnd(), kListFull, kBoxTitle, kBoxStyle);
      }
      break;
    case 1: {
      const int k = lstWSet->listIndex();
      if (k < 0 || k > 2) break;
      ForgetHiddenEntries();
      s.strWindowList[k].clear();
      if (k == 0 || k == 1) {
        for (int i = k + 1; i <= 2; ++i) s.strWindowList[i - 1] = s.strWindowList[i];
        s.strWindowList[2].clear();
      }
      lstWSet->removeItem(k);
      break;
    }
    case 2:
      SaveWindowList();
      unload();
      break;
    default: break;
  }
}

void frmWSet::tmrWSet_Timer() {
  Platform& p = app_.p;
  EngineState& s = app_.s;
  tmrWSet->setEnabled(false);
  // Taken before restoring: restoring brings this dialog to the front.
  const Hwnd target = p.windows.getForegroundWindow();
  setWindowState(WindowState::Normal);
  std::string name;
  const int copied = p.windows.getClassName(target, name, 257);
  name = std::string(text::cutAtNul(name));
  if (copied == 0) {
    p.toolkit.messageBox(hwnd(), "失敗しちゃった", kBoxTitle, kBoxStyle);
    return;
  }
  ForgetHiddenEntries();
  int entry = -1;
  for (int i = 0; i <= 2; ++i) {
    if (s.strWindowList[i].empty()) {
      entry = i;
      break;
    }
  }
  // Tailing starts only with fewer than three rows, so a free entry is
  // always there; should the list fill up meanwhile, refuse rather than
  // write past its end.
  if (entry < 0) {
    p.toolkit.messageBox(hwnd(), kListFull, kBoxTitle, kBoxStyle);
    return;
  }
  s.strWindowList[entry] = name;
  lstWSet->setRow(entry, name);
  p.toolkit.messageBox(hwnd(), "名簿に登録しました", kBoxTitle, kBoxStyle);
}

// The store keeps an unbroken run from WindowList0: the entries up to the
// first empty one, and that one's key removed. Removing a missing key is an
// error in the store, so the key is written first. A store that refuses is
// told in a box of its own; the list stays in effect either way.
void frmWSet::SaveWindowList() {
  EngineState& s = app_.s;
  ForgetHiddenEntries();
  SettingsSave save(app_.settings(), "the window list");
  for (int i = 0; i <= 2; ++i) {
    if (s.strWindowList[i].empty()) {
      if (i == 0) s.bytWListCount = 0;
      save.text(keys::WindowList[i], "1");
      save.remove(keys::WindowList[i]);
      break;
    }
    s.bytWListCount = static_cast<std::uint8_t>(i + 1);
    lstWSet->setRow(i, s.strWindowList[i]);
    save.text(keys::WindowList[i], s.strWindowList[i]);
  }
  save.finish(app_.p.toolkit, hwnd());
}

// Loading the list stops at the first empty key and leaves the entries after
// it as an earlier opening left them, so an entry can be in memory with no
// row for it. The rows are what the user sees and edits: an entry past the
// last row is free. Without this, a removal would shift such a hidden entry
// into view of the next save, and a tail would find no free entry or one
// past the end of the rows.
void frmWSet::ForgetHiddenEntries() {
  EngineState& s = app_.s;
  for (int i = lstWSet->listCount(); i <= 2; ++i) s.strWindowList[i].clear();
}

}  // namespace kivo
