#pragma once
// The portable forms model: forms and the controls the program's three
// windows use, with their layout in twips, captions, tab order and group
// index. Backends render a form by walking its controls; user input reaches
// the model through the same setters code uses, so a value set from code
// fires the click handler exactly as a user's click does.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kivo {

enum class ControlKind { Frame, OptionButton, CheckBox, CommandButton, TextBox, Label, ListBox, Timer };

// left, top, width, height in twips, relative to the container.
struct Twips {
  int left = 0, top = 0, width = 0, height = 0;
};

class Form;

class Control {
 public:
  Control(Form& form, ControlKind kind, std::string name, int index, std::string caption,
          Twips layout, Control* container);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Form& form() const { return form_; }
  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  int index() const { return index_; }  // -1 when not in an indexed group
  // "chkShow(5)", or the bare name outside a group.
  std::string id() const;
  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  const Twips& layout() const { return layout_; }
  Control* container() const { return container_; }  // frame, or nullptr for the form
  int tabIndex() const { return tabIndex_; }
  bool enabled() const { return enabled_; }
  virtual void setEnabled(bool enabled);
  // Enabled, and so are the frames around it: user input reaches it.
  bool acceptsInput() const;
  bool bold() const { return bold_; }
  void setBold(bool bold) { bold_ = bold; }

 protected:
  void changed();

 private:
  friend class Form;
  Form& form_;
  ControlKind kind_;
  std::string name_;
  int index_;
  std::string caption_;
  Twips layout_;
  Control* container_;
  int tabIndex_ = 0;
  bool enabled_ = true;
  bool bold_ = false;
};

class Frame : public Control {
 public:
  using Control::Control;
};

class Label : public Control {
 public:
  using Control::Control;
};

// 0 unchecked, 1 checked, 2 grayed.
class CheckBox : public Control {
 public:
  using Control::Control;
  int value() const { return value_; }
  // Any value other than 0, 1, 2 raises error 380 (invalid property value).
  // A change fires onClick.
  void setValue(int value);
  // A user's click: checked becomes unchecked, anything else checked.
  void userClick();
  std::function<void()> onClick;

 private:
  int value_ = 0;
};

// Option buttons sharing a container are mutually exclusive.
class OptionButton : public Control {
 public:
  using Control::Control;
  bool value() const { return value_; }
  // Selecting clears the other option buttons of the same container and
  // fires onClick when the button was not selected before.
  void setValue(bool value);
  // A user's click: only when the button, and the frames around it, are enabled.
  void userClick();
  std::function<void()> onClick;

 private:
  bool value_ = false;
};

class CommandButton : public Control {
 public:
  using Control::Control;
  bool isDefault() const { return default_; }
  bool isCancel() const { return cancel_; }
  void setDefault(bool v) { default_ = v; }
  void setCancel(bool v) { cancel_ = v; }
  // Fires onClick (the Value = True of code).
  void click();
  // A user's click: only when enabled.
  void userClick();
  std::function<void()> onClick;

 private:
  bool default_ = false;
  bool cancel_ = false;
};

class TextBox : public Control {
 public:
  using Control::Control;
  const std::string& text() const { return text_; }
  // Code may set any length; the limit applies to typing.
  void setText(std::string text);
  // A user's typing replaces the text, cut to maxLength characters.
  void userType(const std::string& text);
  int maxLength() const { return maxLength_; }  // 0: no limit
  void setMaxLength(int n) { maxLength_ = n; }

 private:
  std::string text_;
  int maxLength_ = 0;
};

class ListBox : public Control {
 public:
  using Control::Control;
  int listCount() const { return static_cast<int>(rows_.size()); }
  const std::vector<std::string>& rows() const { return rows_; }
  // Row i; writing row listCount() appends a row. Other indexes raise
  // error 381 (invalid property array index).
  void setRow(int i, const std::string& text);
  // Row i; past the last row the text is empty, a negative index raises 381.
  const std::string& row(int i) const;
  // A bad index raises error 5; removing the selected row deselects.
  void removeItem(int i);
  int listIndex() const { return listIndex_; }  // -1: none selected
  void setListIndex(int i);                     // -1 .. listCount()-1, else error 380

 private:
  std::vector<std::string> rows_;
  int listIndex_ = -1;
};

// A timer whose handler never nests: a firing while the previous run has not
// returned is dropped.
class Timer : public Control {
 public:
  using Control::Control;
  int interval() const { return interval_; }
  // 0 .. 65535, else error 380. A change restarts the count.
  void setInterval(int ms);
  void setEnabled(bool enabled) override;
  // Enabled with a non-zero interval on a loaded form: the toolkit runs it.
  bool active() const;
  // Runs onTimer unless a run is already in progress; returns whether it ran.
  bool fire();
  bool running() const { return running_; }
  std::function<void()> onTimer;

 private:
  int interval_ = 0;
  bool running_ = false;
};

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

  // Loads the form: creates its native view (hidden) and runs Form_Load.
  void load();
  bool loaded() const { return loaded_; }
  // Runs Form_Unload, destroys the view; the form is closed from then on.
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
  void show();  // loads if needed; the first showing fires Form_Resize
  void hide();
  WindowState windowState() const { return state_; }
  // A change fires Form_Resize.
  void setWindowState(WindowState state);
  // Shows the form modally and returns when it has been unloaded.
  void showModal();

  // The backend reports a change made outside the program's code (the user,
  // the window manager, another process): updates the model and fires
  // Form_Resize on a state change.
  void nativeStateChanged(WindowState state, bool visible);
  void nativeMoved(int left, int top);

  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
  Control* find(const std::string& name, int index = -1) const;
  // Controls in tab order.
  std::vector<Control*> tabOrder() const;
  CommandButton* defaultButton() const;
  CommandButton* cancelButton() const;
  std::vector<Timer*> timers() const;

  // Handlers, named as the program names them.
  virtual void Form_Load() {}
  virtual void Form_Resize() {}
  virtual void Form_Unload() {}

 protected:
  // Adds a control; the tab index is the order of adding (timers excluded).
  template <class T>
  T& add(std::string name, int index, std::string caption, Twips layout, Control* container = nullptr) {
    auto c = std::make_unique<T>(*this, kindOf<T>(), std::move(name), index, std::move(caption),
                                 layout, container);
    T& ref = *c;
    adopt(std::move(c));
    return ref;
  }

 private:
  friend class Control;
  template <class T>
  static constexpr ControlKind kindOf();
  void adopt(std::unique_ptr<Control> c);
  void changed();
  void updateOuterSize();
  // Stops the timers and drops the view; Form_Unload has run (or cannot).
  void finishUnload();

  Toolkit& toolkit_;
  std::string name_;
  std::string caption_;
  BorderStyle border_;
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

template <> constexpr ControlKind Form::kindOf<Frame>() { return ControlKind::Frame; }
template <> constexpr ControlKind Form::kindOf<Label>() { return ControlKind::Label; }
template <> constexpr ControlKind Form::kindOf<CheckBox>() { return ControlKind::CheckBox; }
template <> constexpr ControlKind Form::kindOf<OptionButton>() { return ControlKind::OptionButton; }
template <> constexpr ControlKind Form::kindOf<CommandButton>() { return ControlKind::CommandButton; }
template <> constexpr ControlKind Form::kindOf<TextBox>() { return ControlKind::TextBox; }
template <> constexpr ControlKind Form::kindOf<ListBox>() { return ControlKind::ListBox; }
template <> constexpr ControlKind Form::kindOf<Timer>() { return ControlKind::Timer; }

}  // namespace kivo
