#pragma once
// The controls of the portable forms model (the form and the contract with
// the backends are in ui/forms.h): their layout in twips, captions, fonts,
// values and the user entry points through which native input arrives.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace kivo {

enum class ControlKind {
  Frame,
  OptionButton,
  CheckBox,
  CommandButton,
  TextBox,
  Label,
  ListBox,
  Timer
};

// left, top, width, height in twips, relative to the container.
struct Twips {
  int left = 0, top = 0, width = 0, height = 0;
};

// The font of all three windows: the Japanese proportional Gothic of the
// systems the program was made for, written with full-width letters as the
// font calls itself, in the Shift-JIS character set.
inline constexpr std::string_view kFontFace = "ＭＳ Ｐゴシック";
inline constexpr int kFontPoints = 9;
inline constexpr int kCharsetShiftJis = 128;
// Faces a backend tries, in this order, where that font is not installed:
// its English name first (some systems register only that), then the
// nearest Japanese UI faces of later Windows, then those of Linux desktops.
inline constexpr std::array<std::string_view, 8> kFontFallbacks{
    "MS PGothic",       "MS UI Gothic", "Yu Gothic UI", "Meiryo UI",
    "Noto Sans CJK JP", "IPAPGothic",   "VL PGothic",   "Droid Sans Fallback"};

// A font as the window designs give it; the defaults are the program's font.
struct FontSpec {
  std::string face{kFontFace};
  int points = kFontPoints;
  bool bold = false;
  int charset = kCharsetShiftJis;
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
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
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  // A control takes its form's font when it is added.
  const FontSpec& font() const { return font_; }
  void setFont(FontSpec font);
  // Enabled (visible), and so are the frames around it: what the user sees
  // of the control, since a disabled or hidden frame takes its contents
  // with it. Every backend shows these, never the control's own flags.
  bool effectivelyEnabled() const;
  bool effectivelyVisible() const;
  // Effectively enabled and visible: user input reaches it.
  bool acceptsInput() const { return effectivelyEnabled() && effectivelyVisible(); }

  // A user's click, as the native widget reports it. Refused (false, nothing
  // changes) when the control does not accept input or takes no clicks.
  virtual bool userClick() { return false; }

 protected:
  // Reports the change to the toolkit while the form has a view.
  void changed(std::uint32_t what);

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
  bool visible_ = true;
  FontSpec font_;
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
  // Checked becomes unchecked, anything else checked.
  bool userClick() override;
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
  // Selects the button.
  bool userClick() override;
  std::function<void()> onClick;

 private:
  bool value_ = false;
};

class CommandButton : public Control {
 public:
  using Control::Control;
  bool isDefault() const { return default_; }
  bool isCancel() const { return cancel_; }
  // Which button Enter and Esc press: part of the design, fixed before the
  // form is loaded.
  void setDefault(bool v) { default_ = v; }
  void setCancel(bool v) { cancel_ = v; }
  // Fires onClick (the Value = True of code).
  void click();
  bool userClick() override;
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
  // Refused when the box does not accept input.
  bool userType(const std::string& text);
  int maxLength() const { return maxLength_; }  // 0: no limit
  void setMaxLength(int n);

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
  // A user's selection of row i. Refused when the list does not accept
  // input or has no such row (a user cannot select nothing).
  bool userSelect(int i);

 private:
  std::vector<std::string> rows_;
  int listIndex_ = -1;
};

// A timer whose handler never nests: a firing while the previous run has not
// returned is dropped. Timers have no view: their changes go to
// Toolkit::timerChanged, never to controlChanged.
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

}  // namespace kivo
