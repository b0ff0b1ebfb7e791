#pragma once
// The settings store on Win32: the registry, exactly where the classic
// per-user settings calls keep an application's settings, so companion
// programs that use those calls read and write the same values:
//
//   HKEY_CURRENT_USER\<root>\<application>\<section>, value <key>, REG_SZ
//
// with <root> "Software\VB and VBA Program Settings". Every call opens the
// key afresh, so a value a companion program wrote a moment ago is seen.
// A value is text up to its first NUL, as REG_SZ holds it: a NUL in a value
// ends it on writing and on reading alike.

#include <string>

#include "platform/platform.h"

namespace kivo::win32 {

inline constexpr const char* kApplicationName = "Kivo for Windows NT/95";
inline constexpr const char* kClassicSettingsRoot = "Software\\VB and VBA Program Settings";

class RegistryStore : public SettingsStore {
 public:
  // `rootPath` is below HKEY_CURRENT_USER; tests give a scratch application
  // (or root) so the real settings are never touched.
  explicit RegistryStore(std::string application = kApplicationName,
                         std::string rootPath = kClassicSettingsRoot);

  // The default when the section key or the value is missing, or when the
  // value is not a string (REG_SZ, or REG_EXPAND_SZ read unexpanded).
  std::string getSetting(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
  // Creates the section key as needed and writes a REG_SZ value. Throws
  // RuntimeError 5 when the registry refuses the write (access denied, a
  // name it does not accept ...).
  void saveSetting(const std::string& section, const std::string& key,
                   const std::string& value) override;
  // Throws RuntimeError 5 when the section or the value does not exist (or
  // the registry refuses the delete). The section key stays, even empty.
  void deleteSetting(const std::string& section, const std::string& key) override;

  const std::string& application() const { return application_; }
  // The section's key path below HKEY_CURRENT_USER.
  std::string sectionPath(const std::string& section) const;

 private:
  std::string application_;
  std::string rootPath_;
};

}  // namespace kivo::win32
