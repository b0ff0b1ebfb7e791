// The window-list dialog.
#include "ui/window_list_dialog.h"

#include <cstdint>
#include <string>

#include "platform/text.h"
#include "settings/settings_save.h"
#include "ui/refused_save_box.h"

namespace kivo {

namespace {

constexpr const char* kBoxTitle = "あの子嫌い";
constexpr int kBoxStyle = kMbOkOnly | kMbIconInformation | kMbSystemModal;
constexpr const char* kListFull = "これ以上嫌いな子をつくっちゃだめよっ";
constexpr int kListSize = static_cast<int>(kWindowListSize);

}  // namespace

WindowListDialog::WindowListDialog(WindowContext context)
    : Form(context.toolkit, "frmWSet", context.texts("あの子嫌い！"), 4572, 1992,
           BorderStyle::FixedDialog),
      cx_(context) {
  caption = &add<Label>("lblWSet", -1, cx_.texts("名簿(&L)"), Twips{180, 180, 1032, 252});
  list = &add<ListBox>("lstWSet", -1, "", Twips{120, 480, 2652, 816});
  buttons[Tail] =
      &add<CommandButton>("cmdWSet", 0, cx_.texts("尾行開始っ(&F)"), Twips{2880, 300, 1572, 432});
  buttons[Remove] =
      &add<CommandButton>("cmdWSet", 1, cx_.texts("あきらめる(&G)"), Twips{2880, 840, 1572, 432});
  buttons[OkButton] = &add<CommandButton>("cmdWSet", 2, "OK", Twips{1500, 1440, 1632, 432});
  buttons[OkButton]->setDefault(true);
  tailTimer = &add<Timer>("tmrWSet", -1, "", Twips{});
  tailTimer->setInterval(5250);
  tailTimer->setEnabled(false);

  buttons[Tail]->onClick = [this] { startTail(); };
  buttons[Remove]->onClick = [this] { removeSelected(); };
  buttons[OkButton]->onClick = [this] {
    saveList();
    unload();
  };
  tailTimer->onTimer = [this] { finishTail(); };
}

// The rows show the entries in use.
void WindowListDialog::onLoad() {
  const WindowList& windowList = cx_.settings.windowList;
  for (int i = 0; i < windowList.count && i < kListSize; ++i)
    list->setRow(i, windowList.classes[i]);
}

// Every size change (first showing, minimising for a tail, restoring after
// it) puts the dialog back on top and in front.
void WindowListDialog::onResize() { raiseWindow(cx_.windows, hwnd(), kHwndTopmost, true); }

void WindowListDialog::startTail() {
  // Out of the way, so the user can bring the window to tail to the front;
  // the timer takes whatever is in front when it fires.
  if (list->listCount() < kListSize) {
    setWindowState(WindowState::Minimized);
    tailTimer->setEnabled(true);
  } else {
    tailTimer->setEnabled(false);
    cx_.toolkit.messageBox(hwnd(), cx_.texts(kListFull), cx_.texts(kBoxTitle), kBoxStyle);
  }
}

void WindowListDialog::removeSelected() {
  const int k = list->listIndex();
  if (k < 0 || k >= kListSize) return;
  forgetHiddenEntries();
  auto& classes = cx_.settings.windowList.classes;
  for (int i = k + 1; i < kListSize; ++i) classes[i - 1] = classes[i];
  classes[kListSize - 1].clear();
  list->removeItem(k);
}

void WindowListDialog::finishTail() {
  tailTimer->setEnabled(false);
  // Taken before restoring: restoring brings this dialog to the front.
  const Hwnd target = cx_.windows.getForegroundWindow();
  setWindowState(WindowState::Normal);
  std::string name;
  const int copied = cx_.windows.getClassName(target, name, kClassNameBufferChars);
  name = std::string(text::cutAtNul(name));
  if (copied == 0) {
    cx_.toolkit.messageBox(hwnd(), cx_.texts("失敗しちゃった"), cx_.texts(kBoxTitle), kBoxStyle);
    return;
  }
  forgetHiddenEntries();
  auto& classes = cx_.settings.windowList.classes;
  int entry = -1;
  for (int i = 0; i < kListSize && entry < 0; ++i) {
    if (classes[i].empty()) entry = i;
  }
  // Tailing starts only with a free row, so a free entry is always there;
  // should the list fill up meanwhile, refuse rather than write past its end.
  if (entry < 0) {
    cx_.toolkit.messageBox(hwnd(), cx_.texts(kListFull), cx_.texts(kBoxTitle), kBoxStyle);
    return;
  }
  classes[entry] = name;
  list->setRow(entry, name);
  cx_.toolkit.messageBox(hwnd(), cx_.texts("名簿に登録しました"), cx_.texts(kBoxTitle), kBoxStyle);
}

// The store keeps an unbroken run from WindowList0: the entries up to the
// first empty one, and that one's key removed. Removing a missing key is an
// error in the store, so the key is written first. A store that refuses is
// told in a box of its own; the list stays in effect either way.
void WindowListDialog::saveList() {
  WindowList& windowList = cx_.settings.windowList;
  forgetHiddenEntries();
  SettingsSave save(cx_.store, "the window list");
  for (int i = 0; i < kListSize; ++i) {
    if (windowList.classes[i].empty()) {
      if (i == 0) windowList.count = 0;
      save.text(keys::WindowList[i], "1");
      save.remove(keys::WindowList[i]);
      break;
    }
    windowList.count = static_cast<std::uint8_t>(i + 1);
    list->setRow(i, windowList.classes[i]);
    save.text(keys::WindowList[i], windowList.classes[i]);
  }
  tellIfRefused(cx_.toolkit, hwnd(), save);
}

// Loading the list stops at the first empty key and leaves the entries after
// it as an earlier opening left them, so an entry can be in memory with no
// row for it. The rows are what the user sees and edits: an entry past the
// last row is free. Without this, a removal would shift such a hidden entry
// into view of the next save, and a tail would find no free entry or one
// past the end of the rows.
void WindowListDialog::forgetHiddenEntries() {
  auto& classes = cx_.settings.windowList.classes;
  for (int i = list->listCount(); i < kListSize; ++i) classes[i].clear();
}

}  // namespace kivo
