#pragma once
// The decoration journal on Win32: one registry value per decorated window,
// beside the program's settings but in a key of its own that no setting
// uses, so it outlives a run that is killed, crashes or loses its power:
//
//   HKEY_CURRENT_USER\<root>\<application>\Decorations, value <handle>
//
// The value's name is the handle (eight hex digits of the low 32 bits that
// cross the seam); its data (REG_BINARY) the window's process id and class
// name, the title as written and the window's own title, UTF-16, each ended
// by a NUL. A registry value is written whole or not at all, so a run that
// dies half-way leaves the old record or the new one, never a mix.
//
// A handle alone could name another window later: the system reuses
// handles. A record counts only while its handle names a window of the same
// process and class; any other is dropped when the records are listed.

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_store.h"

namespace kivo::win32 {

inline constexpr const char* kDecorationsKey = "Decorations";

class RegistryDecorationJournal : public DecorationJournal {
 public:
  // `application` and `rootPath` as for RegistryStore; tests give a scratch
  // application so the program's own records are never touched.
  explicit RegistryDecorationJournal(std::string application = kApplicationName,
                                     std::string rootPath = kClassicSettingsRoot);

  void remember(Hwnd h, const std::string& written, const std::string& title) override;
  void forget(Hwnd h) override;
  std::vector<DecorationRecord> leftOver() override;

  // The journal's key below HKEY_CURRENT_USER.
  const std::string& keyPath() const { return keyPath_; }

 private:
  std::string keyPath_;
};

}  // namespace kivo::win32
