#pragma once
// The portable forms model: forms and the controls (ui/controls.h) the
// program's three windows use. A backend renders a form by walking its
// controls and converting twips to pixels with the screen's twips per pixel.
//
// What the model promises a backend (the Toolkit of platform/platform.h):
//
// View. Form::load calls Toolkit::attachForm once the form and all its
// controls exist; the backend builds the whole view, hidden, from the model
// as it stands then, and gives the form its handle. Nothing is reported
// before that. The form's size, border, font and icon and the controls'
// kinds, layout, group and tab order never change after it. Unloading calls
// Toolkit::detachForm; nothing is reported after that either.
//
// Change reports. While the form is loaded, every setter that really
// changes something reports it at once, naming what changed:
// Toolkit::controlChanged(control, bits) with exactly the ControlChange bits
// of that control that changed, Toolkit::formChanged(form, bits) with
// exactly the FormChange bits. A setter that leaves everything as it was
// reports nothing. One call may change several controls (selecting an
// option button clears the one selected before): each is reported on its
// own. The report comes after the model holds the new state and before any
// handler the change fires, so a handler's own changes are reported after
// it. Timers have no view: their changes go to Toolkit::timerChanged. A
// backend reads the reported parts from the model and pushes only those
// into its widgets, with the widgets' notifications suppressed: a push
// never comes back as user input.
//
// User input. What the user does reaches the model only through the user
// entry points: Control::userClick (check box, option button, command
// button), TextBox::userType, ListBox::userSelect, Form::nativeStateChanged,
// Form::nativeMoved and Form::userClose. Each changes the model exactly as
// code does and fires the same handlers, once; its changes are reported
// like any other, so the widget ends showing what the model holds (typing
// cut to the length limit, say). The control entry points refuse input
// (return false, change nothing, fire nothing) to a control that is
// disabled or hidden, or inside a disabled or hidden frame; a backend keeps
// such widgets out of the user's reach as well.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/controls.h"

namespace kivo {

// Every window of the program's forms has this class; a second start finds
// the running instance's main window by it.
inline constexpr const char* kFormWindowClass = "ThunderRT5Form";

// The icon a form's window carries, as an identifier each backend maps to
// its own resource (Win32: the icon resource of that number).
using IconId = int;
inline constexpr IconId kNoIcon = 0;
inline constexpr IconId kProgramIcon = 1;

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };
enum class BorderStyle { FixedSingle, FixedDialog };

class Form {
 public:
  Form(Toolkit& toolkit, std::string name, std::string caption, int clientWidth, int clientHeight,
       BorderStyle border);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Toolkit& toolkit() const { return toolkit_; }
  const std::string& name() const { return name_; }
  BorderStyle borderStyle() const { return border_; }
  // The font of the caption bar and the font each control starts with.
  const FontSpec& font() const { return font_; }
  IconId icon() const { return icon_; }

  // Loads the form: creates its native view (hidden) and runs onLoad.
  void load();
  bool loaded() const { return loaded_; }
  // Runs onUnload, destroys the view; the form is closed from then on.
  void unload();
  bool closed() const { return closed_; }

  Hwnd hwnd() const { return hwnd_; }
  void setHwnd(Hwnd h) { hwnd_ = h; }  // the backend's view handle

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  // Outer size and position in twips.
  int left() const { return left_; }
  int top() const { return top_; }
  int width() const { return width_; }
  int height() const { return height_; }
  int clientWidth() const { return clientWidth_; }
  int clientHeight() const { return clientHeight_; }
  void move(int left, int top);
  void setLeft(int left) { move(left, top_); }

  bool visible() const { return visible_; }
  void show();  // loads if needed; the first showing fires onResize
  void hide();
  WindowState windowState() const { return state_; }
  // A change fires onResize.
  void setWindowState(WindowState state);
  // Shows the form modally over `owner` (the window whose handler opens it;
  // 0: none) and returns when it has been unloaded.
  void showModal(Hwnd owner);

  // User entry points of the window itself. The backend reports a change
  // made outside the program's code (the user, the window manager, another
  // process): the model follows, and a state change or the first showing
  // fires onResize.
  void nativeStateChanged(WindowState state, bool visible);
  void nativeMoved(int left, int top);
  // The close box (or Alt+F4): unloads the form as the classic close does,
  // onUnload included. False when the form is not loaded.
  bool userClose();

  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  Control* find(const std::string& name, int index = -1) const;
  // Controls in tab order.
  std::vector<Control*> tabOrder() const;
  CommandButton* defaultButton() const;
  CommandButton* cancelButton() const;
  std::vector<Timer*> timers() const;

  // Events of the window itself, for the program's windows to handle.
  virtual void onLoad() {}
  virtual void onResize() {}
  virtual void onUnload() {}

 protected:
  // Adds a control; the tab index is the order of adding (timers excluded).
  template <class T>
  T& add(std::string name, int index, std::string caption, Twips layout,
         Control* container = nullptr) {
    auto c = std::make_unique<T>(*this, kindOf<T>(), std::move(name), index, std::move(caption),
                                 layout, container);
    T& ref = *c;
    adopt(std::move(c));
    return ref;
  }
  // Part of the design: set in the form's constructor, before it is loaded.
  void setIcon(IconId icon) { icon_ = icon; }

 private:
  friend class Control;
  template <class T>
  static constexpr ControlKind kindOf();
  void adopt(std::unique_ptr<Control> c);
  void changed(std::uint32_t what);
  void updateOuterSize();
  // Stops the timers and drops the view; onUnload has run (or cannot).
  void finishUnload();

  Toolkit& toolkit_;
  std::string name_;
  std::string caption_;
  BorderStyle border_;
  FontSpec font_;
  IconId icon_ = kNoIcon;
  int clientWidth_, clientHeight_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = false;
  bool shownOnce_ = false;
  bool loaded_ = false;
  bool closed_ = false;
  bool unloading_ = false;
  WindowState state_ = WindowState::Normal;
  Hwnd hwnd_ = 0;
  int nextTab_ = 0;
  std::vector<std::unique_ptr<Control>> controls_;
};

template <>
constexpr ControlKind Form::kindOf<Frame>() {
  return ControlKind::Frame;
}
template <>
constexpr ControlKind Form::kindOf<Label>() {
  return ControlKind::Label;
}
template <>
constexpr ControlKind Form::kindOf<CheckBox>() {
  return ControlKind::CheckBox;
}
template <>
constexpr ControlKind Form::kindOf<OptionButton>() {
  return ControlKind::OptionButton;
}
template <>
constexpr ControlKind Form::kindOf<CommandButton>() {
  return ControlKind::CommandButton;
}
template <>
constexpr ControlKind Form::kindOf<TextBox>() {
  return ControlKind::TextBox;
}
template <>
constexpr ControlKind Form::kindOf<ListBox>() {
  return ControlKind::ListBox;
}
template <>
constexpr ControlKind Form::kindOf<Timer>() {
  return ControlKind::Timer;
}

}  // namespace kivo
