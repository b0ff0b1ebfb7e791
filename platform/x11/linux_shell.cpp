// Linux shell: starts a program directly or hands a file to xdg-open, detached.
#include "platform/x11/linux_shell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/text.h"

namespace kivo::x11 {
namespace {

bool isProgram(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// "scheme:..." as xdg-open takes it (http:, file:, mailto: ...).
bool isUrl(const std::string& s) {
  std::size_t i = 0;
  if (s.empty() || !std::isalpha(static_cast<unsigned char>(s[0]))) return false;
  while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '+' ||
                          s[i] == '-' || s[i] == '.')) {
    ++i;
  }
  return i >= 2 && i < s.size() && s[i] == ':';
}

// The program's path on PATH, or empty.
std::string findOnPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return isProgram(name) ? name : "";
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (isProgram(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

// Arguments split at blanks; double quotes keep blanks inside one.
std::vector<std::string> splitParameters(const std::string& parameters) {
  std::vector<std::string> out;
  std::string current;
  bool inQuotes = false, any = false;
  for (const char c : parameters) {
    if (c == '"') {
      inQuotes = !inQuotes;
      any = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (any) out.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) out.push_back(current);
  return out;
}

// Starts `program` with `args` (args[0] included) in a session of its own,
// orphaned at once so that init reaps it. Only async-signal-safe calls
// between fork and exec: the process has other threads.
void spawnDetached(const std::string& program, const std::vector<std::string>& args,
                   const std::string& directory) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const char* dir = directory.empty() ? nullptr : directory.c_str();

  // No signal handler of Kivo's may run in a child (it would tell Kivo to
  // end): everything is blocked across the fork, and the grandchild resets
  // every handler before unblocking.
  sigset_t all, old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setsid() < 0 || ::fork() != 0) ::_exit(0);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) ::sigaction(sig, &dfl, nullptr);
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0 && null != STDIN_FILENO) {
      ::dup2(null, STDIN_FILENO);
      ::close(null);
    }
    if (dir != nullptr && ::chdir(dir) != 0) ::_exit(127);
    ::close_range(3, ~0U, 0);  // nothing of Kivo's (its X connection ...) is inherited
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (child > 0) {
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
}

}  // namespace

void LinuxShell::shellExecute(Hwnd, const std::string& verb, const std::string& file,
                              const std::string& parameters, const std::string& directory, int) {
  const std::string v(text::cutAtNul(verb)), f(text::cutAtNul(file));
  const std::string dir(text::cutAtNul(directory));
  // "open" is the one verb with a meaning here; no verb means it too.
  if ((!v.empty() && text::lowerAscii(v) != "open") || f.empty()) return;

  if (isUrl(f)) {
    const std::string opener = findOnPath(opener_);
    if (!opener.empty()) spawnDetached(opener, {opener_, f}, dir);
    return;
  }
  // A relative name is taken from the given directory, or Kivo's own; made
  // absolute, it can never be mistaken for an option of xdg-open.
  std::string path = f;
  if (path[0] != '/') {
    std::string base = dir;
    if (base.empty() || base[0] != '/') {
      char cwd[PATH_MAX];
      if (::getcwd(cwd, sizeof cwd) == nullptr) return;
      base = base.empty() ? cwd : std::string(cwd) + "/" + base;
    }
    path = base + "/" + path;
  }

  if (isProgram(path)) {
    std::vector<std::string> args{path};
    for (std::string& a : splitParameters(std::string(text::cutAtNul(parameters)))) {
      args.push_back(std::move(a));
    }
    spawnDetached(path, args, dir);
    return;
  }
  const std::string opener = findOnPath(opener_);
  if (!opener.empty()) spawnDetached(opener, {opener_, path}, dir);
}

}  // namespace kivo::x11
