// The kivo-sim script language: words, quoting and typed arguments.
#include "tools/sim_script.h"

#include <array>
#include <charconv>

#include "platform/date.h"
#include "platform/sim/sim_clock.h"
#include "platform/text.h"

namespace kivo::simscript {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string quoted(std::string_view word) { return "\"" + std::string(word) + "\""; }

// Reads a quoted word starting at line[i] == '"'; leaves i after the closing
// quote.
std::string readQuoted(std::string_view line, std::size_t& i) {
  std::string word;
  ++i;
  while (i < line.size()) {
    const char c = line[i++];
    if (c == '"') return word;
    if (c != '\\') {
      word += c;
      continue;
    }
    if (i >= line.size()) break;
    switch (const char e = line[i++]) {
      case '"': word += '"'; break;
      case '\\': word += '\\'; break;
      case '0': word += '\0'; break;
      case 'r': word += '\r'; break;
      case 'n': word += '\n'; break;
      default: throw ScriptError(std::string("unknown escape \\") + e + " in a quoted text");
    }
  }
  throw ScriptError("unclosed quote");
}

}  // namespace

std::vector<std::string> splitLine(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i == line.size() || line[i] == '#') return words;
  while (i < line.size()) {
    if (isBlank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '"') {
      words.push_back(readQuoted(line, i));
      // "abc"def would be read as two words by some and one by others: refuse it.
      if (i < line.size() && !isBlank(line[i]))
        throw ScriptError("a quoted text must end its word");
      continue;
    }
    // An unquoted word keeps its backslashes, so Windows paths need no escapes.
    const std::size_t start = i;
    while (i < line.size() && !isBlank(line[i])) {
      if (line[i] == '"') throw ScriptError("a quote inside a word; quote the whole word");
      ++i;
    }
    words.emplace_back(line.substr(start, i - start));
  }
  return words;
}

long long parseInteger(std::string_view word, long long min, long long max, std::string_view what) {
  long long value = 0;
  const char* end = word.data() + word.size();
  const auto [ptr, ec] = std::from_chars(word.data(), end, value);
  if (word.empty() || ec != std::errc() || ptr != end) {
    throw ScriptError(std::string(what) + " must be a whole number, not " + quoted(word));
  }
  if (value < min || value > max) {
    throw ScriptError(std::string(what) + " must be from " + std::to_string(min) + " to " +
                      std::to_string(max) + ", not " + std::string(word));
  }
  return value;
}

ControlRef parseControlRef(std::string_view word) {
  ControlRef ref;
  const std::size_t open = word.find('(');
  if (open == std::string_view::npos) {
    ref.name = std::string(word);
  } else {
    if (word.back() != ')')
      throw ScriptError("a control is NAME or NAME(INDEX), not " + quoted(word));
    ref.name = std::string(word.substr(0, open));
    const std::string_view index = word.substr(open + 1, word.size() - open - 2);
    ref.index = static_cast<int>(parseInteger(index, 0, 255, "a control index"));
  }
  if (ref.name.empty()) throw ScriptError("a control needs a name, not " + quoted(word));
  return ref;
}

Hwnd parseHandle(std::string_view word) {
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    std::uint32_t value = 0;
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data() + 2, end, value, 16);
    if (ec != std::errc() || ptr != end) throw ScriptError("bad window handle " + quoted(word));
    return value;
  }
  return static_cast<Hwnd>(parseInteger(word, 0, 0xFFFFFFFFLL, "a window handle"));
}

DateTime parseDateTime(std::string_view date, std::string_view time) {
  // Fixed shapes, so 2023-5-1 is refused rather than guessed at.
  auto field = [](std::string_view s, std::size_t at, std::size_t width, int& out) {
    out = 0;
    for (std::size_t i = at; i < at + width; ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      out = out * 10 + (s[i] - '0');
    }
    return true;
  };
  DateTime t;
  const bool dateOk = date.size() == 10 && date[4] == '-' && date[7] == '-' &&
                      field(date, 0, 4, t.date.year) && field(date, 5, 2, t.date.month) &&
                      field(date, 8, 2, t.date.day) && date::isValid(t.date);
  if (!dateOk) throw ScriptError("the date must be a real YYYY-MM-DD, not " + quoted(date));
  const bool timeOk = time.size() == 8 && time[2] == ':' && time[5] == ':' &&
                      field(time, 0, 2, t.time.hour) && field(time, 3, 2, t.time.minute) &&
                      field(time, 6, 2, t.time.second) && t.time.hour < 24 && t.time.minute < 60 &&
                      t.time.second < 60;
  if (!timeOk) throw ScriptError("the time must be HH:MM:SS, not " + quoted(time));
  return t;
}

std::int64_t parseSeconds(std::string_view word) {
  const std::size_t dot = word.find('.');
  const std::string_view whole = word.substr(0, dot);
  std::int64_t ms = parseInteger(whole, 0, 10'000'000, "seconds") * 1000;
  if (dot != std::string_view::npos) {
    const std::string_view frac = word.substr(dot + 1);
    if (frac.empty() || frac.size() > 3) {
      throw ScriptError("seconds take one to three decimals, not " + quoted(word));
    }
    std::int64_t f = parseInteger(frac, 0, 999, "seconds");
    for (std::size_t n = frac.size(); n < 3; ++n) f *= 10;
    ms += f;
  }
  return ms;
}

int parseAnswer(std::string_view word) {
  static constexpr std::array<std::string_view, 7> names{"ok",     "cancel", "abort", "retry",
                                                         "ignore", "yes",    "no"};
  const std::string lower = text::lowerAscii(word);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (lower == names[i]) return static_cast<int>(i) + 1;
  }
  return static_cast<int>(parseInteger(word, 1, 7, "an answer"));
}

}  // namespace kivo::simscript
