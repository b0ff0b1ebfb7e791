// Title formats and the quoting of command arguments.
#include "platform/ipc/title_format.h"

#include <array>

namespace kivo::ipc {
namespace {

constexpr std::string_view kWordJoiner = "\u2060";
// Every placeholder either compositor knows (sway: title, app_id, class,
// instance, shell; i3: title, class, instance, machine).
constexpr std::array<std::string_view, 6> kPlaceholders = {"title",    "app_id", "class",
                                                           "instance", "shell",  "machine"};

bool startsPlaceholder(std::string_view rest) {
  for (const std::string_view name : kPlaceholders) {
    if (rest.substr(0, name.size()) == name) return true;
  }
  return false;
}

// `text` shown literally inside a format.
std::string literal(std::string_view text, const FormatRules& rules) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (rules.markup && c == '&') {
      out += "&amp;";
    } else if (rules.markup && c == '<') {
      out += "&lt;";
    } else if (rules.markup && c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
    if (c == '%' && startsPlaceholder(text.substr(i + 1))) out += kWordJoiner;
  }
  return out;
}

// sway: runs without a double quote go inside "...", each double quote
// inside '...'. A backslash escapes the character after it while the
// command is split, so one that would stand before a closing quote (or
// another backslash) is followed by a WORD JOINER: it shows as written.
std::string quoteForSway(std::string_view value) {
  std::string out;
  bool open = false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '"') {
      if (open) out += '"';
      open = false;
      out += "'\"'";
      continue;
    }
    if (!open) out += '"';
    open = true;
    out += c;
    const bool last = i + 1 == value.size();
    if (c == '\\' && (last || value[i + 1] == '"' || value[i + 1] == '\\')) out += kWordJoiner;
  }
  if (open || value.empty()) out += open ? "\"" : "\"\"";
  return out;
}

std::string quoteForI3(std::string_view value) {
  std::string out = "\"";
  for (const char c : value) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace

Decoration decorationFor(std::string_view text, std::string_view ownTitle) {
  text = text.substr(0, text.find('\0'));
  Decoration d;
  const std::size_t at = ownTitle.empty() ? std::string_view::npos : text.find(ownTitle);
  if (at == std::string_view::npos) {
    d.fixed = !(text.empty() && ownTitle.empty());
    d.before = text;
    return d;
  }
  d.before = text.substr(0, at);
  d.after = text.substr(at + ownTitle.size());
  return d;
}

std::string formatOf(const Decoration& d, const FormatRules& rules) {
  if (d.fixed) return literal(d.before, rules);
  return literal(d.before, rules) + "%title" + literal(d.after, rules);
}

std::string quoteArgument(std::string_view value, Compositor compositor) {
  return compositor == Compositor::kSway ? quoteForSway(value) : quoteForI3(value);
}

std::string titleFormatCommand(std::uint64_t conId, std::string_view format,
                               Compositor compositor) {
  return "[con_id=" + std::to_string(conId) + "] title_format " + quoteArgument(format, compositor);
}

}  // namespace kivo::ipc
