// Linux settings store: the INI file, read afresh, replaced atomically under a lock.
//
// Why a parser of our own (ini_document.cpp): the INI readers Debian offers
// each break a rule the store must keep.
//  - libinih: reads only (nothing to write a file back with its comments and
//    order), strips blanks around values, cuts inline "; comments" off
//    values and joins indented lines as continuations.
//  - libiniparser: strips blanks, removes quotes around values, cuts values
//    at ';' and '#', lower-cases keys and sections, and writes a file back
//    without its comments and blank lines.
//  - GLib's GKeyFile: case-sensitive keys and groups, strips the blanks after
//    '=', reads "\s", "\n", "\t" escapes and ';' lists in string values, and
//    would bring GLib into a program that has no other use for it.
//  - Qt's QSettings with IniFormat: splits values at commas into lists,
//    removes quotes, escapes '%' and non-ASCII characters in keys, treats
//    [General] specially, and rewrites the whole file without its comments;
//    it also keeps values cached between reads.
// Values here are kept verbatim from the first '=' to the end of the line;
// a clock template is full of commas, quotes, percent signs and blanks.
#include "platform/x11/ini_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/errors.h"
#include "platform/text.h"
#include "platform/x11/user_dirs.h"

namespace kivo::x11 {

// The settings file as read from disk.
struct IniFileText {
  enum { Ok, Missing, Failed } status = Missing;
  std::string data;
  std::string error;  // why it failed
  mode_t mode = 0600;
};

namespace {

// Larger than any settings file; something else was put in its place.
constexpr off_t kMaxFileSize = 4 << 20;
// How long a write waits for another program's write to finish.
constexpr std::chrono::seconds kLockWait{5};

std::string errnoText(int error) { return std::strerror(error); }

// A file descriptor, closed however the call ends.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

IniFileText readWhole(const std::string& file) {
  IniFileText out;
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) {
    if (errno == ENOENT) return out;  // no file yet: every key missing
    out.status = IniFileText::Failed;
    out.error = "cannot be read (" + errnoText(errno) + ")";
    return out;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    out.status = IniFileText::Failed;
    out.error = "is not a regular file";
    return out;
  }
  if (st.st_size > kMaxFileSize) {
    out.status = IniFileText::Failed;
    out.error = "is far too large for a settings file";
    return out;
  }
  out.mode = st.st_mode & 07777;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      out.status = IniFileText::Failed;
      out.error = "cannot be read (" + errnoText(errno) + ")";
      return out;
    }
    out.data.append(buffer, static_cast<std::size_t>(n));
    if (out.data.size() > static_cast<std::size_t>(kMaxFileSize)) {
      out.status = IniFileText::Failed;
      out.error = "is far too large for a settings file";
      return out;
    }
  }
  out.status = IniFileText::Ok;
  return out;
}

std::string dirName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write replaces: the target of a symbolic link, so the link
// stays a link.
std::string writeTarget(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  return path;
}

// Creates the directory and its parents (0700, as XDG asks for them).
bool makeDirectories(const std::string& dir, std::string& error) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    error = dir + " is not a directory";
    return false;
  }
  const std::string parent = dirName(dir);
  if (parent != dir && !makeDirectories(parent, error)) return false;
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "cannot create " + dir + " (" + errnoText(errno) + ")";
    return false;
  }
  return true;
}

// Takes the advisory lock that every writer of the file takes; waits a
// while for another writer, then gives up.
Fd takeLock(const std::string& target, std::string& error) {
  const std::string lockPath = target + ".lock";
  Fd fd(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
  if (fd.get() < 0) {
    error = "cannot open the lock file " + lockPath + " (" + errnoText(errno) + ")";
    return Fd();
  }
  const auto deadline = std::chrono::steady_clock::now() + kLockWait;
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      error = "cannot lock " + lockPath + " (" + errnoText(errno) + ")";
      return Fd();
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      error = "another program has kept " + lockPath + " locked for too long";
      return Fd();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return Fd(fd.release());
}

bool writeAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes `data` to a temporary file beside `target`, flushes it to disk and
// renames it over `target`; the directory entry is flushed too.
bool replaceFile(const std::string& target, const std::string& data, mode_t mode,
                 std::string& error) {
  const std::string dir = dirName(target);
  std::string temp = target + ".XXXXXX";
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    error = "cannot create a file in " + dir + " (" + errnoText(errno) + ")";
    return false;
  }
  if (::fchmod(fd.get(), mode) != 0 || !writeAll(fd.get(), data) || ::fsync(fd.get()) != 0 ||
      ::close(fd.release()) != 0) {
    error = "cannot write the new file " + temp + " (" + errnoText(errno) + ")";
    ::unlink(temp.c_str());
    return false;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    error = "cannot put the new file in place of " + target + " (" + errnoText(errno) + ")";
    ::unlink(temp.c_str());
    return false;
  }
  Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd.get() >= 0) ::fsync(dirFd.get());
  return true;
}

