// The autostart entry.
#include "platform/xdg/autostart.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/xdg/user_dirs.h"

namespace kivo::xdg {

namespace {

std::string trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// An Exec value: the path quoted when it holds anything the desktop entry
// format would split or expand.
std::string execValue(const std::string& program) {
  if (program.find_first_of(" \t\"'\\$`%") == std::string::npos) return program;
  std::string out = "\"";
  for (char c : program) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

bool makeDirectories(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

}  // namespace

std::string autostartEntryPath() { return configHome() + "/autostart/kivo.desktop"; }

bool autostartEnabled(const std::string& path) {
  std::ifstream in(path);
  if (!in) return false;
  bool inEntry = false;
  for (std::string line; std::getline(in, line);) {
    line = trimmed(line);
    if (!line.empty() && line[0] == '[') inEntry = line == "[Desktop Entry]";
    if (!inEntry) continue;
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = trimmed(line.substr(0, eq)), value = trimmed(line.substr(eq + 1));
    if (key == "Hidden" && value == "true") return false;
    if (key == "X-GNOME-Autostart-enabled" && value == "false") return false;
  }
  return true;
}

bool setAutostart(const std::string& path, bool on, const std::string& program) {
  if (!on) return std::remove(path.c_str()) == 0 || errno == ENOENT;
  if (!makeDirectories(path)) return false;
  std::ostringstream entry;
  entry << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=Kivo\n"
        << "Comment=A clock in the title bar of the window in front\n"
        << "Exec=" << execValue(program) << "\n"
        << "Icon=kivo\n"
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
  // Written beside the entry and renamed over it: a half-written entry
  // would start nothing.
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    if (!(out << entry.str()) || !out.flush()) return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace kivo::xdg
