#pragma once
// Sound, shell, open-file dialog, clock and program information on Win32,
// each a thin wrapper of one wide-character call.

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace kivo::win32 {

// sndPlaySoundW with the program's flags as they are: the seam's kSnd*
// values are the Windows SND_* values.
class Win32Sound : public Sound {
 public:
  void playSound(const std::string& file, std::uint32_t flags) override;
};

// Opens a file with its associated program, or starts a program, and
// returns at once; failures show no message box.
class Win32Shell : public Shell {
 public:
  void shellExecute(Hwnd owner, const std::string& verb, const std::string& file,
                    const std::string& parameters, const std::string& directory,
                    int showCmd) override;
};

// GetOpenFileNameW with the request's fields.
class Win32FileDialog : public FileDialog {
 public:
  bool getOpenFileName(OpenFileRequest& request) override;
};

// The local date and time (GetLocalTime).
class Win32Clock : public Clock {
 public:
  TimeOfDay timeOfDay() override;
  Date date() override;
};

// The previous instance is told by a named mutex ("Local\" and a name made
// from the application name: per logon session, as the program's windows
// are), created at construction and held as long as this object lives,
// which is the program's whole run.
class Win32ProgramInfo : public ProgramInfo {
 public:
  explicit Win32ProgramInfo(const std::string& application);
  ~Win32ProgramInfo() override;
  Win32ProgramInfo(const Win32ProgramInfo&) = delete;
  Win32ProgramInfo& operator=(const Win32ProgramInfo&) = delete;

  // Whether the mutex already existed when this object was made.
  bool previousInstance() override { return previous_; }
  // The user's interface language as a locale name ("ja-JP").
  std::string userLanguage() const override;
  // The value "Kivo" under HKCU\...\CurrentVersion\Run, unless Task
  // Manager's startup list has switched it off.
  bool startsAtLogin() const override;
  bool setStartAtLogin(bool on) override;
  // Closes the mutex before the program's end: a start from then on is a
  // first start (the fatal box may stay up for long).
  void giveUp();

 private:
  HANDLE mutex_ = nullptr;
  bool previous_ = false;
};

}  // namespace kivo::win32