// The message a caller sees for the store's problem with the file.
std::string fileMessage(const std::string& path, const std::string& problem) {
  return "The settings file " + path + " " + problem +
         ". Kivo uses the default settings and leaves the file as it is until it is repaired "
         "or removed.";
}

// The file's settings, or nothing with the reason in `problem`.
std::optional<IniDocument> parseFile(const IniFileText& file, std::string& problem) {
  if (file.status == IniFileText::Missing) return IniDocument();
  if (file.status == IniFileText::Failed) {
    problem = file.error;
    return std::nullopt;
  }
  std::string where;
  std::optional<IniDocument> doc = IniDocument::parse(file.data, where);
  if (!doc) problem = "is not a settings file: " + where;
  return doc;
}

[[noreturn]] void refuse(const std::string& why) { throw RuntimeError(kErrInvalidCall, why); }

// A write the file system would not take; `error` says which step failed.
[[noreturn]] void refuseSave(const std::string& path, const std::string& error) {
  refuse("The settings file " + path + " cannot be saved: " + error + ".");
}

void checkStorable(const std::string& section, const std::string& key, const std::string* value) {
  std::string why = IniDocument::unstorableSection(section);
  if (!why.empty()) refuse("The section name \"" + section + "\" cannot be stored: " + why + ".");
  why = IniDocument::unstorableKey(key);
  if (!why.empty()) refuse("The key name \"" + key + "\" cannot be stored: " + why + ".");
  if (value != nullptr) {
    why = IniDocument::unstorableValue(*value);
    if (!why.empty()) refuse("The value of " + key + " cannot be stored: " + why + ".");
  }
}

}  // namespace

IniStore::IniStore(std::string path, std::function<void(const std::string&)> onProblem)
    : path_(std::move(path)), onProblem_(std::move(onProblem)) {}

std::string IniStore::defaultPath() { return configHome() + "/kivo/settings.ini"; }

void IniStore::report(const std::string& problem) {
  if (reported_ == problem) return;
  reported_ = problem;
  if (onProblem_) onProblem_(fileMessage(path_, problem));
}

std::optional<IniDocument> IniStore::load(const IniFileText& file) {
  std::string problem;
  std::optional<IniDocument> doc = parseFile(file, problem);
  if (doc) {
    reported_.reset();  // it reads well (again): a new fault will be told
  } else {
    report(problem);
  }
  return doc;
}

std::string IniStore::getSetting(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) {
  const std::optional<IniDocument> doc = load(readWhole(path_));
  if (!doc) return defaultValue;
  return doc->get(text::cutAtNul(section), text::cutAtNul(key)).value_or(defaultValue);
}

void IniStore::update(const std::function<bool(IniDocument&)>& change) {
  const std::string target = writeTarget(path_);
  std::string error;
  if (!makeDirectories(dirName(target), error)) refuseSave(path_, error);
  std::string problem;
  {
    const Fd lock = takeLock(target, error);
    if (lock.get() < 0) refuseSave(path_, error);
    // Read again under the lock: what another program wrote since stays.
    const IniFileText before = readWhole(target);
    if (std::optional<IniDocument> doc = parseFile(before, problem)) {
      reported_.reset();
      if (!change(*doc)) return;
      const mode_t mode = before.status == IniFileText::Ok ? before.mode : 0600;
      if (!replaceFile(target, doc->text(), mode, error)) refuseSave(path_, error);
      return;
    }
  }
  // Told without the lock held: the message may wait for the user, and the
  // companion programs must not wait with it.
  report(problem);
  refuse("The settings file " + path_ + " " + problem +
         ". Kivo leaves it as it is until it is repaired or removed.");
}

void IniStore::saveSetting(const std::string& section, const std::string& key,
                           const std::string& value) {
  const std::string s(text::cutAtNul(section)), k(text::cutAtNul(key)), v(text::cutAtNul(value));
  checkStorable(s, k, &v);
  update([&](IniDocument& doc) {
    if (doc.get(s, k) == v) return false;  // already so: the file stays untouched
    doc.set(s, k, v);
    return true;
  });
}

void IniStore::deleteSetting(const std::string& section, const std::string& key) {
  const std::string s(text::cutAtNul(section)), k(text::cutAtNul(key));
  // A name the file cannot hold names no key in it.
  if (!IniDocument::unstorableSection(s).empty() || !IniDocument::unstorableKey(k).empty()) {
    throw RuntimeError(kErrInvalidCall);
  }
  update([&](IniDocument& doc) {
    if (!doc.remove(s, k)) throw RuntimeError(kErrInvalidCall);
    return true;
  });
}

}  // namespace kivo::x11
