// kivo-render: renders a clock template with the real renderer at a given
// local time (default: now) and prints the clock text, and the time key.
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "clocktext/renderer.h"
#include "platform/date.h"
#include "platform/utf16.h"

#ifdef _WIN32
#include <windows.h>  // first: shellapi.h builds on it

#include <shellapi.h>
#endif

namespace {

constexpr const char* kUsage =
    "usage: kivo-render [--at \"YYYY-MM-DD HH:MM:SS\"] [--key] [--] TEMPLATE\n"
    "Renders a clock template at the given local time (default: now) and prints\n"
    "the clock text; with --key, a second line with the time key.\n";

struct LocalTime {
  kivo::Date date;
  kivo::TimeOfDay time;
};

// Reads `width` digits at `at`; false when any of them is not a digit.
bool digits(std::string_view s, std::size_t at, std::size_t width, int& value) {
  value = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

// Exactly "YYYY-MM-DD HH:MM:SS", a real calendar date and a real time of day.
std::optional<LocalTime> parseAt(std::string_view s) {
  constexpr std::string_view shape = "0000-00-00 00:00:00";
  if (s.size() != shape.size()) return std::nullopt;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    if (shape[i] != '0' && s[i] != shape[i]) return std::nullopt;
  }
  LocalTime t;
  if (!digits(s, 0, 4, t.date.year) || !digits(s, 5, 2, t.date.month) ||
      !digits(s, 8, 2, t.date.day) || !digits(s, 11, 2, t.time.hour) ||
      !digits(s, 14, 2, t.time.minute) || !digits(s, 17, 2, t.time.second)) {
    return std::nullopt;
  }
  if (!kivo::date::isValid(t.date)) return std::nullopt;
  if (t.time.hour > 23 || t.time.minute > 59 || t.time.second > 59) return std::nullopt;
  return t;
}

LocalTime now() {
  const std::time_t secs = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &secs);
#else
  localtime_r(&secs, &tm);
#endif
  // A leap second shows as the last second of its minute.
  return {{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday},
          {tm.tm_hour, tm.tm_min, tm.tm_sec > 59 ? 59 : tm.tm_sec}};
}

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

// The arguments as UTF-8. Windows hands main() the ANSI code page, which
// cannot hold every character a template may use, so take the wide ones.
std::vector<std::string> utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
  (void)argc, (void)argv;
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  std::vector<std::string> args;
  for (int i = 0; wide && i < n; ++i) args.push_back(kivo::text::fromWide(wide[i]));
  LocalFree(wide);
  SetConsoleOutputCP(CP_UTF8);  // our output is UTF-8
  return args;
#else
  return std::vector<std::string>(argv, argv + argc);
#endif
}

void printLine(std::FILE* f, const std::string& s) {
  std::fwrite(s.data(), 1, s.size(), f);  // the text may hold NUL bytes
  std::fputc('\n', f);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = utf8Arguments(argc, argv);
  std::optional<LocalTime> at;
  bool showKey = false;
  std::optional<std::string> clockTemplate;
  bool options = true;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && arg == "--key") {
      showKey = true;
    } else if (options && (arg == "-h" || arg == "--help")) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (options && arg == "--at") {
      if (++i >= args.size()) return usage();
      at = parseAt(args[i]);
      if (!at) {
        std::fprintf(stderr,
                     "kivo-render: bad --at value \"%s\": expected \"YYYY-MM-DD HH:MM:SS\", "
                     "a valid date (years 1 to 9999) and a time from 00:00:00 to 23:59:59\n",
                     args[i].c_str());
        return 2;
      }
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "kivo-render: unknown option %s\n", args[i].c_str());
      return usage();
    } else if (!clockTemplate) {
      clockTemplate = std::string(arg);
    } else {
      std::fputs("kivo-render: only one TEMPLATE may be given\n", stderr);
      return usage();
    }
  }
  if (!clockTemplate) return usage();

  const LocalTime t = at ? *at : now();
  const kivo::RenderedClock clock = kivo::renderClock(*clockTemplate, t.date, t.time);
  printLine(stdout, clock.text);
  if (showKey) printLine(stdout, clock.key.text());
  return 0;
}
