#pragma once
// Sound, shell, open-file dialog, clock and program information on Win32,
// each a thin wrapper of one wide-character call. The sound, the shell and
// the file dialog load their library on first use. A library or function
// that cannot be found is silent for the sound and the shell, as their
// other failures are; the file dialog, which the user asked for, raises a
// RuntimeError naming it.

#include <windows.h>

#include <commdlg.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/system_library.h"

namespace kivo::win32 {

// sndPlaySoundW with the program's flags as they are: the seam's kSnd*
// values are the Windows SND_* values.
class Win32Sound : public Sound {
 public:
  // `library` is winmm.dll but in tests.
  explicit Win32Sound(std::wstring library = L"winmm.dll") : winmm_(std::move(library)) {}
  void playSound(const std::string& file, std::uint32_t flags) override;

 private:
  SystemLibrary winmm_;
  SystemFunction<BOOL WINAPI(LPCWSTR, UINT)> sndPlaySound_{winmm_, "sndPlaySoundW"};
};

// Opens a file with its associated program, or starts a program, and
// returns at once; failures show no message box.
class Win32Shell : public Shell {
 public:
  // `library` is shell32.dll but in tests.
  explicit Win32Shell(std::wstring library = L"shell32.dll") : shell32_(std::move(library)) {}
  void shellExecute(Hwnd owner, const std::string& verb, const std::string& file,
                    const std::string& parameters, const std::string& directory,
                    int showCmd) override;

 private:
  SystemLibrary shell32_;
  SystemFunction<HINSTANCE WINAPI(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT)> shellExecute_{
      shell32_, "ShellExecuteW"};
};

// GetOpenFileNameW with the request's fields.
class Win32FileDialog : public FileDialog {
 public:
  // `library` is comdlg32.dll but in tests.
  explicit Win32FileDialog(std::wstring library = L"comdlg32.dll")
      : comdlg32_(std::move(library)) {}
  bool getOpenFileName(OpenFileRequest& request) override;

 private:
  SystemLibrary comdlg32_;
  SystemFunction<BOOL WINAPI(OPENFILENAMEW*)> getOpenFileName_{comdlg32_, "GetOpenFileNameW"};
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
