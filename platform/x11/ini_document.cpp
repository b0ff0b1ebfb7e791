// The INI settings file's text: parsing, lookups and in-place edits.
#include "platform/x11/ini_document.h"

#include <algorithm>

namespace kivo::x11 {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Offset of the first byte that does not belong to a well-formed UTF-8
// sequence (overlong forms, surrogates and values above U+10FFFF are
// ill-formed), or npos.
std::size_t invalidUtf8At(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len = 0;
    unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return i;
    }
    if (i + len > n || p[i + 1] < lo || p[i + 1] > hi) return i;
    for (std::size_t k = 2; k < len; ++k) {
      if (p[i + k] < 0x80 || p[i + k] > 0xBF) return i;
    }
    i += len;
  }
  return std::string_view::npos;
}

// Why text cannot stand inside one line of the file, or empty.
std::string notOneLine(std::string_view s) {
  if (s.find_first_of("\r\n") != std::string_view::npos) return "it holds a line break";
  if (s.find('\0') != std::string_view::npos) return "it holds a NUL character";
  if (invalidUtf8At(s) != std::string_view::npos) return "it is not valid UTF-8 text";
  return {};
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

std::optional<IniDocument> IniDocument::parse(std::string_view text, std::string& problem) {
  IniDocument doc;
  if (text.substr(0, kBom.size()) == kBom) {
    doc.bom_ = kBom;
    text.remove_prefix(kBom.size());
  }
  const auto lineOf = [&](std::size_t offset) {
    return std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n') + 1;
  };
  if (const std::size_t at = text.find('\0'); at != std::string_view::npos) {
    problem = "line " + std::to_string(lineOf(at)) + " holds binary data (a NUL byte)";
    return std::nullopt;
  }
  if (const std::size_t at = invalidUtf8At(text); at != std::string_view::npos) {
    problem = "line " + std::to_string(lineOf(at)) + " is not valid UTF-8 text";
    return std::nullopt;
  }

  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    Line line;
    const std::size_t nl = text.find('\n');
    std::string_view body = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    if (nl != std::string_view::npos) line.end = "\n";
    if (!body.empty() && body.back() == '\r' && nl != std::string_view::npos) {
      body.remove_suffix(1);
      line.end = "\r\n";
      if (number == 1) doc.newline_ = "\r\n";
    }
    const auto fail = [&](const std::string& what) {
      problem = "line " + std::to_string(number) + " " + what;
      return std::nullopt;
    };
    if (body.find('\r') != std::string_view::npos) return fail("holds a stray carriage return");

    const std::string_view t = trimBlanks(body);
    if (t.empty() || t.front() == ';' || t.front() == '#') {
      line.kind = Kind::Other;
    } else if (t.front() == '[') {
      if (t.size() < 2 || t.back() != ']') return fail("opens a section without closing it (])");
      line.kind = Kind::Section;
      line.name = t.substr(1, t.size() - 2);
    } else if (const std::size_t eq = body.find('=');
               eq != std::string_view::npos && !trimBlanks(body.substr(0, eq)).empty()) {
      line.kind = Kind::Key;
      line.name = trimBlanks(body.substr(0, eq));
      line.valueStart = eq + 1;
    } else {
      return fail("is neither a [section], a key=value line, a comment nor blank");
    }
    line.body = body;
    doc.lines_.push_back(std::move(line));
  }
  return doc;
}

std::size_t IniDocument::find(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Kind::Section) {
      inSection = sameName(line.name, section);
    } else if (inSection && line.kind == Kind::Key && sameName(line.name, key)) {
      return i;
    }
  }
  return std::string::npos;
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
  const std::size_t i = find(section, key);
  if (i == std::string::npos) return std::nullopt;
  return lines_[i].body.substr(lines_[i].valueStart);
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  if (const std::size_t i = find(section, key); i != std::string::npos) {
    Line& line = lines_[i];
    line.body.replace(line.valueStart, std::string::npos, value);
    return;
  }
  Line added{std::string(key) + "=" + std::string(value), newline_, Kind::Key, std::string(key),
             key.size() + 1};

  // The section's first block: after its last key line, else after its header.
  std::size_t header = std::string::npos;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::Section && sameName(lines_[i].name, section)) {
      header = i;
      break;
    }
  }
  if (header != std::string::npos) {
    std::size_t at = header;
    for (std::size_t i = header + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i) {
      if (lines_[i].kind == Kind::Key) at = i;
    }
    // A last line without its line end gets one before a line follows it.
    if (lines_[at].end.empty()) lines_[at].end = newline_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at) + 1, std::move(added));
    return;
  }

  // A new section at the end of the file, a blank line before it.
  if (!lines_.empty()) {
    if (lines_.back().end.empty()) lines_.back().end = newline_;
    if (!trimBlanks(lines_.back().body).empty())
      lines_.push_back(Line{"", newline_, Kind::Other, "", 0});
  }
  lines_.push_back(
      Line{"[" + std::string(section) + "]", newline_, Kind::Section, std::string(section), 0});
  lines_.push_back(std::move(added));
}

bool IniDocument::remove(std::string_view section, std::string_view key) {
  bool inSection = false;
  bool removed = false;
  std::vector<Line> kept;
  kept.reserve(lines_.size());
  for (Line& line : lines_) {
    if (line.kind == Kind::Section) inSection = sameName(line.name, section);
    if (inSection && line.kind == Kind::Key && sameName(line.name, key)) {
      removed = true;
      continue;
    }
    kept.push_back(std::move(line));
  }
  lines_ = std::move(kept);
  return removed;
}

std::string IniDocument::text() const {
  std::string out = bom_;
  for (const Line& line : lines_) {
    out += line.body;
    out += line.end;
  }
  return out;
}

std::string IniDocument::unstorableSection(std::string_view section) {
  if (std::string why = notOneLine(section); !why.empty()) return why;
  return {};
}

std::string IniDocument::unstorableKey(std::string_view key) {
  if (std::string why = notOneLine(key); !why.empty()) return why;
  if (key.empty()) return "it is empty";
  if (isBlank(key.front()) || isBlank(key.back())) return "it begins or ends with a space or tab";
  if (key.find('=') != std::string_view::npos) return "it holds an equals sign";
  if (key.front() == '[' || key.front() == ';' || key.front() == '#') {
    return "it begins with [, ; or #";
  }
  return {};
}

std::string IniDocument::unstorableValue(std::string_view value) { return notOneLine(value); }

}  // namespace kivo::x11
