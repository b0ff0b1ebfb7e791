#pragma once
// The settings store on Linux: one INI file, by default
// $XDG_CONFIG_HOME/kivo/settings.ini (~/.config/kivo/settings.ini), with the
// sections [Main] and [Plug in]; ini_document.h describes its language.
//
// Every call reads the file afresh, so a companion program's edit takes
// effect at once. Writes go to a temporary file in the same directory, which
// is flushed to disk and renamed over the settings file, all under an
// advisory lock (flock on settings.ini.lock, which the rename never
// replaces) and after reading the file again under that lock: a key another
// program or another Kivo wrote a moment ago is never lost, and a crash
// leaves the old file or the new one, never half of one. A symbolic link to
// the settings file is followed, so it stays a link.
//
// A file that cannot be read or is not a settings file (binary data,
// invalid UTF-8, a line of no known kind): every read gives its default, the
// problem is reported once through onProblem, and writes are refused with a
// RuntimeError 5 that says why; the file is left exactly as it is for its
// owner to repair or remove. A missing file is simply empty; the first write
// creates it (and its directories).
//
// Like the registry, the store keeps text up to its first NUL. What one line
// of the file cannot hold (a line break in a name or value, invalid UTF-8,
// a key that is empty, holds '=', or begins or ends with a blank) is refused
// with RuntimeError 5 before anything is written.

#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/x11/ini_document.h"

namespace kivo::x11 {

struct IniFileText;

class IniStore : public SettingsStore {
 public:
  // `onProblem` receives one message naming the file whenever the file turns
  // out unusable (once, until it reads well again).
  explicit IniStore(std::string path, std::function<void(const std::string&)> onProblem = {});

  // $XDG_CONFIG_HOME/kivo/settings.ini; an XDG_CONFIG_HOME that is unset,
  // empty or relative means ~/.config.
  static std::string defaultPath();

  std::string getSetting(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
  void saveSetting(const std::string& section, const std::string& key,
                   const std::string& value) override;
  // RuntimeError 5 when the key does not exist.
  void deleteSetting(const std::string& section, const std::string& key) override;

  const std::string& path() const { return path_; }

 private:
  // The file as read; nothing when it is unusable (then reported).
  std::optional<IniDocument> load(const IniFileText& file);
  // Reads, changes and replaces the file under the lock. `change` returns
  // false to leave the file untouched.
  void update(const std::function<bool(IniDocument&)>& change);
  void report(const std::string& problem);

  std::string path_;
  std::function<void(const std::string&)> onProblem_;
  std::optional<std::string> reported_;
};

}  // namespace kivo::x11
