// The toolkit contract suite's rig for Win32 under Wine: the windows read
// back into views, the user's clicks, typing and keys as the messages a
// user's input makes.
#include "platform/utf16.h"
#include "tests/contract/toolkit_contract.h"
#include "tests/wine/toolkit/toolkit_rig.h"

namespace kivo::contract {
namespace {

class Win32ToolkitRig : public ToolkitRig {
 public:
  Toolkit& toolkit() override { return tk_; }
  std::optional<NativeForm> read(const Form& form) override {
    return win32::test::readForm(tk_, form);
  }
  std::vector<std::string> clipped(const Form& form) override {
    return win32::test::clippedCaptions(tk_, form);
  }

  void click(Control& c) override { SendMessageW(tk_.windowOf(c), BM_CLICK, 0, 0); }
  void type(TextBox& box, const std::string& text) override {
    // Text set from outside is typing, as the edit control reports it.
    SetWindowTextW(tk_.windowOf(box), text::toWide(text).c_str());
  }
  void select(ListBox& list, int row) override {
    const HWND h = tk_.windowOf(list);
    const int rowHeight = static_cast<int>(SendMessageW(h, LB_GETITEMHEIGHT, 0, 0));
    const LPARAM at = MAKELPARAM(4, rowHeight * row + rowHeight / 2);
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(h, WM_LBUTTONUP, 0, at);
  }
  void press(Control& at, char key) override {
    const HWND h = tk_.windowOf(at);
    if (key == '\r' || key == '\x1b') {
      PostMessageW(h, WM_KEYDOWN, key == '\r' ? VK_RETURN : VK_ESCAPE, 0);
    } else {
      PostMessageW(h, WM_SYSCHAR, static_cast<WPARAM>(key), 1 << 29);
    }
    // Through the dialog manager in the toolkit's pump.
    tk_.doEvents();
  }
  void close(Form& form) override { SendMessageW(tk_.windowOf(form), WM_CLOSE, 0, 0); }
  void setState(Form& form, WindowState state) override {
    ShowWindow(tk_.windowOf(form), state == WindowState::Minimized   ? SW_MINIMIZE
                                   : state == WindowState::Maximized ? SW_MAXIMIZE
                                                                     : SW_RESTORE);
  }
  bool reachable(const Form& form) override {
    const HWND h = tk_.windowOf(form);
    return h && IsWindowVisible(h) && IsWindowEnabled(h);
  }
  void focus(Control& c) override { SetFocus(tk_.windowOf(c)); }
  bool hasFocus(const Control& c) override { return tk_.windowOf(c) == GetFocus(); }

  int run() override { return tk_.run(); }
  bool pumpUntil(const std::function<bool()>& condition,
                 std::chrono::milliseconds deadline) override {
    return win32::test::pumpUntil(tk_, condition, deadline);
  }

 private:
  win32::Win32Toolkit tk_{GetModuleHandleW(nullptr)};
};

}  // namespace

std::unique_ptr<ToolkitRig> makeToolkitRig() { return std::make_unique<Win32ToolkitRig>(); }

}  // namespace kivo::contract
