#pragma once
// The Win32 toolkit: forms as real top-level windows of class
// kFormWindowClass with standard child controls, timers, message boxes, the
// message loops (main, modal, DoEvents) and the screen's metrics.
//
// One toolkit per process, on the thread that runs the program's windows.
// The implementation is split by concern: win32_toolkit.cpp (loops, boxes,
// timers, quit, screen), win32_forms.cpp (form windows), win32_controls.cpp
// (child controls and their layout), win32_controls_keys.cpp (access keys
// several controls share) and win32_fonts.cpp (fonts).

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/forms.h"

namespace kivo::win32 {

class Win32Toolkit : public Toolkit {
 public:
  // `instance` is the module whose icon resource 1 is the program's icon.
  explicit Win32Toolkit(HINSTANCE instance);
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  // MessageBoxW with exactly this style and owner; the box's own loop keeps
  // the timers firing. After quit() no box is shown: 0 at once.
  int messageBox(Hwnd owner, const std::string& text, const std::string& title, int style) override;
  // Dispatches every pending message (with the dialog manager's keys) until
  // the queue is empty; never waits.
  void doEvents() override;
  int screenWidthTwips() override;
  int screenHeightTwips() override;
  // 1440 / the screen's logical dots per inch, rounded.
  int twipsPerPixelX() override;
  int twipsPerPixelY() override;
  void attachForm(Form& form) override;
  void detachForm(Form& form) override;
  void formChanged(Form& form, std::uint32_t what) override;
  void controlChanged(Control& control, std::uint32_t what) override;
  // Disables the owner (one of the program's forms, or 0) while the form's
  // own loop runs, until the form has closed or quit() was called; then
  // enables the owner again and brings it back to the front when shown.
  void runModal(Form& form, Hwnd owner) override;
  void timerChanged(Timer& timer) override;
  void quit() override;
  // An icon in the taskbar's notification area (win32_tray.h).
  std::unique_ptr<TrayIcon> createTrayIcon() override;

  // The program's main loop: returns 0 once quit() has been called (at
  // once when it already was).
  int run();
  bool quitRequested() const { return quit_; }

  // Called once when the session ends (WM_ENDSESSION with TRUE to any form
  // window; the query before it only agrees, since another program may
  // still cancel the logout) and when a WM_QUIT the program did not post
  // reaches one of its loops: the program restores what it changed and
  // quits from here. Without it, or when it does not quit, the toolkit quits.
  std::function<void()> onEndSession;

  // The native windows, for tests and diagnostics; nullptr when there is none.
  HWND windowOf(const Form& form) const;
  HWND windowOf(const Control& control) const;
  // The face a FontSpec is drawn with on this machine: the font's own face
  // when installed with the font's character set, else the first of
  // kFontFallbacks that is, else any face that has that character set.
  std::wstring resolvedFace(const FontSpec& font);

 private:
  struct ControlWin {
    Control* control;
    HWND hwnd;
    int id;
  };
  struct FormWin {
    Form* form;
    HWND hwnd;
    int dpi;  // the dots per inch its layout and fonts are made for
    std::vector<ControlWin> controls;
  };
  struct Modal {
    Form* form;
    HWND owner;
  };

  // win32_toolkit.cpp
  bool dialogMessage(MSG& msg);
  // Dispatches one message taken from the queue; false for WM_QUIT.
  bool dispatch(MSG& msg);
  void foreignQuit();
  void endSession();
  void killTimer(Timer& timer);
  void fireTimer(UINT_PTR id);
  // An exception thrown by a handler inside a window procedure is carried
  // across the system's frames and thrown again by the loop that
  // dispatched the message.
  void keep(std::exception_ptr e);
  void rethrowKept();
  static LRESULT CALLBACK messageWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  int screenDpiX() const;
  int screenDpiY() const;

  // win32_forms.cpp
  void registerFormClass();
  static LRESULT CALLBACK formWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT formMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void command(FormWin& fw, WPARAM wp, LPARAM lp);
  // The model follows what the system did to the window (not a push).
  void syncFromWindow(HWND hwnd);
  void pushFormVisible(FormWin& fw);
  void pushFormState(FormWin& fw);
  void pushFormPosition(FormWin& fw);
  void setFormIcon(FormWin& fw);
  void dpiChanged(FormWin& fw, int dpi, const RECT& suggested);
  FormWin* formWin(HWND hwnd);
  FormWin* formWin(const Form& form);
  const FormWin* formWin(const Form& form) const;
  bool behindModal(const Form& form) const;

  // win32_controls.cpp
  void createControls(FormWin& fw);
  void layoutControls(FormWin& fw);
  void placeControl(FormWin& fw, ControlWin& cw);
  void pushControl(FormWin& fw, ControlWin& cw, std::uint32_t what);
  void pushEffectiveState(FormWin& fw, const Control& changed);
  void updateRadioTabStops(FormWin& fw, const Control* container);
  ControlWin* controlWin(FormWin& fw, int id);
  ControlWin* controlWin(FormWin& fw, const Control& control);
  void controlNotified(FormWin& fw, ControlWin& cw, int code);
  void pushValue(ControlWin& cw);

  // win32_controls_keys.cpp
  // An access key that several reachable controls share: the focus moves to
  // the next of them, none is clicked. False for any other message.
  bool sharedAccessKey(FormWin& fw, const MSG& msg);

  // win32_fonts.cpp
  HFONT font(const FontSpec& wanted, int dpi);
  bool faceInstalled(const std::wstring& face, int charset);

  HINSTANCE instance_;
  HWND messageWindow_ = nullptr;
  std::map<HWND, std::unique_ptr<FormWin>> forms_;
  std::vector<Modal> modal_;
  std::map<UINT_PTR, Timer*> timers_;  // running timers by their id
  UINT_PTR nextTimerId_ = 1;
  // Non-zero while the toolkit pushes the model into a window: whatever the
  // window reports then is the push, not the user.
  int pushing_ = 0;
  bool quit_ = false;
  bool sessionEnded_ = false;
  std::exception_ptr kept_;
  struct FontKey {
    FontSpec font;
    int dpi;
    bool operator<(const FontKey& o) const;
  };
  std::map<FontKey, HFONT> fonts_;
  std::map<std::pair<std::wstring, int>, bool> installed_;
  HICON bigIcon_ = nullptr, smallIcon_ = nullptr;  // shared: never destroyed
};

}  // namespace kivo::win32
