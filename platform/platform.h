#pragma once
// The platform seam: every service the core uses, as abstract classes.
// The core includes only this header (and text.h / errors.h); backends
// implement it. Calls on a 0 or vanished window never throw and return
// the documented "nothing" results.
//
// Every count in the seam (text lengths, buffer sizes, maximum lengths) is
// in characters, that is Unicode code points of the UTF-8 text, never in
// bytes or UTF-16 units. Backends convert at the boundary (utf16.h).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kivo {

class Form;     // ui/forms.h: the portable forms model
class Control;  // ui/forms.h
class Timer;    // ui/forms.h

using Hwnd = std::uint32_t;  // 32-bit window handle, 0 = none

// Insert-after values of setWindowPos, as 32-bit handles.
inline constexpr Hwnd kHwndTop = 0;
inline constexpr Hwnd kHwndTopmost = 0xFFFFFFFFu;    // -1
inline constexpr Hwnd kHwndNoTopmost = 0xFFFFFFFEu;  // -2

// setWindowPos flags.
inline constexpr std::uint32_t kSwpNoSize = 0x0001;
inline constexpr std::uint32_t kSwpNoMove = 0x0002;
inline constexpr std::uint32_t kSwpShowWindow = 0x0040;

// showWindow commands.
inline constexpr int kSwHide = 0;
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowMinimized = 2;
inline constexpr int kSwShowMaximized = 3;
inline constexpr int kSwShow = 5;
inline constexpr int kSwMinimize = 6;
inline constexpr int kSwShowMinNoActive = 7;
inline constexpr int kSwRestore = 9;
inline constexpr int kSwForceMinimize = 11;

struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A calendar date and a time of day in whole seconds.
struct Date {
  int year = 1899, month = 12, day = 30;
  friend bool operator==(const Date&, const Date&) = default;
};
struct TimeOfDay {
  int hour = 0, minute = 0, second = 0;
  friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// Thin mirror of the window functions the program calls.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // The foreground (active) top-level window, 0 when there is none.
  virtual Hwnd getForegroundWindow() = 0;
  // Characters a buffer needs for the window's text, without the
  // terminating NUL. Never less than the length of the text the window
  // holds; it may be more (a backend that counts UTF-16 units, say).
  // 0 for no window.
  virtual int getWindowTextLength(Hwnd h) = 0;
  // The window's text (the title up to its first NUL), cut to at most
  // bufferChars - 1 characters; empty when bufferChars <= 1 or for no window.
  virtual std::string getWindowText(Hwnd h, int bufferChars) = 0;
  // Sets the title; the window receives the text up to its first NUL.
  virtual void setWindowText(Hwnd h, const std::string& text) = 0;
  // The text as this window hands it back after setWindowText(h, text)
  // (the code-page round trip of a backend that stores titles lossily).
  // Asked per window because a backend may store titles differently for
  // different windows; the identity where titles are written losslessly.
  virtual std::string roundTrip(Hwnd h, const std::string& text) = 0;
  // Class name cut to at most bufferChars - 1 characters; returns the
  // number of characters copied into `out`, 0 on failure (out is then empty).
  // kClassNameBufferChars holds any class name whole.
  virtual int getClassName(Hwnd h, std::string& out, int bufferChars) = 0;
  // Top-level window with exactly this class and title, 0 when none.
  virtual Hwnd findWindow(const std::string& className, const std::string& title) = 0;
  virtual void showWindow(Hwnd h, int cmd) = 0;
  virtual void setWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy,
                            std::uint32_t flags) = 0;
  virtual void setForegroundWindow(Hwnd h) = 0;
  // False (and rect untouched) for a 0 or vanished window.
  virtual bool getWindowRect(Hwnd h, Rect& rect) = 0;
  virtual void flashWindow(Hwnd h, bool invert) = 0;
};

// What the clock engine wrote into a window's title, kept where it outlives
// the program: a later run gives such a window its own title back when this
// one never could (killed, crashed, the session cut off).
struct DecorationRecord {
  Hwnd window = 0;
  std::string written;  // the title as written (up to its first NUL)
  std::string title;    // the window's own title (up to its first NUL)
  friend bool operator==(const DecorationRecord&, const DecorationRecord&) = default;
};

