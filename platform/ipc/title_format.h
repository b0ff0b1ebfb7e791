#pragma once
// The text side of writing a title bar on sway and i3: a window's
// `title_format` shows the program's own title wherever it holds `%title`,
// so a text that contains the title is written as the text around it with
// `%title` in its place, and follows the program's later retitles live.
//
// Both compositors copy a `%` they do not know literally and have no escape
// for one they do: a `%` in the written text that starts a placeholder name
// ("%title", "%class" ...) gets an invisible WORD JOINER (U+2060) after it,
// so it shows as written. With a Pango font ("font pango:..." in the
// configuration) the format is Pango markup, and `&`, `<` and `>` are
// written as entities.
//
// Commands are parsed differently: i3 undoes `\"` and `\\` inside a double
// quoted argument; sway 1.7 takes backslashes literally and only lets a
// quote mark of the other kind stand in a quoted part. Each is quoted its
// own way, so quotes, backslashes, `;`, `,` and `]` arrive as written.

#include <cstdint>
#include <string>
#include <string_view>

namespace kivo::ipc {

enum class Compositor { kSway, kI3 };

struct FormatRules {
  Compositor compositor = Compositor::kSway;
  bool markup = false;  // the title font is a Pango font: formats are markup
};

// What a window's title bar shows, relative to the program's own title.
struct Decoration {
  bool fixed = false;  // shows `before` alone, whatever the program's title
  std::string before, after;
  std::string shown(const std::string& ownTitle) const {
    return fixed ? before : before + ownTitle + after;
  }
  bool isPlainTitle() const { return !fixed && before.empty() && after.empty(); }
};

// How `text` (cut at its first NUL) is shown on a window whose program
// titles it `ownTitle`: around the first occurrence of the title, or fixed
// when it does not contain it (or the title is empty).
Decoration decorationFor(std::string_view text, std::string_view ownTitle);

// The title_format value that shows `d`.
std::string formatOf(const Decoration& d, const FormatRules& rules);

// `value` as one argument of a command.
std::string quoteArgument(std::string_view value, Compositor compositor);

// The command that gives window `conId` the format `format`.
std::string titleFormatCommand(std::uint64_t conId, std::string_view format, Compositor compositor);

}  // namespace kivo::ipc
