// The decoration journal in a file of the user's runtime directory.
#include "platform/ipc/ipc_journal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace kivo::ipc {
namespace {

using nlohmann::json;

// A record's window in the session that wrote it: a window whose handle
// and container match (i3 reuses both numbers, never both at once).
bool sameWindow(const std::optional<std::uint64_t>& container, std::uint64_t recorded) {
  return container && *container == recorded;
}

}  // namespace

IpcDecorationJournal::IpcDecorationJournal(std::string file, const std::string& socketPath,
                                           ContainerOf containerOf)
    : file_(std::move(file)),
      session_(sessionOf(socketPath)),
      containerOf_(std::move(containerOf)) {}

std::string IpcDecorationJournal::defaultFile() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  if (dir == nullptr || *dir == '\0') return {};
  return std::string(dir) + "/kivo-decorations.json";
}

std::string IpcDecorationJournal::sessionOf(const std::string& socketPath) {
  struct stat st {};
  if (socketPath.empty() || ::stat(socketPath.c_str(), &st) != 0) return {};
  return socketPath + "#" + std::to_string(static_cast<unsigned long long>(st.st_ino));
}

std::vector<IpcDecorationJournal::Entry> IpcDecorationJournal::load() const {
  std::ifstream in(file_, std::ios::binary);
  if (!in) return {};
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const json root = json::parse(content, nullptr, false);
  std::vector<Entry> entries;
  if (root.is_discarded() || !root.is_array()) return entries;  // not ours: started afresh
  for (const json& r : root) {
    if (!r.is_object()) continue;
    Entry e;
    e.session = r.value("session", "");
    e.window = r.value("window", Hwnd{0});
    e.container = r.value("container", std::uint64_t{0});
    e.written = r.value("written", "");
    e.title = r.value("title", "");
    if (e.window != 0 && !e.session.empty()) entries.push_back(std::move(e));
  }
  return entries;
}

void IpcDecorationJournal::save(const std::vector<Entry>& entries) const {
  json root = json::array();
  for (const Entry& e : entries) {
    // A record of a session whose compositor has gone is dropped.
    if (e.session != session_ && sessionOf(e.session.substr(0, e.session.rfind('#'))) != e.session)
      continue;
    root.push_back({{"session", e.session},
                    {"window", e.window},
                    {"container", e.container},
                    {"written", e.written},
                    {"title", e.title}});
  }
  const std::string temporary = file_ + ".new." + std::to_string(::getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    // Titles are UTF-8 as the tree gives them; anything else is replaced
    // rather than refused.
    out << root.dump(-1, ' ', false, json::error_handler_t::replace);
    if (!out.flush()) {
      std::remove(temporary.c_str());
      return;
    }
  }
  if (std::rename(temporary.c_str(), file_.c_str()) != 0) std::remove(temporary.c_str());
}

void IpcDecorationJournal::remember(Hwnd h, const std::string& written, const std::string& title) {
  if (file_.empty() || session_.empty()) return;
  const auto container = containerOf_(h);
  if (!container) return;
  std::vector<Entry> entries = load();
  std::erase_if(entries, [&](const Entry& e) { return e.session == session_ && e.window == h; });
  entries.push_back(Entry{session_, h, *container, written.substr(0, written.find('\0')),
                          title.substr(0, title.find('\0'))});
  save(entries);
}

void IpcDecorationJournal::forget(Hwnd h) {
  if (file_.empty() || session_.empty() || h == 0) return;
  std::vector<Entry> entries = load();
  const auto before = entries.size();
  std::erase_if(entries, [&](const Entry& e) { return e.session == session_ && e.window == h; });
  if (entries.size() != before) save(entries);
}

std::vector<DecorationRecord> IpcDecorationJournal::leftOver() {
  std::vector<DecorationRecord> out;
  if (file_.empty() || session_.empty()) return out;
  for (const Entry& e : load()) {
    if (e.session == session_ && sameWindow(containerOf_(e.window), e.container)) {
      out.push_back(DecorationRecord{e.window, e.written, e.title});
    }
  }
  return out;
}

}  // namespace kivo::ipc