// Where the records live is the backend's choice: on the window itself where
// the desktop keeps data alive with the window (so a record dies with its
// window), else in a small journal of the program's own that names each
// window so well that a reused handle is never taken for it. None of these
// calls throws or reports: a record that cannot be kept is simply not kept.
class DecorationJournal {
 public:
  virtual ~DecorationJournal() = default;
  // Records that `written` now stands in the window's title in place of
  // `title`, replacing any earlier record of that window.
  virtual void remember(Hwnd h, const std::string& written, const std::string& title) = 0;
  // Drops the record of a window (its title given back, or retitled by the
  // window itself); nothing for a window without one.
  virtual void forget(Hwnd h) = 0;
  // Every record kept on a window that still exists, in no set order. A
  // record whose window has gone, or whose handle now names another window,
  // is never listed (and may be dropped on the way).
  virtual std::vector<DecorationRecord> leftOver() = 0;
};

// Keeps nothing: for rigs that test other services, and desktops with
// nowhere to keep a record.
class NoDecorationJournal : public DecorationJournal {
 public:
  void remember(Hwnd, const std::string&, const std::string&) override {}
  void forget(Hwnd) override {}
  std::vector<DecorationRecord> leftOver() override { return {}; }
};

// sndPlaySound flags.
inline constexpr std::uint32_t kSndSync = 0x0000;
inline constexpr std::uint32_t kSndAsync = 0x0001;
inline constexpr std::uint32_t kSndNoDefault = 0x0002;
inline constexpr std::uint32_t kSndFilename = 0x20000;

class Sound {
 public:
  virtual ~Sound() = default;
  // Plays a wave file; synchronous unless kSndAsync. Silent on failure.
  virtual void playSound(const std::string& file, std::uint32_t flags) = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a file with its associated program, or starts it when it is a
  // program. Never waits; failures are silent.
  virtual void shellExecute(Hwnd owner, const std::string& verb, const std::string& file,
                            const std::string& parameters, const std::string& directory,
                            int showCmd) = 0;
};

// The open-file request, mirroring the fields the program fills in.
struct OpenFileRequest {
  Hwnd owner = 0;
  std::vector<std::pair<std::string, std::string>> filters;  // (description, pattern)
  std::string file;                                          // initial path
  int maxFile = 255;
  std::string initialDir;
  std::string title;
  std::uint32_t flags = 0;
};
inline constexpr std::uint32_t kOfnHideReadOnly = 0x0004;
inline constexpr std::uint32_t kOfnFileMustExist = 0x1000;

class FileDialog {
 public:
  virtual ~FileDialog() = default;
  // True with the chosen path in request.file, false when cancelled or failed.
  virtual bool getOpenFileName(OpenFileRequest& request) = 0;
};

// Message-box styles: one button set, one icon, the default button and the
// modality, added up (kMbOkCancel | kMbIconInformation | kMbDefButton2 |
// kMbSystemModal is the alarm's 4417).
inline constexpr int kMbOkOnly = 0;
inline constexpr int kMbOkCancel = 1;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbIconStop = 16;
inline constexpr int kMbIconQuestion = 32;
inline constexpr int kMbIconExclamation = 48;
inline constexpr int kMbIconInformation = 64;
inline constexpr int kMbDefButton2 = 256;
inline constexpr int kMbApplicationModal = 0;
// Modal to the whole system: the box stays above every window of every
// program until it is answered.
inline constexpr int kMbSystemModal = 4096;
inline constexpr int kMbButtonsMask = 0x000F;
inline constexpr int kMbIconMask = 0x00F0;
inline constexpr int kMbDefaultMask = 0x0F00;
inline constexpr int kMbModalityMask = 0x3000;

// Message-box results.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// What changed on a control or a form, as bits of a change set: a backend
// refreshes only that part of its native view.
enum ControlChange : std::uint32_t {
  kChangeCaption = 1u << 0,    // caption (labels, buttons, frames, boxes)
  kChangeValue = 1u << 1,      // check or option value, text box text, list selection
  kChangeEnabled = 1u << 2,    // enabled state
  kChangeVisible = 1u << 3,    // visible state
  kChangeRows = 1u << 4,       // list box rows
  kChangeMaxLength = 1u << 5,  // text box limit
  kChangeFont = 1u << 6,       // face, size or weight
};
enum FormChange : std::uint32_t {
  kFormCaption = 1u << 0,
  kFormPosition = 1u << 1,  // left and top
  kFormVisible = 1u << 2,
  kFormWindowState = 1u << 3,
};

// One item of the tray icon's menu.
struct TrayMenuItem {
  std::string text;  // the access key marked with "&"
  bool checkable = false;
  bool checked = false;
  bool separatorBefore = false;
};

