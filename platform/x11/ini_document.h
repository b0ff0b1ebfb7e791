#pragma once
// The text of the INI settings file, parsed line by line and edited in
// place: a change touches only the line of its key (or adds one), so
// comments, blank lines, other sections, unknown keys and their order stay
// exactly as they were.
//
// The file's language:
//   [Section]        a section line (spaces and tabs around it allowed); the
//                    name is everything between the first '[' and the last
//                    ']', verbatim
//   Key=Value        a key line: the key is the text before the first '=',
//                    spaces and tabs around it ignored; the value is
//                    everything after that '=' to the end of the line,
//                    verbatim (no trimming, quoting, escapes or comments)
//   ; text, # text   a comment line (first non-blank character)
//   (blank)          spaces and tabs only
// Lines end with LF or CR LF; a UTF-8 byte-order mark at the start is kept.
// Anything else (invalid UTF-8, a NUL byte, a lone CR, a line of none of
// these kinds) makes the whole file unusable: the parse fails and names
// the line.
//
// Section and key names are compared as the registry compares them, without
// regard to ASCII case ("main" finds [Main]); other characters compare
// exactly. A key repeated in a section reads as its first occurrence.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivo::x11 {

class IniDocument {
 public:
  // An empty file.
  IniDocument() = default;
  // The parsed text, or nothing with `problem` set ("line 3 is ...").
  static std::optional<IniDocument> parse(std::string_view text, std::string& problem);

  // The value of the key, or nothing when the key or its section is missing.
  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  // Replaces the value of the key's first occurrence, or adds the key at the
  // end of its section's first block, or adds the section at the end of the
  // file. The names and the value must be storable (below).
  void set(std::string_view section, std::string_view key, std::string_view value);
  // Removes every occurrence of the key; false when there was none. The
  // section line stays, even when no key is left under it.
  bool remove(std::string_view section, std::string_view key);
  // The whole file as it is to be written.
  std::string text() const;

  // Why the name or value cannot be written so that it reads back the same,
  // or empty when it can.
  static std::string unstorableSection(std::string_view section);
  static std::string unstorableKey(std::string_view key);
  static std::string unstorableValue(std::string_view value);

 private:
  enum class Kind { Other, Section, Key };
  struct Line {
    std::string body;  // without its line end
    std::string end;   // "\n", "\r\n" or "" (the last line without one)
    Kind kind = Kind::Other;
    std::string name;            // section name, or key name
    std::size_t valueStart = 0;  // key lines: offset of the value in body
  };

  // Index of the key's first line in the section, or npos.
  std::size_t find(std::string_view section, std::string_view key) const;

  std::string bom_;
  std::string newline_ = "\n";  // what added lines end with
  std::vector<Line> lines_;
};

// ASCII case-insensitive equality of two names.
bool sameName(std::string_view a, std::string_view b);

}  // namespace kivo::x11
