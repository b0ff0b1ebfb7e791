#pragma once
// The platform seam: every service the core uses, as abstract classes.
// The core includes only this header (and text.h / errors.h); backends
// implement it. Calls on a 0 or vanished window never throw and return
// the documented "nothing" results.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kivo {

class Form;   // ui/forms.h: the portable forms model
class Timer;  // ui/forms.h

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
inline constexpr int kSwMinimize = 6;

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
  virtual Hwnd getForegroundWindow() = 0;
  // Size in characters a buffer needs for the window's text (without the
  // terminating NUL); may be larger than the text. 0 for no window.
  virtual int getWindowTextLength(Hwnd h) = 0;
  // The window's text, cut to at most bufferChars - 1 characters, no NUL.
  virtual std::string getWindowText(Hwnd h, int bufferChars) = 0;
  // Sets the title; the window receives the text up to its first NUL.
  virtual void setWindowText(Hwnd h, const std::string& text) = 0;
  // The text as the window would return it after a write (the code-page
  // round trip); the identity where titles are written losslessly.
  virtual std::string roundTrip(const std::string& text) = 0;
  // Class name cut to at most bufferChars - 1 characters; returns the
  // number of characters copied into `out`, 0 on failure (out is then empty).
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
  std::uint32_t structSize = 76;
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

// Message-box results.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  // Shows a message box and waits for the answer (kIdOk ...).
  virtual int messageBox(const std::string& text, const std::string& title, int style) = 0;
  // Processes pending messages (DoEvents).
  virtual void doEvents() = 0;
  virtual int screenWidthTwips() = 0;
  virtual int screenHeightTwips() = 0;
  virtual int twipsPerPixelX() = 0;
  virtual int twipsPerPixelY() = 0;
  // Native views of forms. attach creates the view (hidden) and gives the
  // form its window handle; changed() pushes model changes to the view.
  virtual void attachForm(Form& form) = 0;
  virtual void detachForm(Form& form) = 0;
  virtual void formChanged(Form& form) = 0;
  // Shows the form modally; returns once the form has closed.
  virtual void runModal(Form& form) = 0;
  // A timer's interval or enabled state changed: (re)schedule it.
  virtual void timerChanged(Timer& timer) = 0;
  // Ends the program at once.
  virtual void quit() = 0;
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
  virtual int versionMajor() = 0;
  virtual int versionMinor() = 0;
};

inline constexpr const char* kAppName = "Kivo for Windows NT/95";

struct Platform {
  WindowSystem& windows;
  Sound& sound;
  Shell& shell;
  FileDialog& fileDialog;
  Toolkit& toolkit;
  SettingsStore& store;
  Clock& clock;
  ProgramInfo& program;
};

}  // namespace kivo