// The program's icon in the notification area (Windows) or the system tray
// (Linux). Its menu is asked for afresh each time the user opens it.
class TrayIcon {
 public:
  virtual ~TrayIcon() = default;
  // Puts the icon up with `tooltip`, or changes the tooltip of the icon
  // that is up. False when the desktop has no notification area (now: a
  // backend puts the icon up by itself once one appears).
  virtual bool show(const std::string& tooltip) = 0;
  // Takes the icon away; it stays away until the next show().
  virtual void hide() = 0;

  // The menu's items, asked for when the user opens it.
  std::function<std::vector<TrayMenuItem>()> menu;
  // The user chose item `index` of the menu; -1: double-clicked the icon.
  std::function<void(int index)> onChoose;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  // Shows a message box and waits for the answer (kIdOk ...). `owner` is
  // the program's window the box belongs to (0: none): the box is modal to
  // it, and with kMbSystemModal it also stays above every other window.
  // Timers go on firing while the box waits (each handler never nests).
  virtual int messageBox(Hwnd owner, const std::string& text, const std::string& title,
                         int style) = 0;
  // Processes pending messages (DoEvents): input, repaints and every timer
  // that is due now, each at most once; never waits for one.
  virtual void doEvents() = 0;
  virtual int screenWidthTwips() = 0;
  virtual int screenHeightTwips() = 0;
  virtual int twipsPerPixelX() = 0;
  virtual int twipsPerPixelY() = 0;

  // Native views of forms.
  //
  // attachForm creates the view (hidden) from the model as it stands and
  // gives the form its window handle; detachForm destroys it. After that the
  // model reports each of its own changes, naming the control or form and
  // what changed. A backend pushes exactly that into the native widget, with
  // the widget's notifications suppressed while it does: a push never comes
  // back as user input, so nothing loops and no handler runs twice.
  //
  // User input goes the other way, only through the model's user entry
  // points (Control::userClick, TextBox::userType, ListBox::userSelect,
  // Form::nativeStateChanged, Form::nativeMoved, Form::userClose), which
  // change the model exactly as code does and fire the same handlers; the
  // change they make is then reported back here like any other.
  virtual void attachForm(Form& form) = 0;
  virtual void detachForm(Form& form) = 0;
  virtual void formChanged(Form& form, std::uint32_t what) = 0;
  virtual void controlChanged(Control& control, std::uint32_t what) = 0;
  // Shows the form modally over `owner` (disabled meanwhile; 0: none) and
  // returns once the form has closed. Timers go on firing meanwhile.
  virtual void runModal(Form& form, Hwnd owner) = 0;
  // A timer's interval or enabled state changed: (re)schedule it. A change
  // restarts the count.
  virtual void timerChanged(Timer& timer) = 0;
  // Asks the program to end. quit() returns to its caller; once the handler
  // that called it has returned, the program ends: no timer fires and no
  // handler runs after it, open modal loops and message boxes are left, and
  // the toolkit's event loop returns.
  virtual void quit() = 0;
  // A new icon in the notification area, not yet shown; null where the
  // toolkit has none.
  virtual std::unique_ptr<TrayIcon> createTrayIcon() { return nullptr; }
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or `defaultValue` when the key or its section is missing.
  virtual std::string getSetting(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) = 0;
  virtual void saveSetting(const std::string& section, const std::string& key,
                           const std::string& value) = 0;
  // Throws RuntimeError 5 when the key does not exist.
  virtual void deleteSetting(const std::string& section, const std::string& key) = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual TimeOfDay timeOfDay() = 0;
  virtual Date date() = 0;
};

class ProgramInfo {
 public:
  virtual ~ProgramInfo() = default;
  virtual bool previousInstance() = 0;
  // The user's interface language as the desktop names it ("ja_JP.UTF-8",
  // "ja-JP", "en_US" ...); empty when it names none.
  virtual std::string userLanguage() const = 0;
  // Whether the desktop starts Kivo when the user logs in, as the desktop
  // itself records it (the user may change it elsewhere).
  virtual bool startsAtLogin() const = 0;
  // Makes the desktop start Kivo at login, or no more; false when that
  // could not be recorded.
  virtual bool setStartAtLogin(bool on) = 0;
};

// The longest class name Windows allows (256 characters) and its NUL.
inline constexpr int kClassNameBufferChars = 257;

struct Platform {
  WindowSystem& windows;
  Sound& sound;
  Shell& shell;
  FileDialog& fileDialog;
  Toolkit& toolkit;
  SettingsStore& store;
  Clock& clock;
  ProgramInfo& program;
  DecorationJournal& journal;
};

}  // namespace kivo
